#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <cmath>
#include <cstdint>
#include <numbers>

#include "display/parameter_view.h"
#include "display/qt_canvas.h"
#include "display/sampling_wave_view.h"
#include "view_fixtures.h"

namespace {

QColor ColorOf(std::uint32_t bgr) {
    return QColor(int(bgr & 0xFF), int(bgr >> 8 & 0xFF), int(bgr >> 16 & 0xFF));
}

// A back buffer filled with the background, as a refresh prepares it.
QImage BackBuffer(const DisplayControlType& control) {
    QImage image(560, 480, QImage::Format_RGB32);
    image.fill(ColorOf(control.BackgroundColor));
    return image;
}

bool HasColorNear(const QImage& image, int x, int y, std::uint32_t bgr) {
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            if (image.pixelColor(x + dx, y + dy) == ColorOf(bgr))
                return true;
    return false;
}

TEST(ViewPixelsTest, SamplingWaveTracesReachTheirPeaksOnTheImage) {
    const DisplayControlType control = ViewSettings();
    SamplingDataType data{};
    data.SamplingNumber = 64;
    for (int k = 0; k < 64; ++k) {
        const double s = std::sin(2 * std::numbers::pi * k / 64);
        data.u_Sampling[k] = std::int16_t(std::lround(3000 * s));
        data.i_Sampling[k] = std::int16_t(std::lround(800 * s));
    }
    QImage image = BackBuffer(control);
    {
        QtCanvas canvas(image);
        DisplaySamplingWave(canvas, {20, 30, 520, 430}, control, data);
    }
    // Sample 16 is the positive peak, 125 pixels in: the voltage at the top edge, the
    // current one division lower.
    EXPECT_TRUE(HasColorNear(image, 145, 31, control.VoltageColor));
    EXPECT_TRUE(HasColorNear(image, 145, 81, control.CurrentColor));
    EXPECT_FALSE(HasColorNear(image, 145, 81, control.PowerColor));
}

TEST(ViewPixelsTest, ParameterBarsAndTitleBoxShowTheirColours) {
    const DisplayControlType control = ViewSettings();
    QImage image = BackBuffer(control);
    {
        QtCanvas canvas(image);
        DisplayParameters(canvas, {10, 50, 530, 450}, control, SamplingDataType{}, RangeLabels{});
    }
    // Bars 26 wide from 504 in the blocks' heights; the title's leading blank is a box.
    EXPECT_EQ(image.pixelColor(506, 100), ColorOf(control.VoltageColor));
    EXPECT_EQ(image.pixelColor(506, 220), ColorOf(control.CurrentColor));
    EXPECT_EQ(image.pixelColor(506, 380), ColorOf(control.PowerColor));
    EXPECT_EQ(image.pixelColor(12, 50 - 17 + 3), ColorOf(control.ScaleColor));
}

} // namespace
