// Layout cost without Qt: Measure, Draw of one window's worth and HitTest on a canvas with fixed text
// metrics that draws nothing, for flat and nested designs in both modes.

#include "bench/bench_designs.h"
#include "model/canvas.h"
#include "model/diagramview.h"
#include "model/displayoptions.h"

#include <benchmark/benchmark.h>

namespace {

// TNullCanvas: fixed metrics (7 pixels a character, 13 high), keeps the state, paints nothing.
class TNullCanvas : public TCanvas
{
public:
    TSize textExtent(const std::string& s) override { return {static_cast<int>(s.size()) * 7, 13}; }
    void rectangle(int, int, int, int) override { ++primitives; }
    void line(int, int, int, int) override { ++primitives; }
    void polyline(const std::vector<TPoint>&) override { ++primitives; }
    void polygon(const std::vector<TPoint>&) override { ++primitives; }
    void ellipse(int, int, int, int) override { ++primitives; }
    void textOut(int, int, const std::string&) override { ++primitives; }
    TColor windowColor() const override { return clWhite; }
    TRect paintArea() const override { return area; }

    TRect area = TCanvas::paintArea();
    long primitives = 0;

private:
};

constexpr int kWindowWidth = 696;
constexpr int kWindowHeight = 480;

void BM_Measure(benchmark::State& state)
{
    TBlock* root = &bench::design(int(state.range(0)), int(state.range(1)));
    TNullCanvas canvas;
    TDisplayOptions options;
    options.Flowchart = state.range(2) != 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(root->Measure(canvas, options));
}
BENCHMARK(BM_Measure)->Apply(bench::designArgs)->Unit(benchmark::kMicrosecond);

// One paint of the window scrolled to the middle of the design, the current element in view.
void BM_Draw(benchmark::State& state)
{
    TBlock* root = &bench::design(int(state.range(0)), int(state.range(1)));
    const bool flowchart = state.range(2) != 0;
    TNullCanvas canvas;
    TDisplayOptions options;
    const TSize size = scrollRangesOf(canvas, *root, options, flowchart);
    TPoint origin = displayOrigin(canvas, *root, options, flowchart);
    origin.y -= size.cy / 2;
    canvas.area = TRect{0, 0, kWindowWidth, kWindowHeight};
    for (auto _ : state)
        paintDiagram(canvas, *root, origin, options, flowchart);
    state.counters["primitives"] = double(canvas.primitives) / double(state.iterations());
}
BENCHMARK(BM_Draw)->Apply(bench::designArgs)->Unit(benchmark::kMicrosecond);

// A hit test at the very bottom of the design: every element above the point is measured.
void BM_HitTest(benchmark::State& state)
{
    TBlock* root = &bench::design(int(state.range(0)), int(state.range(1)));
    const bool flowchart = state.range(2) != 0;
    TNullCanvas canvas;
    TDisplayOptions options;
    const TSize size = scrollRangesOf(canvas, *root, options, flowchart);
    const TPoint origin = displayOrigin(canvas, *root, options, flowchart);
    options.RootBlock = root;
    const int x = flowchart ? origin.x : origin.x + 5;
    const int y = origin.y + size.cy - 50 - 3;
    for (auto _ : state)
        benchmark::DoNotOptimize(root->HitTest(canvas, origin, options, x, y));
}
BENCHMARK(BM_HitTest)->Apply(bench::designArgs)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    bench::makeAllDesigns();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
