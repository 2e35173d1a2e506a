#pragma once

#include <QColor>
#include <QString>

#include <deque>
#include <vector>

// Every message box and file dialog of the console goes through these functions. Message
// boxes are modal to the active window and carry ApplicationTitle unless a caption is given.
// While a ScriptedDialogs object exists nothing is shown: the functions record what they
// would have shown and answer from the script, so no test ever waits on a modal window.

inline const QString ApplicationTitle = QStringLiteral("KTR3310  Plus");

void showInformation(const QString& text);
void showWarning(const QString& text);
void showCritical(const QString& text);

// A Yes/No question with the question icon; true for Yes.
bool askYesNo(const QString& text, const QString& caption);

// `filter` lists description|pattern pairs joined by '|', as "CSV File(.csv)|*.csv".
// Both return the chosen path, or an empty text when the dialog is cancelled.
QString chooseOpenFileName(const QString& filter);
QString chooseSaveFileName(const QString& filter, const QString& defaultName);

// The colour dialog starting at `initial`; an invalid colour when it is cancelled.
QColor chooseColor(const QColor& initial, const QString& title);

// The file-dialog filter of Qt ("CSV File(.csv) (*.csv)", entries joined by ";;") for a
// filter of description|pattern pairs.
QString qtFileFilter(const QString& filter);

enum class DialogKind { Information, Warning, Critical, Question, OpenFile, SaveFile, Color };

struct ShownDialog {
    DialogKind kind;
    QString title;    // message boxes; empty for file dialogs
    QString text;     // message boxes: the text; file dialogs: the filter
    QString fileName; // save dialogs: the default name

    bool operator==(const ShownDialog&) const = default;
};

class ScriptedDialogs {
public:
    ScriptedDialogs();
    ~ScriptedDialogs();
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    // Answers for the coming questions, in order; a question without one is answered No.
    void answerNextQuestion(bool yes);
    // Paths for the coming file dialogs, in order; a dialog without one is cancelled.
    void chooseNextFileName(const QString& path);
    // Colours for the coming colour dialogs, in order; a dialog without one is cancelled.
    void chooseNextColor(const QColor& color);

    const std::vector<ShownDialog>& shown() const { return shown_; }

    // Used by the dialog functions while this script is active.
    void record(ShownDialog dialog);
    bool takeAnswer();
    QString takeFileName();
    QColor takeColor();

private:
    ScriptedDialogs* outer_;
    std::deque<bool> answers_;
    std::deque<QString> fileNames_;
    std::deque<QColor> colors_;
    std::vector<ShownDialog> shown_;
};
