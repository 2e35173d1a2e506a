#include "shell/color_select.h"

#include <QPainter>
#include <QPixmap>

#include "shell/dialogs.h"

ColorSelect::ColorSelect(QWidget* parent) : QToolButton(parent) {
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setIconSize(QSize(28, 16));
    connect(this, &QToolButton::clicked, this, &ColorSelect::pickColor);
    showSwatch();
}

void ColorSelect::setColorValue(int value) {
    if (value == colorValue_)
        return;
    colorValue_ = value;
    showSwatch();
    emit OnChange();
}

void ColorSelect::pickColor() {
    const QColor chosen = chooseColor(colorFromValue(std::uint32_t(colorValue_)), text().trimmed());
    if (chosen.isValid())
        setColorValue(int(valueFromColor(chosen)));
}

void ColorSelect::showSwatch() {
    QPixmap swatch(iconSize());
    swatch.fill(colorFromValue(std::uint32_t(colorValue_)));
    QPainter frame(&swatch);
    frame.setPen(palette().color(QPalette::WindowText));
    frame.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    setIcon(QIcon(swatch));
}

QColor colorFromValue(std::uint32_t value) {
    return QColor(int(value & 0xFF), int(value >> 8 & 0xFF), int(value >> 16 & 0xFF));
}

std::uint32_t valueFromColor(const QColor& color) {
    return std::uint32_t(color.red()) | std::uint32_t(color.green()) << 8 |
           std::uint32_t(color.blue()) << 16;
}
