#pragma once

// A run of the design in the editor: checking the design, stepping through it one element at a time or
// letting it run on, breakpoints, pausing and ending. The editor's controller drives it from a timer and
// shows what it reports; everything here is plain C++.
//
// States: no run (Idle) until the first start; a started run stands before an element (Paused) or goes on
// by itself (Running, one slice of steps per call of advance()); it is over when the program ends
// (Finished), fails (Failed), when the input source is cancelled (Cancelled), or when the user ends it
// (Stopped). A change of the design ends a run and forgets it (Idle again): its elements may be gone.
// Breakpoints outlive runs; they name elements by address and serial, so a breakpoint of an element that
// has been removed never matches another one.

#include "runtime/runtime.h"
#include "runtime/tracetable.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace runtime {

enum class SessionState { Idle, Paused, Running, Finished, Failed, Cancelled, Stopped };

class Session
{
public:
    // `output` and `input` must outlive the session; `symbols` are the number symbols of its runs.
    Session(OutputSink& output, InputSource& input, NumberSymbols symbols = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Checks the design under `root` and starts a run of it, ending the run before. The run stands before
    // its first element (Paused), or goes on at once (Running) when `running`; a breakpoint on the first
    // element stops it there. When the design has problems no run starts, the state becomes Idle and the
    // problems come back.
    std::vector<Problem> start(const TBlock& root, bool running);
    // Runs one element of a paused or running run; the run stands paused after it.
    StepResult step();
    // A paused run goes on by itself. Its first step runs even when a breakpoint stands where it paused.
    void resume();
    // A running run pauses where it stands.
    void pause();
    // One slice of a running run: steps until a breakpoint stands next (the run pauses before it), the run
    // is over, `maxSteps` steps have run or `deadline` has passed (at least one step runs). Returns the
    // number of steps run.
    std::uint64_t advance(std::uint64_t maxSteps, std::chrono::steady_clock::time_point deadline);
    // The user ends a paused or running run.
    void stop();
    // Memory ran out outside the program while a run was active or had just ended (in showing where it
    // stands): an active run fails for memory before its next element; every run lets go of its values.
    void failForMemory();
    // The design changed: a paused or running run ends, and any run, over or not, is forgotten. True when
    // a run that was paused or running ended.
    bool designChanged();

    SessionState state() const { return m_state; }
    // Paused or running.
    bool active() const { return m_state == SessionState::Paused || m_state == SessionState::Running; }
    // Whether the last pause came from a breakpoint.
    bool atBreakpoint() const { return m_atBreakpoint; }
    // The element the next step runs while the run is active; empty otherwise.
    ElementId next() const;
    // The element that failed and why, after Failed; null otherwise.
    const RunError* error() const;
    // Steps run so far by the current or last run.
    std::uint64_t steps() const;
    // The program's exit status after Finished.
    int exitStatus() const;
    // The variables in scope where the run stands (or stood when it ended); empty without a run.
    std::vector<Variable> variables() const;

    // How often each element has run in the current or last run, by the element's address: every step
    // counts its element. Kept until the next start or a change of the design (elements may be gone then).
    // The run counts its steps; the map is made from them when asked after steps have run.
    const std::unordered_map<const TElement*, std::uint64_t>& counts() const;
    // The trace table of the current or last run, while recording is on; recording that begins during a
    // run begins with its next step, and so does recording that was off for some steps of a table (the
    // table begins afresh, so that it never spans steps it missed). Filling the table costs a look at
    // every variable per step, so the editor records only while someone can see the table.
    void setTraceRecording(bool on);
    bool traceRecording() const { return m_recordTrace; }
    const TraceTable* traceTable() const { return m_table ? &*m_table : nullptr; }

    // Breakpoints, in the order they were set.
    void toggleBreakpoint(ElementId element);
    bool hasBreakpoint(ElementId element) const;
    const std::vector<ElementId>& breakpoints() const { return m_breakpoints; }
    // Replaces all breakpoints (after the design was replaced by another state of itself); each once.
    void setBreakpoints(const std::vector<ElementId>& elements);

private:
    // Runs one step. The input source may run an event loop of the editor while the step waits, in which
    // the user may stop the run or change the design: the run stays until the step is done.
    StepResult runStep();
    // Runs a slice of up to `maxSteps` steps without a result per step (nobody records the table); it ends
    // early at `deadline`, before a breakpoint and after a step that waited for input. Returns the steps
    // run.
    std::uint64_t runSlice(std::uint64_t maxSteps, std::chrono::steady_clock::time_point deadline);
    // Calls `steps` with m_inStep set; afterwards forgets the run when the design changed meanwhile (true).
    template <class F> bool runGuarded(F steps);
    // Takes the run's state after its steps.
    void takeRunState();
    // Hands the breakpoints to the run (after the step that waits, while one does).
    void breakpointsChanged();

    OutputSink& m_output;
    InputSource& m_input;
    NumberSymbols m_symbols;
    std::unique_ptr<Run> m_run;
    SessionState m_state = SessionState::Idle;
    // The next step runs even when a breakpoint stands before it: the run paused there already.
    bool m_passBreakpoint = false;
    bool m_atBreakpoint = false;
    bool m_inStep = false;
    bool m_forgetAfterStep = false;
    bool m_breakpointsChanged = false;
    std::vector<ElementId> m_breakpoints;
    mutable std::unordered_map<const TElement*, std::uint64_t> m_counts;
    mutable std::uint64_t m_countedSteps = 0; // m_counts holds the counts after this many steps
    std::optional<TraceTable> m_table;
    bool m_recordTrace = false;
};

// What changed from one look at the variables to the next, for highlighting.
struct VariableChange
{
    bool value = false;         // new in scope, or its value differs (for arrays: the array or an element)
    std::vector<bool> elements; // for arrays: each element that differs from the same element before
};

// For each variable of `after`: what differs from the variable of the same name, type and block level in
// `before`. A variable that was not in scope before counts as changed, and so does every element of it.
std::vector<VariableChange> changedVariables(const std::vector<Variable>& before,
                                             const std::vector<Variable>& after);

} // namespace runtime
