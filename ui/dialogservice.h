#pragma once

#include <QString>

#include <optional>

class QPrinter;
class QWidget;
class TForm3;

// The answers to "Änderungen speichern?".
enum class SaveChoice { Ja, Nein, Abbrechen };

// TDialogService: every modal exchange of the editor with the user goes through this one interface, so
// that tests can answer from a script instead of running dialogs. Filters are given as
// "description|pattern|description|pattern"; file names come back empty when the dialog is cancelled.
class TDialogService
{
public:
    virtual ~TDialogService() = default;

    // A text input box; nothing when cancelled. The caller limits the text's length (inputLimit).
    virtual std::optional<QString> InputBox(QWidget* parent, const QString& caption, const QString& prompt,
                                            const QString& text) = 0;
    virtual void ErrorMessage(QWidget* parent, const QString& text) = 0;
    virtual void InformationMessage(QWidget* parent, const QString& text) = 0;
    // "Änderungen speichern?" with Ja, Nein and Abbrechen.
    virtual SaveChoice AskSaveChanges(QWidget* parent) = 0;
    virtual QString OpenFileName(QWidget* parent, const QString& filter) = 0;
    // `defaultExtension` (without the dot) is added to a name typed without an extension.
    virtual QString SaveFileName(QWidget* parent, const QString& filter,
                                 const QString& defaultExtension) = 0;
    // Lets the user set up `printer`; false when cancelled.
    virtual bool PrintDialog(QWidget* parent, QPrinter& printer) = 0;
    // Shows the counting-loop dialog modally (its fields already filled) and returns its result code.
    virtual int CountingLoopDialog(TForm3& form) = 0;
};

// The longest text the input box takes: 255 characters, or the preset's length when an existing text
// (from a file or the clipboard) is longer, so that confirming it unchanged never cuts it.
int inputLimit(const QString& preset);

// The service in use: the Qt dialogs unless a test has installed another one.
TDialogService& dialogService();
// Installs `service` (not owned); null goes back to the Qt dialogs.
void setDialogService(TDialogService* service);

// The Qt dialogs.
class TQtDialogService : public TDialogService
{
public:
    std::optional<QString> InputBox(QWidget* parent, const QString& caption, const QString& prompt,
                                    const QString& text) override;
    void ErrorMessage(QWidget* parent, const QString& text) override;
    void InformationMessage(QWidget* parent, const QString& text) override;
    SaveChoice AskSaveChanges(QWidget* parent) override;
    QString OpenFileName(QWidget* parent, const QString& filter) override;
    QString SaveFileName(QWidget* parent, const QString& filter, const QString& defaultExtension) override;
    bool PrintDialog(QWidget* parent, QPrinter& printer) override;
    int CountingLoopDialog(TForm3& form) override;
};

// "Struktogramme (*.str)|*.str|Alle Dateien|*.*" as Qt's name filters.
QStringList toQtNameFilters(const QString& filter);
