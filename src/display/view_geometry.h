#pragma once

#include "display/text_rules.h"

// Plot rectangle handed to every view; all positions derive from it and the font height.
struct ViewRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// The four numbers a view lays itself out from, so the same routine fits a screen image and
// a printed page.
struct Table {
    explicit Table(const ViewRect& rect)
        : TableLeft(rect.left), TableTop(rect.top), TableWidth(rect.width()),
          TableHeight(rect.height()) {}

    int TableLeft;
    int TableTop;
    int TableWidth;
    int TableHeight;
};

// Pixel positions given as fractions are computed in floating point, then rounded (ties to
// even) or truncated toward zero.
inline int RoundPixel(double position) {
    return static_cast<int>(Round(position));
}
inline int TruncPixel(double position) {
    return static_cast<int>(Trunc(position));
}

// Top of a title or legend text of height h above the plot.
inline int TitleTop(const Table& table, int h) {
    return table.TableTop - h - h / 3;
}

// Top of the row of range, status or scale texts just below the plot.
inline int BelowTableRowTop(const Table& table) {
    return table.TableTop + table.TableHeight + table.TableHeight / 75;
}

// Left edge of quarter `quarter` (0-3) of the width, where the texts below the plot start.
inline int QuarterLeft(const Table& table, int quarter) {
    return table.TableLeft + RoundPixel(quarter * table.TableWidth / 4.0);
}
