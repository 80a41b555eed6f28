#pragma once

#include "model/displayoptions.h"
#include "model/printlayout.h"

#include <QMdiSubWindow>

#include <memory>
#include <optional>
#include <string_view>

class QAbstractScrollArea;
class QMenu;
class QPainter;
class QPrinter;
class TCanvas;
class TDiagramArea;
class TForm2;

// TForm1: a diagram window, an MDI child of the main window that shows one block of the design in a
// scrolling area, with its own current element, collapsed blocks and scroll position. Editing (pop-up
// menu, keys, mouse, drag and drop) goes through it; the rules it follows are in model/editing.h.
class TForm1 : public QMdiSubWindow
{
    Q_OBJECT

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
    // Prints the caption and the shown block on `printer`: on one page as laid out when it fits, else
    // shrunk to the page or spread over pages as `mode` says. False when the printer cannot be started.
    std::optional<TPageLayout> PrintStruktogramm(QPrinter& printer, TPageMode mode);
    void ChangeDisplay();
    void ChangeMinimize(TBlock* block);
    void InneuemFensteranzeigen();

    // Editing. `sender` is the object name of the pop-up item, menu item or tool-bar button that asked.
    void Einfuegen(std::string_view sender);
    void Loeschen();
    // The element clipboard (ui/elementcommands.cpp): the current element with everything inside it goes to
    // the clipboard in this program's format and as Java text; a paste puts the clipboard's elements (or
    // Java text from any program, read as the import reads it) where an insertion would go.
    void copyElement();
    void cutElement();
    void pasteElements();
    // What editing a text came to.
    enum class TTextEdit { Changed, Unchanged, Cancelled };
    // Edits the current element's text (a block's: inserts a statement at its start); a text that stays
    // as it was takes no undo step.
    TTextEdit Textbearbeiten();
    void Textbearbeiten1Click();
    void Genauerbestimmen1Click();
    // `key` is the virtual-key code (TKey).
    void FormKeyDown(int key);
    // `buttons` is the button state after the press; `doubleClick` the double-click state.
    void FormMouseDown(Qt::MouseButtons buttons, bool doubleClick, QPoint position);
    // A drag starts once the pointer has moved the platform's drag distance from the press.
    void FormMouseMove(QPoint position);
    void FormMouseUp(QPoint position);
    // Esc: a drag under way ends without a change, and its drop mark goes.
    void cancelDrag();
    // Ctrl+Up, Ctrl+Down: the current element moves one place up or down in its sequence.
    void moveCurrent(bool up);
    // Opens the pop-up menu at `globalPosition` (a right click; it acts on the current element).
    void showPopupMenu(QPoint globalPosition);
    // Shift+F10, the menu key: the pop-up menu at the current element.
    void showPopupAtCurrent();

    // The current element, or null: an element counts only while it still stands in the shown block
    // and is the very element that was marked (not another one at the same address).
    TElement* currentElement() const;
    // Makes `e` the only marked element (null: nothing current).
    void setCurrent(TElement* e);
    // The element under a point of the drawing widget (the hit test of the mouse handlers), at the window's
    // zoom; sets Options->DropAfterBlock.
    TElement* elementAt(QPoint position);
    // Where `e` is drawn, in the drawing widget's coordinates; nothing when it is not drawn.
    std::optional<QRect> elementRect(TElement* e);

    TForm2* mainWindow() const { return m_main; }
    QAbstractScrollArea* scrollArea() const;
    // The scroll area with the window's zoom.
    TDiagramArea* diagramArea() const { return m_area; }
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

signals:
    // The current element may have changed (another one marked, or none).
    void currentChanged();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Asks for a new text of `target` in the dialog of its kind; nothing when the user cancelled.
    std::optional<std::string> askText(const TElement& target);
    void repaintNow();
    // Makes `e` current and repaints this window, unless `e` is null.
    void moveMark(TElement* e);
    void popupInsert();
    // Whether a drag is under way at `position`, starting it when the pointer has gone far enough.
    bool dragUnderWay(QPoint position);

    TForm2* m_main;
    TDiagramArea* m_area;
    QSize m_ranges;
    // Where the button went down on an element that can be dragged, until the drag starts or ends.
    std::optional<QPoint> m_pressedAt;
};
