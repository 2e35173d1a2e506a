#pragma once

#include <QWidget>

#include "ui_frame_test.h"

class TForm1;

// The measurement page: waveforms top left, parameter table top right, harmonic spectrum
// below. Each paint box shows the image the last redraw left in its canvas.
class TFrame_Test : public QWidget {
    Q_OBJECT
public:
    TFrame_Test(TForm1& form, QWidget* parent);

    void PaintBox2MouseDown(Qt::MouseButton Button, int X, int Y);

    Ui::TFrame_Test ui;

private:
    TForm1& form_;
};
