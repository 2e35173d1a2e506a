#include "display/measurement_page.h"

#include "display/canvas.h"
#include "display/harmonic_view.h"
#include "display/sampling_wave_view.h"
#include "display/text_rules.h"

namespace {

int rounded(double value) {
    return int(Round(value));
}

void fillBackground(Canvas& canvas, int width, int height, std::uint32_t color) {
    canvas.SetBrushStyle(Canvas::BrushStyle::Solid);
    canvas.SetBrushColor(color);
    canvas.FillRect(0, 0, width, height);
}

} // namespace

void drawMeasurementPage(Canvas& waveCanvas, Canvas& parameterCanvas, Canvas& harmonicCanvas,
                         BoxSize upper, BoxSize lower, const DisplayControlType& display,
                         const SamplingDataType& measurement, const RangeLabels& ranges) {
    fillBackground(waveCanvas, upper.width, upper.height, display.BackgroundColor);
    fillBackground(parameterCanvas, upper.width, upper.height, display.BackgroundColor);
    fillBackground(harmonicCanvas, rounded(lower.width), rounded(lower.height),
                   display.BackgroundColor);
    const ViewRect upperPlot{rounded(upper.width * 0.01), rounded(upper.height * 0.07),
                             rounded(upper.width * 0.99), rounded(upper.height * 0.94)};
    DisplaySamplingWave(waveCanvas, upperPlot, display, measurement);
    DisplayParameters(parameterCanvas, upperPlot, display, measurement, ranges);
    // The spectrum keeps the upper box's left and top edges.
    const ViewRect lowerPlot{upperPlot.left, upperPlot.top, rounded(lower.width * 0.99),
                             lower.height};
    DisplayHarmonicWave(harmonicCanvas, lowerPlot, display, measurement);
}
