#pragma once

// How a printed block goes on paper: on one page as it is when it fits, otherwise shrunk to fit one page
// or spread over several pages that overlap a little. Geometry in printer pixels; the printing itself is
// in ui/.

#include "model/struktteile.h"

#include <cstdint>
#include <vector>

enum class TPageMode : std::uint8_t { ShrinkToFit, SplitPages };

// How far neighbouring pages of a spread printout overlap: 8.5 mm at 300 dpi, twice the height of a line of
// the printer font, so that a statement cut by the end of one page stands whole on the next.
inline constexpr int kPageOverlap = 100;

// One sheet of a printout. `part` is the piece of the diagram it shows, in the coordinates of the page
// the print command lays out (caption at (10, 10), diagram from y = 80, as if the page had no end); the
// piece is drawn `scale` times its size with its top-left corner at `at` on the sheet. Sheets are
// numbered row by row, left to right.
struct TPrintPage
{
    TRect part;
    TPoint at;
    double scale = 1;
    int column = 0;
    int row = 0;
};

// A row where a spread printout may end a sheet (layout coordinates): it runs between elements and
// through no text. `within` is the height of the smallest element it cuts through (kNoElement: it cuts
// none, it runs between elements of the printed block).
struct TPageBreak
{
    static constexpr int kNoElement = 1 << 30;
    int y = 0;
    int within = kNoElement;
    friend bool operator==(const TPageBreak&, const TPageBreak&) = default;
};

struct TPageLayout
{
    std::vector<TPrintPage> pages;
    double scale = 1; // below 1 when the diagram was shrunk to fit
    int columns = 1;
    int rows = 1;

    bool shrunk() const { return scale < 1; }
    bool spread() const { return pages.size() > 1; }
};

// Lays out the diagram that covers `extent` (layout coordinates; the caption stands above it) on sheets of
// `page` size. A diagram that fits the sheet stays as it is, whatever `mode` says. Shrinking keeps the
// diagram's top-left corner where it is and scales it into the rest of the sheet. Spreading keeps its
// size, and every sheet shows its piece at the place the diagram starts on the first one. A sheet ends at
// the lowest of `breaks` (sorted by y) that it reaches and that cuts no element that would fit on a sheet;
// where there is none, it ends where the room ends and the next sheet overlaps it.
TPageLayout layOutPages(TSize page, TRect extent, TPageMode mode, const std::vector<TPageBreak>& breaks = {});
