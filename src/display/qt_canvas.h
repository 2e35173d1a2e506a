#pragma once

#include <QFont>
#include <QPainter>

#include "display/canvas.h"

class QPaintDevice;

// A canvas on a screen image or a printer page. Text uses the application's default face.
class QtCanvas final : public Canvas {
public:
    explicit QtCanvas(QPaintDevice& device);

    int PixelsPerInch() const override;

protected:
    void drawLine(int x1, int y1, int x2, int y2) override;
    void drawRectangle(int left, int top, int right, int bottom) override;
    void fillRectangle(int left, int top, int right, int bottom) override;
    void drawText(int x, int y, std::string_view text, int angle) override;
    Extent textExtent(std::string_view text) const override;

private:
    QFont currentFont() const;
    void usePen();

    QPaintDevice& device_;
    QPainter painter_;
};
