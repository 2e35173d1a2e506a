#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The drawing surface of the views, with the verbs they were written for: a pen (colour,
// width, solid or dotted), a brush (colour, solid or clear), a font (size in points against
// the surface's pixels per inch, bold, italic, colour) and a current position. Colours are
// 0x00BBGGRR. The same views draw on a screen image and on a printer page through it, and
// tests draw on one that records the verbs.
class Canvas {
public:
    enum class PenStyle { Solid, Dot };
    enum class BrushStyle { Solid, Clear };

    virtual ~Canvas() = default;

    void SetPenColor(std::uint32_t color) { penColor_ = color; }
    void SetPenWidth(int width) { penWidth_ = width < 1 ? 1 : width; }
    void SetPenStyle(PenStyle style) { penStyle_ = style; }
    std::uint32_t PenColor() const { return penColor_; }
    int PenWidth() const { return penWidth_; }
    PenStyle GetPenStyle() const { return penStyle_; }

    void SetBrushColor(std::uint32_t color) { brushColor_ = color; }
    void SetBrushStyle(BrushStyle style) { brushStyle_ = style; }
    std::uint32_t BrushColor() const { return brushColor_; }
    BrushStyle GetBrushStyle() const { return brushStyle_; }

    void SetFontSize(int points) { fontSize_ = points; }
    void SetFontBold(bool bold) { fontBold_ = bold; }
    void SetFontItalic(bool italic) { fontItalic_ = italic; }
    void SetFontColor(std::uint32_t color) { fontColor_ = color; }
    // The decimal separator of numbers drawn here: the user's on screen and paper.
    void SetDecimalSeparator(char separator) { decimalSeparator_ = separator; }
    char DecimalSeparator() const { return decimalSeparator_; }
    int FontSize() const { return fontSize_; }
    bool FontBold() const { return fontBold_; }
    bool FontItalic() const { return fontItalic_; }
    std::uint32_t FontColor() const { return fontColor_; }

    void MoveTo(int x, int y);
    // A line from the current position to (x, y), without its last pixel; (x, y) becomes
    // the current position.
    void LineTo(int x, int y);
    // Outline with the pen and inside with the brush (unless clear); right and bottom are
    // outside the rectangle.
    void Rectangle(int left, int top, int right, int bottom);
    // The brush colour over the rectangle, right and bottom outside it.
    void FillRect(int left, int top, int right, int bottom);
    // The text's cell has its top-left at (x, y) and is filled with the brush colour unless
    // the brush is clear.
    void TextOut(int x, int y, std::string_view text);
    // The text drawn turned `angle` degrees counter-clockwise about (x, y), the top-left of
    // its cell before turning.
    void AngleTextOut(std::string_view text, int x, int y, int angle);
    // A value with its unit, formatted by PrintTextString with this canvas's separator.
    void PrintText(int x, int y, float Data, std::string_view UnitStr, int StrLength, float aRate,
                   float bRate);

    // Pixel size of a text in the current font.
    int TextHeight(std::string_view text) const { return textExtent(text).height; }
    int TextWidth(std::string_view text) const { return textExtent(text).width; }
    // The height of the current font in pixels: its point size against the surface's
    // pixels per inch, rounded.
    int FontPixelHeight() const;

    virtual int PixelsPerInch() const = 0;

protected:
    struct Extent {
        int width = 0;
        int height = 0;
    };

    // What a surface has to do; state comes from the accessors above.
    virtual void drawLine(int x1, int y1, int x2, int y2) = 0;
    virtual void drawRectangle(int left, int top, int right, int bottom) = 0;
    virtual void fillRectangle(int left, int top, int right, int bottom) = 0;
    virtual void drawText(int x, int y, std::string_view text, int angle) = 0;
    virtual Extent textExtent(std::string_view text) const = 0;

private:
    std::uint32_t penColor_ = 0;
    int penWidth_ = 1;
    PenStyle penStyle_ = PenStyle::Solid;
    std::uint32_t brushColor_ = 0xFFFFFF;
    BrushStyle brushStyle_ = BrushStyle::Solid;
    int fontSize_ = 8;
    bool fontBold_ = false;
    bool fontItalic_ = false;
    std::uint32_t fontColor_ = 0;
    char decimalSeparator_ = '.';
    int x_ = 0;
    int y_ = 0;
};
