// What the drawing of both modes shares: the walk along a sequence, the colour helpers, the arrow and the
// flowchart tint.

#include "model/drawing.h"

#include "model/sizetable.h"

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

// Draws each element of the sequence in turn, each at the lower edge of the one before, and ends with the
// window's root block; then the marks of the elements drawn, last element first, as each element draws
// its marks after its successors. Figures wholly outside the painted area are left out (their canvas
// state is put as drawing them would leave it), except where a marked element lies inside, which must
// still record where it stands.
void TElement::Draw(TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options) const
{
    struct MarkJob
    {
        const TElement* element;
        TPoint origin;
    };
    TSizeTableScope sizes(options);
    const TRect area = canvas.paintArea();
    const int margin = paintMargin(canvas, options);
    std::vector<MarkJob> marks;
    TPoint at = origin;
    for (const TElement* e = this; e; e = e->Next.get()) {
        const TSizeTable::Entry entry = options.Sizes->get(*e, canvas, options);
        const TSize s = entry.size;
        const int left = options.Flowchart ? at.x - s.cx / 2 : at.x;
        const int right = options.Flowchart ? at.x + s.cx / 2 : at.x + width;
        if (entry.holdsMark ||
            !outsideArea(area, left - margin, at.y - margin, right + margin, at.y + s.cy + margin)) {
            e->drawElement(canvas, at, width, options);
            if (!options.Flowchart && (options.DropTarget == e || drawnMarked(*e, options)))
                marks.push_back(MarkJob{e, at});
        } else {
            skipFigure(canvas, *e, options);
        }
        if (e == options.RootBlock)
            break;
        at.y += s.cy;
    }
    for (auto job = marks.rbegin(); job != marks.rend(); ++job)
        job->element->drawMarks(canvas, job->origin, width, options);
}
