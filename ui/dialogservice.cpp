#include "ui/dialogservice.h"

#include "ui/foredit.h"
#include "ui/printpreview.h"
#include "ui/settings.h"
#include "ui/uitexts.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

TDialogService* g_service = nullptr;

// While it lives, keys that were typed for the window under a question box never answer the question:
// key events that reach the box before it has been shown for a moment are swallowed, and so is every key
// of a run of typing that began before then, until the typing pauses for that moment.
class TTypeAheadGuard : public QObject
{
public:
    static constexpr int kQuietMs = 500;

    explicit TTypeAheadGuard(QWidget& box) : m_box(box)
    {
        QApplication::instance()->installEventFilter(this);
    }
    ~TTypeAheadGuard() override { QApplication::instance()->removeEventFilter(this); }
    TTypeAheadGuard(const TTypeAheadGuard&) = delete;
    TTypeAheadGuard& operator=(const TTypeAheadGuard&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &m_box && event->type() == QEvent::Show && !m_shown.isValid())
            m_shown.start();
        const QEvent::Type type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
            return false;
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != &m_box)
            return false;
        if (type == QEvent::KeyRelease)
            return m_swallowing;
        // A key is first offered as a shortcut override, then pressed: both are decided alike. An override
        // taken here keeps the key from the buttons' mnemonics.
        const bool early = !m_shown.isValid() || m_shown.elapsed() < kQuietMs;
        const bool typingOn = m_lastSwallowed.isValid() && m_lastSwallowed.elapsed() < kQuietMs;
        m_swallowing = early || typingOn;
        if (!m_swallowing)
            return false;
        m_lastSwallowed.start();
        event->accept();
        return true;
    }

private:
    QWidget& m_box;
    QElapsedTimer m_shown;
    QElapsedTimer m_lastSwallowed;
    bool m_swallowing = true;
};

// While it lives, a dialog may run; at its end the keyboard goes back to the window and the widget that
// had it before. A window manager does not always give it back by itself, after a dialog over a dialog
// (the question before a file is replaced) least of all.
class TFocusReturn
{
public:
    TFocusReturn() : m_window(QApplication::activeWindow()), m_focus(QApplication::focusWidget()) {}
    ~TFocusReturn()
    {
        if (!m_window || !m_window->isVisible())
            return;
        m_window->activateWindow();
        if (m_focus && m_focus->window() == m_window)
            m_focus->setFocus(Qt::ActiveWindowFocusReason);
    }
    TFocusReturn(const TFocusReturn&) = delete;
    TFocusReturn& operator=(const TFocusReturn&) = delete;

private:
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_focus;
};

QMessageBox::StandardButton messageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text)
{
    const TFocusReturn focus;
    QMessageBox box(icon, uitexts::appTitle(), text, QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(uitexts::answerOk());
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

int inputLimit(const QString& preset)
{
    return std::max<int>(255, static_cast<int>(preset.size()));
}

TDialogService& dialogService()
{
    static TQtDialogService qtDialogs;
    return g_service ? *g_service : qtDialogs;
}

void setDialogService(TDialogService* service)
{
    g_service = service;
}

QStringList toQtNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1];
        // "*.*" means every file; for Qt that is "*" (a name without a dot has no match for "*.*").
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
        const QString& description = parts[i];
        if (description.contains(QLatin1Char('(')))
            result << description.left(description.indexOf(QLatin1Char('('))) + QLatin1Char('(') + pattern +
                          QLatin1Char(')');
        else
            result << description + QLatin1String(" (") + pattern + QLatin1Char(')');
    }
    return result;
}

std::optional<QString> TQtDialogService::inputBox(QWidget* parent, const QString& caption,
                                                  const QString& prompt, const QString& text)
{
    const TFocusReturn focus;
    QDialog dialog(parent);
    dialog.setWindowTitle(caption);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(prompt, &dialog);
    auto* edit = new QLineEdit(&dialog);
    edit->setMaxLength(inputLimit(text));
    edit->setText(text);
    edit->selectAll();
    edit->setMinimumWidth(320);
    label->setBuddy(edit);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(uitexts::answerOk(), QDialogButtonBox::AcceptRole);
    buttons->addButton(uitexts::answerAbbrechen(), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return edit->text();
}

void TQtDialogService::errorMessage(QWidget* parent, const QString& text)
{
    messageBox(parent, QMessageBox::Critical, text);
}

void TQtDialogService::informationMessage(QWidget* parent, const QString& text)
{
    messageBox(parent, QMessageBox::Information, text);
}

SaveChoice TQtDialogService::askSaveChanges(QWidget* parent)
{
    const TFocusReturn focus;
    QMessageBox box(QMessageBox::Question, uitexts::appTitle(), uitexts::saveChangesQuestion(),
                    QMessageBox::NoButton, parent);
    QPushButton* ja = box.addButton(uitexts::answerJa(), QMessageBox::YesRole);
    QPushButton* nein = box.addButton(uitexts::answerNein(), QMessageBox::NoRole);
    QPushButton* abbrechen = box.addButton(uitexts::answerAbbrechenQuestion(), QMessageBox::RejectRole);
    box.setDefaultButton(ja);
    box.setEscapeButton(abbrechen);
    const TTypeAheadGuard typeAhead(box);
    box.exec();
    if (box.clickedButton() == ja)
        return SaveChoice::Ja;
    if (box.clickedButton() == nein)
        return SaveChoice::Nein;
    return SaveChoice::Abbrechen;
}

namespace {

// The kind of files a filter is for, by its first extension ("str" for "Struktogramme (*.str)|*.str|…"):
// each kind of file dialog starts in the folder it last went to.
QString fileKind(const QString& filter)
{
    const qsizetype star = filter.indexOf(QLatin1String("*."));
    if (star < 0)
        return {};
    qsizetype end = star + 2;
    while (end < filter.size() && filter.at(end).isLetterOrNumber())
        ++end;
    return filter.mid(star + 2, end - star - 2);
}

// Starts the dialog in the folder files of `kind` came from last, when there is one.
void startInLastFolder(QFileDialog& dialog, const QString& kind)
{
    const QString folder = appsettings::lastFolder(kind);
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
}

QString chosenFile(const QFileDialog& dialog, const QString& kind)
{
    const QString file = dialog.selectedFiles().constFirst();
    appsettings::setLastFolder(kind, QFileInfo(file).absolutePath());
    return file;
}

} // namespace

QString TQtDialogService::openFileName(QWidget* parent, const QString& filter)
{
    const TFocusReturn focus;
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name of a missing file goes through, so that the command says which file it cannot open.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(toQtNameFilters(filter));
    startInLastFolder(dialog, fileKind(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return chosenFile(dialog, fileKind(filter));
}

QString TQtDialogService::saveFileName(QWidget* parent, const QString& filter,
                                       const QString& defaultExtension, const QString& proposed)
{
    const TFocusReturn focus;
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(toQtNameFilters(filter));
    dialog.setDefaultSuffix(defaultExtension);
    if (!proposed.isEmpty()) {
        const QFileInfo file(proposed);
        dialog.setDirectory(file.absolutePath());
        dialog.selectFile(file.fileName());
    } else {
        startInLastFolder(dialog, defaultExtension);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return chosenFile(dialog, defaultExtension);
}

bool TQtDialogService::printDialog(QWidget* parent, QPrinter& printer)
{
    const TFocusReturn focus;
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

int TQtDialogService::countingLoopDialog(TForm3& form)
{
    const TFocusReturn focus;
    return form.exec();
}

TSaveFileChoice TQtDialogService::saveFileChoice(QWidget* parent, const QString& filter,
                                                 const QString& defaultExtension)
{
    const TFocusReturn focus;
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = toQtNameFilters(filter);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(defaultExtension);
    // A name typed without an extension gets the chosen filter's.
    startInLastFolder(dialog, fileKind(filter));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& chosen) {
        const qsizetype dot = chosen.lastIndexOf(QLatin1String("*."));
        if (dot >= 0)
            dialog.setDefaultSuffix(chosen.mid(dot + 2).chopped(1));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const auto chosen = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
    return {chosenFile(dialog, fileKind(filter)), std::max(0, chosen)};
}

int TQtDialogService::printPreviewDialog(TPrintPreview& preview)
{
    const TFocusReturn focus;
    return preview.exec();
}
