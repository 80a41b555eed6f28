#include "ui/dialogservice.h"

#include "ui/foredit.h"
#include "ui/printpreview.h"
#include "ui/uitexts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

TDialogService* g_service = nullptr;

QMessageBox::StandardButton messageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text)
{
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
    QMessageBox box(QMessageBox::Question, uitexts::appTitle(), uitexts::saveChangesQuestion(),
                    QMessageBox::NoButton, parent);
    QPushButton* ja = box.addButton(uitexts::answerJa(), QMessageBox::YesRole);
    QPushButton* nein = box.addButton(uitexts::answerNein(), QMessageBox::NoRole);
    QPushButton* abbrechen = box.addButton(uitexts::answerAbbrechen(), QMessageBox::RejectRole);
    box.setDefaultButton(ja);
    box.setEscapeButton(abbrechen);
    box.exec();
    if (box.clickedButton() == ja)
        return SaveChoice::Ja;
    if (box.clickedButton() == nein)
        return SaveChoice::Nein;
    return SaveChoice::Abbrechen;
}

QString TQtDialogService::openFileName(QWidget* parent, const QString& filter)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name of a missing file goes through, so that the command says which file it cannot open.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(toQtNameFilters(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString TQtDialogService::saveFileName(QWidget* parent, const QString& filter,
                                       const QString& defaultExtension)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(toQtNameFilters(filter));
    dialog.setDefaultSuffix(defaultExtension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

bool TQtDialogService::printDialog(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

int TQtDialogService::countingLoopDialog(TForm3& form)
{
    return form.exec();
}

TSaveFileChoice TQtDialogService::saveFileChoice(QWidget* parent, const QString& filter,
                                                 const QString& defaultExtension)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = toQtNameFilters(filter);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(defaultExtension);
    // A name typed without an extension gets the chosen filter's.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& chosen) {
        const qsizetype dot = chosen.lastIndexOf(QLatin1String("*."));
        if (dot >= 0)
            dialog.setDefaultSuffix(chosen.mid(dot + 2).chopped(1));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const auto chosen = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
    return {dialog.selectedFiles().constFirst(), std::max(0, chosen)};
}

int TQtDialogService::printPreviewDialog(TPrintPreview& preview)
{
    return preview.exec();
}
