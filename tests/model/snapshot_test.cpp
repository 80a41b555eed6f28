// Undo snapshots: the encoding keeps every part of a tree, and memory running out while a snapshot is
// taken or restored leaves the design, the history and the modified mark exactly as they were.

#include "model/document.h"
#include "model/dump.h"
#include "model/snapshot.h"
#include "tests/support/designs.h"
#include "tests/support/failing_allocation.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <random>

namespace {

TEST(Snapshot, RestoresEveryClassFlagAndByte)
{
    // The dump shows classes, texts, nesting and every flag but Framed.
    for (unsigned seed = 1; seed <= 100; ++seed) {
        std::mt19937 rng(seed);
        const auto design = generateDesign(rng);
        EXPECT_EQ(dumpTree(*TSnapshot(*design).restore()), dumpTree(*design)) << "seed " << seed;
    }
    // Every byte value in a text long enough for a length of two bytes; what the editor never makes.
    auto root = makeRoot();
    std::string everyByte;
    for (int i = 0; i < 300; ++i)
        everyByte.push_back(static_cast<char>(i));
    statement(*root, everyByte);
    TWhile* loop = append(*root, TWhile::Create("w"));
    loop->branch(1)->Framed = false;
    loop->BranchCount = 2;
    append(*root, TIf::Create("d"))->Branches[1].reset();
    const auto restored = TSnapshot(*root).restore();
    EXPECT_EQ(dumpTree(*restored), dumpTree(*root));
    const auto* restoredLoop = asCondition(restored->FirstChild->Next.get());
    EXPECT_FALSE(restoredLoop->branch(1)->Framed);
    EXPECT_EQ(restoredLoop->BranchCount, 2);
    EXPECT_EQ(asCondition(restoredLoop->Next.get())->Branches[1], nullptr);
    EXPECT_NE(restored->FirstChild->serial(), root->FirstChild->serial());
}

std::string stateOf(const TDesignDocument& document)
{
    std::string state = dumpTree(document.root());
    const TUndoHistory& history = document.undoHistory();
    state +=
        "position " + std::to_string(history.UndoPosition()) + (document.isModified() ? " modified" : "");
    for (int i = 1; i <= history.snapshotCount(); ++i)
        state += "\nslot " + dumpTree(*history.slot(i)->restore());
    return state;
}

// A document with two changes, one of them undone.
std::unique_ptr<TDesignDocument> documentWithHistory()
{
    auto document = std::make_unique<TDesignDocument>(everyKindDesign());
    for (const char* text : {"first", "second"}) {
        document->takeSnapshot();
        statement(document->root(), text);
    }
    document->undo(); // the next snapshot discards what was stepped back over
    document->markSaved();
    return document;
}

// Runs `operation` on a fresh document with allocation n failing, for n = 0, 1, ... until no allocation
// fails: each run either completes or leaves the document as it was.
void expectNothingChangesWhenMemoryRunsOut(const std::function<void(TDesignDocument&)>& operation)
{
    for (long n = 0;; ++n) {
        const auto document = documentWithHistory();
        const std::string before = stateOf(*document);
        failAllocationAfter(n);
        bool threw = false;
        try {
            operation(*document);
        } catch (const std::bad_alloc&) {
            threw = true;
        }
        const bool failed = allocationFailed();
        // A failure may also be taken care of inside (shrinking a string that does not shrink).
        ASSERT_EQ(stateOf(*document) == before, threw) << "allocation " << n;
        if (!failed)
            return;
    }
}

TEST(Snapshot, MemoryRunningOutChangesNothing)
{
    expectNothingChangesWhenMemoryRunsOut([](TDesignDocument& document) { document.takeSnapshot(); });
    expectNothingChangesWhenMemoryRunsOut([](TDesignDocument& document) { document.undo(); });
}

} // namespace
