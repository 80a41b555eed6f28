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

// Output of a slice gathers up to this many characters before it goes to the sink.
constexpr std::size_t kOutputChunk = 8192;

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

int Run::runPasses(const LoopPass& pass, std::uint64_t bound, std::uint64_t requests, bool& askedForInput)
{
    Machine& m = *m_machine;
    std::uint64_t* const runs = m_nodeRuns.data();
    // The pass's parts in locals: the calls could change any memory as far as the compiler knows.
    const LoopPass::Member* const members = pass.members.data();
    const int* const tail = pass.tail.data();
    const std::size_t tails = pass.tail.size();
    const Expr& test = *pass.test;
    const std::uint64_t length = pass.length;
    const bool anyMembers = !pass.members.empty();
    const int start = anyMembers ? members[0].node : tail[0];
    std::uint64_t steps = m_steps;
    bool holds = true;
    do {
        for (int k = anyMembers ? 0 : LoopPass::kToTail; k >= 0;) {
            const LoopPass::Member& member = members[k];
            ++runs[member.node];
            m_node = member.node;
            m_steps = ++steps;
            int way = 0;
            if (member.statement)
                member.expr->evalVoid(m);
            else
                way = member.expr->evalBool(m) ? 0 : 1;
            k = member.to[way];
            if (k == LoopPass::kAway || m.inputRequests() != requests) [[unlikely]] {
                // A step that asked for input ends the slice after it; a way out ends the pass.
                askedForInput = m.inputRequests() != requests;
                return k == LoopPass::kAway     ? member.away[way]
                       : k == LoopPass::kToTail ? tail[0]
                                                : members[k].node;
            }
        }
        for (std::size_t t = 0; t < tails; ++t) {
            ++runs[tail[t]];
            m_node = tail[t];
            m_steps = ++steps;
        }
        holds = test.evalBool(m);
    } while (holds && bound - steps >= length && m.output.size() < kOutputChunk);
    return holds ? start : pass.exit;
}

std::uint64_t Run::runSteps(std::uint64_t maxSteps, std::chrono::steady_clock::time_point deadline)
{
    if (m_state != RunState::Running)
        return 0;
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
    const std::uint64_t first = m_steps;
    std::uint64_t steps = first;
    const std::uint64_t last = maxSteps > ~first ? ~std::uint64_t{0} : first + maxSteps;
    std::uint64_t nextClockRead = timed ? first + kStepsBetweenClockReads : last;
    // Before each step the slice compares the steps with one bound: its end, or the next look at the clock.
    std::uint64_t bound = std::min(last, nextClockRead);
    m.beforeInputContext = this;
    m.beforeInput = [](void* context) {
        Run& run = *static_cast<Run*>(context);
        run.m_scope = run.m_program->nodes[static_cast<std::size_t>(run.m_node)].scopeBefore;
    };
    // Whether the step of `next` may be taken now, without a look at the clock or at the output.
    const auto mayTake = [&](int next) { return steps < bound && !(stops && stops[next]); };
    // Counts the step of `next` and makes it the node that runs.
    const auto take = [&](int next) {
        node = next;
        ++runs[node];
        m_node = node;
        m_steps = ++steps;
    };
    const LoopPass* const passes = m_program->passes.data();
    // Whether no node of `pass` has a breakpoint.
    const auto passIsClear = [&](const LoopPass& pass) {
        if (!stops)
            return true;
        for (const LoopPass::Member& member : pass.members)
            if (stops[member.node])
                return false;
        for (const int tail : pass.tail)
            if (stops[tail])
                return false;
        return true;
    };
    bool outOfMemory = false;
    try {
        for (;;) {
            if (!mayTake(node) || m.output.size() >= kOutputChunk) [[unlikely]] {
                if (m.output.size() >= kOutputChunk)
                    m.flush();
                if ((stops && stops[node]) || steps >= last)
                    break;
                if (steps >= nextClockRead) {
                    nextClockRead = steps + kStepsBetweenClockReads;
                    bound = std::min(last, nextClockRead);
                    if (std::chrono::steady_clock::now() >= deadline)
                        break;
                }
            }
            if (const int p = nodes[node].pass; p >= 0) {
                const LoopPass& pass = passes[p];
                if (bound - steps >= pass.length && passIsClear(pass)) {
                    bool askedForInput = false;
                    const int target = runPasses(pass, bound, requests, askedForInput);
                    steps = m_steps;
                    if (target < 0) {
                        moveTo(nodes[m_node], Completion::Normal, target);
                        break;
                    }
                    node = target;
                    // A step that asked for input ends the slice.
                    if (askedForInput)
                        break;
                    continue;
                }
            }
            take(node);
            const ProgramNode& n = nodes[node];
            int target;
            if (n.effectAndTest) {
                target = n.effectAndTest->evalBool(m) ? n.next : n.alt;
            } else if (n.plain) {
                if (n.effectThenTest && mayTake(n.next)) {
                    // The statement advances the counter that the test after it compares: one node does
                    // both steps.
                    take(n.next);
                    target = n.effectThenTest->evalBool(m) ? nodes[node].next : nodes[node].alt;
                } else {
                    if (n.effect)
                        n.effect->evalVoid(m);
                    target = !n.test ? n.next : n.test->evalBool(m) ? n.onTrue : n.onFalse;
                }
            } else {
                StepResult unreported;
                const Completion c = execAll(n.statements, m);
                target = exitOf(n, c, m, unreported);
                if (target < 0) {
                    moveTo(n, c, target);
                    break;
                }
            }
            if (target < 0) {
                moveTo(nodes[node], Completion::Normal, target);
                break;
            }
            node = target;
            // A step that asked for input ends the slice: the editor's events ran while it waited.
            if (m.inputRequests() != requests)
                break;
        }
        if (m_state == RunState::Running)
            moveTo(nodes[node], Completion::Normal, node);
    } catch (...) {
        // Each step set down its node and the count before it ran.
        m.beforeInput = nullptr;
        steps = m_steps;
        outOfMemory = stepFailed(nodes[m_node], std::current_exception());
    }
    m.beforeInput = nullptr;
    m.flush();
    if (outOfMemory)
        m_machine.reset();
    return steps - first;
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
