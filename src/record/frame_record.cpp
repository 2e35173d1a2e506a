#include "record/frame_record.h"

TFrame_Record::TFrame_Record(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
    Timer1.SetEnabled(false);
    Timer1.SetInterval(50);
    Timer_Updata_Record_Display.SetEnabled(false);
    Timer_Updata_Record_Display.SetInterval(10);
    Timer_Updata_Record_Display.SetOnTimer([this] { Timer_Updata_Record_DisplayTimer(); });
}

QStringList TFrame_Record::memoLines(const QPlainTextEdit* memo) const {
    return memo->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TFrame_Record::Timer_Updata_Record_DisplayTimer() {
    Timer_Updata_Record_Display.SetEnabled(false);
    ui.recordArea->update();
}
