#pragma once

#include <QToolButton>

#include <cstdint>

// A button that shows a colour swatch beside its caption and lets the user pick another
// colour. Colours are held as 0x00BBGGRR values, the form they take in the settings file.
class ColorSelect : public QToolButton {
    Q_OBJECT
    Q_PROPERTY(int ColorValue READ ColorValue WRITE setColorValue NOTIFY OnChange)
public:
    explicit ColorSelect(QWidget* parent = nullptr);

    int ColorValue() const { return colorValue_; }
    void setColorValue(int value);

signals:
    // After the user picked a colour, or the value was set to a different one.
    void OnChange();

private:
    void pickColor();
    void showSwatch();

    int colorValue_ = 0;
};

// 0x00BBGGRR to a QColor and back.
QColor colorFromValue(std::uint32_t value);
std::uint32_t valueFromColor(const QColor& color);
