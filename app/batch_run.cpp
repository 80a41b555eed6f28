// --run: runs a design as its Java text runs, reading standard input and writing standard output (both
// UTF-8, as Java reads and writes them).
#include "app/batch.h"

#include "model/dateiformat.h"
#include "runtime/messages.h"
#include "runtime/runtime.h"
#include "ui/cp1252.h"

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// A message (code page 1252) on standard error, in UTF-8.
void printLine(std::string_view cp1252)
{
    const QByteArray text = fromCp1252(cp1252).toUtf8() + '\n';
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stderr);
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
        char buffer[8192];
        ssize_t got;
        do
            got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        while (got < 0 && errno == EINTR);
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

} // namespace

int batchRun(const std::string& design, const std::string& maxSteps)
{
    std::uint64_t limit = 0;
    if (!maxSteps.empty()) {
        const auto [end, error] = std::from_chars(maxSteps.data(), maxSteps.data() + maxSteps.size(), limit);
        if (error != std::errc() || end != maxSteps.data() + maxSteps.size()) {
            printLine(runtime::msg::badStepLimit(maxSteps));
            return 2;
        }
    }
    std::unique_ptr<TBlock> root;
    try {
        root = readDesignFile(design);
    } catch (const DesignError& error) {
        reportError(error);
        return 1;
    }
    const runtime::CheckResult checked = runtime::Check(*root);
    if (!checked.program) {
        for (const runtime::Problem& problem : checked.problems)
            printLine(problem.message);
        return 1;
    }
    StandardOutput output;
    StandardInput input;
    runtime::Run run(checked.program, output, input);
    while (run.state() == runtime::RunState::Running) {
        if (!maxSteps.empty() && run.steps() >= limit) {
            std::fflush(stdout);
            printLine(runtime::msg::stepLimit(limit));
            return 1;
        }
        run.step();
    }
    std::fflush(stdout);
    switch (run.state()) {
    case runtime::RunState::Failed:
        printLine(run.error().message + " (" + run.error().javaException + ")");
        return 1;
    case runtime::RunState::Finished:
        return run.exitStatus() & 0xFF;
    default:
        return 1;
    }
}
