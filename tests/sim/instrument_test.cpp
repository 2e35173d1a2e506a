#include "instrument.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

#include "answer_frames.h"
#include "ranges.h"
#include "record/record_types.h"

namespace {

Request read(std::uint16_t reg, std::uint16_t count, std::uint8_t address = 1) {
    Request request;
    request.address = address;
    request.reg = reg;
    request.count = count;
    return request;
}

Request write(std::uint16_t reg, std::vector<std::uint8_t> data, std::uint8_t address = 1) {
    Request request;
    request.kind = RequestKind::Write;
    request.address = address;
    request.reg = reg;
    request.count = static_cast<std::uint16_t>(data.size() / 2);
    request.data = std::move(data);
    return request;
}

Request record(std::uint16_t pointsPerCycle, std::uint32_t length, std::uint8_t voltageRange = 4,
               std::uint8_t currentRange = 3) {
    Request request;
    request.kind = RequestKind::Recording;
    request.address = 1;
    request.reg = 5000;
    request.pointsPerCycle = pointsPerCycle;
    request.length = length;
    request.voltageRange = voltageRange;
    request.currentRange = currentRange;
    return request;
}

std::vector<std::uint8_t> floatBytes(float value) {
    std::vector<std::uint8_t> bytes(4);
    std::memcpy(bytes.data(), &value, 4);
    return bytes;
}

template <typename Record>
Record payloadOf(const Frame& frame) {
    Record value{};
    std::memcpy(&value, frame.data() + 3, std::min(sizeof(Record), frame.size() - 5));
    return value;
}

class InstrumentTest : public testing::Test {
protected:
    Frame only(const Request& request, double now = 0) {
        auto frames = instrument.answer(request, now);
        EXPECT_EQ(frames.size(), 1u);
        return frames.empty() ? Frame{} : frames.front();
    }
    SamplingDataType measurement(double now = 0) {
        return payloadOf<SamplingDataType>(only(read(100, 1074), now));
    }
    Instrument_SetDataType settings() {
        return payloadOf<Instrument_SetDataType>(only(read(2000, 14)));
    }
    void changeSettings(void (*edit)(Instrument_SetDataType&)) {
        Instrument_SetDataType changed = settings();
        edit(changed);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&changed);
        only(write(2000, {bytes, bytes + SettingsWriteBytes}));
    }

    InstrumentConfig config;
    Instrument instrument{config};
};

struct AnswerCase {
    const char* name;
    Request request;
    std::size_t length;
    std::uint8_t function;
};

class RegisterMapTest : public InstrumentTest, public testing::WithParamInterface<AnswerCase> {};

TEST_P(RegisterMapTest, AnswersWithTheLengthFunctionAndCrcTheConsoleExpects) {
    const AnswerCase& c = GetParam();
    const Frame frame = only(c.request);
    ASSERT_EQ(frame.size(), c.length);
    EXPECT_TRUE(hasValidCrc(frame));
    EXPECT_EQ(frame[0], c.request.address);
    EXPECT_EQ(frame[1], c.function);
    if (c.function == 9) {
        EXPECT_EQ(frame[3] | frame[4] << 8, c.request.reg);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryRequest, RegisterMapTest,
    testing::Values(AnswerCase{"Measurement", read(100, 1074), 2153, 3},
                    AnswerCase{"Settings", read(2000, 14), 33, 3},
                    AnswerCase{"AngleCalibration", read(2116, 2), 9, 3},
                    AnswerCase{"ResponseSpeed", read(8002, 1), 7, 3},
                    AnswerCase{"PauseNotice", read(30000, 1), 7, 3},
                    AnswerCase{"KeepAlive", read(30001, 2), 9, 3},
                    AnswerCase{"KeepAliveAfterFile", read(30001, 1), 7, 3},
                    AnswerCase{"BusScan", read(8000, 1, 0), 7, 3},
                    AnswerCase{"RecordingHeader", record(16, 4096), 25, 3},
                    AnswerCase{"IntegrationDeferred", write(36, {2, 0}), 7, 9},
                    AnswerCase{"IntegrationImmediate", write(136, {1, 0}), 7, 9},
                    AnswerCase{"SettingsWrite", write(2000, std::vector<std::uint8_t>(26, 1)), 7,
                               9},
                    AnswerCase{"VoltageCalibration", write(2100, floatBytes(220)), 7, 9},
                    AnswerCase{"CurrentCalibration", write(2108, floatBytes(1)), 7, 9},
                    AnswerCase{"AngleCalibrationWrite", write(2116, floatBytes(1e-4f)), 7, 9},
                    AnswerCase{"Unlock", write(2120, {CalibrationUnlockCode, 0}), 7, 9},
                    AnswerCase{"RangeDelay", write(2122, {1, 0}), 7, 9},
                    AnswerCase{"CurrentZero", write(2152, {0x54, 0}), 7, 9},
                    AnswerCase{"ResponseSpeedWrite", write(8002, {2, 0}), 7, 9},
                    AnswerCase{"BusChange", write(8000, {1, 1}, 0), 7, 9}),
    [](const auto& test) { return std::string(test.param.name); });

struct SilentCase {
    const char* name;
    Request request;
};

class SilenceTest : public InstrumentTest, public testing::WithParamInterface<SilentCase> {};

TEST_P(SilenceTest, GetsNoAnswer) {
    EXPECT_TRUE(instrument.answer(GetParam().request, 0).empty());
}

INSTANTIATE_TEST_SUITE_P(
    UnknownOrMalformed, SilenceTest,
    testing::Values(SilentCase{"OtherAddress", read(100, 1074, 2)},
                    SilentCase{"UnknownRegister", read(101, 1)},
                    SilentCase{"WrongCount", read(100, 10)},
                    SilentCase{"KeepAliveOfThreeRegisters", read(30001, 3)},
                    SilentCase{"BusScanAtOwnAddress", read(8000, 1)},
                    SilentCase{"OtherRegisterAtAddressZero", read(100, 1074, 0)},
                    SilentCase{"UnknownWrite", write(37, {1, 0})},
                    SilentCase{"UnknownIntegrationCommand", write(136, {4, 0})},
                    SilentCase{"ShortSettings", write(2000, std::vector<std::uint8_t>(24, 0))},
                    SilentCase{"ResponseSpeedOutOfList", write(8002, {3, 0})},
                    SilentCase{"BusChangeToAddressZero", write(8000, {0, 1}, 0)},
                    SilentCase{"BusChangeToUnknownBaud", write(8000, {5, 2}, 0)},
                    SilentCase{"RecordingAtUnknownRate", record(10, 4096)},
                    SilentCase{"RecordingStop", record(0, 0, 0, 0)}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(InstrumentTest, SettingsReadBackWhatWasWrittenWithModelAndTemperature) {
    config.model = 40;
    config.temperature = 31;
    instrument = Instrument(config);
    std::vector<std::uint8_t> written(26);
    for (std::size_t k = 0; k < written.size(); ++k)
        written[k] = static_cast<std::uint8_t>(k * 7 + 1);
    only(write(2000, written));
    const Frame answer = only(read(2000, 14));
    EXPECT_TRUE(std::equal(written.begin(), written.end(), answer.begin() + 3));
    EXPECT_EQ(answer[3 + 26], 40);
    EXPECT_EQ(answer[3 + 27], 31);
}

TEST_F(InstrumentTest, MeasurementAgreesWithTheSamplesItCarries) {
    SignalConfig signal;
    signal.voltage = {230, 3, {{3, 8, 0}}};
    signal.current = {4.2, 0, {{5, 20, 45}}};
    signal.currentLagDegrees = 36.87;
    signal.noisePercent = 0.5;
    instrument.setSignal(signal);
    const SamplingDataType m = measurement(0.123);
    ASSERT_EQ(m.SamplingNumber, 512);
    ASSERT_EQ(m.N, 256);
    double uSquares = 0, iSquares = 0, products = 0;
    for (std::size_t k = 0; k < m.SamplingNumber; ++k) {
        const double u = m.u_Sampling[k] * double(m.UGene);
        const double i = m.i_Sampling[k] * double(m.IGene);
        uSquares += u * u;
        iSquares += i * i;
        products += u * i;
    }
    const double uRms = std::sqrt(uSquares / 512), iRms = std::sqrt(iSquares / 512);
    EXPECT_NEAR(m.U_rms, uRms, uRms * 1e-3);
    EXPECT_NEAR(m.I_rms, iRms, iRms * 1e-3);
    EXPECT_NEAR(m.ActivePower, products / 512, std::abs(products / 512) * 1e-3);
    // And the samples are the configured signal.
    EXPECT_NEAR(uRms, trueRms(signal.voltage), trueRms(signal.voltage) * 5e-3);
    EXPECT_NEAR(iRms, trueRms(signal.current), trueRms(signal.current) * 5e-3);
    EXPECT_NEAR(m.U_DC, 3, 0.2);
    EXPECT_NEAR(m.U_thdF, 0.08, 0.005);
    EXPECT_NEAR(m.I_thdF, 0.2, 0.005);
    EXPECT_NEAR(m.I_Phase, 36.87, 0.5);
    EXPECT_NEAR(m.U_Frequency, 50, 1e-6);
    EXPECT_NEAR(m.Z, m.U_rms / m.I_rms, 1e-3);
}

TEST_F(InstrumentTest, AutoRangeTakesTheSmallestRangeThatHoldsThePeak) {
    const SamplingDataType m = measurement();
    // 220 V peaks at 311 V: the 250 V range reaches 500 V, the 100 V range only 200 V.
    EXPECT_EQ(m.U_Range, 4);
    EXPECT_FLOAT_EQ(m.UGene, float(geneOf(250)));
    // 1 A peaks at 1.41 A: the 2.0 A range of model 20.
    EXPECT_EQ(m.I_Range, 3);
    EXPECT_EQ(m.Error_code, 0);
}

TEST_F(InstrumentTest, ManualRangesBelowTheSignalSetTheOverflowBits) {
    changeSettings([](Instrument_SetDataType& s) {
        s.LockRangeSwitch = 1;
        s.LockRangeVolBand = 2; // 50 V reaches 100 V
        s.LockRangeAmpBand = 0; // 60 mA
        s.ThdArithmetic = 1;
    });
    const SamplingDataType m = measurement();
    EXPECT_EQ(m.U_Range, 2);
    EXPECT_EQ(m.I_Range, 0);
    EXPECT_EQ(m.Error_code, 0x83);
}

TEST_F(InstrumentTest, ThdMethodRFollowsTheSettings) {
    SignalConfig signal;
    signal.voltage.harmonics = {{3, 30, 0}};
    instrument.setSignal(signal);
    EXPECT_NEAR(measurement().U_thdF, 0.3, 0.003);
    changeSettings([](Instrument_SetDataType& s) { s.ThdArithmetic = 1; });
    const SamplingDataType m = measurement();
    EXPECT_NEAR(m.U_thdF, 0.3 / std::sqrt(1.09), 0.003);
    EXPECT_EQ(m.Error_code & 0x80, 0x80);
}

TEST_F(InstrumentTest, TheWindowStartsAtTheTriggerChannelsRisingEdge) {
    SignalConfig signal;
    signal.currentLagDegrees = 60;
    instrument.setSignal(signal);
    for (std::uint8_t trigger : {1, 3}) {
        changeSettings(trigger == 1 ? +[](Instrument_SetDataType& s) { s.Trigger = 1; }
                                    : +[](Instrument_SetDataType& s) { s.Trigger = 3; });
        const SamplingDataType m = measurement(0.0137);
        EXPECT_EQ(m.Trigger, trigger);
        const std::int16_t* samples = trigger == 1 ? m.u_Sampling : m.i_Sampling;
        EXPECT_LE(std::abs(samples[0]), 1) << int(trigger);
        EXPECT_GT(samples[4], samples[0]) << int(trigger);
    }
}

TEST_F(InstrumentTest, IntegrationStartsStopsAndClearsThroughEitherRegister) {
    const SamplingDataType load = measurement();
    only(write(136, {1, 0}), 0);
    SamplingDataType m = measurement(3600);
    EXPECT_EQ(m.dTime, 3600u);
    EXPECT_NEAR(m.AH, load.I_rms, 1e-3);
    EXPECT_NEAR(m.WH, load.ActivePower, 0.5);
    EXPECT_NEAR(m.Average_Power, load.ActivePower, 0.5);

    only(write(36, {2, 0}), 3600);
    m = measurement(7200);
    EXPECT_EQ(m.dTime, 3600u);
    EXPECT_NEAR(m.AH, load.I_rms, 1e-3);

    only(write(36, {3, 0}), 7200);
    m = measurement(7300);
    EXPECT_EQ(m.dTime, 0u);
    EXPECT_EQ(m.AH, 0);
    EXPECT_EQ(m.WH, 0);
    EXPECT_EQ(m.Average_Power, 0);
}

TEST_F(InstrumentTest, IntegrationHonoursTheStopTime) {
    changeSettings([](Instrument_SetDataType& s) { s.StopTime = 100; });
    only(write(136, {1, 0}), 10);
    const SamplingDataType m = measurement(500);
    EXPECT_EQ(m.dTime, 100u);
    EXPECT_NEAR(m.AH, m.I_rms * 100 / 3600, 1e-4);
    EXPECT_FALSE(instrument.integrating());
}

TEST_F(InstrumentTest, BusChangeTakesEffectAfterItsAcknowledgement) {
    const Frame scan = only(read(8000, 1, 0));
    EXPECT_EQ(scan[3], 1);
    EXPECT_EQ(scan[4], 1);
    const Frame acknowledge = only(write(8000, {42, 0}, 0));
    EXPECT_EQ(acknowledge[0], 0);
    EXPECT_EQ(instrument.address(), 42);
    EXPECT_EQ(instrument.baudRate(), 19200);
    EXPECT_TRUE(instrument.answer(read(2000, 14, 1), 0).empty());
    EXPECT_EQ(only(read(2000, 14, 42)).size(), 33u);
    const Frame rescan = only(read(8000, 1, 0));
    EXPECT_EQ(rescan[3], 42);
    EXPECT_EQ(rescan[4], 0);
}

TEST_F(InstrumentTest, CalibrationWritesTakeEffectOnlyWhileUnlocked) {
    only(write(2100, floatBytes(230)));
    only(write(2116, floatBytes(5e-5f)));
    EXPECT_NEAR(measurement().U_rms, 220, 0.1);
    EXPECT_EQ(payloadOf<float>(only(read(2116, 2))), 0);

    only(write(2120, {CalibrationUnlockCode, 0}));
    EXPECT_TRUE(instrument.calibrationUnlocked());
    only(write(2100, floatBytes(230)));
    only(write(2108, floatBytes(1.05f)));
    only(write(2116, floatBytes(5e-5f)));
    const SamplingDataType m = measurement();
    EXPECT_NEAR(m.U_rms, 230, 0.1);
    EXPECT_NEAR(m.I_rms, 1.05, 1e-3);
    EXPECT_EQ(payloadOf<float>(only(read(2116, 2))), 5e-5f);

    only(write(2120, {0, 0}));
    EXPECT_FALSE(instrument.calibrationUnlocked());
    only(write(2100, floatBytes(100)));
    EXPECT_NEAR(measurement().U_rms, 230, 0.1);
}

TEST_F(InstrumentTest, CurrentZeroRemovesTheOffsetAndStepsByOneCount) {
    SignalConfig signal;
    signal.current.dc = 0.05;
    instrument.setSignal(signal);
    only(write(2120, {CalibrationUnlockCode, 0}));
    only(write(2152, {0x55, 0}));
    SamplingDataType m = measurement();
    EXPECT_NEAR(m.I_DC, 0, m.IGene);
    const float zeroed = m.I_DC;
    only(write(2152, {0x54, 0}));
    m = measurement();
    EXPECT_NEAR(m.I_DC, zeroed + m.IGene, 1e-6);
}

TEST_F(InstrumentTest, RecordingSendsAHeaderThenPacketsOnTimeUntilTheLength) {
    const Frame header = only(record(16, 4096, 4, 3), 10);
    const auto fields = payloadOf<RecordHeaderType>(header);
    EXPECT_FLOAT_EQ(fields.U1Gene, float(geneOf(300)));
    EXPECT_FLOAT_EQ(fields.I1Gene, float(geneOf(6)));
    EXPECT_EQ(fields.LWtemp, 4096u);

    // 800 samples per second: a packet every 1.28 s.
    EXPECT_TRUE(instrument.duePackets(11.27).empty());
    std::vector<Frame> packets = instrument.duePackets(11.28);
    ASSERT_EQ(packets.size(), 1u);
    const auto more = instrument.duePackets(100);
    packets.insert(packets.end(), more.begin(), more.end());
    ASSERT_EQ(packets.size(), 4u);
    EXPECT_FALSE(instrument.nextPacketDue());

    double sumOfSquares = 0;
    for (std::uint32_t index = 0; index < packets.size(); ++index) {
        ASSERT_EQ(packets[index].size(), 4109u);
        EXPECT_TRUE(hasValidCrc(packets[index]));
        const auto packet = payloadOf<RecordInstrumentDataType>(packets[index]);
        EXPECT_EQ(packet.PackNumber, index);
        EXPECT_FLOAT_EQ(packet.Time_Stamp, float(index * 1.28));
        for (const std::int16_t sample : packet.u1_Sampling)
            sumOfSquares += std::pow(sample * double(fields.U1Gene), 2);
    }
    EXPECT_NEAR(std::sqrt(sumOfSquares / 4096), 220, 0.5);
}

TEST_F(InstrumentTest, TheStopRequestEndsARecording) {
    only(record(64, 1'536'000), 0);
    EXPECT_EQ(instrument.duePackets(1).size(), 3u); // 3200 samples per second
    EXPECT_TRUE(instrument.answer(record(0, 0, 0, 0), 1).empty());
    EXPECT_TRUE(instrument.duePackets(100).empty());
}

} // namespace
