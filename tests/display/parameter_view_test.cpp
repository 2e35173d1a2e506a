#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "display/parameter_view.h"
#include "display/recording_canvas.h"
#include "view_fixtures.h"

namespace {

using testing::ElementsAre;
using Kind = RecordingCanvas::Kind;

// 800 x 560 pixels: rows every 80 pixels; label columns at 10, 263 and 517, value columns
// a fortieth of the width (20) further right. Fonts at 96 ppi: Font1 11, Font2 13, Font4 16,
// Font6 21 pixels high.
constexpr ViewRect Plot{10, 50, 810, 610};

class ParameterViewTest : public testing::Test {
protected:
    RecordingCanvas draw(const ViewRect& rect = Plot) {
        RecordingCanvas canvas;
        DisplayParameters(canvas, rect, control, data, ranges);
        return canvas;
    }

    DisplayControlType control = ViewSettings();
    SamplingDataType data{};
    RangeLabels ranges{{"10 V", "25 V", "50 V", "100 V", "250 V", "500 V"},
                       {"0     (Min)", "1", "2", "3", "4", "5   (Max)"}};
};

const RecordingCanvas::Drawn* TextOf(const RecordingCanvas& canvas, const std::string& text, int x,
                                     int y) {
    for (const RecordingCanvas::Drawn& d : canvas.drawn())
        if (d.kind == Kind::Text && d.text == text && d.x1 == x && d.y1 == y)
            return &d;
    return nullptr;
}

struct ValueCellCase {
    int x;
    int y;
    std::string text;
    std::uint32_t color;
};

TEST_F(ParameterViewTest, ValuesShowInTheirCellsInTheBlockColour) {
    data.U_rms = 229.8764f;
    data.U_peak = 325.1f;
    data.U_DC = -0.25f;
    data.U_Frequency = 50;
    data.U_CrestFactor = 1.4142f;
    data.U_thdF = 0.0312f;
    data.I_rms = 1.23456f;
    data.I_peak = 1.5f;
    data.I_DC = 0.0004f;
    data.I_Phase = 45.678f;
    data.I_CrestFactor = 2;
    data.I_thdF = 0.5f;
    data.ActivePower = 2500;
    data.ApparentPower = 1000;
    data.ReactivePower = -1500;
    data.PF = 0.999f;
    data.Z = 12.5f;
    data.AH = 999.9996f;
    data.WH = 123456.7f;
    data.dTime = 3600;
    data.Average_Power = 7;
    const RecordingCanvas canvas = draw();

    // Row k's values start at 50 + 80k + 70 - 21.
    const std::uint32_t voltage = control.VoltageColor;
    const std::uint32_t current = control.CurrentColor;
    const std::uint32_t power = control.PowerColor;
    const std::vector<ValueCellCase> cells = {
        {30, 99, "229.87 V", voltage},   {283, 99, "325.1 V", voltage},
        {537, 99, "-0.25 V", voltage},   {30, 179, "50.0 Hz", voltage},
        {283, 179, "1.414  ", voltage},  {537, 179, "3.12 %", voltage},
        {30, 259, "1.2346 A", current},  {283, 259, "1.5 A", current},
        {537, 259, "0.0 A", current},    {30, 339, "45.68 deg", current},
        {283, 339, "2.0  ", current},    {537, 339, "50.0 %", current},
        {30, 419, "2.5 K W", power},     {283, 419, "1000.0 VA", power},
        {537, 419, "-1.5 K Var", power}, {30, 499, "0.999  ", power},
        {283, 499, "12.5 Ω", power},     {537, 499, "1000.0 AH", power},
        {30, 579, "123.45 K WH", power}, {283, 579, "3.6 K S", power},
        {537, 579, "7.0 W", power},
    };
    for (const ValueCellCase& cell : cells) {
        SCOPED_TRACE(cell.text);
        EXPECT_THAT(TextsAt(canvas, cell.x, cell.y), ElementsAre(cell.text));
        const RecordingCanvas::Drawn* drawn = TextOf(canvas, cell.text, cell.x, cell.y);
        ASSERT_NE(drawn, nullptr);
        EXPECT_EQ(drawn->fontColor, cell.color);
        EXPECT_EQ(drawn->fontSize, control.Font6);
        EXPECT_FALSE(drawn->fontBold);
        EXPECT_EQ(drawn->brushColor, control.BackgroundColor);
    }
}

TEST_F(ParameterViewTest, CellLabelsAreOrdinaryLabelsAtTheRowTops) {
    const RecordingCanvas canvas = draw();
    const std::vector<std::vector<std::string>> labels = {
        {"RMS", "Peak", "DC"},          {"Frequency", "CF", "THD-F"}, {"RMS", "Peak", "DC"},
        {"Phase", "CF", "THD-F"},       {"Power", "S", "Q"},          {"PF", "Impedance", "AH"},
        {"WH", "Time", "Average Power"}};
    const int columns[] = {10, 263, 517};
    for (int row = 0; row < 7; ++row)
        for (int column = 0; column < 3; ++column) {
            const std::string& label = labels[std::size_t(row)][std::size_t(column)];
            SCOPED_TRACE(label);
            const RecordingCanvas::Drawn* drawn =
                TextOf(canvas, label, columns[column], 50 + 80 * row);
            ASSERT_NE(drawn, nullptr);
            EXPECT_EQ(drawn->fontColor, control.ScaleColor);
            EXPECT_EQ(drawn->brushColor, control.BackgroundColor);
            EXPECT_EQ(drawn->fontSize, control.Font1);
            EXPECT_FALSE(drawn->fontBold);
        }
}

TEST_F(ParameterViewTest, TitleIsABoldInverseLabelAboveTheTable) {
    const RecordingCanvas canvas = draw();
    const RecordingCanvas::Drawn* title = TextOf(canvas, " Measure ", 10, 50 - 13 - 4);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->fontColor, control.BackgroundColor);
    EXPECT_EQ(title->brushColor, control.ScaleColor);
    EXPECT_EQ(title->brushStyle, Canvas::BrushStyle::Solid);
    EXPECT_EQ(title->fontSize, control.Font2);
    EXPECT_TRUE(title->fontBold);
}

TEST_F(ParameterViewTest, BlockBarsFillTheStripWithTheirNamesReadingDown) {
    const RecordingCanvas canvas = draw();
    std::vector<std::pair<std::uint32_t, Segment>> bars;
    for (const RecordingCanvas::Drawn& d : canvas.of(Kind::Fill))
        bars.emplace_back(d.brushColor, Segment(d.x1, d.y1, d.x2, d.y2));
    // Strip 40 wide from 770; heights 160 - 14 and 240 - 14, each 7 below its block's top.
    EXPECT_THAT(bars, ElementsAre(std::pair(control.VoltageColor, Segment(770, 57, 810, 203)),
                                  std::pair(control.CurrentColor, Segment(770, 217, 810, 363)),
                                  std::pair(control.PowerColor, Segment(770, 377, 810, 603))));

    const std::vector<std::pair<std::string, int>> names = {
        {"Voltage", 59}, {"Current", 219}, {"Complex", 379}};
    for (const auto& [name, y] : names) {
        SCOPED_TRACE(name);
        const RecordingCanvas::Drawn* drawn = TextOf(canvas, name, 809, y);
        ASSERT_NE(drawn, nullptr);
        EXPECT_EQ(drawn->angle, 270);
        EXPECT_EQ(drawn->fontColor, control.BackgroundColor);
        EXPECT_EQ(drawn->brushStyle, Canvas::BrushStyle::Clear);
        EXPECT_EQ(drawn->fontSize, control.Font4);
    }
}

// A height of 100 splits into sevenths that are not whole pixels: lines truncate, rows round.
TEST_F(ParameterViewTest, SolidLinesFrameTheBlocksAndDottedLinesSeparateRows) {
    const RecordingCanvas canvas = draw({5, 20, 305, 120});
    EXPECT_THAT(LinesOf(canvas, control.ScaleColor, Canvas::PenStyle::Solid),
                ElementsAre(Segment(5, 20, 305, 20), Segment(5, 48, 305, 48),
                            Segment(5, 77, 305, 77), Segment(5, 120, 305, 120)));
    EXPECT_THAT(LinesOf(canvas, control.ScaleColor, Canvas::PenStyle::Dot),
                ElementsAre(Segment(5, 34, 303, 34), Segment(5, 62, 303, 62),
                            Segment(5, 91, 303, 91), Segment(5, 105, 303, 105)));
    EXPECT_NE(TextOf(canvas, "Phase", 5, 63), nullptr);
    EXPECT_NE(TextOf(canvas, "WH", 5, 106), nullptr);
}

struct ErrorCodeCase {
    std::uint8_t Error_code;
    std::string status;
    std::string thd;
};

void PrintTo(const ErrorCodeCase& c, std::ostream* os) {
    *os << int(c.Error_code);
}

class ErrorCodeTest : public ParameterViewTest,
                      public testing::WithParamInterface<ErrorCodeCase> {};

TEST_P(ErrorCodeTest, LowBitsGiveTheStatusAndBitSevenTheThdLabel) {
    data.Error_code = GetParam().Error_code;
    const RecordingCanvas canvas = draw();
    // The status text starts five Font1 heights after the middle of the width.
    EXPECT_THAT(TextsAt(canvas, 410 + 55, 617), ElementsAre(GetParam().status));
    EXPECT_THAT(TextsAt(canvas, 517, 50 + 80), ElementsAre(GetParam().thd));
    EXPECT_THAT(TextsAt(canvas, 517, 50 + 3 * 80), ElementsAre(GetParam().thd));
}

INSTANTIATE_TEST_SUITE_P(Table, ErrorCodeTest,
                         testing::Values(ErrorCodeCase{0x00, "Normal", "THD-F"},
                                         ErrorCodeCase{0x01, "U Overflow", "THD-F"},
                                         ErrorCodeCase{0x02, "I Overflow", "THD-F"},
                                         ErrorCodeCase{0x03, "U&I Overflow", "THD-F"},
                                         ErrorCodeCase{0x81, "U Overflow", "THD-R"},
                                         ErrorCodeCase{0x7C, "Normal", "THD-F"},
                                         ErrorCodeCase{0xFE, "I Overflow", "THD-R"}));

TEST_F(ParameterViewTest, RangeRowHasInverseHeadingsOneLineBelowTheTable) {
    const RecordingCanvas canvas = draw();
    // 560 / 75 = 7 below the bottom; headings 2 pixels in, at a quarter and at half the width.
    const std::vector<std::pair<std::string, int>> headings = {
        {" U-Range ", 12}, {" I-Range ", 210}, {" Status ", 410}};
    for (const auto& [heading, x] : headings) {
        SCOPED_TRACE(heading);
        const RecordingCanvas::Drawn* drawn = TextOf(canvas, heading, x, 617);
        ASSERT_NE(drawn, nullptr);
        EXPECT_EQ(drawn->fontColor, control.BackgroundColor);
        EXPECT_EQ(drawn->brushColor, control.ScaleColor);
        EXPECT_TRUE(drawn->fontBold);
        EXPECT_EQ(drawn->fontSize, control.Font1);
    }
}

struct RangeCase {
    std::uint8_t U_Range;
    std::uint8_t I_Range;
    std::vector<std::string> voltageText;
    std::vector<std::string> currentText;
};

void PrintTo(const RangeCase& c, std::ostream* os) {
    *os << int(c.U_Range) << ", " << int(c.I_Range);
}

class RangeTextTest : public ParameterViewTest, public testing::WithParamInterface<RangeCase> {};

TEST_P(RangeTextTest, ShowsTheListItemOrNothingPastTheList) {
    data.U_Range = GetParam().U_Range;
    data.I_Range = GetParam().I_Range;
    const RecordingCanvas canvas = draw();
    // Six Font1 heights after each heading's quarter.
    EXPECT_EQ(TextsAt(canvas, 10 + 66, 617), GetParam().voltageText);
    EXPECT_EQ(TextsAt(canvas, 210 + 66, 617), GetParam().currentText);
}

INSTANTIATE_TEST_SUITE_P(Table, RangeTextTest,
                         testing::Values(RangeCase{0, 0, {"10 V"}, {"0     (Min)"}},
                                         RangeCase{3, 5, {"100 V"}, {"5   (Max)"}},
                                         RangeCase{5, 6, {"500 V"}, {}}, RangeCase{6, 2, {}, {"2"}},
                                         RangeCase{255, 255, {}, {}}));

TEST_F(ParameterViewTest, MeasurementNotYetArrivedShowsZerosNormalAndThdF) {
    const RecordingCanvas canvas = draw();
    const std::vector<std::string> units = {" V",   " V", " V",   " Hz", "  ",  " %", " A",
                                            " A",   " A", " deg", "  ",  " %",  " W", " VA",
                                            " Var", "  ", " Ω",   " AH", " WH", " S", " W"};
    std::vector<std::string> values;
    for (const RecordingCanvas::Drawn& d : canvas.of(Kind::Text))
        if (d.fontSize == control.Font6)
            values.push_back(d.text);
    ASSERT_EQ(values.size(), units.size());
    for (std::size_t k = 0; k < units.size(); ++k)
        EXPECT_EQ(values[k], "0.0" + units[k]);
    EXPECT_THAT(TextsAt(canvas, 465, 617), ElementsAre("Normal"));
    EXPECT_EQ(canvas.texts("THD-F").size(), 2u);
}

TEST_F(ParameterViewTest, ZeroSizeRectangleDrawsEverythingAtItsCorner) {
    RecordingCanvas canvas;
    canvas.SetPenWidth(3);
    DisplayParameters(canvas, {40, 60, 40, 60}, control, data, ranges);
    EXPECT_EQ(canvas.PenWidth(), 1);
    int labelsAtCorner = 0;
    int valuesOneLineUp = 0;
    for (const RecordingCanvas::Drawn& d : canvas.of(Kind::Text)) {
        labelsAtCorner += d.fontSize == control.Font1 && !d.fontBold && d.x1 == 40 && d.y1 == 60;
        valuesOneLineUp += d.fontSize == control.Font6 && d.x1 == 40 && d.y1 == 60 - 21;
    }
    EXPECT_EQ(labelsAtCorner, 21);
    EXPECT_EQ(valuesOneLineUp, 21);
    for (const RecordingCanvas::Drawn& d : canvas.of(Kind::Fill))
        EXPECT_EQ(Segment(d.x1, d.y1, d.x2, d.y2), Segment(40, 60, 40, 60));
    EXPECT_NE(TextOf(canvas, " Measure ", 40, 60 - 13 - 4), nullptr);
    EXPECT_NE(TextOf(canvas, "Normal", 40 + 55, 60), nullptr);
}

} // namespace
