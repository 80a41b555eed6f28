#pragma once

// A dialog service for the tests: answers every modal exchange from a queue of scripted answers, logs
// what was asked, and fails the test on a dialog that was not expected. It never runs an event loop.

#include "model/printlayout.h"
#include "ui/dialogservice.h"

#include <QString>

#include <array>
#include <deque>
#include <optional>
#include <vector>

enum class DialogKind { Input, Error, Information, AskSave, Open, Save, Print, CountingLoop, PrintPreview };

const char* dialogKindName(DialogKind kind);

// One dialog as it was asked for.
struct DialogCall
{
    DialogKind kind = DialogKind::Input;
    QString caption; // input box
    QString prompt;  // input box
    QString text;    // input box preset, message text, the file name a save dialog proposes
    QString filter;  // file dialogs
    QString defaultExtension;
    int pages = 0;                     // print preview: the pages it showed after the scripted choice
    std::array<QString, 3> loopFields; // the counting-loop dialog's fields as it was opened
};

// How the counting-loop dialog is left.
enum class LoopButton { Ok, Abbrechen, CloseBox };

class ScriptedDialogs : public TDialogService
{
public:
    // Installs itself as the dialog service; the destructor goes back to the Qt dialogs and fails the
    // test if scripted answers were left over.
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    void answerInput(const QString& text);
    void cancelInput();
    void acknowledgeError();
    void acknowledgeInformation();
    void answerSaveChanges(SaveChoice choice);
    // An empty name cancels the file dialog.
    void answerOpen(const QString& fileName);
    // `filter`: the number of the filter chosen, where the dialog tells it.
    void answerSave(const QString& fileName, int filter = 0);
    // Prints to the PDF file `fileName`; an empty name cancels the print dialog.
    void answerPrint(const QString& fileName);
    // Types `fields` (when given) into the counting-loop dialog, then leaves it by `button`.
    void answerCountingLoop(LoopButton button, std::optional<std::array<QString, 3>> fields = std::nullopt);
    // Chooses `mode` and the orientation in the print preview, then clicks "Drucken …" or "Schließen". Its
    // call's text is the preview's note after the choice.
    void answerPrintPreview(TPageMode mode, bool print, bool landscape = false);

    // From now on a dialog without a scripted answer is answered as a user who agrees to everything: an
    // input box with its preset text, messages acknowledged, unsaved changes discarded, the open dialog
    // with `openName`, save dialogs with `saveName` and their default extension, printing into the PDF file
    // `printName`, the counting-loop dialog with OK, the print preview closed.
    void answerEveryDialog(const QString& openName, const QString& saveName, const QString& printName);

    const std::vector<DialogCall>& calls() const { return m_calls; }
    int callCount(DialogKind kind) const;
    const DialogCall* lastCall(DialogKind kind) const;
    int pendingAnswers() const { return static_cast<int>(m_answers.size()); }
    void clearLog() { m_calls.clear(); }

    std::optional<QString> inputBox(QWidget* parent, const QString& caption, const QString& prompt,
                                    const QString& text) override;
    void errorMessage(QWidget* parent, const QString& text) override;
    void informationMessage(QWidget* parent, const QString& text) override;
    SaveChoice askSaveChanges(QWidget* parent) override;
    QString openFileName(QWidget* parent, const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& filter, const QString& defaultExtension,
                         const QString& proposed) override;
    bool printDialog(QWidget* parent, QPrinter& printer) override;
    int countingLoopDialog(TForm3& form) override;
    TSaveFileChoice saveFileChoice(QWidget* parent, const QString& filter,
                                   const QString& defaultExtension) override;
    int printPreviewDialog(TPrintPreview& preview) override;

private:
    struct Answer
    {
        DialogKind kind = DialogKind::Input;
        bool accept = true;
        QString text;
        SaveChoice choice = SaveChoice::Abbrechen;
        LoopButton button = LoopButton::Ok;
        std::optional<std::array<QString, 3>> fields;
        int filter = 0;
        TPageMode pageMode = TPageMode::ShrinkToFit;
        bool landscape = false;
    };

    Answer& push(DialogKind kind, bool accept, const QString& text = {});
    // The next answer, which must be of `kind`; null (and a test failure) otherwise.
    const Answer* next(DialogKind kind, const DialogCall& call);

    std::deque<Answer> m_answers;
    Answer m_current;
    bool m_answerEvery = false;
    QString m_openName, m_saveName, m_printName;
    std::vector<DialogCall> m_calls;
};
