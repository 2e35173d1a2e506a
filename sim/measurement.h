#pragma once

#include <cstdint>
#include <span>

// The measurement fields the instrument derives from the samples it sends with them.

struct ChannelReadings {
    double rms = 0;
    double peak = 0;
    double dc = 0;
    double crestFactor = 0;
    double thdF = 0;             // harmonics 2 and up relative to the fundamental
    double thdR = 0;             // harmonics 2 and up relative to the rms of all AC content
    double fundamentalPhase = 0; // radians, sine reference
};

struct PowerReadings {
    double active = 0;
    double apparent = 0;
    double reactive = 0; // positive when the current lags
    double powerFactor = 0;
    double impedance = 0;
    double phaseDegrees = 0; // current behind voltage
};

// `samples` holds whole periods of `pointsPerPeriod` samples; `gene` converts counts.
ChannelReadings readChannel(std::span<const std::int16_t> samples, int pointsPerPeriod,
                            double gene);

PowerReadings readPower(std::span<const std::int16_t> voltage,
                        std::span<const std::int16_t> current, double voltageGene,
                        double currentGene, const ChannelReadings& u, const ChannelReadings& i);
