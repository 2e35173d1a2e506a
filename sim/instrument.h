#pragma once

#include <cstdint>
#include <optional>
#include <random>

#include "instrument/instrument_settings.h"
#include "link/register_map.h"
#include "link/sampling_data.h"
#include "request.h"
#include "signal_model.h"

// Who the instrument is on the bus and what it reports about itself.
struct InstrumentConfig {
    std::uint8_t address = 1;
    BusBaudCode baudCode = BusBaudCode::Baud115200;
    // A line rate other than the two the bus settings offer, for trying slower lines; 0 for
    // the rate of the baud code. A bus-settings change returns to the codes' rates.
    int lineBaudRate = 0;
    std::uint8_t model = 20;
    std::uint8_t temperature = 28;
    SignalConfig signal;
    std::uint64_t seed = 1; // noise
};

// Measurement geometry: two periods of 256 points in every answer.
inline constexpr std::uint16_t PointsPerPeriod = 256;
inline constexpr std::uint16_t PointsPerAnswer = 512;

// The simulated instrument behind its register map. Time is passed in as seconds of
// instrument time, so the model runs the same in real time, faster, or under a test.
class Instrument {
public:
    explicit Instrument(const InstrumentConfig& config);

    // The answers to one request: none for a request that is not for this instrument or
    // that it does not understand, one otherwise. Settles integration up to `now` first.
    std::vector<Frame> answer(const Request& request, double now);

    // Recording packets whose last sample has been taken by `now`.
    std::vector<Frame> duePackets(double now);
    // When the next recording packet is due; empty when no recording runs.
    std::optional<double> nextPacketDue() const;

    std::uint8_t address() const { return address_; }
    BusBaudCode baudCode() const { return baudCode_; }
    int baudRate() const;

    const Instrument_SetDataType& settings() const { return settings_; }
    const SignalConfig& signal() const { return signal_; }
    void setSignal(const SignalConfig& signal);
    bool calibrationUnlocked() const { return unlocked_; }
    bool integrating() const { return integration_.running; }

    // The measurement a read at `now` answers with (bytes 0-2147 of the record matter).
    SamplingDataType measure(double now);

private:
    struct Integration {
        bool running = false;
        double seconds = 0;
        double ampereHours = 0;
        double wattHours = 0;
        double settledAt = 0;
    };
    struct Recording {
        bool active = false;
        double start = 0;
        double rate = 0; // samples per second
        std::uint32_t packets = 0;
        std::uint32_t sent = 0;
        double voltageGene = 0;
        double currentGene = 0;
        double startAngle = 0;
    };
    struct Calibration {
        double voltageGain = 1;
        double currentGain = 1;
        float angle = 0;
        std::uint16_t rangeDelay = 0;
        int currentZeroCounts = 0;
    };
    struct Ranges {
        std::size_t voltage = 0;
        std::size_t current = 0;
        double voltageGene = 0; // at the converter, before the transformer ratios
        double currentGene = 0;
    };

    std::optional<Frame> answerRead(const Request& request, double now);
    std::optional<Frame> answerBroadcast(const Request& request);
    std::optional<Frame> answerWrite(const Request& request, double now);
    std::optional<Frame> answerRecording(const Request& request, double now);
    bool applyOneRegisterWrite(std::uint16_t reg, std::uint16_t value, double now);
    bool applyFloatWrite(std::uint16_t reg, float value, double now);
    void applyIntegrationCommand(std::uint16_t value);
    void settleIntegration(double now);
    Frame oneRegisterAnswer(std::uint8_t value) const;

    Ranges rangesInUse() const;
    double startAngle(double now) const;
    double noise(const ChannelSignal& channel);
    SamplingDataType sampleWindow(double angle, bool withNoise);
    Frame recordingPacket(std::uint32_t index);

    std::uint8_t address_;
    BusBaudCode baudCode_;
    int lineBaudRate_;
    Instrument_SetDataType settings_{};
    SignalConfig signal_;
    std::uint8_t responseSpeed_ = 0;
    bool unlocked_ = false;
    Integration integration_;
    Recording recording_;
    Calibration calibration_;
    std::mt19937_64 random_;
    std::normal_distribution<double> gaussian_{0, 1};
};
