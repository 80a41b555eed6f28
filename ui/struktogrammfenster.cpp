#include "ui/struktogrammfenster.h"

#include "model/diagramview.h"
#include "model/document.h"
#include "model/editing.h"
#include "model/texts.h"
#include "ui/commandguard.h"
#include "ui/commandstates.h"
#include "ui/cp1252.h"
#include "ui/diagramaccessible.h"
#include "ui/diagramarea.h"
#include "ui/diagrampopup.h"
#include "ui/dialogservice.h"
#include "ui/foredit.h"
#include "ui/hauptfenster.h"
#include "ui/printing.h"
#include "ui/qtcanvas.h"
#include "ui/uitexts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

TForm1::TForm1(TForm2* owner, TBlock* block)
    : ShownBlock(block), Options(std::make_unique<TDisplayOptions>()), m_main(owner)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(uitexts::diagramWindowDefault());
    m_area = new TDiagramArea(this);
    setWidget(m_area);
    resize(696, 480);
    PopupMenu1 = createDiagramPopup(*this);
    m_main->document().viewOpened(ShownBlock);
    AdjustScrollBars();
}

TForm1::~TForm1()
{
    m_main->document().viewClosed(ShownBlock);
}

QAbstractScrollArea* TForm1::scrollArea() const
{
    return m_area;
}

QWidget* TForm1::drawingWidget() const
{
    return m_area->viewport();
}

QPoint TForm1::scrollPosition() const
{
    return {m_area->horizontalScrollBar()->value(), m_area->verticalScrollBar()->value()};
}

void TForm1::ShowBlock(TBlock* block)
{
    // Nothing may fail before the window has let go of the old block, which may be released next.
    const TRunMarks* runMarks = Options->RunMarks;
    *Options = TDisplayOptions();
    Options->RunMarks = runMarks;
    m_main->document().viewClosed(ShownBlock);
    ShownBlock = block;
    m_main->document().viewOpened(ShownBlock);
    Dragging = false;
    m_pressedAt.reset();
    AdjustScrollBars();
    repaintNow();
    diagramTreeChanged(*this);
    emit currentChanged();
}

QString TForm1::GetBlockName() const
{
    return fromCp1252(ShownBlock->Text);
}

void TForm1::AdjustScrollBars()
{
    TQtMeasureCanvas measure;
    const TSize ranges = scrollRangesOf(measure.canvas(), *ShownBlock, *Options, m_main->flowchartMode());
    m_ranges = QSize(ranges.cx, ranges.cy);
    applyScrollRanges();
}

void TForm1::applyScrollRanges()
{
    m_area->fitScrollBars(m_ranges);
}

TPoint TForm1::GetDisplayOrigin()
{
    TQtMeasureCanvas measure;
    return displayOrigin(measure.canvas(), *ShownBlock, *Options, m_main->flowchartMode());
}

void TForm1::FormPaint(QPainter& painter, const QRect&)
{
    TQtCanvas canvas(painter, screenFont());
    TPoint origin = displayOrigin(canvas, *ShownBlock, *Options, m_main->flowchartMode());
    const QPoint shift = m_area->canvasShift();
    origin.x -= shift.x();
    origin.y -= shift.y();
    DisplayStruktogramm(canvas, origin);
}

void TForm1::DisplayStruktogramm(TCanvas& canvas, TPoint origin)
{
    paintDiagram(canvas, *ShownBlock, origin, *Options, m_main->flowchartMode());
}

std::optional<TPageLayout> TForm1::PrintStruktogramm(QPrinter& printer, TPageMode mode)
{
    const TPrintJob job{toCp1252(windowTitle()), *ShownBlock, *Options, m_main->flowchartMode()};
    return printBlock(printer, job, mode);
}

void TForm1::repaintNow()
{
    m_area->viewport()->repaint();
}

void TForm1::ChangeDisplay()
{
    if (TBlock* block = asBlock(currentElement()))
        ChangeMinimize(block);
}

void TForm1::ChangeMinimize(TBlock* block)
{
    Options->ToggleCollapsed(block);
    repaintNow();
    // The rectangle was drawn at the scroll position before the new ranges, which may clamp it.
    const QPoint drawnAt = scrollPosition();
    AdjustScrollBars();
    m_area->scrollIntoView(Options->HighlightRect, drawnAt, size());
}

void TForm1::InneuemFensteranzeigen()
{
    if (TBlock* block = asBlock(currentElement()))
        m_main->openBlockWindow(block);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (!FreeOnClose) {
        // The whole-design window lives as long as the main window: closing it minimises it.
        event->ignore();
        showMinimized();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}

TElement* TForm1::currentElement() const
{
    return findMarked(*ShownBlock, *Options, Options->lastMarkedRef());
}

void TForm1::setCurrent(TElement* e)
{
    Options->ClearMarked();
    Options->AddMarked(e);
    enableCommandsFor(PopupMenu1->findChildren<QAction*>(), currentElement());
    emit currentChanged();
}

void TForm1::moveMark(TElement* e)
{
    if (!e)
        return;
    setCurrent(e);
    repaintNow();
}

TElement* TForm1::elementAt(QPoint position)
{
    TQtMeasureCanvas measure;
    const TPoint origin = displayOrigin(measure.canvas(), *ShownBlock, *Options, m_main->flowchartMode());
    const QPoint at = m_area->toLayout(position);
    Options->RootBlock = ShownBlock;
    return ShownBlock->HitTest(measure.canvas(), origin, *Options, at.x(), at.y());
}

// ---- editing ----

void TForm1::showPopupMenu(QPoint globalPosition)
{
    // The right button's press may have started a drag; the menu takes the release, so end it here.
    Dragging = false;
    m_pressedAt.reset();
    Options->DropTarget = nullptr;
    enableCommandsFor(PopupMenu1->findChildren<QAction*>(), currentElement());
    PopupMenu1->popup(globalPosition);
}

void TForm1::Einfuegen(std::string_view sender)
{
    TElement* target = currentElement();
    if (!target)
        return;
    std::unique_ptr<TElement> created = createForSender(sender);
    if (!created)
        return;
    TElement* element = created.get();
    TDesignDocument& document = m_main->document();
    // The snapshots taken back below push no state out of a full history.
    const TDesignDocument::TCommand command(document);
    document.takeSnapshot();
    target->InsertAfter(std::move(created));
    TBlock* block = asBlock(target);
    if (block && Options->IsCollapsed(block))
        m_main->ToggleCollapsedEverywhere(block);
    setCurrent(element);
    m_main->RefreshAllWindows();
    // A changed text takes a snapshot of its own; a cancelled answer removes the element again, which
    // takes another. Those are taken back, and the insertion's own one too when it was cancelled, so an
    // insertion leaves one undo step, and a cancelled one none.
    switch (Textbearbeiten()) {
    case TTextEdit::Cancelled:
        Loeschen();
        document.dropNewestSnapshot(); // Loeschen's
        document.dropNewestSnapshot(); // the insertion's own
        break;
    case TTextEdit::Changed:
        document.dropNewestSnapshot(); // the text's
        break;
    case TTextEdit::Unchanged:
        break;
    }
    m_main->RefreshAllWindows();
}

void TForm1::Loeschen()
{
    TElement* target = currentElement();
    if (!target)
        return;
    m_main->document().takeSnapshot();
    std::unique_ptr<TElement> removed = ShownBlock->DeleteElement(target);
    Options->ClearMarked();
    emit currentChanged();
    m_main->document().takeOverRemoved(std::move(removed));
    m_main->RefreshAllWindows();
}

std::optional<std::string> TForm1::askText(const TElement& target)
{
    auto inputBox = [&](const QString& caption, const QString& prompt) -> std::optional<std::string> {
        const QString preset = fromCp1252(target.Text);
        const std::optional<QString> answer = dialogService().inputBox(this, caption, prompt, preset);
        if (!answer)
            return std::nullopt;
        return toCp1252(answer->left(inputLimit(preset)));
    };
    switch (target.kind()) {
    case Kind::Anweisung:
        return inputBox(uitexts::captionStatement(), uitexts::promptStatement());
    case Kind::If:
        return inputBox(uitexts::captionDecision(), uitexts::promptCondition());
    case Kind::For: {
        TForm3& form = Form3(m_main);
        form.SetLoopText(target.Text);
        if (dialogService().countingLoopDialog(form) == TForm3::kCancel)
            return std::nullopt;
        return form.LoopText();
    }
    case Kind::While:
    case Kind::DoWhile:
    case Kind::Repeat:
        return inputBox(uitexts::captionLoop(), uitexts::promptCondition());
    case Kind::Block:
        break;
    }
    return std::nullopt;
}

TForm1::TTextEdit TForm1::Textbearbeiten()
{
    TElement* target = currentElement();
    if (!target)
        return TTextEdit::Unchanged;
    if (target->isBlock()) {
        // A block's own name is not edited: a new statement goes in at its start.
        Einfuegen(kInsertStatement);
        return TTextEdit::Unchanged;
    }
    std::optional<std::string> text = askText(*target);
    if (!text)
        return TTextEdit::Cancelled;
    // The document announces the change once the text is set, so every view shows the new text.
    if (!m_main->document().changeText(*target, std::move(*text)))
        return TTextEdit::Unchanged;
    m_main->RefreshAllWindows();
    return TTextEdit::Changed;
}

void TForm1::Textbearbeiten1Click()
{
    Textbearbeiten();
}

void TForm1::Genauerbestimmen1Click()
{
    TElement* current = currentElement();
    if (current && current->kind() == Kind::Anweisung) {
        // Two undo steps: one before the block is added, and Loeschen's before the statement goes.
        m_main->document().takeSnapshot();
        TBlock& block = addRefinementBlock(static_cast<TAnweisung&>(*current));
        Loeschen();
        setCurrent(&block);
        ChangeDisplay();
        InneuemFensteranzeigen();
        m_main->RefreshAllWindows();
        return;
    }
    if (current && current->isBlock()) {
        InneuemFensteranzeigen();
        return;
    }
    dialogService().errorMessage(this, fromCp1252(texts::kOnlyStatementsRefine));
}

void TForm1::FormKeyDown(int key)
{
    const auto pressed = static_cast<TKey>(key);
    switch (pressed) {
    case TKey::Enter:
    case TKey::F2:
        Textbearbeiten();
        break;
    case TKey::Left:
    case TKey::Up:
    case TKey::Right:
        moveMark(walk(pressed, *ShownBlock, currentElement()));
        break;
    case TKey::Down:
        setCurrent(walk(pressed, *ShownBlock, currentElement()));
        m_main->RefreshAllWindows();
        break;
    case TKey::Insert:
        Einfuegen(kInsertStatement);
        break;
    case TKey::Delete:
        Loeschen();
        break;
    }
}

void TForm1::FormMouseDown(Qt::MouseButtons buttons, bool doubleClick, QPoint position)
{
    if (!(buttons & (Qt::LeftButton | Qt::RightButton)))
        return;
    TElement* hit = elementAt(position);
    Dragging = false;
    m_pressedAt.reset();
    if (hit && hit->Standalone)
        m_pressedAt = position;
    if (hit != currentElement()) {
        setCurrent(hit);
        repaintNow();
    }
    if ((buttons & Qt::LeftButton) && doubleClick) {
        m_pressedAt.reset();
        Textbearbeiten();
    }
}

bool TForm1::dragUnderWay(QPoint position)
{
    if (!Dragging && m_pressedAt &&
        (position - *m_pressedAt).manhattanLength() >= QApplication::startDragDistance())
        Dragging = true;
    return Dragging;
}

void TForm1::FormMouseMove(QPoint position)
{
    if (!dragUnderWay(position))
        return;
    TElement* hit = elementAt(position);
    TElement* target =
        dropAccepted(*ShownBlock, currentElement(), hit, Options->DropAfterBlock) ? hit : nullptr;
    if (target != Options->DropTarget) {
        Options->DropTarget = target;
        repaintNow();
    }
}

void TForm1::FormMouseUp(QPoint position)
{
    const bool markShown = Options->DropTarget != nullptr;
    Options->DropTarget = nullptr;
    m_pressedAt.reset();
    if (!Dragging)
        return;
    Dragging = false;
    TElement* target = elementAt(position);
    TElement* dragged = currentElement();
    if (!dropAccepted(*ShownBlock, dragged, target, Options->DropAfterBlock)) {
        if (markShown)
            repaintNow(); // only to take the drop mark away
        return;
    }
    m_main->document().takeSnapshot();
    dropElement(*ShownBlock, *dragged, *target, Options->DropAfterBlock);
    m_main->RefreshAllWindows();
}
