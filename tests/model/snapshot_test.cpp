// Undo snapshots: the encoding keeps every part of a tree, and memory running out while a snapshot is
// taken or restored leaves the design, the history and the modified mark exactly as they were.

#include "model/document.h"
#include "model/dump.h"
#include "model/editing.h"
#include "model/elementclipboard.h"
#include "model/snapshot.h"
#include "model/treewalk.h"
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

std::vector<TElement*> elementsOf(TBlock& root)
{
    std::vector<TElement*> all;
    visitTree(&root, false, [&all](TElement* e) {
        all.push_back(e);
        return false;
    });
    return all;
}

// Snapshots after each of many edits by the editor's own operations share the blocks that did not
// change; each still restores exactly the design it was taken of, also after the edits that came later.
TEST(Snapshot, SharedPartsFollowEveryEdit)
{
    GeneratorOptions large;
    large.maxDepth = 3;
    large.maxSequence = 12; // blocks large enough for parts of their own
    for (unsigned seed = 1; seed <= 25; ++seed) {
        std::mt19937 rng(seed);
        const auto design = generateDesign(rng, large);
        // A long sequence, kept in runs: the root's, grown by the sequences of other designs.
        while (countElements(*design) < 400)
            design->appendChain(generateDesign(rng, large)->takeChildren());
        std::vector<std::pair<TSnapshot, std::string>> taken;
        for (int step = 0; step < 16; ++step) {
            taken.emplace_back(TSnapshot(*design), dumpTree(*design));
            const std::vector<TElement*> all = elementsOf(*design);
            const auto pick = [&]() {
                return all[std::uniform_int_distribution<std::size_t>(1, all.size() - 1)(rng)];
            };
            if (all.size() < 2)
                break;
            TElement* e = pick();
            switch (rng() % 5) {
            case 0:
                setText(*e, "text " + std::to_string(step));
                break;
            case 1:
                if (e->Standalone)
                    design->DeleteElement(e);
                break;
            case 2: {
                TElement* target = pick();
                if (e->Standalone && dropAccepted(*design, e, target, false))
                    dropElement(*design, *e, *target, false);
                break;
            }
            case 3:
                pasteElements(*e, elementsFromBytes(elementBytes(*pick())));
                break;
            case 4:
                if (e->kind() == Kind::Anweisung) {
                    addRefinementBlock(static_cast<TAnweisung&>(*e));
                    design->DeleteElement(e);
                }
                break;
            }
            ASSERT_EQ(checkInvariants(*design), "") << "seed " << seed;
        }
        for (const auto& [snapshot, dump] : taken)
            EXPECT_EQ(dumpTree(*snapshot.restore()), dump) << "seed " << seed;
        // A restored design keeps its parts: a snapshot of it shares them all but the design's own.
        const auto restored = taken.back().first.restore();
        EXPECT_EQ(dumpTree(*TSnapshot(*restored).restore()), taken.back().second) << "seed " << seed;
    }
}

TEST(Snapshot, ASmallEditAddsTheChangedBlocksOnly)
{
    // A root of 40 named blocks of 40 statements each.
    auto root = makeRoot();
    TBlock* last = nullptr;
    for (int b = 0; b < 40; ++b) {
        last = append(*root, TBlock::Create("Teil " + std::to_string(b)));
        for (int s = 0; s < 40; ++s)
            statement(*last, "summe = summe + " + std::to_string(s));
    }
    const TSnapshot first(*root);
    const std::size_t whole = first.bytesNotIn(nullptr);
    setText(*last->FirstChild, "changed");
    const TSnapshot second(*root);
    const std::size_t added = second.bytesNotIn(&first);
    // The changed block (a 40th of the design) and the root's list of parts.
    EXPECT_LT(added, whole / 10);
    EXPECT_GT(added, whole / 40);
    EXPECT_EQ(dumpTree(*second.restore()), dumpTree(*root));
    EXPECT_EQ(dumpTree(*first.restore()).find("changed"), std::string::npos);
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
