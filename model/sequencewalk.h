#pragma once

// The walks over sequences that reach into each element's own parts (drawing.cpp, layout.cpp); for the
// model's own files only.

#include "model/canvas.h"
#include "model/displayoptions.h"
#include "model/struktteile.h"

#include <vector>

class TSequenceWalk
{
public:
    struct MarkJob
    {
        const TElement* element;
        TPoint origin;
    };

    // Draws `e` at `at` when it reaches into the painted area or holds a mark, and notes its marks; false
    // when it was left out.
    static bool drawIfSeen(const TElement& e, TPoint at, TSize s, int width, TCanvas& canvas,
                           TDisplayOptions& options, std::vector<MarkJob>& marks);
    // The noted marks, last element first.
    static void drawMarkJobs(const std::vector<MarkJob>& marks, TCanvas& canvas, int width,
                             TDisplayOptions& options);
    // The element under (X, Y) among the children of `block`, the first child's origin at `origin`, the
    // children drawn `width` wide.
    static TElement* hitTestChildren(const TBlock& block, TCanvas& canvas, TPoint origin, int width,
                                     TDisplayOptions& options, int X, int Y);
    // The element under (X, Y) in the sequence that starts with `first` at `origin`, drawn `width` wide.
    static TElement* hitTestSequence(TElement& first, TCanvas& canvas, TPoint origin, int width,
                                     TDisplayOptions& options, int X, int Y);
};
