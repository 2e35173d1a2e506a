#pragma once

#include <cstddef>
#include <cstdint>

#include "base/packed_record.h"

// Points held by each sample array of a measurement.
inline constexpr std::size_t MaxSamplingPoints = 512;
// Harmonic orders 0-50 kept with a measurement.
inline constexpr std::size_t HarmonicOrders = 51;

#pragma pack(push, 1)
// One complete measurement. Bytes 0-2147 are the payload of the instrument's measurement
// answer, copied as received; the rest is the console's own. Also the image of a
// measurement file.
struct SamplingDataType {
    float U_rms;
    float U_peak;
    float U_DC;
    float U_Frequency;
    float U_CrestFactor;
    float U_thdF;
    float I_rms;
    float I_peak;
    float I_DC;
    float I_Phase;
    float I_CrestFactor;
    float I_thdF;
    float ActivePower;
    float ApparentPower;
    float ReactivePower;
    float PF;
    float Z;
    float AH;
    float WH;
    std::uint32_t dTime;
    float Average_Power;
    std::uint8_t U_Range;
    std::uint8_t I_Range;
    std::uint8_t Trigger;
    std::uint8_t Error_code; // bit 0 voltage overflow, bit 1 current overflow, bit 7 THD-R
    std::uint16_t SamplingNumber;
    std::uint16_t N;
    float UGene;
    float IGene;
    std::int16_t u_Sampling[MaxSamplingPoints];
    std::int16_t i_Sampling[MaxSamplingPoints];
    float ZVol[HarmonicOrders];
    float ZAmp[HarmonicOrders];
    double TestTime;
};
#pragma pack(pop)

// Length of the part of a measurement that the instrument sends.
inline constexpr std::size_t MeasurementPayloadBytes = 2148;

static_assert(sizeof(SamplingDataType) == 2564);
static_assert(offsetof(SamplingDataType, U_rms) == 0);
static_assert(offsetof(SamplingDataType, U_peak) == 4);
static_assert(offsetof(SamplingDataType, U_DC) == 8);
static_assert(offsetof(SamplingDataType, U_Frequency) == 12);
static_assert(offsetof(SamplingDataType, U_CrestFactor) == 16);
static_assert(offsetof(SamplingDataType, U_thdF) == 20);
static_assert(offsetof(SamplingDataType, I_rms) == 24);
static_assert(offsetof(SamplingDataType, I_peak) == 28);
static_assert(offsetof(SamplingDataType, I_DC) == 32);
static_assert(offsetof(SamplingDataType, I_Phase) == 36);
static_assert(offsetof(SamplingDataType, I_CrestFactor) == 40);
static_assert(offsetof(SamplingDataType, I_thdF) == 44);
static_assert(offsetof(SamplingDataType, ActivePower) == 48);
static_assert(offsetof(SamplingDataType, ApparentPower) == 52);
static_assert(offsetof(SamplingDataType, ReactivePower) == 56);
static_assert(offsetof(SamplingDataType, PF) == 60);
static_assert(offsetof(SamplingDataType, Z) == 64);
static_assert(offsetof(SamplingDataType, AH) == 68);
static_assert(offsetof(SamplingDataType, WH) == 72);
static_assert(offsetof(SamplingDataType, dTime) == 76);
static_assert(offsetof(SamplingDataType, Average_Power) == 80);
static_assert(offsetof(SamplingDataType, U_Range) == 84);
static_assert(offsetof(SamplingDataType, I_Range) == 85);
static_assert(offsetof(SamplingDataType, Trigger) == 86);
static_assert(offsetof(SamplingDataType, Error_code) == 87);
static_assert(offsetof(SamplingDataType, SamplingNumber) == 88);
static_assert(offsetof(SamplingDataType, N) == 90);
static_assert(offsetof(SamplingDataType, UGene) == 92);
static_assert(offsetof(SamplingDataType, IGene) == 96);
static_assert(offsetof(SamplingDataType, u_Sampling) == 100);
static_assert(offsetof(SamplingDataType, i_Sampling) == 1124);
static_assert(offsetof(SamplingDataType, ZVol) == MeasurementPayloadBytes);
static_assert(offsetof(SamplingDataType, ZAmp) == 2352);
static_assert(offsetof(SamplingDataType, TestTime) == 2556);
