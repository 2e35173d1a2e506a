#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <numbers>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "display/harmonic_view.h"
#include "display/recording_canvas.h"
#include "display/text_rules.h"
#include "display/view_fixtures.h"

namespace {

using Drawn = RecordingCanvas::Drawn;
using Kind = RecordingCanvas::Kind;
using Wave = std::array<std::int16_t, MaxSamplingPoints>;

const std::uint32_t Background = ViewSettings().BackgroundColor;
const std::uint32_t Scale = ViewSettings().ScaleColor;
const std::uint32_t VoltageColor = ViewSettings().VoltageColor;
const std::uint32_t CurrentColor = ViewSettings().CurrentColor;
const int LabelPoints = ViewSettings().Font1;
const int ValuePoints = ViewSettings().Font3;
constexpr int LabelHeight = 11; // 8 points at 96 pixels per inch
constexpr ViewRect Plot{10, 30, 970, 300};
constexpr int TableOrders = 54;

DisplayControlType settingsFor(int page) {
    DisplayControlType settings = ViewSettings();
    settings.Display_THD_Index = page;
    return settings;
}

// A component of a test signal in counts; order 0 is a constant offset.
struct Tone {
    double amplitude;
    int order;
};

// Samples of the tones over `period` samples, repeated over the whole array.
Wave waveOf(int period, const std::vector<Tone>& tones) {
    Wave wave{};
    for (int i = 0; i < int(wave.size()); ++i) {
        double value = 0;
        for (const Tone& tone : tones)
            value += tone.order == 0 ? tone.amplitude
                                     : tone.amplitude *
                                           std::sin(2 * std::numbers::pi * tone.order * i / period);
        wave[i] = std::int16_t(std::lround(value));
    }
    return wave;
}

SamplingDataType measurement(int N, const Wave& u, float uGene, const Wave& i, float iGene) {
    SamplingDataType data{};
    data.N = std::uint16_t(N);
    data.UGene = uGene;
    data.IGene = iGene;
    for (std::size_t k = 0; k < MaxSamplingPoints; ++k) {
        data.u_Sampling[k] = u[k];
        data.i_Sampling[k] = i[k];
    }
    return data;
}

RecordingCanvas draw(int page, const SamplingDataType& data, const ViewRect& rect = Plot) {
    RecordingCanvas canvas;
    DisplayHarmonicWave(canvas, rect, settingsFor(page), data);
    return canvas;
}

std::vector<Drawn> sortedByX(std::vector<Drawn> drawn) {
    std::stable_sort(drawn.begin(), drawn.end(),
                     [](const Drawn& a, const Drawn& b) { return a.x1 < b.x1; });
    return drawn;
}

std::vector<Drawn> selectorSquares(const RecordingCanvas& canvas) {
    return sortedByX(canvas.of(Kind::Fill));
}

std::vector<Drawn> selectorCaptions(const RecordingCanvas& canvas) {
    std::vector<Drawn> captions;
    for (const char* caption : {"Voltage", "Report", "Current"})
        for (const Drawn& d : canvas.texts(caption))
            captions.push_back(d);
    return sortedByX(captions);
}

bool showsAFault(const RecordingCanvas& canvas) {
    return std::any_of(canvas.drawn().begin(), canvas.drawn().end(), [](const Drawn& d) {
        return d.text.find("NAN") != std::string::npos || d.text.find("INF") != std::string::npos;
    });
}

TEST(ComputeHarmonics, AllZeroSamplesGiveZeroMagnitudes) {
    const HarmonicSpectra spectra = ComputeHarmonics(SamplingDataType{});
    const HarmonicMagnitudes zero{};
    EXPECT_EQ(spectra.U_Z_Data, zero);
    EXPECT_EQ(spectra.I_Z_Data, zero);
}

struct CountCase {
    int N;
    int analysed;
};

void PrintTo(const CountCase& c, std::ostream* os) {
    *os << "N " << c.N;
}

class AnalysedSamples : public testing::TestWithParam<CountCase> {};

// Each channel carries a signal whose period is the expected analysed count; any other count
// spreads the tones over neighbouring orders.
TEST_P(AnalysedSamples, AreTakenAsOnePeriodOfTheFundamental) {
    const CountCase c = GetParam();
    const float uGene = 0.01f;
    const float iGene = 0.002f;
    const SamplingDataType data = measurement(c.N, waveOf(c.analysed, {{500, 0}, {20000, 1}}),
                                              uGene, waveOf(c.analysed, {{10000, 3}}), iGene);

    const HarmonicSpectra spectra = ComputeHarmonics(data);

    const double u1 = 20000 * double(uGene) / std::numbers::sqrt2;
    const double i3 = 10000 * double(iGene) / std::numbers::sqrt2;
    EXPECT_NEAR(spectra.U_Z_Data[0], 500 * double(uGene), 1e-4 * u1);
    EXPECT_NEAR(spectra.U_Z_Data[1], u1, 1e-4 * u1);
    EXPECT_NEAR(spectra.I_Z_Data[3], i3, 1e-4 * i3);
    // Above half the analysed count the orders mirror those below.
    const int distinctOrders = std::min(HarmonicOrdersComputed, c.analysed / 2);
    for (int k = 0; k < distinctOrders; ++k) {
        SCOPED_TRACE(k);
        if (k > 1) {
            EXPECT_LT(spectra.U_Z_Data[k], 1e-4 * u1);
        }
        if (k != 3) {
            EXPECT_LT(spectra.I_Z_Data[k], 1e-4 * i3);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(HarmonicView, AnalysedSamples,
                         testing::Values(CountCase{128, 128}, CountCase{200, 200},
                                         CountCase{512, 512}, CountCase{0, 128}, CountCase{1, 128},
                                         CountCase{127, 128}, CountCase{513, 512},
                                         CountCase{65535, 512}));

const SamplingDataType& quietMeasurement() {
    static const SamplingDataType data{};
    return data;
}

class Selectors : public testing::TestWithParam<int> {};

TEST_P(Selectors, ShowTheirCaptionsAndTickThePageShown) {
    const int page = GetParam();
    const RecordingCanvas canvas = draw(page, quietMeasurement());

    const std::vector<Drawn> squares = selectorSquares(canvas);
    const std::vector<Drawn> captions = selectorCaptions(canvas);
    ASSERT_EQ(squares.size(), 4u);
    ASSERT_EQ(captions.size(), 4u);
    const std::array<std::string, 4> names = {"Voltage", "Report", "Current", "Report"};
    const std::array<std::uint32_t, 4> colors = {VoltageColor, VoltageColor, CurrentColor,
                                                 CurrentColor};
    for (std::size_t k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(captions[k].text, names[k]);
        EXPECT_EQ(squares[k].brushColor, colors[k]);
        EXPECT_EQ(squares[k].x2 - squares[k].x1, LabelHeight);
        EXPECT_EQ(squares[k].y2 - squares[k].y1, LabelHeight);
        EXPECT_LT(squares[k].y2, Plot.top);
        EXPECT_GT(captions[k].x1, squares[k].x2);
        if (k + 1 < 4) {
            EXPECT_LT(captions[k].x1, squares[k + 1].x1);
        }
        const bool shown = int(k) == page;
        EXPECT_EQ(captions[k].fontColor, shown ? Background : Scale);
        EXPECT_EQ(captions[k].brushColor, shown ? Scale : Background);
    }

    const std::vector<Drawn> ticks = canvas.texts("\u221A");
    if (page >= 0 && page < 4) {
        ASSERT_EQ(ticks.size(), 1u);
        EXPECT_EQ(ticks[0].x1, squares[std::size_t(page)].x1);
        EXPECT_EQ(ticks[0].fontColor, 0x000000u);
        EXPECT_EQ(ticks[0].brushStyle, Canvas::BrushStyle::Clear);
    } else {
        EXPECT_TRUE(ticks.empty());
        EXPECT_TRUE(canvas.of(Kind::Line).empty());
        EXPECT_TRUE(canvas.of(Kind::Rectangle).empty());
        EXPECT_EQ(canvas.of(Kind::Text).size(), 4u);
    }
    EXPECT_EQ(canvas.PenWidth(), 1);
}

INSTANTIATE_TEST_SUITE_P(HarmonicView, Selectors, testing::Values(-1, 0, 1, 2, 3, 4));

struct PaintBox {
    int width;
    int height;
};

class SelectorZones : public testing::TestWithParam<PaintBox> {};

// A click in the top 8 % of the bottom panel picks a page by zones of 97 % of its width; the
// view gets its rectangle from the panel's size.
TEST_P(SelectorZones, HoldEachSelectorOfTheMeasurementPage) {
    const PaintBox box = GetParam();
    const ViewRect rect{int(Round(0.01 * box.width)), int(Round(0.07 * box.height)),
                        int(Round(0.99 * box.width)), box.height};
    RecordingCanvas canvas = draw(0, quietMeasurement(), rect);
    const double w = double(Round(box.width * 0.97));
    const std::array<double, 5> zoneEdges = {0.53 * w, 0.65 * w, 0.77 * w, 0.89 * w,
                                             double(box.width)};
    const int band = int(Round(box.height * 0.08));

    const std::vector<Drawn> squares = selectorSquares(canvas);
    const std::vector<Drawn> captions = selectorCaptions(canvas);
    ASSERT_EQ(squares.size(), 4u);
    ASSERT_EQ(captions.size(), 4u);
    canvas.SetFontSize(LabelPoints);
    for (std::size_t k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        EXPECT_GT(squares[k].x1, zoneEdges[k]);
        EXPECT_LT(captions[k].x1 + canvas.TextWidth(captions[k].text), zoneEdges[k + 1]);
        EXPECT_GE(squares[k].y1, 0);
        EXPECT_LT(captions[k].y1 + canvas.TextHeight(captions[k].text), band);
    }
}

INSTANTIATE_TEST_SUITE_P(HarmonicView, SelectorZones,
                         testing::Values(PaintBox{1000, 300}, PaintBox{1280, 360},
                                         PaintBox{1920, 540}));

enum class Channel { Voltage, Current };

struct PageCase {
    int page;
    Channel channel;
    std::uint32_t color;
};

void PrintTo(const PageCase& c, std::ostream* os) {
    *os << "page " << c.page;
}

// Voltage with a DC offset larger than its fundamental; current without DC.
SamplingDataType distortedMeasurement() {
    return measurement(512, waveOf(512, {{12000, 0}, {16000, 1}, {4000, 5}}), 0.01f,
                       waveOf(512, {{10000, 1}, {5000, 3}, {1000, 49}}), 0.001f);
}

const HarmonicMagnitudes& valuesOf(const HarmonicSpectra& spectra, Channel channel) {
    return channel == Channel::Voltage ? spectra.U_Z_Data : spectra.I_Z_Data;
}

// The chart's base line, the only line drawn two pixels wide.
int baseLineOf(const RecordingCanvas& canvas) {
    for (const Drawn& d : canvas.of(Kind::Line))
        if (d.penWidth == 2)
            return d.y1;
    ADD_FAILURE() << "no base line";
    return 0;
}

class Chart : public testing::TestWithParam<PageCase> {};

TEST_P(Chart, BarsScaleToTheLargestBar) {
    const PageCase c = GetParam();
    const SamplingDataType data = distortedMeasurement();
    const HarmonicSpectra spectra = ComputeHarmonics(data);
    const HarmonicMagnitudes& values = valuesOf(spectra, c.channel);
    const RecordingCanvas canvas = draw(c.page, data);

    const int baseLine = baseLineOf(canvas);
    const int plotHeight = baseLine - Plot.top;
    const std::vector<Drawn> bars = sortedByX(canvas.of(Kind::Rectangle));
    ASSERT_EQ(bars.size(), 51u);
    const auto largest = std::max_element(values.begin(), values.begin() + 51);
    const int tableWidth = Plot.width() - int(Round(0.02 * Plot.width()));
    for (std::size_t i = 0; i < bars.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(bars[i].brushColor, c.color);
        EXPECT_EQ(bars[i].y2, baseLine);
        EXPECT_NEAR(baseLine - bars[i].y1, plotHeight * double(values[i]) / double(*largest), 1.0);
        EXPECT_NEAR((bars[i].x1 + bars[i].x2) / 2.0, Plot.left + tableWidth * double(i) / 50, 1.0);
    }
    EXPECT_EQ(bars[std::size_t(largest - values.begin())].y1, Plot.top);
}

TEST_P(Chart, ZeroMeasurementHasZeroBars) {
    const RecordingCanvas canvas = draw(GetParam().page, quietMeasurement());
    const int baseLine = baseLineOf(canvas);
    const std::vector<Drawn> bars = canvas.of(Kind::Rectangle);
    EXPECT_EQ(bars.size(), 51u);
    for (const Drawn& bar : bars) {
        EXPECT_EQ(bar.y1, baseLine);
        EXPECT_EQ(bar.y2, baseLine);
    }
    EXPECT_FALSE(showsAFault(canvas));
}

TEST_P(Chart, GridAndOrderLabelsFrameTheBars) {
    const RecordingCanvas canvas = draw(GetParam().page, distortedMeasurement());
    const int baseLine = baseLineOf(canvas);
    const int plotHeight = baseLine - Plot.top;

    const std::vector<Segment> grid = LinesOf(canvas, Scale, Canvas::PenStyle::Dot);
    ASSERT_EQ(grid.size(), 10u);
    for (std::size_t j = 0; j < grid.size(); ++j) {
        SCOPED_TRACE(j);
        const auto [x1, y1, x2, y2] = grid[j];
        EXPECT_EQ(x1, Plot.left);
        EXPECT_EQ(y1, y2);
        EXPECT_NEAR(y1, Plot.top + plotHeight * double(j) / 10, 1.0);
    }
    ASSERT_EQ(canvas.texts("100%").size(), 1u);
    EXPECT_LT(canvas.texts("100%")[0].y1, Plot.top);

    const std::vector<Drawn> bars = sortedByX(canvas.of(Kind::Rectangle));
    ASSERT_EQ(bars.size(), 51u);
    for (std::size_t order = 0; order <= 50; order += 5) {
        SCOPED_TRACE(order);
        const std::vector<Drawn> labels = canvas.texts(std::to_string(order));
        ASSERT_EQ(labels.size(), 1u);
        EXPECT_EQ(labels[0].fontColor, Scale);
        EXPECT_EQ(labels[0].brushColor, Background);
        EXPECT_GT(labels[0].y1, baseLine);
        EXPECT_LE(labels[0].x1, bars[order].x2);
        EXPECT_GE(labels[0].x1 + LabelHeight, bars[order].x1);
    }
}

INSTANTIATE_TEST_SUITE_P(HarmonicView, Chart,
                         testing::Values(PageCase{0, Channel::Voltage, VoltageColor},
                                         PageCase{2, Channel::Current, CurrentColor}));

struct TableCell {
    Drawn rms;
    Drawn percent;
};

// The value cells by order: nine rows, each with the RMS and %F cells of six groups.
std::vector<TableCell> tableCells(const RecordingCanvas& canvas) {
    std::map<int, std::vector<Drawn>> rows;
    for (const Drawn& d : canvas.of(Kind::Text))
        if (d.fontSize == ValuePoints)
            rows[d.y1].push_back(d);
    std::vector<TableCell> cells(TableOrders);
    if (rows.size() != 9) {
        ADD_FAILURE() << rows.size() << " value rows";
        return cells;
    }
    std::size_t r = 0;
    for (const auto& [y, drawn] : rows) {
        const std::vector<Drawn> row = sortedByX(drawn);
        if (row.size() != 12) {
            ADD_FAILURE() << "row " << r << " has " << row.size() << " cells";
            return cells;
        }
        for (std::size_t k = 0; k < 6; ++k)
            cells[r + 9 * k] = {row[2 * k], row[2 * k + 1]};
        ++r;
    }
    return cells;
}

// Order labels of the table, by order.
std::map<int, Drawn> orderLabels(const RecordingCanvas& canvas) {
    std::map<int, Drawn> labels;
    for (int order = 0; order < 60; ++order)
        for (const Drawn& d : canvas.texts(std::to_string(order)))
            if (d.fontSize == LabelPoints)
                labels.emplace(order, d);
    return labels;
}

// Number of dotted row lines at or above y: the band of the table that y lies in.
std::size_t bandOf(const std::vector<Segment>& rowLines, int y) {
    return std::size_t(std::count_if(rowLines.begin(), rowLines.end(),
                                     [y](const Segment& line) { return std::get<1>(line) <= y; }));
}

struct TableCase {
    int page;
    std::uint32_t color;
    int harmonic; // the one order of the last group carrying a signal
    std::string fundamentalText;
    std::string harmonicText;
    std::string ratioText;
    std::string zeroText;
};

void PrintTo(const TableCase& c, std::ostream* os) {
    *os << "page " << c.page;
}

// Each quantity has its fundamental and one harmonic of the last group, at different orders.
SamplingDataType tabulatedMeasurement() {
    return measurement(512, waveOf(512, {{14142, 1}, {1414, 46}}), 0.01f,
                       waveOf(512, {{20000, 1}, {5000, 52}}), 1e-4f);
}

class Table : public testing::TestWithParam<TableCase> {};

TEST_P(Table, ListsEveryOrderOfItsOwnQuantity) {
    const TableCase c = GetParam();
    const std::vector<TableCell> cells = tableCells(draw(c.page, tabulatedMeasurement()));
    for (int m = 0; m < TableOrders; ++m) {
        SCOPED_TRACE(m);
        const TableCell& cell = cells[std::size_t(m)];
        const std::string rms = m == 1            ? c.fundamentalText
                                : m == c.harmonic ? c.harmonicText
                                                  : c.zeroText;
        const std::string percent = m == 1 ? "100.0%" : m == c.harmonic ? c.ratioText : "0.0%";
        EXPECT_EQ(cell.rms.text, rms);
        EXPECT_EQ(cell.percent.text, percent);
        EXPECT_EQ(cell.rms.fontColor, c.color);
        EXPECT_EQ(cell.rms.brushColor, Background);
    }
}

TEST_P(Table, LabelsOrdersZeroTo53BesideTheirValues) {
    const RecordingCanvas canvas = draw(GetParam().page, tabulatedMeasurement());
    const std::vector<TableCell> cells = tableCells(canvas);
    const std::map<int, Drawn> labels = orderLabels(canvas);
    const std::vector<Segment> rowLines = LinesOf(canvas, Scale, Canvas::PenStyle::Dot);
    ASSERT_EQ(rowLines.size(), 10u);
    ASSERT_EQ(labels.size(), std::size_t(TableOrders));
    EXPECT_EQ(labels.rbegin()->first, TableOrders - 1);

    for (const auto& [order, label] : labels) {
        SCOPED_TRACE(order);
        const TableCell& cell = cells[std::size_t(order)];
        EXPECT_EQ(label.fontColor, Background);
        EXPECT_EQ(label.brushColor, Scale);
        EXPECT_EQ(bandOf(rowLines, label.y1), bandOf(rowLines, cell.rms.y1));
        EXPECT_EQ(bandOf(rowLines, label.y1), std::size_t(order % 9 + 2));
        EXPECT_LT(label.x1, cell.rms.x1);
        EXPECT_LT(cell.rms.x1, cell.percent.x1);
        if (order + 9 < TableOrders) {
            EXPECT_LT(cell.percent.x1, labels.at(order + 9).x1);
        }
    }
    for (const char* header : {"n", "RMS", "%F"}) {
        SCOPED_TRACE(header);
        const std::vector<Drawn> headers = canvas.texts(header);
        EXPECT_EQ(headers.size(), 6u);
        for (const Drawn& d : headers)
            EXPECT_EQ(bandOf(rowLines, d.y1), 1u);
    }
}

// The fundamental is always 100 % of itself, even when it is replaced by its substitute.
TEST_P(Table, ZeroMeasurementShowsZeroValues) {
    const TableCase c = GetParam();
    const RecordingCanvas canvas = draw(c.page, quietMeasurement());
    const std::vector<TableCell> cells = tableCells(canvas);
    for (int m = 0; m < TableOrders; ++m) {
        SCOPED_TRACE(m);
        EXPECT_EQ(cells[std::size_t(m)].rms.text, c.zeroText);
        EXPECT_EQ(cells[std::size_t(m)].percent.text, m == 1 ? "100.0%" : "0.0%");
    }
    EXPECT_FALSE(showsAFault(canvas));
}

// Without a fundamental the ratios divide by a tiny substitute and move to kilo-percent.
TEST_P(Table, VanishingFundamentalShowsRatiosInKiloPercent) {
    const Wave constant = waveOf(512, {{10, 0}});
    const SamplingDataType data = measurement(128, constant, 0.001f, constant, 0.001f);
    const std::vector<TableCell> cells = tableCells(draw(GetParam().page, data));
    EXPECT_EQ(cells[0].percent.text, "1000. K%");
    EXPECT_EQ(cells[2].percent.text, "0.0%");
}

INSTANTIATE_TEST_SUITE_P(
    HarmonicView, Table,
    testing::Values(TableCase{1, VoltageColor, 46, "100.0V", "10.0V", "10.0%", "0.0V"},
                    TableCase{3, CurrentColor, 52, "1.414A", "0.354A", "25.0%", "0.0A"}));

class EmptyRectangle : public testing::TestWithParam<int> {};

TEST_P(EmptyRectangle, DrawsThePageWithoutFaults) {
    for (const ViewRect& rect : {ViewRect{}, ViewRect{50, 40, 50, 40}}) {
        const RecordingCanvas canvas = draw(GetParam(), distortedMeasurement(), rect);
        EXPECT_EQ(selectorCaptions(canvas).size(), 4u);
        for (const Drawn& bar : canvas.of(Kind::Rectangle))
            EXPECT_EQ(bar.y1, bar.y2);
        EXPECT_FALSE(showsAFault(canvas));
        EXPECT_EQ(canvas.PenWidth(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(HarmonicView, EmptyRectangle, testing::Values(0, 1, 2, 3));

} // namespace
