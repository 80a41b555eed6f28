// The structural operations of the element tree: Create, Clone, InsertAfter, DeleteElement,
// DetachElement, FindReferrer.

#include "model/dump.h"
#include "model/struktteile.h"
#include "model/texts.h"
#include "tests/support/designs.h"

#include <gtest/gtest.h>

namespace {

// root: a, if c (yes: y1, y2; no: empty), b
struct SmallDesign
{
    std::unique_ptr<TBlock> root = TBlock::Create(texts::kGesamtesProgramm);
    TElement* a = nullptr;
    TIf* decision = nullptr;
    TElement* y1 = nullptr;
    TElement* y2 = nullptr;
    TElement* b = nullptr;

    SmallDesign()
    {
        makeDesignRoot(*root);
        auto first = TAnweisung::Create("a");
        a = first.get();
        auto ifElement = TIf::Create("c");
        decision = ifElement.get();
        auto last = TAnweisung::Create("b");
        b = last.get();
        auto yes1 = TAnweisung::Create("y1");
        y1 = yes1.get();
        auto yes2 = TAnweisung::Create("y2");
        y2 = yes2.get();
        decision->branch(1)->InsertAfter(std::move(yes2));
        decision->branch(1)->InsertAfter(std::move(yes1));
        root->InsertAfter(std::move(last));
        root->InsertAfter(std::move(ifElement));
        root->InsertAfter(std::move(first));
    }
};

TEST(CreateTest, SetsTheFieldsOfEachClass)
{
    auto decision = TIf::Create("???");
    EXPECT_TRUE(decision->Standalone);
    EXPECT_EQ(decision->BranchCount, 2);
    EXPECT_EQ(decision->branch(1)->Text, "Ja-Block");
    EXPECT_EQ(decision->branch(2)->Text, "Nein-Block");
    EXPECT_FALSE(decision->branch(1)->Standalone);
    EXPECT_TRUE(decision->branch(1)->Braced);

    auto repeat = TRepeat::Create("x");
    EXPECT_EQ(repeat->kind(), Kind::Repeat);
    EXPECT_EQ(repeat->BranchCount, 1);
    EXPECT_EQ(repeat->branch(1)->Text, "RepeatUntil-Block");
    EXPECT_FALSE(repeat->branch(1)->Braced);
    EXPECT_FALSE(repeat->LoopOnYes);
    EXPECT_EQ(repeat->Branches[1], nullptr);

    EXPECT_TRUE(TDoWhile::Create("x")->LoopOnYes);
    EXPECT_EQ(TDoWhile::Create("x")->branch(1)->Text, "DoWhile-Block");
    EXPECT_EQ(TWhile::Create("x")->branch(1)->Text, "While-Block");
    EXPECT_EQ(TFor::Create("x")->branch(1)->Text, "For-Block");

    auto block = TBlock::Create("n");
    EXPECT_TRUE(block->Standalone && block->Framed && block->Braced);
    EXPECT_EQ(block->FirstChild, nullptr);
    EXPECT_TRUE(TFor::Create("x")->isLoop());
    EXPECT_FALSE(TIf::Create("x")->isLoop());
}

TEST(CloneTest, CopyIsIndependentOfTheOriginal)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 50; ++round) {
        auto original = generateDesign(rng);
        const std::string before = dumpTree(*original);
        auto copy = original->cloneBlock();
        original.reset(); // the copy shares nothing with it
        EXPECT_EQ(dumpTree(*copy), before);
        EXPECT_EQ(checkInvariants(*copy), "");
    }
}

TEST(CloneTest, CopiesSuccessorsAndEmptyBranchesAndGivesNewIdentities)
{
    SmallDesign d;
    auto copy = d.a->Clone();
    ASSERT_NE(copy->Next, nullptr);
    EXPECT_EQ(copy->Next->kind(), Kind::If);
    const auto* decision = static_cast<const TIf*>(copy->Next.get());
    ASSERT_NE(decision->branch(2), nullptr);
    EXPECT_EQ(decision->branch(2)->Text, "Nein-Block");
    EXPECT_EQ(decision->branch(2)->FirstChild, nullptr);
    EXPECT_EQ(copy->Next->Next->Text, "b");
    EXPECT_NE(copy->serial(), d.a->serial());
    EXPECT_NE(copy.get(), d.a);
}

TEST(InsertAfterTest, BlockTakesFirstOtherElementsTakeSuccessor)
{
    SmallDesign d;
    auto n1 = TAnweisung::Create("n1");
    TElement* p1 = n1.get();
    d.decision->InsertAfter(std::move(n1));
    EXPECT_EQ(d.decision->Next.get(), p1);
    EXPECT_EQ(p1->Next.get(), d.b);

    auto n2 = TAnweisung::Create("n2");
    TElement* p2 = n2.get();
    d.decision->branch(2)->InsertAfter(std::move(n2));
    EXPECT_EQ(d.decision->branch(2)->FirstChild.get(), p2);
    EXPECT_EQ(p2->Next, nullptr);

    auto named = TBlock::Create("named");
    TBlock* namedBlock = named.get();
    d.root->InsertAfter(std::move(named));
    EXPECT_EQ(d.root->FirstChild.get(), namedBlock);
    namedBlock->InsertAfter(TAnweisung::Create("inner"));
    EXPECT_EQ(namedBlock->FirstChild->Text, "inner");
    EXPECT_EQ(namedBlock->Next.get(), d.a);
}

TEST(DeleteElementTest, FirstMiddleLastAndOnlyElements)
{
    const std::string head = "B s=0 b=0 \"gesamtes Programm\"\n";
    const std::string ifLine = "  I s=1 \"c\"\n    B s=0 b=1 \"Ja-Block\"\n";
    const std::string no = "    B s=0 b=1 \"Nein-Block\"\n";
    struct Case
    {
        const char* name;
        TElement* (*pick)(SmallDesign&);
        std::string expected;
    };
    const Case cases[] = {
        {"first of root", [](SmallDesign& d) -> TElement* { return d.a; },
         head + ifLine + "      A s=1 \"y1\"\n      A s=1 \"y2\"\n" + no + "  A s=1 \"b\"\n"},
        {"middle of root", [](SmallDesign& d) -> TElement* { return d.decision; },
         head + "  A s=1 \"a\"\n  A s=1 \"b\"\n"},
        {"last of root", [](SmallDesign& d) -> TElement* { return d.b; },
         head + "  A s=1 \"a\"\n" + ifLine + "      A s=1 \"y1\"\n      A s=1 \"y2\"\n" + no},
        {"first of branch", [](SmallDesign& d) -> TElement* { return d.y1; },
         head + "  A s=1 \"a\"\n" + ifLine + "      A s=1 \"y2\"\n" + no + "  A s=1 \"b\"\n"},
        {"last of branch", [](SmallDesign& d) -> TElement* { return d.y2; },
         head + "  A s=1 \"a\"\n" + ifLine + "      A s=1 \"y1\"\n" + no + "  A s=1 \"b\"\n"},
    };
    for (const Case& c : cases) {
        SmallDesign d;
        TElement* target = c.pick(d);
        std::unique_ptr<TElement> removed = d.root->DeleteElement(target);
        ASSERT_EQ(removed.get(), target) << c.name;
        EXPECT_EQ(removed->Next, nullptr) << c.name;
        EXPECT_EQ(dumpTree(*d.root), c.expected) << c.name;
    }

    SmallDesign d;
    d.root->DeleteElement(d.y1);
    d.root->DeleteElement(d.y2);
    EXPECT_EQ(d.decision->branch(1)->FirstChild, nullptr); // the only element of a branch
}

TEST(DeleteElementTest, RemovedConditionKeepsWhatItOwns)
{
    SmallDesign d;
    std::unique_ptr<TElement> removed = d.root->DeleteElement(d.decision);
    ASSERT_EQ(removed.get(), d.decision);
    EXPECT_EQ(d.a->Next.get(), d.b);
    // The caller gets the branches too, so a window that shows one of them can keep it alive.
    EXPECT_EQ(static_cast<TIf*>(removed.get())->branch(1)->FirstChild.get(), d.y1);
}

TEST(DeleteElementTest, BranchBlockAndShownBlockAreEmptiedInPlace)
{
    SmallDesign d;
    TBlock* yes = d.decision->branch(1);
    std::unique_ptr<TElement> contents = d.root->DeleteElement(yes);
    EXPECT_EQ(d.decision->branch(1), yes);
    EXPECT_EQ(yes->FirstChild, nullptr);
    EXPECT_EQ(yes->Text, "Ja-Block");
    EXPECT_EQ(d.decision->BranchCount, 2);
    ASSERT_NE(contents, nullptr);
    EXPECT_EQ(contents.get(), d.y1);
    EXPECT_EQ(contents->Next.get(), d.y2);

    contents = d.root->DeleteElement(d.root.get());
    EXPECT_EQ(d.root->FirstChild, nullptr);
    EXPECT_EQ(d.root->Text, "gesamtes Programm");
    EXPECT_FALSE(d.root->Standalone);
    EXPECT_FALSE(d.root->Braced);
    EXPECT_EQ(contents.get(), d.a);
}

TEST(DeleteElementTest, ElementOutsideTheStructureChangesNothing)
{
    SmallDesign d;
    const std::string before = dumpTree(*d.root);
    auto stranger = TAnweisung::Create("x");
    EXPECT_EQ(d.root->DeleteElement(stranger.get()), nullptr);
    EXPECT_EQ(d.decision->branch(1)->DeleteElement(d.a), nullptr); // a is not below the yes branch
    EXPECT_EQ(d.root->DeleteElement(nullptr), nullptr);
    EXPECT_EQ(dumpTree(*d.root), before);
}

TEST(DetachElementTest, UnlinksAndKeepsTheRestOfTheSequence)
{
    SmallDesign d;
    std::unique_ptr<TElement> moved = d.root->DetachElement(d.decision);
    ASSERT_EQ(moved.get(), d.decision);
    EXPECT_EQ(d.a->Next.get(), d.b);
    EXPECT_EQ(moved->Next, nullptr);
    EXPECT_EQ(d.decision->branch(1)->FirstChild.get(), d.y1); // nothing released

    d.b->InsertAfter(std::move(moved));
    EXPECT_EQ(d.b->Next.get(), d.decision);

    std::unique_ptr<TElement> first = d.root->DetachElement(d.y1);
    EXPECT_EQ(first.get(), d.y1);
    EXPECT_EQ(d.decision->branch(1)->FirstChild.get(), d.y2);
    EXPECT_EQ(d.root->DetachElement(d.root.get()), nullptr);
    EXPECT_EQ(d.root->DetachElement(nullptr), nullptr);
}

TEST(FindReferrerTest, PredecessorBlockOrCondition)
{
    SmallDesign d;
    EXPECT_EQ(d.root->FindReferrer(d.a), d.root.get());
    EXPECT_EQ(d.root->FindReferrer(d.decision), d.a);
    EXPECT_EQ(d.root->FindReferrer(d.y1), d.decision->branch(1));
    EXPECT_EQ(d.root->FindReferrer(d.y2), d.y1);
    EXPECT_EQ(d.root->FindReferrer(d.decision->branch(2)), d.decision);
    EXPECT_EQ(d.root->FindReferrer(d.decision->branch(1)), d.decision);
    EXPECT_EQ(d.root->FindReferrer(d.root.get()), nullptr);
    auto stranger = TAnweisung::Create("x");
    EXPECT_EQ(d.root->FindReferrer(stranger.get()), nullptr);
    // A search below the yes branch does not see the root's sequence.
    EXPECT_EQ(d.decision->branch(1)->FindReferrer(d.b), nullptr);
}

TEST(LongSequenceTest, MillionElementsCloneSearchAndReleaseWithoutRecursion)
{
    auto root = TBlock::Create("r");
    TElement* tail = nullptr;
    for (int i = 0; i < 1000000; ++i) {
        auto e = TAnweisung::Create("s");
        TElement* p = e.get();
        if (tail)
            tail->Next = std::move(e);
        else
            root->FirstChild = std::move(e);
        tail = p;
    }
    auto copy = root->cloneBlock();
    EXPECT_EQ(countElements(*copy), 1000001);
    EXPECT_NE(root->FindReferrer(tail), nullptr);
    EXPECT_EQ(root->DeleteElement(tail).get(), tail);
    root.reset();
    copy.reset();
}

} // namespace
