#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <ctime>
#include <functional>
#include <numeric>
#include <ostream>
#include <string>
#include <vector>

#include <asm/termbits.h>

#include "serial/comm.h"
#include "serial/pseudo_terminal.h"
#include "shell/dialogs.h"

// Stops the poll timer of a TComm so a test runs the ticks itself, one at a time.
class CommPollControl {
public:
    static void stopPolling(TComm& comm) { comm.CommTimer.SetEnabled(false); }
    static void tick(TComm& comm) { comm.ProcTimer(); }
};

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int TestPort = 7; // mapped to the pseudo-terminal
constexpr char CannotConnect[] = "  Can not connect the instrument!  ";
constexpr char NotOpened[] = "COM Port is not opened yet!";

// Runs the event loop until `condition` holds or `timeoutMs` has passed.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 2000) {
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void runEventsFor(int ms) {
    waitUntil([] { return false; }, ms);
}

std::string openError(TComm& comm) {
    try {
        comm.SetPortOpen(true);
    } catch (const ECommError& error) {
        return error.what();
    }
    return "opened";
}

Bytes lastRead(TComm& comm) {
    const std::uint8_t* bytes = nullptr;
    const std::uint32_t last = comm.ReadInputByte(bytes);
    return Bytes(bytes, bytes + last + 1);
}

Bytes sequence(std::size_t count) {
    Bytes bytes(count);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{0});
    return bytes;
}

// A TComm whose test port is a pseudo-terminal, with its message boxes scripted.
class CommOnPty : public testing::Test {
protected:
    CommOnPty() {
        comm.SetDevicePaths({{TestPort, pty.slavePath()}});
        comm.SetCommPort(comPort(TestPort));
    }

    void open() { ASSERT_EQ(openError(comm), "opened"); }

    // The pseudo-terminal sends `bytes`; returns once the port counts them queued.
    void receive(const Bytes& bytes) {
        const std::uint32_t before = comm.ReadInDataCount();
        pty.write(bytes);
        ASSERT_TRUE(waitUntil([&] { return comm.ReadInDataCount() >= before + bytes.size(); }))
            << comm.ReadInDataCount() << " of " << before + bytes.size() << " bytes queued";
    }

    ScriptedDialogs dialogs;
    PseudoTerminal pty;
    TComm comm;
};

// The same with the poll timer stopped: the test runs each tick.
class CommTicks : public CommOnPty {
protected:
    CommTicks() {
        CommPollControl::stopPolling(comm);
        comm.SetOnReceiveData([this](TComm*) { ++receiveEvents; });
    }

    // Runs one tick; true when it called OnReceiveData.
    bool tick() {
        const int before = receiveEvents;
        CommPollControl::tick(comm);
        return receiveEvents != before;
    }

    int receiveEvents = 0;
};

// --- opening and closing ---

TEST_F(CommOnPty, OpensTheDeviceExclusivelyUntilItIsClosed) {
    open();
    EXPECT_TRUE(comm.PortOpen());
    TComm other;
    other.SetDevicePaths({{TestPort, pty.slavePath()}});
    other.SetCommPort(comPort(TestPort));
    EXPECT_EQ(openError(other), CannotConnect);
    EXPECT_FALSE(other.PortOpen());

    comm.SetPortOpen(false);
    EXPECT_FALSE(comm.PortOpen());
    comm.SetPortOpen(false);
    EXPECT_FALSE(comm.PortOpen());
    EXPECT_EQ(openError(other), "opened");
    EXPECT_TRUE(dialogs.shown().empty());
}

struct OpenErrorCase {
    const char* what;
    int port;
    std::string device;
    std::string message;
};

void PrintTo(const OpenErrorCase& c, std::ostream* out) {
    *out << c.what;
}

class CommOpenError : public testing::TestWithParam<OpenErrorCase> {};

TEST_P(CommOpenError, RaisesECommErrorAndStaysClosed) {
    const OpenErrorCase& c = GetParam();
    ScriptedDialogs dialogs;
    TComm comm;
    comm.SetDevicePaths({{c.port, c.device}});
    comm.SetCommPort(comPort(c.port));
    EXPECT_EQ(openError(comm), c.message);
    EXPECT_FALSE(comm.PortOpen());
    EXPECT_TRUE(dialogs.shown().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Comm, CommOpenError,
    testing::Values(OpenErrorCase{"missing device", 3, "/dev/voltrane-missing", CannotConnect},
                    OpenErrorCase{"port without a device", 200, "", CannotConnect},
                    OpenErrorCase{"device that is not a line", 3, "/dev/null",
                                  "Cannot setup comm buffer"}));

TEST_F(CommOnPty, OpeningAnOpenPortShowsAnErrorAndKeepsThePort) {
    open();
    comm.SetPortOpen(true);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(
        dialogs.shown()[0],
        (ShownDialog{DialogKind::Critical, ApplicationTitle, "COM Port has been opened!", {}}));
    EXPECT_TRUE(comm.PortOpen());
    const Bytes frame = {0x01, 0x03};
    EXPECT_TRUE(comm.OutputBlockByte(frame, 2));
    EXPECT_EQ(pty.read(2), frame);
}

TEST_F(CommOnPty, ACommPortChangeWaitsForTheNextOpen) {
    PseudoTerminal second;
    comm.SetDevicePaths({{TestPort, pty.slavePath()}, {TestPort + 1, second.slavePath()}});
    open();
    comm.SetCommPort(comPort(TestPort + 1));
    const Bytes frame = {0x5A};
    comm.OutputBlockByte(frame, 1);
    EXPECT_EQ(pty.read(1), frame);

    comm.SetPortOpen(false);
    open();
    comm.OutputBlockByte(frame, 1);
    EXPECT_EQ(second.read(1), frame);
    EXPECT_TRUE(pty.read(1, 50).empty());
}

// --- writing ---

TEST_F(CommOnPty, WritesEveryByteValueUnchanged) {
    open();
    const Bytes all = sequence(256);
    EXPECT_TRUE(comm.OutputBlockByte(all, 256));
    EXPECT_EQ(pty.read(256), all);
}

struct BlockLengthCase {
    std::uint32_t length;
    std::size_t written;
};

void PrintTo(const BlockLengthCase& c, std::ostream* out) {
    *out << "Length " << c.length;
}

class CommBlockLength : public CommOnPty, public testing::WithParamInterface<BlockLengthCase> {};

TEST_P(CommBlockLength, WritesTheFirstLengthBytesAndNeverMoreThanTheBlockHolds) {
    open();
    const Bytes block = {0x10, 0x20, 0x30, 0x40};
    EXPECT_TRUE(comm.OutputBlockByte(block, GetParam().length));
    const Bytes expected(block.begin(), block.begin() + GetParam().written);
    EXPECT_EQ(pty.read(block.size() + 1, 100), expected);
}

INSTANTIATE_TEST_SUITE_P(Comm, CommBlockLength,
                         testing::Values(BlockLengthCase{0, 0}, BlockLengthCase{3, 3},
                                         BlockLengthCase{4, 4}, BlockLengthCase{4000, 4}));

TEST_F(CommOnPty, WritesSingleBytesAndLatin1Text) {
    open();
    const Bytes bytes = {0x00, 0x0D, 0x0A, 0xFF};
    EXPECT_TRUE(comm.OutputByte(bytes));
    EXPECT_EQ(pty.read(4), bytes);
    EXPECT_TRUE(comm.OutputString(QStringLiteral("A\u00e9\u20ac")));
    EXPECT_EQ(pty.read(4, 200), (Bytes{'A', 0xE9, '?'}));
}

struct ClosedWriteCase {
    const char* what;
    std::function<bool(TComm&)> write;
};

void PrintTo(const ClosedWriteCase& c, std::ostream* out) {
    *out << c.what;
}

class CommClosedWrite : public testing::TestWithParam<ClosedWriteCase> {};

TEST_P(CommClosedWrite, ShowsAnErrorAndFails) {
    ScriptedDialogs dialogs;
    TComm comm;
    EXPECT_FALSE(GetParam().write(comm));
    EXPECT_EQ(dialogs.shown(),
              (std::vector<ShownDialog>{{DialogKind::Critical, ApplicationTitle, NotOpened, {}}}));
}

const Bytes Frame = {0x01, 0x03, 0x00, 0x64};

INSTANTIATE_TEST_SUITE_P(
    Comm, CommClosedWrite,
    testing::Values(ClosedWriteCase{"block", [](TComm& c) { return c.OutputBlockByte(Frame, 4); }},
                    ClosedWriteCase{"bytes", [](TComm& c) { return c.OutputByte(Frame); }},
                    ClosedWriteCase{"text", [](TComm& c) { return c.OutputString("text"); }}));

// --- the modem lines ---

TEST_F(CommOnPty, TheModemQueryNeedsAnOpenPort) {
    try {
        comm.GetModemState();
        ADD_FAILURE() << "no ECommError";
    } catch (const ECommError& error) {
        EXPECT_STREQ(error.what(), NotOpened);
    }
    open();
    // A pseudo-terminal has no modem lines: the refused query reports no change.
    EXPECT_NO_THROW(comm.GetModemState());
    EXPECT_EQ(comm.ReadCommEvent(), 0u);
}

TEST_F(CommOnPty, OutputLinesAreSetOnlyWhileOpen) {
    comm.SetDTRStatus(true);
    comm.SetRTSStatus(true);
    EXPECT_FALSE(comm.DTREnabled());
    EXPECT_FALSE(comm.RTSEnabled());
    open();
    // The pseudo-terminal refuses the line calls; that is ignored.
    comm.SetDTRStatus(true);
    comm.SetRTSStatus(true);
    EXPECT_TRUE(comm.DTREnabled());
    EXPECT_TRUE(comm.RTSEnabled());
}

// --- polling ---

TEST_F(CommOnPty, ThePollCallsTheHandlerOnceThresholdBytesAreQueued) {
    comm.SetRThreshold(3);
    Bytes received;
    int events = 0;
    comm.SetOnReceiveData([&](TComm* sender) {
        ++events;
        received = lastRead(*sender);
    });
    open();
    pty.write(Bytes{0x01, 0x02});
    EXPECT_TRUE(waitUntil([&] { return comm.DataCount2() == 2; }));
    runEventsFor(250);
    EXPECT_EQ(events, 0);

    pty.write(Bytes{0x03});
    ASSERT_TRUE(waitUntil([&] { return events > 0; }));
    EXPECT_EQ(received, (Bytes{0x01, 0x02, 0x03}));
    runEventsFor(250);
    EXPECT_EQ(events, 1) << "the handler read everything";
}

struct ThresholdCase {
    std::uint32_t threshold;
    std::size_t queued;
    bool fires;
};

void PrintTo(const ThresholdCase& c, std::ostream* out) {
    *out << c.queued << " queued, RThreshold " << c.threshold;
}

class CommThreshold : public CommTicks, public testing::WithParamInterface<ThresholdCase> {};

TEST_P(CommThreshold, FiresOnEveryTickWhileEnoughBytesStayUnread) {
    const ThresholdCase& c = GetParam();
    comm.SetRThreshold(c.threshold);
    open();
    receive(sequence(c.queued));
    EXPECT_EQ(tick(), c.fires);
    EXPECT_EQ(tick(), c.fires);
    EXPECT_EQ(comm.DataCount2(), c.queued);
}

INSTANTIATE_TEST_SUITE_P(Comm, CommThreshold,
                         testing::Values(ThresholdCase{1, 1, true}, ThresholdCase{4, 3, false},
                                         ThresholdCase{4, 4, true}, ThresholdCase{4, 10, true},
                                         ThresholdCase{0, 10, false}));

TEST_F(CommTicks, WithoutThresholdTheCountStillFollowsTheQueue) {
    open();
    receive(sequence(5));
    tick();
    EXPECT_EQ(comm.DataCount2(), 5u);
    receive(sequence(2));
    tick();
    EXPECT_EQ(comm.DataCount2(), 7u);
    EXPECT_EQ(receiveEvents, 0);
}

TEST_F(CommTicks, AfterTriggerWaitsForTwoTicksWithTheSameCount) {
    comm.SetRThreshold(1);
    comm.SetAfterTrigger(true);
    open();
    receive(sequence(3));
    EXPECT_FALSE(tick()) << "first count";
    receive(sequence(2));
    EXPECT_FALSE(tick()) << "count still growing";
    EXPECT_TRUE(tick()) << "same count twice";
    EXPECT_FALSE(tick()) << "the count seen before the event is forgotten";
    EXPECT_TRUE(tick());
    EXPECT_EQ(lastRead(comm).size(), 5u);
}

TEST_F(CommTicks, AHandlerMayCloseThePortDuringATick) {
    comm.SetRThreshold(1);
    comm.SetOnReceiveData([](TComm* sender) { sender->SetPortOpen(false); });
    open();
    receive({0x01});
    EXPECT_NO_THROW(CommPollControl::tick(comm));
    EXPECT_FALSE(comm.PortOpen());
}

// A pulled adapter closes the port at once, so the USB watchdog can open it again, and
// the dead line is not polled in a loop.
TEST_F(CommOnPty, ALostDeviceClosesThePort) {
    open();
    pty.hangUp();
    EXPECT_TRUE(waitUntil([&] { return !comm.PortOpen(); }, 1000));
    const std::clock_t cpuBefore = std::clock();
    QEventLoop idle;
    QTimer::singleShot(300, &idle, &QEventLoop::quit);
    idle.exec();
    EXPECT_LT(double(std::clock() - cpuBefore) / CLOCKS_PER_SEC, 0.05);
}

// --- reading ---

struct InputLenCase {
    std::uint32_t inputLen;
    std::size_t read;
};

void PrintTo(const InputLenCase& c, std::ostream* out) {
    *out << "InputLen " << c.inputLen;
}

class CommInputLen : public CommOnPty, public testing::WithParamInterface<InputLenCase> {};

TEST_P(CommInputLen, ReadsInputLenBytesOrAllThatAreQueued) {
    comm.SetInputLen(GetParam().inputLen);
    open();
    const Bytes sent = sequence(10);
    receive(sent);
    EXPECT_EQ(lastRead(comm), Bytes(sent.begin(), sent.begin() + GetParam().read));
    EXPECT_EQ(comm.ReadInDataCount(), sent.size() - GetParam().read);
}

INSTANTIATE_TEST_SUITE_P(Comm, CommInputLen,
                         testing::Values(InputLenCase{0, 10}, InputLenCase{3, 3},
                                         InputLenCase{10, 10}, InputLenCase{16, 10}));

TEST_F(CommOnPty, InputLenIsClampedToTheReadBuffer) {
    comm.SetInputLen(INPUTBUFFERSIZE + 1);
    EXPECT_EQ(comm.InputLen(), INPUTBUFFERSIZE);
}

TEST_F(CommOnPty, InputIsTheTextUpToTheFirstZeroByte) {
    open();
    const Bytes sent = {'A', 0xE9, 0x00, 'C'};
    receive(sent);
    EXPECT_EQ(comm.ReadInputData(), QStringLiteral("A\u00e9"));
    EXPECT_EQ(lastRead(comm), sent) << "nothing new queued: the last read again";
}

TEST_F(CommOnPty, WithoutNewBytesTheLastReadStays) {
    const std::uint8_t* bytes = nullptr;
    EXPECT_EQ(comm.ReadInputByte(bytes) + 1, 0u) << "nothing read yet";
    open();
    receive({'x', 'y', 'z'});
    const Bytes first = lastRead(comm);
    EXPECT_EQ(first, (Bytes{'x', 'y', 'z'}));
    EXPECT_EQ(lastRead(comm), first);
    comm.SetPortOpen(false);
    EXPECT_EQ(lastRead(comm), first);
    EXPECT_EQ(comm.ReadInputData(), "xyz");
}

TEST_F(CommOnPty, ABacklogBeyondTheReadBufferIsDiscarded) {
    open();
    receive({'a', 'b', 'c'});
    ASSERT_EQ(lastRead(comm), (Bytes{'a', 'b', 'c'}));
    // In pieces: the pseudo-terminal itself holds less than the backlog.
    const Bytes piece(1024, 0x55);
    for (int i = 0; i < 20 && comm.ReadInDataCount() <= INPUTBUFFERSIZE; ++i)
        ASSERT_NO_FATAL_FAILURE(receive(piece));
    ASSERT_GT(comm.ReadInDataCount(), INPUTBUFFERSIZE);
    EXPECT_EQ(lastRead(comm), (Bytes{'a', 'b', 'c'}));
    EXPECT_TRUE(waitUntil([&] { return comm.ReadInDataCount() == 0; }, 200));
    runEventsFor(50);
    EXPECT_EQ(comm.ReadInDataCount(), 0u);
}

TEST_F(CommOnPty, SettingDataCountToZeroDiscardsTheQueue) {
    open();
    receive(sequence(6));
    comm.SetInDataCount(5);
    EXPECT_EQ(comm.ReadInDataCount(), 6u);
    comm.SetInDataCount(0);
    EXPECT_EQ(comm.ReadInDataCount(), 0u);
}

// --- line settings ---

struct BaudCase {
    TBaudRate rate;
    std::uint32_t bitsPerSecond;
};

void PrintTo(const BaudCase& c, std::ostream* out) {
    *out << "ordinal " << static_cast<int>(c.rate);
}

class CommBaudRate : public CommOnPty, public testing::WithParamInterface<BaudCase> {};

TEST_P(CommBaudRate, ReachesTheLineAtOnce) {
    open();
    comm.SetBaudRate(GetParam().rate);
    EXPECT_EQ(pty.line().speed, GetParam().bitsPerSecond);
}

BaudCase baudOrdinal(int ordinal, std::uint32_t bitsPerSecond) {
    return {static_cast<TBaudRate>(ordinal), bitsPerSecond};
}

INSTANTIATE_TEST_SUITE_P(
    Comm, CommBaudRate,
    testing::Values(baudOrdinal(0, 110), baudOrdinal(1, 300), baudOrdinal(2, 600),
                    baudOrdinal(3, 1200), baudOrdinal(4, 2400), baudOrdinal(5, 4800),
                    baudOrdinal(6, 9600), baudOrdinal(7, 14400), baudOrdinal(8, 19200),
                    baudOrdinal(9, 38400), baudOrdinal(10, 56000), baudOrdinal(11, 57600),
                    baudOrdinal(12, 76800), baudOrdinal(13, 115200), baudOrdinal(14, 230400),
                    baudOrdinal(15, 230400), baudOrdinal(255, 230400)));

// A pseudo-terminal always keeps 8 data bits and clears the parity enable bit, so data
// bits are not visible there and parity shows in its odd and mark/space bits only.
struct LineCase {
    const char* what;
    std::function<void(TComm&)> set;
    std::uint32_t controlMask;
    std::uint32_t control;
    std::uint32_t inputMask;
    std::uint32_t input;
};

void PrintTo(const LineCase& c, std::ostream* out) {
    *out << c.what;
}

class CommLineSetting : public CommOnPty, public testing::WithParamInterface<LineCase> {};

TEST_P(CommLineSetting, ReachesTheLineAtOnce) {
    const LineCase& c = GetParam();
    open();
    c.set(comm);
    const PseudoTerminal::Line line = pty.line();
    EXPECT_EQ(line.controlFlags & c.controlMask, c.control);
    EXPECT_EQ(line.inputFlags & c.inputMask, c.input);
}

constexpr std::uint32_t ParityBits = PARODD | CMSPAR;
constexpr std::uint32_t FlowInput = IXON | IXOFF;

INSTANTIATE_TEST_SUITE_P(
    Comm, CommLineSetting,
    testing::Values(
        LineCase{"defaults", [](TComm&) {}, ParityBits | CSTOPB | CRTSCTS, 0, FlowInput, 0},
        LineCase{"odd", [](TComm& c) { c.SetParity(TParity::Odd); }, ParityBits, PARODD, 0, 0},
        LineCase{"mark", [](TComm& c) { c.SetParity(TParity::Mark); }, ParityBits, PARODD | CMSPAR,
                 0, 0},
        LineCase{"space", [](TComm& c) { c.SetParity(TParity::Space); }, ParityBits, CMSPAR, 0, 0},
        LineCase{"SB2", [](TComm& c) { c.SetStopBits(TStopBits::SB2); }, CSTOPB, CSTOPB, 0, 0},
        LineCase{"RTS/CTS", [](TComm& c) { c.SetHwHandShaking(THWHandShaking::hhRTSCTS); }, CRTSCTS,
                 CRTSCTS, FlowInput, 0},
        LineCase{"XON/XOFF", [](TComm& c) { c.SetSwHandShaking(TSWHandShaking::shXonXoff); },
                 CRTSCTS, 0, FlowInput, FlowInput}));

TEST_F(CommOnPty, SettingsMadeWhileClosedApplyAtOpen) {
    comm.SetBaudRate(TBaudRate::br76800);
    comm.SetStopBits(TStopBits::SB2);
    open();
    const PseudoTerminal::Line line = pty.line();
    EXPECT_EQ(line.speed, 76800u);
    EXPECT_EQ(line.controlFlags & CSTOPB, static_cast<std::uint32_t>(CSTOPB));
}

TEST_F(CommOnPty, OnlyAChangedValueTouchesTheLineAndThenTheWholeLineIsApplied) {
    open();
    PseudoTerminal::Line changedBehindTheBack = pty.line();
    changedBehindTheBack.speed = 1200;
    changedBehindTheBack.controlFlags |= CSTOPB;
    pty.setLine(changedBehindTheBack);

    comm.SetBaudRate(TBaudRate::br9600);
    comm.SetStopBits(TStopBits::SB1);
    EXPECT_EQ(pty.line().speed, 1200u);
    EXPECT_EQ(pty.line().controlFlags & CSTOPB, static_cast<std::uint32_t>(CSTOPB));

    comm.SetBaudRate(TBaudRate::br19200);
    EXPECT_EQ(pty.line().speed, 19200u);
    EXPECT_EQ(pty.line().controlFlags & CSTOPB, 0u);
}

} // namespace
