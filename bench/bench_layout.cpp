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
    TSize TextExtent(const std::string& s) override { return {static_cast<int>(s.size()) * 7, 13}; }
    TColor PenColor() const override { return m_pen; }
    void SetPenColor(TColor c) override { m_pen = c; }
    int PenWidth() const override { return m_width; }
    void SetPenWidth(int w) override { m_width = w; }
    TPenStyle PenStyle() const override { return m_style; }
    void SetPenStyle(TPenStyle s) override { m_style = s; }
    TColor BrushColor() const override { return m_brush; }
    void SetBrushColor(TColor c) override { m_brush = c; }
    TBrushStyle BrushStyle() const override { return m_brushStyle; }
    void SetBrushStyle(TBrushStyle s) override { m_brushStyle = s; }
    TColor FontColor() const override { return m_font; }
    void SetFontColor(TColor c) override { m_font = c; }
    void Rectangle(int, int, int, int) override { ++primitives; }
    void Line(int, int, int, int) override { ++primitives; }
    void Polyline(const std::vector<TPoint>&) override { ++primitives; }
    void Polygon(const std::vector<TPoint>&) override { ++primitives; }
    void Ellipse(int, int, int, int) override { ++primitives; }
    void TextOut(int, int, const std::string&) override { ++primitives; }
    TColor WindowColor() const override { return clWhite; }
    TRect PaintArea() const override { return area; }

    TRect area = TCanvas::PaintArea();
    long primitives = 0;

private:
    TColor m_pen = clBlack;
    int m_width = 1;
    TPenStyle m_style = TPenStyle::Solid;
    TColor m_brush = clWhite;
    TBrushStyle m_brushStyle = TBrushStyle::Solid;
    TColor m_font = clBlack;
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
