// Drawing in both modes on the recording canvas (every character 7 pixels wide, every text 13 high,
// spacing 6): the primitives of each figure, the marks, the drop marks, printing, the flowchart tints, and
// that leaving out figures outside the painted area changes nothing that is painted inside it.

#include "model/canvas.h"
#include "model/diagramview.h"
#include "model/displayoptions.h"
#include "model/drawing.h"
#include "model/struktteile.h"
#include "model/texts.h"
#include "model/treewalk.h"
#include "tests/model/draw_fixtures.h"
#include "tests/support/designs.h"
#include "tests/support/recording_canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <unordered_map>

namespace {

using fixtures::modeOptions;

constexpr TColor kWindow = 0xABCDEF; // the recording canvas's window colour in these tests
constexpr TColor kBlockFill = 0xD8E9EC;

bool sameRecord(const TRecord& a, const TRecord& b)
{
    return a.kind == b.kind && a.points == b.points && a.text == b.text && a.pen == b.pen &&
           a.penWidth == b.penWidth && a.penStyle == b.penStyle && a.brush == b.brush &&
           a.brushStyle == b.brushStyle && a.font == b.font;
}

// Draws `root` as the window does; `canvas` gets the test window colour.
void display(TBlock& root, TDisplayOptions& options, TRecordingCanvas& canvas, TPoint origin)
{
    canvas.setWindowColor(kWindow);
    paintDiagram(canvas, root, origin, options, options.Flowchart);
}

// Draws one element (and its successors) directly with the available width `width`.
void draw(const TElement& e, TDisplayOptions& options, TRecordingCanvas& canvas, TPoint origin, int width)
{
    canvas.setWindowColor(kWindow);
    e.Draw(canvas, origin, width, options);
}

const TRecord* findRect(const TRecordingCanvas& canvas, TRect r)
{
    for (const TRecord& rec : canvas.records()) {
        if (rec.kind == TPrimitive::Rectangle && rec.rect() == r)
            return &rec;
    }
    return nullptr;
}

const TRecord* findLine(const TRecordingCanvas& canvas, TPoint from, TPoint to)
{
    for (const TRecord& rec : canvas.records()) {
        if (rec.kind == TPrimitive::Line && rec.points[0] == from && rec.points[1] == to)
            return &rec;
    }
    return nullptr;
}

// The `index`-th textOut of `text`, or null.
const TRecord* findText(const TRecordingCanvas& canvas, const std::string& text, int index = 0)
{
    for (const TRecord& rec : canvas.records()) {
        if (rec.kind == TPrimitive::TextOut && rec.text == text && index-- == 0)
            return &rec;
    }
    return nullptr;
}

// ---- structogram mode ----

TEST(StructogramDraw, EmptyDesignIsOneTintedRectangle)
{
    auto root = makeRoot();
    TDisplayOptions options = modeOptions(false);
    TRecordingCanvas canvas;
    display(*root, options, canvas, {15, 15});
    ASSERT_EQ(canvas.records().size(), 1u);
    const TRecord& r = canvas.records()[0];
    EXPECT_EQ(r.kind, TPrimitive::Rectangle);
    EXPECT_EQ(r.rect(), (TRect{15, 15, 55, 15 + 24})); // 40 wide, H + 11 rows
    EXPECT_EQ(r.brush, kBlockFill);
    EXPECT_EQ(r.pen, clBlack);
}

TEST(StructogramDraw, StatementsShareOneBorderRow)
{
    auto root = makeRoot();
    statement(*root, "abc");
    statement(*root, "de");
    TDisplayOptions options = modeOptions(false);
    TRecordingCanvas canvas;
    display(*root, options, canvas, {15, 15});
    const TRecord* first = findRect(canvas, {15, 15, 55, 39});
    const TRecord* second = findRect(canvas, {15, 38, 55, 62}); // its top row is the first's bottom row
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->brush, clWhite);
    const TRecord* text = findText(canvas, "de");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->points[0], (TPoint{20, 43}));
    EXPECT_EQ(text->brush, clWhite);
    EXPECT_EQ(text->font, clBlack);
}

TEST(StructogramDraw, CollapsedBlockShowsOnlyItsName)
{
    auto root = makeRoot();
    TBlock* named = append(*root, TBlock::Create("Name"));
    statement(*named, "inside");
    statement(*root, "after");
    TDisplayOptions options = modeOptions(false);
    options.ToggleCollapsed(named);
    TRecordingCanvas canvas;
    display(*root, options, canvas, {15, 15});
    const TRecord* block = findRect(canvas, {15, 15, 62, 39}); // as wide as "after" (47)
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->brush, kBlockFill);
    const TRecord* name = findText(canvas, "Name");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->points[0], (TPoint{20, 20}));
    EXPECT_EQ(name->brush, kBlockFill);
    EXPECT_EQ(findText(canvas, "inside"), nullptr);
    EXPECT_NE(findRect(canvas, {15, 38, 62, 62}), nullptr); // the successor below it
}

TEST(StructogramDraw, DecisionFigureAndColumns)
{
    // Condition of 9 characters drawn 300 wide: the yes column keeps its 110 (with the dividing line),
    // the no column takes everything else.
    auto d = TIf::Create("abcdefghi");
    TDisplayOptions options = modeOptions(false);
    TRecordingCanvas canvas;
    draw(*d, options, canvas, {0, 0}, 300);
    const std::vector<TRecord>& recs = canvas.records();
    ASSERT_GE(recs.size(), 6u);
    EXPECT_EQ(recs[0].rect(), (TRect{0, 0, 300, 49}));
    EXPECT_EQ(recs[0].brush, clWhite);
    // Centre = trunc((110 * 5/6 + 191 / 6 + 110) / 2) = 116; minus half the text width.
    EXPECT_EQ(findText(canvas, "abcdefghi")->points[0], (TPoint{116 - 31, 2}));
    EXPECT_EQ(findText(canvas, "ja")->points[0], (TPoint{2, 10}));
    EXPECT_EQ(findText(canvas, "nein")->points[0], (TPoint{270, 10}));
    const std::vector<TRecord> diagonals = canvas.ofKind(TPrimitive::Polyline);
    ASSERT_EQ(diagonals.size(), 1u);
    EXPECT_EQ(diagonals[0].points, (std::vector<TPoint>{{0, 0}, {109, 25}, {300, 0}}));
    EXPECT_NE(findRect(canvas, {0, 25, 110, 49}), nullptr);   // yes branch
    EXPECT_NE(findRect(canvas, {109, 25, 300, 49}), nullptr); // no branch
}

TEST(StructogramDraw, LoopFigures)
{
    auto w = TWhile::Create("w");
    statement(*w->branch(1), "s");
    auto dw = TDoWhile::Create("d");
    statement(*dw->branch(1), "s");
    TDisplayOptions options = modeOptions(false);

    TRecordingCanvas canvas;
    draw(*w, options, canvas, {0, 0}, 100);
    EXPECT_EQ(canvas.records()[0].rect(), (TRect{0, 0, 100, 49}));
    EXPECT_EQ(findText(canvas, "w")->points[0], (TPoint{5, 5}));
    EXPECT_NE(findRect(canvas, {20, 25, 100, 49}), nullptr); // the body behind the bar, under the strip
    EXPECT_EQ(findText(canvas, "s")->points[0], (TPoint{25, 30}));

    canvas = TRecordingCanvas();
    draw(*dw, options, canvas, {0, 0}, 100);
    EXPECT_EQ(canvas.records()[0].rect(), (TRect{0, 0, 100, 49}));
    EXPECT_EQ(findText(canvas, "d")->points[0], (TPoint{5, 28})); // the condition below the body
    EXPECT_NE(findRect(canvas, {20, 0, 100, 24}), nullptr);
}

TEST(StructogramDraw, MarkedStatementIsRedWithItsFrameAfterItsSuccessor)
{
    auto root = makeRoot();
    TAnweisung* a = statement(*root, "a");
    statement(*root, "b");
    TDisplayOptions options = modeOptions(false);
    options.AddMarked(a);
    TRecordingCanvas canvas;
    display(*root, options, canvas, {0, 0});
    EXPECT_EQ(options.HighlightRect, (TRect{0, 0, 40, 24}));

    const std::vector<TRecord>& recs = canvas.records();
    ASSERT_EQ(recs.size(), 1u + 2 + 2 + 4);
    EXPECT_EQ(recs[1].rect(), (TRect{0, 0, 40, 24}));
    EXPECT_EQ(recs[1].pen, clRed);
    EXPECT_EQ(recs[2].font, clRed);
    EXPECT_EQ(recs[3].pen, clBlack); // the successor in black
    EXPECT_EQ(recs[4].font, clBlack);
    // The frame: red outline without fill, two window-coloured rows between a red and a black line.
    EXPECT_EQ(recs[5].rect(), (TRect{0, 0, 40, 24}));
    EXPECT_EQ(recs[5].pen, clRed);
    EXPECT_EQ(recs[5].brushStyle, TBrushStyle::Clear);
    EXPECT_EQ(recs[6].rect(), (TRect{0, 22, 40, 25}));
    EXPECT_EQ(recs[6].pen, kWindow);
    EXPECT_EQ(recs[6].brush, kWindow);
    EXPECT_EQ(recs[6].brushStyle, TBrushStyle::Solid);
    EXPECT_EQ(recs[7].points, (std::vector<TPoint>{{0, 21}, {40, 21}}));
    EXPECT_EQ(recs[7].pen, clRed);
    EXPECT_EQ(recs[8].points, (std::vector<TPoint>{{0, 24}, {40, 24}}));
    EXPECT_EQ(recs[8].pen, clBlack);
    EXPECT_EQ(canvas.brushStyle(), TBrushStyle::Solid);
}

TEST(StructogramDraw, MarkedBlockHasTheBarsAtItsTopAndNoRedOutline)
{
    auto root = makeRoot();
    TBlock* named = append(*root, TBlock::Create("B"));
    statement(*named, "s");
    TDisplayOptions options = modeOptions(false);
    options.AddMarked(named);
    TRecordingCanvas canvas;
    display(*root, options, canvas, {0, 0});
    EXPECT_EQ(options.HighlightRect, (TRect{0, 0, 40, 24}));
    const std::vector<TRecord>& recs = canvas.records();
    ASSERT_EQ(recs.size(), 1u + 1 + 2 + 3);
    EXPECT_EQ(recs[1].pen, clBlack);
    EXPECT_EQ(recs[1].brush, kBlockFill);
    EXPECT_EQ(recs[4].rect(), (TRect{0, 0, 40, 3}));
    EXPECT_EQ(recs[4].brush, kWindow);
    EXPECT_EQ(recs[5].points, (std::vector<TPoint>{{0, 0}, {40, 0}}));
    EXPECT_EQ(recs[5].pen, clRed);
    EXPECT_EQ(recs[6].points, (std::vector<TPoint>{{0, 3}, {40, 3}}));
    EXPECT_EQ(recs[6].pen, clBlack);
}

TEST(StructogramDraw, MarkedDecisionAddsTheStripLine)
{
    auto d = TIf::Create("???");
    TDisplayOptions options = modeOptions(false);
    options.AddMarked(d.get());
    TRecordingCanvas canvas;
    draw(*d, options, canvas, {0, 0}, 200);
    const TRecord* outline = nullptr;
    for (const TRecord& r : canvas.records()) {
        if (r.kind == TPrimitive::Rectangle && r.brushStyle == TBrushStyle::Clear)
            outline = &r;
    }
    ASSERT_NE(outline, nullptr);
    const TRecord& strip = *(outline + 1);
    EXPECT_EQ(strip.points, (std::vector<TPoint>{{0, 25}, {200, 25}}));
    EXPECT_EQ(strip.pen, clRed);
    // The branch frames: the first keeps the red pen of the marked decision.
    EXPECT_EQ(findRect(canvas, {0, 25, 85, 49})->pen, clRed);
}

TEST(StructogramDraw, MarkedTestLastLoopHasNoFrame)
{
    auto dw = TRepeat::Create("r");
    TDisplayOptions options = modeOptions(false);
    options.AddMarked(dw.get());
    TRecordingCanvas canvas;
    draw(*dw, options, canvas, {0, 0}, 100);
    EXPECT_EQ(options.HighlightRect, (TRect{0, 0, 100, 49}));
    EXPECT_EQ(canvas.records()[0].pen, clRed);
    EXPECT_EQ(findText(canvas, "r")->font, clRed);
    for (const TRecord& r : canvas.records()) {
        EXPECT_NE(r.brushStyle, TBrushStyle::Clear);
        EXPECT_NE(r.brush, kWindow);
    }
}

TEST(StructogramDraw, MarksComeLastElementFirst)
{
    auto root = makeRoot();
    TAnweisung* a = statement(*root, "a");
    TAnweisung* b = statement(*root, "b");
    TDisplayOptions options = modeOptions(false);
    options.AddMarked(a);
    options.AddMarked(b);
    TRecordingCanvas canvas;
    display(*root, options, canvas, {0, 0});
    std::vector<TRect> outlines;
    for (const TRecord& r : canvas.records()) {
        if (r.brushStyle == TBrushStyle::Clear)
            outlines.push_back(r.rect());
    }
    EXPECT_EQ(outlines, (std::vector<TRect>{{0, 23, 40, 47}, {0, 0, 40, 24}}));
}

TEST(StructogramDraw, DropMarks)
{
    auto root = makeRoot();
    TAnweisung* a = statement(*root, "a");
    TBlock* named = append(*root, TBlock::Create("B"));
    TDisplayOptions options = modeOptions(false);
    TRecordingCanvas canvas;
    options.DropTarget = a;
    display(*root, options, canvas, {0, 0});
    const TRecord& last = canvas.records().back();
    EXPECT_EQ(last.points, (std::vector<TPoint>{{0, 22}, {40, 22}})); // one row above its lower edge
    EXPECT_EQ(last.pen, clRed);
    EXPECT_EQ(canvas.penColor(), clBlack);

    for (bool after : {false, true}) {
        canvas.clear();
        options.DropTarget = named;
        options.DropAfterBlock = after;
        display(*root, options, canvas, {0, 0});
        EXPECT_EQ(canvas.records().back().points, (std::vector<TPoint>{{0, 22}, {40, 22}})) << after;
        EXPECT_EQ(canvas.records().back().pen, clRed);
    }
}

TEST(StructogramDraw, PrintingCarriesNoMarking)
{
    auto root = makeRoot();
    TAnweisung* a = statement(*root, "a");
    TWhile* w = append(*root, TWhile::Create("w"));
    statement(*w->branch(1), "s");
    TDisplayOptions options;
    options.AddMarked(a);
    options.AddMarked(w);
    TRecordingCanvas printer(10, 20); // spacing 10 while printing
    printer.setWindowColor(kWindow);
    printDiagram(printer, "Titel", *root, options, false);

    const TRecord* caption = findText(printer, "Titel");
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->points[0], (TPoint{10, 10}));
    for (const TRecord& r : printer.records()) {
        EXPECT_NE(r.pen, clRed);
        EXPECT_NE(r.font, clRed);
        EXPECT_NE(r.brush, kWindow);
    }
    EXPECT_EQ(options.HighlightRect, TRect{});
    // The diagram at y = 80; statements 2 S wider and higher while printing, their text S further inside;
    // outlines 3 wide except block frames.
    const TRecord* box = findRect(printer, {15, 80, 15 + 100 + 20, 80 + 51});
    ASSERT_NE(box, nullptr);
    const TRecord* text = findText(printer, "a");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->points[0], (TPoint{15 + 5 + 10, 80 + 5 + 10}));
    EXPECT_EQ(box->penWidth, 3);
    EXPECT_EQ(printer.records()[1].penWidth, 1); // the root block's frame
    EXPECT_EQ(printer.records()[1].brush, kBlockFill);
    EXPECT_EQ(options.Spacing, 6);
    EXPECT_FALSE(options.Printing);
    EXPECT_TRUE(options.OnScreen);
}

// ---- flowchart mode ----

TEST(FlowchartDraw, StatementBoxAndArrow)
{
    auto s = TAnweisung::Create("abc"); // 33 x 30
    TDisplayOptions options = modeOptions(true);
    TRecordingCanvas canvas;
    canvas.setBrushColor(0x123456);
    draw(*s, options, canvas, {100, 0}, 0);
    const std::vector<TRecord>& recs = canvas.records();
    ASSERT_EQ(recs.size(), 4u);
    EXPECT_EQ(recs[0].rect(), (TRect{84, 0, 116, 24}));
    EXPECT_EQ(recs[0].brush, clWhite);
    EXPECT_EQ(recs[1].points[0], (TPoint{89, 5}));
    EXPECT_EQ(recs[2].points, (std::vector<TPoint>{{100, 23}, {100, 29}}));
    EXPECT_EQ(recs[3].kind, TPrimitive::Polygon);
    EXPECT_EQ(recs[3].points, (std::vector<TPoint>{{98, 27}, {102, 27}, {100, 29}}));
    EXPECT_EQ(recs[3].brush, clBlack);
    EXPECT_EQ(canvas.brushColor(), 0x123456u);
}

TEST(FlowchartDraw, NestedFramesGrowBluerAndTheFillIsRestored)
{
    // root > A > B > statement, then C beside A; on screen the paint starts with 245, 245, 245.
    auto root = makeRoot();
    TBlock* a = append(*root, TBlock::Create("A"));
    TBlock* b = append(*a, TBlock::Create("B"));
    statement(*b, "s");
    TBlock* c = append(*root, TBlock::Create("C"));
    TIf* d = append(*root, TIf::Create("?"));
    (void)c;
    (void)d;
    TDisplayOptions options = modeOptions(true);
    TRecordingCanvas canvas;
    display(*root, options, canvas, {200, 15});
    std::vector<TColor> frames;
    for (const TRecord& r : canvas.records()) {
        if (r.kind == TPrimitive::Polygon && r.penStyle == TPenStyle::Dotted) {
            frames.push_back(r.brush);
            EXPECT_EQ(r.pen, clGray);
            EXPECT_EQ(r.penWidth, 1);
        }
    }
    // root, A, B, C, and the decision's two branch blocks.
    EXPECT_EQ(frames, (std::vector<TColor>{0xF5EFEF, 0xF5E9E9, 0xF5E3E3, 0xF5E9E9, 0xF5E9E9, 0xF5E9E9}));
    EXPECT_EQ(findText(canvas, "ja")->brush, 0xF5EFEFu); // labels on the enclosing block's fill
    EXPECT_EQ(canvas.brushColor(), kWindowFill);
    // The start symbol above the origin.
    EXPECT_EQ(canvas.records()[0].kind, TPrimitive::Ellipse);
    EXPECT_EQ(canvas.records()[0].rect(), (TRect{198, 6, 203, 11}));
    EXPECT_EQ(canvas.records()[1].points, (std::vector<TPoint>{{200, 11}, {200, 15}}));
}

TEST(FlowchartDraw, PrintingKeepsFramesWhiteAndUsesLargeHeads)
{
    auto root = makeRoot();
    TAnweisung* s = statement(*root, "abc");
    TDisplayOptions options;
    options.AddMarked(s);
    options.DropTarget = s;
    TRecordingCanvas printer(7, 20); // spacing 10 while printing
    printDiagram(printer, "T", *root, options, true);
    for (const TRecord& r : printer.records()) {
        EXPECT_NE(r.pen, clRed);
        if (r.kind == TPrimitive::Polygon && r.penStyle == TPenStyle::Dotted) {
            EXPECT_EQ(r.brush, clWhite);
            EXPECT_EQ(r.pen, clBlack);
            EXPECT_EQ(r.penWidth, 1);
        }
    }
    // Statement "abc": 21 + 12 + 2 S = 53 wide, 20 + 11 + 10 = 41 high; the box leaves out the 2 S.
    const TSize size = s->Measure(printer, options);
    EXPECT_EQ(size, (TSize{33, 37})); // after printing: the screen settings again
    const std::vector<TRecord> heads = printer.ofKind(TPrimitive::Polygon);
    bool largeHead = false;
    for (const TRecord& h : heads) {
        if (h.points.size() == 3 && h.points[1].x - h.points[0].x == 20)
            largeHead = true;
    }
    EXPECT_TRUE(largeHead);
    const TRecord* box = nullptr;
    for (const TRecord& r : printer.records()) {
        if (r.kind == TPrimitive::Rectangle)
            box = &r;
    }
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->rect().Right - box->rect().Left, 52); // the whole measure, 33 + 2 S: x - 26 .. x + 26
    EXPECT_EQ(box->penWidth, 3);
}

TEST(FlowchartDraw, DropTargetArrows)
{
    auto root = makeRoot();
    TAnweisung* s = statement(*root, "abc");
    TBlock* named = append(*root, TBlock::Create("B"));
    statement(*named, "x");
    TDisplayOptions options = modeOptions(true);
    TRecordingCanvas canvas;

    options.DropTarget = s;
    display(*root, options, canvas, {100, 15});
    // root children start at 22: the box 22..46, the arrow from 45 to 51.
    const TRecord* line = findLine(canvas, {100, 45}, {100, 51});
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->pen, clRed);
    const TRecord& head = *(line + 1);
    EXPECT_EQ(head.brush, clRed);
    EXPECT_EQ(head.pen, clRed);
    EXPECT_EQ(findRect(canvas, {84, 22, 116, 46})->pen, clBlack);

    // B at 52, 45 + ... high: entry arrow 52..58, exit arrow from 52 + 45 - 7 = 90 to 96.
    const int top = 52;
    const int h = named->Measure(canvas, options).cy;
    ASSERT_EQ(h, 45);
    for (bool after : {false, true}) {
        canvas.clear();
        options.DropTarget = named;
        options.DropAfterBlock = after;
        display(*root, options, canvas, {100, 15});
        const TRecord* entry = findLine(canvas, {100, top}, {100, top + 6});
        const TRecord* exit = findLine(canvas, {100, top + h - 7}, {100, top + h - 1});
        ASSERT_NE(entry, nullptr);
        ASSERT_NE(exit, nullptr);
        EXPECT_EQ(entry->pen, after ? clBlack : clRed) << after;
        EXPECT_EQ(exit->pen, after ? clRed : clBlack) << after;
    }
}

TEST(FlowchartDraw, CollapsedBlock)
{
    auto root = makeRoot();
    TBlock* named = append(*root, TBlock::Create("Name"));
    statement(*named, "inside");
    TDisplayOptions options = modeOptions(true);
    options.ToggleCollapsed(named);
    TRecordingCanvas canvas;
    draw(*root, options, canvas, {100, 0}, 0);
    // The block at y 7: 40 x 30, frame rows 7..30.
    std::vector<TRecord> frames;
    for (const TRecord& r : canvas.ofKind(TPrimitive::Polygon)) {
        if (r.penStyle == TPenStyle::Dotted)
            frames.push_back(r);
    }
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1].points, (std::vector<TPoint>{{80, 7}, {120, 7}, {120, 30}, {80, 30}}));
    EXPECT_EQ(findText(canvas, "Name")->points[0], (TPoint{85, 12}));
    EXPECT_EQ(findText(canvas, "inside"), nullptr);
    EXPECT_NE(findLine(canvas, {100, 7}, {100, 30}), nullptr);  // straight through the frame
    EXPECT_NE(findLine(canvas, {100, 30}, {100, 36}), nullptr); // the exit arrow
}

TEST(FlowchartDraw, EmptyBranchShowsFrameAndPlainLine)
{
    auto d = TIf::Create("???");
    TDisplayOptions options = modeOptions(true);
    TRecordingCanvas canvas;
    draw(*d, options, canvas, {100, 0}, 0);
    // Branch 1 centred at 74 from y 32, 46 x 38: frame rows 32..63, then a line to 69 and its end point.
    EXPECT_NE(findLine(canvas, {74, 63}, {74, 69}), nullptr);
    EXPECT_NE(findLine(canvas, {74, 69}, {74, 70}), nullptr);
    EXPECT_EQ(findLine(canvas, {74, 32}, {74, 38}), nullptr); // no entry arrow
    EXPECT_EQ(findText(canvas, "ja")->points[0], (TPoint{74 - 14 - 2, 22 + 3 + 6 - 13}));
    EXPECT_EQ(findText(canvas, "nein")->points[0], (TPoint{126 + 2, 22 + 3 + 6 - 13}));
}

TEST(FlowchartDraw, TestLastLoopLabels)
{
    auto repeat = TRepeat::Create("???");
    auto doWhile = TDoWhile::Create("???");
    TDisplayOptions options = modeOptions(true);
    // Diamond 68 x 22, empty body 46 x 38: the diamond's top corner at 50.
    struct Case
    {
        const TElement* e;
        const char* exit;
        const char* back;
        int backWidth;
        int exitWidth;
    } cases[] = {{repeat.get(), "ja", "nein", 28, 14}, {doWhile.get(), "nein", "ja", 14, 28}};
    for (const Case& c : cases) {
        TRecordingCanvas canvas;
        draw(*c.e, options, canvas, {100, 0}, 0);
        const std::vector<TRecord> exitLabels = canvas.texts(c.exit);
        const std::vector<TRecord> backLabels = canvas.texts(c.back);
        ASSERT_EQ(exitLabels.size(), 1u);
        ASSERT_EQ(backLabels.size(), 1u);
        EXPECT_EQ(exitLabels[0].points[0], (TPoint{100 - c.exitWidth - 2, 22 + 38 + 11})) << c.exit;
        EXPECT_EQ(backLabels[0].points[0], (TPoint{100 - 34 - c.backWidth + 5, 50 + 11 + 1})) << c.back;
    }
}

TEST(FlowchartDraw, DecisionJoinsAtTheLongerBranch)
{
    auto d = TIf::Create("???");
    for (int i = 0; i < 3; ++i)
        statement(*d->branch(1), "a");
    TDisplayOptions options = modeOptions(true);
    TRecordingCanvas canvas;
    draw(*d, options, canvas, {100, 0}, 0);
    // Yes branch 105 high, no branch 38, both from 32: the no line runs down to 137, then across.
    const std::vector<TRecord> lines = canvas.ofKind(TPrimitive::Polyline);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].points, (std::vector<TPoint>{{126, 70}, {126, 137}, {74, 137}}));
    EXPECT_NE(findLine(canvas, {100, 138}, {100, 144}), nullptr);
    EXPECT_EQ(d->Measure(canvas, options).cy, 144);
}

TEST(FlowchartDraw, TestFirstLoopRunsAroundAWideBody)
{
    auto w = TWhile::Create("?");
    statement(*w->branch(1), std::string(30, 'x')); // body block 228 wide, 45 high
    TDisplayOptions options = modeOptions(true);
    TRecordingCanvas canvas;
    draw(*w, options, canvas, {300, 0}, 0);
    // Diamond 53 x 17; yb = 17 + 6 + 13 + 45 = 81; the lines 6 beyond half the body's width.
    const std::vector<TRecord> lines = canvas.ofKind(TPrimitive::Polyline);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].points, (std::vector<TPoint>{{326, 8}, {420, 8}, {420, 94}, {300, 94}}));
    EXPECT_EQ(lines[1].points, (std::vector<TPoint>{{300, 81}, {300, 84}, {180, 84}, {180, 8}}));
    EXPECT_NE(findLine(canvas, {180, 8}, {274, 8}), nullptr); // the back edge's arrow into the left corner
    EXPECT_EQ(findText(canvas, "nein")->points[0], (TPoint{300 + 26 - 4, 8 - 13}));
}

TEST(FlowchartDraw, MarkedDecisionIsRedThroughout)
{
    auto root = makeRoot();
    TIf* d = append(*root, TIf::Create("???"));
    statement(*d->branch(1), "s");
    TDisplayOptions options = modeOptions(true);
    options.AddMarked(d);
    TRecordingCanvas canvas;
    display(*root, options, canvas, {100, 15});
    EXPECT_EQ(options.HighlightRect, (TRect{100 - 68, 22, 100 + 68, 22 + 22}));
    for (const TRecord& r : canvas.ofKind(TPrimitive::Polyline))
        EXPECT_EQ(r.pen, clRed);
    EXPECT_EQ(findText(canvas, "???")->font, clRed);
    EXPECT_EQ(findText(canvas, "nein")->font, clRed);
    EXPECT_EQ(findText(canvas, "s")->font, clBlack); // inside the branch: normal colours
    for (const TRecord& r : canvas.ofKind(TPrimitive::Polygon)) {
        if (r.penStyle == TPenStyle::Dotted && r.brush != 0xF5EFEF) { // the branch frames
            EXPECT_EQ(r.pen, clRed);
        }
    }
    // The exit arrow below the join is red too.
    const int yj = 22 + 22 + 4 + 6 + d->branch(1)->Measure(canvas, options).cy;
    EXPECT_EQ(findLine(canvas, {100, yj + 1}, {100, yj + 7})->pen, clRed);
}

TEST(DrawArrow, HeadsAndHighlight)
{
    struct Case
    {
        TArrowKind kind;
        bool highlight;
        bool printing;
        std::vector<TPoint> head;
        TColor pen;
        TColor fill;
    } cases[] = {
        {TArrowKind::ArrowDown, false, false, {{8, 18}, {12, 18}, {10, 20}}, clBlack, clBlack},
        {TArrowKind::ArrowRight, false, false, {{8, 18}, {8, 22}, {10, 20}}, clBlack, clBlack},
        {TArrowKind::ArrowDown, true, false, {{8, 18}, {12, 18}, {10, 20}}, clRed, clRed},
        {TArrowKind::ArrowDown, true, true, {{0, 10}, {20, 10}, {10, 20}}, clBlack, clBlack},
    };
    for (const Case& c : cases) {
        TRecordingCanvas canvas;
        canvas.setBrushColor(0x345678);
        DrawArrow(canvas, c.kind, 10, 0, 10, 20, c.highlight, c.printing);
        ASSERT_EQ(canvas.records().size(), 2u);
        EXPECT_EQ(canvas.records()[0].pen, c.pen);
        EXPECT_EQ(canvas.records()[1].points, c.head);
        EXPECT_EQ(canvas.records()[1].brush, c.fill);
        EXPECT_EQ(canvas.penColor(), clBlack);
        EXPECT_EQ(canvas.brushColor(), 0x345678u);
    }
    TRecordingCanvas plain;
    DrawArrow(plain, TArrowKind::ArrowNone, 10, 0, 10, 20, false, false);
    EXPECT_EQ(plain.records()[1].points, (std::vector<TPoint>{{10, 20}, {10, 21}}));
}

TEST(FlowchartFill, StopsAtZeroInsteadOfBorrowing)
{
    EXPECT_EQ(flowchartInnerFill(0xF5F5F5), 0xF5EFEFu);
    EXPECT_EQ(flowchartInnerFill(0x800402), 0x800000u); // red and green stop at 0, blue is kept
}

// ---- figures outside the painted area ----

struct Box
{
    int left, top, right, bottom; // inclusive
};

Box boxOf(const TRecord& r, int charWidth)
{
    Box b{r.points[0].x, r.points[0].y, r.points[0].x, r.points[0].y};
    if (r.kind == TPrimitive::TextOut) {
        b.right += static_cast<int>(r.text.size()) * charWidth;
        b.bottom += 13;
        return b;
    }
    for (const TPoint& p : r.points) {
        b.left = std::min(b.left, p.x);
        b.right = std::max(b.right, p.x);
        b.top = std::min(b.top, p.y);
        b.bottom = std::max(b.bottom, p.y);
    }
    return b;
}

bool touches(const Box& b, const TRect& area)
{
    return b.right >= area.Left && b.left < area.Right && b.bottom >= area.Top && b.top < area.Bottom;
}

// Every primitive of the full paint that reaches into `area` is drawn, identically and in the same order,
// when only `area` is painted.
void expectSamePaintInside(TBlock& root, TDisplayOptions options, TRect area, TPoint origin, bool fewer)
{
    TRecordingCanvas full;
    display(root, options, full, origin);
    const TRect fullHighlight = options.HighlightRect;
    options.HighlightRect = TRect{};
    TRecordingCanvas part;
    part.setPaintArea(area);
    display(root, options, part, origin);
    EXPECT_EQ(options.HighlightRect, fullHighlight);
    if (fewer) {
        EXPECT_LT(part.records().size(), full.records().size());
    }
    std::size_t j = 0;
    int checked = 0;
    for (const TRecord& r : full.records()) {
        if (!touches(boxOf(r, 7), area))
            continue;
        ++checked;
        while (j < part.records().size() && !sameRecord(part.records()[j], r))
            ++j;
        ASSERT_LT(j, part.records().size()) << "missing record " << static_cast<int>(r.kind) << " at "
                                            << r.points[0].x << "," << r.points[0].y << " " << r.text;
        ++j;
    }
    EXPECT_GT(checked, 0);
}

TEST(PaintArea, LeavesOutOnlyWhatLiesOutside)
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 rng(seed);
        GeneratorOptions generator;
        generator.maxDepth = 5;
        generator.maxSequence = 6;
        generator.oddTexts = false;
        std::unique_ptr<TBlock> root = generateDesign(rng, generator);
        for (int i = 0; i < 8; ++i)
            statement(*root, "padding " + std::to_string(i));
        for (bool flowchart : {false, true}) {
            TDisplayOptions options = modeOptions(flowchart);
            TRecordingCanvas measure;
            const TSize size = root->Measure(measure, options);
            // Mark something deep inside and make something else the drop target.
            TElement* deep = root.get();
            while (TBlock* b = asBlock(deep)) {
                if (!b->FirstChild)
                    break;
                deep = b->FirstChild.get();
                if (TBedingung* c = asCondition(deep))
                    deep = c->branch(1);
            }
            options.AddMarked(deep);
            options.DropTarget = root->FirstChild.get();
            const TPoint origin{flowchart ? size.cx / 2 + 30 : 15, 15};
            const int third = size.cy / 3;
            SCOPED_TRACE("seed " + std::to_string(seed) + (flowchart ? " flowchart" : " structogram"));
            expectSamePaintInside(*root, options, TRect{-50, 15 + third, 5000, 15 + 2 * third}, origin, true);
            expectSamePaintInside(*root, options, TRect{origin.x, 0, origin.x + 60, 15 + size.cy}, origin,
                                  false);
        }
    }
}

TEST(PaintArea, MarkedElementOutsideStillRecordsItsRectangle)
{
    auto root = makeRoot();
    for (int i = 0; i < 50; ++i)
        statement(*root, "s");
    TBlock* named = append(*root, TBlock::Create("B"));
    TWhile* loop = append(*named, TWhile::Create("w"));
    TAnweisung* target = statement(*loop->branch(1), "target");
    for (bool flowchart : {false, true}) {
        TDisplayOptions options = modeOptions(flowchart);
        options.AddMarked(target);
        TRecordingCanvas canvas;
        canvas.setPaintArea(TRect{0, 0, 400, 100});
        display(*root, options, canvas, {100, 15});
        EXPECT_GT(options.HighlightRect.Top, 1000) << flowchart;
        // Of the far figures only those around the marked element are drawn (a painter drops them)...
        EXPECT_EQ(findText(canvas, "s", 20), nullptr);
        EXPECT_LT(canvas.records().size(), 60u); // of more than 100
        const TRect expected = options.HighlightRect;
        options.HighlightRect = TRect{};
        TRecordingCanvas full;
        display(*root, options, full, {100, 15});
        EXPECT_EQ(options.HighlightRect, expected) << flowchart; // ...and the rectangle is the same
    }
}

TEST(Draw, DeepNestingAndLongSequences)
{
    // 1000 nested loops (the deepest design a file may hold) and a sequence of 200,000 statements.
    auto deep = makeRoot();
    TBlock* block = deep.get();
    for (int i = 0; i < 999; ++i)
        block = append(*block, i % 2 ? static_cast<std::unique_ptr<TBedingung>>(TWhile::Create("w"))
                                     : static_cast<std::unique_ptr<TBedingung>>(TIf::Create("i")))
                    ->branch(1);
    TAnweisung* innermost = statement(*block, "innermost");
    auto longRoot = makeRoot();
    std::unique_ptr<TElement>* link = &longRoot->FirstChild;
    for (int i = 0; i < 200000; ++i) {
        *link = TAnweisung::Create("s");
        link = &(*link)->Next;
    }
    for (bool flowchart : {false, true}) {
        TDisplayOptions options = modeOptions(flowchart);
        options.AddMarked(innermost);
        TRecordingCanvas canvas;
        canvas.setPaintArea(TRect{0, 0, 700, 500});
        display(*deep, options, canvas, {15, 15});
        EXPECT_NE(options.HighlightRect, TRect{});
        EXPECT_NE(deep->HitTest(canvas, {15, 15}, options, options.HighlightRect.Left + 1,
                                options.HighlightRect.Top + 1),
                  nullptr);
        canvas.clear();
        display(*longRoot, options, canvas, {15, 15});
        EXPECT_LT(canvas.records().size(), 200u);
    }
}

} // namespace

namespace {

// A run's marks on screen: the running element's figure in a fill of its own in both modes (a collapsed
// block around it instead of it), a breakpoint's disc; none of it on paper.
TEST(RunMarks, RunningElementAndBreakpointsInBothModesNotOnPaper)
{
    auto root = everyKindDesign();
    const auto count = [](const TRecordingCanvas& canvas, TPrimitive kind, TColor brush) {
        return std::count_if(canvas.records().begin(), canvas.records().end(),
                             [&](const TRecord& r) { return r.kind == kind && r.brush == brush; });
    };
    const auto figure = [](bool flowchart, const TElement* e) {
        return flowchart && e->isCondition() ? TPrimitive::Polygon : TPrimitive::Rectangle;
    };
    for (const bool flowchart : {false, true}) {
        // a, the decision, the while loop, the do-while loop in the named block, the counting loop, c.
        for (const std::vector<int>& path :
             std::vector<std::vector<int>>{{0}, {1}, {2}, {3, 1}, {4}, {2, 1, 0}}) {
            SCOPED_TRACE(testing::Message() << (flowchart ? "flowchart " : "structogram ") << path.size());
            TElement* e = at(*root, path);
            TRunMarks marks;
            marks.running = TRunMarks::spotOf(e);
            marks.breakpoints = {{e, e->serial()}};
            TDisplayOptions options = modeOptions(flowchart);
            options.RunMarks = &marks;
            TRecordingCanvas canvas;
            display(*root, options, canvas, {200, 15});
            EXPECT_EQ(count(canvas, figure(flowchart, e), kRunningFill), 1);
            EXPECT_EQ(count(canvas, TPrimitive::Ellipse, 0x0000B0), 1);
            // The named block collapsed: it shows the run where its do-while loop is hidden.
            options.ToggleCollapsed(asBlock(at(*root, {3})));
            canvas.clear();
            display(*root, options, canvas, {200, 15});
            EXPECT_EQ(count(canvas, TPrimitive::Rectangle, kRunningFill) +
                          count(canvas, TPrimitive::Polygon, kRunningFill),
                      1);
            options.ToggleCollapsed(asBlock(at(*root, {3})));
            TRecordingCanvas printer;
            printDiagram(printer, "Titel", *root, options, flowchart);
            EXPECT_EQ(count(printer, figure(flowchart, e), kRunningFill), 0);
            EXPECT_EQ(count(printer, TPrimitive::Ellipse, 0x0000B0), 0);
        }
    }
}

} // namespace

namespace {

// How often each element ran, on the elements of both modes: a count on every statement and condition
// element, clear of its text, the elements that never ran in grey; nothing of it on paper.
TEST(RunMarks, CountsStandBesideTheTextsAndMarkWhatNeverRan)
{
    auto root = everyKindDesign();
    std::vector<TElement*> steps;
    visitTree(root.get(), false, [&steps](TElement* e) {
        if (!e->isBlock())
            steps.push_back(e);
        return false;
    });
    ASSERT_GE(steps.size(), 6u);
    std::unordered_map<const TElement*, std::uint64_t> counts;
    for (std::size_t i = 0; i < steps.size(); i += 2)
        counts[steps[i]] = 12 + i;
    TRunMarks marks;
    marks.counts = &counts;
    marks.showCounts = true;
    for (const bool flowchart : {false, true}) {
        SCOPED_TRACE(flowchart ? "flowchart" : "structogram");
        TDisplayOptions options = modeOptions(flowchart);
        options.RunMarks = &marks;
        TRecordingCanvas canvas;
        display(*root, options, canvas, {200, 15});
        std::vector<TRect> texts;
        std::vector<TRect> badges;
        for (const TRecord& r : canvas.records()) {
            if (r.kind != TPrimitive::TextOut)
                continue;
            const TSize size = canvas.textExtent(r.text);
            const TRect box{r.points[0].x, r.points[0].y, r.points[0].x + size.cx, r.points[0].y + size.cy};
            (r.text.back() == '\xD7' ? badges : texts).push_back(box);
        }
        EXPECT_EQ(badges.size(), steps.size());
        for (const TRect& badge : badges)
            for (const TRect& text : texts)
                EXPECT_FALSE(badge.Left < text.Right && text.Left < badge.Right && badge.Top < text.Bottom &&
                             text.Top < badge.Bottom)
                    << badge.Left << "," << badge.Top << " " << text.Left << "," << text.Top << "-"
                    << text.Right;
        const auto grey =
            std::count_if(canvas.records().begin(), canvas.records().end(), [](const TRecord& r) {
                return (r.kind == TPrimitive::Rectangle || r.kind == TPrimitive::Polygon) &&
                       r.brush == kNeverRanFill;
            });
        EXPECT_EQ(static_cast<std::size_t>(grey), steps.size() / 2);
        TRecordingCanvas printer;
        printDiagram(printer, "Titel", *root, options, flowchart);
        for (const TRecord& r : printer.records())
            EXPECT_NE(r.text.empty() ? ' ' : r.text.back(), '\xD7');
    }
}

} // namespace
