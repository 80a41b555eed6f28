// Running designs: the counting loop of 10,000,000 iterations with an integer sum that `--run` must
// finish in under 2 s (this is its run without process start and file reading), an array workload, and
// the check of a long design.

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

std::uint64_t runToEnd(const TBlock& root)
{
    NullOutput output;
    NoInput input;
    const runtime::CheckResult checked = runtime::Check(root);
    runtime::Run run(checked.program, output, input);
    while (run.step().state == runtime::RunState::Running) {
    }
    return run.steps();
}

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

} // namespace

BENCHMARK_MAIN();
