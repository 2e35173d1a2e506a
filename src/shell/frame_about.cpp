#include "shell/frame_about.h"

#include <QDesktopServices>
#include <QEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QUrl>

TFrame_About::TFrame_About(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
    ui.Image2->setPixmap(QIcon(QStringLiteral(":/icons/app.svg")).pixmap(QSize(111, 111)));
    ui.sLabel2->installEventFilter(this);
}

void TFrame_About::sLabel2Click() {
    QDesktopServices::openUrl(QUrl(ui.sLabel2->text()));
}

bool TFrame_About::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui.sLabel2 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        sLabel2Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
