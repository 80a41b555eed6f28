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

// An element's text as the status line quotes it.
QString quotedText(const TElement* e)
{
    return e ? fromCp1252(e->Text).left(60) : QString();
}

} // namespace

// The program's output goes to the console.
class TRunController::Output final : public runtime::OutputSink
{
public:
    explicit Output(TRunController& controller) : m_controller(controller) {}
    void write(std::string_view text) override { m_controller.m_console->write(text); }

private:
    TRunController& m_controller;
};

// Input comes from the lines typed into the console, else from a small dialog; its "Abbrechen" ends the run.
class TRunController::Input final : public runtime::InputSource
{
public:
    explicit Input(TRunController& controller) : m_controller(controller) {}
    Status read(std::string& text) override
    {
        TConsoleView& console = *m_controller.m_console;
        console.flush();
        QString line;
        if (!console.takeLine(line)) {
            const runtime::ElementId asking = m_controller.m_session.next();
            QString prompt = uitexts::inputPrompt(quotedText(asking.element));
            // With the console closed the program's question would go unseen: the dialog shows it.
            if (const QString question = console.openLine().trimmed();
                !m_controller.m_consoleDock->isVisible() && !question.isEmpty())
                prompt = question + QLatin1Char('\n') + prompt;
            const std::optional<QString> answer =
                dialogService().inputBox(&m_controller.m_main, uitexts::inputCaption(), prompt, QString());
            if (!answer)
                return Status::Cancelled;
            line = *answer;
            console.echoInput(line);
        }
        text = line.toStdString() + "\n";
        return Status::Text;
    }

private:
    TRunController& m_controller;
};

TRunController::TRunController(TForm2& main)
    : m_main(main), m_document(main.document()), m_output(std::make_unique<Output>(*this)),
      m_input(std::make_unique<Input>(*this)), m_session(*m_output, *m_input)
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
    m_javaDock = makeDock("JavaAnsicht", uitexts::javaViewTitle(), m_javaView, Qt::RightDockWidgetArea);
    m_variablesDock = makeDock("Variablen", uitexts::variablesTitle(), m_variables, Qt::RightDockWidgetArea);
    m_consoleDock = makeDock("Konsole", uitexts::consoleTitle(), m_console, Qt::BottomDockWidgetArea);
    m_main.resizeDocks({m_javaDock}, {300}, Qt::Horizontal);
    m_variablesDock->hide();
    m_consoleDock->hide();
    m_status = new QLabel(&main);
    m_status->setObjectName(QStringLiteral("RunStatus"));
    main.statusBar()->addPermanentWidget(m_status);
    m_commands = std::make_unique<TRunCommands>(
        main, *this, QList<QDockWidget*>{m_javaDock, m_variablesDock, m_consoleDock});

    m_seenEdits = m_document.edits();
    connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
    m_timer.setSingleShot(true);
    connect(m_javaView, &TJavaView::textRebuilt, this,
            [this] { runCommand(&m_main, [&] { updateJavaView(false); }); });
    connect(m_javaView, &TJavaView::lineClicked, this,
            [this](int line) { runCommand(&m_main, [&] { javaLineClicked(line); }); });
    connect(m_variablesDock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible)
            runCommand(&m_main, [&] { updateVariables(); });
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
        m_main.resizeDocks({m_consoleDock}, {140}, Qt::Vertical);
        // A diagram window's lower part would lie hidden under the console, where a running element
        // could not be scrolled into sight.
        m_main.fitWindowsIntoFrame();
    }
    const std::vector<runtime::Problem> problems = m_session.start(m_document.root(), running);
    m_reported = false;
    m_highlight = false;
    if (problems.empty())
        return true;
    m_reported = true;
    m_console->message(uitexts::runProblemsHeading(), true);
    for (const runtime::Problem& problem : problems)
        m_console->message(QStringLiteral("• ") + fromCp1252(problem.message), true);
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
    updateMarks();
    repaintWindows();
    updateJavaView(false);
}

void TRunController::setSpeed(int stepsPerSecond)
{
    m_speed = stepsPerSecond;
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
    m_console->flush();
    updateStatus();
    m_commands->update(m_session.state());
    reportEnd();
}

void TRunController::updateMarks()
{
    m_marks.running = TRunMarks::spotOf(m_session.next().element);
    const runtime::RunError* error = m_session.error();
    m_marks.failed = TRunMarks::spotOf(error ? error->element.element : nullptr);
    m_marks.breakpoints.clear();
    for (const runtime::ElementId& b : m_session.breakpoints())
        m_marks.breakpoints.push_back(TRunMarks::Entry{b.element, b.serial});
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
    m_javaView->setFailedLines(error && error->element ? lines.stepLines(error->element.element)
                                                       : std::nullopt);
    std::vector<int> marked;
    for (const runtime::ElementId& b : m_session.breakpoints()) {
        // An element in the text lives, so its serial can be read; a breakpoint of a removed element
        // whose address came back names another element.
        if (lines.linesOf(b.element) && b.element->serial() == b.serial)
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
    const TElement* e = m_javaView->lines().elementAt(line);
    TForm1* window = m_main.ActiveWindow();
    if (!e || !window)
        return;
    const TElement* drawn = drawnFor(*window->ShownBlock, *window->Options, *e);
    if (!drawn)
        return;
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

void TRunController::updateStatus()
{
    const auto steps = static_cast<unsigned long long>(m_session.steps());
    switch (m_session.state()) {
    case runtime::SessionState::Paused: {
        const QString text = quotedText(m_session.next().element);
        m_status->setText(m_session.atBreakpoint() ? uitexts::runAtBreakpoint(text, steps)
                                                   : uitexts::runPausedBefore(text, steps));
        break;
    }
    case runtime::SessionState::Running:
        m_status->setText(uitexts::runRunning(steps));
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
        if (e)
            found.push_back({e, e->serial()});
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
    const bool ended = m_session.designChanged();
    m_marks.running = {};
    m_marks.failed = {};
    m_variables->clearVariables();
    m_commands->update(m_session.state());
    m_reported = true;
    if (ended) {
        m_console->dropTypedLines();
        m_status->setText(uitexts::runEndedByEdit());
    }
}
