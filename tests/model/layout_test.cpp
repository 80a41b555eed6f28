// Sizes, branch origins and hit tests on a canvas with fixed metrics: every character 7 pixels wide,
// every text 13 high, so W("ja") = 14, W("nein") = 28, H = 13.

#include "model/canvas.h"
#include "model/displayoptions.h"
#include "model/layoutcache.h"
#include "model/struktteile.h"
#include "model/texts.h"
#include "tests/model/draw_fixtures.h"
#include "tests/support/recording_canvas.h"

#include <gtest/gtest.h>

namespace {

using fixtures::modeOptions;

struct ModeCase
{
    const char* name;
    bool flowchart;
    bool printing;
    TSize expected;
};

TSize measure(const TElement& e, TDisplayOptions options)
{
    TRecordingCanvas canvas;
    return e.Measure(canvas, options);
}

TEST(Measure, EmptyBlockInEveryMode)
{
    auto block = TBlock::Create("gesamtes Programm");
    const ModeCase cases[] = {
        {"structogram", false, false, {40, 23}},
        {"structogram printing", false, true, {100, 23}},
        {"flowchart", true, false, {46, 38}},          // H + 2 S + 13
        {"flowchart printing", true, true, {112, 38}}, // 100 + 6, + S while printing
    };
    for (const ModeCase& c : cases)
        EXPECT_EQ(measure(*block, modeOptions(c.flowchart, c.printing)), c.expected) << c.name;
}

TEST(Measure, StatementInEveryMode)
{
    auto s = TAnweisung::Create("abc"); // 21 wide
    const ModeCase cases[] = {
        {"structogram", false, false, {33, 23}},
        {"structogram printing", false, true, {45, 35}}, // the text S further inside on every side
        {"flowchart", true, false, {33, 30}},
        {"flowchart printing", true, true, {45, 42}},
    };
    for (const ModeCase& c : cases)
        EXPECT_EQ(measure(*s, modeOptions(c.flowchart, c.printing)), c.expected) << c.name;
}

TEST(Measure, EmptyTextStillHasTheTextHeight)
{
    auto s = TAnweisung::Create("");
    EXPECT_EQ(measure(*s, modeOptions(false)), (TSize{12, 23}));
}

TEST(Measure, BlockTakesWidestChildAndSumsHeights)
{
    auto root = makeRoot();
    statement(*root, "a");           // 19 x 23
    statement(*root, "abcdefghijk"); // 89 x 23
    statement(*root, "ab");
    EXPECT_EQ(measure(*root, modeOptions(false)), (TSize{89, 69}));
    EXPECT_EQ(measure(*root, modeOptions(true)), (TSize{95, 3 * 30 + 15}));
}

TEST(Measure, CollapsedBlockMeasuresLikeAStatementWithItsName)
{
    auto root = makeRoot();
    TBlock* named = append(*root, TBlock::Create("Name"));
    for (int i = 0; i < 5; ++i)
        statement(*named, "a much wider statement than the name");
    for (bool flowchart : {false, true}) {
        TDisplayOptions options = modeOptions(flowchart);
        options.ToggleCollapsed(named);
        TRecordingCanvas canvas;
        auto alike = TAnweisung::Create("Name");
        EXPECT_EQ(named->Measure(canvas, options), alike->Measure(canvas, options)) << flowchart;
        // The children are not measured at all.
        canvas = TRecordingCanvas();
        named->Measure(canvas, options);
        EXPECT_EQ(canvas.extentCalls(), 1);
    }
}

TEST(Measure, ConditionFigures)
{
    auto d = TIf::Create("???");
    auto w = TWhile::Create("???");
    auto f = TFor::Create("???");
    auto dw = TDoWhile::Create("???");
    auto r = TRepeat::Create("???");
    struct Case
    {
        const char* name;
        const TElement* e;
        bool flowchart;
        TSize expected;
    } cases[] = {
        // Structogram: condition strip 31 x 25; branches at least 3 W("nein") = 84 wide each.
        {"if", d.get(), false, {168, 48}},
        {"while", w.get(), false, {60, 48}},
        {"for", f.get(), false, {60, 48}},
        {"do-while", dw.get(), false, {60, 48}},
        {"repeat", r.get(), false, {60, 48}},
        // Flowchart: diamond 68 x 22, empty branch blocks 46 x 38.
        {"if", d.get(), true, {102, 77}},
        {"while", w.get(), true, {120, 99}},
        {"for", f.get(), true, {120, 99}},
        {"do-while", dw.get(), true, {92, 87}}, // 2 W("ja") + 68 - 4
        {"repeat", r.get(), true, {120, 87}},   // 2 W("nein") + 68 - 4
    };
    for (const Case& c : cases)
        EXPECT_EQ(measure(*c.e, modeOptions(c.flowchart)), c.expected) << c.name << " " << c.flowchart;
}

TEST(Measure, DiamondGrowsWithAThirdOfTheTextWidth)
{
    TRecordingCanvas canvas;
    TDisplayOptions options = modeOptions(true);
    auto d = TIf::Create("abcdefghij"); // 70 wide: 70 div 3 = 23
    EXPECT_EQ(d->MeasureCondition(canvas, options), (TSize{3 * 38 + 2, 38}));
    options.Flowchart = false;
    EXPECT_EQ(d->MeasureCondition(canvas, options), (TSize{80, 25}));
}

TEST(Measure, WideBodyWidensTheLoops)
{
    auto w = TWhile::Create("?");
    auto dw = TDoWhile::Create("?");
    for (TBedingung* loop : {static_cast<TBedingung*>(w.get()), static_cast<TBedingung*>(dw.get())})
        statement(*loop->branch(1), std::string(30, 'x')); // 222 wide
    EXPECT_EQ(measure(*w, modeOptions(false)).cx, 242);
    EXPECT_EQ(measure(*w, modeOptions(true)).cx, 228 + 18); // body block 228 wide
    EXPECT_EQ(measure(*dw, modeOptions(true)).cx, 228 + 18);
}

TEST(BranchOrigin, DecisionColumnsTakeTheSurplusUnevenly)
{
    TRecordingCanvas canvas;
    TDisplayOptions options = modeOptions(false);
    // Condition 9 characters: strip 73 wide, three times 219; branches 84 each, surplus 51 (odd).
    auto d = TIf::Create("abcdefghi");
    EXPECT_EQ(d->Measure(canvas, options), (TSize{219, 48}));
    EXPECT_EQ(d->BranchOrigin(canvas, {15, 15}, 1, options), (TPoint{15, 40}));
    // The yes column takes the smaller half (25), the no column the larger (26).
    EXPECT_EQ(d->BranchOrigin(canvas, {15, 15}, 2, options), (TPoint{15 + 84 + 25, 40}));

    // Branches wider than the strip: no surplus, the yes column is the yes branch.
    auto wide = TIf::Create("?");
    statement(*wide->branch(1), std::string(20, 'y')); // 152
    EXPECT_EQ(wide->BranchOrigin(canvas, {0, 0}, 2, options).x, 152);
}

TEST(BranchOrigin, FlowchartBranchesCentredUnderTheDiamond)
{
    TRecordingCanvas canvas;
    TDisplayOptions options = modeOptions(true);
    auto d = TIf::Create("???");
    // Branch blocks 46 wide: d = (46 + 46 + 6) div 2 = 49.
    EXPECT_EQ(d->BranchOrigin(canvas, {200, 10}, 1, options), (TPoint{200 - 49 + 23, 10 + 22 + 4 + 6}));
    EXPECT_EQ(d->BranchOrigin(canvas, {200, 10}, 2, options), (TPoint{200 + 49 - 23, 10 + 22 + 4 + 6}));
    auto w = TWhile::Create("???");
    EXPECT_EQ(w->BranchOrigin(canvas, {200, 10}, 1, options), (TPoint{200, 10 + 22 + 6 + 1 + 13}));
    auto dw = TDoWhile::Create("???");
    EXPECT_EQ(dw->BranchOrigin(canvas, {200, 10}, 1, options), (TPoint{200, 22}));
    options.Flowchart = false;
    EXPECT_EQ(w->BranchOrigin(canvas, {200, 10}, 1, options), (TPoint{220, 35}));
    EXPECT_EQ(dw->BranchOrigin(canvas, {200, 10}, 1, options), (TPoint{220, 10}));
}

// ---- hit tests ----

struct HitCase
{
    const char* name;
    int x;
    int y;
    const TElement* expected;
    bool dropAfter = false;
};

void checkHits(TBlock& root, TPoint origin, TDisplayOptions options, const std::vector<HitCase>& cases)
{
    TRecordingCanvas canvas;
    options.RootBlock = &root;
    for (const HitCase& c : cases) {
        options.DropAfterBlock = !c.dropAfter; // every hit test must write the flag
        EXPECT_EQ(root.HitTest(canvas, origin, options, c.x, c.y), c.expected) << c.name;
        EXPECT_EQ(options.DropAfterBlock, c.dropAfter) << c.name;
        EXPECT_EQ(options.LayoutContext, 0u) << c.name;
    }
}

TEST(HitTest, EdgesAreInclusive)
{
    // root (15, 15): "abc" 33 x 23, then "abcdefgh" 68 x 23; root 68 x 46.
    auto root = makeRoot();
    TAnweisung* a = statement(*root, "abc");
    TAnweisung* b = statement(*root, "abcdefgh");
    checkHits(*root, {15, 15}, modeOptions(false),
              {
                  {"top-left corner: the window's block", 15, 15, root.get()},
                  {"below the window block's top rows", 15, 18, a},
                  {"right edge of the first", 48, 20, a},
                  {"right of the first's text, in its drawn box", 49, 20, a},
                  {"right edge of the first's drawn box", 83, 20, a},
                  {"shared edge belongs to the first", 20, 38, a},
                  {"below the shared edge", 20, 39, b},
                  {"bottom-right corner", 83, 61, b},
                  {"below the design", 20, 62, nullptr},
                  {"right of the design", 84, 40, nullptr},
                  {"left of the design", 14, 40, nullptr},
              });
}

TEST(HitTest, FlowchartXRangeIsCentred)
{
    // One statement "abc": 33 x 30, centred at 100: 100 - 16 .. 100 + 16; children start at y + 7.
    auto root = makeRoot();
    TAnweisung* a = statement(*root, "abc");
    checkHits(*root, {100, 15}, modeOptions(true),
              {
                  {"left edge", 84, 30, a},
                  {"right edge", 116, 30, a},
                  {"left of it, inside the root", 83, 30, root.get()},
                  {"entry arrow of the root", 100, 21, root.get()},
                  {"first row of the statement", 100, 22, a},
                  {"left edge of the root", 100 - 23, 30, root.get()}, // 40 + 6 wide
                  {"left of the root", 100 - 24, 30, nullptr},
              });
}

TEST(HitTest, DecisionLabelBandSelectsTheBranch)
{
    // Decision "???" at (15, 15): strip 25 high, so the label band is rows 33..39; columns: yes 15..98,
    // no from 99.
    auto root = makeRoot();
    TIf* d = append(*root, TIf::Create("???"));
    TAnweisung* inYes = statement(*d->branch(1), "y");
    checkHits(*root, {15, 15}, modeOptions(false),
              {
                  {"condition text", 50, 20, d},
                  {"just above the band", 20, 32, d},
                  {"ja label", 20, 33, d->branch(1)},
                  {"last row of the band", 20, 39, d->branch(1)},
                  {"on the dividing line", 99, 36, d->branch(1)},
                  {"nein label", 100, 36, d->branch(2)},
                  {"yes branch element", 20, 45, inYes},
                  {"right of the yes element's text, in its drawn box", 50, 45, inYes},
                  {"empty no branch", 120, 45, d->branch(2)},
                  {"right part of the empty no column", 180, 45, d->branch(2)},
              });
    // Flowchart mode has no label band: the point is on the decision.
    auto loop = makeRoot();
    TWhile* w = append(*loop, TWhile::Create("???"));
    checkHits(*loop, {15, 15}, modeOptions(false), {{"loop band: the body", 20, 36, w->branch(1)}});
    checkHits(*root, {100, 15}, modeOptions(true), {{"flowchart: the decision", 100, 15 + 22 + 7 - 2, d}});
}

TEST(HitTest, TestLastLoopMeasuresItsBandFromTheTop)
{
    // Do-while "???" at (15, 15): body (empty) 40 x 23 at the top, strip below it; the band is still rows
    // 33..39 from the top, which lie on the body.
    auto root = makeRoot();
    TDoWhile* dw = append(*root, TDoWhile::Create("???"));
    checkHits(*root, {15, 15}, modeOptions(false),
              {
                  {"body", 40, 20, dw->branch(1)},
                  {"bar beside the body", 20, 20, dw},
                  {"bar in the band rows", 20, 35, dw->branch(1)},
                  {"condition strip", 20, 50, dw},
              });
}

TEST(HitTest, DropAfterNamedBlock)
{
    // root: named block B with "a" (19 wide) and "abcdefghijk" (89 wide), then an empty named block E,
    // then a decision with an empty yes branch.
    auto root = makeRoot();
    TBlock* named = append(*root, TBlock::Create("B"));
    TAnweisung* a = statement(*named, "a");
    statement(*named, "abcdefghijk");
    TBlock* empty = append(*root, TBlock::Create("E"));
    TIf* d = append(*root, TIf::Create("?"));
    checkHits(*root, {0, 0}, modeOptions(false),
              {
                  {"on the short child", 10, 10, a},
                  {"right of the short child, in its drawn box", 60, 10, a},
                  {"top rows of the window's block: into it", 60, 2, root.get(), false},
                  {"top rows of the named block below them: into it", 60, 4, named, false},
                  {"below them, the first child", 60, 5, a},
                  {"bottom rows of the named block: after it", 60, 42, named, true},
                  {"above them, the last child", 60, 41, named->FirstChild->Next.get()},
                  {"bottom edge of the named block", 10, 46, named, true},
                  {"empty named block: into it", 10, 50, empty, false},
                  {"empty branch block: into it", 10, 100, d->branch(1), false},
              });
}

TEST(HitTest, StructogramBoxesAreHitWhereTheyAreDrawn)
{
    // A decision "?" (84 + 84 wide, 25 + 23 high) above a statement of 40 characters (292 wide): the
    // decision is drawn 292 wide, its yes column 0..85 with the dividing line at 84, its no column
    // 84..292, both columns 25 + 23 high.
    auto root = makeRoot();
    TIf* d = append(*root, TIf::Create("?"));
    statement(*root, std::string(40, 'x'));
    checkHits(*root, {0, 0}, modeOptions(false),
              {
                  {"empty yes column past its measured width", 60, 30, d->branch(1)},
                  {"empty no column past the decision's measured width", 250, 30, d->branch(2)},
                  {"right edge of the no column", 292, 30, d->branch(2)},
                  {"right of the design", 293, 30, nullptr},
                  {"condition strip far right", 250, 5, d},
              });

    // The yes column three statements high, the no column empty: below the no branch block the no column
    // still belongs to the no branch.
    auto tall = makeRoot();
    TIf* t = append(*tall, TIf::Create("?"));
    statement(*t->branch(1), "a");
    TAnweisung* b = statement(*t->branch(1), "b");
    checkHits(*tall, {0, 0}, modeOptions(false),
              {
                  {"bottom edge of the no branch block", 100, 48, t->branch(2)},
                  {"no column below the no branch block", 100, 60, t->branch(2)},
                  {"bottom row of the no column", 100, 71, t->branch(2)},
                  {"yes column's last statement, right part", 80, 60, b},
                  {"below the decision", 100, 72, nullptr},
              });

    // A loop's body is drawn as wide as the loop less its bar: a statement in it is hit in its right part.
    auto loops = makeRoot();
    TWhile* w = append(*loops, TWhile::Create(std::string(16, 'c'))); // strip 122 x 25
    TAnweisung* inWhile = statement(*w->branch(1), "s");
    TDoWhile* dw = append(*loops, TDoWhile::Create(std::string(16, 'c')));
    TAnweisung* inDoWhile = statement(*dw->branch(1), "s");
    checkHits(*loops, {0, 0}, modeOptions(false),
              {
                  {"test-first body statement, right part", 120, 30, inWhile},
                  {"bar of the test-first loop", 10, 30, w},
                  {"test-last body statement, right part", 120, 60, inDoWhile},
              });
}

TEST(HitTest, DropAfterNamedBlockInFlowchart)
{
    // Named block B at centre 100: 46 + ... its child "abc" 33 x 30 starts 7 rows below the block's top.
    auto root = makeRoot();
    TBlock* named = append(*root, TBlock::Create("B"));
    TAnweisung* a = statement(*named, "abc");
    TDisplayOptions options = modeOptions(true);
    TRecordingCanvas canvas;
    ASSERT_EQ(named->Measure(canvas, options), (TSize{46, 30 + 15}));
    // Root children start at 7, B's children at 14.
    checkHits(*root, {100, 0}, options,
              {
                  {"entry arrow of B", 100, 10, named, false},
                  {"first child row", 100, 14, a},
                  {"below the child", 100, 45, named, true},
                  {"bottom edge of B", 100, 52, named, true},
                  {"beside the child", 120, 30, named, true},
              });
}

TEST(HitTest, CollapsedBlockHidesItsChildren)
{
    auto root = makeRoot();
    TBlock* named = append(*root, TBlock::Create("Name"));
    statement(*named, "inside");
    TDisplayOptions options = modeOptions(false);
    options.ToggleCollapsed(named);
    checkHits(*root, {0, 0}, options,
              {{"on the collapsed block", 5, 5, named}, {"below it", 5, 24, nullptr}});
}

TEST(HitTest, NothingBelowTheShownBlock)
{
    // A window that shows an inner named block: its successors are not hit.
    auto root = makeRoot();
    TBlock* inner = append(*root, TBlock::Create("inner"));
    TAnweisung* in = statement(*inner, "x");
    statement(*root, "after the inner block");
    for (bool flowchart : {false, true}) {
        TDisplayOptions options = modeOptions(flowchart);
        TRecordingCanvas canvas;
        options.RootBlock = inner;
        const TPoint origin{flowchart ? 100 : 15, 15};
        const int below = origin.y + inner->Measure(canvas, options).cy + 1;
        EXPECT_EQ(inner->HitTest(canvas, origin, options, origin.x + 1, below + 5), nullptr) << flowchart;
        EXPECT_EQ(inner->HitTest(canvas, origin, options, origin.x + 1, origin.y + 10), in) << flowchart;
    }
}

TEST(HitTest, LongSequenceDoesNotRecurse)
{
    // 200,000 statements: a recursive walk along Next would overflow the stack.
    auto root = makeRoot();
    std::unique_ptr<TElement>* link = &root->FirstChild;
    for (int i = 0; i < 200000; ++i) {
        *link = TAnweisung::Create("s");
        link = &(*link)->Next;
    }
    TDisplayOptions options = modeOptions(false);
    options.RootBlock = root.get();
    TRecordingCanvas canvas;
    const TSize size = root->Measure(canvas, options);
    EXPECT_EQ(size.cy, 200000 * 23);
    TElement* last = root->HitTest(canvas, {0, 0}, options, 1, size.cy - 1);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->Next, nullptr);
}

TEST(SizeTable, EveryElementIsMeasuredOncePerCall)
{
    // Twenty loops nested in each other: a literal layout measures the innermost text once per level.
    auto root = makeRoot();
    TBlock* block = root.get();
    for (int i = 0; i < 20; ++i)
        block = append(*block, TWhile::Create("w"))->branch(1);
    statement(*block, "innermost");
    for (bool flowchart : {false, true}) {
        TDisplayOptions options = modeOptions(flowchart);
        options.RootBlock = root.get();
        TRecordingCanvas canvas;
        const TSize size = root->Measure(canvas, options);
        const int measureCalls = canvas.extentCalls();
        canvas = TRecordingCanvas();
        EXPECT_NE(root->HitTest(canvas, {100, 15}, options, 100, 15 + size.cy - 30), nullptr);
        EXPECT_LE(canvas.extentCalls(), 2 * measureCalls) << flowchart;
        canvas = TRecordingCanvas();
        root->Draw(canvas, {100, 15}, size.cx, options);
        EXPECT_LE(canvas.extentCalls(), 3 * measureCalls) << flowchart;
        EXPECT_EQ(options.LayoutContext, 0u);
    }
}

TEST(SizeTable, AnEditShowsInTheNextCall)
{
    auto root = makeRoot();
    TAnweisung* s = statement(*root, "abc");
    TDisplayOptions options = modeOptions(false);
    options.RootBlock = root.get();
    TRecordingCanvas canvas;
    EXPECT_EQ(root->HitTest(canvas, {0, 0}, options, 60, 5), nullptr); // the root is 40 wide
    s->Text = "abcdefghijkl";                                          // now 96 wide
    EXPECT_EQ(root->HitTest(canvas, {0, 0}, options, 60, 5), s);
    root->Draw(canvas, {0, 0}, 96, options);
    const std::vector<TRecord> before = canvas.ofKind(TPrimitive::Rectangle);
    ASSERT_EQ(before.size(), 2u);
    EXPECT_EQ(before[1].rect(), (TRect{0, 0, 96, 24}));
    s->Text = "abcdefghijklmnop";
    canvas.clear();
    root->Draw(canvas, {0, 0}, 124, options);
    EXPECT_EQ(canvas.ofKind(TPrimitive::Rectangle)[1].rect(), (TRect{0, 0, 124, 24}));
}

} // namespace
