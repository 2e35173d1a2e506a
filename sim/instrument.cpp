#include "instrument.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "answer_frames.h"
#include "measurement.h"
#include "ranges.h"
#include "record/record_types.h"

namespace {

constexpr double TwoPi = 2 * std::numbers::pi;
// Below this frequency the 40-500 Hz trigger sources find no edge and the display runs free.
constexpr double HighPassTriggerFrequency = 40;
// Recordings are paced for a 50 Hz line whatever the signal's frequency.
constexpr double RecordingCyclesPerSecond = 50;

template <typename Record>
std::span<const std::uint8_t> bytesOf(const Record& record) {
    return {reinterpret_cast<const std::uint8_t*>(&record), sizeof(Record)};
}

std::uint16_t littleEndian16(std::span<const std::uint8_t> bytes) {
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

double usableRatio(float ratio) {
    return std::isfinite(ratio) && ratio != 0 ? double(ratio) : 1.0;
}

// A converter reading; `overflow` is set when the value lies beyond the range's reach.
std::int16_t toCounts(double value, double gene, bool& overflow) {
    const double counts = std::round(value / gene);
    if (std::abs(counts) > AdcFullScale)
        overflow = true;
    return static_cast<std::int16_t>(std::clamp(counts, -32767.0, 32767.0));
}

Instrument_SetDataType factorySettings(const InstrumentConfig& config) {
    Instrument_SetDataType settings{};
    settings.CT = 1;
    settings.PT = 1;
    settings.Trigger = 1;
    settings.LockRangeVolBand = 5;
    settings.LockRangeAmpBand = 5;
    settings.Crossover_Set = 3;
    settings.Crossover_Filter = 100;
    settings.MODEL = config.model;
    settings.TEMP = config.temperature;
    return settings;
}

} // namespace

Instrument::Instrument(const InstrumentConfig& config)
    : address_(config.address), baudCode_(config.baudCode), lineBaudRate_(config.lineBaudRate),
      settings_(factorySettings(config)), signal_(config.signal), random_(config.seed) {
    validateSignal(signal_);
}

int Instrument::baudRate() const {
    if (lineBaudRate_ > 0)
        return lineBaudRate_;
    return baudCode_ == BusBaudCode::Baud19200 ? 19200 : 115200;
}

void Instrument::setSignal(const SignalConfig& signal) {
    validateSignal(signal);
    signal_ = signal;
}

std::vector<Frame> Instrument::answer(const Request& request, double now) {
    settleIntegration(now);
    std::optional<Frame> frame;
    if (request.address == BroadcastAddress)
        frame = answerBroadcast(request);
    else if (request.address == address_) {
        switch (request.kind) {
        case RequestKind::Read:
            frame = answerRead(request, now);
            break;
        case RequestKind::Write:
            frame = answerWrite(request, now);
            break;
        case RequestKind::Recording:
            frame = answerRecording(request, now);
            break;
        }
    }
    if (!frame)
        return {};
    return {std::move(*frame)};
}

// Keep-alive and pause answers carry the response speed like a read of 8002, so a
// master that shows every one-register answer as the speed shows the right one.
Frame Instrument::oneRegisterAnswer(std::uint8_t value) const {
    const std::uint8_t payload[2] = {value, 0};
    return readAnswer(address_, payload);
}

std::optional<Frame> Instrument::answerRead(const Request& request, double now) {
    switch (request.reg) {
    case Register::Measurement:
        if (request.count != RegisterCount::Measurement)
            return std::nullopt;
        {
            const SamplingDataType measurement = measure(now);
            return readAnswer(address_, bytesOf(measurement).first(MeasurementPayloadBytes));
        }
    case Register::Settings:
        if (request.count != RegisterCount::SettingsRead)
            return std::nullopt;
        return readAnswer(address_, bytesOf(settings_).first(SettingsReadBytes));
    case Register::AngleCalibration:
        if (request.count != RegisterCount::FloatValue)
            return std::nullopt;
        return readAnswer(address_, bytesOf(calibration_.angle));
    case Register::ResponseSpeed:
    case Register::PauseNotice:
        if (request.count != RegisterCount::OneRegister)
            return std::nullopt;
        return oneRegisterAnswer(responseSpeed_);
    case Register::KeepAlive:
        if (request.count == RegisterCount::KeepAliveAfterFile)
            return oneRegisterAnswer(responseSpeed_);
        if (request.count == RegisterCount::KeepAlive) {
            const std::uint8_t payload[4] = {responseSpeed_, 0, 0, 0};
            return readAnswer(address_, payload);
        }
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

// Address 0 reaches the single instrument on the line whatever its own address; only
// the bus settings are served there.
std::optional<Frame> Instrument::answerBroadcast(const Request& request) {
    if (request.reg != Register::BusSettings || request.count != RegisterCount::OneRegister)
        return std::nullopt;
    if (request.kind == RequestKind::Read) {
        const std::uint8_t payload[2] = {address_, static_cast<std::uint8_t>(baudCode_)};
        return readAnswer(BroadcastAddress, payload);
    }
    if (request.kind != RequestKind::Write || request.data.size() != 2)
        return std::nullopt;
    const std::uint8_t newAddress = request.data[0];
    const std::uint8_t newCode = request.data[1];
    if (newAddress == BroadcastAddress || newCode > std::uint8_t(BusBaudCode::Baud115200))
        return std::nullopt;
    Frame acknowledge = writeAcknowledge(BroadcastAddress, request.reg, request.count);
    // The acknowledgement still leaves under the old settings.
    address_ = newAddress;
    baudCode_ = static_cast<BusBaudCode>(newCode);
    lineBaudRate_ = 0;
    return acknowledge;
}

std::optional<Frame> Instrument::answerWrite(const Request& request, double now) {
    const std::size_t bytes = request.data.size();
    if (request.count != bytes / 2)
        return std::nullopt;
    bool applied = false;
    if (request.reg == Register::Settings) {
        if (bytes != SettingsWriteBytes)
            return std::nullopt;
        std::memcpy(&settings_, request.data.data(), SettingsWriteBytes);
        applied = true;
    } else if (bytes == 2) {
        applied = applyOneRegisterWrite(request.reg, littleEndian16(request.data), now);
    } else if (bytes == 4) {
        float value;
        std::memcpy(&value, request.data.data(), sizeof value);
        applied = applyFloatWrite(request.reg, value, now);
    }
    if (!applied)
        return std::nullopt;
    return writeAcknowledge(address_, request.reg, request.count);
}

// Returns false for a register or value the instrument does not know. Calibration
// writes while locked are acknowledged and have no effect.
bool Instrument::applyOneRegisterWrite(std::uint16_t reg, std::uint16_t value, double now) {
    switch (reg) {
    case Register::IntegrationDeferred:
    case Register::IntegrationImmediate:
        if (value < std::uint16_t(IntegrationCommand::Start) ||
            value > std::uint16_t(IntegrationCommand::Clear))
            return false;
        applyIntegrationCommand(value);
        return true;
    case Register::ResponseSpeed:
        if (value >= ResponseSpeedCount)
            return false;
        responseSpeed_ = static_cast<std::uint8_t>(value);
        return true;
    case Register::CalibrationLock:
        unlocked_ = value == CalibrationUnlockCode;
        return true;
    case Register::RangeDelayCalibration:
        if (value > std::uint16_t(RangeDelayCommand::Calibrate))
            return false;
        if (unlocked_)
            calibration_.rangeDelay = value;
        return true;
    case Register::CurrentZeroAdjust: {
        const auto command = static_cast<CurrentZeroCommand>(value);
        if (command != CurrentZeroCommand::SetZero && command != CurrentZeroCommand::ZeroUp &&
            command != CurrentZeroCommand::ZeroDown)
            return false;
        if (!unlocked_)
            return true;
        if (command == CurrentZeroCommand::ZeroUp)
            ++calibration_.currentZeroCounts;
        else if (command == CurrentZeroCommand::ZeroDown)
            --calibration_.currentZeroCounts;
        else {
            const SamplingDataType reading = sampleWindow(startAngle(now), false);
            calibration_.currentZeroCounts -=
                static_cast<int>(std::lround(double(reading.I_DC) / double(reading.IGene)));
        }
        return true;
    }
    default:
        return false;
    }
}

// A reference value tells the instrument what it should read now; the gain is corrected
// so that it does.
bool Instrument::applyFloatWrite(std::uint16_t reg, float value, double now) {
    if (reg != Register::VoltageCalibration && reg != Register::CurrentCalibration &&
        reg != Register::AngleCalibration)
        return false;
    if (!unlocked_)
        return true;
    if (reg == Register::AngleCalibration) {
        calibration_.angle = value;
        return true;
    }
    const SamplingDataType reading = sampleWindow(startAngle(now), false);
    const bool voltage = reg == Register::VoltageCalibration;
    const double measured = voltage ? reading.U_rms : reading.I_rms;
    const double correction = double(value) / measured;
    if (measured > 0 && std::isfinite(correction) && correction > 0)
        (voltage ? calibration_.voltageGain : calibration_.currentGain) *= correction;
    return true;
}

void Instrument::applyIntegrationCommand(std::uint16_t value) {
    switch (static_cast<IntegrationCommand>(value)) {
    case IntegrationCommand::Start:
        integration_.running = true;
        break;
    case IntegrationCommand::Stop:
        integration_.running = false;
        break;
    case IntegrationCommand::Clear:
        integration_.seconds = integration_.ampereHours = integration_.wattHours = 0;
        break;
    }
}

// Integrates the present load from the last settling up to `now`, stopping at StopTime.
void Instrument::settleIntegration(double now) {
    double elapsed = std::max(0.0, now - integration_.settledAt);
    integration_.settledAt = std::max(integration_.settledAt, now);
    if (!integration_.running || elapsed == 0)
        return;
    const std::uint32_t stopTime = settings_.StopTime;
    if (stopTime != 0 && integration_.seconds + elapsed >= stopTime) {
        elapsed = std::max(0.0, stopTime - integration_.seconds);
        integration_.running = false;
    }
    const SamplingDataType load = sampleWindow(0, false);
    integration_.seconds += elapsed;
    integration_.ampereHours += double(load.I_rms) * elapsed / 3600;
    integration_.wattHours += double(load.ActivePower) * elapsed / 3600;
}

Instrument::Ranges Instrument::rangesInUse() const {
    const auto voltageList = voltageRanges();
    const auto currentList = currentRanges(settings_.MODEL);
    Ranges ranges;
    if (settings_.LockRangeSwitch != 0) {
        ranges.voltage = manualRange(voltageList, settings_.LockRangeVolBand);
        ranges.current = manualRange(currentList, settings_.LockRangeAmpBand);
    } else {
        ranges.voltage =
            autoRange(voltageList, peakMagnitude(signal_.voltage) * calibration_.voltageGain);
        ranges.current =
            autoRange(currentList, peakMagnitude(signal_.current) * calibration_.currentGain);
    }
    ranges.voltageGene = geneOf(voltageList[ranges.voltage]);
    ranges.currentGene = geneOf(currentList[ranges.current]);
    return ranges;
}

// Where the window starts on the voltage fundamental: at the trigger channel's rising
// zero crossing, or wherever the signal happens to be when no trigger applies.
double Instrument::startAngle(double now) const {
    const double lag = signal_.currentLagDegrees * std::numbers::pi / 180;
    const bool edgeFound = signal_.frequency >= HighPassTriggerFrequency;
    switch (settings_.Trigger) {
    case 1:
        return 0;
    case 2:
        if (edgeFound)
            return 0;
        break;
    case 3:
        return lag;
    case 4:
        if (edgeFound)
            return lag;
        break;
    default:
        break;
    }
    return std::fmod(TwoPi * signal_.frequency * now, TwoPi);
}

double Instrument::noise(const ChannelSignal& channel) {
    return gaussian_(random_) * signal_.noisePercent / 100 * channel.rms;
}

SamplingDataType Instrument::sampleWindow(double angle, bool withNoise) {
    const Ranges ranges = rangesInUse();
    const double lag = signal_.currentLagDegrees * std::numbers::pi / 180;
    SamplingDataType record{};
    bool voltageOverflow = false;
    bool currentOverflow = false;
    for (std::size_t k = 0; k < PointsPerAnswer; ++k) {
        const double at = angle + TwoPi * double(k) / PointsPerPeriod;
        double u = instantaneousValue(signal_.voltage, at);
        double i = instantaneousValue(signal_.current, at - lag);
        if (withNoise) {
            u += noise(signal_.voltage);
            i += noise(signal_.current);
        }
        record.u_Sampling[k] =
            toCounts(u * calibration_.voltageGain, ranges.voltageGene, voltageOverflow);
        record.i_Sampling[k] = static_cast<std::int16_t>(
            std::clamp(toCounts(i * calibration_.currentGain, ranges.currentGene, currentOverflow) +
                           calibration_.currentZeroCounts,
                       -32767, 32767));
    }
    const double uGene = ranges.voltageGene * usableRatio(settings_.PT);
    const double iGene = ranges.currentGene * usableRatio(settings_.CT);
    const ChannelReadings u = readChannel(record.u_Sampling, PointsPerPeriod, uGene);
    const ChannelReadings i = readChannel(record.i_Sampling, PointsPerPeriod, iGene);
    const PowerReadings power = readPower(record.u_Sampling, record.i_Sampling, uGene, iGene, u, i);
    const bool thdR = settings_.ThdArithmetic != 0;

    const bool signalPresent = signal_.voltage.rms > 0 || signal_.current.rms > 0;
    record.U_rms = float(u.rms);
    record.U_peak = float(u.peak);
    record.U_DC = float(u.dc);
    record.U_Frequency = signalPresent ? float(signal_.frequency) : 0;
    record.U_CrestFactor = float(u.crestFactor);
    record.U_thdF = float(thdR ? u.thdR : u.thdF);
    record.I_rms = float(i.rms);
    record.I_peak = float(i.peak);
    record.I_DC = float(i.dc);
    record.I_Phase = float(power.phaseDegrees);
    record.I_CrestFactor = float(i.crestFactor);
    record.I_thdF = float(thdR ? i.thdR : i.thdF);
    record.ActivePower = float(power.active);
    record.ApparentPower = float(power.apparent);
    record.ReactivePower = float(power.reactive);
    record.PF = float(power.powerFactor);
    record.Z = float(power.impedance);
    record.U_Range = static_cast<std::uint8_t>(ranges.voltage);
    record.I_Range = static_cast<std::uint8_t>(ranges.current);
    record.Trigger = settings_.Trigger;
    record.Error_code = static_cast<std::uint8_t>((voltageOverflow ? 0x01 : 0) |
                                                  (currentOverflow ? 0x02 : 0) | (thdR ? 0x80 : 0));
    record.SamplingNumber = PointsPerAnswer;
    record.N = PointsPerPeriod;
    record.UGene = float(uGene);
    record.IGene = float(iGene);
    return record;
}

SamplingDataType Instrument::measure(double now) {
    settleIntegration(now);
    SamplingDataType record = sampleWindow(startAngle(now), true);
    record.AH = float(integration_.ampereHours);
    record.WH = float(integration_.wattHours);
    record.dTime = static_cast<std::uint32_t>(integration_.seconds);
    record.Average_Power = integration_.seconds > 0
                               ? float(integration_.wattHours * 3600 / integration_.seconds)
                               : 0.0f;
    return record;
}

// The all-zero request stops a recording and is not answered; a new request restarts it.
std::optional<Frame> Instrument::answerRecording(const Request& request, double now) {
    if (request.pointsPerCycle == 0 && request.length == 0) {
        recording_.active = false;
        return std::nullopt;
    }
    const auto& allowed = RecordingPointsPerCycle;
    if (std::find(std::begin(allowed), std::end(allowed), request.pointsPerCycle) ==
            std::end(allowed) ||
        request.length == 0)
        return std::nullopt;

    const auto voltageList = recordingVoltageRanges();
    const auto currentList = recordingCurrentRanges(settings_.MODEL);
    recording_.active = true;
    recording_.start = now;
    recording_.rate = request.pointsPerCycle * RecordingCyclesPerSecond;
    recording_.packets =
        static_cast<std::uint32_t>((request.length + PacketSamples - 1) / PacketSamples);
    recording_.sent = 0;
    recording_.voltageGene = geneOf(voltageList[manualRange(voltageList, request.voltageRange)]);
    recording_.currentGene = geneOf(currentList[manualRange(currentList, request.currentRange)]);
    recording_.startAngle = startAngle(now);

    RecordHeaderType header{};
    header.LWtemp = request.length;
    header.BTemp[0] = static_cast<std::uint8_t>(request.pointsPerCycle);
    header.BTemp[1] = request.voltageRange;
    header.BTemp[2] = request.currentRange;
    header.Ftemp1 = float(recording_.rate);
    header.U1Gene = float(recording_.voltageGene * usableRatio(settings_.PT));
    header.I1Gene = float(recording_.currentGene * usableRatio(settings_.CT));
    return readAnswer(address_, bytesOf(header));
}

std::optional<double> Instrument::nextPacketDue() const {
    if (!recording_.active)
        return std::nullopt;
    return recording_.start + double(recording_.sent + 1) * PacketSamples / recording_.rate;
}

std::vector<Frame> Instrument::duePackets(double now) {
    std::vector<Frame> packets;
    for (auto due = nextPacketDue(); due && *due <= now; due = nextPacketDue()) {
        packets.push_back(recordingPacket(recording_.sent));
        if (++recording_.sent == recording_.packets)
            recording_.active = false;
    }
    return packets;
}

Frame Instrument::recordingPacket(std::uint32_t index) {
    RecordInstrumentDataType packet{};
    packet.PackNumber = index;
    packet.Time_Stamp = float(double(index) * PacketSamples / recording_.rate);
    const double lag = signal_.currentLagDegrees * std::numbers::pi / 180;
    const double anglePerSample = TwoPi * signal_.frequency / recording_.rate;
    bool overflow = false;
    for (std::size_t k = 0; k < PacketSamples; ++k) {
        const double sample = double(index) * PacketSamples + double(k);
        const double at = std::fmod(recording_.startAngle + anglePerSample * sample, TwoPi);
        const double u = instantaneousValue(signal_.voltage, at) + noise(signal_.voltage);
        const double i = instantaneousValue(signal_.current, at - lag) + noise(signal_.current);
        packet.u1_Sampling[k] =
            toCounts(u * calibration_.voltageGain, recording_.voltageGene, overflow);
        packet.i1_Sampling[k] =
            toCounts(i * calibration_.currentGain, recording_.currentGene, overflow);
    }
    return readAnswer(address_, bytesOf(packet));
}
