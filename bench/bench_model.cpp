// Load, Save, Clone and release of large designs, flat and nested; the Java view's lines.

#include "model/dateiformat.h"
#include "model/editing.h"
#include "model/javalines.h"
#include "model/struktteile.h"

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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

// The lines of the Java view, made from the tree. Deep nesting makes long indentations and many elements
// around each line. The 999-deep design of 460,000 elements holds 250,000 statements; its whole text
// would be about 500 MB.
std::vector<TElement*> statementsOf(TElement* first)
{
    std::vector<TElement*> found;
    std::vector<TElement*> sequences{first};
    while (!sequences.empty()) {
        TElement* e = sequences.back();
        sequences.pop_back();
        for (; e; e = e->Next.get()) {
            if (e->kind() == Kind::Anweisung)
                found.push_back(e);
            else if (TBlock* block = asBlock(e))
                sequences.push_back(block->FirstChild.get());
            else if (TBedingung* condition = asCondition(e))
                for (auto& branch : condition->Branches)
                    if (branch)
                        sequences.push_back(branch.get());
        }
    }
    return found;
}

// A screenful of lines where `e` stands, as the view paints it after an edit or a click.
void paintLinesOf(const TJavaLines& lines, const TElement* e)
{
    const std::optional<std::pair<int, int>> where = lines.linesOf(e);
    for (int n = where ? where->first : 0, last = n + 40; n < last; ++n) {
        benchmark::DoNotOptimize(lines.line(n));
        benchmark::DoNotOptimize(lines.elementAt(n));
    }
}

// The first time after loading: every block measures its sequence.
void BM_JavaLinesFirst(benchmark::State& state)
{
    const std::string bytes = saveDesign(*makeDesign(int(state.range(0)), int(state.range(1))));
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<TBlock> root = loadDesign(bytes);
        state.ResumeTiming();
        const TJavaLines lines(*root);
        benchmark::DoNotOptimize(lines.lineCount());
        state.PauseTiming();
        root.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_JavaLinesFirst)
    ->Args({10000, 999})
    ->Args({460000, 999})
    ->Args({1000000, 0})
    ->Args({1000000, 20})
    ->Unit(benchmark::kMillisecond);

// One edit and what the view does after it: a new text for a statement in the middle of the design, the
// lines measured again, the statement's lines found and a screenful of lines made there.
void BM_JavaLinesAfterEdit(benchmark::State& state)
{
    std::unique_ptr<TBlock> root = makeDesign(int(state.range(0)), int(state.range(1)));
    adoptTree(*root);
    const std::vector<TElement*> statements = statementsOf(root.get());
    TElement* edited = statements[statements.size() / 2];
    {
        const TJavaLines lines(*root);
    }
    int n = 0;
    for (auto _ : state) {
        setText(*edited, "summe = summe + " + std::to_string(++n));
        const TJavaLines lines(*root);
        paintLinesOf(lines, edited);
    }
}
BENCHMARK(BM_JavaLinesAfterEdit)
    ->Args({460000, 999})
    ->Args({1000000, 0})
    ->Args({1000000, 20})
    ->Unit(benchmark::kMillisecond);

// The memory the view's lines hold beside the design: what the blocks keep and a screenful of lines.
void BM_JavaLinesMemory(benchmark::State& state)
{
    std::unique_ptr<TBlock> root = makeDesign(int(state.range(0)), int(state.range(1)));
    adoptTree(*root);
    const std::vector<TElement*> statements = statementsOf(root.get());
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        const TJavaLines lines(*root);
        paintLinesOf(lines, statements[statements.size() / 2]);
        const std::size_t after = mallinfo2().uordblks;
        state.counters["MB"] = double(after - before) / 1e6;
        state.counters["text_MB"] = double(lines.size()) / 1e6;
        state.counters["statements"] = double(statements.size());
    }
}
BENCHMARK(BM_JavaLinesMemory)
    ->Args({460000, 999})
    ->Args({1000000, 0})
    ->Args({1000000, 20})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Finding an element's lines: after every change of the current element, and for each breakpoint and the
// running element while a design runs.
void BM_JavaLinesOf(benchmark::State& state)
{
    auto root = makeDesign(int(state.range(0)), 0);
    adoptTree(*root);
    const TJavaLines lines(*root);
    const TElement* last = root->FirstChild.get();
    while (last->Next)
        last = last->Next.get();
    for (auto _ : state)
        benchmark::DoNotOptimize(lines.linesOf(last));
}
BENCHMARK(BM_JavaLinesOf)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The arrow keys Up and Down on the last element of the design's own sequence: the element before it is
// found by a search from the top of the design.
void BM_WalkUpAndDownAtTheEnd(benchmark::State& state)
{
    const auto root = makeDesign(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    adoptTree(*root);
    TElement* last = root->FirstChild.get();
    while (last->Next)
        last = last->Next.get();
    for (auto _ : state) {
        benchmark::DoNotOptimize(walk(TKey::Up, *root, last));
        benchmark::DoNotOptimize(walk(TKey::Down, *root, last));
    }
}
BENCHMARK(BM_WalkUpAndDownAtTheEnd)->Args({1000000, 0})->Args({1000000, 20})->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
