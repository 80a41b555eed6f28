// --run: runs a design as its Java text runs, reading standard input and writing standard output.
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

void writeUtf8(std::FILE* stream, std::string_view cp1252)
{
    const QByteArray text = fromCp1252(cp1252).toUtf8();
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stream);
}

void printLine(std::string_view cp1252)
{
    writeUtf8(stderr, cp1252);
    std::fputc('\n', stderr);
}

class StandardOutput final : public runtime::OutputSink
{
public:
    void write(std::string_view text) override { writeUtf8(stdout, text); }
};

// Standard input in the pieces Java's System.in reader takes: one read of up to 8192 bytes, continued
// while more bytes are ready, so that a second Scanner sees what the first one left in the source.
// The bytes are UTF-8; a character cut at the end of a piece waits for the next one.
class StandardInput final : public runtime::InputSource
{
public:
    Status read(std::string& text) override
    {
        while (true) {
            char buffer[8192];
            std::size_t n = 0;
            ssize_t got;
            do
                got = ::read(STDIN_FILENO, buffer, sizeof buffer);
            while (got < 0 && errno == EINTR);
            if (got <= 0) {
                if (m_pending.isEmpty())
                    return Status::End;
                text = toCp1252(QString::fromUtf8(m_pending));
                m_pending.clear();
                return Status::Text;
            }
            n = static_cast<std::size_t>(got);
            int ready = 0;
            while (n < sizeof buffer && ::ioctl(STDIN_FILENO, FIONREAD, &ready) == 0 && ready > 0) {
                got = ::read(STDIN_FILENO, buffer + n,
                             std::min(sizeof buffer - n, static_cast<std::size_t>(ready)));
                if (got <= 0)
                    break;
                n += static_cast<std::size_t>(got);
            }
            m_pending.append(buffer, static_cast<qsizetype>(n));
            const qsizetype complete = completeLength(m_pending);
            if (complete == 0)
                continue;
            text = toCp1252(QString::fromUtf8(m_pending.left(complete)));
            m_pending.remove(0, complete);
            return Status::Text;
        }
    }

private:
    // The length of `bytes` without a UTF-8 sequence that its last bytes begin but do not finish.
    static qsizetype completeLength(const QByteArray& bytes)
    {
        const qsizetype size = bytes.size();
        for (qsizetype back = 1; back <= 3 && back <= size; ++back) {
            const auto c = static_cast<unsigned char>(bytes[size - back]);
            if ((c & 0xC0) != 0x80) {
                const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
                return length > back ? size - back : size;
            }
        }
        return size;
    }

    QByteArray m_pending;
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
        root = ReadDesignFile(design);
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
