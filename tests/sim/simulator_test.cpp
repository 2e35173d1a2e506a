#include "simulator.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

#include "answer_frames.h"
#include "base/temporary_folder.h"
#include "line_client.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class SimulatorTest : public testing::Test {
protected:
    void start() {
        simulator = std::make_unique<Simulator>(options);
        simulator->start();
        client = std::make_unique<LineClient>(simulator->consolePath());
    }
    void TearDown() override {
        client.reset();
        if (simulator)
            simulator->stop();
    }
    Bytes measurementAnswer(double seconds = 1) {
        client->sendRead(1, 100, 1074);
        return client->receive(2153, seconds);
    }

    SimulatorOptions options;
    std::unique_ptr<Simulator> simulator;
    std::unique_ptr<LineClient> client;
};

struct LineCase {
    const char* name;
    std::uint8_t address;
    std::uint16_t reg;
    std::uint16_t count; // 0 for a write
    Bytes data;
    std::size_t answerLength;
};

TEST_F(SimulatorTest, AnswersEveryRequestOfTheRegisterMapOverThePseudoTerminal) {
    start();
    const std::vector<LineCase> cases{
        {"measurement", 1, 100, 1074, {}, 2153},
        {"settings", 1, 2000, 14, {}, 33},
        {"settings write", 1, 2000, 0, Bytes(26, 0), 7},
        {"angle", 1, 2116, 2, {}, 9},
        {"response speed", 1, 8002, 1, {}, 7},
        {"pause", 1, 30000, 1, {}, 7},
        {"keep-alive", 1, 30001, 2, {}, 9},
        {"keep-alive after file work", 1, 30001, 1, {}, 7},
        {"integration deferred", 1, 36, 0, {3, 0}, 7},
        {"integration immediate", 1, 136, 0, {1, 0}, 7},
        {"voltage calibration", 1, 2100, 0, {0, 0, 0x5C, 0x43}, 7},
        {"current calibration", 1, 2108, 0, {0, 0, 0x80, 0x3F}, 7},
        {"angle calibration", 1, 2116, 0, {0x53, 0x04, 0x69, 0x38}, 7},
        {"lock", 1, 2120, 0, {0, 0}, 7},
        {"range delay", 1, 2122, 0, {0, 0}, 7},
        {"current zero", 1, 2152, 0, {0x53, 0}, 7},
        {"response speed write", 1, 8002, 0, {1, 0}, 7},
        {"bus scan", 0, 8000, 1, {}, 7},
    };
    for (const LineCase& c : cases) {
        if (c.count > 0)
            client->sendRead(c.address, c.reg, c.count);
        else
            client->sendWrite(c.address, c.reg, c.data);
        const Bytes answer = client->receive(c.answerLength, 1);
        ASSERT_EQ(answer.size(), c.answerLength) << c.name;
        EXPECT_TRUE(hasValidCrc(answer)) << c.name;
        EXPECT_EQ(answer[1], c.count > 0 ? 3 : 9) << c.name;
        EXPECT_TRUE(client->receiveFor(0.02).empty()) << c.name << ": more than one answer";
    }
    client->sendRecord(16, 1024);
    const Bytes header = client->receive(25, 1);
    ASSERT_EQ(header.size(), 25u);
    EXPECT_TRUE(hasValidCrc(header));
}

TEST_F(SimulatorTest, AMeasurementAnswerCarriesTheRecordLayout) {
    options.instrument.signal.voltage.rms = 120;
    options.instrument.signal.current.rms = 2.5;
    start();
    const Bytes answer = measurementAnswer();
    ASSERT_EQ(answer.size(), 2153u);
    SamplingDataType m{};
    std::memcpy(&m, answer.data() + 3, MeasurementPayloadBytes);
    EXPECT_NEAR(m.U_rms, 120, 0.12);
    EXPECT_NEAR(m.I_rms, 2.5, 0.0025);
    EXPECT_EQ(m.SamplingNumber, 512);
    EXPECT_NEAR(m.u_Sampling[64] * m.UGene, 120 * std::sqrt(2), 0.2); // a quarter period in
}

TEST_F(SimulatorTest, AFiveSecondRecordingAt800SamplesPerSecondDeliversFourPackets) {
    options.timeScale = 10;
    start();
    client->sendRecord(16, 4096);
    const Bytes header = client->receive(25, 1);
    ASSERT_EQ(header.size(), 25u);
    const Bytes packets = client->receive(4 * 4109, 2);
    ASSERT_EQ(packets.size(), 4 * 4109u);
    for (std::uint32_t index = 0; index < 4; ++index) {
        const auto packet = std::span(packets).subspan(index * 4109, 4109);
        EXPECT_TRUE(hasValidCrc(packet));
        std::uint32_t packNumber;
        std::memcpy(&packNumber, packet.data() + 3, 4);
        EXPECT_EQ(packNumber, index);
    }
    EXPECT_TRUE(client->receiveFor(0.3).empty());
}

TEST_F(SimulatorTest, PacketsArePacedInRealTime) {
    start();
    client->sendRecord(64, 2048); // 3200 samples per second: 0.32 s per packet
    ASSERT_EQ(client->receive(25, 1).size(), 25u);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(client->receive(4109, 1).size(), 4109u);
    EXPECT_NEAR(secondsSince(start), 0.32, 0.1);
    ASSERT_EQ(client->receive(4109, 1).size(), 4109u);
    EXPECT_NEAR(secondsSince(start), 0.64, 0.1);
}

TEST_F(SimulatorTest, TheUsbPortAnswersWhateverTheConsolesBaudRate) {
    start();
    client->setBaud(9600);
    EXPECT_EQ(measurementAnswer().size(), 2153u);
}

TEST_F(SimulatorTest, AnRs485SlaveHearsOnlyRequestsAtItsOwnRate) {
    options.personality = Personality::Rs485;
    options.instrument.baudCode = BusBaudCode::Baud115200;
    start();
    client->setBaud(19200);
    client->sendRead(0, 8000, 1);
    EXPECT_TRUE(client->receive(7, 0.3).empty());
    EXPECT_EQ(simulator->requestsAtWrongRate(), 1u);

    client->setBaud(115200);
    client->sendRead(0, 8000, 1);
    const Bytes scan = client->receive(7, 1);
    ASSERT_EQ(scan.size(), 7u);
    EXPECT_EQ(scan[3], 1);
    EXPECT_EQ(scan[4], 1);

    // Moving the slave to 19200 baud: acknowledged, then it hears only 19200.
    client->sendWrite(0, 8000, {9, 0});
    ASSERT_EQ(client->receive(7, 1).size(), 7u);
    client->sendRead(9, 2000, 14);
    EXPECT_TRUE(client->receive(33, 0.3).empty());
    client->setBaud(19200);
    client->sendRead(9, 2000, 14);
    EXPECT_EQ(client->receive(33, 1).size(), 33u);
}

TEST_F(SimulatorTest, AnRs485AnswerTakesTheLinesTime) {
    options.personality = Personality::Rs485;
    start();
    const auto start = std::chrono::steady_clock::now();
    client->sendRead(1, 100, 1074);
    const Bytes first = client->receive(1, 1);
    const double firstByte = secondsSince(start);
    const Bytes rest = client->receive(2152, 1);
    const double lastByte = secondsSince(start);
    ASSERT_EQ(first.size() + rest.size(), 2153u);
    // 2153 bytes of 10 bits at 115200 baud take 187 ms.
    EXPECT_LT(firstByte, 0.05);
    EXPECT_GT(lastByte, 0.17);
    EXPECT_LT(lastByte, 0.5);
}

TEST_F(SimulatorTest, DropAndBadCrcStrikeTheConfiguredAnswers) {
    options.faults[std::size_t(FaultKind::Drop)] = {0, 1};
    start();
    EXPECT_TRUE(measurementAnswer(0.3).empty());
    EXPECT_TRUE(hasValidCrc(measurementAnswer()));
    simulator->setFault(FaultKind::BadCrc, {0, 1});
    const Bytes bad = measurementAnswer();
    ASSERT_EQ(bad.size(), 2153u);
    EXPECT_FALSE(hasValidCrc(bad));
    EXPECT_TRUE(hasValidCrc(measurementAnswer()));
}

TEST_F(SimulatorTest, ASplitAnswerArrivesInPiecesWithAPause) {
    options.faults[std::size_t(FaultKind::Split)] = {0, 1};
    options.faultShape.splitPause = 0.25;
    start();
    client->sendRead(1, 100, 1074);
    const Bytes first = client->receiveFor(0.15);
    ASSERT_FALSE(first.empty());
    ASSERT_LT(first.size(), 2153u);
    const Bytes rest = client->receive(2153 - first.size(), 1);
    Bytes whole = first;
    whole.insert(whole.end(), rest.begin(), rest.end());
    ASSERT_EQ(whole.size(), 2153u);
    EXPECT_TRUE(hasValidCrc(whole));
}

TEST_F(SimulatorTest, AMergedAnswerComesBackToBackWithTheNextOne) {
    options.faults[std::size_t(FaultKind::Merge)] = {0, 1};
    start();
    client->sendRead(1, 30001, 2);
    EXPECT_TRUE(client->receive(9, 0.2).empty());
    client->sendRead(1, 100, 1074);
    const Bytes both = client->receive(9 + 2153, 1);
    ASSERT_EQ(both.size(), 9u + 2153u);
    EXPECT_TRUE(hasValidCrc(std::span(both).first(9)));
    EXPECT_TRUE(hasValidCrc(std::span(both).subspan(9)));
}

TEST_F(SimulatorTest, AHeldAnswerGoesAloneWhenNoOtherFollows) {
    options.faults[std::size_t(FaultKind::Merge)] = {0, 1};
    options.faultShape.mergeHoldLimit = 0.2;
    start();
    client->sendRead(1, 30001, 2);
    EXPECT_EQ(client->receive(9, 1).size(), 9u);
}

TEST_F(SimulatorTest, GarbageComesBeforeAnIntactAnswer) {
    options.faults[std::size_t(FaultKind::Garbage)] = {0, 1};
    options.faultShape.garbageBytes = 11;
    start();
    client->sendRead(1, 100, 1074);
    const Bytes bytes = client->receive(11 + 2153, 1);
    ASSERT_EQ(bytes.size(), 11u + 2153u);
    EXPECT_TRUE(hasValidCrc(std::span(bytes).subspan(11)));
}

// A given device is served as it is: here the far end of a pseudo-terminal the test holds.
TEST_F(SimulatorTest, ServesAGivenDevice) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    options.devicePath = ptsname(master);
    simulator = std::make_unique<Simulator>(options);
    simulator->start();
    EXPECT_EQ(simulator->consolePath(), options.devicePath);
    SendBuffer frame{};
    const std::size_t length = buildReadRequest(frame, 1, 2000, 14);
    ASSERT_EQ(::write(master, frame.data(), length), ssize_t(length));
    Bytes answer;
    pollfd input{master, POLLIN, 0};
    while (answer.size() < 33 && ::poll(&input, 1, 1000) > 0) {
        std::uint8_t buffer[64];
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        ASSERT_GT(got, 0);
        answer.insert(answer.end(), buffer, buffer + got);
    }
    EXPECT_EQ(answer.size(), 33u);
    EXPECT_TRUE(hasValidCrc(answer));
    simulator->stop();
    ::close(master);
}

TEST_F(SimulatorTest, AVanishedDeviceComesBackAtTheSameLink) {
    TemporaryFolder folder;
    options.linkPath = (std::filesystem::path(folder.path()) / "instrument").string();
    options.faults[std::size_t(FaultKind::Vanish)] = {0, 1};
    options.faultShape.vanishFor = 0.3;
    start();
    client->sendRead(1, 100, 1074);
    EXPECT_TRUE(client->hungUp(1));
    EXPECT_FALSE(std::filesystem::exists(options.linkPath));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!std::filesystem::exists(options.linkPath) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(std::filesystem::exists(options.linkPath));
    client = std::make_unique<LineClient>(options.linkPath);
    EXPECT_EQ(measurementAnswer().size(), 2153u);
    EXPECT_EQ(simulator->faultsStruck(FaultKind::Vanish), 1u);
}

} // namespace
