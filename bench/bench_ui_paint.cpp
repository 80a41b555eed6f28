// A full paint (Measure + Draw through the Qt canvas) into a window-sized QImage, and one hit test as a
// mouse move while dragging makes it, for flat and nested designs in both modes; beside them, a plain
// QPainter loop that draws the same number of boxes and texts with no layout at all.

#include "bench/bench_designs.h"
#include "model/diagramview.h"
#include "model/displayoptions.h"
#include "ui/cp1252.h"
#include "ui/qtcanvas.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

constexpr int kWindowWidth = 696;
constexpr int kWindowHeight = 480;

// A window of the standard size scrolled to the middle of the design, painted as its paint event does:
// the origin worked out on the window's canvas, then paintDiagram; `pixelRatio` device pixels to a pixel.
void paintWindow(benchmark::State& state, qreal pixelRatio)
{
    TBlock* root = &bench::design(int(state.range(0)), int(state.range(1)));
    const bool flowchart = state.range(2) != 0;
    TDisplayOptions options;
    TSize ranges;
    {
        TQtMeasureCanvas measure;
        ranges = scrollRangesOf(measure.canvas(), *root, options, flowchart);
    }
    const int scrollY = std::max(0, ranges.cy / 2 - kWindowHeight / 2);
    options.AddMarked(root);
    QImage image(int(kWindowWidth * pixelRatio), int(kWindowHeight * pixelRatio), QImage::Format_RGB32);
    image.setDevicePixelRatio(pixelRatio);
    for (auto _ : state) {
        image.fill(toQColor(kWindowFill));
        QPainter painter(&image);
        TQtCanvas canvas(painter, screenFont());
        TPoint origin = displayOrigin(canvas, *root, options, flowchart);
        origin.y -= scrollY;
        paintDiagram(canvas, *root, origin, options, flowchart);
    }
}

void BM_Paint(benchmark::State& state)
{
    paintWindow(state, 1);
}
BENCHMARK(BM_Paint)->Apply(bench::designArgs)->Unit(benchmark::kMillisecond);

// The same window on a screen of double resolution, where the canvas draws in device pixel blocks.
void BM_PaintDoubleResolution(benchmark::State& state)
{
    paintWindow(state, 2);
}
BENCHMARK(BM_PaintDoubleResolution)->Apply(bench::designArgs)->Unit(benchmark::kMillisecond);

// The element under the pointer in the middle of that window.
void BM_HitTest(benchmark::State& state)
{
    TBlock* root = &bench::design(int(state.range(0)), int(state.range(1)));
    const bool flowchart = state.range(2) != 0;
    TDisplayOptions options;
    TQtMeasureCanvas measure;
    const TSize ranges = scrollRangesOf(measure.canvas(), *root, options, flowchart);
    const TPoint origin = displayOrigin(measure.canvas(), *root, options, flowchart);
    options.RootBlock = root;
    const int x = flowchart ? origin.x : origin.x + 30;
    const int y = ranges.cy / 2;
    TElement* hit = nullptr;
    for (auto _ : state)
        benchmark::DoNotOptimize(hit = root->HitTest(measure.canvas(), origin, options, x, y));
    if (!hit)
        state.SkipWithError("nothing hit");
}
BENCHMARK(BM_HitTest)->Apply(bench::designArgs)->Unit(benchmark::kMicrosecond);

// What the window shows, drawn straight with QPainter: about as many boxes with texts as fit the window.
void BM_PlainQPainter(benchmark::State& state)
{
    QImage image(kWindowWidth, kWindowHeight, QImage::Format_RGB32);
    const QFont font = screenFont();
    std::vector<QString> texts;
    for (int i = 0; i < 24; ++i)
        texts.push_back(fromCp1252("summe = summe + " + std::to_string(i)));
    for (auto _ : state) {
        image.fill(toQColor(kWindowFill));
        QPainter painter(&image);
        painter.setFont(font);
        for (int i = 0; i < 24; ++i) {
            const QRect box(15 + (i % 3) * 20, 15 + i * 22, 400, 23);
            painter.fillRect(box, Qt::white);
            painter.setPen(Qt::black);
            painter.drawRect(box);
            painter.drawText(box.left() + 5, box.top() + 15, texts[std::size_t(i)]);
        }
    }
}
BENCHMARK(BM_PlainQPainter)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    bench::makeAllDesigns();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
