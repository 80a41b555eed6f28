#pragma once

#include "model/displayoptions.h"
#include "model/elementwatch.h"
#include "model/refind.h"
#include "runtime/session.h"
#include "ui/runcommands.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>

class QDockWidget;
class QLabel;
class QSlider;
class TConsoleView;
class TDesignDocument;
class TForm1;
class TForm2;
class TJavaView;
class TTraceView;
class TVariablesView;

// TRunController: runs the design in the editor. It drives a run session (runtime/session.h) from a timer
// at the chosen speed, shows where the run stands in every diagram window (the marks of the run, which
// every window's display options point at), in the Java view, the variables and the console, and ends
// the run when the design changes. It owns the docks and the commands of a run. Running reads the design
// only: the undo history, the modified mark and the files stay as they are.
class TRunController : public QObject
{
    Q_OBJECT

public:
    explicit TRunController(TForm2& main);
    ~TRunController() override;

    // F5: a new run that goes on at the chosen speed, or a paused run goes on.
    void start();
    // F10: one element; a new run first stands before its first element.
    void singleStep();
    void pause();
    // Shift+F5.
    void stop();
    // F9: the breakpoint of the active window's current element, on or off.
    void toggleBreakpoint();
    // Steps per second; 0: as fast as possible.
    void setSpeed(int stepsPerSecond);
    int speed() const { return m_speed; }

    // From the main window: its tool bars are made, the run's comes after them.
    void createToolBar() { m_commands->createToolBar(); }
    // From the main window: a new diagram window; the design is about to be replaced; the document changed.
    void windowAdded(TForm1& window);
    void designReplacing(bool historyStep);
    void designReplaced(TBlock& root);
    void documentChanged();

    const runtime::Session& session() const { return m_session; }
    const TRunMarks& marks() const { return m_marks; }
    TJavaView* javaView() const { return m_javaView; }
    TVariablesView* variablesView() const { return m_variables; }
    TConsoleView* console() const { return m_console; }
    TTraceView* traceView() const { return m_trace; }
    QDockWidget* traceDock() const { return m_traceDock; }
    // The view option "Ablaufzählung": how often each element ran, on the elements of every window.
    void showCounts(bool on);
    QDockWidget* javaDock() const { return m_javaDock; }
    QDockWidget* variablesDock() const { return m_variablesDock; }
    QDockWidget* consoleDock() const { return m_consoleDock; }
    QSlider* speedSlider() const { return m_commands->speedSlider(); }

private:
    class Output;
    class Input;

    // Starts a run; false when the design has problems, which the console lists.
    bool begin(bool running);
    void tick();
    bool failedForMemory() const;
    // Shows where the run stands after steps. A run that failed for memory, or ran out of it while it is
    // shown, has let go of its values (the latter fails for memory here) before it is shown.
    void showAfterSteps(bool follow);
    // Shows where a run that failed for memory ended, with the memory reserve given up for it.
    void showFailureForMemory();
    void scheduleTick();
    // Shows where the run stands; with `follow`, the windows and the Java view scroll to the running element.
    void showRun(bool follow);
    void updateMarks();
    void repaintWindows();
    void followIn(TForm1& window, const TElement& e);
    void updateJavaView(bool follow);
    void showCurrentInJava(bool follow);
    void javaLineClicked(int line);
    // Makes `e` current where it can be seen: in the active window, else in the whole-design window.
    void makeCurrent(const TElement& e);
    // Brings the console to the front at a run's first output or input, unless the user closed it.
    void openConsole();
    void updateVariables();
    void updateTrace();
    void updateTraceRecording();
    void updateStatus();
    void showSelectionHint();
    void reportEnd();
    void designChanged();

    TForm2& m_main;
    TDesignDocument& m_document;
    TJavaView* m_javaView;
    TVariablesView* m_variables;
    TConsoleView* m_console;
    TTraceView* m_trace;
    QDockWidget* m_javaDock;
    QDockWidget* m_variablesDock;
    QDockWidget* m_consoleDock;
    QDockWidget* m_traceDock;
    QLabel* m_status;
    std::unique_ptr<Output> m_output;
    std::unique_ptr<Input> m_input;
    runtime::Session m_session;
    TRunMarks m_marks;
    // The breakpoints' elements while undo or redo replaces the design, to be found again in the new one.
    std::vector<TElementTrace> m_tracedBreakpoints;
    // The breakpoints' elements that still live: the Java view looks only for their lines.
    TLivingElements m_breakpointElements;
    std::unique_ptr<TRunCommands> m_commands;
    QTimer m_timer;
    QElapsedTimer m_sinceShown;
    int m_speed = 2;
    bool m_traceInFront = false; // the trace table's dock is shown, not hidden behind another tab
    std::uint64_t m_seenEdits = 0;
    bool m_reported = true;         // the end of the last run has been reported
    bool m_highlight = false;       // the variables view highlights changes (not on a run's first look)
    bool m_docksShown = false;      // the first run showed the console and the variables
    bool m_consoleOpened = false;   // this run has shown the console
    bool m_waitingForInput = false; // a step waits for a line of input
    // The elements of the problems of the last check that failed, in the order listed; until the design
    // changes.
    std::vector<runtime::ElementId> m_problemElements;
};
