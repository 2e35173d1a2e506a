#pragma once

#include <QWidget>

#include "ui_frame_instrument_options.h"

// The instrument settings page of the Options tab.
class TFrame_Instrument_Options : public QWidget {
    Q_OBJECT
public:
    explicit TFrame_Instrument_Options(QWidget* parent) : QWidget(parent) { ui.setupUi(this); }

    Ui::TFrame_Instrument_Options ui;
};
