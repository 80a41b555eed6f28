// Painting a window and hit testing through the Qt canvas, for flat and nested designs of up to a million
// elements in both modes:
//   BM_Paint        a paint of a window-sized view in the middle of the design, once the sizes are known;
//   BM_PaintDoubleResolution  the same on a screen of double resolution;
//   BM_Floor        the same view drawn with plain QPainter calls from a recording of it (boxes and
//                   polygons filled, lines, texts), no layout at all;
//   BM_FirstPaint   the first paint after the design was read from its file bytes (nothing measured yet,
//                   no text extent known, as at a program's start);
//   BM_LoadAndFirstPaint  reading the file bytes, installing the design in a document and that first paint;
//   BM_HitTest      the element under the pointer in the middle of that view, as a mouse move makes it;
//   BM_PlainQPainter  a fixed loop of 24 boxes with texts, the floor of the first measurement.

#include "bench/bench_designs.h"
#include "bench/bench_ui_main.h"
#include "model/dateiformat.h"
#include "model/diagramview.h"
#include "model/displayoptions.h"
#include "model/document.h"
#include "ui/commandguard.h"
#include "ui/cp1252.h"
#include "ui/qtcanvas.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <malloc.h>
#include <vector>

namespace {

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

constexpr int kWindowWidth = 696;
constexpr int kWindowHeight = 480;

struct View
{
    TBlock* root;
    bool flowchart;
    int scrollY;
};

View middleView(benchmark::State& state, TDisplayOptions& options)
{
    TBlock* root = &bench::design(int(state.range(0)), int(state.range(1)));
    const bool flowchart = state.range(2) != 0;
    TQtMeasureCanvas measure;
    const TSize ranges = scrollRangesOf(measure.canvas(), *root, options, flowchart);
    return {root, flowchart, std::max(0, ranges.cy / 2 - kWindowHeight / 2)};
}

// One paint of the view, as the window's paint event does it: origin on the window's canvas, then paint.
void paintView(const View& view, TDisplayOptions& options, QImage& image, const QFont& font)
{
    image.fill(toQColor(kWindowFill));
    QPainter painter(&image);
    TQtCanvas canvas(painter, font);
    TPoint origin = displayOrigin(canvas, *view.root, options, view.flowchart);
    origin.y -= view.scrollY;
    paintDiagram(canvas, *view.root, origin, options, view.flowchart);
}

void BM_Paint(benchmark::State& state)
{
    TDisplayOptions options;
    const View view = middleView(state, options);
    options.AddMarked(view.root);
    QImage image(kWindowWidth, kWindowHeight, QImage::Format_RGB32);
    const QFont font = screenFont();
    paintView(view, options, image, font); // the sizes are known from here on
    for (auto _ : state)
        paintView(view, options, image, font);
}

BENCHMARK(BM_Paint)->Apply(bench::designArgs)->Unit(benchmark::kMillisecond);

// A canvas that notes what a paint draws inside the window, to be drawn again with plain QPainter calls.
class TNotingCanvas : public TQtCanvas
{
public:
    struct Shape
    {
        enum Kind { Rect, Line, Text, Polygon } kind;
        QRect rect;
        QLine line;
        QString text;
        QPolygon polygon;
        QColor fill;
    };
    using TQtCanvas::TQtCanvas;
    void rectangle(int l, int t, int r, int b) override
    {
        note({Shape::Rect, QRect(l, t, r - l, b - t), {}, {}, {}, {}});
    }
    void line(int x1, int y1, int x2, int y2) override
    {
        note({Shape::Line, {}, QLine(x1, y1, x2, y2), {}, {}, {}});
    }
    void polyline(const std::vector<TPoint>& p) override
    {
        for (std::size_t i = 1; i < p.size(); ++i)
            line(p[i - 1].x, p[i - 1].y, p[i].x, p[i].y);
    }
    void polygon(const std::vector<TPoint>& p) override
    {
        QPolygon points;
        for (const TPoint& point : p)
            points << QPoint(point.x, point.y);
        note({Shape::Polygon, points.boundingRect(), {}, {}, points, toQColor(brushColor())});
    }
    void textOut(int x, int y, const std::string& s) override
    {
        note({Shape::Text, QRect(x, y, 1, 1), {}, fromCp1252(s), {}, {}});
    }
    std::vector<Shape> shapes;

private:
    void note(const Shape& s)
    {
        const QRect area(0, 0, kWindowWidth, kWindowHeight);
        const QRect box = s.kind == Shape::Line ? QRect(s.line.p1(), s.line.p2()).normalized() : s.rect;
        if (box.intersects(area) || area.contains(box.topLeft()))
            shapes.push_back(s);
    }
};

void BM_Floor(benchmark::State& state)
{
    TDisplayOptions options;
    const View view = middleView(state, options);
    QImage image(kWindowWidth, kWindowHeight, QImage::Format_RGB32);
    const QFont font = screenFont();
    std::vector<TNotingCanvas::Shape> shapes;
    {
        QPainter painter(&image);
        TNotingCanvas canvas(painter, font);
        TPoint origin = displayOrigin(canvas, *view.root, options, view.flowchart);
        origin.y -= view.scrollY;
        paintDiagram(canvas, *view.root, origin, options, view.flowchart);
        shapes = std::move(canvas.shapes);
    }
    for (auto _ : state) {
        image.fill(toQColor(kWindowFill));
        QPainter painter(&image);
        painter.setFont(font);
        for (const TNotingCanvas::Shape& s : shapes) {
            switch (s.kind) {
            case TNotingCanvas::Shape::Rect:
                painter.fillRect(s.rect, Qt::white);
                painter.drawRect(s.rect);
                break;
            case TNotingCanvas::Shape::Line:
                painter.drawLine(s.line);
                break;
            case TNotingCanvas::Shape::Text:
                painter.drawText(s.rect.left(), s.rect.top() + 11, s.text);
                break;
            case TNotingCanvas::Shape::Polygon:
                painter.setBrush(s.fill);
                painter.drawPolygon(s.polygon);
                painter.setBrush(Qt::NoBrush);
                break;
            }
        }
    }
    state.counters["shapes"] = static_cast<double>(shapes.size());
}
BENCHMARK(BM_Floor)->Apply(bench::designArgs)->Unit(benchmark::kMillisecond);

void BM_FirstPaint(benchmark::State& state)
{
    const std::string bytes = saveDesign(bench::design(int(state.range(0)), int(state.range(1))));
    const bool flowchart = state.range(2) != 0;
    QImage image(kWindowWidth, kWindowHeight, QImage::Format_RGB32);
    const QFont font = screenFont();
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<TBlock> root = loadDesign(bytes);
        forgetTextExtents();
        TDisplayOptions options;
        state.ResumeTiming();
        TQtMeasureCanvas measure;
        const TSize ranges = scrollRangesOf(measure.canvas(), *root, options, flowchart);
        paintView({root.get(), flowchart, std::max(0, ranges.cy / 2 - kWindowHeight / 2)}, options, image,
                  font);
        state.PauseTiming();
        root.reset();
        state.ResumeTiming();
    }
}
// What opening a design costs until it is seen: the file's bytes read into a tree, the tree installed as
// the document does it, its scroll ranges, then the first paint; with the processor time of each stage.
void BM_LoadAndFirstPaint(benchmark::State& state)
{
    const std::string bytes = saveDesign(bench::design(int(state.range(0)), int(state.range(1))));
    const bool flowchart = state.range(2) != 0;
    QImage image(kWindowWidth, kWindowHeight, QImage::Format_RGB32);
    const QFont font = screenFont();
    // The processor time of each stage, in milliseconds per iteration.
    double stages[5] = {};
    auto lap = [&stages, last = cpuSeconds()](int stage) mutable {
        const double now = cpuSeconds();
        stages[stage] += (now - last) * 1000.0;
        last = now;
    };
    for (auto _ : state) {
        state.PauseTiming();
        forgetTextExtents();
        TDisplayOptions options;
        auto document = std::make_unique<TDesignDocument>();
        state.ResumeTiming();
        lap(4); // the time before is not counted
        TLoadedDesign loaded{loadDesign(bytes)};
        lap(0);
        document->replaceDesign(std::move(loaded), false, "bench.str");
        TBlock& root = document->root();
        lap(1);
        TQtMeasureCanvas measure;
        benchmark::DoNotOptimize(scrollRangesOf(measure.canvas(), root, options, flowchart));
        lap(2);
        paintView({&root, flowchart, 0}, options, image, font); // a design opens at its top
        lap(3);
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    const char* names[] = {"load_ms", "install_ms", "ranges_ms", "paint_ms"};
    for (int i = 0; i < 4; ++i)
        state.counters[names[i]] = stages[i] / static_cast<double>(state.iterations());
}
BENCHMARK(BM_LoadAndFirstPaint)
    ->Args({1000000, 0, 0})
    ->Args({1000000, 20, 0})
    ->Args({1000000, 20, 1})
    ->ArgNames({"elements", "depth", "flowchart"})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_FirstPaint)
    ->Args({100000, 0, 0})
    ->Args({1000000, 0, 0})
    ->Args({1000000, 0, 1})
    ->Args({1000000, 20, 0})
    ->Args({1000000, 20, 1})
    ->ArgNames({"elements", "depth", "flowchart"})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// The same view on a screen of double resolution, where the canvas draws in device pixel blocks.
void BM_PaintDoubleResolution(benchmark::State& state)
{
    TDisplayOptions options;
    const View view = middleView(state, options);
    options.AddMarked(view.root);
    QImage image(2 * kWindowWidth, 2 * kWindowHeight, QImage::Format_RGB32);
    image.setDevicePixelRatio(2);
    const QFont font = screenFont();
    paintView(view, options, image, font);
    for (auto _ : state)
        paintView(view, options, image, font);
}
BENCHMARK(BM_PaintDoubleResolution)->Apply(bench::designArgs)->Unit(benchmark::kMillisecond);

void BM_HitTest(benchmark::State& state)
{
    TDisplayOptions options;
    const View view = middleView(state, options);
    TQtMeasureCanvas measure;
    const TPoint origin = displayOrigin(measure.canvas(), *view.root, options, view.flowchart);
    options.RootBlock = view.root;
    const int x = view.flowchart ? origin.x : origin.x + 30;
    const int y = view.scrollY + kWindowHeight / 2;
    TElement* hit = nullptr;
    for (auto _ : state)
        benchmark::DoNotOptimize(hit = view.root->HitTest(measure.canvas(), origin, options, x, y));
    if (!hit)
        state.SkipWithError("nothing hit");
}
BENCHMARK(BM_HitTest)->Apply(bench::designArgs)->Unit(benchmark::kMicrosecond);

// Bytes of heap per element of a design read from its file, and what the first paint adds (the kept sizes
// live in the elements; long sequences add their index).
void BM_MemoryPerElement(benchmark::State& state)
{
    const int count = int(state.range(0));
    const std::string bytes = saveDesign(bench::design(count, int(state.range(1))));
    QImage image(kWindowWidth, kWindowHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        std::unique_ptr<TBlock> root = loadDesign(bytes);
        const std::size_t loaded = mallinfo2().uordblks;
        TDisplayOptions options;
        paintView({root.get(), false, 0}, options, image, screenFont());
        const std::size_t painted = mallinfo2().uordblks;
        state.counters["bytes_per_element"] = double(loaded - before) / count;
        state.counters["paint_adds_per_element"] = double(painted - loaded) / count;
    }
}
BENCHMARK(BM_MemoryPerElement)
    ->Args({1000000, 0})
    ->Args({1000000, 20})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

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
    return bench::runUiBenchmarks(argc, argv, [] { bench::makeAllDesigns(); });
}
