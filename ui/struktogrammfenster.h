#pragma once

#include "model/displayoptions.h"

#include <QMdiSubWindow>

#include <memory>
#include <string_view>

class QAbstractScrollArea;
class QMenu;
class QPainter;
class TCanvas;
class TDiagramArea;
class TForm2;

// TForm1: a diagram window, an MDI child of the main window that shows one block of the design in a
// scrolling area, with its own current element, collapsed blocks and scroll position. Editing (pop-up
// menu, keys, mouse, drag and drop) goes through it; the rules it follows are in model/editing.h.
class TForm1 : public QMdiSubWindow
{
public:
    TForm1(TForm2* owner, TBlock* block);
    ~TForm1() override;

    // Shows `block` with a fresh display state; the caption stays.
    void ShowBlock(TBlock* block);
    QString GetBlockName() const;
    // Scroll ranges from the shown block's measured size.
    void AdjustScrollBars();
    // The layout origin of the shown block, in document coordinates.
    TPoint GetDisplayOrigin();
    // Paints the part `area` of the drawing area.
    void FormPaint(QPainter& painter, const QRect& area);
    // Draws the shown block on `canvas` with its layout origin at `origin`.
    void DisplayStruktogramm(TCanvas& canvas, TPoint origin);
    // Prints one page on the printer that `printer` paints on: the caption, then the shown block.
    void PrintStruktogramm(QPainter& printer);
    void ChangeDisplay();
    void ChangeMinimize(TBlock* block);
    void InneuemFensteranzeigen();

    // Editing. `sender` is the object name of the pop-up item, menu item or tool-bar button that asked.
    void Einfuegen(std::string_view sender);
    void Loeschen();
    // Edits the current element's text; true when the user cancelled.
    bool Textbearbeiten();
    void Textbearbeiten1Click();
    void Genauerbestimmen1Click();
    // `key` is the virtual-key code (TKey).
    void FormKeyDown(int key);
    // `buttons` is the button state after the press; `doubleClick` the double-click state.
    void FormMouseDown(Qt::MouseButtons buttons, bool doubleClick, QPoint position);
    void FormMouseMove(QPoint position);
    void FormMouseUp(QPoint position);
    // Opens the pop-up menu at `globalPosition` (a right click; it acts on the current element).
    void showPopupMenu(QPoint globalPosition);

    // The current element, or null: an element counts only while it still stands in the shown block
    // and is the very element that was marked (not another one at the same address).
    TElement* currentElement() const;
    // Makes `e` the only marked element (null: nothing current).
    void setCurrent(TElement* e);
    // The element under a point of the drawing widget (the hit test of the mouse handlers); sets
    // Options->DropAfterBlock.
    TElement* elementAt(QPoint position);

    TForm2* mainWindow() const { return m_main; }
    QAbstractScrollArea* scrollArea() const;
    // The window's own area for pixels (the widget that is painted and gets the mouse and keys).
    QWidget* drawingWidget() const;
    QPoint scrollPosition() const;
    // The scroll ranges as AdjustScrollBars computed them (measured size + 50).
    QSize scrollRanges() const { return m_ranges; }
    // Fits the scroll bars to the ranges and the drawing area's size.
    void applyScrollRanges();

    TBlock* ShownBlock = nullptr;
    std::unique_ptr<TDisplayOptions> Options;
    bool Dragging = false;
    bool FreeOnClose = true;
    QMenu* PopupMenu1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void repaintNow();
    // Makes `e` current and repaints this window, unless `e` is null.
    void moveMark(TElement* e);
    void createPopupMenu();

    TForm2* m_main;
    TDiagramArea* m_area;
    QSize m_ranges;
};
