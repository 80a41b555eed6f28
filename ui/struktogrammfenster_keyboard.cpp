// TForm1: what only the keyboard reaches (moving an element one place, the pop-up menu at the current
// element, cancelling a drag), and where an element is drawn, which the keyboard's pop-up menu and the
// assistive technology ask.

#include "ui/struktogrammfenster.h"

#include "model/diagramview.h"
#include "model/document.h"
#include "model/editing.h"
#include "ui/diagramarea.h"
#include "ui/hauptfenster.h"
#include "ui/qtcanvas.h"

#include <QAbstractScrollArea>
#include <QMenu>

#include <algorithm>

std::optional<QRect> TForm1::elementRect(TElement* e)
{
    TQtMeasureCanvas measure;
    const TPoint origin = displayOrigin(measure.canvas(), *ShownBlock, *Options, m_main->flowchartMode());
    const std::optional<TRect> r =
        ::elementRect(measure.canvas(), *ShownBlock, origin, *Options, m_main->flowchartMode(), e);
    if (!r)
        return std::nullopt;
    return m_area->toWindow(*r);
}

void TForm1::showPopupAtCurrent()
{
    const QRect visible = drawingWidget()->rect().adjusted(0, 0, -1, -1);
    QPoint at = visible.topLeft();
    if (const std::optional<QRect> r = elementRect(currentElement()))
        at = r->topLeft() + QPoint(8, 8);
    at.setX(std::clamp(at.x(), visible.left(), visible.right()));
    at.setY(std::clamp(at.y(), visible.top(), visible.bottom()));
    showPopupMenu(drawingWidget()->mapToGlobal(at));
}

void TForm1::cancelDrag()
{
    m_pressedAt.reset();
    if (!Dragging)
        return;
    Dragging = false;
    if (Options->DropTarget) {
        Options->DropTarget = nullptr;
        repaintNow();
    }
}

void TForm1::moveCurrent(bool up)
{
    TElement* current = currentElement();
    const std::optional<TDropPlace> place = oneStepPlace(*ShownBlock, current, up);
    if (!place)
        return;
    m_main->document().takeSnapshot();
    dropElement(*ShownBlock, *current, *place->target, place->afterBlock);
    m_main->RefreshAllWindows();
}
