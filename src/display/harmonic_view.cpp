#include "display/harmonic_view.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/ffts.h"
#include "display/canvas.h"
#include "display/text_rules.h"
#include "display/view_drawing.h"

namespace {

constexpr int MinAnalysedSamples = 128;
constexpr double SqrtTwo = 1.4142135623731;

constexpr int ChartedOrders = 51;
constexpr int ChartLabelStep = 5;
constexpr int GridLines = 10;

constexpr int TableGroups = 6;
constexpr int OrdersPerGroup = 9;
constexpr double UnitsPerGroup = 7.0;
constexpr double TableUnits = TableGroups * UnitsPerGroup;
constexpr double RmsColumn = 1.0;
constexpr double PercentColumn = 3.5;
constexpr int FirstGroupInset = 7;
constexpr int HeaderInset = 3;
constexpr int ValueLength = 5;
// A ratio shown as a percentage with one decimal.
constexpr float PercentRate = 1000.0f;
constexpr float PercentDivisor = 10.0f;

// A fundamental this small would blow every ratio up; the ratios divide by the substitute.
constexpr float VanishingFundamental = 1e-7f;
constexpr float SubstituteFundamental = 1e-6f;

constexpr std::uint32_t TickColor = 0x000000;
constexpr std::string_view Tick = "\u221A";

enum class Quantity { Voltage, Current };

struct Page {
    double selectorPosition; // fraction of TableWidth from the canvas's left edge
    std::string_view caption;
    Quantity quantity;
    bool table;
};

constexpr std::array<Page, 4> Pages = {{{0.54, "Voltage", Quantity::Voltage, false},
                                        {0.66, "Report", Quantity::Voltage, true},
                                        {0.78, "Current", Quantity::Current, false},
                                        {0.90, "Report", Quantity::Current, true}}};

struct TableStyle {
    std::string_view unit;
    float rate;                          // of PrintText: one decimal for volts, three for amperes
    std::int64_t (*rowPosition)(double); // the voltage rows are rounded, the current ones truncated
};

constexpr TableStyle VoltageTable{"V", 10.0f, Round};
constexpr TableStyle CurrentTable{"A", 1000.0f, Trunc};

int AnalysedSampleCount(int N) {
    return std::clamp(N, MinAnalysedSamples, static_cast<int>(MaxSamplingPoints));
}

// Peak amplitude 2|X_k|/n as an RMS value; the DC bin counts once, not twice.
HarmonicMagnitudes magnitudesOf(std::vector<TComplex> wave, float gene) {
    const int n = static_cast<int>(wave.size());
    ForwardFFT(wave.data(), wave.data(), n);
    const double halfCount = n / 2.0;
    auto scaled = [&](int k, double divisor) {
        return static_cast<float>(static_cast<double>(ComplexMag(wave[k])) / halfCount *
                                  static_cast<double>(gene) / divisor);
    };
    HarmonicMagnitudes magnitudes{};
    magnitudes[0] = scaled(0, 2.0);
    for (int k = 1; k < HarmonicOrdersComputed; ++k)
        magnitudes[k] = scaled(k, SqrtTwo);
    return magnitudes;
}

// Positions of the view, from the plot rectangle and the height h of the label font.
struct HarmonicLayout {
    int TableLeft;
    int TableTop;
    int TableWidth;
    int h;
    int GLine;      // base line of the page
    int plotHeight; // GLine - TableTop
    int rightEnd;   // where the page's lines end
};

HarmonicLayout layoutOf(const ViewRect& rect, int h) {
    HarmonicLayout layout{};
    layout.TableLeft = rect.left;
    layout.TableTop = rect.top;
    layout.TableWidth = rect.width() - RoundPixel(0.02 * rect.width());
    layout.h = h;
    layout.GLine = rect.top + TruncPixel(0.9 * rect.height());
    layout.plotHeight = layout.GLine - layout.TableTop;
    layout.rightEnd = layout.TableLeft + layout.TableWidth + RoundPixel(0.01 * layout.TableWidth);
    return layout;
}

void usePen(Canvas& canvas, std::uint32_t color, int width, Canvas::PenStyle style) {
    canvas.SetPenColor(color);
    canvas.SetPenWidth(width);
    canvas.SetPenStyle(style);
}

// A line of width 1 in the scale colour across the page.
void gridLine(Canvas& canvas, const HarmonicLayout& layout, const DisplayControlType& D,
              Canvas::PenStyle style, int y) {
    ScaleLine(canvas, D, style, layout.TableLeft, y, layout.rightEnd, y);
}

std::uint32_t colorOf(Quantity quantity, const DisplayControlType& D) {
    return quantity == Quantity::Voltage ? D.VoltageColor : D.CurrentColor;
}

void drawSelector(Canvas& canvas, const HarmonicLayout& layout, const DisplayControlType& D,
                  const Page& page, bool shown) {
    const int h = layout.h;
    const int left = RoundPixel(layout.TableWidth * page.selectorPosition);
    const int top = layout.TableTop - h - RoundPixel(0.3 * h);
    const int textTop = layout.TableTop - h - RoundPixel(0.4 * h);
    const int captionLeft = left + h + RoundPixel(0.4 * h);

    FillBox(canvas, colorOf(page.quantity, D), left, top, h, h);
    if (shown) {
        canvas.SetFontColor(TickColor);
        canvas.SetBrushStyle(Canvas::BrushStyle::Clear);
        canvas.TextOut(left, textTop, Tick);
        InverseLabel(canvas, D, captionLeft, textTop, page.caption);
    } else {
        OrdinaryLabel(canvas, D, captionLeft, textTop, page.caption);
    }
}

// The order number under a labelled order's bar and its tick on the axis.
void drawOrderMark(Canvas& canvas, const HarmonicLayout& layout, const DisplayControlType& D,
                   int order, int x) {
    const int h = layout.h;
    const int centring = order < 10 ? RoundPixel(0.3 * h) : RoundPixel(0.5 * h);
    OrdinaryLabel(canvas, D, x - centring, layout.GLine + RoundPixel(0.4 * h),
                  std::to_string(order));
    ScaleLine(canvas, D, Canvas::PenStyle::Solid, x, layout.GLine - 1, x,
              layout.GLine + RoundPixel(0.015 * layout.plotHeight));
}

void drawChartGrid(Canvas& canvas, const HarmonicLayout& layout, const DisplayControlType& D) {
    const int h = layout.h;
    OrdinaryLabel(canvas, D, layout.TableLeft, layout.GLine + RoundPixel(0.4 * h), "0");
    for (int j = 0; j < GridLines; ++j)
        gridLine(canvas, layout, D, Canvas::PenStyle::Dot,
                 layout.GLine - layout.plotHeight +
                     TruncPixel(layout.plotHeight * j / double(GridLines)));
    OrdinaryLabel(canvas, D, layout.TableLeft, layout.TableTop - h - RoundPixel(0.3 * h), "100%");
}

void drawBar(Canvas& canvas, const HarmonicLayout& layout, const DisplayControlType& D,
             std::uint32_t color, int x, int height) {
    const int halfWidth = RoundPixel(0.002 * layout.TableWidth);
    usePen(canvas, color, 1, Canvas::PenStyle::Solid);
    canvas.SetBrushStyle(Canvas::BrushStyle::Solid);
    canvas.SetBrushColor(color);
    canvas.Rectangle(x - halfWidth, layout.GLine - height, x + halfWidth, layout.GLine);
    canvas.SetBrushColor(D.BackgroundColor);
}

// Bars scale so that the largest one reaches the top grid line; multiplying before dividing
// keeps that exact for the largest bar.
void drawChart(Canvas& canvas, const HarmonicLayout& layout, const DisplayControlType& D,
               const HarmonicMagnitudes& values, std::uint32_t color) {
    usePen(canvas, D.ScaleColor, 2, Canvas::PenStyle::Solid);
    canvas.MoveTo(layout.TableLeft, layout.GLine);
    canvas.LineTo(layout.rightEnd, layout.GLine);

    const double largest =
        static_cast<double>(*std::max_element(values.begin(), values.begin() + ChartedOrders));
    for (int i = 0; i < ChartedOrders; ++i) {
        const int x =
            layout.TableLeft + RoundPixel(i * layout.TableWidth / double(ChartedOrders - 1));
        if (i == 0)
            drawChartGrid(canvas, layout, D);
        else if (i % ChartLabelStep == 0)
            drawOrderMark(canvas, layout, D, i, x);
        const int height =
            largest != 0 ? TruncPixel(layout.plotHeight * static_cast<double>(values[i]) / largest)
                         : 0;
        drawBar(canvas, layout, D, color, x, height);
    }
}

int tableColumn(const HarmonicLayout& layout, double unit, double units) {
    return layout.TableLeft + TruncPixel(unit * units);
}

void drawTableHeader(Canvas& canvas, const HarmonicLayout& layout, const DisplayControlType& D,
                     double unit, int y) {
    for (int k = 0; k < TableGroups; ++k) {
        const double groupStart = UnitsPerGroup * k;
        const int orderX = k == 0 ? layout.TableLeft + FirstGroupInset
                                  : tableColumn(layout, unit, groupStart) + HeaderInset;
        InverseLabel(canvas, D, orderX, y, "n");
        InverseLabel(canvas, D, tableColumn(layout, unit, groupStart + RmsColumn) + HeaderInset, y,
                     "RMS");
        InverseLabel(canvas, D, tableColumn(layout, unit, groupStart + PercentColumn) + HeaderInset,
                     y, "%F");
    }
}

void drawOrderNumbers(Canvas& canvas, const HarmonicLayout& layout, const DisplayControlType& D,
                      int row, int y) {
    const int groupWidth = TruncPixel(layout.TableWidth / double(TableGroups));
    for (int k = 0; k < TableGroups; ++k) {
        const int x =
            k == 0 ? layout.TableLeft + FirstGroupInset : layout.TableLeft + k * groupWidth;
        InverseLabel(canvas, D, x, y, std::to_string(row - 1 + OrdersPerGroup * k));
    }
}

void drawTableGrid(Canvas& canvas, const HarmonicLayout& layout, const DisplayControlType& D,
                   double unit) {
    gridLine(canvas, layout, D, Canvas::PenStyle::Solid, layout.GLine);
    for (int j = 0; j < GridLines; ++j) {
        gridLine(canvas, layout, D, Canvas::PenStyle::Dot,
                 layout.TableTop + TruncPixel(layout.plotHeight * j / double(GridLines)));
        const int y =
            layout.TableTop + TruncPixel(layout.plotHeight * (j / double(GridLines) + 0.02));
        if (j == 0)
            drawTableHeader(canvas, layout, D, unit, y + HeaderInset);
        else
            drawOrderNumbers(canvas, layout, D, j, y);
    }
}

void drawTableValues(Canvas& canvas, const HarmonicLayout& layout, HarmonicMagnitudes values,
                     const TableStyle& style, double unit) {
    for (int r = 0; r < OrdersPerGroup; ++r) {
        const int y =
            layout.TableTop + static_cast<int>(style.rowPosition(
                                  layout.plotHeight * ((r + 1) / double(GridLines) + 0.005)));
        for (int k = 0; k < TableGroups; ++k)
            canvas.PrintText(tableColumn(layout, unit, UnitsPerGroup * k + RmsColumn), y,
                             values[r + OrdersPerGroup * k], style.unit, ValueLength, style.rate,
                             style.rate);
        if (values[1] < VanishingFundamental)
            values[1] = SubstituteFundamental;
        for (int k = 0; k < TableGroups; ++k) {
            const double ratio = static_cast<double>(values[r + OrdersPerGroup * k]) /
                                 static_cast<double>(values[1]);
            canvas.PrintText(tableColumn(layout, unit, UnitsPerGroup * k + PercentColumn), y,
                             static_cast<float>(ratio), "%", ValueLength, PercentRate,
                             PercentDivisor);
        }
    }
}

void drawTable(Canvas& canvas, const HarmonicLayout& layout, const DisplayControlType& D,
               const HarmonicMagnitudes& values, Quantity quantity) {
    const double unit = layout.TableWidth / TableUnits;
    drawTableGrid(canvas, layout, D, unit);

    UseFont(canvas, D.Font3, TextStyle::Regular);
    UseTextOnBackground(canvas, D, colorOf(quantity, D));
    drawTableValues(canvas, layout, values,
                    quantity == Quantity::Voltage ? VoltageTable : CurrentTable, unit);
}

} // namespace

HarmonicSpectra ComputeHarmonics(const SamplingDataType& Data) {
    const int n = AnalysedSampleCount(Data.N);
    std::vector<TComplex> voltage(n);
    std::vector<TComplex> current(n);
    for (int i = 0; i < n; ++i) {
        voltage[i] = Complex(Data.u_Sampling[i], 0.0f);
        current[i] = Complex(Data.i_Sampling[i], 0.0f);
    }
    return {magnitudesOf(std::move(voltage), Data.UGene),
            magnitudesOf(std::move(current), Data.IGene)};
}

void DisplayHarmonicWave(Canvas& CanvasPIC, const ViewRect& myRect, DisplayControlType D_Control,
                         SamplingDataType Data) {
    const HarmonicSpectra spectra = ComputeHarmonics(Data);

    usePen(CanvasPIC, D_Control.ScaleColor, 1, Canvas::PenStyle::Solid);
    const HarmonicLayout layout =
        layoutOf(myRect, UseFont(CanvasPIC, D_Control.Font1, TextStyle::Regular));

    const int shown = D_Control.Display_THD_Index;
    for (int k = 0; k < static_cast<int>(Pages.size()); ++k)
        drawSelector(CanvasPIC, layout, D_Control, Pages[k], k == shown);
    if (shown < 0 || shown >= static_cast<int>(Pages.size()))
        return;

    const Page& page = Pages[shown];
    const HarmonicMagnitudes& values =
        page.quantity == Quantity::Voltage ? spectra.U_Z_Data : spectra.I_Z_Data;
    if (page.table)
        drawTable(CanvasPIC, layout, D_Control, values, page.quantity);
    else
        drawChart(CanvasPIC, layout, D_Control, values, colorOf(page.quantity, D_Control));
}
