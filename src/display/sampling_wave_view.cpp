#include "display/sampling_wave_view.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "display/text_rules.h"
#include "display/view_drawing.h"

namespace {

constexpr int Divisions = 10;
constexpr int VerticalDivisions = 8;

// The zero line halves the height, so the voltage peak reaches the edge four divisions away.
int ZeroLine(const Table& t) {
    return t.TableTop + TruncPixel(t.TableHeight / 2.0);
}

// Current and power peaks stop one division short of the edge.
float ReducedHeadroom(const Table& t) {
    return static_cast<float>(t.TableHeight) / 8;
}

struct TraceStyle {
    std::uint32_t color;
    float headroom;
    // Power is drawn as an area: every sample also gets a stroke from the zero line.
    bool strokesFromZeroLine;
};

// Samples of one trace: voltage and current counts, or their products for the power.
using Samples = std::span<const std::int32_t>;

float PeakOf(Samples values) {
    float peak = 0;
    for (std::int32_t v : values)
        peak = std::max(peak, std::fabs(static_cast<float>(v)));
    return peak;
}

// The samples to plot, copied out of the packed record, with the power products u·i.
struct WaveSamples {
    using Values = std::array<std::int32_t, MaxSamplingPoints>;

    Samples of(const Values& values) const { return {values.data(), count}; }

    std::size_t count = 0;
    Values u{};
    Values i{};
    Values power{};
};

// The arrays hold 512 samples, whatever count the instrument reports.
WaveSamples SamplesOf(const SamplingDataType& Data) {
    WaveSamples samples;
    samples.count = std::min<std::size_t>(Data.SamplingNumber, MaxSamplingPoints);
    for (std::size_t k = 0; k < samples.count; ++k) {
        samples.u[k] = Data.u_Sampling[k];
        samples.i[k] = Data.i_Sampling[k];
        samples.power[k] = samples.u[k] * samples.i[k];
    }
    return samples;
}

void PlotTrace(Canvas& canvas, const Table& t, int PenWidth, Samples values,
               const TraceStyle& style) {
    if (values.size() < 2)
        return;
    canvas.SetPenColor(style.color);
    canvas.SetPenWidth(PenWidth);
    canvas.SetPenStyle(Canvas::PenStyle::Solid);

    const int y0 = ZeroLine(t);
    const float peak = PeakOf(values);
    float Y_bili = 1;
    if (peak != 0)
        Y_bili = (static_cast<float>(y0 - t.TableTop) - style.headroom) / peak;
    const float X_bili = static_cast<float>(t.TableWidth) / static_cast<float>(values.size());
    auto yOf = [&](std::int32_t v) {
        return y0 - RoundPixel(static_cast<double>(v) * static_cast<double>(Y_bili));
    };

    canvas.MoveTo(t.TableLeft, yOf(values[0]));
    float x = 0;
    for (std::size_t i = 1; i < values.size(); ++i) {
        x += X_bili;
        const int px = t.TableLeft + RoundPixel(static_cast<double>(x));
        const int py = yOf(values[i]);
        canvas.LineTo(px, py);
        if (style.strokesFromZeroLine) {
            canvas.MoveTo(px, y0);
            canvas.LineTo(px, py);
        }
    }
}

void DrawGrid(Canvas& canvas, const DisplayControlType& control, const Table& t) {
    const int ShortScaleLenght = RoundPixel(t.TableHeight * 0.01);
    const int centreX = t.TableLeft + TruncPixel(t.TableWidth / 2.0);
    const int centreY = t.TableTop + TruncPixel(t.TableHeight / 2.0);
    for (int i = 0; i <= VerticalDivisions; ++i) {
        const double divisionTop = t.TableHeight * i / double(VerticalDivisions);
        const int y = t.TableTop + TruncPixel(divisionTop);
        ScaleLine(canvas, control, Canvas::PenStyle::Dot, t.TableLeft, y,
                  t.TableLeft + t.TableWidth, y);
        if (i == VerticalDivisions)
            break;
        const int tickY = t.TableTop + TruncPixel(divisionTop + t.TableHeight * 0.0625);
        ScaleLine(canvas, control, Canvas::PenStyle::Solid, centreX - ShortScaleLenght + 1, tickY,
                  centreX + ShortScaleLenght, tickY);
    }
    for (int i = 0; i <= Divisions; ++i) {
        const double divisionLeft = t.TableWidth * i / double(Divisions);
        const int x = t.TableLeft + TruncPixel(divisionLeft);
        ScaleLine(canvas, control, Canvas::PenStyle::Dot, x, t.TableTop, x,
                  t.TableTop + t.TableHeight);
        if (i == Divisions)
            break;
        const int tickX = t.TableLeft + TruncPixel(divisionLeft + t.TableWidth / 20.0);
        ScaleLine(canvas, control, Canvas::PenStyle::Solid, tickX, centreY - ShortScaleLenght + 1,
                  tickX, centreY + ShortScaleLenght);
    }
}

struct LegendEntry {
    std::uint32_t color;
    double swatchLeft; // fractions of the width
    double labelLeft;
    std::string_view label;
};

void DrawLegend(Canvas& canvas, const DisplayControlType& control, const Table& t) {
    const std::array<LegendEntry, 3> entries = {{{control.VoltageColor, 0.15, 0.20, "Voltage"},
                                                 {control.CurrentColor, 0.30, 0.35, "Current"},
                                                 {control.PowerColor, 0.45, 0.50, "Power"}}};
    const std::size_t shown = control.PowerDisplay_Display ? 3 : 2;
    const std::span<const LegendEntry> legend(entries.data(), shown);

    const int swatchTop = t.TableTop - RoundPixel(t.TableHeight * 0.05);
    const int swatchHeight = RoundPixel(t.TableHeight * 0.04);
    const int swatchWidth = RoundPixel(t.TableWidth * 0.03);
    for (const LegendEntry& entry : legend)
        FillBox(canvas, entry.color, t.TableLeft + RoundPixel(t.TableWidth * entry.swatchLeft),
                swatchTop, swatchWidth, swatchHeight);

    const int h = UseFont(canvas, control.Font1, TextStyle::Regular);
    for (const LegendEntry& entry : legend)
        OrdinaryLabel(canvas, control, t.TableLeft + RoundPixel(t.TableWidth * entry.labelLeft),
                      TitleTop(t, h), entry.label);
}

// A per-division figure given in hundredths, rounded to two decimals.
std::string Hundredths(double hundredths, char decimalSeparator) {
    return formatGeneral(static_cast<double>(Round(hundredths)) / 100, decimalSeparator);
}

// Ten divisions show two signal periods.
std::string MillisecondsPerDivision(float U_Frequency, char separator) {
    if (U_Frequency > 0)
        return Hundredths(0.2 / static_cast<double>(U_Frequency) * 100000, separator);
    return "4";
}

std::string VoltsPerDivision(const SamplingDataType& Data, char separator) {
    if (Data.U_rms > 0)
        return Hundredths(static_cast<double>(Data.U_peak) / 4 * 100, separator);
    return "50";
}

std::string AmperesPerDivision(const SamplingDataType& Data, char separator) {
    if (Data.I_rms > 0)
        return Hundredths(static_cast<double>(Data.I_peak) / 3 * 100, separator);
    return "1";
}

std::string_view TriggerText(std::uint8_t Trigger) {
    static constexpr std::array<std::string_view, 5> Texts = {"DC", "VOL 0.5-500HZ", "VOL 40-500HZ",
                                                              "CUR 0.5-500HZ", "CUR 40-500HZ"};
    return Trigger < Texts.size() ? Texts[Trigger] : std::string_view();
}

void DrawScaleRow(Canvas& canvas, const DisplayControlType& control, const Table& t,
                  const SamplingDataType& Data) {
    const int y = BelowTableRowTop(t);
    const int h = UseFont(canvas, control.Font1, TextStyle::Bold);
    InverseLabel(canvas, control, QuarterLeft(t, 0), y, "SEC/DIV");
    InverseLabel(canvas, control, QuarterLeft(t, 1), y, "Vol/DIV");
    InverseLabel(canvas, control, QuarterLeft(t, 2), y, "Amp/DIV");
    InverseLabel(canvas, control, QuarterLeft(t, 3), y, "Trigger ");

    UseFont(canvas, control.Font1, TextStyle::Regular);
    const char separator = canvas.DecimalSeparator();
    OrdinaryLabel(canvas, control, QuarterLeft(t, 0) + 5 * h, y,
                  MillisecondsPerDivision(Data.U_Frequency, separator) + "ms ");
    OrdinaryLabel(canvas, control, QuarterLeft(t, 1) + 5 * h, y,
                  VoltsPerDivision(Data, separator) + "V ");
    OrdinaryLabel(canvas, control, QuarterLeft(t, 2) + 6 * h, y,
                  AmperesPerDivision(Data, separator) + "A ");
    OrdinaryLabel(canvas, control, QuarterLeft(t, 3) + 5 * h, y, TriggerText(Data.Trigger));
}

} // namespace

void DisplaySamplingWave(Canvas& CanvasPIC, const ViewRect& myRect, DisplayControlType D_Control,
                         SamplingDataType Data) {
    const Table table(myRect);
    const WaveSamples samples = SamplesOf(Data);

    // Drawn first so that the grid and the other traces stay visible over its area.
    if (D_Control.PowerDisplay_Display)
        PlotTrace(CanvasPIC, table, D_Control.PenWidth, samples.of(samples.power),
                  {D_Control.PowerColor, ReducedHeadroom(table), true});
    DrawGrid(CanvasPIC, D_Control, table);
    PlotTrace(CanvasPIC, table, D_Control.PenWidth, samples.of(samples.i),
              {D_Control.CurrentColor, ReducedHeadroom(table), false});
    PlotTrace(CanvasPIC, table, D_Control.PenWidth, samples.of(samples.u),
              {D_Control.VoltageColor, 0, false});

    ViewTitle(CanvasPIC, D_Control, table, " Norvane ", TextStyle::BoldItalic);
    DrawLegend(CanvasPIC, D_Control, table);
    DrawScaleRow(CanvasPIC, D_Control, table, Data);
    CanvasPIC.SetPenWidth(1);
}
