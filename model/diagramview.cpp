#include "model/diagramview.h"

#include "model/layoutcache.h"
#include "model/texts.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <utility>

namespace {

// A canvas that measures text on another one and paints nothing; its painted area is empty, so that a
// drawing only walks down to the marked element, which is drawn wherever it lies.
class TProbeCanvas : public TCanvas
{
public:
    explicit TProbeCanvas(TCanvas& measure) : m_measure(measure) {}

    TSize textExtent(const std::string& s) override { return m_measure.textExtent(s); }
    void rectangle(int, int, int, int) override {}
    void line(int, int, int, int) override {}
    void polyline(const std::vector<TPoint>&) override {}
    void polygon(const std::vector<TPoint>&) override {}
    void ellipse(int, int, int, int) override {}
    void textOut(int, int, const std::string&) override {}
    TColor windowColor() const override { return kWindowFill; }
    TRect paintArea() const override { return TRect{0, 0, 0, 0}; }
    std::uintptr_t metricsKey() const override { return m_measure.metricsKey(); }

private:
    TCanvas& m_measure;
};

// The rows inside an element where a printout may end a sheet: between the elements of a sequence, and
// where a structogram's figure has no text on the row (below a loop's condition strip, between the
// elements of a loop body, where both columns of a decision allow it). Sequences are walked in loops;
// only nesting recurses.
class TBreakFinder
{
public:
    TBreakFinder(TCanvas& canvas, TDisplayOptions& options) : m_canvas(canvas), m_options(options) {}

    // The breaks inside `e` standing at `y`, sorted; when `e` is an element of a sequence (not a branch
    // block, not the printed block), each break cuts through it too.
    std::vector<TPageBreak> inside(const TElement& e, int y, bool cutsElement)
    {
        const int height = measured(e, m_canvas, m_options).cy;
        std::vector<TPageBreak> breaks;
        if (const TBlock* block = asBlock(&e))
            breaks = insideBlock(*block, y);
        else if (const TBedingung* condition = asCondition(&e); condition && !m_options.Flowchart)
            breaks = insideCondition(*condition, y, height);
        if (cutsElement) {
            for (TPageBreak& b : breaks)
                b.within = std::min(b.within, height);
        }
        return breaks;
    }

private:
    std::vector<TPageBreak> insideBlock(const TBlock& block, int y)
    {
        std::vector<TPageBreak> breaks;
        if (m_options.IsCollapsed(&block))
            return breaks;
        if (m_options.Flowchart && block.Framed)
            y += m_options.Spacing + 1;
        for (const TElement* e = block.FirstChild.get(); e; e = e->Next.get()) {
            if (e != block.FirstChild.get())
                breaks.push_back(TPageBreak{y, TPageBreak::kNoElement});
            const std::vector<TPageBreak> inner = inside(*e, y, true);
            breaks.insert(breaks.end(), inner.begin(), inner.end());
            y += measured(*e, m_canvas, m_options).cy;
        }
        return breaks;
    }

    std::vector<TPageBreak> insideCondition(const TBedingung& e, int y, int height)
    {
        const int strip = e.MeasureCondition(m_canvas, m_options).cy;
        const TBlock* body = e.branch(1);
        std::vector<TPageBreak> breaks;
        if (e.kind() == Kind::DoWhile || e.kind() == Kind::Repeat) {
            const int bodyHeight = body ? measured(*body, m_canvas, m_options).cy : 0;
            if (body)
                breaks = inside(*body, y, false);
            breaks.push_back(TPageBreak{y + bodyHeight, TPageBreak::kNoElement});
            return breaks;
        }
        breaks.push_back(TPageBreak{y + strip, TPageBreak::kNoElement});
        if (e.kind() != Kind::If) {
            if (body) {
                const std::vector<TPageBreak> inner = inside(*body, y + strip, false);
                breaks.insert(breaks.end(), inner.begin(), inner.end());
            }
            return breaks;
        }
        // A decision: a row is free in a column on a break of its branch, on the branch's lower edge and
        // below it; the decision may end a sheet where both columns are free.
        struct Column
        {
            std::vector<TPageBreak> breaks;
            int bottom = 0;
        };
        Column columns[2];
        for (int i = 0; i < 2; ++i) {
            const TBlock* branch = e.branch(i + 1);
            columns[i].bottom = y + strip + (branch ? measured(*branch, m_canvas, m_options).cy : 0);
            if (branch)
                columns[i].breaks = inside(*branch, y + strip, false);
            columns[i].breaks.push_back(TPageBreak{columns[i].bottom, TPageBreak::kNoElement});
        }
        const auto freeIn = [](const Column& c, int row) -> std::optional<int> {
            if (row >= c.bottom)
                return TPageBreak::kNoElement;
            for (const TPageBreak& b : c.breaks) {
                if (b.y == row)
                    return b.within;
            }
            return std::nullopt;
        };
        for (int i = 0; i < 2; ++i) {
            for (const TPageBreak& b : columns[i].breaks) {
                if (b.y >= y + height)
                    continue;
                const std::optional<int> other = freeIn(columns[1 - i], b.y);
                if (other)
                    breaks.push_back(TPageBreak{b.y, std::min(b.within, *other)});
            }
        }
        std::sort(breaks.begin(), breaks.end(), [](const TPageBreak& a, const TPageBreak& b) {
            return a.y < b.y || (a.y == b.y && a.within > b.within);
        });
        breaks.erase(std::unique(breaks.begin(), breaks.end(),
                                 [](const TPageBreak& a, const TPageBreak& b) { return a.y == b.y; }),
                     breaks.end());
        return breaks;
    }

    TCanvas& m_canvas;
    TDisplayOptions& m_options;
};

} // namespace

TPoint displayOrigin(TCanvas& canvas, TBlock& shown, TDisplayOptions& options, bool flowchart)
{
    options.Flowchart = flowchart;
    if (!flowchart)
        return {15, 15};
    TLayoutScope scope(canvas, options);
    return {measured(shown, canvas, options).cx / 2 + 30, 15};
}

TSize scrollRangesOf(TCanvas& canvas, TBlock& shown, TDisplayOptions& options, bool flowchart)
{
    options.Flowchart = flowchart;
    TLayoutScope scope(canvas, options);
    const TSize s = measured(shown, canvas, options);
    return {s.cx + 50, s.cy + 50};
}

void paintDiagram(TCanvas& canvas, TBlock& shown, TPoint origin, TDisplayOptions& options, bool flowchart,
                  std::optional<TColor> background)
{
    options.Flowchart = flowchart;
    options.RootBlock = &shown;
    // One layout scope for the measure of the width and the drawing.
    TLayoutScope scope(canvas, options);
    canvas.setBrushColor(background.value_or(options.OnScreen ? kWindowFill : clWhite));
    if (flowchart) {
        // The start symbol above the origin.
        canvas.ellipse(origin.x - 2, origin.y - 9, origin.x + 3, origin.y - 4);
        canvas.line(origin.x, origin.y - 4, origin.x, origin.y);
    }
    const int width = measured(shown, canvas, options).cx;
    shown.Draw(canvas, origin, width, options);
}

TPrintSettings::TPrintSettings(TCanvas& printer, TDisplayOptions& options) : m_options(options)
{
    options.OnScreen = false;
    options.Spacing = printer.textExtent(texts::kJa).cy / 2;
    options.Printing = true;
}

TPrintSettings::~TPrintSettings()
{
    m_options.Spacing = 6;
    m_options.Printing = false;
    m_options.OnScreen = true;
}

TPrintedDiagram printedDiagram(TCanvas& printer, TBlock& shown, TDisplayOptions& options, bool flowchart)
{
    // The origin is worked out on the printer canvas, on which the diagram is laid out: the flowchart's
    // centre line follows the printed width, so no part of the diagram lies left of the page.
    TPoint origin = displayOrigin(printer, shown, options, flowchart);
    origin.y = 80;
    TLayoutScope scope(printer, options);
    const TSize size = measured(shown, printer, options);
    // The thick pens reach a pixel past the figures. In a flowchart the arrow heads reach up to their size
    // past a line, a loop's labels beside its diamond may stand out of the measured width by up to their
    // own width, and the start symbol stands above the origin.
    const int reach = flowchart ? printer.textExtent(texts::kNein).cx + 12 : 3;
    const int left = flowchart ? origin.x - size.cx / 2 : origin.x;
    const int top = flowchart ? origin.y - 10 : origin.y;
    std::vector<TPageBreak> breaks = TBreakFinder(printer, options).inside(shown, origin.y, false);
    return {origin, TRect{left - reach, top - reach, left + size.cx + reach, origin.y + size.cy + reach},
            std::move(breaks)};
}

void drawPrintedDiagram(TCanvas& printer, TBlock& shown, TDisplayOptions& options, bool flowchart)
{
    const TPoint origin = printedDiagram(printer, shown, options, flowchart).origin;
    printer.setPenWidth(3);
    paintDiagram(printer, shown, origin, options, flowchart);
}

void printDiagram(TCanvas& printer, const std::string& caption, TBlock& shown, TDisplayOptions& options,
                  bool flowchart)
{
    printer.textOut(10, 10, caption);
    const TPrintSettings settings(printer, options);
    drawPrintedDiagram(printer, shown, options, flowchart);
}

std::optional<TRect> elementRect(TCanvas& measure, TBlock& shown, TPoint origin,
                                 const TDisplayOptions& options, bool flowchart, TElement* e)
{
    if (!e)
        return std::nullopt;
    TDisplayOptions probe = options;
    probe.ClearMarked();
    probe.AddMarked(e);
    probe.DropTarget = nullptr;
    probe.OnScreen = true;
    constexpr TRect kUnset{INT_MIN, INT_MIN, INT_MIN, INT_MIN};
    probe.HighlightRect = kUnset;
    TProbeCanvas canvas(measure);
    paintDiagram(canvas, shown, origin, probe, flowchart);
    if (probe.HighlightRect == kUnset)
        return std::nullopt;
    return probe.HighlightRect;
}

const TElement* drawnFor(const TBlock& shown, const TDisplayOptions& options, const TElement& e)
{
    const TElement* drawn = &e;
    for (const TElement* x = &e; x; x = x->parent()) {
        if (x != &e && x->isBlock() && options.IsCollapsed(x))
            drawn = x;
        if (x == &shown)
            return drawn;
    }
    return nullptr;
}
