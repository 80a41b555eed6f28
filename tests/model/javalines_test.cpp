// Where each element stands in the exported text: its lines, and the element each line belongs to.

#include "model/javalines.h"

#include "model/diagramview.h"
#include "tests/support/designs.h"

#include <gtest/gtest.h>

namespace {

TEST(JavaLines, LinesAndTheirElementsFollowTheExport)
{
    auto root = everyKindDesign();
    const TJavaLines lines(*root);
    // The text, line by line:
    //  0 a;   1 if (x > 0) {   2 b;   3 }   4 while (w) {   5 c;   6 }   7 (empty)   8 // Teil   9 d;
    // 10 do {   11 }  while (dw);   12 // Ende Teil   13 (empty)   14 for (...) {   15 e;   16 }
    // 17 do {   18 } while (!(r));
    ASSERT_EQ(lines.lineCount(), 19);
    const struct
    {
        int line;
        std::vector<int> element; // path from the root; {} for none
    } owners[] = {
        {0, {0}},       {1, {1}},  {2, {1, 1, 0}},  {3, {1, 1}},  {4, {2}},
        {5, {2, 1, 0}}, {8, {3}},  {9, {3, 0}},     {10, {3, 1}}, {11, {3, 1, 1}},
        {12, {3}},      {14, {4}}, {15, {4, 1, 0}}, {17, {5}},    {18, {5}},
    };
    for (const auto& o : owners)
        EXPECT_EQ(lines.elementAt(o.line), at(*root, o.element)) << "line " << o.line;
    EXPECT_EQ(lines.elementAt(7), nullptr);
    EXPECT_EQ(lines.elementAt(99), nullptr);

    EXPECT_EQ(lines.linesOf(at(*root, {0})), std::make_pair(0, 0));
    EXPECT_EQ(lines.linesOf(at(*root, {1})), std::make_pair(1, 3));  // the decision with its branch
    EXPECT_EQ(lines.linesOf(at(*root, {3})), std::make_pair(7, 13)); // the named block with its comments
    EXPECT_EQ(lines.linesOf(at(*root, {1, 2})), std::nullopt);       // an empty no branch writes nothing
    auto other = TAnweisung::Create("x");
    EXPECT_EQ(lines.linesOf(other.get()), std::nullopt);
}

// Deep nesting: each head belongs to its own decision and each closing brace to the decision's branch,
// the innermost line to the statement, however many elements stand around a line.
TEST(JavaLines, EveryLineOfADeepNestFindsItsOwnElement)
{
    constexpr int kDepth = 300;
    auto root = makeRoot();
    std::vector<TIf*> nest;
    TBlock* body = root.get();
    for (int level = 0; level < kDepth; ++level) {
        TIf* decision = append(*body, TIf::Create("a"));
        nest.push_back(decision);
        body = decision->branch(1);
    }
    TElement* inner = statement(*body, "x = 1");
    const TJavaLines lines(*root);
    ASSERT_EQ(lines.lineCount(), 2 * kDepth + 1);
    for (int level = 0; level < kDepth; ++level) {
        EXPECT_EQ(lines.elementAt(level), nest[static_cast<std::size_t>(level)]) << level;
        EXPECT_EQ(lines.elementAt(2 * kDepth - level), nest[static_cast<std::size_t>(level)]->branch(1))
            << level;
    }
    EXPECT_EQ(lines.elementAt(kDepth), inner);
}

// The line a running element highlights: a statement's, a decision's or test-first loop's head, a test-last
// loop's test; and what a window draws for an element: itself or the collapsed block it is hidden in.
TEST(JavaLines, StepLinesAndWhatAWindowDrawsForAnElement)
{
    auto root = everyKindDesign();
    const TJavaLines lines(*root);
    EXPECT_EQ(lines.stepLines(at(*root, {0})), std::make_pair(0, 0));
    EXPECT_EQ(lines.stepLines(at(*root, {1})), std::make_pair(1, 1));
    EXPECT_EQ(lines.stepLines(at(*root, {3, 1})), std::make_pair(11, 11));
    EXPECT_EQ(lines.stepLines(at(*root, {3})), std::nullopt);
    EXPECT_EQ(lines.line(11), "  } while (dw);");

    TDisplayOptions options;
    TElement* dw = at(*root, {3, 1});
    EXPECT_EQ(drawnFor(*root, options, *dw), dw);
    options.ToggleCollapsed(asBlock(at(*root, {3, 1, 1})));
    options.ToggleCollapsed(asBlock(at(*root, {3})));
    EXPECT_EQ(drawnFor(*root, options, *at(*root, {3, 1, 1})), at(*root, {3}));
    EXPECT_EQ(drawnFor(*asBlock(at(*root, {2, 1})), options, *dw), nullptr);
}

} // namespace
