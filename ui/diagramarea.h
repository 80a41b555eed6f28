#pragma once

#include <QAbstractScrollArea>

class TForm1;

// TDiagramArea: the scrolling drawing area of a diagram window. It paints through the window and hands
// the mouse, the keys the window acts on and the pop-up request to the window's handlers.
class TDiagramArea : public QAbstractScrollArea
{
public:
    explicit TDiagramArea(TForm1* form);
    TForm1* form() const { return m_form; }

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

private:
    // Esc, Ctrl+Up, Ctrl+Down, Shift+F10; true when the key was handled.
    bool keyOfItsOwn(const QKeyEvent& event);

    TForm1* m_form;
};
