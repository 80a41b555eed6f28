// Elements copied, cut and pasted: what the clipboard carries, and where the elements land.

#include "model/elementclipboard.h"

#include "model/designerror.h"
#include "model/dump.h"
#include "tests/support/designs.h"

#include <gtest/gtest.h>

namespace {

// A decision with both branches filled, as a teacher duplicates it for a worksheet.
std::unique_ptr<TBlock> decisionDesign()
{
    auto root = makeRoot();
    statement(*root, "int x = 3");
    TIf* decision = append(*root, TIf::Create("x > 2"));
    statement(*decision->branch(1), "System.out.println(\"gro\xdf\")");
    TWhile* loop = append(*decision->branch(2), TWhile::Create("x < 2"));
    statement(*loop->branch(1), "x++");
    statement(*root, "ende");
    return root;
}

TEST(ElementClipboard, ACopyPastedAfterItselfGivesTwoEqualElements)
{
    auto root = decisionDesign();
    TElement* decision = root->FirstChild->Next.get();
    const std::string bytes = elementBytes(*decision);
    TElement* pasted = pasteElements(*decision, elementsFromBytes(bytes));
    ASSERT_EQ(pasted, decision->Next.get());
    EXPECT_EQ(dumpTree(*root), "B s=0 b=0 \"gesamtes Programm\"\n"
                               "  A s=1 \"int x = 3\"\n"
                               "  I s=1 \"x > 2\"\n"
                               "    B s=0 b=1 \"Ja-Block\"\n"
                               "      A s=1 \"System.out.println(\\\"gro\\xdf\\\")\"\n"
                               "    B s=0 b=1 \"Nein-Block\"\n"
                               "      W s=1 \"x < 2\"\n"
                               "        B s=0 b=1 \"While-Block\"\n"
                               "          A s=1 \"x++\"\n"
                               "  I s=1 \"x > 2\"\n"
                               "    B s=0 b=1 \"Ja-Block\"\n"
                               "      A s=1 \"System.out.println(\\\"gro\\xdf\\\")\"\n"
                               "    B s=0 b=1 \"Nein-Block\"\n"
                               "      W s=1 \"x < 2\"\n"
                               "        B s=0 b=1 \"While-Block\"\n"
                               "          A s=1 \"x++\"\n"
                               "  A s=1 \"ende\"\n");
    // The pasted elements know where they stand: the copy's loop body lies in the copy.
    const auto* copy = static_cast<const TIf*>(pasted);
    const TElement* innerLoop = copy->branch(2)->FirstChild.get();
    EXPECT_EQ(innerLoop->parent(), copy->branch(2));
    EXPECT_EQ(copy->parent(), root.get());
}

TEST(ElementClipboard, IntoAnEmptyBlockAsItsFirstElement)
{
    auto root = decisionDesign();
    auto* decision = static_cast<TIf*>(root->FirstChild->Next.get());
    TBlock* yes = decision->branch(1);
    const std::unique_ptr<TElement> removed = yes->DeleteElement(yes);
    TElement* pasted = pasteElements(*yes, elementsFromBytes(elementBytes(*root->FirstChild)));
    EXPECT_EQ(yes->FirstChild.get(), pasted);
    EXPECT_EQ(pasted->Text, "int x = 3");
    EXPECT_EQ(pasted->parent(), yes);
}

TEST(ElementClipboard, JavaTextOfTheElementAlone)
{
    auto root = decisionDesign();
    EXPECT_EQ(elementJavaText(*root->FirstChild->Next),
              "    if (x > 2) {\r\n      System.out.println(\"gro\xdf\");\r\n    }\r\n    else{\r\n"
              "      while (x < 2) {\r\n        x++;\r\n      }\r\n    }\r\n");
}

TEST(ElementClipboard, RefusesWhatIsNoDesignAndNestingTooDeep)
{
    EXPECT_THROW(elementsFromBytes("\x89PNG\r\n"), DesignError);

    // A decision at level 999 takes a pasted statement, but not a pasted decision (its branch blocks
    // would be level 1001).
    auto root = makeRoot();
    TBlock* body = root.get();
    for (int level = 2; level <= kMaxNesting; ++level)
        body = append(*body, TWhile::Create("a"))->branch(1);
    TAnweisung* deepest = statement(*body, "x");
    EXPECT_NO_THROW(pasteElements(*deepest, TAnweisung::Create("y")));
    const std::string before = dumpTree(*root);
    auto decision = TIf::Create("b");
    try {
        pasteElements(*deepest, std::move(decision));
        ADD_FAILURE() << "pasted too deep";
    } catch (const DesignError& error) {
        EXPECT_EQ(error.reason(), ErrorReason::TooDeeplyNested);
    }
    EXPECT_EQ(dumpTree(*root), before);
}

} // namespace
