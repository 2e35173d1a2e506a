#include "display/view_drawing.h"

int UseFont(Canvas& canvas, int points, TextStyle style) {
    canvas.SetFontSize(points);
    canvas.SetFontBold(style != TextStyle::Regular);
    canvas.SetFontItalic(style == TextStyle::BoldItalic);
    return canvas.FontPixelHeight();
}

void UseTextOnBackground(Canvas& canvas, const DisplayControlType& control, std::uint32_t color) {
    canvas.SetFontColor(color);
    canvas.SetBrushStyle(Canvas::BrushStyle::Solid);
    canvas.SetBrushColor(control.BackgroundColor);
}

void OrdinaryLabel(Canvas& canvas, const DisplayControlType& control, int x, int y,
                   std::string_view text) {
    UseTextOnBackground(canvas, control, control.ScaleColor);
    canvas.TextOut(x, y, text);
}

void InverseLabel(Canvas& canvas, const DisplayControlType& control, int x, int y,
                  std::string_view text) {
    canvas.SetFontColor(control.BackgroundColor);
    canvas.SetBrushStyle(Canvas::BrushStyle::Solid);
    canvas.SetBrushColor(control.ScaleColor);
    canvas.TextOut(x, y, text);
}

void ViewTitle(Canvas& canvas, const DisplayControlType& control, const Table& table,
               std::string_view title, TextStyle style) {
    const int h = UseFont(canvas, control.Font2, style);
    InverseLabel(canvas, control, table.TableLeft, TitleTop(table, h), title);
}

namespace {

void Line(Canvas& canvas, std::uint32_t color, Canvas::PenStyle style, int x1, int y1, int x2,
          int y2) {
    canvas.SetPenColor(color);
    canvas.SetPenWidth(1);
    canvas.SetPenStyle(style);
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
}

} // namespace

void ScaleLine(Canvas& canvas, const DisplayControlType& control, Canvas::PenStyle style, int x1,
               int y1, int x2, int y2) {
    if (style == Canvas::PenStyle::Dot)
        Line(canvas, control.BackgroundColor, Canvas::PenStyle::Solid, x1, y1, x2, y2);
    Line(canvas, control.ScaleColor, style, x1, y1, x2, y2);
}

void FillBox(Canvas& canvas, std::uint32_t color, int left, int top, int width, int height) {
    canvas.SetBrushStyle(Canvas::BrushStyle::Solid);
    canvas.SetBrushColor(color);
    canvas.FillRect(left, top, left + width, top + height);
}
