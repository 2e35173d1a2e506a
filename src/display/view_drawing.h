#pragma once

#include <cstdint>
#include <string_view>

#include "display/canvas.h"
#include "display/display_control.h"
#include "display/view_geometry.h"

// Drawing pieces the measurement views share: fonts, labels, titles, scale lines, boxes.

enum class TextStyle { Regular, Bold, BoldItalic };

// Selects the font of the next texts and gives its pixel height h.
int UseFont(Canvas& canvas, int points, TextStyle style);

// Next texts in `color` on the view's background.
void UseTextOnBackground(Canvas& canvas, const DisplayControlType& control, std::uint32_t color);

// Text in the scale colour on the view's background, in the current font.
void OrdinaryLabel(Canvas& canvas, const DisplayControlType& control, int x, int y,
                   std::string_view text);

// Text in the background colour on a box of the scale colour, in the current font.
void InverseLabel(Canvas& canvas, const DisplayControlType& control, int x, int y,
                  std::string_view text);

// A view's title: an inverse label in `Font2` above the plot.
void ViewTitle(Canvas& canvas, const DisplayControlType& control, const Table& table,
               std::string_view title, TextStyle style);

// A grid or table line of width 1 in the scale colour. A dotted line's gaps show the view's
// background even over a trace drawn earlier.
void ScaleLine(Canvas& canvas, const DisplayControlType& control, Canvas::PenStyle style, int x1,
               int y1, int x2, int y2);

// A box filled with `color`.
void FillBox(Canvas& canvas, std::uint32_t color, int left, int top, int width, int height);
