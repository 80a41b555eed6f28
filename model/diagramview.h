#pragma once

// What a diagram window computes from the block it shows, apart from the window toolkit: the display
// origin, the scroll ranges, painting and printing. The window (ui/) and the batch renderer both use it.

#include "model/canvas.h"
#include "model/displayoptions.h"
#include "model/printlayout.h"

#include <optional>
#include <string>
#include <vector>

// The window's background and the base fill of every paint on screen (red, green, blue 245).
inline constexpr TColor kWindowFill = 0xF5F5F5;

// Document coordinates of the layout origin of `shown`: (15, 15) in structogram mode, (W div 2 + 30, 15)
// in flowchart mode, W being the measured width. Copies `flowchart` into options.Flowchart first.
TPoint displayOrigin(TCanvas& canvas, TBlock& shown, TDisplayOptions& options, bool flowchart);

// The scroll ranges: measured width + 50 and height + 50. Copies `flowchart` into options.Flowchart.
TSize scrollRangesOf(TCanvas& canvas, TBlock& shown, TDisplayOptions& options, bool flowchart);

// Paints `shown` with its layout origin at `origin` (window coordinates): sets options.RootBlock, the
// base fill colour (`background`, else the window's on screen and white on paper), the start symbol in
// flowchart mode, then draws.
void paintDiagram(TCanvas& canvas, TBlock& shown, TPoint origin, TDisplayOptions& options, bool flowchart,
                  std::optional<TColor> background = std::nullopt);

// The settings of printing while it lives: no marking, the spacing from the printer font, thick pens.
// Puts the screen settings back when it ends, however the printing ends.
class TPrintSettings
{
public:
    TPrintSettings(TCanvas& printer, TDisplayOptions& options);
    ~TPrintSettings();
    TPrintSettings(const TPrintSettings&) = delete;
    TPrintSettings& operator=(const TPrintSettings&) = delete;

private:
    TDisplayOptions& m_options;
};

// Where the print command puts `shown` on a page without end, the rectangle its drawing covers, pens and
// the flowchart's start symbol included, and the rows where a sheet may end. The origin is worked out on
// `printer` too, not on the window's own canvas, whose smaller font would put a flowchart's centre line too
// far left and cut off the left part of the printout. Needs TPrintSettings in force.
struct TPrintedDiagram
{
    TPoint origin;
    TRect extent;
    // Where a spread printout may end a sheet, from top to bottom (model/printlayout.h).
    std::vector<TPageBreak> breaks;
};
TPrintedDiagram printedDiagram(TCanvas& printer, TBlock& shown, TDisplayOptions& options, bool flowchart);

// Draws `shown` where printedDiagram puts it, with thick pens. Needs TPrintSettings in force.
void drawPrintedDiagram(TCanvas& printer, TBlock& shown, TDisplayOptions& options, bool flowchart);

// Prints one page at the size the layout gives: `caption` at (10, 10), then `shown` at y = 80 with printer
// settings. `printer` already has the printer font. Restores the screen settings afterwards.
void printDiagram(TCanvas& printer, const std::string& caption, TBlock& shown, TDisplayOptions& options,
                  bool flowchart);

// Where `e` stands when `shown` is painted with its layout origin at `origin`: the rectangle its marking
// records (HighlightRect). Nothing when `e` is not drawn: not in `shown`, or hidden in a collapsed block.
// Draws nothing: `measure` only measures text. `options` (the window's) are left as they are.
std::optional<TRect> elementRect(TCanvas& measure, TBlock& shown, TPoint origin,
                                 const TDisplayOptions& options, bool flowchart, TElement* e);

// What a window that shows `shown` with `options` draws for `e`: `e` itself, or the outermost collapsed
// block around it (the shown block included); null when `e` does not stand in `shown`. Follows `e` and
// the elements it stands inside, which must live.
const TElement* drawnFor(const TBlock& shown, const TDisplayOptions& options, const TElement& e);
