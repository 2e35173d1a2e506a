#include "measurement.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "analysis/ffts.h"

namespace {

struct Spectrum {
    double fundamental = 0; // amplitude
    double fundamentalPhase = 0;
    double harmonicsSquared = 0; // sum of squared amplitudes of orders 2 and up
};

// One period through the console's own transform: bin k is harmonic k.
Spectrum spectrumOf(std::span<const std::int16_t> period) {
    const int count = static_cast<int>(period.size());
    std::vector<TComplex> input(period.size());
    std::vector<TComplex> output(period.size());
    for (int k = 0; k < count; ++k)
        input[k] = Complex(period[k], 0);
    ForwardFFT(input.data(), output.data(), count);
    Spectrum spectrum;
    const auto amplitude = [&](int bin) { return 2 * double(ComplexMag(output[bin])) / count; };
    spectrum.fundamental = amplitude(1);
    // A sine of phase φ shows in bin 1 at angle φ − 90°.
    spectrum.fundamentalPhase =
        std::atan2(double(output[1].Im), double(output[1].Re)) + std::numbers::pi / 2;
    for (int bin = 2; bin < count / 2; ++bin)
        spectrum.harmonicsSquared += amplitude(bin) * amplitude(bin);
    return spectrum;
}

double wrapDegrees(double degrees) {
    degrees = std::remainder(degrees, 360.0);
    return degrees == -180 ? 180 : degrees;
}

} // namespace

ChannelReadings readChannel(std::span<const std::int16_t> samples, int pointsPerPeriod,
                            double gene) {
    ChannelReadings readings;
    if (samples.empty() || pointsPerPeriod < 4)
        return readings;
    double sum = 0;
    double sumOfSquares = 0;
    int peak = 0;
    for (const std::int16_t sample : samples) {
        sum += sample;
        sumOfSquares += double(sample) * sample;
        peak = std::max(peak, std::abs(int(sample)));
    }
    const double magnitude = std::abs(gene);
    const double count = double(samples.size());
    readings.rms = std::sqrt(sumOfSquares / count) * magnitude;
    readings.peak = peak * magnitude;
    readings.dc = sum / count * gene;
    readings.crestFactor = readings.rms > 0 ? readings.peak / readings.rms : 0;

    const Spectrum spectrum = spectrumOf(samples.first(std::size_t(pointsPerPeriod)));
    const double harmonics = std::sqrt(spectrum.harmonicsSquared);
    const double allAc = std::hypot(spectrum.fundamental, harmonics);
    readings.thdF = spectrum.fundamental > 0 ? harmonics / spectrum.fundamental : 0;
    readings.thdR = allAc > 0 ? harmonics / allAc : 0;
    readings.fundamentalPhase = spectrum.fundamentalPhase;
    return readings;
}

PowerReadings readPower(std::span<const std::int16_t> voltage,
                        std::span<const std::int16_t> current, double voltageGene,
                        double currentGene, const ChannelReadings& u, const ChannelReadings& i) {
    PowerReadings power;
    const std::size_t count = std::min(voltage.size(), current.size());
    if (count == 0)
        return power;
    double sumOfProducts = 0;
    for (std::size_t k = 0; k < count; ++k)
        sumOfProducts += double(voltage[k]) * current[k];
    power.active = sumOfProducts / double(count) * voltageGene * currentGene;
    power.apparent = u.rms * i.rms;
    power.phaseDegrees =
        wrapDegrees((u.fundamentalPhase - i.fundamentalPhase) * 180 / std::numbers::pi);
    const double reactive =
        std::sqrt(std::max(0.0, power.apparent * power.apparent - power.active * power.active));
    power.reactive = power.phaseDegrees < 0 ? -reactive : reactive;
    power.powerFactor = power.apparent > 0 ? power.active / power.apparent : 0;
    power.impedance = i.rms > 0 ? u.rms / i.rms : 0;
    return power;
}
