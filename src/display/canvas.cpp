#include "display/canvas.h"

#include <cmath>

#include "display/text_rules.h"

void Canvas::MoveTo(int x, int y) {
    x_ = x;
    y_ = y;
}

void Canvas::LineTo(int x, int y) {
    drawLine(x_, y_, x, y);
    MoveTo(x, y);
}

void Canvas::Rectangle(int left, int top, int right, int bottom) {
    drawRectangle(left, top, right, bottom);
}

void Canvas::FillRect(int left, int top, int right, int bottom) {
    fillRectangle(left, top, right, bottom);
}

void Canvas::TextOut(int x, int y, std::string_view text) {
    drawText(x, y, text, 0);
}

void Canvas::AngleTextOut(std::string_view text, int x, int y, int angle) {
    drawText(x, y, text, angle);
}

void Canvas::PrintText(int x, int y, float Data, std::string_view UnitStr, int StrLength,
                       float aRate, float bRate) {
    TextOut(x, y, PrintTextString(Data, UnitStr, StrLength, aRate, bRate, decimalSeparator_));
}

int Canvas::FontPixelHeight() const {
    return int(std::nearbyint(double(fontSize_) * PixelsPerInch() / 72.0));
}
