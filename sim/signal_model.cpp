#include "signal_model.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>

namespace {

constexpr double degreesToRadians(double degrees) {
    return degrees * std::numbers::pi / 180;
}

void requireFinite(double value, const char* what) {
    if (!std::isfinite(value))
        throw std::invalid_argument(std::string(what) + " must be a finite number");
}

void validateChannel(const ChannelSignal& channel, const char* name) {
    requireFinite(channel.rms, name);
    requireFinite(channel.dc, name);
    if (channel.rms < 0)
        throw std::invalid_argument(std::string(name) + " rms must not be negative");
    for (const Harmonic& harmonic : channel.harmonics) {
        if (harmonic.order < 2 || harmonic.order > HighestHarmonicOrder)
            throw std::invalid_argument(std::string(name) + " harmonic order must be 2-" +
                                        std::to_string(HighestHarmonicOrder));
        requireFinite(harmonic.percent, name);
        requireFinite(harmonic.phaseDegrees, name);
        if (harmonic.percent < 0 || harmonic.percent > 100)
            throw std::invalid_argument(std::string(name) + " harmonic percent must be 0-100");
    }
}

} // namespace

double instantaneousValue(const ChannelSignal& channel, double angle) {
    const double amplitude = channel.rms * std::numbers::sqrt2;
    double value = channel.dc + amplitude * std::sin(angle);
    for (const Harmonic& harmonic : channel.harmonics)
        value += amplitude * harmonic.percent / 100 *
                 std::sin(harmonic.order * angle + degreesToRadians(harmonic.phaseDegrees));
    return value;
}

double peakMagnitude(const ChannelSignal& channel) {
    // Fine enough for order 50: more than 80 points per period of the highest harmonic.
    constexpr int Steps = 4096;
    double peak = 0;
    for (int step = 0; step < Steps; ++step) {
        const double angle = 2 * std::numbers::pi * step / Steps;
        peak = std::max(peak, std::abs(instantaneousValue(channel, angle)));
    }
    return peak;
}

double trueRms(const ChannelSignal& channel) {
    double sumOfSquares = channel.dc * channel.dc + channel.rms * channel.rms;
    for (const Harmonic& harmonic : channel.harmonics) {
        const double rms = channel.rms * harmonic.percent / 100;
        sumOfSquares += rms * rms;
    }
    return std::sqrt(sumOfSquares);
}

void validateSignal(const SignalConfig& signal) {
    requireFinite(signal.frequency, "frequency");
    if (signal.frequency < 0.5 || signal.frequency > 500)
        throw std::invalid_argument("frequency must be 0.5-500 Hz");
    validateChannel(signal.voltage, "voltage");
    validateChannel(signal.current, "current");
    requireFinite(signal.currentLagDegrees, "phase");
    requireFinite(signal.noisePercent, "noise");
    if (signal.noisePercent < 0 || signal.noisePercent > 100)
        throw std::invalid_argument("noise must be 0-100 percent");
}
