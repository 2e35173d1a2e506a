#pragma once

#include <cstddef>
#include <cstdint>

#include "base/packed_record.h"

// Samples each channel of a recording can hold (indices 0 ... 2,304,000).
inline constexpr std::size_t RecordCapacity = 2'304'001;
// Samples of each channel carried by one recording packet.
inline constexpr std::size_t PacketSamples = 1024;

#pragma pack(push, 1)
// One recording in memory.
struct RecordDataType {
    std::uint32_t Total_Record_quantity; // valid samples per channel
    float Sampling_Rate;                 // seconds per sample, despite the name
    std::uint8_t U_RANGE;
    std::uint8_t I_RANGE;
    float U1Gene; // volts per voltage count
    float I1Gene; // amperes per current count
    float U2Gene;
    float I2Gene;
    float U3Gene;
    float I3Gene;
    double RecordDateTime;
    std::int16_t U1_Sampling[RecordCapacity];
    std::int16_t I1_Sampling[RecordCapacity];
    std::uint32_t Point_Start; // first sample shown by the record view
    std::uint32_t End_Point;
    std::uint16_t Display_Number; // samples across the record view's width
};

// The image of a record file.
struct RecordFileType {
    double data;
    RecordDataType RecordData;
};

// Payload of the recording header answer.
struct RecordHeaderType {
    std::uint32_t LWtemp;
    std::uint8_t BTemp[4];
    float Ftemp1;
    float U1Gene;
    float I1Gene;
};

// Payload of one recording packet.
struct RecordInstrumentDataType {
    std::uint32_t PackNumber;
    float Time_Stamp;
    std::int16_t u1_Sampling[PacketSamples];
    std::int16_t i1_Sampling[PacketSamples];
};
#pragma pack(pop)

static_assert(sizeof(RecordDataType) == 9'216'056);
static_assert(offsetof(RecordDataType, Total_Record_quantity) == 0);
static_assert(offsetof(RecordDataType, Sampling_Rate) == 4);
static_assert(offsetof(RecordDataType, U_RANGE) == 8);
static_assert(offsetof(RecordDataType, I_RANGE) == 9);
static_assert(offsetof(RecordDataType, U1Gene) == 10);
static_assert(offsetof(RecordDataType, I1Gene) == 14);
static_assert(offsetof(RecordDataType, U2Gene) == 18);
static_assert(offsetof(RecordDataType, I2Gene) == 22);
static_assert(offsetof(RecordDataType, U3Gene) == 26);
static_assert(offsetof(RecordDataType, I3Gene) == 30);
static_assert(offsetof(RecordDataType, RecordDateTime) == 34);
static_assert(offsetof(RecordDataType, U1_Sampling) == 42);
static_assert(offsetof(RecordDataType, I1_Sampling) == 4'608'044);
static_assert(offsetof(RecordDataType, Point_Start) == 9'216'046);
static_assert(offsetof(RecordDataType, End_Point) == 9'216'050);
static_assert(offsetof(RecordDataType, Display_Number) == 9'216'054);

static_assert(sizeof(RecordFileType) == 9'216'064);
static_assert(offsetof(RecordFileType, data) == 0);
static_assert(offsetof(RecordFileType, RecordData) == 8);

static_assert(sizeof(RecordHeaderType) == 20);
static_assert(offsetof(RecordHeaderType, LWtemp) == 0);
static_assert(offsetof(RecordHeaderType, BTemp) == 4);
static_assert(offsetof(RecordHeaderType, Ftemp1) == 8);
static_assert(offsetof(RecordHeaderType, U1Gene) == 12);
static_assert(offsetof(RecordHeaderType, I1Gene) == 16);

static_assert(sizeof(RecordInstrumentDataType) == 4'104);
static_assert(offsetof(RecordInstrumentDataType, PackNumber) == 0);
static_assert(offsetof(RecordInstrumentDataType, Time_Stamp) == 4);
static_assert(offsetof(RecordInstrumentDataType, u1_Sampling) == 8);
static_assert(offsetof(RecordInstrumentDataType, i1_Sampling) == 2'056);
