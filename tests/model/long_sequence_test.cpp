// Edits in a long sequence that is measured, exported and kept for undo: the layout, the Java text's
// measures and the undo snapshots each take in only the children that changed since they last looked,
// and every answer stays what a computation from scratch gives, through text edits (also more than a
// block lists), insertions, removals and moves, with the three looking in any order and sometimes not
// at all between edits.

#include "model/diagramview.h"
#include "model/dump.h"
#include "model/editing.h"
#include "model/elementclipboard.h"
#include "model/javaexport.h"
#include "model/javalines.h"
#include "model/layoutcache.h"
#include "model/snapshot.h"
#include "tests/model/draw_fixtures.h"
#include "tests/support/designs.h"
#include "tests/support/recording_canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using fixtures::modeOptions;

std::vector<TElement*> elementsOf(TBlock& root)
{
    return elementsFrom(root.FirstChild.get());
}

// 300 statements with a decision, a loop and a named block among them.
std::unique_ptr<TBlock> longDesign()
{
    auto root = makeRoot();
    for (int i = 299; i >= 0; --i) {
        if (i % 70 == 35) {
            auto decision = TIf::Create("x > " + std::to_string(i));
            decision->branch(1)->InsertAfter(TAnweisung::Create("ja " + std::to_string(i)));
            root->InsertAfter(std::move(decision));
        } else if (i % 70 == 50) {
            auto loop = TWhile::Create("i < " + std::to_string(i));
            loop->branch(1)->InsertAfter(TAnweisung::Create("i++"));
            root->InsertAfter(std::move(loop));
        } else if (i % 70 == 60) {
            auto block = TBlock::Create("Teil " + std::to_string(i));
            block->InsertAfter(TAnweisung::Create("innen " + std::to_string(i)));
            root->InsertAfter(std::move(block));
        } else {
            root->InsertAfter(TAnweisung::Create("summe = summe + " + std::to_string(i)));
        }
    }
    return root;
}

// The kept layout against a fresh one of a copy: the scroll ranges and a paint of the design at `at`
// (a fraction of its height).
std::string layoutDiffers(TBlock& root, TRecordingCanvas& kept, TDisplayOptions& options, double at = 0.5)
{
    const std::unique_ptr<TBlock> copy = root.cloneBlock();
    makeDesignRoot(*copy);
    TRecordingCanvas fresh;
    TDisplayOptions freshOptions = modeOptions(options.Flowchart);
    const TSize ranges = scrollRangesOf(kept, root, options, options.Flowchart);
    if (ranges != scrollRangesOf(fresh, *copy, freshOptions, options.Flowchart))
        return "scroll ranges";
    const TPoint origin = displayOrigin(kept, root, options, options.Flowchart);
    const int middle = origin.y + static_cast<int>(ranges.cy * at);
    const TRect area{0, middle - 200, 700, middle + 200};
    kept.clear();
    kept.setPaintArea(area);
    fresh.setPaintArea(area);
    paintDiagram(kept, root, origin, options, options.Flowchart);
    paintDiagram(fresh, *copy, origin, freshOptions, options.Flowchart);
    if (kept.records().size() != fresh.records().size())
        return "number of figures painted";
    for (std::size_t i = 0; i < kept.records().size(); ++i) {
        if (kept.records()[i].points != fresh.records()[i].points)
            return "figure " + std::to_string(i);
    }
    return {};
}

// The Java text's answers against the whole exported text.
std::string javaDiffers(const TBlock& root)
{
    const std::string text = exportJavaText(root, false);
    std::vector<std::string> lines;
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size();) {
        starts.push_back(i);
        std::size_t end = text.find('\n', i);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        end = end == std::string::npos ? text.size() : end;
        while (end > i && text[end - 1] == '\r')
            --end;
        lines.push_back(text.substr(i, end - i));
        i = next;
    }
    const TJavaLines java(root);
    if (java.size() != text.size() || java.lineCount() != static_cast<int>(lines.size()))
        return "size or line count";
    for (std::size_t n = 0; n < lines.size(); n += 7) {
        if (java.line(static_cast<int>(n)) != lines[n])
            return "line " + std::to_string(n);
    }
    // Where the root's children stand, against the same question on a copy that has nothing kept.
    const std::unique_ptr<TBlock> copy = root.cloneBlock();
    makeDesignRoot(*copy);
    const TJavaLines fresh(*copy);
    const std::vector<TElement*> children = elementsFrom(root.FirstChild.get());
    const std::vector<TElement*> copied = elementsFrom(copy->FirstChild.get());
    for (std::size_t i = 0; i < children.size(); i += 1 + children.size() / 12) {
        if (children[i]->parent() == &root && java.linesOf(children[i]) != fresh.linesOf(copied[i]))
            return "lines of element " + std::to_string(i);
    }
    return {};
}

std::vector<TElement*> childrenOf(const TBlock& block)
{
    std::vector<TElement*> children;
    for (TElement* e = block.FirstChild.get(); e; e = e->Next.get())
        children.push_back(e);
    return children;
}

TEST(LongSequence, KeepersTakeInOnlyWhatChangedAndAgreeWithAFreshComputation)
{
    for (unsigned seed = 1; seed <= 6; ++seed) {
        std::mt19937 rng(seed);
        const auto pick = [&rng](std::size_t n) {
            return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
        };
        auto root = longDesign();
        TRecordingCanvas kept;
        kept.setKeyed(true);
        TDisplayOptions options = modeOptions(seed % 2 == 0);
        std::vector<std::pair<TSnapshot, std::string>> taken;
        for (int step = 0; step < 120; ++step) {
            if (pick(5) != 0)
                taken.emplace_back(TSnapshot(*root), dumpTree(*root));
            std::vector<TElement*> all = elementsOf(*root);
            TElement* e = all[pick(all.size())];
            const std::size_t what = pick(10);
            if (what < 6) {
                setText(*e, "summe = " + std::to_string(step) + std::string(pick(20), 'w'));
            } else if (what == 6) {
                e->InsertAfter(TAnweisung::Create("neu " + std::to_string(step)));
            } else if (what == 7 && e->Standalone) {
                root->DeleteElement(e);
            } else if (what == 8) {
                TElement* target = all[pick(all.size())];
                if (e->Standalone && dropAccepted(*root, e, target, false))
                    dropElement(*root, *e, *target, false);
            } else {
                // More text edits than a block lists before anybody looks.
                for (int i = 0; i < 20; ++i)
                    setText(*all[pick(all.size())], "viele " + std::to_string(i));
            }
            ASSERT_EQ(checkInvariants(*root), "") << "seed " << seed << ", step " << step;
            if (pick(4) != 0) {
                ASSERT_EQ(layoutDiffers(*root, kept, options), "") << "seed " << seed << ", step " << step;
            }
            if (pick(4) != 0) {
                ASSERT_EQ(javaDiffers(*root), "") << "seed " << seed << ", step " << step;
            }
        }
        for (const auto& [snapshot, dump] : taken)
            ASSERT_EQ(dumpTree(*snapshot.restore()), dump) << "seed " << seed;
    }
}

// Insertions, removals, moves and pastes in the root's long sequence, at its ends, at the boundaries of
// the runs of 64 the Java text's index and the undo snapshots keep, and anywhere; the sequence is also
// emptied below the length that gets an index and filled again. The keepers take them in by place.
TEST(LongSequence, ChangesOfTheSequenceItselfAgreeWithAFreshComputation)
{
    for (unsigned seed = 1; seed <= 8; ++seed) {
        std::mt19937 rng(seed);
        const auto pick = [&rng](std::size_t n) {
            return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
        };
        const auto place = [&](std::size_t n) -> std::size_t {
            switch (pick(4)) {
            case 0:
                return 0;
            case 1:
                return n - 1;
            case 2:
                return std::min(n - 1, 64 * (1 + pick(n / 64 + 1)) + pick(3) - 1);
            default:
                return pick(n);
            }
        };
        auto root = longDesign();
        TRecordingCanvas kept;
        kept.setKeyed(true);
        TDisplayOptions options = modeOptions(seed % 2 == 0);
        std::vector<std::pair<TSnapshot, std::string>> taken;
        const auto look = [&](int step) {
            ASSERT_EQ(checkInvariants(*root), "") << "seed " << seed << ", step " << step;
            if (pick(4) != 0) {
                const double at = pick(3) == 0 ? 0.0 : static_cast<double>(pick(100)) / 100.0;
                ASSERT_EQ(layoutDiffers(*root, kept, options, at), "")
                    << "seed " << seed << ", step " << step;
            }
            if (pick(3) != 0) {
                ASSERT_EQ(javaDiffers(*root), "") << "seed " << seed << ", step " << step;
            }
            if (pick(3) != 0)
                taken.emplace_back(TSnapshot(*root), dumpTree(*root));
        };
        for (int step = 0; step < 150; ++step) {
            const std::vector<TElement*> children = childrenOf(*root);
            const std::size_t n = children.size();
            TElement* e = n > 0 ? children[place(n)] : nullptr;
            const std::size_t what = pick(12);
            if (what < 3 || !e) {
                auto created = TAnweisung::Create("neu " + std::to_string(step));
                if (!e || pick(6) == 0)
                    root->InsertAfter(std::move(created));
                else if (e->isBlock() && pick(2) == 0)
                    asBlock(e)->InsertAfter(std::move(created)); // inside the named block
                else
                    e->insertSuccessor(std::move(created));
            } else if (what < 6) {
                root->DeleteElement(e);
            } else if (what < 8) {
                TElement* target = children[place(n)];
                const bool afterBlock = target->isBlock() && pick(2) == 0;
                if (dropAccepted(*root, e, target, afterBlock))
                    dropElement(*root, *e, *target, afterBlock);
            } else if (what == 8) {
                // More elements than a block lists, now and then.
                std::unique_ptr<TElement> chain;
                for (std::size_t i = 1 + pick(pick(4) == 0 ? 24 : 4); i > 0; --i) {
                    std::unique_ptr<TElement> copy = children[pick(n)]->cloneAlone();
                    copy->Next = std::move(chain);
                    chain = std::move(copy);
                }
                pasteElements(pick(6) == 0 ? *root : *e, std::move(chain));
            } else if (what == 9) {
                // Down below the length that gets an index, or up far above it, looking on the way; up
                // in one place half of the time, so that a run grows long.
                const bool down = n > 40;
                const std::size_t hot = pick(2) == 0 ? place(std::max<std::size_t>(n, 1)) : n + 1;
                for (std::size_t k = 0; k < (down ? n - 5 - pick(10) : 150 + pick(100)); ++k) {
                    const std::vector<TElement*> now = childrenOf(*root);
                    if (down)
                        root->DeleteElement(now[place(now.size())]);
                    else if (now.empty())
                        root->InsertAfter(TAnweisung::Create("wieder " + std::to_string(k)));
                    else
                        now[hot < now.size() ? hot : place(now.size())]->insertSuccessor(
                            TAnweisung::Create("wieder " + std::to_string(k)));
                    if (pick(8) == 0)
                        look(step);
                }
            } else {
                setText(*e, "summe = " + std::to_string(step) + std::string(pick(30), 'w'));
            }
            look(step);
        }
        for (const auto& [snapshot, dump] : taken)
            ASSERT_EQ(dumpTree(*snapshot.restore()), dump) << "seed " << seed;
    }
}

// The element whose link is `x`, by a search of `from`, everything inside it and its successors in order:
// the rule itself, without parents or indexes.
TElement* searchedReferrer(TElement* from, const TElement* x)
{
    for (TElement* e = from; e; e = e->Next.get()) {
        TBlock* block = asBlock(e);
        TBedingung* condition = asCondition(e);
        if (e->Next.get() == x || (block && block->FirstChild.get() == x) ||
            (condition && (condition->Branches[0].get() == x || condition->Branches[1].get() == x)))
            return e;
        if (block && block->FirstChild) {
            if (TElement* found = searchedReferrer(block->FirstChild.get(), x))
                return found;
        }
        for (int i = 0; condition && i < 2; ++i) {
            if (condition->Branches[i]) {
                if (TElement* found = searchedReferrer(condition->Branches[i].get(), x))
                    return found;
            }
        }
    }
    return nullptr;
}

// Down as the rule says it, every referrer searched.
TElement* searchedDown(TBlock& shown, TElement* current)
{
    TElement* e = current ? current : &shown;
    if (TBlock* block = asBlock(e); block && block->FirstChild)
        return block->FirstChild.get();
    if (e->isLoop())
        return asCondition(e)->branch(1);
    while (e && e != &shown) {
        if (e->Next)
            return e->Next.get();
        do
            e = searchedReferrer(&shown, e);
        while (e && !e->isBlock());
        if (e && !e->Next && e != &shown)
            e = searchedReferrer(&shown, e);
    }
    return &shown;
}

// FindReferrer and the arrow keys Up and Down from every block of `root` as the shown one, for every
// element, against the search; empty when they agree.
std::string referrersDiffer(TBlock& root)
{
    std::vector<TElement*> all = elementsOf(root);
    all.push_back(&root);
    for (TElement* shown : all) {
        TBlock* block = asBlock(shown);
        if (!block)
            continue;
        const std::vector<TElement*> inside = elementsFrom(block->FirstChild.get());
        for (TElement* x : all) {
            if (block->FindReferrer(x) != searchedReferrer(block, x))
                return "FindReferrer of " + x->Text + " from " + block->Text;
        }
        for (TElement* x : inside) {
            if (walk(TKey::Up, *block, x) != searchedReferrer(block, x))
                return "Up from " + x->Text + " in " + block->Text;
            if (walk(TKey::Down, *block, x) != searchedDown(*block, x))
                return "Down from " + x->Text + " in " + block->Text;
        }
    }
    return {};
}

// The element before another is found through the parents, and in a long sequence through its index,
// where the search went through the design up to it (and Down on the last of a million elements took
// hours): the answers are the search's, in random designs and in a long sequence with and without its
// index, from the root and from every block inside.
TEST(LongSequence, ReferrersAndArrowKeysAgreeWithASearchOfTheDesign)
{
    for (unsigned seed = 1; seed <= 30; ++seed) {
        std::mt19937 rng(seed);
        const std::unique_ptr<TBlock> root = generateDesign(rng);
        ASSERT_EQ(referrersDiffer(*root), "") << "seed " << seed;
    }
    auto root = longDesign();
    ASSERT_EQ(referrersDiffer(*root), "");
    TRecordingCanvas canvas;
    TDisplayOptions options = modeOptions(false);
    scrollRangesOf(canvas, *root, options, false);
    ASSERT_NE(currentChildren(*root), nullptr);
    ASSERT_EQ(referrersDiffer(*root), "");
    // And after the sequence changed under its index.
    std::vector<TElement*> children = childrenOf(*root);
    const std::unique_ptr<TElement> removed = root->DeleteElement(children[100]);
    children[200]->InsertAfter(TAnweisung::Create("neu"));
    scrollRangesOf(canvas, *root, options, false);
    ASSERT_EQ(referrersDiffer(*root), "");
}

} // namespace