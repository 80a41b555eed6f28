// Run: one step at a time through the program graph.
//
// A run owns the Machine that holds its variables: a slot per variable, chosen by the checker (prims for
// primitives, refs for references), so that variables of blocks that have ended keep their slots and
// nothing is allocated per step. A step runs one node (program.h) and moves to the node its completion
// and condition name; an exception leaves the run standing at the element that raised it.
#include "runtime/runtime.h"

#include "runtime/javatext.h"
#include "runtime/messages.h"
#include "runtime/program.h"

#include <algorithm>
#include <functional>
#include <new>
#include <stdexcept>

namespace runtime {

namespace {

// The German description of an exception that brought none of its own.
const char* describe(JavaError error)
{
    switch (error) {
    case JavaError::Arithmetic:
        return msg::kDivisionByZero;
    case JavaError::NullPointer:
        return msg::kNullAccess;
    case JavaError::NoSuchElement:
        return msg::kNoMoreInput;
    case JavaError::IllegalState:
        return msg::kScannerClosed;
    case JavaError::IllegalArgument:
        return msg::kIllegalArgument;
    case JavaError::OutOfMemory:
        return msg::kOutOfMemory;
    case JavaError::InputMismatch:
        return msg::kInputMismatch;
    default:
        return javaClassName(error);
    }
}

// The node that runs after `n`'s statements completed with `c` (-1: the program ends); after a normal
// completion `n`'s condition decides, and `result` says which way it went.
int exitOf(const ProgramNode& n, Completion c, Machine& m, StepResult& result)
{
    switch (c) {
    case Completion::Normal:
        if (n.condition) {
            const bool holds = n.condition->evalBool(m);
            result.branch = holds ? 1 : 0;
            return holds ? n.next : n.alt;
        }
        return n.next;
    case Completion::Break:
        return n.breakTarget;
    case Completion::Continue:
        return n.continueTarget;
    case Completion::Return:
        return -1;
    }
    return -1;
}

// How the exception `e` at `element` is reported: the German message and Java's own line.
RunError errorOf(const JavaException& e, const ProgramElement& element)
{
    RunError error;
    error.element = element.id;
    error.message = msg::runError(e.message.empty() ? describe(e.error) : e.message, element.text);
    error.javaException = javaClassName(e.error);
    if (!e.detail.empty())
        error.javaException += ": " + e.detail;
    error.outOfMemory = e.error == JavaError::OutOfMemory;
    return error;
}

} // namespace

Run::Run(std::shared_ptr<const Program> program, OutputSink& output, InputSource& input,
         NumberSymbols symbols)
    : m_program(std::move(program)), m_machine(std::make_unique<Machine>(&output, &input, symbols))
{
    Machine& m = *m_machine;
    m.prims.resize(static_cast<std::size_t>(m_program->primSlots));
    m.refs.resize(static_cast<std::size_t>(m_program->refSlots));
    m.assigned.assign(m_program->variables.size(), 0);
    // main's String[] args: empty, as a program started without arguments gets it (variable 0).
    m.refs[static_cast<std::size_t>(m_program->argsSlot)] = makeArray(kString, 0);
    m.assigned[0] = 1;
    m_nodeRuns.assign(m_program->nodes.size(), 0);
    m_node = m_program->entry;
    m_scope =
        m_node >= 0 ? m_program->nodes[static_cast<std::size_t>(m_node)].scopeBefore : m_program->endScope;
    if (m_node < 0)
        m_state = RunState::Finished;
}

Run::~Run() = default;

ElementId Run::next() const
{
    if (m_state != RunState::Running || m_node < 0)
        return {};
    const ProgramNode& n = m_program->nodes[static_cast<std::size_t>(m_node)];
    return m_program->elements[static_cast<std::size_t>(n.element)].id;
}

void Run::failOutOfMemory(const ProgramElement& element)
{
    m_state = RunState::Failed;
    m_scope = m_program->nodes[static_cast<std::size_t>(m_node)].scopeBefore;
    m_error.element = element.id;
    m_error.message = msg::runError(msg::kOutOfMemory, element.text);
    m_error.javaException = "java.lang.OutOfMemoryError: Java heap space";
    m_error.outOfMemory = true;
}

void Run::failForMemory()
{
    m_machine.reset();
    if (m_state == RunState::Running && m_node >= 0)
        failOutOfMemory(m_program->elements[static_cast<std::size_t>(
            m_program->nodes[static_cast<std::size_t>(m_node)].element)]);
}

int Run::exitStatus() const
{
    return m_state == RunState::Failed ? 1 : m_exitStatus;
}

StepResult Run::step()
{
    StepResult result;
    result.state = m_state;
    if (m_state != RunState::Running)
        return result;
    const ProgramNode& n = m_program->nodes[static_cast<std::size_t>(m_node)];
    result.executed = m_program->elements[static_cast<std::size_t>(n.element)].id;
    ++m_steps;
    ++m_nodeRuns[static_cast<std::size_t>(m_node)];
    bool outOfMemory = false;
    try {
        Machine& m = *m_machine;
        const Completion c = execAll(n.statements, m);
        moveTo(n, c, exitOf(n, c, m, result));
    } catch (...) {
        outOfMemory = stepFailed(n, std::current_exception());
    }
    m_machine->flush();
    if (outOfMemory) {
        // A run that failed for memory lets go of what it holds at once: whatever shows the failure next
        // needs memory, and the values are not shown any more.
        m_machine.reset();
    }
    result.state = m_state;
    result.next = next();
    return result;
}

std::uint64_t Run::runSteps(std::uint64_t maxSteps, std::chrono::steady_clock::time_point deadline)
{
    // Output gathers up to this many characters before it goes to the sink.
    constexpr std::size_t kOutputChunk = 8192;
    std::uint64_t done = 0;
    if (m_state != RunState::Running)
        return done;
    Machine& m = *m_machine;
    const ProgramNode* const nodes = m_program->nodes.data();
    std::uint64_t* const runs = m_nodeRuns.data();
    const std::uint8_t* const stops = m_stopBefore.empty() ? nullptr : m_stopBefore.data();
    const std::uint64_t requests = m.inputRequests();
    // Without a deadline (`--run`) the clock is never read.
    const bool timed = deadline != std::chrono::steady_clock::time_point::max();
    // The node and the steps stand in locals while the slice runs and are set down in m_node and m_steps
    // with each step (no reads), so that the scope can be set from them before the program waits for
    // input: the editor shows where the run stands while the input waits.
    int node = m_node;
    std::uint64_t steps = m_steps;
    m.beforeInputContext = this;
    m.beforeInput = [](void* context) {
        Run& run = *static_cast<Run*>(context);
        run.m_scope = run.m_program->nodes[static_cast<std::size_t>(run.m_node)].scopeBefore;
    };
    bool outOfMemory = false;
    std::uint64_t nextClockRead = kStepsBetweenClockReads;
    // Whether the slice may take the step of node `next` in the round under way: it has steps and time
    // left, no breakpoint stands there, and no output waits to be handed on.
    const auto goesOn = [&](int next) {
        return done < maxSteps && !(stops && stops[next]) && !(timed && done >= nextClockRead) &&
               m.output.size() < kOutputChunk;
    };
    // Moves the round on to node `next`, counting its step.
    const auto moveOn = [&](int next) {
        node = next;
        ++runs[node];
        ++done;
        m_node = node;
        m_steps = ++steps;
    };
    // One round from `node` (its step counted by the caller): the node's step, and while it is a plain
    // statement followed by a plain node (a sequence of statements, a loop's last statement and the
    // loop's test, a counting loop's body and its advance and test) the steps after it, moving `node`
    // along. Returns the node to run next (-1: the end); `c` says how the last node completed.
    const auto round = [&](Completion& c) {
        for (;;) {
            const ProgramNode& n = nodes[node];
            if (n.effectAndTest)
                return n.effectAndTest->evalBool(m) ? n.next : n.alt;
            if (!n.plain) {
                StepResult unreported;
                c = execAll(n.statements, m);
                return exitOf(n, c, m, unreported);
            }
            if (n.effectThenTest && goesOn(n.next)) {
                // The statement advances the counter that the test after it compares: one node does both.
                moveOn(n.next);
                const ProgramNode& test = nodes[node];
                return n.effectThenTest->evalBool(m) ? test.next : test.alt;
            }
            if (n.effect)
                n.effect->evalVoid(m);
            if (n.condition)
                return n.condition->evalBool(m) ? n.next : n.alt;
            // A statement that waited for input ends the slice after it.
            if (!n.plainFollows || !goesOn(n.next) || m.inputRequests() != requests)
                return n.next;
            moveOn(n.next);
        }
    };
    try {
        while (done < maxSteps) {
            if (stops && stops[node])
                break;
            ++runs[node];
            ++done;
            m_node = node;
            m_steps = ++steps;
            Completion c = Completion::Normal;
            const int target = round(c);
            if (target < 0) {
                moveTo(nodes[node], c, target);
                break;
            }
            node = target;
            if (m.output.size() >= kOutputChunk)
                m.flush();
            if (m.inputRequests() != requests)
                break;
            if (timed && done >= nextClockRead) {
                nextClockRead = done + kStepsBetweenClockReads;
                if (std::chrono::steady_clock::now() >= deadline)
                    break;
            }
        }
        if (m_state == RunState::Running)
            moveTo(nodes[node], Completion::Normal, node);
    } catch (...) {
        m.beforeInput = nullptr;
        m_node = node;
        outOfMemory = stepFailed(nodes[node], std::current_exception());
    }
    m.beforeInput = nullptr;
    m.flush();
    if (outOfMemory)
        m_machine.reset();
    return done;
}

void Run::setBreakpoints(const std::vector<ElementId>& elements)
{
    m_stopBefore.clear();
    if (elements.empty())
        return;
    const auto before = [](const ElementId& a, const ElementId& b) {
        return std::less<>()(a.element, b.element) || (a.element == b.element && a.serial < b.serial);
    };
    std::vector<ElementId> sorted = elements;
    std::sort(sorted.begin(), sorted.end(), before);
    m_stopBefore.assign(m_program->nodes.size(), 0);
    for (std::size_t i = 0; i < m_program->nodes.size(); ++i) {
        const ElementId id = m_program->elements[static_cast<std::size_t>(m_program->nodes[i].element)].id;
        m_stopBefore[i] = std::binary_search(sorted.begin(), sorted.end(), id, before) ? 1 : 0;
    }
}

std::vector<std::pair<ElementId, std::uint64_t>> Run::elementRuns() const
{
    // An element may have several nodes (a counting loop sets its variable in one, advances it in
    // another): their steps add up.
    std::vector<std::uint64_t> perElement(m_program->elements.size(), 0);
    for (std::size_t i = 0; i < m_nodeRuns.size(); ++i)
        perElement[static_cast<std::size_t>(m_program->nodes[i].element)] += m_nodeRuns[i];
    std::vector<std::pair<ElementId, std::uint64_t>> out;
    for (std::size_t i = 0; i < perElement.size(); ++i) {
        if (perElement[i] > 0)
            out.emplace_back(m_program->elements[i].id, perElement[i]);
    }
    return out;
}

void Run::moveTo(const ProgramNode& n, Completion c, int target)
{
    m_node = target;
    if (target < 0) {
        // At the end the program's outermost variables show; after a return, those where it stood.
        m_state = RunState::Finished;
        m_scope = c == Completion::Return ? n.scopeAfter : m_program->endScope;
    } else {
        m_scope = m_program->nodes[static_cast<std::size_t>(target)].scopeBefore;
    }
}

bool Run::stepFailed(const ProgramNode& n, const std::exception_ptr& failure)
{
    const ProgramElement& element = m_program->elements[static_cast<std::size_t>(n.element)];
    try {
        std::rethrow_exception(failure);
    } catch (const JavaException& e) {
        m_state = RunState::Failed;
        m_scope = n.scopeBefore;
        m_error = errorOf(e, element);
        return m_error.outOfMemory;
    } catch (const std::bad_alloc&) {
        failOutOfMemory(element);
        return true;
    } catch (const std::length_error&) {
        failOutOfMemory(element); // a string longer than a string can be
        return true;
    } catch (const ProgramExit& e) {
        m_state = RunState::Finished;
        m_exitStatus = e.status;
        m_scope = n.scopeBefore;
    } catch (const RunCancelled&) {
        m_state = RunState::Cancelled;
        m_scope = n.scopeBefore;
    }
    return false;
}

std::vector<Variable> Run::variables() const
{
    if (!m_machine)
        return {}; // let go after the run failed for memory
    // The scope chain runs innermost first; the view lists the outermost first.
    std::vector<int> chain;
    for (int link = m_scope; link >= 0; link = m_program->links[static_cast<std::size_t>(link)].parent)
        chain.push_back(m_program->links[static_cast<std::size_t>(link)].variable);
    std::vector<Variable> out;
    out.reserve(chain.size());
    const Machine& m = *m_machine;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        // main's parameter `args` is the export's, not a variable the design declares.
        if (*it == 0)
            continue;
        const ProgramVariable& pv = m_program->variables[static_cast<std::size_t>(*it)];
        Variable v;
        v.name = pv.name;
        v.type = typeName(pv.type);
        v.depth = pv.depth;
        v.assigned = m.assigned[static_cast<std::size_t>(*it)] != 0;
        if (v.assigned) {
            const bool primitive = pv.type.isPrimitive();
            const Prim prim = primitive ? m.prims[static_cast<std::size_t>(pv.slot)] : Prim{};
            const Ref ref = primitive ? Ref() : m.refs[static_cast<std::size_t>(pv.slot)];
            std::u16string text;
            if (pv.type.array && ref) {
                const auto& array = static_cast<const JArray&>(*ref.get());
                text = fromCp1252(typeName(pv.type.element()) + "[" + std::to_string(array.length()) + "]");
                const auto shown =
                    std::min<std::size_t>(static_cast<std::size_t>(array.length()), kShownElements);
                for (std::size_t i = 0; i < shown; ++i)
                    v.elements.push_back(toUtf8(arrayElementText(array, i)));
            } else {
                appendValue(text, pv.type, prim, ref);
            }
            v.value = toUtf8(text);
        }
        out.push_back(std::move(v));
    }
    return out;
}

} // namespace runtime
