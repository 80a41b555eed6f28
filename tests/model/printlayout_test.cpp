// Putting a printout on paper: a diagram that fits stays as it is; one that does not is shrunk into the
// sheet or spread over overlapping sheets, and no text of the design is left off the paper.

#include "model/diagramview.h"
#include "model/printlayout.h"
#include "tests/support/designs.h"
#include "tests/support/recording_canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

namespace {

bool contains(TRect outer, TRect inner)
{
    return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
           inner.Bottom <= outer.Bottom;
}

// The pixels a record covers: a text its extent, everything else the box around its points.
TRect bounds(const TRecord& r, TRecordingCanvas& canvas)
{
    if (r.kind == TPrimitive::TextOut) {
        const TSize size = canvas.textExtent(r.text);
        return TRect{r.points[0].x, r.points[0].y, r.points[0].x + size.cx, r.points[0].y + size.cy};
    }
    TRect box{r.points[0].x, r.points[0].y, r.points[0].x + 1, r.points[0].y + 1};
    for (const TPoint& p : r.points)
        box = TRect{std::min(box.Left, p.x), std::min(box.Top, p.y), std::max(box.Right, p.x + 1),
                    std::max(box.Bottom, p.y + 1)};
    return box;
}

// A diagram that fits stays as it is. One that does not is shrunk until it fills the sheet on the tighter
// side, or spread over sheets that hold no more than the room below the caption, overlap their neighbours
// and together cover all of it.
TEST(PageLayout, FitsShrinksOrSpreads)
{
    const TSize page{2400, 3300};
    for (TPageMode mode : {TPageMode::ShrinkToFit, TPageMode::SplitPages}) {
        const TPageLayout fits = layOutPages(page, TRect{13, 78, 2400, 3300}, mode);
        ASSERT_EQ(fits.pages.size(), 1u);
        EXPECT_EQ(fits.pages[0].part, (TRect{13, 78, 2400, 3300}));
        EXPECT_EQ(fits.pages[0].scale, 1.0);
    }
    for (TRect extent : {TRect{13, 78, 900, 41000}, TRect{13, 78, 9000, 2000}, TRect{13, 78, 5000, 9000}}) {
        const TPageLayout shrunk = layOutPages(page, extent, TPageMode::ShrinkToFit);
        ASSERT_EQ(shrunk.pages.size(), 1u);
        const double right = 13 + (extent.Right - 13) * shrunk.scale;
        const double bottom = 78 + (extent.Bottom - 78) * shrunk.scale;
        EXPECT_LE(std::max(right - page.cx, bottom - page.cy), 1e-6);
        EXPECT_GT(std::max(right / page.cx, bottom / page.cy), 0.999);

        const TPageLayout spread = layOutPages(page, extent, TPageMode::SplitPages);
        EXPECT_EQ(int(spread.pages.size()), spread.columns * spread.rows);
        for (std::size_t i = 0; i < spread.pages.size(); ++i) {
            const TRect part = spread.pages[i].part;
            EXPECT_TRUE(contains(
                TRect{part.Left, part.Top, part.Left + page.cx - 13, part.Top + page.cy - 78}, part));
            EXPECT_TRUE(contains(extent, part));
            if (spread.pages[i].column > 0) {
                EXPECT_EQ(spread.pages[i - 1].part.Right - part.Left, kPageOverlap);
            }
        }
        for (int y = extent.Top; y < extent.Bottom; y += 37) {
            for (int x = extent.Left; x < extent.Right; x += 37) {
                ASSERT_TRUE(std::any_of(spread.pages.begin(), spread.pages.end(),
                                        [&](const TPrintPage& p) {
                                            return contains(p.part, TRect{x, y, x + 1, y + 1});
                                        }))
                    << x << "," << y;
            }
        }
    }
}

// Drawn as printed, everything lies inside the extent the layout works with, and a design too long for
// one sheet has every text whole on at least one of the sheets it is spread over.
TEST(PageLayout, EveryTextOfALongDesignLandsWholeOnASheet)
{
    std::mt19937 rng(12);
    GeneratorOptions narrow;
    narrow.maxDepth = 2;
    narrow.oddTexts = false;
    for (bool flowchart : {false, true}) {
        SCOPED_TRACE(flowchart ? "flowchart" : "structogram");
        std::unique_ptr<TBlock> root = generateDesign(rng, narrow);
        for (int i = 0; i < 200; ++i)
            root->appendChain(TAnweisung::Create("Schritt " + std::to_string(i)));
        TRecordingCanvas printer(25, 50); // about the printer font at 300 dpi
        TDisplayOptions options;
        TPrintedDiagram printed;
        {
            const TPrintSettings settings(printer, options);
            printed = printedDiagram(printer, *root, options, flowchart);
            drawPrintedDiagram(printer, *root, options, flowchart);
        }
        const TRect extent = printed.extent;
        const TPageLayout layout =
            layOutPages(TSize{2400, 3300}, extent, TPageMode::SplitPages, printed.breaks);
        EXPECT_EQ(layout.columns, 1);
        EXPECT_GT(layout.rows, 3);
        for (const TRecord& r : printer.records()) {
            const TRect drawn = bounds(r, printer);
            ASSERT_TRUE(contains(extent, drawn)) << r.text;
            EXPECT_TRUE(r.kind != TPrimitive::TextOut ||
                        std::any_of(layout.pages.begin(), layout.pages.end(),
                                    [&](const TPrintPage& p) { return contains(p.part, drawn); }))
                << r.text;
        }
    }
}

// Found printing a long design spread over pages: a sheet ended in the middle of a text row and put half
// a decision under the next sheet's caption. Sheets end between elements; an element that fits on a
// sheet stands whole on one, and only one taller than a sheet is cut, between its own elements.
TEST(PageLayout, SpreadSheetsEndBetweenElements)
{
    auto root = makeRoot();
    const auto statements = [](TBlock& block, int count, const std::string& prefix) {
        for (int i = 0; i < count; ++i)
            statement(block, prefix + std::to_string(i));
    };
    statements(*root, 45, "a"); // the decision after them reaches past the first sheet
    TIf* decision = append(*root, TIf::Create("x > 0"));
    statements(*decision->branch(1), 12, "ja");
    statements(*decision->branch(2), 3, "nein");
    statements(*root, 17, "b");
    TWhile* loop = append(*root, TWhile::Create("i < 100")); // taller than a sheet
    statements(*loop->branch(1), 30, "c");
    TIf* inner = append(*loop->branch(1), TIf::Create("i % 2 == 0"));
    statements(*inner->branch(1), 9, "d");
    statements(*inner->branch(2), 9, "e");
    statements(*loop->branch(1), 30, "f");
    statements(*root, 25, "g");
    append(*root, TDoWhile::Create("weiter"));
    statements(*root, 31, "h");

    TRecordingCanvas printer(25, 50);
    TDisplayOptions options;
    TPrintedDiagram printed;
    std::vector<std::pair<int, int>> spans; // of the elements of the printed block
    {
        const TPrintSettings settings(printer, options);
        printed = printedDiagram(printer, *root, options, false);
        drawPrintedDiagram(printer, *root, options, false);
        int y = printed.origin.y;
        for (const TElement* e = root->FirstChild.get(); e; e = e->Next.get()) {
            const int height = e->Measure(printer, options).cy;
            spans.emplace_back(y, y + height);
            y += height;
        }
    }
    const TSize page{2400, 3300};
    const int room = page.cy - printed.extent.Top;
    const TPageLayout layout = layOutPages(page, printed.extent, TPageMode::SplitPages, printed.breaks);
    ASSERT_GE(layout.rows, 3);
    const auto onOneSheet = [&layout](int top, int bottom) {
        return std::any_of(layout.pages.begin(), layout.pages.end(),
                           [&](const TPrintPage& p) { return p.part.Top <= top && bottom <= p.part.Bottom; });
    };
    int cutTall = 0;
    for (const auto& [top, bottom] : spans) {
        if (bottom - top <= room)
            EXPECT_TRUE(onOneSheet(top, bottom)) << top << "-" << bottom;
        else
            cutTall += !onOneSheet(top, bottom);
    }
    EXPECT_EQ(cutTall, 1); // the loop
    for (const TRecord& r : printer.records()) {
        if (r.kind == TPrimitive::TextOut) {
            const TRect text = bounds(r, printer);
            EXPECT_TRUE(onOneSheet(text.Top, text.Bottom)) << r.text;
        }
    }
    // The decision inside the loop fits on a sheet: no sheet ends inside it.
    for (std::size_t i = 0; i + 1 < layout.pages.size(); ++i) {
        const int end = layout.pages[i].part.Bottom;
        for (const TPageBreak& b : printed.breaks) {
            if (std::abs(b.y - end) <= 2) {
                EXPECT_GT(b.within, room) << end;
            }
        }
    }
}

} // namespace
