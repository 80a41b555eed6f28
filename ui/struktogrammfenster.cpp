#include "ui/struktogrammfenster.h"

#include "model/diagramview.h"
#include "model/texts.h"
#include "ui/cp1252.h"
#include "ui/dialogservice.h"
#include "ui/foredit.h"
#include "ui/hauptfenster.h"
#include "ui/qtcanvas.h"
#include "model/treewalk.h"
#include "ui/uitexts.h"

#include <QAbstractScrollArea>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

// The element kinds of the insert commands, by the object name of the item or button that asks.
std::unique_ptr<TElement> makeElementFor(const QString& sender)
{
    auto is = [&sender](std::initializer_list<const char*> names) {
        return std::any_of(names.begin(), names.end(),
                           [&sender](const char* n) { return sender == QLatin1String(n); });
    };
    if (is({"Anweisung", "BAnweisung", "BAnweisung2"}))
        return TAnweisung::Create(texts::kAnweisung);
    if (is({"IfAnweisung", "BIfAnweisung", "BIfAnweisung2"}))
        return TIf::Create(texts::kUnknown);
    if (is({"WhileSchleife", "BWhileSchleife", "BWhileSchleife2"}))
        return TWhile::Create(texts::kUnknown);
    if (is({"RepeatUntilSchleife", "BRepeatUntilSchleife"}))
        return TRepeat::Create(texts::kUnknown);
    if (is({"DoWhileSchleife", "BDoWhileSchleife", "BDoWhileSchleife2"}))
        return TDoWhile::Create(texts::kUnknown);
    if (is({"ForSchleife", "BForSchleife", "BForSchleife2"}))
        return TFor::Create(texts::kUnknown);
    return nullptr;
}

// The virtual-key code of the keys the window handles; 0 for every other key.
int virtualKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    default:
        return 0;
    }
}

} // namespace

// The scrolling drawing area of a diagram window: paints through the window and hands the mouse and
// the keys to the window's handlers.
class TDiagramArea : public QAbstractScrollArea
{
public:
    explicit TDiagramArea(TForm1* form) : QAbstractScrollArea(form), m_form(form)
    {
        setObjectName(QStringLiteral("DiagramArea"));
        setFrameShape(QFrame::NoFrame);
        setFocusPolicy(Qt::StrongFocus);
        QPalette palette = viewport()->palette();
        palette.setColor(QPalette::Window, QColor(245, 245, 245));
        palette.setColor(QPalette::Base, QColor(245, 245, 245));
        viewport()->setPalette(palette);
        viewport()->setBackgroundRole(QPalette::Base);
        viewport()->setAutoFillBackground(true);
        horizontalScrollBar()->setSingleStep(16);
        verticalScrollBar()->setSingleStep(16);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(viewport());
        m_form->FormPaint(painter, event->rect());
    }
    void scrollContentsBy(int, int) override { viewport()->update(); }
    void resizeEvent(QResizeEvent* event) override
    {
        QAbstractScrollArea::resizeEvent(event);
        m_form->applyScrollRanges();
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        const int key = virtualKey(event->key());
        if (key == 0) {
            QAbstractScrollArea::keyPressEvent(event);
            return;
        }
        event->accept();
        m_form->FormKeyDown(key);
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        m_form->FormMouseDown(event->buttons(), false, event->position().toPoint());
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        m_form->FormMouseDown(event->buttons(), true, event->position().toPoint());
    }
    void mouseMoveEvent(QMouseEvent* event) override { m_form->FormMouseMove(event->position().toPoint()); }
    void mouseReleaseEvent(QMouseEvent* event) override { m_form->FormMouseUp(event->position().toPoint()); }
    void contextMenuEvent(QContextMenuEvent* event) override
    {
        event->accept();
        m_form->showPopupMenu(event->globalPos());
    }

private:
    TForm1* m_form;
};

TForm1::TForm1(TForm2* owner, TBlock* block)
    : ShownBlock(block), Options(std::make_unique<TDisplayOptions>()), m_main(owner)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(uitexts::diagramWindowDefault());
    m_area = new TDiagramArea(this);
    setWidget(m_area);
    resize(696, 480);
    createPopupMenu();
    AdjustScrollBars();
}

TForm1::~TForm1()
{
    if (m_main)
        m_main->windowDestroyed(this);
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

bool TForm1::flowchart() const
{
    return m_main && m_main->Flowchart();
}

void TForm1::ShowBlock(TBlock* block)
{
    Options = std::make_unique<TDisplayOptions>();
    ShownBlock = block;
    Dragging = false;
    AdjustScrollBars();
    repaintNow();
}

QString TForm1::GetBlockName() const
{
    return fromCp1252(ShownBlock->Text);
}

void TForm1::AdjustScrollBars()
{
    TQtMeasureCanvas measure;
    const TSize ranges = ScrollRanges(measure.canvas(), *ShownBlock, *Options, flowchart());
    m_ranges = QSize(ranges.cx, ranges.cy);
    applyScrollRanges();
}

void TForm1::applyScrollRanges()
{
    const QSize page = m_area->viewport()->size();
    QScrollBar* horizontal = m_area->horizontalScrollBar();
    QScrollBar* vertical = m_area->verticalScrollBar();
    horizontal->setPageStep(std::max(1, page.width()));
    vertical->setPageStep(std::max(1, page.height()));
    horizontal->setRange(0, std::max(0, m_ranges.width() - page.width()));
    vertical->setRange(0, std::max(0, m_ranges.height() - page.height()));
}

TPoint TForm1::GetDisplayOrigin()
{
    TQtMeasureCanvas measure;
    return ::GetDisplayOrigin(measure.canvas(), *ShownBlock, *Options, flowchart());
}

void TForm1::FormPaint(QPainter& painter, const QRect&)
{
    const auto canvas = std::make_unique<TQtCanvas>(painter, screenFont());
    TPoint origin = ::GetDisplayOrigin(*canvas, *ShownBlock, *Options, flowchart());
    const QPoint scroll = scrollPosition();
    origin.x -= scroll.x();
    origin.y -= scroll.y();
    DisplayStruktogramm(*canvas, origin);
}

void TForm1::DisplayStruktogramm(TCanvas& canvas, TPoint origin)
{
    ::DisplayStruktogramm(canvas, *ShownBlock, origin, *Options, flowchart());
}

void TForm1::PrintStruktogramm(QPainter& printer)
{
    TQtCanvas printerCanvas(printer, printerFont());
    TQtMeasureCanvas window;
    ::PrintStruktogramm(printerCanvas, window.canvas(), toCp1252(windowTitle()), *ShownBlock, *Options,
                        flowchart());
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
    const TRect r = Options->HighlightRect;
    QScrollBar* vertical = m_area->verticalScrollBar();
    QScrollBar* horizontal = m_area->horizontalScrollBar();
    if (r.Bottom - r.Top > height())
        vertical->setValue(r.Top + drawnAt.y() - 2);
    else
        vertical->setValue((r.Top + r.Bottom) / 2 + drawnAt.y() - height() / 2);
    horizontal->setValue((r.Left + r.Right) / 2 + drawnAt.x() - width() / 2);
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
    const TDisplayOptions::Ref marked = Options->LastMarkedRef();
    if (!marked.element)
        return nullptr;
    // The remembered address is only compared, never followed, until it is found in the shown block.
    TElement* found = nullptr;
    visitTree(ShownBlock, false, [&](TElement* e) {
        if (e != marked.element)
            return false;
        found = e;
        return true;
    });
    return found && found->serial() == marked.serial ? found : nullptr;
}

void TForm1::setCurrent(TElement* e)
{
    Options->ClearMarked();
    Options->AddMarked(e);
}

TElement* TForm1::elementAt(QPoint position)
{
    TQtMeasureCanvas measure;
    const TPoint origin = ::GetDisplayOrigin(measure.canvas(), *ShownBlock, *Options, flowchart());
    const QPoint scroll = scrollPosition();
    Options->RootBlock = ShownBlock;
    return ShownBlock->HitTest(measure.canvas(), origin, *Options, position.x() + scroll.x(),
                               position.y() + scroll.y());
}

// ---- editing ----

void TForm1::createPopupMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QMenu* insert = PopupMenu1->addMenu(QStringLiteral("Einfügen"));
    insert->setObjectName(QStringLiteral("Einfgen1"));
    insert->menuAction()->setObjectName(QStringLiteral("Einfgen1"));
    auto addInsert = [this, insert](const char* name, const QString& caption, bool visible) {
        QAction* action = insert->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setVisible(visible);
        connect(action, &QAction::triggered, this, &TForm1::popupInsert);
    };
    auto addSeparator = [](QMenu* menu, const char* name) {
        menu->addSeparator()->setObjectName(QLatin1String(name));
    };
    auto addItem = [this](const char* name, const QString& caption, void (TForm1::*handler)()) {
        QAction* action = PopupMenu1->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, handler);
    };
    addInsert("Anweisung", QStringLiteral("Anweisung"), true);
    addSeparator(insert, "N1");
    addInsert("IfAnweisung", QStringLiteral("Entscheidung"), true);
    addSeparator(insert, "N2");
    addInsert("WhileSchleife", QStringLiteral("Schleife (Test vorher)"), true);
    addInsert("DoWhileSchleife", QStringLiteral("Schleife (Test danach)"), true);
    addInsert("RepeatUntilSchleife", QStringLiteral("Schleife (Test danach)"), false);
    addInsert("ForSchleife", QStringLiteral("Zählschleife"), false);
    addItem("Textbearbeiten1", QStringLiteral("Text bearbeiten"), &TForm1::Textbearbeiten1Click);
    addItem("Genauerbestimmen1", QStringLiteral("Genauer bestimmen"), &TForm1::Genauerbestimmen1Click);
    addItem("Lschen1", QStringLiteral("Löschen"), &TForm1::Loeschen);
    addSeparator(PopupMenu1, "N3");
    addItem("Anzeigeverkleinernvergrern1", QStringLiteral("Anzeige verkleinern/vergrößern"),
            &TForm1::ChangeDisplay);
    addItem("InneuemFensteranzeigen1", QStringLiteral("In neuem Fenster anzeigen"),
            &TForm1::InneuemFensteranzeigen);
}

void TForm1::popupInsert()
{
    if (const QObject* item = sender())
        Einfuegen(item->objectName());
}

void TForm1::showPopupMenu(QPoint globalPosition)
{
    // The right button's press may have started a drag; the menu takes the release, so end it here.
    Dragging = false;
    Options->DropTarget = nullptr;
    PopupMenu1->popup(globalPosition);
}

void TForm1::Einfuegen(const QString& sender)
{
    TElement* target = currentElement();
    if (!target)
        return;
    std::unique_ptr<TElement> created = makeElementFor(sender);
    if (!created)
        return;
    TElement* element = created.get();
    const bool wasModified = m_main->isModified();
    m_main->TakeSnapshot();
    target->InsertAfter(std::move(created));
    TBlock* block = asBlock(target);
    if (block && Options->IsCollapsed(block))
        m_main->ToggleCollapsedEverywhere(block);
    setCurrent(element);
    m_main->RefreshAllWindows();
    const bool cancelled = Textbearbeiten();
    if (cancelled) {
        Loeschen();
        m_main->DropNewestSnapshot();
        m_main->DropNewestSnapshot();
    }
    m_main->DropNewestSnapshot();
    if (cancelled)
        m_main->setModified(wasModified);
    m_main->RefreshAllWindows();
}

void TForm1::Loeschen()
{
    TElement* target = currentElement();
    if (!target)
        return;
    m_main->TakeSnapshot();
    std::unique_ptr<TElement> removed = ShownBlock->DeleteElement(target);
    Options->ClearMarked();
    m_main->discardRemoved(std::move(removed));
    m_main->RefreshAllWindows();
}

bool TForm1::Textbearbeiten()
{
    TElement* target = currentElement();
    if (!target)
        return false;
    const bool wasModified = m_main->isModified();
    const std::string oldText = target->Text;
    m_main->TakeSnapshot();
    bool cancelled = false;
    auto inputBox = [&](const QString& caption, const QString& prompt) {
        const QString preset = fromCp1252(target->Text);
        const std::optional<QString> answer = dialogService().InputBox(this, caption, prompt, preset);
        if (!answer) {
            cancelled = true;
            return;
        }
        target->Text = toCp1252(answer->left(inputLimit(preset)));
    };
    bool changed = true;
    switch (target->kind()) {
    case Kind::Anweisung:
        inputBox(uitexts::captionStatement(), uitexts::promptStatement());
        break;
    case Kind::If:
        inputBox(uitexts::captionDecision(), uitexts::promptCondition());
        break;
    case Kind::For: {
        TForm3& form = m_main->Form3();
        form.SetLoopText(target->Text);
        const int result = dialogService().CountingLoopDialog(form);
        target->Text = form.LoopText();
        cancelled = result == TForm3::kCancel;
        break;
    }
    case Kind::While:
    case Kind::DoWhile:
    case Kind::Repeat:
        inputBox(uitexts::captionLoop(), uitexts::promptCondition());
        break;
    case Kind::Block: {
        TBlock* block = asBlock(target);
        const TElement* firstBefore = block->FirstChild.get();
        Einfuegen(QStringLiteral("Anweisung"));
        m_main->RefreshCaptions();
        changed = block->FirstChild.get() != firstBefore;
        break;
    }
    }
    if (!target->isBlock())
        changed = target->Text != oldText;
    if (!changed)
        m_main->setModified(wasModified);
    m_main->RefreshAllWindows();
    return cancelled;
}

void TForm1::Textbearbeiten1Click()
{
    Textbearbeiten();
}

void TForm1::Genauerbestimmen1Click()
{
    TElement* statement = currentElement();
    if (statement && statement->kind() == Kind::Anweisung) {
        m_main->TakeSnapshot();
        std::unique_ptr<TBlock> created = TBlock::Create(statement->Text);
        TBlock* block = created.get();
        created->Next = std::move(statement->Next);
        statement->Next = std::move(created);
        Loeschen();
        setCurrent(block);
        ChangeDisplay();
        InneuemFensteranzeigen();
        m_main->RefreshAllWindows();
        return;
    }
    if (statement && statement->isBlock()) {
        InneuemFensteranzeigen();
        return;
    }
    dialogService().ErrorMessage(this, fromCp1252(texts::kOnlyStatementsRefine));
}

void TForm1::FormKeyDown(int key)
{
    TElement* current = currentElement();
    switch (key) {
    case 13:
        Textbearbeiten();
        break;
    case 37:
        if (TBedingung* condition = asCondition(current)) {
            setCurrent(condition->Branch(1));
            repaintNow();
        }
        break;
    case 38:
        if (current && current != ShownBlock) {
            setCurrent(ShownBlock->FindReferrer(current));
            repaintNow();
        }
        break;
    case 39:
        if (TBedingung* condition = asCondition(current)) {
            setCurrent(condition->Branch(condition->BranchCount >= 2 ? 2 : 1));
            repaintNow();
        }
        break;
    case 40: {
        // The walk never leaves the shown block: what follows it is not drawn in this window.
        TElement* e = current ? current : ShownBlock;
        TElement* next = nullptr;
        if (TBlock* block = asBlock(e); block && block->FirstChild) {
            next = block->FirstChild.get();
        } else if (e->isLoop()) {
            next = asCondition(e)->Branch(1);
        } else {
            while (e && e != ShownBlock) {
                if (e->Next) {
                    next = e->Next.get();
                    break;
                }
                do
                    e = ShownBlock->FindReferrer(e);
                while (e && !e->isBlock());
                if (e && !e->Next && e != ShownBlock)
                    e = ShownBlock->FindReferrer(e);
            }
        }
        setCurrent(next ? next : ShownBlock);
        m_main->RefreshAllWindows();
        break;
    }
    case 45:
        Einfuegen(QStringLiteral("Anweisung"));
        break;
    case 46:
        Loeschen();
        break;
    default:
        break;
    }
}

void TForm1::FormMouseDown(Qt::MouseButtons buttons, bool doubleClick, QPoint position)
{
    if (!(buttons & (Qt::LeftButton | Qt::RightButton)))
        return;
    TElement* hit = elementAt(position);
    if (hit && hit->Standalone)
        Dragging = true;
    if (hit != currentElement()) {
        setCurrent(hit);
        repaintNow();
    }
    if ((buttons & Qt::LeftButton) && doubleClick) {
        Dragging = false;
        Textbearbeiten();
    }
}

void TForm1::FormMouseMove(QPoint position)
{
    if (!Dragging)
        return;
    TElement* hit = elementAt(position);
    const bool afterBlock = Options->DropAfterBlock;
    TElement* dragged = currentElement();
    TElement* target = hit;
    if (!dragged) {
        target = nullptr;
    } else if (hit) {
        if (const TBlock* block = asBlock(hit)) {
            if (hit == dragged || (afterBlock && hit->Next.get() == dragged) ||
                (!afterBlock && block->FirstChild.get() == dragged) || (afterBlock && hit == ShownBlock))
                target = nullptr;
        } else if (hit == dragged || hit->Next.get() == dragged) {
            target = nullptr;
        }
        // A drop inside the dragged element itself is refused; show no target there either.
        if (target && containsAddress(dragged, target))
            target = nullptr;
    }
    if (target != Options->DropTarget) {
        Options->DropTarget = target;
        repaintNow();
    }
}

void TForm1::FormMouseUp(QPoint position)
{
    const bool hadTarget = Options->DropTarget != nullptr;
    Options->DropTarget = nullptr;
    if (!Dragging)
        return;
    Dragging = false;
    TElement* target = elementAt(position);
    const bool afterBlock = Options->DropAfterBlock;
    TElement* dragged = currentElement();
    auto refuse = [&] {
        if (hadTarget)
            repaintNow(); // only to take the drop mark away
    };
    if (!target || !dragged || containsAddress(dragged, target)) {
        refuse();
        return;
    }
    TBlock* targetBlock = asBlock(target);
    if (target->Next.get() == dragged && !(targetBlock && !afterBlock)) {
        refuse();
        return;
    }
    // Into the block it already starts would change nothing; after the shown block would take the element
    // out of this window's view.
    if (targetBlock &&
        ((!afterBlock && targetBlock->FirstChild.get() == dragged) ||
         (afterBlock && target == ShownBlock))) {
        refuse();
        return;
    }
    m_main->TakeSnapshot();
    std::unique_ptr<TElement> moved = ShownBlock->DetachElement(dragged);
    if (targetBlock && afterBlock) {
        moved->Next = std::move(target->Next);
        target->Next = std::move(moved);
    } else {
        target->InsertAfter(std::move(moved));
    }
    m_main->RefreshAllWindows();
}
