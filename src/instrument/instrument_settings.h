#pragma once

#include <cstddef>
#include <cstdint>

#include "base/packed_record.h"

#pragma pack(push, 1)
// Image of the instrument's settings registers 2000-2013, two bytes per register in
// record order, plus two bytes that are not part of the image.
struct Instrument_SetDataType {
    float External_CT_Delay;
    float CT;
    float PT;
    std::uint8_t Trigger;
    std::uint8_t ThdArithmetic;
    std::uint8_t FT;
    std::uint8_t FtSlopeSwitch;
    std::uint8_t LockRangeSwitch;
    std::uint8_t LockRangeVolBand;
    std::uint8_t LockRangeAmpBand;
    std::uint8_t Crossover_Set;
    std::uint16_t Crossover_Filter;
    std::uint32_t StopTime;
    std::uint8_t MODEL;
    std::uint8_t TEMP;
    std::uint8_t Rs485Address;
    std::uint8_t Rs485Baudrate;
};
#pragma pack(pop)

// Bytes the instrument sends for registers 2000-2013.
inline constexpr std::size_t SettingsReadBytes = 28;
// Bytes the console writes to registers 2000-2012; MODEL and TEMP are never written.
inline constexpr std::size_t SettingsWriteBytes = 26;

static_assert(sizeof(Instrument_SetDataType) == 30);
static_assert(offsetof(Instrument_SetDataType, External_CT_Delay) == 0);
static_assert(offsetof(Instrument_SetDataType, CT) == 4);
static_assert(offsetof(Instrument_SetDataType, PT) == 8);
static_assert(offsetof(Instrument_SetDataType, Trigger) == 12);
static_assert(offsetof(Instrument_SetDataType, ThdArithmetic) == 13);
static_assert(offsetof(Instrument_SetDataType, FT) == 14);
static_assert(offsetof(Instrument_SetDataType, FtSlopeSwitch) == 15);
static_assert(offsetof(Instrument_SetDataType, LockRangeSwitch) == 16);
static_assert(offsetof(Instrument_SetDataType, LockRangeVolBand) == 17);
static_assert(offsetof(Instrument_SetDataType, LockRangeAmpBand) == 18);
static_assert(offsetof(Instrument_SetDataType, Crossover_Set) == 19);
static_assert(offsetof(Instrument_SetDataType, Crossover_Filter) == 20);
static_assert(offsetof(Instrument_SetDataType, StopTime) == 22);
static_assert(offsetof(Instrument_SetDataType, MODEL) == SettingsWriteBytes);
static_assert(offsetof(Instrument_SetDataType, TEMP) == 27);
static_assert(offsetof(Instrument_SetDataType, Rs485Address) == SettingsReadBytes);
static_assert(offsetof(Instrument_SetDataType, Rs485Baudrate) == 29);
