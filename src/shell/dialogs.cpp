#include "shell/dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include <utility>

namespace {

ScriptedDialogs* activeScript = nullptr;

void showMessage(QMessageBox::Icon icon, DialogKind kind, const QString& text) {
    if (activeScript != nullptr) {
        activeScript->record({kind, ApplicationTitle, text, {}});
        return;
    }
    QMessageBox box(icon, ApplicationTitle, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

QString scriptedFileName(DialogKind kind, const QString& filter, const QString& defaultName) {
    activeScript->record({kind, {}, filter, defaultName});
    return activeScript->takeFileName();
}

} // namespace

void showInformation(const QString& text) {
    showMessage(QMessageBox::Information, DialogKind::Information, text);
}

void showWarning(const QString& text) {
    showMessage(QMessageBox::Warning, DialogKind::Warning, text);
}

void showCritical(const QString& text) {
    showMessage(QMessageBox::Critical, DialogKind::Critical, text);
}

bool askYesNo(const QString& text, const QString& caption) {
    if (activeScript != nullptr) {
        activeScript->record({DialogKind::Question, caption, text, {}});
        return activeScript->takeAnswer();
    }
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    return box.exec() == QMessageBox::Yes;
}

QString chooseOpenFileName(const QString& filter) {
    if (activeScript != nullptr)
        return scriptedFileName(DialogKind::OpenFile, filter, {});
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), {}, {}, qtFileFilter(filter));
}

QString chooseSaveFileName(const QString& filter, const QString& defaultName) {
    if (activeScript != nullptr)
        return scriptedFileName(DialogKind::SaveFile, filter, defaultName);
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), {}, defaultName,
                                        qtFileFilter(filter));
}

QColor chooseColor(const QColor& initial, const QString& title) {
    if (activeScript != nullptr) {
        activeScript->record({DialogKind::Color, title, {}, {}});
        return activeScript->takeColor();
    }
    return QColorDialog::getColor(initial, QApplication::activeWindow(), title);
}

QString qtFileFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        entries.append(parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return entries.join(QStringLiteral(";;"));
}

ScriptedDialogs::ScriptedDialogs() : outer_(std::exchange(activeScript, this)) {}

ScriptedDialogs::~ScriptedDialogs() {
    activeScript = outer_;
}

void ScriptedDialogs::answerNextQuestion(bool yes) {
    answers_.push_back(yes);
}

void ScriptedDialogs::chooseNextFileName(const QString& path) {
    fileNames_.push_back(path);
}

void ScriptedDialogs::chooseNextColor(const QColor& color) {
    colors_.push_back(color);
}

void ScriptedDialogs::record(ShownDialog dialog) {
    shown_.push_back(std::move(dialog));
}

bool ScriptedDialogs::takeAnswer() {
    if (answers_.empty())
        return false;
    const bool yes = answers_.front();
    answers_.pop_front();
    return yes;
}

QString ScriptedDialogs::takeFileName() {
    if (fileNames_.empty())
        return {};
    QString path = std::move(fileNames_.front());
    fileNames_.pop_front();
    return path;
}

QColor ScriptedDialogs::takeColor() {
    if (colors_.empty())
        return {};
    const QColor color = colors_.front();
    colors_.pop_front();
    return color;
}
