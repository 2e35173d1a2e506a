#pragma once

#include <cstdint>
#include <span>

// The instrument's measuring ranges. A range is named by its rated rms value; the
// converter reaches twice that value at AdcFullScale counts, so a sample is
// value / (2 · rated) · AdcFullScale counts and the gene factor is 2 · rated / AdcFullScale.

inline constexpr double AdcFullScale = 30000;
inline constexpr double RangeHeadroom = 2;

// Rated values of the measuring ranges, smallest first.
std::span<const double> voltageRanges();
std::span<const double> currentRanges(std::uint8_t model);

// Rated values selectable for a recording (voltage indices 0-5, current 0-4).
std::span<const double> recordingVoltageRanges();
std::span<const double> recordingCurrentRanges(std::uint8_t model);

// Units per count of a range.
double geneOf(double rated);

// Smallest range whose reach holds `peak`; the largest when none does.
std::size_t autoRange(std::span<const double> ranges, double peak);

// A manual range index limited to the list.
std::size_t manualRange(std::span<const double> ranges, std::uint8_t index);
