// The undo history on its own: ten slots, stepping back, changes after undo steps.

#include "model/editing.h"
#include "model/undohistory.h"

#include "tests/support/designs.h"

#include <gtest/gtest.h>

namespace {

// A design whose root holds one statement with the text `state`.
std::unique_ptr<TBlock> designIn(const std::string& state)
{
    return designOf(TAnweisung::Create(state));
}

std::string stateOf(const TBlock& design)
{
    return design.FirstChild ? design.FirstChild->Text : std::string("<empty>");
}

// Runs changes "1", "2", ... on a design that starts as "0", each after a snapshot, as the editor does.
struct Session
{
    TUndoHistory history;
    std::unique_ptr<TBlock> design = designIn("0");
    int changes = 0;

    void change()
    {
        history.TakeSnapshot(*design, false);
        setText(*design->FirstChild, std::to_string(++changes));
    }
    // One undo step; false when nothing happened.
    bool undo() { return install(history.undo(*design)); }
    bool redo() { return install(history.redo()); }
    bool install(std::unique_ptr<TBlock> restored)
    {
        if (!restored)
            return false;
        design = std::move(restored);
        return true;
    }
};

TEST(UndoHistoryTest, EmptyHistoryDoesNothing)
{
    Session s;
    EXPECT_FALSE(s.undo());
    EXPECT_EQ(stateOf(*s.design), "0");
    EXPECT_EQ(s.history.UndoPosition(), 0);
}

TEST(UndoHistoryTest, ThreeChangesThreeUndosThenNothing)
{
    Session s;
    for (int i = 0; i < 3; ++i)
        s.change();
    for (const char* expected : {"2", "1", "0"}) {
        ASSERT_TRUE(s.undo());
        EXPECT_EQ(stateOf(*s.design), expected);
    }
    EXPECT_FALSE(s.undo());
    EXPECT_EQ(stateOf(*s.design), "0");
}

TEST(UndoHistoryTest, ElevenChangesKeepTheNewestTen)
{
    Session s;
    for (int i = 0; i < 11; ++i)
        s.change();
    EXPECT_EQ(s.history.snapshotCount(), 10);
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(s.undo());
    EXPECT_EQ(stateOf(*s.design), "1"); // the state after the first change
    EXPECT_FALSE(s.undo());
    EXPECT_EQ(s.history.UndoPosition(), 10);
}

TEST(UndoHistoryTest, ChangeAfterUndoStepsDiscardsWhatWasSteppedOver)
{
    Session s;
    for (int i = 0; i < 4; ++i)
        s.change(); // snapshots 3, 2, 1, 0
    ASSERT_TRUE(s.undo());
    ASSERT_TRUE(s.undo()); // design is "2"
    s.change();            // from "2" to "5"
    EXPECT_EQ(s.history.UndoPosition(), 0);
    EXPECT_EQ(stateOf(*s.history.slot(1)->restore()), "2");
    EXPECT_EQ(stateOf(*s.history.slot(2)->restore()), "1");
    ASSERT_TRUE(s.undo());
    EXPECT_EQ(stateOf(*s.design), "2");
    ASSERT_TRUE(s.undo());
    EXPECT_EQ(stateOf(*s.design), "1");
}

TEST(UndoHistoryTest, SnapshotsAreIndependentCopies)
{
    Session s;
    s.change();
    const TSnapshot* snapshot = s.history.slot(1);
    s.design->FirstChild->Text = "changed later";
    EXPECT_EQ(stateOf(*snapshot->restore()), "0");
    ASSERT_TRUE(s.undo());
    s.design->FirstChild->Text = "edited restored copy";
    EXPECT_EQ(stateOf(*s.history.slot(1)->restore()), "0"); // the slot keeps its own copy
    EXPECT_FALSE(s.design->Standalone);
    EXPECT_FALSE(s.design->Braced);
}

TEST(UndoHistoryTest, DropNewestAndClear)
{
    Session s;
    s.change();
    s.change();
    s.history.DropNewestSnapshot();
    EXPECT_EQ(s.history.snapshotCount(), 1);
    EXPECT_EQ(stateOf(*s.history.slot(1)->restore()), "0");
    s.history.clear();
    EXPECT_EQ(s.history.snapshotCount(), 0);
    EXPECT_FALSE(s.undo());
}

TEST(UndoHistoryTest, RedoTakesBackUndoStepsUntilTheNextChange)
{
    Session s;
    for (int i = 0; i < 3; ++i)
        s.change();
    EXPECT_FALSE(s.redo());
    while (s.undo()) {
    }
    for (const char* expected : {"1", "2", "3"}) {
        ASSERT_TRUE(s.redo());
        EXPECT_EQ(stateOf(*s.design), expected);
    }
    EXPECT_FALSE(s.redo());
    ASSERT_TRUE(s.undo());
    s.change(); // "2" to "4": the undone "3" is gone
    EXPECT_FALSE(s.redo());
    ASSERT_TRUE(s.undo());
    EXPECT_EQ(stateOf(*s.design), "2");
    s.history.clear();
    EXPECT_FALSE(s.redo());
}

// An insertion takes a snapshot, then its text prompt takes one of its own, which it takes back.
TEST(UndoHistoryTest, SnapshotsTakenBackInsideACommandKeepAFullHistoryAndRedo)
{
    Session s;
    auto insertion = [&s](bool cancelled) {
        s.history.beginCommand();
        s.history.TakeSnapshot(*s.design, false);
        setText(*s.design->FirstChild, std::to_string(++s.changes));
        s.history.TakeSnapshot(*s.design, false);
        if (cancelled) {
            s.history.DropNewestSnapshot();
            s.design = s.history.slot(1)->restore();
            --s.changes;
        }
        s.history.DropNewestSnapshot();
        s.history.endCommand();
    };
    for (int i = 0; i < 11; ++i)
        insertion(false);
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(s.undo());
    EXPECT_EQ(stateOf(*s.design), "1");
    EXPECT_FALSE(s.undo());

    // A cancelled insertion after undo steps leaves undo and redo as they were.
    ASSERT_TRUE(s.redo());
    ASSERT_TRUE(s.redo()); // "3"; undo goes to "2", redo to "4"
    const TSnapshot* slot3 = s.history.slot(3);
    insertion(true);
    EXPECT_EQ(s.history.UndoPosition(), 8);
    EXPECT_EQ(s.history.slot(3), slot3);
    ASSERT_TRUE(s.redo());
    EXPECT_EQ(stateOf(*s.design), "4");
}

} // namespace
