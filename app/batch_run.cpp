// --run: runs a design as its Java text runs, reading standard input and writing standard output (both
// UTF-8, as Java reads and writes them).
#include "app/batch.h"

#include "model/dateiformat.h"
#include "model/fileio.h"
#include "runtime/messages.h"
#include "runtime/runtime.h"
#include "runtime/tracetable.h"
#include "ui/cp1252.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {

// A message (code page 1252) and what follows it already in UTF-8 (Java's report) on standard error.
void printLine(std::string_view cp1252, std::string_view utf8 = {})
{
    QByteArray text = fromCp1252(cp1252).toUtf8();
    text.append(QByteArrayView(utf8)).append('\n');
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stderr);
}

// Set by SIGINT and SIGTERM. The handler only notes the signal; the run looks at it after every step and
// while it waits for input, writes out what the program has printed, and then dies of the signal as it
// would have without the handler.
volatile std::sig_atomic_t interruptedBy = 0;

extern "C" void noteInterrupt(int signal)
{
    interruptedBy = signal;
}

void catchInterrupts()
{
    struct sigaction action = {};
    action.sa_handler = noteInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a read that waits for input returns with EINTR
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void endIfInterrupted()
{
    const int signal = interruptedBy;
    if (signal == 0)
        return;
    std::fflush(stdout);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

class StandardOutput final : public runtime::OutputSink
{
public:
    void write(std::string_view text) override { std::fwrite(text.data(), 1, text.size(), stdout); }
};

// Standard input in the pieces Java's System.in reader takes: one read of up to 8192 bytes, continued
// while more bytes are ready, so that a second Scanner sees what the first one left in the source.
class StandardInput final : public runtime::InputSource
{
public:
    Status read(std::string& text) override
    {
        // A prompt written with print stands on the terminal before the program waits.
        std::fflush(stdout);
        char buffer[8192];
        ssize_t got;
        do {
            got = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                endIfInterrupted();
        } while (got < 0 && errno == EINTR);
        if (got <= 0)
            return Status::End;
        auto n = static_cast<std::size_t>(got);
        int ready = 0;
        while (n < sizeof buffer && ::ioctl(STDIN_FILENO, FIONREAD, &ready) == 0 && ready > 0) {
            got = ::read(STDIN_FILENO, buffer + n,
                         std::min(sizeof buffer - n, static_cast<std::size_t>(ready)));
            if (got <= 0)
                break;
            n += static_cast<std::size_t>(got);
        }
        text.assign(buffer, n);
        return Status::Text;
    }
};

// The place of `e` below `root`: the positions on the way down, a block's children counted from 0 and a
// condition element's branches as 1 and 2 ("2.1.0": the third element's first branch, its first element).
std::string pathOf(const TBlock& root, const TElement* e)
{
    std::vector<std::string> steps;
    for (const TElement* child = e; child && child != &root; child = child->parent()) {
        const TElement* holder = child->parent();
        if (const TBedingung* condition = asCondition(holder)) {
            steps.push_back(condition->branch(2) == child ? "2" : "1");
            continue;
        }
        int position = 0;
        if (const TBlock* block = asBlock(holder)) {
            for (const TElement* before = block->FirstChild.get(); before && before != child;
                 before = before->Next.get())
                ++position;
        }
        steps.push_back(std::to_string(position));
    }
    std::string path;
    for (auto step = steps.rbegin(); step != steps.rend(); ++step)
        path += (path.empty() ? "" : ".") + *step;
    return path;
}

// One line of the trace: the step's number, the place and text of the element that ran, the branch a
// condition took, and the variables in scope afterwards (name=value), UTF-8.
void traceStep(const TBlock& root, const runtime::Run& run, const runtime::StepResult& step)
{
    const TElement* e = step.executed.element;
    std::string line = std::to_string(run.steps()) + '\t' + pathOf(root, e) + '\t';
    line += fromCp1252(e ? e->Text : std::string()).toUtf8().toStdString();
    if (step.branch >= 0)
        line += step.branch ? "\tja" : "\tnein";
    line += '\t';
    bool first = true;
    for (const runtime::Variable& v : run.variables()) {
        if (!first)
            line += ' ';
        line += fromCp1252(v.name).toUtf8().toStdString();
        line += '=';
        line += v.assigned ? v.value : "?";
        first = false;
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
}

// Every statement and condition element below `first`, in the order of the design, with how often it ran,
// one line each on standard error: its place, its text, the count.
void printCounts(const TBlock& root, const TElement* first,
                 const std::unordered_map<const TElement*, std::uint64_t>& counts)
{
    for (const TElement* e = first; e; e = e->Next.get()) {
        if (const TBlock* block = asBlock(e)) {
            printCounts(root, block->FirstChild.get(), counts);
            continue;
        }
        const auto found = counts.find(e);
        const std::string line = pathOf(root, e) + '\t' + fromCp1252(e->Text).toUtf8().toStdString() + '\t' +
                                 std::to_string(found == counts.end() ? 0 : found->second) + '\n';
        std::fwrite(line.data(), 1, line.size(), stderr);
        if (const TBedingung* condition = asCondition(e))
            for (int i = 1; i <= condition->BranchCount; ++i)
                if (const TBlock* branch = condition->branch(i))
                    printCounts(root, branch->FirstChild.get(), counts);
    }
}

// The steps a run nobody watches takes between two looks at an interrupt: about a millisecond's worth.
constexpr std::uint64_t kUnwatchedSlice = 1u << 16;

int runDesign(const std::string& design, const std::string& maxSteps, const RunOptions& options)
{
    const bool trace = options.trace;
    std::uint64_t limit = 0;
    if (!maxSteps.empty()) {
        const auto [end, error] = std::from_chars(maxSteps.data(), maxSteps.data() + maxSteps.size(), limit);
        if (error != std::errc() || end != maxSteps.data() + maxSteps.size()) {
            printLine(runtime::msg::badStepLimit(maxSteps));
            return 2;
        }
    }
    const std::unique_ptr<TBlock> root = readDesignFile(design);
    const runtime::CheckResult checked = runtime::Check(*root);
    if (!checked.program) {
        for (const runtime::Problem& problem : checked.problems)
            printLine(problem.message);
        return 1;
    }
    StandardOutput output;
    StandardInput input;
    runtime::Run run(checked.program, output, input, runtime::environmentNumberSymbols());
    catchInterrupts();
    std::optional<runtime::TraceTable> table;
    if (!options.traceTable.empty())
        table.emplace();
    const bool watched = trace || table;
    // The table and the counts are written however the run ends. The run counts its steps itself.
    const auto report = [&] {
        if (table) {
            TSafeFileWriter file(options.traceTable);
            file += table->csv(runtime::csvSeparatorOfEnvironment());
            file.commit();
        }
        if (options.counts) {
            std::unordered_map<const TElement*, std::uint64_t> counts;
            for (const auto& [element, count] : run.elementRuns())
                counts.emplace(element.element, count);
            printCounts(*root, root->FirstChild.get(), counts);
        }
    };
    while (run.state() == runtime::RunState::Running) {
        endIfInterrupted();
        if (!maxSteps.empty() && run.steps() >= limit) {
            std::fflush(stdout);
            printLine(runtime::msg::stepLimit(limit));
            report();
            return 1;
        }
        if (!watched) {
            // Nobody looks at single steps: slices of steps at the cost of the statements, with a look
            // at an interrupt between them.
            std::uint64_t slice = kUnwatchedSlice;
            if (!maxSteps.empty())
                slice = std::min(slice, limit - run.steps());
            run.runSteps(slice);
            continue;
        }
        const runtime::StepResult step = run.step();
        if (step.executed && table)
            table->add(run, step);
        if (trace && step.executed) {
            std::fflush(stdout);
            traceStep(*root, run, step);
        }
    }
    std::fflush(stdout);
    report();
    switch (run.state()) {
    case runtime::RunState::Failed:
        printLine(run.error().message, " (" + run.error().javaException + ")");
        return 1;
    case runtime::RunState::Finished:
        return run.exitStatus() & 0xFF;
    default:
        return 1;
    }
}

} // namespace

int batchRun(const std::string& design, const std::string& maxSteps, const RunOptions& options)
{
    return runBatchCommandWithStatus([&] { return runDesign(design, maxSteps, options); });
}
