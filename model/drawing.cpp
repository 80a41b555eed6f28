// What the drawing of both modes shares: the walk along a sequence, the colour helpers, the arrow and the
// flowchart tint.

#include "model/drawing.h"

#include "model/layoutcache.h"
#include "model/sequencewalk.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

// How far outside an element's measured extent its figure may paint: arrow heads, the loops' lines
// beside their bodies, labels, the drop mark above a block and the selection bars below a box.
int paintMargin(const TCanvas& canvas, const TDisplayOptions& options)
{
    return 16 + 2 * options.Spacing + 2 * canvas.penWidth();
}

bool outsideArea(const TRect& area, int left, int top, int right, int bottom)
{
    return right < area.Left || left >= area.Right || bottom < area.Top || top >= area.Bottom;
}

// The canvas state that drawing `e` would have left: every figure ends with the normal colours and puts
// the fill back; a block (also one inside a condition element) leaves the pen width of the medium and,
// in flowchart mode, a solid pen.
void skipFigure(TCanvas& canvas, const TElement& e, const TDisplayOptions& options)
{
    SetNormalColours(canvas);
    bool holdsBlock = e.isBlock();
    if (const TBedingung* condition = asCondition(&e))
        holdsBlock = condition->branch(1) || condition->branch(2);
    if (holdsBlock) {
        canvas.setPenWidth(options.Printing ? 3 : 1);
        if (options.Flowchart)
            canvas.setPenStyle(TPenStyle::Solid);
    }
}

// Keeps the canvas's pen, brush and font colour while a mark of its own is drawn.
class TCanvasStateKeeper
{
public:
    explicit TCanvasStateKeeper(TCanvas& canvas)
        : m_canvas(canvas), m_pen(canvas.penColor()), m_brush(canvas.brushColor()),
          m_font(canvas.fontColor()), m_style(canvas.brushStyle()), m_width(canvas.penWidth()),
          m_penStyle(canvas.penStyle())
    {
    }
    TCanvasStateKeeper(const TCanvasStateKeeper&) = delete;
    TCanvasStateKeeper& operator=(const TCanvasStateKeeper&) = delete;
    ~TCanvasStateKeeper()
    {
        m_canvas.setPenColor(m_pen);
        m_canvas.setBrushColor(m_brush);
        m_canvas.setFontColor(m_font);
        m_canvas.setBrushStyle(m_style);
        m_canvas.setPenWidth(m_width);
        m_canvas.setPenStyle(m_penStyle);
    }

private:
    TCanvas& m_canvas;
    TColor m_pen;
    TColor m_brush;
    TColor m_font;
    TBrushStyle m_style;
    int m_width;
    TPenStyle m_penStyle;
};

} // namespace

void SetMarkColours(TCanvas& canvas)
{
    canvas.setPenColor(clRed);
    canvas.setFontColor(clRed);
}

void SetNormalColours(TCanvas& canvas)
{
    canvas.setPenColor(clBlack);
    canvas.setFontColor(clBlack);
}

TColor runFill(const TElement& e, const TDisplayOptions& options, TColor normal)
{
    const TRunMarks* marks = options.RunMarks;
    if (!marks || !options.OnScreen)
        return normal;
    // A block is never a step: it shows a mark only while it is collapsed and holds the marked element.
    const auto shows = [&](const TRunMarks::Spot& spot) {
        return e.isBlock() ? spot.holds(e) && options.IsCollapsed(&e) : spot.element.is(e);
    };
    if (shows(marks->running))
        return kRunningFill;
    if (std::any_of(marks->failed.begin(), marks->failed.end(), shows))
        return kFailedFill;
    if (marks->countOf(e) == 0u)
        return kNeverRanFill;
    return normal;
}

void drawBreakpointMark(const TElement& e, TCanvas& canvas, int x, int y, const TDisplayOptions& options)
{
    if (!options.RunMarks || !options.OnScreen || !options.RunMarks->hasBreakpoint(e))
        return;
    constexpr TColor kDarkRed = 0x0000B0;
    const TCanvasStateKeeper keep(canvas);
    canvas.setPenColor(kDarkRed);
    canvas.setBrushColor(kDarkRed);
    canvas.setBrushStyle(TBrushStyle::Solid);
    canvas.setPenWidth(1);
    canvas.setPenStyle(TPenStyle::Solid);
    canvas.ellipse(x, y, x + kBreakpointSize, y + kBreakpointSize);
}

bool countsShown(const TDisplayOptions& options)
{
    return options.OnScreen && !options.Printing && options.RunMarks && options.RunMarks->showCounts &&
           options.RunMarks->counts;
}

int runCountReserve(TCanvas& canvas, const TDisplayOptions& options)
{
    return countsShown(options) ? canvas.textExtent("000000\xD7").cx + 10 : 0;
}

void drawRunCount(const TElement& e, TCanvas& canvas, int right, int y, const TDisplayOptions& options,
                  TCountAnchor anchor)
{
    if (!options.RunMarks || !options.OnScreen)
        return;
    const std::optional<std::uint64_t> count = options.RunMarks->countOf(e);
    if (!count)
        return;
    // Dark blue on a pale blue, apart from the red of the marks and the yellow of the running element.
    constexpr TColor kCountInk = 0x800000;
    constexpr TColor kCountFill = 0xFFF0E0;
    const std::string text = std::to_string(*count) + "\xD7"; // "12×" in code page 1252
    const TCanvasStateKeeper keep(canvas);
    const TSize t = canvas.textExtent(text);
    const int left = anchor == TCountAnchor::Right ? right - t.cx - 6 : right;
    canvas.setPenColor(kCountInk);
    canvas.setFontColor(kCountInk);
    canvas.setBrushColor(kCountFill);
    canvas.setBrushStyle(TBrushStyle::Solid);
    canvas.setPenWidth(1);
    canvas.setPenStyle(TPenStyle::Solid);
    canvas.rectangle(left, y, left + t.cx + 6, y + t.cy + 2);
    canvas.textOut(left + 3, y + 1, text);
}

TColor flowchartInnerFill(TColor fill)
{
    const TColor red = fill & 0xFF;
    const TColor green = (fill >> 8) & 0xFF;
    const TColor blue = (fill >> 16) & 0xFF;
    return (red > 6 ? red - 6 : 0) | (green > 6 ? green - 6 : 0) << 8 | blue << 16;
}

void DrawArrow(TCanvas& canvas, TArrowKind kind, int x1, int y1, int x2, int y2, bool highlight,
               bool printing)
{
    const TColor fill = canvas.brushColor();
    canvas.setBrushColor(clBlack);
    int size = 10;
    if (!printing) {
        size = 2;
        if (highlight) {
            canvas.setPenColor(clRed);
            canvas.setBrushColor(clRed);
        }
    }
    canvas.line(x1, y1, x2, y2);
    switch (kind) {
    case TArrowKind::ArrowDown:
        canvas.polygon({TPoint{x2 - size, y2 - size}, TPoint{x2 + size, y2 - size}, TPoint{x2, y2}});
        break;
    case TArrowKind::ArrowRight:
        canvas.polygon({TPoint{x2 - size, y2 - size}, TPoint{x2 - size, y2 + size}, TPoint{x2, y2}});
        break;
    case TArrowKind::ArrowNone:
        canvas.line(x2, y2, x2, y2 + 1);
        break;
    }
    if (highlight)
        canvas.setPenColor(clBlack);
    canvas.setBrushColor(fill);
}

namespace {

using MarkJob = TSequenceWalk::MarkJob;

bool onMarkPath(const TElement& e, const TDisplayOptions& options)
{
    return std::find(options.MarkPath.begin(), options.MarkPath.end(), &e) != options.MarkPath.end();
}

// The canvas state that drawing any run of figures leaves: the normal colours, and the pen width and
// style of the medium, which a block sets and no figure leaves otherwise.
void skipRun(TCanvas& canvas, const TDisplayOptions& options)
{
    SetNormalColours(canvas);
    canvas.setPenWidth(options.Printing ? 3 : 1);
    if (options.Flowchart)
        canvas.setPenStyle(TPenStyle::Solid);
}

} // namespace

bool TSequenceWalk::drawIfSeen(const TElement& e, TPoint at, TSize s, int width, TCanvas& canvas,
                               TDisplayOptions& options, std::vector<MarkJob>& marks)
{
    const TRect area = canvas.paintArea();
    const int margin = paintMargin(canvas, options);
    const int left = options.Flowchart ? at.x - s.cx / 2 : at.x;
    const int right = options.Flowchart ? at.x + s.cx / 2 : at.x + width;
    if (!onMarkPath(e, options) &&
        outsideArea(area, left - margin, at.y - margin, right + margin, at.y + s.cy + margin))
        return false;
    e.drawElement(canvas, at, width, options);
    if (!options.Flowchart && (options.DropTarget == &e || drawnMarked(e, options)))
        marks.push_back(MarkJob{&e, at});
    return true;
}

void TSequenceWalk::drawMarkJobs(const std::vector<MarkJob>& marks, TCanvas& canvas, int width,
                                 TDisplayOptions& options)
{
    for (auto job = marks.rbegin(); job != marks.rend(); ++job)
        job->element->drawMarks(canvas, job->origin, width, options);
}

// Draws each element of the sequence in turn, each at the lower edge of the one before, and ends with the
// window's root block; then the marks of the elements drawn, last element first, as each element draws
// its marks after its successors. Figures wholly outside the painted area are left out (the canvas is
// left as drawing them would leave it), except where a marked element lies inside, which must still
// record where it stands.
void TElement::Draw(TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options) const
{
    TLayoutScope scope(canvas, options);
    std::vector<MarkJob> marks;
    TPoint at = origin;
    for (const TElement* e = this; e; e = e->Next.get()) {
        const TSize s = measured(*e, canvas, options);
        if (!TSequenceWalk::drawIfSeen(*e, at, s, width, canvas, options, marks))
            skipFigure(canvas, *e, options);
        if (e == options.RootBlock)
            break;
        at.y += s.cy;
    }
    TSequenceWalk::drawMarkJobs(marks, canvas, width, options);
}

// A long sequence is not walked: bisection over the block's index finds the children that reach into the
// painted area, and the elements on the mark path are added.
void drawChildren(const TBlock& block, TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options)
{
    if (!block.FirstChild)
        return;
    const TSequenceIndex* index = sequenceIndex(block, canvas, options);
    if (!index) {
        block.FirstChild->Draw(canvas, origin, width, options);
        return;
    }
    const std::vector<int>& tops = index->tops;
    const std::size_t count = tops.size();
    const TRect area = canvas.paintArea();
    const int margin = paintMargin(canvas, options);
    // The first child whose lower edge reaches the area, and the first one that starts below it.
    const auto lowerEdge = [&](std::size_t i) { return i + 1 < count ? tops[i + 1] : index->height; };
    std::size_t first = 0;
    for (std::size_t lo = 0, hi = count; lo < hi;) {
        const std::size_t mid = (lo + hi) / 2;
        if (origin.y + lowerEdge(mid) + margin < area.Top)
            first = lo = mid + 1;
        else
            hi = mid;
    }
    const std::size_t end = static_cast<std::size_t>(
        std::lower_bound(tops.begin(), tops.end(), area.Bottom + margin - origin.y) - tops.begin());
    std::vector<std::size_t> wanted;
    for (const TElement* e : options.MarkPath) {
        if (e->parent() != &block)
            continue;
        if (const std::size_t i = positionInSequence(*e); i < count && (i < first || i >= end))
            wanted.push_back(i);
    }
    for (std::size_t i = first; i < end; ++i)
        wanted.push_back(i);
    std::sort(wanted.begin(), wanted.end());

    std::vector<MarkJob> marks;
    std::size_t next = 0; // the first child not yet drawn or passed over
    for (std::size_t i : wanted) {
        if (i < next)
            continue;
        if (i > next)
            skipRun(canvas, options);
        const TElement& e = *index->elements[i];
        const TPoint at{origin.x, origin.y + tops[i]};
        if (!TSequenceWalk::drawIfSeen(e, at, measured(e, canvas, options), width, canvas, options, marks))
            skipFigure(canvas, e, options);
        next = i + 1;
    }
    if (next < count)
        skipRun(canvas, options);
    TSequenceWalk::drawMarkJobs(marks, canvas, width, options);
}
