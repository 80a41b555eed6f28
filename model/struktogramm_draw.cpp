// The figures of structogram mode. Each element's drawElement hands over to its flowchart figure
// (flussdiagramm_draw.cpp) in flowchart mode.

#include "model/canvas.h"
#include "model/displayoptions.h"
#include "model/drawing.h"
#include "model/layoutcache.h"
#include "model/texts.h"

#include <cmath>
#include <vector>

namespace {

// Block background in structogram mode.
constexpr TColor kBlockFill = 0xD8E9EC;

// The marking rule of this mode: a marked element records its rectangle and, unless it is a block,
// draws in red.
void markFigure(const TElement& e, TCanvas& canvas, TDisplayOptions& options, const TRect& r, bool red)
{
    if (!drawnMarked(e, options))
        return;
    options.HighlightRect = r;
    if (red)
        SetMarkColours(canvas);
}

// Selection frame, bottom form (statement, test-first loop; with the strip line: the decision): a red
// outline, then at the lower edge a red line and a black one three rows apart with two rows of the
// window colour between them.
void selectionFrameBottom(TCanvas& canvas, const TRect& r, int stripY = -1)
{
    const TColor brush = canvas.brushColor();
    const TBrushStyle style = canvas.brushStyle();
    SetMarkColours(canvas);
    canvas.setBrushStyle(TBrushStyle::Clear);
    canvas.rectangle(r.Left, r.Top, r.Right, r.Bottom);
    if (stripY >= 0)
        canvas.line(r.Left, r.Top + stripY, r.Right, r.Top + stripY);
    const TColor window = canvas.windowColor();
    canvas.setPenColor(window);
    canvas.setBrushColor(window);
    canvas.setBrushStyle(TBrushStyle::Solid);
    canvas.rectangle(r.Left, r.Bottom - 2, r.Right, r.Bottom + 1);
    SetMarkColours(canvas);
    canvas.line(r.Left, r.Bottom - 3, r.Right, r.Bottom - 3);
    SetNormalColours(canvas);
    canvas.line(r.Left, r.Bottom, r.Right, r.Bottom);
    canvas.setBrushColor(brush);
    canvas.setBrushStyle(style);
}

// Selection frame, top form (block): the same bars at the upper edge, no outline.
void selectionFrameTop(TCanvas& canvas, const TRect& r)
{
    const TColor brush = canvas.brushColor();
    const TBrushStyle style = canvas.brushStyle();
    const TColor window = canvas.windowColor();
    canvas.setPenColor(window);
    canvas.setBrushColor(window);
    canvas.setBrushStyle(TBrushStyle::Solid);
    canvas.rectangle(r.Left, r.Top, r.Right, r.Top + 3);
    SetMarkColours(canvas);
    canvas.line(r.Left, r.Top, r.Right, r.Top);
    SetNormalColours(canvas);
    canvas.line(r.Left, r.Top + 3, r.Right, r.Top + 3);
    canvas.setBrushColor(brush);
    canvas.setBrushStyle(style);
}

// The drop mark: one red line across the element's width.
void dropLine(TCanvas& canvas, int x, int y, int width)
{
    SetMarkColours(canvas);
    canvas.line(x, y, x + width, y);
    SetNormalColours(canvas);
}

// The run's marks of the strip that holds an element's text, from `left` to `right` below `top`: a
// breakpoint in its top left corner, above and before the text, and the count in its top right corner,
// in the room measured for it.
void runMarksOfStrip(const TElement& e, TCanvas& canvas, int left, int right, int top,
                     const TDisplayOptions& options)
{
    drawBreakpointMark(e, canvas, left + 1, top + 1, options);
    drawRunCount(e, canvas, right - 2, top + 2, options);
}

TRect figureRect(TPoint o, int width, int height)
{
    return TRect{o.x, o.y, o.x + width, o.y + height + 1};
}

// The marks of a statement and of a test-first loop: the bottom selection frame and the drop line at the
// lower edge (structogram mode only).
void drawBottomMarks(const TElement& e, TCanvas& canvas, TPoint o, int width, TDisplayOptions& options)
{
    if (options.Flowchart)
        return;
    const TSize s = measured(e, canvas, options);
    if (drawnMarked(e, options))
        selectionFrameBottom(canvas, figureRect(o, width, s.cy));
    if (options.DropTarget == &e)
        dropLine(canvas, o.x, o.y + s.cy - 1, width);
}

} // namespace

// ---- statement ----

// A white box as wide as the enclosing block, its text inside at (5, 5).
void TAnweisung::drawElement(TCanvas& canvas, TPoint o, int width, TDisplayOptions& options) const
{
    if (options.Flowchart) {
        flowchart::drawAnweisung(*this, canvas, o, width, options);
        return;
    }
    const TSize s = measured(*this, canvas, options);
    const TColor brush = canvas.brushColor();
    canvas.setBrushColor(runFill(*this, options, clWhite));
    const TRect r = figureRect(o, width, s.cy);
    markFigure(*this, canvas, options, r, true);
    canvas.rectangle(r.Left, r.Top, r.Right, r.Bottom);
    const int inset = printedTextInset(options);
    canvas.textOut(o.x + 5 + inset, o.y + 5 + inset, Text);
    runMarksOfStrip(*this, canvas, r.Left, r.Right, r.Top, options);
    SetNormalColours(canvas);
    canvas.setBrushColor(brush);
}

void TAnweisung::drawMarks(TCanvas& canvas, TPoint o, int width, TDisplayOptions& options) const
{
    drawBottomMarks(*this, canvas, o, width, options);
}

// ---- block ----

// A tinted rectangle with the children over it (collapsed: its name instead); the frame stays red when
// a marked decision or loop around it drew in red.
void TBlock::drawElement(TCanvas& canvas, TPoint o, int width, TDisplayOptions& options) const
{
    if (options.Flowchart) {
        flowchart::drawBlock(*this, canvas, o, width, options);
        return;
    }
    const TSize s = measured(*this, canvas, options);
    const TRect r = figureRect(o, width, s.cy);
    markFigure(*this, canvas, options, r, false);
    const TColor brush = canvas.brushColor();
    canvas.setBrushColor(runFill(*this, options, kBlockFill));
    canvas.setPenWidth(1);
    if (canvas.penColor() != clRed)
        canvas.setPenColor(clBlack);
    canvas.rectangle(r.Left, r.Top, r.Right, r.Bottom);
    if (options.Printing)
        canvas.setPenWidth(3);
    if (options.IsCollapsed(this)) {
        const int inset = printedTextInset(options);
        canvas.textOut(o.x + 5 + inset, o.y + 5 + inset, Text);
    } else if (FirstChild) {
        SetNormalColours(canvas);
        drawChildren(*this, canvas, o, width, options);
    }
    SetNormalColours(canvas);
    canvas.setBrushColor(brush);
}

void TBlock::drawMarks(TCanvas& canvas, TPoint o, int width, TDisplayOptions& options) const
{
    if (options.Flowchart)
        return;
    if (drawnMarked(*this, options))
        selectionFrameTop(canvas, figureRect(o, width, measured(*this, canvas, options).cy));
    if (options.DropTarget == this)
        dropLine(canvas, o.x, o.y - 1, width);
}

// ---- decision ----

// A white figure: the condition strip with its text, the labels and the two diagonals meeting over the
// dividing line, then the yes column and the no column side by side below it.
void TIf::drawElement(TCanvas& canvas, TPoint o, int width, TDisplayOptions& options) const
{
    if (options.Flowchart) {
        flowchart::drawIf(*this, canvas, o, width, options);
        return;
    }
    const TSize c = MeasureCondition(canvas, options);
    const TSize s = measured(*this, canvas, options);
    const TSize t = canvas.textExtent(Text);
    const TPoint p1 = BranchOrigin(canvas, o, 1, options);
    const TPoint p2 = BranchOrigin(canvas, o, 2, options);
    const TRect r = figureRect(o, width, s.cy);
    markFigure(*this, canvas, options, r, true);

    const TColor brush = canvas.brushColor();
    canvas.setBrushColor(runFill(*this, options, clWhite));
    canvas.rectangle(r.Left, r.Top, r.Right, r.Bottom);
    // The yes column with the dividing line, and the no column.
    const int a = branchWidth(canvas, o, width, 1, options);
    const int b = branchWidth(canvas, o, width, 2, options);
    // The text's centre near the midpoint between the diagonals at five sixths of the strip's height.
    const long double centre = (a * 0.83333333333333333334L + b * 0.16666666666666666667L + a) / 2.0L;
    const int inset = printedTextInset(options);
    canvas.textOut(r.Left + static_cast<int>(std::trunc(centre)) - t.cx / 2, o.y + 2 + inset, Text);
    const TSize ja = canvas.textExtent(texts::kJa);
    const TSize nein = canvas.textExtent(texts::kNein);
    canvas.textOut(r.Left + 2 + inset, o.y + c.cy - ja.cy - 2 - inset, texts::kJa);
    canvas.textOut(r.Right - nein.cx - 2 - inset, o.y + c.cy - nein.cy - 2 - inset, texts::kNein);
    canvas.polyline({TPoint{r.Left, r.Top}, TPoint{p2.x, r.Top + c.cy}, TPoint{r.Right, r.Top}});
    drawBreakpointMark(*this, canvas, r.Left + 1, r.Top + 1, options);
    // The count follows the condition's text: the corners hold the labels and the diagonals.
    drawRunCount(*this, canvas, r.Left + static_cast<int>(std::trunc(centre)) - t.cx / 2 + t.cx + 6,
                 r.Top + 2, options, TCountAnchor::Left);
    canvas.setBrushColor(brush);

    if (const TBlock* yes = branch(1))
        yes->Draw(canvas, p1, a, options);
    if (const TBlock* no = branch(2))
        no->Draw(canvas, p2, b, options);
    SetNormalColours(canvas);
}

void TIf::drawMarks(TCanvas& canvas, TPoint o, int width, TDisplayOptions& options) const
{
    if (options.Flowchart)
        return;
    const TSize s = measured(*this, canvas, options);
    if (drawnMarked(*this, options))
        selectionFrameBottom(canvas, figureRect(o, width, s.cy), MeasureCondition(canvas, options).cy);
    if (options.DropTarget == this)
        dropLine(canvas, o.x, o.y + s.cy - 1, width);
}

// ---- loop with the test first (also the counting loop) ----

// An inverted L: the condition strip across the top, the body behind a 20-pixel bar on the left.
void TWhile::drawElement(TCanvas& canvas, TPoint o, int width, TDisplayOptions& options) const
{
    if (options.Flowchart) {
        flowchart::drawWhile(*this, canvas, o, width, options);
        return;
    }
    const TSize c = MeasureCondition(canvas, options);
    const TSize s = measured(*this, canvas, options);
    const TRect r = figureRect(o, width, s.cy);
    markFigure(*this, canvas, options, r, true);
    const TColor brush = canvas.brushColor();
    canvas.setBrushColor(runFill(*this, options, clWhite));
    canvas.rectangle(r.Left, r.Top, r.Right, r.Bottom);
    const int inset = printedTextInset(options);
    canvas.textOut(o.x + 5 + inset, o.y + 5 + inset, Text);
    runMarksOfStrip(*this, canvas, r.Left, r.Right, r.Top, options);
    canvas.setBrushColor(brush);
    if (const TBlock* body = branch(1))
        body->Draw(canvas, TPoint{o.x + 20, o.y + c.cy}, branchWidth(canvas, o, width, 1, options), options);
    SetNormalColours(canvas);
}

void TWhile::drawMarks(TCanvas& canvas, TPoint o, int width, TDisplayOptions& options) const
{
    drawBottomMarks(*this, canvas, o, width, options);
}

// ---- loop with the test last (also repeat-until) ----

// An L: the body behind the bar on the left, the condition strip across the bottom.
void TDoWhile::drawElement(TCanvas& canvas, TPoint o, int width, TDisplayOptions& options) const
{
    if (options.Flowchart) {
        flowchart::drawDoWhile(*this, canvas, o, width, options);
        return;
    }
    const TSize c = MeasureCondition(canvas, options);
    const TSize body = measured(branch(1), canvas, options);
    const TRect r = figureRect(o, width, body.cy + c.cy);
    markFigure(*this, canvas, options, r, true);
    const TColor brush = canvas.brushColor();
    canvas.setBrushColor(runFill(*this, options, clWhite));
    canvas.rectangle(r.Left, r.Top, r.Right, r.Bottom);
    const int inset = printedTextInset(options);
    canvas.textOut(o.x + 5 + inset, o.y + body.cy + 5 + inset, Text);
    runMarksOfStrip(*this, canvas, r.Left, r.Right, o.y + body.cy, options);
    canvas.setBrushColor(brush);
    if (const TBlock* b = branch(1))
        b->Draw(canvas, TPoint{o.x + 20, o.y}, branchWidth(canvas, o, width, 1, options), options);
    SetNormalColours(canvas);
}

// No selection frame: a marked test-last loop shows only its red outline and text.
void TDoWhile::drawMarks(TCanvas& canvas, TPoint o, int width, TDisplayOptions& options) const
{
    if (options.Flowchart)
        return;
    if (options.DropTarget == this)
        dropLine(canvas, o.x, o.y + measured(*this, canvas, options).cy - 1, width);
}
