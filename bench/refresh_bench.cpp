// One refresh of the measurement page for a 1920 x 1080 window: the three back buffers
// filled and the three views drawn (with the spectrum's two transforms), and each view alone.
#include <QGuiApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include "display/harmonic_view.h"
#include "display/measurement_page.h"
#include "display/qt_canvas.h"
#include "display/sampling_wave_view.h"
#include "instrument.h"

namespace {

// Paint boxes of a 1920 x 1080 window; back buffers of a 1920 x 1080 screen.
constexpr BoxSize Upper{950, 476};
constexpr BoxSize Lower{1908, 476};
constexpr int ScreenWidth = 1920;
constexpr int BufferHeight = 540;

DisplayControlType displaySettings() {
    DisplayControlType display{};
    setDefaultViewColors(display);
    setStartFonts(display);
    display.PowerDisplay_Display = true;
    display.PenWidth = 2;
    return display;
}

// A distorted load as the simulated instrument measures it, 512 samples.
SamplingDataType measurement() {
    InstrumentConfig config;
    config.signal.voltage.harmonics = {{3, 4, 0}, {5, 2, 30}};
    config.signal.current = {3.2, 0, {{3, 28, 10}, {5, 14, 40}, {7, 7, 0}}};
    config.signal.currentLagDegrees = 25;
    config.signal.noisePercent = 0.2;
    return Instrument(config).measure(0);
}

const RangeLabels Ranges{{"10 V", "25 V", "50 V", "100 V", "250 V", "500 V"},
                         {"60 mA", "0.2 A", "0.6 A", "2.0 A", "6.0 A", "20.0 A"}};

struct Buffers {
    QImage wave{ScreenWidth, BufferHeight, QImage::Format_RGB32};
    QImage parameters{ScreenWidth, BufferHeight, QImage::Format_RGB32};
    QImage harmonics{ScreenWidth, BufferHeight, QImage::Format_RGB32};
};

void FullRefresh(benchmark::State& state) {
    Buffers buffers;
    const DisplayControlType display = displaySettings();
    const SamplingDataType data = measurement();
    for (auto _ : state) {
        QtCanvas wave(buffers.wave), parameters(buffers.parameters), harmonics(buffers.harmonics);
        drawMeasurementPage(wave, parameters, harmonics, Upper, Lower, display, data, Ranges);
    }
}
BENCHMARK(FullRefresh)->Unit(benchmark::kMillisecond);

const ViewRect UpperPlot{10, 33, 941, 447};

void SamplingWaveView(benchmark::State& state) {
    Buffers buffers;
    const DisplayControlType display = displaySettings();
    const SamplingDataType data = measurement();
    for (auto _ : state) {
        QtCanvas canvas(buffers.wave);
        DisplaySamplingWave(canvas, UpperPlot, display, data);
    }
}
BENCHMARK(SamplingWaveView)->Unit(benchmark::kMillisecond);

void ParameterView(benchmark::State& state) {
    Buffers buffers;
    const DisplayControlType display = displaySettings();
    const SamplingDataType data = measurement();
    for (auto _ : state) {
        QtCanvas canvas(buffers.parameters);
        DisplayParameters(canvas, UpperPlot, display, data, Ranges);
    }
}
BENCHMARK(ParameterView)->Unit(benchmark::kMillisecond);

void HarmonicView(benchmark::State& state) {
    Buffers buffers;
    DisplayControlType display = displaySettings();
    display.Display_THD_Index = int(state.range(0));
    const SamplingDataType data = measurement();
    for (auto _ : state) {
        QtCanvas canvas(buffers.harmonics);
        DisplayHarmonicWave(canvas, {10, 33, 1889, 476}, display, data);
    }
}
BENCHMARK(HarmonicView)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
