#pragma once

#include "model/struktteile.h"
#include "model/zoom.h"

#include <QAbstractScrollArea>

class QLabel;
class TForm1;

// TDiagramArea: the scrolling drawing area of a diagram window. It paints through the window and hands
// the mouse, the keys the window acts on and the pop-up request to the window's handlers. It keeps the
// window's zoom: it scales the painting, the scroll ranges and the pointer's position, and shows a
// status line while the zoom is not 100 %. Ctrl and the mouse wheel zoom.
class TDiagramArea : public QAbstractScrollArea
{
public:
    explicit TDiagramArea(TForm1* form);
    TForm1* form() const { return m_form; }

    const TZoom& zoom() const { return m_zoom; }
    // Zooms to `percent` (25 to 400), keeping the point under `anchor` (the area's pixels) where it is.
    void setZoom(int percent, QPoint anchor);
    // One step larger or smaller, or back to 100 %, about the middle of the area.
    void zoomIn();
    void zoomOut();
    void resetZoom();

    // The layout pixel under a point of the area.
    QPoint toLayout(QPoint position) const;
    // What painting takes off the layout coordinates (the scroll position at 100 %).
    QPoint canvasShift() const;
    // Fits the scroll bars to `ranges` (layout pixels) at the zoom and to the area's size.
    void fitScrollBars(QSize ranges);
    // Scrolls so that `drawn`, a rectangle as the last paint drew it while scrolled to `drawnAt`, is centred
    // in a window of `windowSize`, or its top is just below the window's top when it is higher.
    void scrollIntoView(TRect drawn, QPoint drawnAt, QSize windowSize);
    // The area's pixels that a rectangle in layout coordinates (right and bottom edges excluded) covers
    // at the zoom and scroll position.
    QRect toWindow(TRect layout) const;
    // Centres `layout` (a rectangle in layout coordinates) in the area unless it can be seen whole already.
    void keepInView(TRect layout);

protected:
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // Esc, Ctrl+Up, Ctrl+Down, Shift+F10; true when the key was handled.
    bool keyOfItsOwn(const QKeyEvent& event);
    QPoint scrollPosition() const;
    // After the zoom changed from `before`: new ranges, the layout point `kept` back under `anchor`.
    void zoomChanged(QPointF kept, QPoint anchor);
    void showZoomLine();

    TForm1* m_form;
    TZoom m_zoom;
    QLabel* m_zoomLine;
    QSize m_ranges;
};
