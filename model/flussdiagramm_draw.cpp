// The figures of flowchart mode: statements as boxes, conditions as diamonds, blocks as dotted frames,
// control flow as lines with arrow heads. The origin's x is the figure's vertical centre line; every
// figure is as wide as its own measure (the available width is only handed on).

#include "model/canvas.h"
#include "model/displayoptions.h"
#include "model/drawing.h"
#include "model/layoutcache.h"
#include "model/texts.h"

#include <algorithm>
#include <string>

namespace {

// The white diamond (while a run marks it, in the run's colour) with its top corner at (x, top) and the
// element's text in the middle, a breakpoint's mark at the top left of its box; the caller keeps the
// fill colour.
void drawDiamond(const TBedingung& e, TCanvas& canvas, int x, int top, TSize c,
                 const TDisplayOptions& options)
{
    const std::string& text = e.Text;
    const TSize t = canvas.textExtent(text);
    drawBreakpointMark(e, canvas, x - c.cx / 2, top, options);
    canvas.setBrushColor(runFill(e, options, clWhite));
    canvas.polygon({TPoint{x, top}, TPoint{x + c.cx / 2, top + c.cy / 2}, TPoint{x, top + c.cy},
                    TPoint{x - c.cx / 2, top + c.cy / 2}});
    // While counts are shown, text and count share the middle line, the count at the end of its room.
    const int room = runCountReserve(canvas, options);
    canvas.textOut(x - (t.cx + room) / 2, top + c.cy / 2 - t.cy / 2, text);
    drawRunCount(e, canvas, x + (t.cx + room) / 2, top + c.cy / 2 - t.cy / 2 - 1, options);
}

// The marking rule of condition elements in this mode: red, and the diamond's neighbourhood recorded.
bool markCondition(const TBedingung& e, TCanvas& canvas, TDisplayOptions& options, TPoint o, TSize c)
{
    if (!drawnMarked(e, options))
        return false;
    SetMarkColours(canvas);
    options.HighlightRect = TRect{o.x - c.cx, o.y, o.x + c.cx, o.y + c.cy};
    return true;
}

} // namespace

namespace flowchart {

// A white box with the arrow to the next figure below it.
void drawAnweisung(const TAnweisung& e, TCanvas& canvas, TPoint o, int, TDisplayOptions& options)
{
    const TSize s = measured(e, canvas, options);
    const int S = options.Spacing;
    const TColor fill = canvas.brushColor();
    canvas.setBrushColor(runFill(e, options, clWhite));
    // While printing the measure holds 2 S extra on each axis: the text stands that much further inside.
    const TRect r{o.x - s.cx / 2, o.y, o.x + s.cx / 2, o.y + s.cy - S};
    if (drawnMarked(e, options)) {
        SetMarkColours(canvas);
        options.HighlightRect = r;
    }
    canvas.rectangle(r.Left, r.Top, r.Right, r.Bottom);
    canvas.textOut(r.Left + 5 + printedTextInset(options), o.y + 5 + printedTextInset(options), e.Text);
    drawBreakpointMark(e, canvas, r.Left - kBreakpointSize - 3, r.Top + 2, options);
    drawRunCount(e, canvas, r.Right - 2, r.Top + 2, options);
    DrawArrow(canvas, TArrowKind::ArrowDown, o.x, o.y + s.cy - S - 1, o.x, o.y + s.cy - 1,
              options.DropTarget == &e, options.Printing);
    SetNormalColours(canvas);
    canvas.setBrushColor(fill);
}

// A dotted frame, filled one tint darker than around it on screen, with the entry arrow to the children
// and the exit below the frame (an arrow for a named block, a plain line for a branch or body).
void drawBlock(const TBlock& e, TCanvas& canvas, TPoint o, int width, TDisplayOptions& options)
{
    const TSize s = measured(e, canvas, options);
    const int S = options.Spacing;
    const int w = options.Printing ? s.cx - S : s.cx;
    const TColor fill = canvas.brushColor();
    if (options.OnScreen)
        canvas.setBrushColor(runFill(e, options, flowchartInnerFill(fill)));
    canvas.setPenStyle(TPenStyle::Dotted);
    if (drawnMarked(e, options)) {
        SetMarkColours(canvas);
        options.HighlightRect = TRect{o.x - s.cx, o.y, o.x + s.cx, o.y + s.cy};
    }
    if (canvas.penColor() != clRed && options.OnScreen)
        canvas.setPenColor(clGray);
    canvas.setPenWidth(1);
    const int bottom = o.y + s.cy - S - 1;
    canvas.polygon({TPoint{o.x - w / 2, o.y}, TPoint{o.x + w / 2, o.y}, TPoint{o.x + w / 2, bottom},
                    TPoint{o.x - w / 2, bottom}});
    if (options.Printing)
        canvas.setPenWidth(3);
    if (canvas.penColor() != clRed)
        canvas.setPenColor(clBlack);
    canvas.setPenStyle(TPenStyle::Solid);

    const bool collapsed = options.IsCollapsed(&e);
    if (collapsed)
        canvas.textOut(o.x - w / 2 + 5 + printedTextInset(options), o.y + 5 + printedTextInset(options),
                       e.Text);
    const bool dropTarget = options.DropTarget == &e;
    DrawArrow(canvas, e.Standalone ? TArrowKind::ArrowDown : TArrowKind::ArrowNone, o.x, bottom, o.x,
              o.y + s.cy - 1, dropTarget && options.DropAfterBlock, options.Printing);
    if (collapsed) {
        DrawArrow(canvas, TArrowKind::ArrowDown, o.x, o.y, o.x, bottom, dropTarget && !options.DropAfterBlock,
                  options.Printing);
    } else if (e.FirstChild) {
        DrawArrow(canvas, TArrowKind::ArrowDown, o.x, o.y, o.x, o.y + S,
                  dropTarget && !options.DropAfterBlock, options.Printing);
        SetNormalColours(canvas);
        drawChildren(e, canvas, TPoint{o.x, o.y + S + 1}, width, options);
    }
    if (options.OnScreen)
        canvas.setBrushColor(fill);
    SetNormalColours(canvas);
}

// The diamond with a branch line from each lower edge down to its branch, the two branches side by
// side, and below them the join and the exit arrow.
void drawIf(const TIf& e, TCanvas& canvas, TPoint o, int width, TDisplayOptions& options)
{
    const TSize c = e.MeasureCondition(canvas, options);
    const int S = options.Spacing;
    const TPoint p1 = e.BranchOrigin(canvas, o, 1, options);
    const TPoint p2 = e.BranchOrigin(canvas, o, 2, options);
    const bool marked = markCondition(e, canvas, options, o, c);

    canvas.polyline(
        {TPoint{p1.x, o.y + c.cy - 5}, TPoint{o.x, o.y + c.cy / 2}, TPoint{p2.x, o.y + c.cy - 5}});
    DrawArrow(canvas, TArrowKind::ArrowDown, p1.x, o.y + c.cy - 5, p1.x, o.y + c.cy + 3 + S, false,
              options.Printing);
    DrawArrow(canvas, TArrowKind::ArrowDown, p2.x, o.y + c.cy - 5, p2.x, o.y + c.cy + 3 + S, false,
              options.Printing);
    const TSize ja = canvas.textExtent(texts::kJa);
    const int labelTop = o.y + c.cy + 3 + S - ja.cy;
    const int d = options.Printing ? 10 : 2;
    canvas.textOut(p1.x - ja.cx - d, labelTop, texts::kJa);
    canvas.textOut(p2.x + d, labelTop, texts::kNein);
    const TColor fill = canvas.brushColor();
    drawDiamond(e, canvas, o.x, o.y, c, options);
    canvas.setBrushColor(fill);

    if (const TBlock* yes = e.branch(1))
        yes->Draw(canvas, p1, width, options);
    if (marked)
        SetMarkColours(canvas);
    if (const TBlock* no = e.branch(2))
        no->Draw(canvas, p2, width, options);
    if (marked)
        SetMarkColours(canvas);
    const bool dropTarget = options.DropTarget == &e;
    if (dropTarget)
        canvas.setPenColor(clRed);

    // The shorter branch's line goes on down to the longer one's end, then across.
    const int y1 = p1.y + measured(e.branch(1), canvas, options).cy;
    const int y2 = p2.y + measured(e.branch(2), canvas, options).cy;
    int yj;
    if (y2 < y1) {
        canvas.polyline({TPoint{p2.x, y2}, TPoint{p2.x, y1}, TPoint{p1.x, y1}});
        yj = y1;
    } else {
        canvas.polyline({TPoint{p1.x, y1}, TPoint{p1.x, y2}, TPoint{p2.x, y2}});
        yj = y2;
    }
    DrawArrow(canvas, TArrowKind::ArrowDown, o.x, yj + 1, o.x, yj + 1 + S, dropTarget, options.Printing);
    SetNormalColours(canvas);
}

// The diamond, the body below it, the exit on the right ("nein") round the body down to the next figure,
// and the back edge on the left from below the body up into the diamond's left corner.
void drawWhile(const TWhile& e, TCanvas& canvas, TPoint o, int width, TDisplayOptions& options)
{
    const TSize c = e.MeasureCondition(canvas, options);
    const int S = options.Spacing;
    const TSize ja = canvas.textExtent(texts::kJa);
    const TSize nein = canvas.textExtent(texts::kNein);
    const TSize body = measured(e.branch(1), canvas, options);
    const int half = 6 + std::max(body.cx, c.cx) / 2;
    const int yb = o.y + c.cy + S + ja.cy + body.cy; // one row above the body's lower end
    const int middle = o.y + c.cy / 2;
    const bool marked = markCondition(e, canvas, options, o, c);

    const TColor fill = canvas.brushColor();
    drawDiamond(e, canvas, o.x, o.y, c, options);
    canvas.setBrushColor(fill);
    DrawArrow(canvas, TArrowKind::ArrowDown, o.x, o.y + c.cy, o.x, o.y + c.cy + S + ja.cy, false,
              options.Printing);
    if (const TBlock* b = e.branch(1))
        b->Draw(canvas, TPoint{o.x, o.y + c.cy + S + 1 + ja.cy}, width, options);
    if (marked)
        SetMarkColours(canvas);
    const bool dropTarget = options.DropTarget == &e;
    if (dropTarget)
        canvas.setPenColor(clRed);

    canvas.polyline({TPoint{o.x + c.cx / 2, middle}, TPoint{o.x + half, middle}, TPoint{o.x + half, yb + 13},
                     TPoint{o.x, yb + 13}});
    DrawArrow(canvas, TArrowKind::ArrowDown, o.x, yb + 13, o.x, yb + 13 + S, dropTarget, options.Printing);
    canvas.polyline(
        {TPoint{o.x, yb}, TPoint{o.x, yb + 3}, TPoint{o.x - half, yb + 3}, TPoint{o.x - half, middle}});
    DrawArrow(canvas, TArrowKind::ArrowRight, o.x - half, middle, o.x - c.cx / 2, middle, false,
              options.Printing);

    canvas.textOut(o.x - ja.cx - 2, o.y + c.cy, texts::kJa);
    canvas.textOut(o.x + c.cx / 2 - 4, middle - nein.cy, texts::kNein);
    SetNormalColours(canvas);
}

// The entry arrow, the body, the diamond below it with the exit arrow, and the back edge on the left from
// the diamond's left corner up into the entry arrow.
void drawDoWhile(const TDoWhile& e, TCanvas& canvas, TPoint o, int width, TDisplayOptions& options)
{
    const TSize c = e.MeasureCondition(canvas, options);
    const TSize body = measured(e.branch(1), canvas, options);
    const int half = 6 + std::max(body.cx, c.cx) / 2;
    const int yd = o.y + body.cy + 12; // top corner of the diamond
    const char* exitLabel = e.LoopOnYes ? texts::kNein : texts::kJa;
    const char* backLabel = e.LoopOnYes ? texts::kJa : texts::kNein;
    const bool marked = markCondition(e, canvas, options, o, c);

    DrawArrow(canvas, TArrowKind::ArrowDown, o.x, o.y, o.x, o.y + 12, false, options.Printing);
    if (const TBlock* b = e.branch(1))
        b->Draw(canvas, TPoint{o.x, o.y + 12}, width, options);
    if (marked)
        SetMarkColours(canvas);

    canvas.textOut(o.x - canvas.textExtent(exitLabel).cx - 2, o.y + c.cy + body.cy + 11, exitLabel);
    canvas.textOut(o.x - c.cx / 2 - canvas.textExtent(backLabel).cx + 5, yd + c.cy / 2 + 1, backLabel);
    const TColor fill = canvas.brushColor();
    drawDiamond(e, canvas, o.x, yd, c, options);
    canvas.setBrushColor(fill);

    DrawArrow(canvas, TArrowKind::ArrowDown, o.x, yd + c.cy + 1, o.x,
              yd + c.cy + 1 + canvas.textExtent(texts::kJa).cy, options.DropTarget == &e, options.Printing);
    canvas.polyline({TPoint{o.x - c.cx / 2, yd + c.cy / 2}, TPoint{o.x - half, yd + c.cy / 2},
                     TPoint{o.x - half, o.y + 4}});
    DrawArrow(canvas, TArrowKind::ArrowRight, o.x - half, o.y + 4, o.x - 1, o.y + 4, false, options.Printing);
    SetNormalColours(canvas);
}

} // namespace flowchart
