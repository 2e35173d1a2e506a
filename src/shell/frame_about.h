#pragma once

#include <QWidget>

#include "ui_frame_about.h"

// Version, publication date and where the software comes from.
class TFrame_About : public QWidget {
    Q_OBJECT
public:
    explicit TFrame_About(QWidget* parent);

    void sLabel2Click();

    Ui::TFrame_About ui;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
