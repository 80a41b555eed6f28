#include "ui/diagramarea.h"

#include "model/editing.h"
#include "ui/commandguard.h"
#include "ui/diagramaccessible.h"
#include "ui/struktogrammfenster.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
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
    case Qt::Key_F2:
        return TKey::F2;
    default:
        return std::nullopt;
    }
}

} // namespace

TDiagramArea::TDiagramArea(TForm1* form) : QAbstractScrollArea(form), m_form(form)
{
    // Before anything that could make the area's accessible interface: the first one made is kept.
    installDiagramAccessibility();
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
    connect(form, &TForm1::currentChanged, this,
            [form] { runCommand(form, [form] { announceCurrentElement(*form); }); });
    m_zoomLine = new QLabel(this);
    m_zoomLine->setObjectName(QStringLiteral("ZoomLine"));
    m_zoomLine->setContentsMargins(4, 1, 4, 1);
    m_zoomLine->hide();
}

QPoint TDiagramArea::scrollPosition() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void TDiagramArea::paintEvent(QPaintEvent* event)
{
    runPainting(this, [this, event] {
        QPainter painter(viewport());
        const QPoint scroll = scrollPosition();
        const TZoom::Placement x = m_zoom.placement(scroll.x());
        const TZoom::Placement y = m_zoom.placement(scroll.y());
        painter.translate(x.offset, y.offset);
        painter.scale(m_zoom.factor(), m_zoom.factor());
        m_form->FormPaint(painter, event->rect());
    });
}

QPoint TDiagramArea::toLayout(QPoint position) const
{
    const QPoint scroll = scrollPosition();
    return {m_zoom.toLayout(position.x(), scroll.x()), m_zoom.toLayout(position.y(), scroll.y())};
}

QPoint TDiagramArea::canvasShift() const
{
    const QPoint scroll = scrollPosition();
    return {m_zoom.placement(scroll.x()).shift, m_zoom.placement(scroll.y()).shift};
}

void TDiagramArea::fitScrollBars(QSize ranges)
{
    m_ranges = ranges;
    const QSize page = viewport()->size();
    horizontalScrollBar()->setPageStep(std::max(1, page.width()));
    verticalScrollBar()->setPageStep(std::max(1, page.height()));
    horizontalScrollBar()->setRange(0, std::max(0, m_zoom.toWindow(ranges.width()) - page.width()));
    verticalScrollBar()->setRange(0, std::max(0, m_zoom.toWindow(ranges.height()) - page.height()));
}

void TDiagramArea::scrollIntoView(TRect drawn, QPoint drawnAt, QSize windowSize)
{
    // The rectangle in the area's pixels as it was drawn.
    const double f = m_zoom.factor();
    const TZoom::Placement x = m_zoom.placement(drawnAt.x());
    const TZoom::Placement y = m_zoom.placement(drawnAt.y());
    const int left = static_cast<int>(std::lround(drawn.Left * f + x.offset));
    const int right = static_cast<int>(std::lround(drawn.Right * f + x.offset));
    const int top = static_cast<int>(std::lround(drawn.Top * f + y.offset));
    const int bottom = static_cast<int>(std::lround(drawn.Bottom * f + y.offset));
    if (bottom - top > windowSize.height())
        verticalScrollBar()->setValue(top + drawnAt.y() - 2);
    else
        verticalScrollBar()->setValue((top + bottom) / 2 + drawnAt.y() - windowSize.height() / 2);
    horizontalScrollBar()->setValue((left + right) / 2 + drawnAt.x() - windowSize.width() / 2);
}

QRect TDiagramArea::toWindow(TRect layout) const
{
    const QPoint scroll = scrollPosition();
    const QPoint shift = canvasShift();
    const double f = m_zoom.factor();
    const TZoom::Placement x = m_zoom.placement(scroll.x());
    const TZoom::Placement y = m_zoom.placement(scroll.y());
    const auto at = [f](int layoutPixel, int shiftBy, double offset) {
        return static_cast<int>(std::lround((layoutPixel - shiftBy) * f + offset));
    };
    return QRect(
        QPoint(at(layout.Left, shift.x(), x.offset), at(layout.Top, shift.y(), y.offset)),
        QPoint(at(layout.Right, shift.x(), x.offset) - 1, at(layout.Bottom, shift.y(), y.offset) - 1));
}

void TDiagramArea::keepInView(TRect layout)
{
    if (viewport()->rect().contains(toWindow(layout)))
        return;
    const QPoint shift = canvasShift();
    const TRect drawn{layout.Left - shift.x(), layout.Top - shift.y(), layout.Right - shift.x(),
                      layout.Bottom - shift.y()};
    scrollIntoView(drawn, scrollPosition(), viewport()->size());
}

void TDiagramArea::setZoom(int percent, QPoint anchor)
{
    const QPoint scroll = scrollPosition();
    const QPointF kept(m_zoom.layoutAt(anchor.x(), scroll.x()), m_zoom.layoutAt(anchor.y(), scroll.y()));
    if (m_zoom.setPercent(percent))
        zoomChanged(kept, anchor);
}

void TDiagramArea::zoomIn()
{
    TZoom next = m_zoom;
    if (next.zoomIn())
        setZoom(next.percent(), viewport()->rect().center());
}

void TDiagramArea::zoomOut()
{
    TZoom next = m_zoom;
    if (next.zoomOut())
        setZoom(next.percent(), viewport()->rect().center());
}

void TDiagramArea::resetZoom()
{
    setZoom(100, viewport()->rect().center());
}

void TDiagramArea::zoomChanged(QPointF kept, QPoint anchor)
{
    showZoomLine();
    fitScrollBars(m_ranges);
    horizontalScrollBar()->setValue(m_zoom.scrollKeeping(kept.x(), anchor.x()));
    verticalScrollBar()->setValue(m_zoom.scrollKeeping(kept.y(), anchor.y()));
    viewport()->update();
}

void TDiagramArea::showZoomLine()
{
    const bool shown = m_zoom.percent() != 100;
    m_zoomLine->setText(QStringLiteral("Zoom %1 % · Strg+0: Originalgröße").arg(m_zoom.percent()));
    const int height = shown ? m_zoomLine->sizeHint().height() : 0;
    setViewportMargins(0, 0, 0, height);
    m_zoomLine->setVisible(shown);
    const QRect area = viewport()->geometry();
    m_zoomLine->setGeometry(area.left(), area.bottom() + 1, area.width(), height);
}

void TDiagramArea::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    event->accept();
    const QPoint anchor = event->position().toPoint();
    const QPoint scroll = scrollPosition();
    const QPointF kept(m_zoom.layoutAt(anchor.x(), scroll.x()), m_zoom.layoutAt(anchor.y(), scroll.y()));
    if (m_zoom.wheel(event->angleDelta().y()))
        zoomChanged(kept, anchor);
}

void TDiagramArea::scrollContentsBy(int, int)
{
    viewport()->update();
}

void TDiagramArea::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (m_zoomLine->isVisible())
        showZoomLine();
    m_form->applyScrollRanges();
}

void TDiagramArea::keyPressEvent(QKeyEvent* event)
{
    // The keys of its own (Ctrl+Up moves the current element, with an undo step) are commands as well.
    event->accept();
    bool passOn = false;
    runCommand(this, [this, event, &passOn] {
        if (keyOfItsOwn(*event))
            return;
        const std::optional<TKey> key = virtualKey(event->key());
        if (!key) {
            passOn = true;
            return;
        }
        m_form->FormKeyDown(static_cast<int>(*key));
    });
    if (passOn)
        QAbstractScrollArea::keyPressEvent(event);
}

bool TDiagramArea::keyOfItsOwn(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if (event.key() == Qt::Key_Escape) {
        const bool dragging = m_form->Dragging;
        m_form->cancelDrag();
        return dragging; // without a drag, Esc goes on to the frame
    }
    if (modifiers == Qt::ControlModifier && (event.key() == Qt::Key_Up || event.key() == Qt::Key_Down)) {
        m_form->moveCurrent(event.key() == Qt::Key_Up);
        return true;
    }
    if (modifiers == Qt::ShiftModifier && event.key() == Qt::Key_F10) {
        m_form->showPopupAtCurrent();
        return true;
    }
    return false;
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
    runCommand(this, [this, event] {
        if (event->reason() == QContextMenuEvent::Keyboard)
            m_form->showPopupAtCurrent(); // the menu key
        else
            m_form->showPopupMenu(event->globalPos());
    });
}

void TDiagramArea::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    // After the toolkit has announced the area itself, which it does once this handler has returned.
    QMetaObject::invokeMethod(
        this, [this] { runCommand(this, [this] { announceCurrentElement(*m_form); }); },
        Qt::QueuedConnection);
}
