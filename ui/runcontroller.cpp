#include "ui/runcontroller.h"

#include "model/diagramview.h"
#include "model/document.h"
#include "ui/commandguard.h"
#include "ui/consoleview.h"
#include "ui/cp1252.h"
#include "ui/diagramarea.h"
#include "ui/dialogservice.h"
#include "ui/hauptfenster.h"
#include "ui/javaview.h"
#include "ui/qtcanvas.h"
#include "ui/struktogrammfenster.h"
#include "ui/traceview.h"
#include "ui/uitexts.h"
#include "ui/variablesview.h"

#include <QDockWidget>
#include <QLabel>
#include <QMdiArea>
#include <QStatusBar>

#include <chrono>
#include <limits>

namespace {

// At full speed: the longest slice of steps between two looks at the user's input, and the shortest time
// between two repaints of where the run stands.
constexpr auto kSlice = std::chrono::milliseconds(20);
constexpr qint64 kShowEveryMs = 80;
// The input box shows at most this many lines of what the program wrote before it reads.
constexpr int kQuestionLines = 5;

// An element's text as the status line quotes it.
QString quotedText(const TElement* e)
{
    return e ? fromCp1252(e->Text).left(60) : QString();
}

} // namespace

// The program's output goes to the console, which comes to the front when a run first writes.
class TRunController::Output final : public runtime::OutputSink
{
public:
    explicit Output(TRunController& controller) : m_controller(controller) {}
    void write(std::string_view text) override
    {
        if (!m_controller.m_consoleOpened)
            m_controller.openConsole();
        m_controller.m_console->write(text);
    }

private:
    TRunController& m_controller;
};

// Input comes from the console: a line typed ahead, else the console waits for one. The console comes to
// the front when a run first reads; when the user has closed it, a small dialog asks instead, with what
// the program wrote since it last read above the field, and its "Abbrechen" ends the run.
class TRunController::Input final : public runtime::InputSource
{
public:
    explicit Input(TRunController& controller) : m_controller(controller) {}
    Status read(std::string& text) override
    {
        TRunController& c = m_controller;
        TConsoleView& console = *c.m_console;
        if (!c.m_consoleOpened)
            c.openConsole();
        console.flush();
        QString line;
        if (!console.takeLine(line)) {
            const runtime::ElementId asking = c.m_session.next();
            const QString element = quotedText(asking.element);
            // The windows, the Java view, the variables and the status show the step that waits.
            c.m_waitingForInput = true;
            c.showRun(true);
            bool answered = false;
            if (c.m_consoleDock->toggleViewAction()->isChecked()) {
                c.m_consoleDock->raise();
                answered = console.waitForLine(line, uitexts::consoleWaiting(element));
            } else {
                QString prompt = uitexts::inputPrompt(element);
                if (const QString question = console.lastOutput(kQuestionLines);
                    !question.trimmed().isEmpty())
                    prompt = question + QLatin1Char('\n') + prompt;
                const std::optional<QString> answer =
                    dialogService().inputBox(&c.m_main, uitexts::inputCaption(), prompt, QString());
                if (answer) {
                    line = *answer;
                    console.echoInput(line);
                    answered = true;
                }
            }
            c.m_waitingForInput = false;
            if (!answered)
                return Status::Cancelled;
            c.updateStatus();
        }
        text = line.toStdString() + "\n";
        return Status::Text;
    }

private:
    TRunController& m_controller;
};

TRunController::TRunController(TForm2& main)
    : m_main(main), m_document(main.document()), m_output(std::make_unique<Output>(*this)),
      m_input(std::make_unique<Input>(*this)),
      m_session(*m_output, *m_input, runtime::environmentNumberSymbols())
{
    const auto makeDock = [&main](const char* name, const QString& title, QWidget* content,
                                  Qt::DockWidgetArea area) {
        auto* dock = new QDockWidget(title, &main);
        dock->setObjectName(QLatin1String(name));
        dock->setWidget(content);
        main.addDockWidget(area, dock);
        return dock;
    };
    m_javaView = new TJavaView(m_document);
    m_variables = new TVariablesView;
    m_console = new TConsoleView;
    m_trace = new TTraceView;
    m_javaDock = makeDock("JavaAnsicht", uitexts::javaViewTitle(), m_javaView, Qt::RightDockWidgetArea);
    m_variablesDock = makeDock("Variablen", uitexts::variablesTitle(), m_variables, Qt::RightDockWidgetArea);
    m_consoleDock = makeDock("Konsole", uitexts::consoleTitle(), m_console, Qt::BottomDockWidgetArea);
    m_traceDock = makeDock("Ablaufprotokoll", uitexts::traceTitle(), m_trace, Qt::BottomDockWidgetArea);
    m_main.tabifyDockWidget(m_consoleDock, m_traceDock);
    m_main.resizeDocks({m_javaDock}, {300}, Qt::Horizontal);
    m_variablesDock->hide();
    m_consoleDock->hide();
    m_traceDock->hide();
    m_status = new QLabel(&main);
    m_status->setObjectName(QStringLiteral("RunStatus"));
    main.statusBar()->addPermanentWidget(m_status);
    m_commands = std::make_unique<TRunCommands>(
        main, *this, QList<QDockWidget*>{m_javaDock, m_variablesDock, m_consoleDock, m_traceDock});

    m_seenEdits = m_document.edits();
    connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
    m_timer.setSingleShot(true);
    connect(m_javaView, &TJavaView::textRebuilt, this,
            [this] { runCommand(&m_main, [&] { updateJavaView(false); }); });
    connect(m_javaView, &TJavaView::lineClicked, this,
            [this](int line) { runCommand(&m_main, [&] { javaLineClicked(line); }); });
    connect(m_console, &TConsoleView::problemClicked, this, [this](int index) {
        runCommand(&m_main, [&] {
            if (index >= 0 && static_cast<std::size_t>(index) < m_problemElements.size())
                makeCurrent(*m_problemElements[static_cast<std::size_t>(index)].element);
        });
    });
    connect(m_variablesDock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible)
            runCommand(&m_main, [&] { updateVariables(); });
    });
    connect(m_traceDock->toggleViewAction(), &QAction::toggled, this, [this] { updateTraceRecording(); });
    connect(m_traceDock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        m_traceInFront = visible;
        updateTraceRecording();
        if (visible)
            runCommand(&m_main, [&] { updateTrace(); });
    });
    connect(m_trace, &TTraceView::elementChosen, this, [this](const runtime::ElementId& element) {
        runCommand(&m_main, [&] {
            // The table is dropped with every change of the design, so its elements live.
            if (element && element.element->serial() == element.serial)
                makeCurrent(*element.element);
        });
    });
    connect(m_javaDock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible)
            runCommand(&m_main, [&] { updateJavaView(false); });
    });
    connect(main.mdiArea(), &QMdiArea::subWindowActivated, this,
            [this] { runCommand(&m_main, [&] { showCurrentInJava(true); }); });
}

TRunController::~TRunController()
{
    m_timer.stop();
    // The view outlives the session, whose table it shows.
    m_trace->showTable(nullptr);
    m_console->cancelWait();
}

void TRunController::openConsole()
{
    // The first run has shown the console; once the user has closed it, it stays closed.
    m_consoleOpened = true;
    if (m_consoleDock->toggleViewAction()->isChecked())
        m_consoleDock->raise();
}

// ---- the commands ----

bool TRunController::begin(bool running)
{
    m_timer.stop();
    m_console->clear();
    if (!m_docksShown) {
        m_docksShown = true;
        m_consoleDock->show();
        m_variablesDock->show();
        // The trace table waits behind the console's tab, filled from the first step on.
        m_traceDock->show();
        m_consoleDock->raise();
        m_main.resizeDocks({m_consoleDock}, {140}, Qt::Vertical);
        // A diagram window's lower part would lie hidden under the console, where a running element
        // could not be scrolled into sight.
        m_main.fitWindowsIntoFrame();
    }
    m_trace->showTable(nullptr);
    updateTraceRecording();
    const std::vector<runtime::Problem> problems = m_session.start(m_document.root(), running);
    m_reported = false;
    m_highlight = false;
    m_consoleOpened = false;
    m_problemElements.clear();
    if (problems.empty())
        return true;
    m_reported = true;
    // Every problem is listed, and its element marked in every window and in the Java view; a click on
    // a listed problem makes its element current.
    m_console->message(uitexts::runProblemsHeading(), true);
    for (const runtime::Problem& problem : problems) {
        m_console->problem(QStringLiteral("• ") + fromCp1252(problem.message),
                           static_cast<int>(m_problemElements.size()));
        m_problemElements.push_back(problem.element);
    }
    m_consoleDock->show();
    showRun(false);
    m_status->setText(uitexts::runCannotStart(static_cast<int>(problems.size())));
    return false;
}

void TRunController::start()
{
    switch (m_session.state()) {
    case runtime::SessionState::Running:
        return;
    case runtime::SessionState::Paused:
        m_session.resume();
        break;
    default:
        if (!begin(true))
            return;
        break;
    }
    showRun(false);
    scheduleTick();
}

void TRunController::singleStep()
{
    m_timer.stop();
    if (!m_session.active()) {
        if (begin(false))
            showRun(true);
        return;
    }
    m_session.step();
    showAfterSteps(true);
}

void TRunController::pause()
{
    m_timer.stop();
    m_session.pause();
    showRun(true);
}

void TRunController::stop()
{
    m_timer.stop();
    m_session.stop();
    m_console->cancelWait();
    showRun(true);
}

void TRunController::toggleBreakpoint()
{
    TForm1* window = m_main.ActiveWindow();
    TElement* current = window ? window->currentElement() : nullptr;
    if (!current)
        return;
    if (current->isBlock()) {
        m_status->setText(uitexts::breakpointNeedsStep());
        return;
    }
    m_session.toggleBreakpoint(runtime::ElementId{current, current->serial()});
    m_breakpointElements.add(*current);
    updateMarks();
    repaintWindows();
    updateJavaView(false);
}

void TRunController::setSpeed(int stepsPerSecond)
{
    m_speed = stepsPerSecond;
    updateTraceRecording();
    m_commands->showSpeed(stepsPerSecond);
    if (m_timer.isActive())
        scheduleTick();
}

// ---- running ----

void TRunController::scheduleTick()
{
    m_timer.start(m_speed > 0 ? 1000 / m_speed : 0);
}

void TRunController::tick()
{
    if (m_session.state() != runtime::SessionState::Running)
        return;
    const bool fast = m_speed == 0;
    bool done = false;
    runCommand(&m_main, [&] {
        // The timer waits while the steps run: a step that asks for input runs the dialog's event loop.
        m_session.advance(fast ? std::numeric_limits<std::uint64_t>::max() : 1,
                          std::chrono::steady_clock::now() + kSlice);
        const bool running = m_session.state() == runtime::SessionState::Running;
        if (failedForMemory() || !fast || !running || m_sinceShown.elapsed() >= kShowEveryMs)
            showAfterSteps(!fast || !running);
        done = true;
    });
    if (!done) {
        // Even the run's failure could not be shown: it ends, rather than report the shortage again at
        // every slice.
        m_timer.stop();
        runCommand(&m_main, [&] {
            m_session.failForMemory();
            showFailureForMemory();
        });
        return;
    }
    if (m_session.state() == runtime::SessionState::Running)
        scheduleTick();
}

bool TRunController::failedForMemory() const
{
    const runtime::RunError* error = m_session.error();
    return error && error->outOfMemory;
}

void TRunController::showAfterSteps(bool follow)
{
    try {
        if (!failedForMemory()) {
            showRun(follow);
            return;
        }
    } catch (const std::bad_alloc&) {
        // Memory ran out outside the program (the program's own shortage fails the run in its step):
        // the run fails for memory as well.
        m_timer.stop();
        m_session.failForMemory();
    }
    showFailureForMemory();
}

void TRunController::showFailureForMemory()
{
    // The run has let go of its values; what memory is still short the reserve gives for the message.
    releaseMemoryReserve();
    try {
        showRun(true);
    } catch (...) {
        keepMemoryReserve();
        throw;
    }
    keepMemoryReserve();
}

void TRunController::showRun(bool follow)
{
    m_sinceShown.restart();
    updateMarks();
    repaintWindows();
    if (follow) {
        if (const runtime::ElementId running = m_session.next()) {
            for (TForm1* window : m_main.diagramWindows())
                followIn(*window, *running.element);
        }
    }
    updateJavaView(follow);
    updateVariables();
    updateTrace();
    m_console->flush();
    updateStatus();
    m_commands->update(m_session.state());
    reportEnd();
    showSelectionHint();
}

void TRunController::showSelectionHint()
{
    // While a run is shown, the status line speaks of the run, not of the selection.
    if (auto* hint = m_main.findChild<QLabel*>(QStringLiteral("StatusHint")))
        hint->setVisible(!m_session.active());
}

void TRunController::updateMarks()
{
    m_marks.running = TRunMarks::spotOf(m_session.next().element);
    const runtime::RunError* error = m_session.error();
    m_marks.failed.clear();
    if (error && error->element)
        m_marks.failed.push_back(TRunMarks::spotOf(error->element.element));
    for (const runtime::ElementId& problem : m_problemElements)
        m_marks.failed.push_back(TRunMarks::spotOf(problem.element));
    m_marks.breakpoints.clear();
    for (const runtime::ElementId& b : m_session.breakpoints())
        m_marks.breakpoints.push_back(TRunMarks::Entry{b.element, b.serial});
    // The counts are made from the run's steps when asked: only while they show.
    m_marks.counts = m_marks.showCounts && m_session.state() != runtime::SessionState::Idle
                         ? &m_session.counts()
                         : nullptr;
}

void TRunController::showCounts(bool on)
{
    m_marks.showCounts = on;
    updateMarks();
    repaintWindows();
}

void TRunController::repaintWindows()
{
    for (TForm1* window : m_main.diagramWindows())
        window->drawingWidget()->update();
}

void TRunController::followIn(TForm1& window, const TElement& e)
{
    const TElement* drawn = drawnFor(*window.ShownBlock, *window.Options, e);
    if (!drawn)
        return;
    const bool flowchart = m_main.flowchartMode();
    TQtMeasureCanvas measure;
    const TPoint origin = displayOrigin(measure.canvas(), *window.ShownBlock, *window.Options, flowchart);
    // The probe only marks the element in a copy of the options to find where it is drawn.
    const std::optional<TRect> r = elementRect(measure.canvas(), *window.ShownBlock, origin, *window.Options,
                                               flowchart, const_cast<TElement*>(drawn));
    if (r)
        window.diagramArea()->keepInView(*r);
}

void TRunController::updateJavaView(bool follow)
{
    if (!m_javaView->isVisible() || !m_javaView->upToDate())
        return; // the text is made again when it can be seen, and then shows the run
    const TJavaLines& lines = m_javaView->lines();
    const runtime::ElementId running = m_session.next();
    const TJavaView::Lines runningLines = running ? lines.stepLines(running.element) : std::nullopt;
    m_javaView->setRunningLines(runningLines);
    const runtime::RunError* error = m_session.error();
    std::vector<TJavaView::Lines> failed;
    if (error && error->element)
        failed.push_back(lines.stepLines(error->element.element));
    for (const runtime::ElementId& problem : m_problemElements)
        failed.push_back(lines.stepLines(problem.element));
    m_javaView->setFailedLines(std::move(failed));
    std::vector<int> marked;
    for (const runtime::ElementId& b : m_session.breakpoints()) {
        // A breakpoint of a removed element is passed over; one whose element's address came back names
        // another element, which the serial tells.
        if (m_breakpointElements.alive(b.element) && b.element->serial() == b.serial &&
            lines.linesOf(b.element))
            marked.push_back(lines.stepLines(b.element)->first);
    }
    m_javaView->setBreakpointLines(std::move(marked));
    showCurrentInJava(false);
    if (follow)
        m_javaView->showLines(runningLines);
}

void TRunController::showCurrentInJava(bool follow)
{
    if (!m_javaView->isVisible() || !m_javaView->upToDate())
        return;
    const TForm1* window = m_main.ActiveWindow();
    const TElement* current = window ? window->currentElement() : nullptr;
    const TJavaView::Lines lines = current ? m_javaView->lines().linesOf(current) : std::nullopt;
    m_javaView->setCurrentLines(lines);
    if (follow)
        m_javaView->showLines(lines);
}

void TRunController::javaLineClicked(int line)
{
    if (!m_javaView->upToDate()) {
        m_javaView->lines(); // the click was on the text before the change
        return;
    }
    if (const TElement* e = m_javaView->lines().elementAt(line))
        makeCurrent(*e);
}

void TRunController::makeCurrent(const TElement& e)
{
    // In the active window when it shows the element, else in the whole-design window, which is made
    // active.
    TForm1* window = m_main.ActiveWindow();
    const TElement* drawn = window ? drawnFor(*window->ShownBlock, *window->Options, e) : nullptr;
    if (!drawn) {
        window = m_main.wholeDesignWindow();
        drawn = window ? drawnFor(*window->ShownBlock, *window->Options, e) : nullptr;
        if (!drawn)
            return;
        m_main.mdiArea()->setActiveSubWindow(window);
    }
    window->setCurrent(const_cast<TElement*>(drawn));
    window->drawingWidget()->update();
    followIn(*window, *drawn);
}

void TRunController::updateVariables()
{
    if (!m_variablesDock->isVisible())
        return;
    m_variables->showVariables(m_session.variables(), m_highlight);
    m_highlight = m_session.state() != runtime::SessionState::Idle;
}

void TRunController::updateTraceRecording()
{
    // The table is filled while its dock is open (in front or behind the console's tab), since a row
    // costs a look at every variable; at full speed only while it is in front, where that look would
    // make the run many times slower than its statements.
    const bool open = m_traceDock->toggleViewAction()->isChecked();
    m_session.setTraceRecording(open && (m_speed != 0 || m_traceInFront));
}

void TRunController::updateTrace()
{
    // A table the session let go of is never left in the view, seen or not.
    if (m_traceDock->isVisible() || m_session.traceTable() != m_trace->model()->table())
        m_trace->showTable(m_session.traceTable());
    const bool unrecorded = !m_session.traceTable() && m_session.state() != runtime::SessionState::Idle;
    m_trace->setMissingNote(unrecorded ? uitexts::traceNotAtFullSpeed() : QString());
}

void TRunController::updateStatus()
{
    const auto steps = static_cast<unsigned long long>(m_session.steps());
    switch (m_session.state()) {
    case runtime::SessionState::Paused:
    case runtime::SessionState::Running:
        if (m_waitingForInput) {
            m_status->setText(uitexts::runWaiting(quotedText(m_session.next().element), steps));
            break;
        }
        if (m_session.state() == runtime::SessionState::Running) {
            m_status->setText(uitexts::runRunning(steps));
            break;
        }
        {
            const QString text = quotedText(m_session.next().element);
            m_status->setText(m_session.atBreakpoint() ? uitexts::runAtBreakpoint(text, steps)
                                                       : uitexts::runPausedBefore(text, steps));
        }
        break;
    default:
        break; // the end of a run is reported once, and stays
    }
}

void TRunController::reportEnd()
{
    if (m_reported || m_session.active() || m_session.state() == runtime::SessionState::Idle)
        return;
    m_reported = true;
    m_console->dropTypedLines();
    const auto steps = static_cast<unsigned long long>(m_session.steps());
    switch (m_session.state()) {
    case runtime::SessionState::Finished:
        m_status->setText(uitexts::runFinished(m_session.exitStatus(), steps));
        break;
    case runtime::SessionState::Failed: {
        const runtime::RunError& error = *m_session.error();
        m_console->message(fromCp1252(error.message) + QStringLiteral(" (") +
                               QString::fromUtf8(error.javaException) + QLatin1Char(')'),
                           true);
        m_status->setText(uitexts::runFailed(fromCp1252(error.message)));
        break;
    }
    case runtime::SessionState::Cancelled:
        m_status->setText(uitexts::runCancelled());
        break;
    default:
        m_status->setText(uitexts::runStopped(steps));
        break;
    }
}

// ---- changes of the design ----

void TRunController::windowAdded(TForm1& window)
{
    window.Options->RunMarks = &m_marks;
    connect(&window, &TForm1::currentChanged, this,
            [this] { runCommand(&m_main, [&] { showCurrentInJava(true); }); });
}

void TRunController::designReplacing(bool historyStep)
{
    // Undo and redo make every element anew: breakpoints would be lost with the old ones, so their
    // elements are found again in the new state. Another design starts without breakpoints.
    m_tracedBreakpoints.clear();
    if (historyStep && !m_session.breakpoints().empty())
        m_tracedBreakpoints = traceElements(m_document.root(), [this](const TElement& e) {
            return m_session.hasBreakpoint({&e, e.serial()});
        });
    m_javaView->textOutOfDate();
    designChanged();
}

void TRunController::designReplaced(TBlock& root)
{
    std::vector<runtime::ElementId> found;
    for (TElement* e : findTraced(root, m_tracedBreakpoints)) {
        if (e) {
            found.push_back({e, e->serial()});
            m_breakpointElements.add(*e);
        }
    }
    m_tracedBreakpoints.clear();
    m_session.setBreakpoints(found);
    updateMarks();
}

void TRunController::documentChanged()
{
    if (m_document.edits() == m_seenEdits)
        return; // saved, or only the caption
    m_seenEdits = m_document.edits();
    m_javaView->textOutOfDate();
    designChanged();
}

void TRunController::designChanged()
{
    m_timer.stop();
    // The table and the counts go with the run: their elements may be gone.
    m_trace->showTable(nullptr);
    m_marks.counts = nullptr;
    const bool ended = m_session.designChanged();
    m_console->cancelWait();
    m_problemElements.clear();
    m_marks.running = {};
    m_marks.failed.clear();
    m_variables->clearVariables();
    m_commands->update(m_session.state());
    m_reported = true;
    // The message of the last run is stale now.
    m_status->setText(ended ? uitexts::runEndedByEdit() : QString());
    showSelectionHint();
    if (ended)
        m_console->dropTypedLines();
}
