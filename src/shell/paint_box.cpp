#include "shell/paint_box.h"

#include <QMouseEvent>
#include <QPainter>

PaintBox::PaintBox(QWidget* parent) : QWidget(parent) {
    // Every pixel is painted from an image; nothing behind needs to be drawn first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PaintBox::paintEvent(QPaintEvent*) {
    if (!OnPaint)
        return;
    QPainter painter(this);
    painter.setClipRect(rect());
    OnPaint(painter);
}

void PaintBox::mousePressEvent(QMouseEvent* event) {
    if (OnMouseDown)
        OnMouseDown(event->button(), int(event->position().x()), int(event->position().y()));
}
