#include "shell/frame_test.h"

#include <QPainter>
#include <cmath>

#include "shell/main_window.h"

namespace {

// Selector captions along the top of the harmonic view, as fractions of 97 % of its width.
constexpr double SelectorStart = 0.53;
constexpr double SelectorEnds[] = {0.65, 0.77, 0.89};
constexpr int IgnoredLeftMargin = 55;

int roundHalfEven(double value) {
    return int(std::nearbyint(value));
}

} // namespace

TFrame_Test::TFrame_Test(TForm1& form, QWidget* parent) : QWidget(parent), form_(form) {
    ui.setupUi(this);
    const auto copyFrom = [this](const QImage& canvas) {
        return [this, &canvas](QPainter& painter) {
            painter.drawImage(form_.PicRect, canvas, form_.PicRect);
        };
    };
    ui.PaintBox1->OnPaint = copyFrom(form_.Canvas_SamplingWave);
    ui.PaintBox4->OnPaint = copyFrom(form_.Canvas_Parameter);
    ui.PaintBox2->OnPaint = copyFrom(form_.Canvas_Harmonic);
    ui.PaintBox2->OnMouseDown = [this](Qt::MouseButton button, int x, int y) {
        PaintBox2MouseDown(button, x, y);
    };
}

void TFrame_Test::PaintBox2MouseDown(Qt::MouseButton Button, int X, int Y) {
    if (Button != Qt::LeftButton || X <= IgnoredLeftMargin)
        return;
    const int w = roundHalfEven(ui.PaintBox2->width() * 0.97);
    const int h = roundHalfEven(ui.PaintBox2->height() * 0.08);
    if (X > w * SelectorStart && Y < h) {
        int page = 0;
        while (page < 3 && X >= w * SelectorEnds[page])
            ++page;
        form_.DisplayControl.Display_THD_Index = page;
    }
    form_.Timer_UpdataDisplay.SetEnabled(true);
}
