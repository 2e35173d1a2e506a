#pragma once

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "display/display_control.h"
#include "display/recording_canvas.h"
#include "link/sampling_data.h"

// Settings and look-ups shared by the tests of the measurement views.

// The restore-defaults colours and the start-up font sizes; every colour differs.
inline DisplayControlType ViewSettings() {
    DisplayControlType control{};
    setDefaultViewColors(control);
    setStartFonts(control);
    control.PenWidth = 2;
    return control;
}

using Segment = std::tuple<int, int, int, int>;

// Lines drawn with a pen of this colour and style, as (x1, y1, x2, y2).
inline std::vector<Segment> LinesOf(const RecordingCanvas& canvas, std::uint32_t color,
                                    Canvas::PenStyle style = Canvas::PenStyle::Solid) {
    std::vector<Segment> lines;
    for (const RecordingCanvas::Drawn& d : canvas.of(RecordingCanvas::Kind::Line))
        if (d.penColor == color && d.penStyle == style)
            lines.emplace_back(d.x1, d.y1, d.x2, d.y2);
    return lines;
}

// Non-empty texts whose cell starts at (x, y).
inline std::vector<std::string> TextsAt(const RecordingCanvas& canvas, int x, int y) {
    std::vector<std::string> texts;
    for (const RecordingCanvas::Drawn& d : canvas.of(RecordingCanvas::Kind::Text))
        if (d.x1 == x && d.y1 == y && !d.text.empty())
            texts.push_back(d.text);
    return texts;
}
