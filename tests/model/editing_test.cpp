// The editing rules without a window: the arrow-key walks, the drop refusal and the drop, refining; and
// the design document's modified mark, undo and parked parts.

#include "model/document.h"
#include "model/editing.h"
#include "model/refind.h"
#include "tests/support/designs.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using Path = std::vector<int>;

// The climb of Down goes through FindReferrer, which answers a predecessor before the block: from the
// repeat loop's empty body it lands on the counting loop before it, which is the walk as designed.
// everyKindDesign(): [0] a, [1] if (yes [1,1]: b; no [1,2]: empty), [2] while (body [2,1]: c), [3] named
// block Teil (d, dw), [4] counting loop (body: e), [5] repeat (empty body).
TElement* node(TBlock& root, const std::optional<Path>& path)
{
    return path ? at(root, *path) : nullptr;
}

// The texts of a block's sequence, joined by blanks.
std::string sequence(const TBlock& block)
{
    std::string out;
    for (const TElement* e = block.FirstChild.get(); e; e = e->Next.get())
        out += (out.empty() ? "" : " ") + e->Text;
    return out;
}

TEST(EditingRules, ArrowKeysWalkTheTree)
{
    const struct
    {
        TKey key;
        std::optional<Path> from;
        std::optional<Path> to;
    } cases[] = {
        {TKey::Left, Path{1}, Path{1, 1}},
        {TKey::Right, Path{1}, Path{1, 2}},
        {TKey::Right, Path{2}, Path{2, 1}},
        {TKey::Left, Path{0}, std::nullopt},
        {TKey::Left, std::nullopt, std::nullopt},
        {TKey::Up, Path{1, 1, 0}, Path{1, 1}},
        {TKey::Up, Path{1, 1}, Path{1}},
        {TKey::Up, Path{1}, Path{0}},
        {TKey::Up, Path{0}, Path{}},
        {TKey::Up, Path{}, std::nullopt},
        {TKey::Down, std::nullopt, Path{0}},
        {TKey::Down, Path{0}, Path{1}},
        {TKey::Down, Path{1}, Path{2}},
        {TKey::Down, Path{2}, Path{2, 1}},
        {TKey::Down, Path{2, 1}, Path{2, 1, 0}},
        {TKey::Down, Path{2, 1, 0}, Path{3}},
        {TKey::Down, Path{1, 1, 0}, Path{2}},
        {TKey::Down, Path{3, 1}, Path{3, 1, 1}},
        {TKey::Down, Path{5}, Path{5, 1}},
        {TKey::Down, Path{5, 1}, Path{4}},
        {TKey::Enter, Path{1}, std::nullopt},
    };
    auto root = everyKindDesign();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        EXPECT_EQ(walk(c.key, *root, node(*root, c.from)), node(*root, c.to));
    }
}

TEST(EditingRules, DownNeverLeavesTheShownBlockAndClimbsPastANamedBlockAtTheEnd)
{
    auto root = makeRoot();
    statement(*root, "x");
    TBlock* named = append(*root, TBlock::Create("Teil"));
    TAnweisung* y = statement(*named, "y");
    // From the last element of a named block that ends its sequence the walk comes back to that block.
    EXPECT_EQ(walkDown(*root, y), named);
    // In a window that shows the named block, its end is the end: the shown block becomes current.
    EXPECT_EQ(walkDown(*named, y), named);
}

TEST(EditingRules, DropIsRefusedWhereItWouldChangeNothingOrLoseTheElement)
{
    const struct
    {
        std::optional<Path> dragged;
        std::optional<Path> target;
        bool afterBlock;
        bool accepted;
    } cases[] = {
        {Path{0}, Path{0}, false, false},       // onto itself
        {Path{0}, Path{1}, false, true},        // after the decision
        {Path{1}, Path{0}, false, false},       // it already follows a
        {Path{1}, Path{1, 1, 0}, false, false}, // into its own branch
        {Path{1}, Path{1, 1}, false, false},    // onto its own branch block
        {Path{3}, Path{3, 0}, false, false},    // a named block into itself
        {Path{3}, Path{2}, false, false},       // it already follows the loop
        {Path{0}, Path{3}, true, true},         // after the named block
        {Path{4}, Path{3}, true, false},        // it already follows the named block
        {Path{4}, Path{3}, false, true},        // first into the named block
        {Path{3, 0}, Path{3}, false, false},    // it already starts the block
        {Path{3, 1}, Path{3}, false, true},     // to the start of its own block
        {Path{0}, Path{}, true, false},         // after the shown block: out of view
        {Path{0}, Path{}, false, false},        // it already starts the shown block
        {Path{1, 1, 0}, Path{}, false, true},   // from a branch to the start
        {Path{0}, std::nullopt, false, false},  // nothing under the pointer
        {std::nullopt, Path{0}, false, false},  // nothing dragged
    };
    auto root = everyKindDesign();
    int row = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(row++);
        EXPECT_EQ(dropAccepted(*root, node(*root, c.dragged), node(*root, c.target), c.afterBlock),
                  c.accepted);
    }
}

TEST(EditingRules, DropMovesAfterABlockIntoABlockOrAfterAnElement)
{
    auto root = everyKindDesign();
    dropElement(*root, *node(*root, Path{0}), *node(*root, Path{3}), true);
    EXPECT_EQ(sequence(*root), "x > 0 w Teil a i von 1 bis 10 r");
    dropElement(*root, *node(*root, Path{3}), *node(*root, Path{1}), false);
    EXPECT_EQ(sequence(*root), "x > 0 w a Teil i von 1 bis 10 r");
    TBlock* yes = asBlock(node(*root, Path{0, 1}));
    dropElement(*root, *node(*root, Path{5}), *yes, false);
    EXPECT_EQ(sequence(*root), "x > 0 w a Teil i von 1 bis 10");
    EXPECT_EQ(sequence(*yes), "r b");
}

// Ctrl+Up and Ctrl+Down: one place within the sequence, across a named block but never into or out of it.
TEST(EditingRules, OneStepMovesStayInTheSequenceWhereADragWouldBeAccepted)
{
    const struct
    {
        Path moved;
        bool up;
        std::string root;  // the root's sequence afterwards; empty: refused
        std::string inner; // the sequence of the named block Teil afterwards
    } cases[] = {
        {{1}, true, "x > 0 a w Teil i von 1 bis 10 r", "d dw"},
        {{0}, false, "x > 0 a w Teil i von 1 bis 10 r", "d dw"},
        {{4}, true, "a x > 0 w i von 1 bis 10 Teil r", "d dw"}, // over the block, not into it
        {{2}, false, "a x > 0 Teil w i von 1 bis 10 r", "d dw"},
        {{3, 1}, true, "a x > 0 w Teil i von 1 bis 10 r", "dw d"},
        {{0}, true, "", ""},     // first in its sequence
        {{3, 1}, false, "", ""}, // last in the block: it stays inside
        {{1, 1}, false, "", ""}, // a branch block is not standalone
        {{}, true, "", ""},      // the shown block
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.moved) + (c.up ? " up" : " down"));
        auto root = everyKindDesign();
        TElement* moved = at(*root, c.moved);
        const std::optional<TDropPlace> place = oneStepPlace(*root, moved, c.up);
        ASSERT_EQ(place.has_value(), !c.root.empty());
        if (!place)
            continue;
        dropElement(*root, *moved, *place->target, place->afterBlock);
        EXPECT_EQ(sequence(*root), c.root);
        const TElement* teil = root->FirstChild.get();
        while (teil->Text != "Teil")
            teil = teil->Next.get();
        EXPECT_EQ(sequence(*asBlock(teil)), c.inner);
        EXPECT_EQ(checkInvariants(*root), "");
    }
}

TEST(EditingRules, RefiningPutsABlockNamedAfterTheStatementRightBehindIt)
{
    auto root = statements({"s1", "s2"});
    TBlock& block = addRefinementBlock(static_cast<TAnweisung&>(*root->FirstChild));
    EXPECT_EQ(sequence(*root), "s1 s1 s2");
    EXPECT_EQ(root->FirstChild->Next.get(), &block);
    EXPECT_TRUE(block.Standalone);
    EXPECT_FALSE(block.FirstChild);
}

// ---- the design document ----

struct Listener : TDocumentListener
{
    std::vector<std::string> calls;
    TDesignDocument* document = nullptr;
    void designReplacing(bool) override { calls.push_back("replacing " + sequence(document->root())); }
    void designReplaced(TBlock& root) override { calls.push_back("replaced " + sequence(root)); }
};

// Elements found again in another state of the design: by kind and text, the nearest in the walk order
// among several alike; not where the text changed.
TEST(Refind, ElementsAreFoundAgainByKindTextAndNearestPlace)
{
    auto before = statements({"a", "b", "a", "c"});
    const std::vector<TElementTrace> traces =
        traceElements(*before, [](const TElement& e) { return e.Text != "b"; });
    ASSERT_EQ(traces.size(), 4u); // the root, both "a" and "c"
    auto after = statements({"x", "a", "a", "c2"});
    const std::vector<TElement*> found = findTraced(*after, traces);
    EXPECT_EQ(found[0], after.get());
    EXPECT_EQ(found[1], at(*after, {1}));
    EXPECT_EQ(found[2], at(*after, {2}));
    EXPECT_EQ(found[3], nullptr);
}

TEST(DesignDocument, SnapshotsTakeTheirModifiedMarkWithThem)
{
    TDesignDocument document;
    EXPECT_FALSE(document.isModified());
    document.takeSnapshot();
    document.takeSnapshot();
    EXPECT_TRUE(document.isModified());
    document.dropNewestSnapshot(); // the second found the design modified already
    EXPECT_TRUE(document.isModified());
    document.dropNewestSnapshot();
    EXPECT_FALSE(document.isModified());

    document.takeSnapshot();
    EXPECT_TRUE(document.undo());
    EXPECT_TRUE(document.isModified());
    EXPECT_FALSE(document.undo());
    document.markSaved();
    EXPECT_FALSE(document.isModified());
}

// Found trying the editor: the change of a text was announced before the text was set, so the Java view
// was made from the old text; and an edit that kept the text took an undo step. The change is announced
// once, with the new text in place; a text that stays changes nothing.
TEST(DesignDocument, ATextChangeIsAnnouncedOnceItIsSetAndNoChangeTakesNoStep)
{
    struct ChangeListener : TDocumentListener
    {
        std::vector<std::string> seen;
        TDesignDocument* document = nullptr;
        void designReplacing(bool) override {}
        void designReplaced(TBlock&) override {}
        void documentChanged() override { seen.push_back(sequence(document->root())); }
    };
    TDesignDocument document(statements({"a", "b"}));
    ChangeListener listener;
    listener.document = &document;
    document.setListener(&listener);
    TElement* b = at(document.root(), {1});

    EXPECT_FALSE(document.changeText(*b, "b"));
    EXPECT_TRUE(listener.seen.empty());
    EXPECT_FALSE(document.canUndo());
    EXPECT_FALSE(document.isModified());

    EXPECT_TRUE(document.changeText(*b, "neu"));
    EXPECT_EQ(listener.seen, (std::vector<std::string>{"a neu"}));
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(document.undoHistory().snapshotCount(), 1);

    // After a step back, an unchanged text leaves what redo would restore.
    EXPECT_TRUE(document.undo());
    EXPECT_FALSE(document.changeText(*at(document.root(), {1}), "b"));
    EXPECT_TRUE(document.canRedo());
    EXPECT_TRUE(document.redo());
    EXPECT_EQ(at(document.root(), {1})->Text, "neu");
    document.setListener(nullptr);
}

TEST(DesignDocument, ReplacingTellsTheListenerAndMakesADesignRoot)
{
    TDesignDocument document(statements({"old"}));
    Listener listener;
    listener.document = &document;
    document.setListener(&listener);
    document.takeSnapshot();
    auto pasted = TBlock::Create("");
    statement(*pasted, "new");
    document.replaceDesign(std::move(pasted), true);
    EXPECT_EQ(listener.calls, (std::vector<std::string>{"replacing old", "replaced new"}));
    EXPECT_FALSE(document.root().Standalone);
    EXPECT_FALSE(document.root().Braced);
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(document.undoHistory().snapshotCount(), 0);
}

TEST(DesignDocument, RemovedPartsLiveAsLongAsAWindowShowsABlockInThem)
{
    TDesignDocument document(everyKindDesign());
    TBlock& root = document.root();
    TBlock* body = asBlock(node(root, Path{2, 1}));
    document.viewOpened(body);
    document.takeOverRemoved(root.DeleteElement(node(root, Path{2}))); // the loop whose body is shown
    document.takeOverRemoved(root.DeleteElement(node(root, Path{0}))); // shown nowhere: released
    EXPECT_EQ(document.parkedCount(), 1);
    EXPECT_EQ(body->FirstChild->Text, "c");
    document.viewClosed(body);
    EXPECT_EQ(document.parkedCount(), 0);
}

} // namespace
