#include "runtime/session.h"

#include <algorithm>
#include <new>

namespace runtime {

Session::Session(OutputSink& output, InputSource& input, NumberSymbols symbols)
    : m_output(output), m_input(input), m_symbols(symbols)
{
}

Session::~Session() = default;

std::vector<Problem> Session::start(const TBlock& root, bool running)
{
    if (m_inStep)
        return {};
    m_run.reset();
    m_state = SessionState::Idle;
    m_atBreakpoint = false;
    m_counts.clear();
    m_countedSteps = 0;
    m_table.reset();
    CheckResult checked = Check(root);
    if (!checked.program)
        return std::move(checked.problems);
    m_run = std::make_unique<Run>(checked.program, m_output, m_input, m_symbols);
    m_run->setBreakpoints(m_breakpoints);
    if (m_recordTrace)
        m_table.emplace();
    m_state = running ? SessionState::Running : SessionState::Paused;
    // Started with a single step, the run stands before its first element as after a pause.
    m_passBreakpoint = !running;
    if (m_run->state() != RunState::Running)
        m_state = SessionState::Finished; // nothing to run
    return {};
}

// A step may wait for input, and while it waits the editor's event loop runs: the user may stop the run
// or change the design then. Those calls see m_inStep and only mark what is to happen (Stopped, or
// m_forgetAfterStep), so the run is never destroyed under its own step; it happens here once the step is
// back. Breakpoints set meanwhile reach the run here too.
template <class F> bool Session::runGuarded(F steps)
{
    struct InStep
    {
        bool& flag;
        explicit InStep(bool& f) : flag(f) { flag = true; }
        ~InStep() { flag = false; }
    };
    {
        const InStep inStep(m_inStep);
        steps();
    }
    if (m_forgetAfterStep) {
        m_forgetAfterStep = false;
        m_run.reset();
        return true;
    }
    if (m_breakpointsChanged) {
        m_breakpointsChanged = false;
        m_run->setBreakpoints(m_breakpoints);
    }
    return false;
}

void Session::takeRunState()
{
    switch (m_run->state()) {
    case RunState::Running:
        break;
    case RunState::Finished:
        m_state = SessionState::Finished;
        break;
    case RunState::Failed:
        m_state = SessionState::Failed;
        break;
    case RunState::Cancelled:
        m_state = SessionState::Cancelled;
        break;
    }
}

StepResult Session::runStep()
{
    StepResult result;
    if (runGuarded([&] { result = m_run->step(); }))
        return result;
    bool recordingFailed = false;
    if (result.executed && m_table && m_recordTrace) {
        try {
            m_table->add(*m_run, result);
        } catch (const std::bad_alloc&) {
            // Memory ran out outside the program: the table goes, and the run fails for memory as it
            // does when showing where it stands runs out.
            m_table.reset();
            recordingFailed = true;
        }
    }
    if (m_state == SessionState::Stopped)
        return result; // stopped while the step waited for input
    takeRunState();
    if (recordingFailed)
        failForMemory();
    return result;
}

std::uint64_t Session::runSlice(std::uint64_t maxSteps, std::chrono::steady_clock::time_point deadline)
{
    std::uint64_t done = 0;
    if (runGuarded([&] { done = m_run->runSteps(maxSteps, deadline); }))
        return done;
    if (m_state != SessionState::Stopped)
        takeRunState();
    return done;
}

StepResult Session::step()
{
    if (!active() || m_inStep)
        return {};
    m_state = SessionState::Paused;
    m_atBreakpoint = false;
    m_passBreakpoint = true;
    return runStep();
}

void Session::resume()
{
    if (m_state == SessionState::Paused)
        m_state = SessionState::Running;
}

void Session::pause()
{
    if (m_state != SessionState::Running)
        return;
    m_state = SessionState::Paused;
    m_passBreakpoint = true;
}

std::uint64_t Session::advance(std::uint64_t maxSteps, std::chrono::steady_clock::time_point deadline)
{
    std::uint64_t done = 0;
    if (m_inStep)
        return done;
    m_atBreakpoint = false;
    // The trace table needs every step's result; without it the run goes in slices that end at the
    // deadline, before a breakpoint or after a step that waited for input.
    const bool recording = m_table && m_recordTrace;
    while (m_state == SessionState::Running && done < maxSteps) {
        if (m_passBreakpoint || recording) {
            if (!m_passBreakpoint && hasBreakpoint(m_run->next()))
                break;
            m_passBreakpoint = false;
            runStep();
            ++done;
            // The clock is read now and then: a step takes far less time than reading it.
            if (done % 16 != 0)
                continue;
        } else {
            const std::uint64_t ran = runSlice(maxSteps - done, deadline);
            done += ran;
            if (ran == 0)
                break; // a breakpoint stands next
        }
        if (std::chrono::steady_clock::now() >= deadline)
            break;
    }
    // A breakpoint that stands next stops the run now, not at the start of the next slice.
    if (m_state == SessionState::Running && !m_passBreakpoint && hasBreakpoint(m_run->next())) {
        m_state = SessionState::Paused;
        m_atBreakpoint = true;
        m_passBreakpoint = true;
    }
    return done;
}

void Session::stop()
{
    if (active())
        m_state = SessionState::Stopped;
}

void Session::failForMemory()
{
    if (!m_run || m_inStep)
        return;
    const bool wasActive = active();
    m_run->failForMemory();
    if (wasActive && m_run->state() == RunState::Failed)
        m_state = SessionState::Failed;
}

bool Session::designChanged()
{
    const bool ended = active();
    if (m_inStep)
        m_forgetAfterStep = true;
    else
        m_run.reset();
    m_state = SessionState::Idle;
    m_atBreakpoint = false;
    m_counts.clear();
    m_countedSteps = 0;
    m_table.reset();
    return ended;
}

void Session::setTraceRecording(bool on)
{
    m_recordTrace = on;
    if (!on || !active())
        return;
    // A table that missed steps while recording was off would hide the changes of those steps: the
    // recording begins afresh with the next step.
    if (!m_table || (!m_table->rows().empty() && m_table->rows().back().step != m_run->steps()))
        m_table.emplace();
}

ElementId Session::next() const
{
    return active() ? m_run->next() : ElementId{};
}

const std::unordered_map<const TElement*, std::uint64_t>& Session::counts() const
{
    if (!m_run) {
        m_counts.clear();
        m_countedSteps = 0;
    } else if (m_run->steps() != m_countedSteps) {
        m_counts.clear();
        for (const auto& [element, count] : m_run->elementRuns())
            m_counts.emplace(element.element, count);
        m_countedSteps = m_run->steps();
    }
    return m_counts;
}

const RunError* Session::error() const
{
    return m_state == SessionState::Failed ? &m_run->error() : nullptr;
}

std::uint64_t Session::steps() const
{
    return m_run ? m_run->steps() : 0;
}

int Session::exitStatus() const
{
    return m_run ? m_run->exitStatus() : 0;
}

std::vector<Variable> Session::variables() const
{
    return m_run ? m_run->variables() : std::vector<Variable>{};
}

void Session::toggleBreakpoint(ElementId element)
{
    if (!element)
        return;
    const auto found = std::find(m_breakpoints.begin(), m_breakpoints.end(), element);
    if (found != m_breakpoints.end())
        m_breakpoints.erase(found);
    else
        m_breakpoints.push_back(element);
    breakpointsChanged();
}

void Session::breakpointsChanged()
{
    // While a step waits for input the run's slice may still look at its breakpoints: they change
    // once the step is back.
    if (m_inStep)
        m_breakpointsChanged = true;
    else if (m_run)
        m_run->setBreakpoints(m_breakpoints);
}

void Session::setBreakpoints(const std::vector<ElementId>& elements)
{
    m_breakpoints.clear();
    for (const ElementId& e : elements) {
        if (e && !hasBreakpoint(e))
            m_breakpoints.push_back(e);
    }
    breakpointsChanged();
}

bool Session::hasBreakpoint(ElementId element) const
{
    return element && std::find(m_breakpoints.begin(), m_breakpoints.end(), element) != m_breakpoints.end();
}

std::vector<VariableChange> changedVariables(const std::vector<Variable>& before,
                                             const std::vector<Variable>& after)
{
    std::vector<VariableChange> changes(after.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        const Variable& now = after[i];
        const auto old = std::find_if(before.begin(), before.end(), [&now](const Variable& v) {
            return v.name == now.name && v.type == now.type && v.depth == now.depth;
        });
        VariableChange& change = changes[i];
        change.elements.resize(now.elements.size(), true);
        if (old == before.end()) {
            change.value = true;
            continue;
        }
        change.value = old->assigned != now.assigned || old->value != now.value;
        for (std::size_t k = 0; k < now.elements.size() && k < old->elements.size(); ++k)
            change.elements[k] = now.elements[k] != old->elements[k];
        change.value = change.value || std::find(change.elements.begin(), change.elements.end(), true) !=
                                           change.elements.end();
    }
    return changes;
}

} // namespace runtime
