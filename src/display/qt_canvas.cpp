#include "display/qt_canvas.h"

#include <QFontMetrics>
#include <QLocale>
#include <QPaintDevice>

namespace {

QColor colorOf(std::uint32_t value) {
    return QColor(int(value & 0xFF), int(value >> 8 & 0xFF), int(value >> 16 & 0xFF));
}

QString textOf(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

QtCanvas::QtCanvas(QPaintDevice& device) : device_(device), painter_(&device) {
    const QString separator = QLocale::system().decimalPoint();
    SetDecimalSeparator(separator.size() == 1 ? separator[0].toLatin1() : '.');
}

int QtCanvas::PixelsPerInch() const {
    return device_.logicalDpiY();
}

QFont QtCanvas::currentFont() const {
    QFont font;
    font.setPixelSize(std::max(1, FontPixelHeight()));
    font.setBold(FontBold());
    font.setItalic(FontItalic());
    return font;
}

void QtCanvas::usePen() {
    QPen pen(colorOf(PenColor()), PenWidth(),
             GetPenStyle() == PenStyle::Dot ? Qt::DotLine : Qt::SolidLine);
    pen.setCapStyle(Qt::FlatCap);
    painter_.setPen(pen);
}

void QtCanvas::drawLine(int x1, int y1, int x2, int y2) {
    usePen();
    painter_.drawLine(x1, y1, x2, y2);
}

void QtCanvas::drawRectangle(int left, int top, int right, int bottom) {
    usePen();
    painter_.setBrush(GetBrushStyle() == BrushStyle::Clear ? QBrush(Qt::NoBrush)
                                                           : QBrush(colorOf(BrushColor())));
    painter_.drawRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
}

void QtCanvas::fillRectangle(int left, int top, int right, int bottom) {
    painter_.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)),
                      colorOf(BrushColor()));
}

void QtCanvas::drawText(int x, int y, std::string_view text, int angle) {
    const QFont font = currentFont();
    const QString shown = textOf(text);
    const QFontMetrics metrics(font, &device_);
    painter_.save();
    painter_.translate(x, y);
    painter_.rotate(-angle);
    if (GetBrushStyle() == BrushStyle::Solid)
        painter_.fillRect(QRect(0, 0, metrics.horizontalAdvance(shown), metrics.height()),
                          colorOf(BrushColor()));
    painter_.setFont(font);
    painter_.setPen(colorOf(FontColor()));
    painter_.drawText(0, metrics.ascent(), shown);
    painter_.restore();
}

Canvas::Extent QtCanvas::textExtent(std::string_view text) const {
    const QFontMetrics metrics(currentFont(), &device_);
    return {metrics.horizontalAdvance(textOf(text)), metrics.height()};
}
