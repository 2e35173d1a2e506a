#pragma once

#include <QStringList>
#include <QWidget>

#include "shell/vcl_timer.h"
#include "ui_frame_record.h"

// The record page: the recorded waveforms with their scroll bar, and the sampling-rate
// lists the port search installs on the ribbon (Memo1 for the instrument's USB port,
// Memo2 for any other link).
class TFrame_Record : public QWidget {
    Q_OBJECT
public:
    explicit TFrame_Record(QWidget* parent);

    QStringList memoLines(const QPlainTextEdit* memo) const;
    void Timer_Updata_Record_DisplayTimer();

    Ui::TFrame_Record ui;
    VclTimer Timer1;
    VclTimer Timer_Updata_Record_Display;
};
