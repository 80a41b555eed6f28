#pragma once

#include "model/designerror.h"
#include "model/document.h"
#include "model/struktteile.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <memory>
#include <optional>
#include <string>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;
class TForm1;
class TOutputCommands;
class TRunController;

// TForm2: the main window. It owns the design as a document (with its undo history), holds the diagram
// windows as MDI children, carries the menus and the two tool bars, and runs the commands that concern
// the design as a whole (new, load, save, print, export, clipboard, drawing mode, undo).
class TForm2 : public QMainWindow, private TDocumentListener
{
    Q_OBJECT

public:
    // Start-up: loads the design file `designFile` (a path in the platform's encoding) or starts a new
    // design; a file that cannot be opened or read is reported, and a new design is started instead.
    explicit TForm2(const std::optional<std::string>& designFile = std::nullopt, QWidget* parent = nullptr);
    ~TForm2() override;

    TDesignDocument& document() { return m_document; }
    TBlock* Design() const { return &m_document.root(); }
    // The program-wide drawing mode: the check state of Flussdiagramm1.
    bool flowchartMode() const;
    // The active diagram window; the whole-design window when no other is active.
    TForm1* ActiveWindow() const;
    // The first diagram window, which shows the whole design; null until the main window is shown.
    TForm1* wholeDesignWindow() const;
    // The diagram windows in the order of the frame's child windows.
    QList<TForm1*> diagramWindows() const;
    QMdiArea* mdiArea() const { return m_mdiArea; }
    // Running the design: the menu "Ausführen", the Java view, the variables and the console.
    TRunController& runController() const { return *m_run; }

    // Operations for the diagram windows.
    void RefreshAllWindows();
    void RefreshCaptions();
    void ToggleCollapsedEverywhere(TBlock* block);
    // Opens a new diagram window on `block`, captioned with its name, and makes it active.
    TForm1* openBlockWindow(TBlock* block);
    // Diagram windows that reach past the frame's area are moved and shrunk into it, so that their own
    // scroll bars reach all of them: called when docks take room from the frame.
    void fitWindowsIntoFrame();

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
    void Wiederherstellen1Click();
    void Exportieren1Click();
    void exportJavaProgram();
    void InZwischenablage1Click();
    void AusZwischenablageeinfgen1Click();

    QMenu* Datei1 = nullptr;
    QMenu* Einfgen1 = nullptr;
    QMenu* Drucken1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QToolBar* ToolBar2 = nullptr;

    // A design file to open as "Flussdiagramm laden" opens the chosen one (a dropped file).
    void openDroppedFile(const QString& name);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // When the design is replaced: block windows close, the whole-design window shows the new root.
    void designReplacing(bool historyStep) override;
    void designReplaced(TBlock& root) override;
    // The caption and the undo and redo items follow the document.
    void documentChanged() override;
    // Greys out what needs a current element while the active window has none, and says so.
    void updateCommandStates();
    void updateCaption();
    // Reads the design file `name` and installs it; a file that cannot be read is reported.
    void loadDesignFile(const QString& name);
    // Adds a diagram window to the frame.
    void addDiagramWindow(TForm1& window);

    QAction* addItem(QMenu* menu, const char* name, const QString& caption, void (TForm2::*handler)(),
                     const QKeySequence& shortcut = {});
    QAction* addInsertItem(QMenu* menu, const char* name, const QString& caption);
    void addSeparator(QMenu* menu, const char* name);
    void createMenus();
    void createToolBars();
    void createHelpMenu();
    // What the editor keeps between starts (ui/settings.h), and "Zuletzt geöffnet".
    void restoreSettings();
    void saveSettings();
    void applySavedZoom();
    void updateRecentFiles();
    void openRecentFile(const QString& file);
    void setDrawingMode(bool flowchart);
    // A new diagram window keeps its size unless the frame is smaller.
    void fitIntoFrame(TForm1& window) const;
    // Asks "Änderungen speichern?" when the design has changed; false when the command must stop.
    bool maySetDesignAside();
    void showError(const DesignError& error);

    TDesignDocument m_document;
    QMdiArea* m_mdiArea = nullptr;
    QMenu* m_recentMenu = nullptr;
    QPointer<TForm1> m_wholeDesignWindow;
    QAction* m_struktogramm1 = nullptr;
    QAction* m_flussdiagramm1 = nullptr;
    QAction* m_rckgngig1 = nullptr;
    QAction* m_wiederherstellen1 = nullptr;
    QLabel* m_statusHint = nullptr;
    // The print preview, the picture commands and the zoom, after the design's items of the menus.
    std::unique_ptr<TOutputCommands> m_outputCommands;
    std::unique_ptr<TRunController> m_run;
};

// Start-up: gives the application its title, the name the desktop shows for the running program. It is
// the application name, not a display name, which the toolkit would append to every window's caption.
void setApplicationTitle();
