#pragma once

#include "model/designerror.h"
#include "model/struktteile.h"
#include "ui/undohistory.h"

#include <QList>
#include <QMainWindow>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QMdiArea;
class QMenu;
class QToolBar;
class TForm1;
class TForm3;

// TForm2: the main window. It owns the design and its undo history, holds the diagram windows as MDI
// children, carries the menus and the two tool bars, and runs the commands that concern the design as
// a whole (new, load, save, print, export, clipboard, drawing mode, undo).
class TForm2 : public QMainWindow
{
public:
    // Start-up: loads the design file `designFile` (a path in the platform's encoding) or starts a new
    // design; a file that cannot be opened or read is reported, and a new design is started instead.
    explicit TForm2(const std::optional<std::string>& designFile = std::nullopt, QWidget* parent = nullptr);
    ~TForm2() override;

    TBlock* Design() const { return m_design.get(); }
    // The program-wide drawing mode: the check state of Flussdiagramm1.
    bool Flowchart() const;
    // The active diagram window; the whole-design window when no other is active.
    TForm1* ActiveWindow() const;
    // The first diagram window, which shows the whole design; null until the main window is shown.
    TForm1* WholeDesignWindow() const { return m_wholeDesignWindow; }
    // The diagram windows in the order of the frame's child windows.
    QList<TForm1*> DiagramWindows() const;
    QMdiArea* mdiArea() const { return m_mdiArea; }

    // The counting-loop dialog; made on first use unless start-up has installed it.
    TForm3& Form3();
    void setForm3(TForm3* form) { m_form3 = form; }

    // Whether the design has changed since it was created, loaded or saved.
    bool isModified() const { return m_modified; }
    void setModified(bool modified) { m_modified = modified; }

    TUndoHistory& UndoHistory() { return m_undo; }

    // Operations for the diagram windows.
    void RefreshAllWindows();
    void RefreshCaptions();
    void ToggleCollapsedEverywhere(TBlock* block);
    void TakeSnapshot();
    void DropNewestSnapshot();
    // Opens a new diagram window on `block`, captioned with its name, and makes it active.
    TForm1* openBlockWindow(TBlock* block);
    // Takes over what a command removed from the design: released at once unless a diagram window
    // shows a block inside it, else kept until no window does.
    void discardRemoved(std::unique_ptr<TElement> removed);
    // Number of removed parts kept alive for windows that show a block inside them.
    int parkedCount() const { return static_cast<int>(m_parked.size()); }
    // Called by a diagram window as it is destroyed.
    void windowDestroyed(TForm1* window);

    // Command handlers.
    void Neu1Click();
    void Struktogrammladen1Click();
    // True when the design was saved.
    bool Struktogrammspeichern1Click();
    void Drucken2Click();
    void Struktogramm1Click();
    void Flussdiagramm1Click();
    void Blockvergrern1Click();
    void BlockinneuemFensteranzeigen1Click();
    void Programmbeenden1Click();
    void ButtonClick(const QObject* sender);
    void Rckgngig1Click();
    void Exportieren1Click();
    void InZwischenablage1Click();
    void AusZwischenablageeinfgen1Click();

    QMenu* Datei1 = nullptr;
    QMenu* Einfgen1 = nullptr;
    QMenu* Drucken1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QToolBar* ToolBar2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* addItem(QMenu* menu, const char* name, const QString& caption, void (TForm2::*handler)(),
                     const QKeySequence& shortcut = {});
    QAction* addInsertItem(QMenu* menu, const char* name, const QString& caption);
    void addSeparator(QMenu* menu, const char* name);
    void createMenus();
    void createToolBars();
    void setDrawingMode(bool flowchart);
    // A new diagram window keeps its size unless the frame is smaller.
    void fitIntoFrame(TForm1& window) const;
    // Asks "Änderungen speichern?" when the design has changed; false when the command must stop.
    bool maySetDesignAside();
    // Installs `root` as the design: block windows closed, old design released, fresh display state.
    void replaceDesign(std::unique_ptr<TBlock> root);
    void releaseUnshownParked(const TForm1* ignoring);
    void showError(const DesignError& error);

    std::unique_ptr<TBlock> m_design;
    TUndoHistory m_undo;
    // Removed parts of the design that still hold a block some diagram window shows.
    std::vector<std::unique_ptr<TElement>> m_parked;
    QMdiArea* m_mdiArea = nullptr;
    TForm1* m_wholeDesignWindow = nullptr;
    TForm3* m_form3 = nullptr;
    QAction* m_struktogramm1 = nullptr;
    QAction* m_flussdiagramm1 = nullptr;
    bool m_modified = false;
    bool m_destroying = false;
};

// Start-up: gives the application its title, the name the desktop shows for the running program. It is
// the application name, not a display name, which the toolkit would append to every window's caption.
void SetApplicationTitle();
