#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

#include "display/recording_canvas.h"
#include "display/sampling_wave_view.h"
#include "view_fixtures.h"

namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;
using Kind = RecordingCanvas::Kind;

// 500 x 400 pixels: zero line at 230, divisions 50 pixels high. Fonts at 96 ppi: Font1 11,
// Font2 13 pixels high.
constexpr ViewRect Plot{20, 30, 520, 430};
constexpr int ZeroLine = 230;

class SamplingWaveTest : public testing::Test {
protected:
    RecordingCanvas draw(const ViewRect& rect = Plot) {
        RecordingCanvas canvas;
        DisplaySamplingWave(canvas, rect, control, data);
        return canvas;
    }

    // `count` samples of one period, with the exact peaks +-amplitude at a quarter and three
    // quarters of it.
    void sines(int uAmplitude, int iAmplitude, int count = 64) {
        data.SamplingNumber = std::uint16_t(count);
        for (int k = 0; k < count; ++k) {
            const double s = std::sin(2 * std::numbers::pi * k / count);
            data.u_Sampling[k] = std::int16_t(std::lround(uAmplitude * s));
            data.i_Sampling[k] = std::int16_t(std::lround(iAmplitude * s));
        }
    }

    DisplayControlType control = ViewSettings();
    SamplingDataType data{};
};

std::vector<int> EndYs(const std::vector<Segment>& lines) {
    std::vector<int> ys;
    for (const auto& [x1, y1, x2, y2] : lines) {
        ys.push_back(y1);
        ys.push_back(y2);
    }
    return ys;
}

int Highest(const std::vector<Segment>& lines) {
    return std::ranges::min(EndYs(lines));
}
int Lowest(const std::vector<Segment>& lines) {
    return std::ranges::max(EndYs(lines));
}

std::size_t FirstIndexOf(const RecordingCanvas& canvas, std::uint32_t penColor) {
    const std::vector<RecordingCanvas::Drawn>& drawn = canvas.drawn();
    return std::size_t(std::ranges::find_if(drawn,
                                            [&](const RecordingCanvas::Drawn& d) {
                                                return d.kind == Kind::Line &&
                                                       d.penColor == penColor;
                                            }) -
                       drawn.begin());
}

struct Amplitudes {
    int u;
    int i;
};

void PrintTo(const Amplitudes& a, std::ostream* os) {
    *os << a.u << ", " << a.i;
}

class TraceHeightTest : public SamplingWaveTest, public testing::WithParamInterface<Amplitudes> {};

TEST_P(TraceHeightTest, VoltageFillsFourDivisionsAndCurrentThreeWhateverTheAmplitude) {
    sines(GetParam().u, GetParam().i);
    control.PenWidth = 3;
    const RecordingCanvas canvas = draw();

    const std::vector<Segment> voltage = LinesOf(canvas, control.VoltageColor);
    const std::vector<Segment> current = LinesOf(canvas, control.CurrentColor);
    ASSERT_EQ(voltage.size(), 63u);
    ASSERT_EQ(current.size(), 63u);
    EXPECT_EQ(Highest(voltage), 30);
    EXPECT_EQ(Lowest(voltage), 430);
    EXPECT_EQ(Highest(current), 80);
    EXPECT_EQ(Lowest(current), 380);
    // 64 samples over 500 pixels: steps of 7.8125, the last at 492.
    EXPECT_EQ(std::get<0>(voltage.front()), 20);
    EXPECT_EQ(std::get<2>(voltage.back()), 512);
    for (const RecordingCanvas::Drawn& d : canvas.of(Kind::Line)) {
        if (d.penColor == control.VoltageColor || d.penColor == control.CurrentColor) {
            EXPECT_EQ(d.penWidth, 3);
        }
    }
    EXPECT_EQ(canvas.PenWidth(), 1);
}

INSTANTIATE_TEST_SUITE_P(Table, TraceHeightTest,
                         testing::Values(Amplitudes{1, 1}, Amplitudes{1000, 1000},
                                         Amplitudes{32767, 3}, Amplitudes{7, 30000}));

// 250 x 170 pixels: neither eighths nor the tick offsets are whole pixels.
TEST_F(SamplingWaveTest, GridLinesAndTicksTruncateTheirDivisionPositions) {
    const RecordingCanvas canvas = draw({20, 30, 270, 200});
    std::vector<Segment> dotted;
    for (int y : {30, 51, 72, 93, 115, 136, 157, 178, 200})
        dotted.emplace_back(20, y, 270, y);
    for (int x = 20; x <= 270; x += 25)
        dotted.emplace_back(x, 30, x, 200);
    EXPECT_THAT(LinesOf(canvas, control.ScaleColor, Canvas::PenStyle::Dot),
                ElementsAreArray(dotted));
    // Gaps of the dots show the background, even over the power trace.
    EXPECT_THAT(LinesOf(canvas, control.BackgroundColor), ElementsAreArray(dotted));

    // Ticks 2 pixels (1 % of the height) either side of the centre lines.
    std::vector<Segment> ticks;
    for (int y : {40, 61, 83, 104, 125, 146, 168, 189})
        ticks.emplace_back(144, y, 147, y);
    for (int x = 32; x < 270; x += 25)
        ticks.emplace_back(x, 114, x, 117);
    EXPECT_THAT(LinesOf(canvas, control.ScaleColor, Canvas::PenStyle::Solid),
                testing::UnorderedElementsAreArray(ticks));
}

class PowerSwitchTest : public SamplingWaveTest, public testing::WithParamInterface<bool> {};

TEST_P(PowerSwitchTest, PowerTraceAndLegendOnlyWhenSwitchedOn) {
    control.PowerDisplay_Display = GetParam();
    sines(20000, 15000);
    const RecordingCanvas canvas = draw();
    EXPECT_EQ(LinesOf(canvas, control.PowerColor).empty(), !GetParam());
    EXPECT_EQ(canvas.texts("Power").size(), GetParam() ? 1u : 0u);
    int powerSwatches = 0;
    for (const RecordingCanvas::Drawn& d : canvas.of(Kind::Fill))
        powerSwatches += d.brushColor == control.PowerColor;
    EXPECT_EQ(powerSwatches, GetParam() ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(OffAndOn, PowerSwitchTest, testing::Bool());

TEST_F(SamplingWaveTest, PowerIsAnAreaFromTheZeroLineUnderTheGridAndTraces) {
    control.PowerDisplay_Display = true;
    sines(20000, 15000);
    const RecordingCanvas canvas = draw();

    const std::vector<Segment> power = LinesOf(canvas, control.PowerColor);
    // u and i in phase: every product is positive, the largest one division below the top.
    EXPECT_EQ(Highest(power), 80);
    EXPECT_EQ(Lowest(power), ZeroLine);
    int strokesFromZeroLine = 0;
    for (const auto& [x1, y1, x2, y2] : power)
        strokesFromZeroLine += x1 == x2 && y1 == ZeroLine;
    EXPECT_EQ(strokesFromZeroLine, 63);

    const std::size_t firstPower = FirstIndexOf(canvas, control.PowerColor);
    EXPECT_LT(firstPower, FirstIndexOf(canvas, control.ScaleColor));
    EXPECT_LT(firstPower, FirstIndexOf(canvas, control.CurrentColor));
    EXPECT_LT(firstPower, FirstIndexOf(canvas, control.VoltageColor));
}

TEST_F(SamplingWaveTest, TitleAndLegendSitAboveThePlot) {
    control.PowerDisplay_Display = true;
    const RecordingCanvas canvas = draw();

    const std::vector<RecordingCanvas::Drawn> titles = canvas.texts(" Norvane ");
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_EQ(std::pair(titles[0].x1, titles[0].y1), std::pair(20, 30 - 13 - 4));
    EXPECT_EQ(titles[0].fontColor, control.BackgroundColor);
    EXPECT_EQ(titles[0].brushColor, control.ScaleColor);
    EXPECT_TRUE(titles[0].fontBold);
    EXPECT_EQ(titles[0].fontSize, control.Font2);

    // Swatches 15 x 16 from 20 above the plot, at 15, 30 and 45 % of the width.
    std::vector<std::pair<std::uint32_t, Segment>> swatches;
    for (const RecordingCanvas::Drawn& d : canvas.of(Kind::Fill))
        swatches.emplace_back(d.brushColor, Segment(d.x1, d.y1, d.x2, d.y2));
    EXPECT_THAT(swatches, ElementsAre(std::pair(control.VoltageColor, Segment(95, 10, 110, 26)),
                                      std::pair(control.CurrentColor, Segment(170, 10, 185, 26)),
                                      std::pair(control.PowerColor, Segment(245, 10, 260, 26))));
    for (const auto& [label, x] : std::vector<std::pair<std::string, int>>{
             {"Voltage", 120}, {"Current", 195}, {"Power", 270}}) {
        SCOPED_TRACE(label);
        EXPECT_THAT(TextsAt(canvas, x, 30 - 11 - 3), ElementsAre(label));
        const RecordingCanvas::Drawn d = canvas.texts(label).front();
        EXPECT_EQ(d.fontColor, control.ScaleColor);
        EXPECT_EQ(d.brushColor, control.BackgroundColor);
        EXPECT_FALSE(d.fontBold);
    }
}

TEST_F(SamplingWaveTest, ScaleRowHeadingsAreBoldInverseLabelsAtTheQuarters) {
    const RecordingCanvas canvas = draw();
    // 400 / 75 = 5 below the bottom.
    for (const auto& [heading, x] : std::vector<std::pair<std::string, int>>{
             {"SEC/DIV", 20}, {"Vol/DIV", 145}, {"Amp/DIV", 270}, {"Trigger ", 395}}) {
        SCOPED_TRACE(heading);
        EXPECT_THAT(TextsAt(canvas, x, 435), ElementsAre(heading));
        const RecordingCanvas::Drawn d = canvas.texts(heading).front();
        EXPECT_EQ(d.fontColor, control.BackgroundColor);
        EXPECT_EQ(d.brushColor, control.ScaleColor);
        EXPECT_TRUE(d.fontBold);
        EXPECT_EQ(d.fontSize, control.Font1);
    }
}

struct ScaleCase {
    const char* name;
    void (*set)(SamplingDataType&);
    int x; // five or six Font1 heights after the heading
    std::vector<std::string> texts;
};

void PrintTo(const ScaleCase& c, std::ostream* os) {
    *os << c.name;
}

class ScaleValueTest : public SamplingWaveTest, public testing::WithParamInterface<ScaleCase> {};

TEST_P(ScaleValueTest, ShowsTheFigurePerDivision) {
    GetParam().set(data);
    const RecordingCanvas canvas = draw();
    EXPECT_EQ(TextsAt(canvas, GetParam().x, 435), GetParam().texts);
    for (const std::string& text : GetParam().texts) {
        const RecordingCanvas::Drawn d = canvas.texts(text).front();
        EXPECT_EQ(d.fontColor, control.ScaleColor);
        EXPECT_EQ(d.brushColor, control.BackgroundColor);
        EXPECT_FALSE(d.fontBold);
    }
}

constexpr int TimeX = 20 + 55;
constexpr int VoltX = 145 + 55;
constexpr int AmpX = 270 + 66;
constexpr int TriggerX = 395 + 55;

INSTANTIATE_TEST_SUITE_P(
    Time, ScaleValueTest,
    testing::Values(
        ScaleCase{"50Hz", [](SamplingDataType& d) { d.U_Frequency = 50; }, TimeX, {"4ms "}},
        ScaleCase{"60Hz", [](SamplingDataType& d) { d.U_Frequency = 60; }, TimeX, {"3.33ms "}},
        ScaleCase{"0Hz", [](SamplingDataType& d) { d.U_Frequency = 0; }, TimeX, {"4ms "}},
        ScaleCase{"negative", [](SamplingDataType& d) { d.U_Frequency = -50; }, TimeX, {"4ms "}}));

INSTANTIATE_TEST_SUITE_P(Voltage, ScaleValueTest,
                         testing::Values(ScaleCase{"peak311_12",
                                                   [](SamplingDataType& d) {
                                                       d.U_rms = 220;
                                                       d.U_peak = 311.12f;
                                                   },
                                                   VoltX,
                                                   {"77.78V "}},
                                         ScaleCase{"peak311_13",
                                                   [](SamplingDataType& d) {
                                                       d.U_rms = 220;
                                                       d.U_peak = 311.13f;
                                                   },
                                                   VoltX,
                                                   {"77.78V "}},
                                         ScaleCase{"noRms",
                                                   [](SamplingDataType& d) { d.U_peak = 311.12f; },
                                                   VoltX,
                                                   {"50V "}}));

INSTANTIATE_TEST_SUITE_P(
    Current, ScaleValueTest,
    testing::Values(ScaleCase{"peak1",
                              [](SamplingDataType& d) {
                                  d.I_rms = 0.7f;
                                  d.I_peak = 1;
                              },
                              AmpX,
                              {"0.33A "}},
                    ScaleCase{"peak5",
                              [](SamplingDataType& d) {
                                  d.I_rms = 3;
                                  d.I_peak = 5;
                              },
                              AmpX,
                              {"1.67A "}},
                    ScaleCase{"noRms", [](SamplingDataType& d) { d.I_peak = 5; }, AmpX, {"1A "}}));

INSTANTIATE_TEST_SUITE_P(
    Trigger, ScaleValueTest,
    testing::Values(
        ScaleCase{"0", [](SamplingDataType& d) { d.Trigger = 0; }, TriggerX, {"DC"}},
        ScaleCase{"1", [](SamplingDataType& d) { d.Trigger = 1; }, TriggerX, {"VOL 0.5-500HZ"}},
        ScaleCase{"2", [](SamplingDataType& d) { d.Trigger = 2; }, TriggerX, {"VOL 40-500HZ"}},
        ScaleCase{"3", [](SamplingDataType& d) { d.Trigger = 3; }, TriggerX, {"CUR 0.5-500HZ"}},
        ScaleCase{"4", [](SamplingDataType& d) { d.Trigger = 4; }, TriggerX, {"CUR 40-500HZ"}},
        ScaleCase{"7", [](SamplingDataType& d) { d.Trigger = 7; }, TriggerX, {}}));

TEST_F(SamplingWaveTest, SampleCountAboveTheArraysIsLimitedTo512) {
    for (int k = 0; k < 512; ++k) {
        data.u_Sampling[k] = std::int16_t(k % 2 == 0 ? 100 : -100);
        data.i_Sampling[k] = 30000; // would show as voltage if read past u_Sampling
    }
    data.SamplingNumber = 600;
    const RecordingCanvas canvas = draw({0, 0, 512, 400});

    const std::vector<Segment> voltage = LinesOf(canvas, control.VoltageColor);
    ASSERT_EQ(voltage.size(), 511u);
    EXPECT_EQ(std::get<2>(voltage.back()), 511);
    EXPECT_EQ(Highest(voltage), 0);
    EXPECT_EQ(Lowest(voltage), 400);
    EXPECT_EQ(LinesOf(canvas, control.CurrentColor).size(), 511u);
}

TEST_F(SamplingWaveTest, AllZeroMeasurementDrawsWithoutDividingByZero) {
    control.PowerDisplay_Display = true;
    for (int count : {0, 1, 64}) {
        SCOPED_TRACE(count);
        data.SamplingNumber = std::uint16_t(count);
        std::feclearexcept(FE_ALL_EXCEPT);
        const RecordingCanvas canvas = draw();
        EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO | FE_INVALID), 0);

        for (std::uint32_t trace : {control.VoltageColor, control.CurrentColor}) {
            const std::vector<Segment> lines = LinesOf(canvas, trace);
            EXPECT_EQ(lines.size(), count > 1 ? std::size_t(count - 1) : 0u);
            for (int y : EndYs(lines))
                EXPECT_EQ(y, ZeroLine);
        }
        EXPECT_THAT(TextsAt(canvas, TimeX, 435), ElementsAre("4ms "));
        EXPECT_THAT(TextsAt(canvas, VoltX, 435), ElementsAre("50V "));
        EXPECT_THAT(TextsAt(canvas, AmpX, 435), ElementsAre("1A "));
        EXPECT_EQ(canvas.texts("SEC/DIV").size(), 1u);
    }
}

TEST_F(SamplingWaveTest, ZeroSizeRectangleCollapsesTheTracesOntoItsCorner) {
    control.PowerDisplay_Display = true;
    sines(20000, 15000);
    std::feclearexcept(FE_ALL_EXCEPT);
    const RecordingCanvas canvas = draw({40, 60, 40, 60});
    EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO | FE_INVALID), 0);
    for (std::uint32_t trace : {control.PowerColor, control.CurrentColor, control.VoltageColor})
        for (const Segment& line : LinesOf(canvas, trace))
            EXPECT_EQ(line, Segment(40, 60, 40, 60));
    EXPECT_THAT(TextsAt(canvas, 40, 60), testing::Contains("SEC/DIV"));
    EXPECT_EQ(canvas.texts(" Norvane ").size(), 1u);
}

} // namespace
