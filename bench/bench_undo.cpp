// The undo history on large designs: taking a snapshot before a change, one undo step, and the memory a
// full history of ten steps takes per element and step, against ten deep copies of the design.

#include "bench/bench_designs.h"
#include "model/undohistory.h"

#include <malloc.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr int kDepth = 5;

void sizes(benchmark::internal::Benchmark* b)
{
    b->Arg(100000)->Arg(1000000)->ArgName("elements")->Unit(benchmark::kMillisecond);
}

void BM_TakeSnapshot(benchmark::State& state)
{
    const auto design = bench::makeDesign(static_cast<int>(state.range(0)), kDepth);
    TUndoHistory history;
    for (auto _ : state)
        history.TakeSnapshot(*design, true);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TakeSnapshot)->Apply(sizes);

void BM_Undo(benchmark::State& state)
{
    const auto design = bench::makeDesign(static_cast<int>(state.range(0)), kDepth);
    TUndoHistory history;
    for (auto _ : state) {
        state.PauseTiming();
        history.TakeSnapshot(*design, true);
        state.ResumeTiming();
        std::unique_ptr<TBlock> restored = history.undo(*design);
        benchmark::DoNotOptimize(restored.get());
        state.PauseTiming();
        restored.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Undo)->Apply(sizes);

// A deep copy of the design, what a snapshot and an undo step each cost before snapshots were encoded.
void BM_DeepCopy(benchmark::State& state)
{
    const auto design = bench::makeDesign(static_cast<int>(state.range(0)), kDepth);
    for (auto _ : state) {
        std::unique_ptr<TBlock> copy = design->cloneBlock();
        benchmark::DoNotOptimize(copy.get());
        state.PauseTiming();
        copy.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DeepCopy)->Apply(sizes);

std::size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Bytes per element and step of a full history (ten snapshots), and of ten deep copies (what the history
// kept before).
void BM_FullHistoryMemory(benchmark::State& state)
{
    const auto count = static_cast<double>(state.range(0));
    const auto design = bench::makeDesign(static_cast<int>(state.range(0)), kDepth);
    for (auto _ : state) {
        const std::size_t before = heapInUse();
        TUndoHistory history;
        for (int step = 0; step < TUndoHistory::kSlots; ++step)
            history.TakeSnapshot(*design, true);
        const std::size_t withHistory = heapInUse();
        history.clear();
        std::vector<std::unique_ptr<TBlock>> copies;
        for (int step = 0; step < TUndoHistory::kSlots; ++step)
            copies.push_back(design->cloneBlock());
        const std::size_t withCopies = heapInUse();
        state.counters["history_bytes_per_element_step"] =
            static_cast<double>(withHistory - before) / count / TUndoHistory::kSlots;
        state.counters["copies_bytes_per_element_step"] =
            static_cast<double>(withCopies - before) / count / TUndoHistory::kSlots;
    }
}
BENCHMARK(BM_FullHistoryMemory)->Arg(2600000)->ArgName("elements")->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
