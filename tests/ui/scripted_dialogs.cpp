#include "tests/ui/scripted_dialogs.h"

#include "ui/foredit.h"
#include "ui/printpreview.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

const char* dialogKindName(DialogKind kind)
{
    switch (kind) {
    case DialogKind::Input:
        return "input box";
    case DialogKind::Error:
        return "error message";
    case DialogKind::Information:
        return "information message";
    case DialogKind::AskSave:
        return "save-changes question";
    case DialogKind::Open:
        return "open dialog";
    case DialogKind::Save:
        return "save dialog";
    case DialogKind::Print:
        return "print dialog";
    case DialogKind::CountingLoop:
        return "counting-loop dialog";
    case DialogKind::PrintPreview:
        return "print preview";
    }
    return "?";
}

ScriptedDialogs::Answer& ScriptedDialogs::push(DialogKind kind, bool accept, const QString& text)
{
    Answer answer;
    answer.kind = kind;
    answer.accept = accept;
    answer.text = text;
    m_answers.push_back(answer);
    return m_answers.back();
}

namespace {

DialogCall callOf(DialogKind kind, const QString& text = {})
{
    DialogCall call;
    call.kind = kind;
    call.text = text;
    return call;
}

} // namespace

ScriptedDialogs::ScriptedDialogs()
{
    setDialogService(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    setDialogService(nullptr);
    for (const Answer& answer : m_answers)
        ADD_FAILURE() << "scripted answer for a " << dialogKindName(answer.kind) << " was never asked for";
}

void ScriptedDialogs::answerInput(const QString& text)
{
    push(DialogKind::Input, true, text);
}

void ScriptedDialogs::cancelInput()
{
    push(DialogKind::Input, false);
}

void ScriptedDialogs::acknowledgeError()
{
    push(DialogKind::Error, true);
}

void ScriptedDialogs::acknowledgeInformation()
{
    push(DialogKind::Information, true);
}

void ScriptedDialogs::answerSaveChanges(SaveChoice choice)
{
    push(DialogKind::AskSave, true).choice = choice;
}

void ScriptedDialogs::answerOpen(const QString& fileName)
{
    push(DialogKind::Open, !fileName.isEmpty(), fileName);
}

void ScriptedDialogs::answerSave(const QString& fileName, int filter)
{
    push(DialogKind::Save, !fileName.isEmpty(), fileName).filter = filter;
}

void ScriptedDialogs::answerPrint(const QString& fileName)
{
    push(DialogKind::Print, !fileName.isEmpty(), fileName);
}

void ScriptedDialogs::answerCountingLoop(LoopButton button, std::optional<std::array<QString, 3>> fields)
{
    Answer& answer = push(DialogKind::CountingLoop, true);
    answer.button = button;
    answer.fields = std::move(fields);
}

void ScriptedDialogs::answerPrintPreview(TPageMode mode, bool print, bool landscape)
{
    Answer& answer = push(DialogKind::PrintPreview, print);
    answer.pageMode = mode;
    answer.landscape = landscape;
}

void ScriptedDialogs::answerEveryDialog(const QString& openName, const QString& saveName,
                                        const QString& printName)
{
    m_answerEvery = true;
    m_openName = openName;
    m_saveName = saveName;
    m_printName = printName;
}

int ScriptedDialogs::callCount(DialogKind kind) const
{
    int count = 0;
    for (const DialogCall& call : m_calls)
        count += call.kind == kind ? 1 : 0;
    return count;
}

const DialogCall* ScriptedDialogs::lastCall(DialogKind kind) const
{
    for (auto it = m_calls.rbegin(); it != m_calls.rend(); ++it) {
        if (it->kind == kind)
            return &*it;
    }
    return nullptr;
}

const ScriptedDialogs::Answer* ScriptedDialogs::next(DialogKind kind, const DialogCall& call)
{
    m_calls.push_back(call);
    if (m_answers.empty() && m_answerEvery) {
        m_current = Answer();
        m_current.kind = kind;
        m_current.choice = SaveChoice::Nein;
        m_current.accept = kind != DialogKind::PrintPreview;
        m_current.text = kind == DialogKind::Open    ? m_openName
                         : kind == DialogKind::Save  ? m_saveName + u'.' + call.defaultExtension
                         : kind == DialogKind::Print ? m_printName
                                                     : call.text;
        return &m_current;
    }
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected " << dialogKindName(kind) << ": \"" << call.text.toStdString() << "\"";
        return nullptr;
    }
    if (m_answers.front().kind != kind) {
        ADD_FAILURE() << "expected a " << dialogKindName(m_answers.front().kind) << ", got a "
                      << dialogKindName(kind) << ": \"" << call.text.toStdString() << "\"";
        return nullptr;
    }
    m_current = m_answers.front();
    m_answers.pop_front();
    return &m_current;
}

std::optional<QString> ScriptedDialogs::inputBox(QWidget*, const QString& caption, const QString& prompt,
                                                 const QString& text)
{
    DialogCall call = callOf(DialogKind::Input, text);
    call.caption = caption;
    call.prompt = prompt;
    // While a real input box is open, its event loop handles what was posted before it opened.
    QCoreApplication::processEvents();
    const Answer* answer = next(DialogKind::Input, call);
    if (!answer || !answer->accept)
        return std::nullopt;
    return answer->text;
}

void ScriptedDialogs::errorMessage(QWidget*, const QString& text)
{
    next(DialogKind::Error, callOf(DialogKind::Error, text));
}

void ScriptedDialogs::informationMessage(QWidget*, const QString& text)
{
    next(DialogKind::Information, callOf(DialogKind::Information, text));
}

SaveChoice ScriptedDialogs::askSaveChanges(QWidget*)
{
    const Answer* answer = next(DialogKind::AskSave, callOf(DialogKind::AskSave));
    return answer ? answer->choice : SaveChoice::Abbrechen;
}

QString ScriptedDialogs::openFileName(QWidget*, const QString& filter)
{
    DialogCall call = callOf(DialogKind::Open);
    call.filter = filter;
    const Answer* answer = next(DialogKind::Open, call);
    return answer && answer->accept ? answer->text : QString();
}

QString ScriptedDialogs::saveFileName(QWidget*, const QString& filter, const QString& defaultExtension,
                                      const QString& proposed)
{
    DialogCall call = callOf(DialogKind::Save);
    call.text = proposed;
    call.filter = filter;
    call.defaultExtension = defaultExtension;
    const Answer* answer = next(DialogKind::Save, call);
    return answer && answer->accept ? answer->text : QString();
}

bool ScriptedDialogs::printDialog(QWidget*, QPrinter& printer)
{
    DialogCall call = callOf(DialogKind::Print);
    call.text = printer.docName();
    const Answer* answer = next(DialogKind::Print, call);
    if (!answer || !answer->accept)
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(answer->text);
    return true;
}

int ScriptedDialogs::countingLoopDialog(TForm3& form)
{
    DialogCall call = callOf(DialogKind::CountingLoop);
    call.loopFields = {form.Edit1->text(), form.Edit2->text(), form.Edit3->text()};
    const Answer* answer = next(DialogKind::CountingLoop, call);
    if (!answer) {
        form.Button2->click();
        return form.result();
    }
    if (answer->fields) {
        form.Edit1->setText((*answer->fields)[0]);
        form.Edit2->setText((*answer->fields)[1]);
        form.Edit3->setText((*answer->fields)[2]);
    }
    switch (answer->button) {
    case LoopButton::Ok:
        form.Button1->click();
        break;
    case LoopButton::Abbrechen:
        form.Button2->click();
        break;
    case LoopButton::CloseBox:
        form.reject(); // what the frame's close box ends in
        break;
    }
    return form.result();
}

TSaveFileChoice ScriptedDialogs::saveFileChoice(QWidget* parent, const QString& filter,
                                                const QString& defaultExtension)
{
    const QString name = saveFileName(parent, filter, defaultExtension, QString());
    return {name, name.isEmpty() ? 0 : m_current.filter};
}

int ScriptedDialogs::printPreviewDialog(TPrintPreview& preview)
{
    const Answer* answer = next(DialogKind::PrintPreview, callOf(DialogKind::PrintPreview, preview.note()));
    // Printing asks the next scripted answer, which replaces this one; without an answer it closes.
    Answer chosen;
    chosen.accept = false;
    if (answer)
        chosen = *answer;
    (chosen.landscape ? preview.LandscapeButton : preview.PortraitButton)->click();
    (chosen.pageMode == TPageMode::SplitPages ? preview.SpreadButton : preview.ShrinkButton)->click();
    m_calls.back().text = preview.note();
    m_calls.back().pages = preview.pageCount();
    (chosen.accept ? preview.PrintButton : preview.CloseButton)->click();
    return preview.result();
}
