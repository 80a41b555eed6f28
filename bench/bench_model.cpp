// Load, Save, Clone and release of large designs, flat and nested; the Java text with its lines.

#include "model/dateiformat.h"
#include "model/javalines.h"
#include "model/struktteile.h"

#include <benchmark/benchmark.h>

namespace {

// A design of about `count` elements: with depth 0 one flat sequence of statements; otherwise nests of
// `depth` loops and decisions, each level holding a few statements, repeated until `count` is reached.
std::unique_ptr<TBlock> makeDesign(int count, int depth)
{
    auto root = TBlock::Create("gesamtes Programm");
    makeDesignRoot(*root);
    std::unique_ptr<TElement>* rootTail = &root->FirstChild;
    int made = 0;
    while (made < count) {
        if (depth == 0) {
            *rootTail = TAnweisung::Create("x = x + 1");
            rootTail = &(*rootTail)->Next;
            ++made;
            continue;
        }
        std::unique_ptr<TElement>* tail = rootTail;
        for (int level = 0; level < depth && made < count; ++level) {
            for (int i = 0; i < 3 && made < count; ++i, ++made) {
                *tail = TAnweisung::Create("summe = summe + i");
                tail = &(*tail)->Next;
            }
            std::unique_ptr<TBedingung> nest;
            if (level % 2 == 0)
                nest = TWhile::Create("i < n");
            else
                nest = TIf::Create("i % 2 == 0");
            TBedingung* raw = nest.get();
            *tail = std::move(nest);
            if (tail == rootTail)
                rootTail = &(*rootTail)->Next;
            tail = &raw->branch(1)->FirstChild;
            made += 1 + raw->BranchCount;
        }
        while (*rootTail)
            rootTail = &(*rootTail)->Next;
    }
    return root;
}

void args(benchmark::internal::Benchmark* b)
{
    for (int count : {10000, 100000, 1000000})
        for (int depth : {0, 20})
            b->Args({count, depth});
    b->Unit(benchmark::kMillisecond);
}

void BM_Load(benchmark::State& state)
{
    const std::string bytes = saveDesign(*makeDesign(int(state.range(0)), int(state.range(1))));
    for (auto _ : state) {
        auto root = loadDesign(bytes);
        benchmark::DoNotOptimize(root.get());
        state.PauseTiming();
        root.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Load)->Apply(args);

void BM_Save(benchmark::State& state)
{
    auto root = makeDesign(int(state.range(0)), int(state.range(1)));
    for (auto _ : state)
        benchmark::DoNotOptimize(saveDesign(*root));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Save)->Apply(args);

void BM_Clone(benchmark::State& state)
{
    auto root = makeDesign(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        auto copy = root->cloneBlock();
        benchmark::DoNotOptimize(copy.get());
        state.PauseTiming();
        copy.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Clone)->Apply(args);

void BM_Release(benchmark::State& state)
{
    auto root = makeDesign(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        state.PauseTiming();
        auto copy = root->cloneBlock();
        state.ResumeTiming();
        copy.reset();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Release)->Apply(args);

// The text of the Java view: the export and which element each line belongs to. Deep nesting makes
// long indentations and many elements around each line.
void BM_JavaLines(benchmark::State& state)
{
    auto root = makeDesign(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        const TJavaLines lines(*root);
        benchmark::DoNotOptimize(lines.lineCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_JavaLines)
    ->Args({10000, 0})
    ->Args({10000, 999})
    ->Args({1000000, 0})
    ->Args({1000000, 20})
    ->Unit(benchmark::kMillisecond);

// Finding an element's lines: after every change of the current element, and for each breakpoint and the
// running element while a design runs.
void BM_JavaLinesOf(benchmark::State& state)
{
    auto root = makeDesign(int(state.range(0)), 0);
    const TJavaLines lines(*root);
    const TElement* last = root->FirstChild.get();
    while (last->Next)
        last = last->Next.get();
    for (auto _ : state)
        benchmark::DoNotOptimize(lines.linesOf(last));
}
BENCHMARK(BM_JavaLinesOf)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
