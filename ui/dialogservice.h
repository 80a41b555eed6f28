#pragma once

#include <QString>

#include <optional>

class QPrinter;
class QWidget;
class TForm3;
class TPrintPreview;

// The answers to "Änderungen speichern?".
enum class SaveChoice { Ja, Nein, Abbrechen };

// What a save dialog whose filters also choose how to write gives back: the file name (empty when
// cancelled) and the number of the filter chosen (0 for the first).
struct TSaveFileChoice
{
    QString fileName;
    int filter = 0;
};

// TDialogService: every modal exchange of the editor with the user goes through this one interface, so
// that tests can answer from a script instead of running dialogs. Filters are given as
// "description|pattern|description|pattern"; file names come back empty when the dialog is cancelled.
class TDialogService
{
public:
    virtual ~TDialogService() = default;

    // A text input box; nothing when cancelled. The caller limits the text's length (inputLimit).
    virtual std::optional<QString> inputBox(QWidget* parent, const QString& caption, const QString& prompt,
                                            const QString& text) = 0;
    virtual void errorMessage(QWidget* parent, const QString& text) = 0;
    virtual void informationMessage(QWidget* parent, const QString& text) = 0;
    // "Änderungen speichern?" with Ja, Nein and Abbrechen.
    virtual SaveChoice askSaveChanges(QWidget* parent) = 0;
    virtual QString openFileName(QWidget* parent, const QString& filter) = 0;
    // `defaultExtension` (without the dot) is added to a name typed without an extension. The dialog opens
    // in the folder of `proposed` (a path; may be empty) with its name filled in.
    virtual QString saveFileName(QWidget* parent, const QString& filter, const QString& defaultExtension,
                                 const QString& proposed) = 0;
    // Lets the user set up `printer`; false when cancelled.
    virtual bool printDialog(QWidget* parent, QPrinter& printer) = 0;
    // Shows the counting-loop dialog modally (its fields already filled) and returns its result code.
    virtual int countingLoopDialog(TForm3& form) = 0;
    // A save dialog as saveFileName, which also tells which filter was chosen; the default extension
    // follows the filter.
    virtual TSaveFileChoice saveFileChoice(QWidget* parent, const QString& filter,
                                           const QString& defaultExtension) = 0;
    // Shows the print preview modally and returns its result code.
    virtual int printPreviewDialog(TPrintPreview& preview) = 0;
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
};

// "Struktogramme (*.str)|*.str|Alle Dateien|*.*" as Qt's name filters.
QStringList toQtNameFilters(const QString& filter);
