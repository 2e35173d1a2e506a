#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <ostream>
#include <vector>

#include "shell/vcl_timer.h"

namespace {

// A timer under test with the times of its ticks, in ms since start().
class TimerFixture : public testing::Test {
protected:
    void start(int intervalMs) {
        timer.SetInterval(intervalMs);
        timer.SetOnTimer([this] { record(); });
        clock.start();
    }

    void record() { ticks.push_back(clock.elapsed()); }

    // Runs the event loop until `count` ticks have come or `ms` have passed.
    void waitForTicks(std::size_t count, int ms) {
        QElapsedTimer waited;
        waited.start();
        while (ticks.size() < count && waited.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }

    void runEventsFor(int ms) {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }

    VclTimer timer;
    QElapsedTimer clock;
    std::vector<qint64> ticks;
};

struct MidIntervalCase {
    const char* what;
    std::function<void(VclTimer&, std::function<void()>)> change;
    bool restartsInterval;
};

void PrintTo(const MidIntervalCase& c, std::ostream* out) {
    *out << c.what;
}

class VclTimerChange : public TimerFixture, public testing::WithParamInterface<MidIntervalCase> {};

constexpr int Interval = 300;

TEST_P(VclTimerChange, RestartsTheIntervalOnlyOnARealChange) {
    const MidIntervalCase& c = GetParam();
    start(Interval);
    qint64 changedAt = -1;
    QTimer change; // ends with the test, so it never fires into another one
    change.setSingleShot(true);
    change.setTimerType(Qt::PreciseTimer);
    QObject::connect(&change, &QTimer::timeout, [&] {
        c.change(timer, [this] { record(); });
        changedAt = clock.elapsed();
    });
    change.start(Interval / 2);
    waitForTicks(1, 3 * Interval);
    ASSERT_EQ(ticks.size(), 1u);
    ASSERT_GE(changedAt, 0) << "the change came after the first tick";
    ASSERT_LT(changedAt, ticks[0]) << "the change came after the first tick";
    // A restarted timer waits a whole interval after the change; a little slack for
    // millisecond rounding.
    EXPECT_EQ(ticks[0] - changedAt >= Interval - 10, c.restartsInterval)
        << "changed at " << changedAt << " ms, ticked at " << ticks[0] << " ms";
}

INSTANTIATE_TEST_SUITE_P(
    VclTimer, VclTimerChange,
    testing::Values(
        MidIntervalCase{"enabling an enabled timer",
                        [](VclTimer& subject, auto) { subject.SetEnabled(true); }, false},
        MidIntervalCase{"setting the interval it has",
                        [](VclTimer& subject, auto) { subject.SetInterval(Interval); }, false},
        MidIntervalCase{"another interval",
                        [](VclTimer& subject, auto) { subject.SetInterval(Interval + 10); }, true},
        MidIntervalCase{
            "another handler",
            [](VclTimer& subject, std::function<void()> h) { subject.SetOnTimer(std::move(h)); },
            true},
        MidIntervalCase{"disabling and enabling",
                        [](VclTimer& subject, auto) {
                            subject.SetEnabled(false);
                            subject.SetEnabled(true);
                        },
                        true}));

TEST_F(TimerFixture, IntervalZeroStopsTheTimerAndLeavesItEnabled) {
    start(40);
    waitForTicks(1, 1000);
    ASSERT_EQ(ticks.size(), 1u);
    timer.SetInterval(0);
    EXPECT_TRUE(timer.Enabled());
    runEventsFor(150);
    EXPECT_EQ(ticks.size(), 1u);
    timer.SetInterval(40);
    waitForTicks(2, 1000);
    EXPECT_EQ(ticks.size(), 2u);
}

TEST_F(TimerFixture, AHandlerThatDisablesItsTimerTicksOnce) {
    timer.SetInterval(30);
    timer.SetOnTimer([this] {
        timer.SetEnabled(false);
        record();
    });
    clock.start();
    runEventsFor(200);
    EXPECT_EQ(ticks.size(), 1u);
    EXPECT_FALSE(timer.Enabled());
}

TEST_F(TimerFixture, ADisabledTimerWaitsAWholeIntervalOnceEnabled) {
    timer.SetEnabled(false);
    start(100);
    runEventsFor(150);
    EXPECT_TRUE(ticks.empty());
    const qint64 enabledAt = clock.elapsed();
    timer.SetEnabled(true);
    waitForTicks(1, 1000);
    ASSERT_EQ(ticks.size(), 1u);
    EXPECT_GE(ticks[0] - enabledAt, 90);
}

} // namespace
