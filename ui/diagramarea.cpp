#include "ui/diagramarea.h"

#include "model/editing.h"
#include "ui/commandguard.h"
#include "ui/struktogrammfenster.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <optional>

namespace {

// The virtual-key code of a key the window acts on.
std::optional<TKey> virtualKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return TKey::Enter;
    case Qt::Key_Left:
        return TKey::Left;
    case Qt::Key_Up:
        return TKey::Up;
    case Qt::Key_Right:
        return TKey::Right;
    case Qt::Key_Down:
        return TKey::Down;
    case Qt::Key_Insert:
        return TKey::Insert;
    case Qt::Key_Delete:
        return TKey::Delete;
    default:
        return std::nullopt;
    }
}

} // namespace

TDiagramArea::TDiagramArea(TForm1* form) : QAbstractScrollArea(form), m_form(form)
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

void TDiagramArea::paintEvent(QPaintEvent* event)
{
    runPainting(this, [this, event] {
        QPainter painter(viewport());
        m_form->FormPaint(painter, event->rect());
    });
}

void TDiagramArea::scrollContentsBy(int, int)
{
    viewport()->update();
}

void TDiagramArea::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    m_form->applyScrollRanges();
}

void TDiagramArea::keyPressEvent(QKeyEvent* event)
{
    const std::optional<TKey> key = virtualKey(event->key());
    if (!key) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
    runCommand(this, [this, &key] { m_form->FormKeyDown(static_cast<int>(*key)); });
}

void TDiagramArea::mousePressEvent(QMouseEvent* event)
{
    runCommand(
        this, [this, event] { m_form->FormMouseDown(event->buttons(), false, event->position().toPoint()); });
}

void TDiagramArea::mouseDoubleClickEvent(QMouseEvent* event)
{
    runCommand(this,
               [this, event] { m_form->FormMouseDown(event->buttons(), true, event->position().toPoint()); });
}

void TDiagramArea::mouseMoveEvent(QMouseEvent* event)
{
    runCommand(this, [this, event] { m_form->FormMouseMove(event->position().toPoint()); });
}

void TDiagramArea::mouseReleaseEvent(QMouseEvent* event)
{
    runCommand(this, [this, event] { m_form->FormMouseUp(event->position().toPoint()); });
}

void TDiagramArea::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    runCommand(this, [this, event] { m_form->showPopupMenu(event->globalPos()); });
}
