// The undo history on large designs: taking a snapshot of a whole new design and before a small change,
// one undo step, the memory a full history of ten steps takes per element and step against ten deep
// copies of the design, and the bytes ten small edits add.

#include "bench/bench_designs.h"
#include "model/editing.h"
#include "model/treewalk.h"
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

// The first snapshot of a design: every block is encoded.
void BM_TakeSnapshot(benchmark::State& state)
{
    const auto design = bench::makeDesign(static_cast<int>(state.range(0)), kDepth);
    for (auto _ : state) {
        state.PauseTiming();
        TUndoHistory history;
        std::unique_ptr<TBlock> copy = design->cloneBlock(); // blocks without parts
        state.ResumeTiming();
        history.TakeSnapshot(*copy, true);
        state.PauseTiming();
        copy.reset();
        history.clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TakeSnapshot)->Apply(sizes);

// The statements of a design, in walk order. The design learns where each element stands, as a loaded one
// does, so that a change reaches the blocks around it.
std::vector<TElement*> statementsOf(TBlock& design)
{
    adoptTree(design);
    std::vector<TElement*> found;
    visitTree(&design, false, [&found](TElement* e) {
        if (e->kind() == Kind::Anweisung)
            found.push_back(e);
        return false;
    });
    return found;
}

// What an edit costs the history: a snapshot before a statement's text changes, the statements taken in
// turn from all over the design.
void BM_TakeSnapshotBeforeAnEdit(benchmark::State& state)
{
    const auto design = bench::makeDesign(static_cast<int>(state.range(0)), kDepth);
    const std::vector<TElement*> statements = statementsOf(*design);
    TUndoHistory history;
    history.TakeSnapshot(*design, true); // the first snapshot of a design encodes all of it
    std::size_t next = 0;
    for (auto _ : state) {
        history.TakeSnapshot(*design, true);
        state.PauseTiming();
        next = (next + 7919) % statements.size();
        setText(*statements[next], "edit " + std::to_string(next));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_TakeSnapshotBeforeAnEdit)->Apply(sizes);

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

// The heap that a full history takes after ten edits of one statement each on a design taken anew (the
// first snapshot encodes the whole design, the blocks keep their parts), and what the ten edits added to
// the first snapshot.
void BM_HistoryAfterTenEdits(benchmark::State& state)
{
    for (auto _ : state) {
        const auto design = bench::makeDesign(static_cast<int>(state.range(0)), kDepth);
        const std::vector<TElement*> statements = statementsOf(*design);
        const std::size_t before = heapInUse();
        TUndoHistory history;
        for (int step = 0; step < TUndoHistory::kSlots; ++step) {
            history.TakeSnapshot(*design, true);
            const std::size_t at = statements.size() / TUndoHistory::kSlots * static_cast<std::size_t>(step);
            setText(*statements[at], "edit " + std::to_string(step));
        }
        const std::size_t after = heapInUse();
        std::size_t added = 0;
        for (int i = 1; i < TUndoHistory::kSlots; ++i)
            added += history.slot(i)->bytesNotIn(history.slot(i + 1));
        state.counters["history_bytes"] = static_cast<double>(after - before);
        state.counters["history_bytes_per_element"] =
            static_cast<double>(after - before) / static_cast<double>(state.range(0));
        state.counters["bytes_added_by_nine_edits"] = static_cast<double>(added);
    }
}
BENCHMARK(BM_HistoryAfterTenEdits)
    ->Arg(1000000)
    ->ArgName("elements")
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
