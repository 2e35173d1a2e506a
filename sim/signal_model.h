#pragma once

#include <vector>

// What the simulated instrument's terminals see: one fundamental per channel with
// harmonics and a DC offset, plus random noise.

// One harmonic of a channel; `percent` is relative to the channel's fundamental and
// `phaseDegrees` to the harmonic's own position on the fundamental.
struct Harmonic {
    int order = 2;
    double percent = 0;
    double phaseDegrees = 0;
};

struct ChannelSignal {
    double rms = 0; // rms of the fundamental
    double dc = 0;
    std::vector<Harmonic> harmonics;
};

struct SignalConfig {
    double frequency = 50;
    ChannelSignal voltage{220, 0, {}};
    ChannelSignal current{1, 0, {}};
    double currentLagDegrees = 0; // positive for an inductive load
    double noisePercent = 0;      // standard deviation, percent of each fundamental's rms
};

// Highest harmonic order the instrument reproduces.
inline constexpr int HighestHarmonicOrder = 50;

// Value of a channel at `angle` radians of its own fundamental, without noise.
double instantaneousValue(const ChannelSignal& channel, double angle);

// Largest magnitude a channel reaches over one period, without noise.
double peakMagnitude(const ChannelSignal& channel);

// True rms of a channel: DC, fundamental and harmonics, without noise.
double trueRms(const ChannelSignal& channel);

// Throws std::invalid_argument naming the first value out of bounds.
void validateSignal(const SignalConfig& signal);
