#include "measurement.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

#include "signal_model.h"

namespace {

constexpr int Points = 256;

// Two periods of a channel in counts of `gene` units each.
std::vector<std::int16_t> twoPeriods(const ChannelSignal& channel, double gene,
                                     double shiftRadians = 0) {
    std::vector<std::int16_t> samples(2 * Points);
    for (int k = 0; k < 2 * Points; ++k) {
        const double angle = 2 * std::numbers::pi * k / Points - shiftRadians;
        samples[std::size_t(k)] =
            static_cast<std::int16_t>(std::lround(instantaneousValue(channel, angle) / gene));
    }
    return samples;
}

struct ChannelCase {
    const char* name;
    ChannelSignal signal;
    double rms, peak, dc, thdF, thdR;
};

class ChannelReadingsTest : public testing::TestWithParam<ChannelCase> {};

TEST_P(ChannelReadingsTest, AgreeWithTheSignal) {
    const ChannelCase& c = GetParam();
    const double gene = 0.01;
    const ChannelReadings r = readChannel(twoPeriods(c.signal, gene), Points, gene);
    EXPECT_NEAR(r.rms, c.rms, c.rms * 1e-4 + gene);
    EXPECT_NEAR(r.peak, c.peak, c.peak * 1e-3 + gene);
    EXPECT_NEAR(r.dc, c.dc, 1e-3 + gene);
    EXPECT_NEAR(r.thdF, c.thdF, 1e-4);
    EXPECT_NEAR(r.thdR, c.thdR, 1e-4);
    if (r.rms > 0) {
        EXPECT_NEAR(r.crestFactor, r.peak / r.rms, 1e-12);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Signals, ChannelReadingsTest,
    testing::Values(
        ChannelCase{"PureSine", {100, 0, {}}, 100, 100 * std::numbers::sqrt2, 0, 0, 0},
        ChannelCase{
            "WithDc", {100, 20, {}}, std::hypot(100, 20), 100 * std::numbers::sqrt2 + 20, 20, 0, 0},
        // 30 % third harmonic: THD-F 0.3, THD-R 0.3 / sqrt(1.09).
        ChannelCase{"ThirdHarmonic",
                    {100, 0, {{3, 30, 0}}},
                    std::hypot(100, 30),
                    peakMagnitude({100, 0, {{3, 30, 0}}}),
                    0,
                    0.3,
                    0.3 / std::sqrt(1.09)},
        ChannelCase{"TwoHarmonics",
                    {50, 0, {{5, 40, 90}, {7, 30, 0}}},
                    50 * std::sqrt(1.25),
                    peakMagnitude({50, 0, {{5, 40, 90}, {7, 30, 0}}}),
                    0,
                    0.5,
                    0.5 / std::sqrt(1.25)},
        ChannelCase{"Silence", {0, 0, {}}, 0, 0, 0, 0, 0}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(ChannelReadings, ANegativeGeneKeepsMagnitudesPositive) {
    const ChannelReadings r = readChannel(twoPeriods({10, 2, {}}, 0.01), Points, -0.01);
    EXPECT_NEAR(r.rms, std::hypot(10, 2), 0.01);
    EXPECT_GT(r.peak, 0);
    EXPECT_NEAR(r.dc, -2, 0.01);
}

struct PowerCase {
    double lagDegrees;
    double activeRatio; // active power / apparent power
    double reactiveSign;
};

class PowerReadingsTest : public testing::TestWithParam<PowerCase> {};

TEST_P(PowerReadingsTest, FollowThePhase) {
    const PowerCase& c = GetParam();
    const double lag = c.lagDegrees * std::numbers::pi / 180;
    const auto u = twoPeriods({230, 0, {}}, 0.02);
    const auto i = twoPeriods({5, 0, {}}, 0.0005, lag);
    const ChannelReadings ur = readChannel(u, Points, 0.02);
    const ChannelReadings ir = readChannel(i, Points, 0.0005);
    const PowerReadings p = readPower(u, i, 0.02, 0.0005, ur, ir);
    EXPECT_NEAR(p.phaseDegrees, c.lagDegrees, 0.05);
    EXPECT_NEAR(p.apparent, 230 * 5, 1150 * 1e-3);
    EXPECT_NEAR(p.active, 1150 * c.activeRatio, 1150 * 1e-3);
    EXPECT_NEAR(p.powerFactor, c.activeRatio, 1e-3);
    EXPECT_NEAR(p.reactive,
                c.reactiveSign * std::sqrt(1150.0 * 1150 - std::pow(1150 * c.activeRatio, 2)),
                1150 * 2e-2);
    EXPECT_NEAR(p.impedance, 46, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Loads, PowerReadingsTest,
                         testing::Values(PowerCase{0, 1, 0}, PowerCase{60, 0.5, 1},
                                         PowerCase{-30, std::sqrt(3) / 2, -1},
                                         PowerCase{150, -std::sqrt(3) / 2, 1}));

TEST(PowerReadings, NoCurrentGivesNoImpedanceAndNoPowerFactor) {
    const auto u = twoPeriods({230, 0, {}}, 0.02);
    const std::vector<std::int16_t> i(u.size(), 0);
    const ChannelReadings ur = readChannel(u, Points, 0.02);
    const ChannelReadings ir = readChannel(i, Points, 0.0005);
    const PowerReadings p = readPower(u, i, 0.02, 0.0005, ur, ir);
    EXPECT_EQ(p.active, 0);
    EXPECT_EQ(p.powerFactor, 0);
    EXPECT_EQ(p.impedance, 0);
}

} // namespace
