#pragma once

#include <string>
#include <vector>

#include "display/canvas.h"

// A canvas that draws nothing and keeps every verb with the state it was drawn in, so a
// test can look for a text, a line or a filled box and where it went. Text is measured as
// if every character were half as wide as the font is high.
class RecordingCanvas final : public Canvas {
public:
    enum class Kind { Line, Rectangle, Fill, Text };

    struct Drawn {
        Kind kind;
        int x1 = 0, y1 = 0, x2 = 0, y2 = 0; // a line's ends, a box's corners, a text's place
        std::string text;
        int angle = 0;
        std::uint32_t penColor = 0;
        int penWidth = 1;
        PenStyle penStyle = PenStyle::Solid;
        std::uint32_t brushColor = 0;
        BrushStyle brushStyle = BrushStyle::Solid;
        int fontSize = 0;
        bool fontBold = false;
        std::uint32_t fontColor = 0;
    };

    explicit RecordingCanvas(int pixelsPerInch = 96) : pixelsPerInch_(pixelsPerInch) {}

    int PixelsPerInch() const override { return pixelsPerInch_; }

    const std::vector<Drawn>& drawn() const { return drawn_; }
    // Texts drawn with exactly this content.
    std::vector<Drawn> texts(const std::string& text) const {
        std::vector<Drawn> found;
        for (const Drawn& d : drawn_)
            if (d.kind == Kind::Text && d.text == text)
                found.push_back(d);
        return found;
    }
    std::vector<Drawn> of(Kind kind) const {
        std::vector<Drawn> found;
        for (const Drawn& d : drawn_)
            if (d.kind == kind)
                found.push_back(d);
        return found;
    }

protected:
    void drawLine(int x1, int y1, int x2, int y2) override { record(Kind::Line, x1, y1, x2, y2); }
    void drawRectangle(int left, int top, int right, int bottom) override {
        record(Kind::Rectangle, left, top, right, bottom);
    }
    void fillRectangle(int left, int top, int right, int bottom) override {
        record(Kind::Fill, left, top, right, bottom);
    }
    void drawText(int x, int y, std::string_view text, int angle) override {
        Drawn& d = record(Kind::Text, x, y, x, y);
        d.text = text;
        d.angle = angle;
    }
    Extent textExtent(std::string_view text) const override {
        const int height = FontPixelHeight();
        return {int(text.size()) * height / 2, height};
    }

private:
    Drawn& record(Kind kind, int x1, int y1, int x2, int y2) {
        drawn_.push_back({kind, x1, y1, x2, y2, {}, 0, PenColor(), PenWidth(), GetPenStyle(),
                          BrushColor(), GetBrushStyle(), FontSize(), FontBold(), FontColor()});
        return drawn_.back();
    }

    int pixelsPerInch_;
    std::vector<Drawn> drawn_;
};
