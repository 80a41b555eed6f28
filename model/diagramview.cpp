#include "model/diagramview.h"

#include "model/layoutcache.h"
#include "model/texts.h"

#include <climits>

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
    return {origin, TRect{left - reach, top - reach, left + size.cx + reach, origin.y + size.cy + reach}};
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
