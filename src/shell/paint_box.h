#pragma once

#include <QWidget>

#include <functional>

class QPainter;

// A plain drawing surface: its OnPaint handler draws whatever the surface should show,
// and mouse presses go to OnMouseDown.
class PaintBox : public QWidget {
    Q_OBJECT
public:
    explicit PaintBox(QWidget* parent = nullptr);

    std::function<void(QPainter&)> OnPaint;
    std::function<void(Qt::MouseButton, int x, int y)> OnMouseDown;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};
