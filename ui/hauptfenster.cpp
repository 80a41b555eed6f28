#include "ui/hauptfenster.h"

#include "model/dateiformat.h"
#include "model/javaexport.h"
#include "model/printlayout.h"
#include "model/texts.h"
#include "parser/interpret.h"
#include "runtime/javaprogram.h"
#include "ui/clipboardreader.h"
#include "ui/clipboardtext.h"
#include "ui/commandguard.h"
#include "ui/commandstates.h"
#include "ui/cp1252.h"
#include "ui/diagramaccessible.h"
#include "ui/diagramarea.h"
#include "ui/dialogservice.h"
#include "ui/errortext.h"
#include "ui/foredit.h"
#include "ui/helpwindow.h"
#include "ui/outputcommands.h"
#include "ui/qtcanvas.h"
#include "ui/runcontroller.h"
#include "ui/settings.h"
#include "ui/struktogrammfenster.h"
#include "ui/toolbuttons.h"
#include "ui/uitexts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QStringList>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

namespace {

// `frame` moved (and if need be shrunk) so that it lies within `available`.
QRect fittedInto(QRect frame, const QRect& available)
{
    frame.setSize(frame.size().boundedTo(available.size()));
    frame.moveRight(std::min(frame.right(), available.right()));
    frame.moveBottom(std::min(frame.bottom(), available.bottom()));
    frame.moveLeft(std::max(frame.left(), available.left()));
    frame.moveTop(std::max(frame.top(), available.top()));
    return frame;
}

// Moves (and if need be shrinks) a window that would stand partly off its screen back onto it.
void keepOnScreen(QWidget& window)
{
    if (const QScreen* screen = window.screen())
        window.setGeometry(fittedInto(window.geometry(), screen->availableGeometry()));
}

std::string encodeFileName(const QString& name)
{
    return QFile::encodeName(name).toStdString();
}

// The design file a drop brings: one local file named *.str; empty for anything else.
QString droppedDesign(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1 || !mime->urls().constFirst().isLocalFile())
        return {};
    const QString name = mime->urls().constFirst().toLocalFile();
    return name.endsWith(QLatin1String(".str"), Qt::CaseInsensitive) ? name : QString();
}

} // namespace

void setApplicationTitle()
{
    QApplication::setApplicationName(uitexts::appTitle());
}

TForm2::TForm2(const std::optional<std::string>& designFile, QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setGeometry(448, 260, 860, 470);
    keepOnScreen(*this);
    setContextMenuPolicy(Qt::NoContextMenu);
    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("MdiArea"));
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdiArea);
    createMenus();
    m_outputCommands = std::make_unique<TOutputCommands>(*this);
    m_run = std::make_unique<TRunController>(*this);
    createHelpMenu();
    createToolBars();
    m_run->createToolBar();
    m_statusHint = new QLabel(this);
    m_statusHint->setObjectName(QStringLiteral("StatusHint"));
    statusBar()->addWidget(m_statusHint, 1);
    setAcceptDrops(true);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this] { updateCommandStates(); });

    // Start-up: the design named on the command line, or a new one.
    if (designFile) {
        runCommand(this, [this, &designFile] {
            try {
                m_document.replaceDesign(TLoadedDesign{readDesignFile(*designFile)}, false, *designFile);
                appsettings::addRecentFile(QFile::decodeName(QByteArray::fromStdString(*designFile)));
            } catch (const DesignError& error) {
                if (error.reason() != ErrorReason::CannotOpenFile)
                    throw;
                dialogService().informationMessage(this, errorText(error));
            }
        });
    }
    m_document.setListener(this);
    findChild<QAction*>(QStringLiteral("BDoWhileSchleife"))->setVisible(true);
    findChild<QAction*>(QStringLiteral("DoWhileSchleife"))->setVisible(true);
    documentChanged();
    updateCommandStates();
    restoreSettings();
}

// The window as it was left: its geometry (moved onto the screen), docks and tool bars, and the drawing
// mode's last zoom. Nothing saved, or nothing readable, keeps the window as made above.
void TForm2::restoreSettings()
{
    if (!appsettings::enabled())
        return;
    const QByteArray geometry = appsettings::windowGeometry();
    if (!geometry.isEmpty() && restoreGeometry(geometry))
        keepOnScreen(*this);
    const QByteArray state = appsettings::windowState();
    if (!state.isEmpty())
        restoreState(state);
    m_run->setSpeed(appsettings::runSpeed(m_run->speed()));
}

void TForm2::applySavedZoom()
{
    if (appsettings::enabled() && wholeDesignWindow())
        wholeDesignWindow()->diagramArea()->setZoom(appsettings::zoom(flowchartMode()), QPoint());
}

void TForm2::saveSettings()
{
    if (!appsettings::enabled())
        return;
    appsettings::setWindow(saveGeometry(), saveState());
    appsettings::setRunSpeed(m_run->speed());
    if (wholeDesignWindow())
        appsettings::setZoom(flowchartMode(), wholeDesignWindow()->diagramArea()->zoom().percent());
}

// "Zuletzt geöffnet": the designs opened or saved last, newest first.
void TForm2::updateRecentFiles()
{
    if (!m_recentMenu)
        return;
    m_recentMenu->clear();
    const QStringList files = appsettings::recentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString& file = files[i];
        QAction* item = m_recentMenu->addAction(uitexts::recentFileItem(i + 1, file));
        item->setObjectName(QStringLiteral("Zuletzt%1").arg(i + 1));
        connect(item, &QAction::triggered, this,
                [this, file] { runCommand(this, [&] { openRecentFile(file); }); });
    }
    m_recentMenu->setEnabled(!files.isEmpty());
}

void TForm2::openRecentFile(const QString& file)
{
    if (!QFileInfo::exists(file)) {
        appsettings::removeRecentFile(file);
        updateRecentFiles();
        dialogService().informationMessage(this, uitexts::recentFileMissing(file));
        return;
    }
    if (!maySetDesignAside())
        return;
    loadDesignFile(file);
}

TForm2::~TForm2()
{
    // The windows hold plain pointers into the design and tell the document when they close: they go
    // while the document still exists.
    m_document.setListener(nullptr);
    disconnect(m_mdiArea, nullptr, this, nullptr);
    disconnect(m_mdiArea, nullptr, m_run.get(), nullptr);
    for (TForm1* window : diagramWindows())
        delete window;
}

QAction* TForm2::addItem(QMenu* menu, const char* name, const QString& caption, void (TForm2::*handler)(),
                         const QKeySequence& shortcut)
{
    auto* action = new QAction(caption, this);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    menu->addAction(action);
    connect(action, &QAction::triggered, this,
            [this, handler] { runCommand(this, [&] { (this->*handler)(); }); });
    return action;
}

QAction* TForm2::addInsertItem(QMenu* menu, const char* name, const QString& caption)
{
    auto* action = new QAction(caption, this);
    action->setObjectName(QLatin1String(name));
    menu->addAction(action);
    connect(action, &QAction::triggered, this,
            [this, action] { runCommand(this, [&] { ButtonClick(action); }); });
    setCommandNeed(*action, TCommandNeed::Element);
    return action;
}

void TForm2::addSeparator(QMenu* menu, const char* name)
{
    menu->addSeparator()->setObjectName(QLatin1String(name));
}

void TForm2::createMenus()
{
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));

    // Every caption has a mnemonic letter (Alt+letter), none twice in one menu.
    Datei1 = menuBar()->addMenu(QStringLiteral("&Datei"));
    Datei1->setObjectName(QStringLiteral("Datei1"));
    addItem(Datei1, "Neu1", QStringLiteral("&Neu"), &TForm2::Neu1Click, QKeySequence(Qt::CTRL | Qt::Key_N));
    addSeparator(Datei1, "N2");
    addItem(Datei1, "Struktogrammladen1", QStringLiteral("Flussdiagramm &laden"),
            &TForm2::Struktogrammladen1Click, QKeySequence(Qt::CTRL | Qt::Key_O));
    auto* save = new QAction(QStringLiteral("Flussdiagramm &speichern"), this);
    save->setObjectName(QStringLiteral("Struktogrammspeichern1"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    Datei1->addAction(save);
    connect(save, &QAction::triggered, this,
            [this] { runCommand(this, [this] { Struktogrammspeichern1Click(); }); });
    m_recentMenu = Datei1->addMenu(uitexts::menuRecentFiles());
    m_recentMenu->setObjectName(QStringLiteral("Zuletztgeoeffnet1"));
    m_recentMenu->menuAction()->setObjectName(QStringLiteral("Zuletztgeoeffnet1"));
    updateRecentFiles();
    addSeparator(Datei1, "N11");
    addItem(Datei1, "InZwischenablage1", QStringLiteral("In Zwischenablage &kopieren"),
            &TForm2::InZwischenablage1Click, QKeySequence(Qt::CTRL | Qt::Key_C));
    addItem(Datei1, "AusZwischenablageeinfgen1", QStringLiteral("Aus Zwischenablage &einfügen"),
            &TForm2::AusZwischenablageeinfgen1Click, QKeySequence(Qt::CTRL | Qt::Key_Insert));
    addSeparator(Datei1, "N5");
    addItem(Datei1, "Exportieren1", QStringLiteral("E&xportieren"), &TForm2::Exportieren1Click);
    addItem(Datei1, "AlsJavaProgramm1", QStringLiteral("Als &Java-Programm exportieren …"),
            &TForm2::exportJavaProgram);
    addItem(Datei1, "Drucken2", QStringLiteral("&Drucken"), &TForm2::Drucken2Click,
            QKeySequence(Qt::CTRL | Qt::Key_P));
    addSeparator(Datei1, "N1");
    addItem(Datei1, "Programmbeenden1", QStringLiteral("Programm &beenden"), &TForm2::Programmbeenden1Click);

    Einfgen1 = menuBar()->addMenu(QStringLiteral("&Bearbeiten"));
    Einfgen1->setObjectName(QStringLiteral("Einfgen1"));
    m_rckgngig1 = addItem(Einfgen1, "Rckgngig1", QStringLiteral("&Rückgängig"), &TForm2::Rckgngig1Click,
                          QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_wiederherstellen1 = addItem(Einfgen1, "Wiederherstellen1", QStringLiteral("&Wiederherstellen"),
                                  &TForm2::Wiederherstellen1Click, QKeySequence(Qt::CTRL | Qt::Key_Y));
    m_wiederherstellen1->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    // The element clipboard acts in the active diagram window; Ctrl+C keeps copying the whole program.
    addSeparator(Einfgen1, "NElemente");
    const auto addElementItem = [this](const char* name, const QString& caption, void (TForm1::*handler)(),
                                       const QKeySequence& shortcut) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(shortcut);
        Einfgen1->addAction(action);
        connect(action, &QAction::triggered, this, [this, handler] {
            runCommand(this, [&] {
                if (TForm1* window = ActiveWindow())
                    (window->*handler)();
            });
        });
        setCommandNeed(*action, TCommandNeed::Element);
    };
    addElementItem("Ausschneiden1", QStringLiteral("Aus&schneiden"), &TForm1::cutElement,
                   QKeySequence(Qt::CTRL | Qt::Key_X));
    addElementItem("Elementkopieren1", QStringLiteral("Element &kopieren"), &TForm1::copyElement,
                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    addElementItem("Elementeinfgen1", QStringLiteral("Element einf&ügen"), &TForm1::pasteElements,
                   QKeySequence(Qt::CTRL | Qt::Key_V));
    addSeparator(Einfgen1, "N4");
    addInsertItem(Einfgen1, "Anweisung", QStringLiteral("&Anweisung einfügen"));
    addInsertItem(Einfgen1, "IfAnweisung", QStringLiteral("&Entscheidung einfügen"));
    addSeparator(Einfgen1, "N3");
    addInsertItem(Einfgen1, "WhileSchleife", QStringLiteral("Schleife (Test &vorher)"));
    addInsertItem(Einfgen1, "RepeatUntilSchleife", QStringLiteral("Schleife (Tes&t danach)"))
        ->setVisible(false);
    addInsertItem(Einfgen1, "DoWhileSchleife", QStringLiteral("Schleife (Test &danach)"))->setVisible(false);
    addInsertItem(Einfgen1, "ForSchleife", QStringLiteral("&Zählschleife einfügen"));

    Drucken1 = menuBar()->addMenu(QStringLiteral("&Ansicht"));
    Drucken1->setObjectName(QStringLiteral("Drucken1"));
    setCommandNeed(*addItem(Drucken1, "Blockvergrern1", QStringLiteral("&Block vergrößern/verkleinern"),
                            &TForm2::Blockvergrern1Click),
                   TCommandNeed::Block);
    setCommandNeed(*addItem(Drucken1, "BlockinneuemFensteranzeigen1",
                            QStringLiteral("Block in &neuem Fenster anzeigen"),
                            &TForm2::BlockinneuemFensteranzeigen1Click),
                   TCommandNeed::Block);
    addSeparator(Drucken1, "N6");
    m_struktogramm1 =
        addItem(Drucken1, "Struktogramm1", QStringLiteral("&Struktogramm"), &TForm2::Struktogramm1Click);
    m_struktogramm1->setCheckable(true);
    m_struktogramm1->setChecked(true);
    m_flussdiagramm1 =
        addItem(Drucken1, "Flussdiagramm1", QStringLiteral("&Flussdiagramm"), &TForm2::Flussdiagramm1Click);
    m_flussdiagramm1->setCheckable(true);
    m_flussdiagramm1->setChecked(false);
}

void TForm2::createToolBars()
{
    struct Button
    {
        const char* name;
        Kind kind;
        int width;
        QString hint;
    };
    const Button buttons[] = {
        {"BAnweisung", Kind::Anweisung, 81, QStringLiteral("Anweisung")},
        {"BIfAnweisung", Kind::If, 75, QStringLiteral("Entscheidung")},
        {"BWhileSchleife", Kind::While, 75, QStringLiteral("Schleife (Test vorher)")},
        {"BForSchleife", Kind::For, 75, QStringLiteral("Zählschleife")},
        {"BDoWhileSchleife", Kind::DoWhile, 75, QStringLiteral("Schleife (Test hinterher)")},
        {"BRepeatUntilSchleife", Kind::Repeat, 75, QStringLiteral("Schleife (Test hinterher)")},
    };
    auto makeBar = [this](const char* name) {
        auto* bar = new QToolBar(this);
        bar->setObjectName(QLatin1String(name));
        bar->setMovable(false);
        bar->setFloatable(false);
        bar->setIconSize(QSize(50, 25));
        bar->setFixedHeight(35);
        bar->setContextMenuPolicy(Qt::PreventContextMenu);
        bar->toggleViewAction()->setVisible(false);
        addToolBar(Qt::TopToolBarArea, bar);
        return bar;
    };
    ToolBar1 = makeBar("ToolBar1");
    ToolBar2 = makeBar("ToolBar2");
    // ToolBar2 (structogram symbols) has no repeat-until button; ToolBar1 (flowchart symbols) has it hidden.
    for (int flowchart = 0; flowchart <= 1; ++flowchart) {
        QToolBar* bar = flowchart ? ToolBar1 : ToolBar2;
        for (const Button& b : buttons) {
            if (!flowchart && b.kind == Kind::Repeat)
                continue;
            QString name = QLatin1String(b.name);
            if (!flowchart)
                name += QLatin1Char('2');
            auto* action = new QAction(toolButtonPicture(b.kind, flowchart != 0), b.hint, this);
            action->setObjectName(name);
            action->setToolTip(b.hint);
            bar->addAction(action);
            if (QWidget* button = bar->widgetForAction(action)) {
                button->setObjectName(name);
                button->setFixedSize(b.width, 31);
            }
            connect(action, &QAction::triggered, this,
                    [this, action] { runCommand(this, [&] { ButtonClick(action); }); });
            setCommandNeed(*action, TCommandNeed::Element);
            if (flowchart && (b.kind == Kind::DoWhile || b.kind == Kind::Repeat))
                action->setVisible(false);
        }
    }
    ToolBar1->setVisible(false);
}

// "Hilfe" after every other menu: the manual (F1, which also works in dialogs) and the "Über" box.
void TForm2::createHelpMenu()
{
    QMenu* help = menuBar()->addMenu(uitexts::menuHelp());
    help->setObjectName(QStringLiteral("Hilfe1"));
    auto* manual = new QAction(uitexts::menuManual(), this);
    help->addAction(manual);
    manual->setObjectName(QStringLiteral("Handbuch1"));
    manual->setShortcut(QKeySequence(Qt::Key_F1));
    // The application-wide F1 key opens the manual; the shortcut is shown in the menu only.
    manual->setShortcutContext(Qt::WidgetShortcut);
    connect(manual, &QAction::triggered, this, [this] { showManual(this); });
    auto* about = new QAction(uitexts::menuAbout(), this);
    help->addAction(about);
    about->setObjectName(QStringLiteral("Ueber1"));
    connect(about, &QAction::triggered, this, [this] { showAbout(this); });
    installHelpKey();
}

bool TForm2::flowchartMode() const
{
    return m_flussdiagramm1->isChecked();
}

TForm1* TForm2::ActiveWindow() const
{
    if (auto* window = dynamic_cast<TForm1*>(m_mdiArea->currentSubWindow()))
        return window;
    return m_wholeDesignWindow;
}

TForm1* TForm2::wholeDesignWindow() const
{
    return m_wholeDesignWindow;
}

QList<TForm1*> TForm2::diagramWindows() const
{
    QList<TForm1*> windows;
    for (QMdiSubWindow* child : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (auto* window = dynamic_cast<TForm1*>(child))
            windows.append(window);
    }
    return windows;
}

void TForm2::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_wholeDesignWindow)
        return;
    auto* window = new TForm1(this, Design());
    m_wholeDesignWindow = window;
    window->FreeOnClose = false;
    addDiagramWindow(*window);
    applySavedZoom(); // the window is made only now
    RefreshCaptions();
    updateCommandStates();
}

void TForm2::addDiagramWindow(TForm1& window)
{
    m_run->windowAdded(window);
    connect(&window, &TForm1::currentChanged, this, &TForm2::updateCommandStates);
    fitIntoFrame(window);
    m_mdiArea->addSubWindow(&window);
    window.show();
}

void TForm2::closeEvent(QCloseEvent* event)
{
    bool mayClose = false;
    runCommand(this, [this, &mayClose] { mayClose = maySetDesignAside(); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    saveSettings();
    QMainWindow::closeEvent(event);
}

// ---- operations for the diagram windows ----

void TForm2::RefreshAllWindows()
{
    for (TForm1* window : diagramWindows()) {
        window->drawingWidget()->repaint();
        window->AdjustScrollBars();
        diagramTreeChanged(*window);
    }
    updateCommandStates(); // a change in one window may have removed another's current element
}

void TForm2::RefreshCaptions()
{
    for (TForm1* window : diagramWindows())
        window->setWindowTitle(window->GetBlockName());
}

void TForm2::ToggleCollapsedEverywhere(TBlock* block)
{
    for (TForm1* window : diagramWindows())
        window->ChangeMinimize(block);
}

TForm1* TForm2::openBlockWindow(TBlock* block)
{
    auto* window = new TForm1(this, block);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(fromCp1252(block->Text));
    addDiagramWindow(*window);
    m_mdiArea->setActiveSubWindow(window);
    return window;
}

void TForm2::fitIntoFrame(TForm1& window) const
{
    window.resize(window.size().boundedTo(m_mdiArea->viewport()->size()));
}

void TForm2::fitWindowsIntoFrame()
{
    // Docks just shown or resized take their room only once the layout has run.
    layout()->activate();
    const QRect area = m_mdiArea->viewport()->rect();
    for (TForm1* window : diagramWindows()) {
        if (!window->isMinimized() && !window->isMaximized() && !area.contains(window->geometry()))
            window->setGeometry(fittedInto(window->geometry(), area));
    }
}

// ---- replacing the design ----

bool TForm2::maySetDesignAside()
{
    if (!m_document.isModified())
        return true;
    switch (dialogService().askSaveChanges(this)) {
    case SaveChoice::Ja:
        return Struktogrammspeichern1Click();
    case SaveChoice::Nein:
        return true;
    case SaveChoice::Abbrechen:
        break;
    }
    return false;
}

void TForm2::designReplacing(bool historyStep)
{
    m_run->designReplacing(historyStep);
    for (TForm1* window : diagramWindows()) {
        if (window != m_wholeDesignWindow)
            delete window;
    }
}

void TForm2::designReplaced(TBlock& root)
{
    // The window takes the new root in any case; only measuring and repainting it may run out of memory,
    // which must not stop the replacement half-way.
    if (m_wholeDesignWindow)
        runCommand(this, [this, &root] { m_wholeDesignWindow->ShowBlock(&root); });
    m_run->designReplaced(root);
}

void TForm2::documentChanged()
{
    m_run->documentChanged();
    updateCaption();
    m_rckgngig1->setEnabled(m_document.canUndo());
    m_wiederherstellen1->setEnabled(m_document.canRedo());
}

void TForm2::updateCaption()
{
    const std::string& file = m_document.fileName();
    const QString name =
        file.empty() ? QString() : QFileInfo(QFile::decodeName(QByteArray::fromStdString(file))).fileName();
    setWindowTitle(uitexts::mainCaption(name, m_document.isModified(), flowchartMode()));
}

void TForm2::updateCommandStates()
{
    const TForm1* window = ActiveWindow();
    const TElement* current = window ? window->currentElement() : nullptr;
    enableCommandsFor(findChildren<QAction*>(Qt::FindDirectChildrenOnly), current);
    m_statusHint->setText(current ? QString() : uitexts::clickAnElementFirst());
}

void TForm2::showError(const DesignError& error)
{
    dialogService().errorMessage(this, errorText(error));
}

void TForm2::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedDesign(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TForm2::dropEvent(QDropEvent* event)
{
    const QString name = droppedDesign(event->mimeData());
    if (name.isEmpty())
        return;
    event->acceptProposedAction();
    // The question and the reading come after the drop has ended: the program the file came from waits
    // for its end.
    QMetaObject::invokeMethod(
        this, [this, name] { runCommand(this, [&] { openDroppedFile(name); }); }, Qt::QueuedConnection);
}

void TForm2::openDroppedFile(const QString& name)
{
    if (!maySetDesignAside())
        return;
    loadDesignFile(name);
}

void TForm2::loadDesignFile(const QString& name)
{
    const std::string file = encodeFileName(name);
    std::unique_ptr<TBlock> root;
    try {
        root = readDesignFile(file);
    } catch (const DesignError& error) {
        showError(error);
        return;
    }
    m_document.replaceDesign(TLoadedDesign{std::move(root)}, false, file);
    appsettings::addRecentFile(name);
    updateRecentFiles();
}

// ---- commands ----

void TForm2::Neu1Click()
{
    if (!maySetDesignAside())
        return;
    m_document.replaceDesign(newDesign(), false);
}

void TForm2::Struktogrammladen1Click()
{
    if (!maySetDesignAside())
        return;
    const QString name = dialogService().openFileName(this, uitexts::filterDesigns());
    if (name.isEmpty())
        return;
    loadDesignFile(name);
}

bool TForm2::Struktogrammspeichern1Click()
{
    // The dialog proposes the file the design came from or was last saved to.
    const QString current = QFile::decodeName(QByteArray::fromStdString(m_document.fileName()));
    const QString name =
        dialogService().saveFileName(this, uitexts::filterDesigns(), QStringLiteral("str"), current);
    if (name.isEmpty())
        return false;
    try {
        writeDesignFile(encodeFileName(name), *Design());
    } catch (const DesignError& error) {
        showError(error);
        return false;
    }
    m_document.markSaved(encodeFileName(name));
    appsettings::addRecentFile(name);
    updateRecentFiles();
    return true;
}

void TForm2::Drucken2Click()
{
    TForm1* window = ActiveWindow();
    if (!window)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(window->windowTitle());
    if (!dialogService().printDialog(this, printer))
        return;
    printer.setDocName(window->windowTitle());
    // Without the preview's choice a block too large for the page is shrunk to fit it, as the preview
    // does by default: the command never cuts a design off.
    if (!window->PrintStruktogramm(printer, TPageMode::ShrinkToFit))
        dialogService().errorMessage(this, uitexts::cannotPrint());
}

void TForm2::setDrawingMode(bool flowchart)
{
    if (flowchart != flowchartMode() && appsettings::enabled() && wholeDesignWindow())
        appsettings::setZoom(flowchartMode(), wholeDesignWindow()->diagramArea()->zoom().percent());
    const bool changes = flowchart != flowchartMode();
    m_struktogramm1->setChecked(!flowchart);
    m_flussdiagramm1->setChecked(flowchart);
    ToolBar1->setVisible(flowchart);
    ToolBar2->setVisible(!flowchart);
    updateCaption();
    if (changes)
        applySavedZoom();
    RefreshAllWindows();
}

void TForm2::Struktogramm1Click()
{
    setDrawingMode(false);
}

void TForm2::Flussdiagramm1Click()
{
    setDrawingMode(true);
}

void TForm2::Blockvergrern1Click()
{
    if (TForm1* window = ActiveWindow())
        window->ChangeDisplay();
}

void TForm2::BlockinneuemFensteranzeigen1Click()
{
    if (TForm1* window = ActiveWindow())
        window->InneuemFensteranzeigen();
}

void TForm2::Programmbeenden1Click()
{
    close();
}

void TForm2::ButtonClick(const QObject* sender)
{
    if (TForm1* window = ActiveWindow())
        window->Einfuegen(sender->objectName().toStdString());
}

void TForm2::Rckgngig1Click()
{
    m_document.undo();
}

void TForm2::Wiederherstellen1Click()
{
    m_document.redo();
}

void TForm2::Exportieren1Click()
{
    const QString name =
        dialogService().saveFileName(this, uitexts::filterJava(), QStringLiteral("java"), QString());
    if (name.isEmpty())
        return;
    try {
        TSafeFileWriter file(encodeFileName(name));
        exportJava(file, *Design(), false);
        file.commit();
    } catch (const DesignError& error) {
        showError(error);
    }
}

// The design as a class with main that javac compiles; a design the run would refuse is refused here with
// the same messages.
void TForm2::exportJavaProgram()
{
    const runtime::CheckResult checked = runtime::Check(*Design());
    if (!checked.program) {
        QStringList problems;
        for (const runtime::Problem& problem : checked.problems)
            problems << fromCp1252(problem.message);
        dialogService().errorMessage(this, uitexts::notAProgram(problems));
        return;
    }
    // The dialog proposes the design's own name as a .java file beside it.
    const QString design = QFile::decodeName(QByteArray::fromStdString(m_document.fileName()));
    const QString proposed = design.isEmpty()
                                 ? QString()
                                 : QFileInfo(design).path() + QLatin1Char('/') +
                                       QFileInfo(design).completeBaseName() + QStringLiteral(".java");
    const QString name =
        dialogService().saveFileName(this, uitexts::filterJava(), QStringLiteral("java"), proposed);
    if (name.isEmpty())
        return;
    const std::string stem = QFileInfo(name).completeBaseName().toUtf8().toStdString();
    const std::string className = runtime::javaClassName(stem);
    try {
        TSafeFileWriter file(encodeFileName(name));
        file += runtime::javaProgram(*Design(), checked, className, className == stem);
        file.commit();
    } catch (const DesignError& error) {
        showError(error);
    }
}

void TForm2::InZwischenablage1Click()
{
    QString text;
    try {
        text = fromCp1252(clipboardJavaText(*Design()));
    } catch (const DesignError& error) {
        showError(error);
        return;
    }
    putTextOnClipboard(text);
}

// How long the status line says what a paste left out: long enough to be read after a glance at the
// new design.
constexpr int kImportNoticeMs = 20000;

void TForm2::AusZwischenablageeinfgen1Click()
{
    if (!maySetDesignAside())
        return;
    // The clipboard's text is Unicode: it goes to the import as UTF-8, which the import reads as such.
    const std::string text = clipboardTextUtf8();
    TImportedText imported;
    try {
        imported = importJava(text);
    } catch (const DesignError& error) {
        showError(error);
        return;
    }
    // A pasted design is in no file yet.
    const bool empty = !imported.root->FirstChild;
    m_document.replaceDesign(std::move(imported.root), !empty);
    const QString notice = uitexts::importNotice(imported.commentsLeftOut, imported.charactersReplaced);
    if (!notice.isEmpty())
        statusBar()->showMessage(notice, kImportNoticeMs);
}
