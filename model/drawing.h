#pragma once

// Helpers shared by the drawing of both modes: the colour helpers, the arrow, the marking test and the
// flowchart figures (each element's drawElement hands over to these in flowchart mode).

#include "model/canvas.h"
#include "model/displayoptions.h"
#include "model/struktteile.h"

#include <cstdint>

// Pen and font colour red: the marked element and the drop mark. The brush is not touched.
void SetMarkColours(TCanvas& canvas);
// Pen and font colour black. The brush is not touched.
void SetNormalColours(TCanvas& canvas);

enum class TArrowKind : std::uint8_t { ArrowNone, ArrowDown, ArrowRight };

// A line from (x1, y1) to (x2, y2) with a head at the end point: ArrowDown a triangle pointing down,
// ArrowRight one pointing right, ArrowNone no head but the end point painted. Heads are 2 pixels on
// screen, 10 while printing; a highlighted arrow is red on screen. The fill colour is kept.
void DrawArrow(TCanvas& canvas, TArrowKind kind, int x1, int y1, int x2, int y2, bool highlight,
               bool printing);

// The element is drawn marked: it is marked and the drawing goes to the screen.
inline bool drawnMarked(const TElement& e, const TDisplayOptions& options)
{
    return options.OnScreen && options.IsMarked(&e);
}

// The fill of a figure on screen while a program runs: the running element, and a collapsed block that
// holds it, in a yellow of their own; an element that failed, and a collapsed block that holds it, in a
// light red. Pale enough that the red of the current element stands out on them.
inline constexpr TColor kRunningFill = 0x66E6FF;
inline constexpr TColor kFailedFill = 0xB4B4FF;
// While the counts of a run are shown: the grey of an element that never ran.
inline constexpr TColor kNeverRanFill = 0xD8D8D8;
// The fill of `e`'s figure: kRunningFill or kFailedFill where the run's marks say so, kNeverRanFill for an
// element that never ran while counts are shown, else `normal`.
TColor runFill(const TElement& e, const TDisplayOptions& options, TColor normal);
// Whether the counts of a run are drawn: the view option is on, a run has counts, the drawing goes to the
// screen. Elements that can show a count are measured wider by runCountReserve() then.
bool countsShown(const TDisplayOptions& options);
// The room a count takes beside an element's text while counts are shown (a count of six digits); else 0.
int runCountReserve(TCanvas& canvas, const TDisplayOptions& options);
// While counts are shown: how often `e` ran ("12×"), in a small box whose top right corner (or, with
// TCountAnchor::Left, top left corner) is (x, y). The canvas is left as it was.
enum class TCountAnchor { Right, Left };
void drawRunCount(const TElement& e, TCanvas& canvas, int x, int y, const TDisplayOptions& options,
                  TCountAnchor anchor = TCountAnchor::Right);
// A breakpoint: a small dark red disc with its top left corner at (x, y), drawn when `e` has one and the
// drawing goes to the screen. The canvas is left as it was.
void drawBreakpointMark(const TElement& e, TCanvas& canvas, int x, int y, const TDisplayOptions& options);
inline constexpr int kBreakpointSize = 6;

// Draws the children of `block` with the first one's origin at `origin`: a long sequence by its index,
// leaving out what lies wholly outside the painted area.
void drawChildren(const TBlock& block, TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options);

// The block fill one level deeper in a flowchart: red and green six lower (not below zero).
TColor flowchartInnerFill(TColor fill);

// The flowchart figures of each class (the element alone and what lies inside it, not its successors).
namespace flowchart {
void drawAnweisung(const TAnweisung& e, TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options);
void drawBlock(const TBlock& e, TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options);
void drawIf(const TIf& e, TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options);
void drawWhile(const TWhile& e, TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options);
void drawDoWhile(const TDoWhile& e, TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options);
} // namespace flowchart
