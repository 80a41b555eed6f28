// Running designs: the counting loop of 10,000,000 iterations with an integer sum that `--run` must
// finish in under 2 s (this is its run without process start and file reading), an array workload, the
// check of a long design and of one with many variables, and a Scanner reading one line of many
// megabytes (a JDK 17 takes 2.9 s for nextLine on 50 MB, 1.5 s for next() over its 2.5 million words,
// 4.3 s for nextInt over 9 million numbers).

#include "runtime/runtime.h"

#include "model/struktteile.h"
#include "model/texts.h"

#include <benchmark/benchmark.h>

namespace {

class NullOutput final : public runtime::OutputSink
{
public:
    void write(std::string_view text) override { benchmark::DoNotOptimize(text.data()); }
};

class NoInput final : public runtime::InputSource
{
public:
    Status read(std::string&) override { return Status::End; }
};

// Standard input as a JDK reads it: pieces of 8192 bytes.
class ChunkedInput final : public runtime::InputSource
{
public:
    explicit ChunkedInput(const std::string& text) : m_text(text) {}
    Status read(std::string& text) override
    {
        if (m_position == m_text.size())
            return Status::End;
        text = m_text.substr(m_position, 8192);
        m_position += text.size();
        return Status::Text;
    }

private:
    const std::string& m_text;
    std::size_t m_position = 0;
};

std::unique_ptr<TBlock> newRoot()
{
    auto root = TBlock::Create(texts::kGesamtesProgramm);
    root->Standalone = false;
    root->Braced = false;
    return root;
}

// int summe = 0; for i von 1 bis n { summe = summe + i }; println(summe)
std::unique_ptr<TBlock> countingLoop(std::int64_t n)
{
    auto root = newRoot();
    root->appendChain(TAnweisung::Create("int summe = 0"));
    auto loop = TFor::Create("i von 1 bis " + std::to_string(n));
    loop->branch(1)->appendChain(TAnweisung::Create("summe = summe + i"));
    root->appendChain(std::move(loop));
    root->appendChain(TAnweisung::Create("System.out.println(summe)"));
    return root;
}

// The sieve of Eratosthenes up to n: array reads and writes in nested loops.
std::unique_ptr<TBlock> sieve(std::int64_t n)
{
    auto root = newRoot();
    root->appendChain(
        TAnweisung::Create("int n = " + std::to_string(n) + "; boolean[] zusammen = new boolean[n + 1]"));
    root->appendChain(TAnweisung::Create("int anzahl = 0"));
    auto outer = TFor::Create("i von 2 bis n");
    auto test = TIf::Create("!zusammen[i]");
    test->branch(1)->appendChain(TAnweisung::Create("anzahl++; int k = i * i"));
    auto inner = TWhile::Create("k <= n && k > 0");
    inner->branch(1)->appendChain(TAnweisung::Create("zusammen[k] = true; k += i"));
    test->branch(1)->appendChain(std::move(inner));
    outer->branch(1)->appendChain(std::move(test));
    root->appendChain(std::move(outer));
    root->appendChain(TAnweisung::Create("System.out.println(anzahl)"));
    return root;
}

std::uint64_t runToEnd(const TBlock& root, runtime::InputSource& input)
{
    NullOutput output;
    const runtime::CheckResult checked = runtime::Check(root);
    runtime::Run run(checked.program, output, input);
    while (run.step().state == runtime::RunState::Running) {
    }
    return run.steps();
}

// The same at full speed: slices of steps without a result for each, as `--run` goes.
std::uint64_t runFullSpeed(const TBlock& root)
{
    NullOutput output;
    NoInput input;
    const runtime::CheckResult checked = runtime::Check(root);
    runtime::Run run(checked.program, output, input);
    while (run.state() == runtime::RunState::Running)
        run.runSteps(1u << 16);
    return run.steps();
}

std::uint64_t runToEnd(const TBlock& root)
{
    NoInput input;
    return runToEnd(root, input);
}

// One line of `megabytes` MiB: words of 20 characters, or numbers below 100000, each with a blank after.
std::string longLine(std::int64_t megabytes, bool numbers)
{
    const auto size = static_cast<std::size_t>(megabytes) << 20;
    std::string line;
    line.reserve(size + 32);
    for (int i = 0; line.size() < size; ++i)
        line += numbers ? std::to_string(i % 100000) + " " : "abcdefghij0123456789 ";
    return line + "\n";
}

// Reads standard input with `statements`: the first creates the Scanner `sc`, a `loop` repeats while its
// condition holds.
std::unique_ptr<TBlock> scannerDesign(const char* loop, const char* body)
{
    auto root = newRoot();
    root->appendChain(TAnweisung::Create("Scanner sc = new Scanner(System.in); long n = 0"));
    if (loop) {
        auto repeat = TWhile::Create(loop);
        repeat->branch(1)->appendChain(TAnweisung::Create(body));
        root->appendChain(std::move(repeat));
    } else {
        root->appendChain(TAnweisung::Create(body));
    }
    root->appendChain(TAnweisung::Create("System.out.println(n)"));
    return root;
}

void scannerBenchmark(benchmark::State& state, const TBlock& root, bool numbers)
{
    const std::string text = longLine(state.range(0), numbers);
    for (auto _ : state) {
        ChunkedInput input(text);
        benchmark::DoNotOptimize(runToEnd(root, input));
    }
}

void BM_ScannerNextLine(benchmark::State& state)
{
    scannerBenchmark(state, *scannerDesign(nullptr, "n = sc.nextLine().length()"), false);
}
BENCHMARK(BM_ScannerNextLine)->Arg(2)->Arg(8)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ScannerNext(benchmark::State& state)
{
    scannerBenchmark(state, *scannerDesign("sc.hasNext()", "sc.next(); n++"), false);
}
BENCHMARK(BM_ScannerNext)->Arg(2)->Arg(8)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ScannerNextInt(benchmark::State& state)
{
    scannerBenchmark(state, *scannerDesign("sc.hasNextInt()", "n += sc.nextInt()"), true);
}
BENCHMARK(BM_ScannerNextInt)->Arg(2)->Arg(8)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_CountingLoop(benchmark::State& state)
{
    const auto root = countingLoop(state.range(0));
    std::uint64_t steps = 0;
    for (auto _ : state)
        steps = runToEnd(*root);
    state.counters["steps"] = static_cast<double>(steps);
    state.counters["steps/s"] = benchmark::Counter(
        static_cast<double>(steps) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CountingLoop)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

void BM_Sieve(benchmark::State& state)
{
    const auto root = sieve(state.range(0));
    std::uint64_t steps = 0;
    for (auto _ : state)
        steps = runToEnd(*root);
    state.counters["steps"] = static_cast<double>(steps);
}
BENCHMARK(BM_Sieve)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_FullSpeed(benchmark::State& state)
{
    const auto root = state.range(0) == 0 ? countingLoop(10'000'000) : sieve(2'000'000);
    state.SetLabel(state.range(0) == 0 ? "counting loop 10,000,000" : "sieve 2,000,000");
    std::uint64_t steps = 0;
    for (auto _ : state)
        steps = runFullSpeed(*root);
    state.counters["steps/s"] = benchmark::Counter(
        static_cast<double>(steps) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FullSpeed)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Check of a design of `n` statements, each reading and writing a variable.
void BM_CheckLongDesign(benchmark::State& state)
{
    auto root = newRoot();
    root->appendChain(TAnweisung::Create("int summe = 0"));
    std::unique_ptr<TElement>* tail = &root->FirstChild->Next;
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        *tail = TAnweisung::Create("summe = summe + " + std::to_string(i) + " * 2");
        tail = &(*tail)->Next;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(runtime::Check(*root).program);
}
BENCHMARK(BM_CheckLongDesign)->Arg(100'000)->Unit(benchmark::kMillisecond);

// Check of a design of `n` declarations, each of a new variable from the one before: the cost of a
// declaration must not grow with the variables in scope (before the checker found names by an index,
// 50,000 of them took 4 s).
void BM_CheckManyVariables(benchmark::State& state)
{
    auto root = newRoot();
    root->appendChain(TAnweisung::Create("int v0 = 0"));
    std::unique_ptr<TElement>* tail = &root->FirstChild->Next;
    for (std::int64_t i = 1; i < state.range(0); ++i) {
        *tail = TAnweisung::Create("int v" + std::to_string(i) + " = v" + std::to_string(i - 1) + " + 1");
        tail = &(*tail)->Next;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(runtime::Check(*root).program);
}
BENCHMARK(BM_CheckManyVariables)->Arg(5'000)->Arg(50'000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
