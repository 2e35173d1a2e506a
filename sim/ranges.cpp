#include "ranges.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<double, 6> VoltageRanges{10, 25, 50, 100, 250, 500};
constexpr std::array<double, 6> RecordingVoltageRanges{12.5, 25, 50, 100, 300, 600};

constexpr std::array<double, 6> CurrentRanges5{0.015, 0.05, 0.15, 0.5, 1.5, 5};
constexpr std::array<double, 6> CurrentRanges10{0.03, 0.1, 0.3, 1, 3, 10};
constexpr std::array<double, 6> CurrentRanges20{0.06, 0.2, 0.6, 2, 6, 20};
constexpr std::array<double, 6> CurrentRanges40{0.12, 0.4, 1.2, 4, 12, 40};
// Models without a label table of their own have seven ranges.
constexpr std::array<double, 7> CurrentRangesOther{0.06, 0.2, 0.6, 2, 6, 20, 60};

} // namespace

std::span<const double> voltageRanges() {
    return VoltageRanges;
}

std::span<const double> currentRanges(std::uint8_t model) {
    switch (model) {
    case 5:
        return CurrentRanges5;
    case 10:
        return CurrentRanges10;
    case 20:
        return CurrentRanges20;
    case 40:
        return CurrentRanges40;
    default:
        return CurrentRangesOther;
    }
}

std::span<const double> recordingVoltageRanges() {
    return RecordingVoltageRanges;
}

// The five recording current ranges are the model's ranges without the smallest.
std::span<const double> recordingCurrentRanges(std::uint8_t model) {
    return currentRanges(model).subspan(1, 5);
}

double geneOf(double rated) {
    return RangeHeadroom * rated / AdcFullScale;
}

std::size_t autoRange(std::span<const double> ranges, double peak) {
    for (std::size_t index = 0; index < ranges.size(); ++index)
        if (peak <= RangeHeadroom * ranges[index])
            return index;
    return ranges.size() - 1;
}

std::size_t manualRange(std::span<const double> ranges, std::uint8_t index) {
    return std::min<std::size_t>(index, ranges.size() - 1);
}
