// Kept sizes against fresh measurement: after random edits, collapses in two windows and mode switches,
// every element's kept size, and the whole paint of each window, equal what a layout from scratch gives.

#include "model/diagramview.h"
#include "model/editing.h"
#include "model/layoutcache.h"
#include "tests/model/draw_fixtures.h"
#include "tests/support/designs.h"
#include "tests/support/recording_canvas.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

namespace {

using fixtures::modeOptions;

std::vector<TElement*> elementsOf(TBlock& root)
{
    std::vector<TElement*> all;
    std::vector<TElement*> pending{&root};
    while (!pending.empty()) {
        TElement* e = pending.back();
        pending.pop_back();
        all.push_back(e);
        if (TBlock* block = asBlock(e)) {
            for (TElement* child = block->FirstChild.get(); child; child = child->Next.get())
                pending.push_back(child);
        } else if (TBedingung* condition = asCondition(e)) {
            for (int i = 1; i <= 2; ++i) {
                if (condition->branch(i))
                    pending.push_back(condition->branch(i));
            }
        }
    }
    return all;
}

// The same options for a copy of the design: the collapsed blocks and marks carried over by position.
TDisplayOptions optionsForCopy(const TDisplayOptions& options, TBlock& original, TBlock& copy)
{
    const std::vector<TElement*> from = elementsOf(original);
    const std::vector<TElement*> to = elementsOf(copy);
    TDisplayOptions result = modeOptions(options.Flowchart);
    for (std::size_t i = 0; i < from.size(); ++i) {
        if (options.IsCollapsed(from[i]))
            result.ToggleCollapsed(asBlock(to[i]));
        if (options.IsMarked(from[i]))
            result.AddMarked(to[i]);
    }
    return result;
}

// Every kept size is a fresh measurement's, and the paint equals a paint of a fresh copy.
void expectLikeFresh(TBlock& root, TDisplayOptions& options)
{
    TRecordingCanvas kept;
    kept.setKeyed(true);
    TRecordingCanvas fresh;
    const TSize keptRoot = scrollRangesOf(kept, root, options, options.Flowchart);
    for (TElement* e : elementsOf(root)) {
        TSize keptSize;
        {
            TLayoutScope scope(kept, options);
            keptSize = measured(*e, kept, options);
        }
        ASSERT_EQ(keptSize, e->Measure(fresh, options)) << e->Text;
    }
    ASSERT_EQ(keptRoot, scrollRangesOf(fresh, root, options, options.Flowchart));

    const std::unique_ptr<TBlock> copy = root.cloneBlock();
    makeDesignRoot(*copy);
    TDisplayOptions copyOptions = optionsForCopy(options, root, *copy);
    const TPoint origin = displayOrigin(kept, root, options, options.Flowchart);
    kept.setPaintArea(TRect{0, origin.y + 40, 700, origin.y + 400});
    fresh.setPaintArea(TRect{0, origin.y + 40, 700, origin.y + 400});
    paintDiagram(kept, root, origin, options, options.Flowchart);
    paintDiagram(fresh, *copy, origin, copyOptions, options.Flowchart);
    ASSERT_EQ(kept.records().size(), fresh.records().size());
    for (std::size_t i = 0; i < kept.records().size(); ++i)
        ASSERT_EQ(kept.records()[i].points, fresh.records()[i].points) << i;
    EXPECT_EQ(options.HighlightRect, copyOptions.HighlightRect);
}

TEST(LayoutCache, KeptSizesStayWhatAFreshLayoutGivesThroughEditsCollapsesAndModes)
{
    std::mt19937 rng(7);
    GeneratorOptions generator;
    generator.maxDepth = 4;
    generator.maxSequence = 8;
    auto root = generateDesign(rng, generator);
    for (int i = 0; i < 40; ++i)
        statement(*root, "lang " + std::to_string(i)); // a sequence long enough to be indexed
    TDisplayOptions windows[2] = {modeOptions(false), modeOptions(false)};
    auto pick = [&rng](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    for (int step = 0; step < 300; ++step) {
        std::vector<TElement*> all = elementsOf(*root);
        TElement* e = all[pick(all.size())];
        TElement* other = all[pick(all.size())];
        TDisplayOptions& window = windows[step % 2];
        switch (pick(7)) {
        case 0:
            e->InsertAfter(step % 3
                               ? std::unique_ptr<TElement>(TAnweisung::Create("neu " + std::to_string(step)))
                               : std::unique_ptr<TElement>(TIf::Create("?")));
            break;
        case 1:
            if (e != root.get())
                root->DeleteElement(e); // released at once: no window shows it
            break;
        case 2:
            if (e->Standalone && dropAccepted(*root, e, other, pick(2) == 0))
                dropElement(*root, *e, *other, asBlock(other) && pick(2) == 0);
            break;
        case 3:
            setText(*e, std::string(pick(30), 'w'));
            break;
        case 4:
            if (TBlock* block = asBlock(e))
                window.ToggleCollapsed(block);
            break;
        case 5:
            window.Flowchart = !window.Flowchart;
            break;
        default:
            window.ClearMarked();
            window.AddMarked(e);
            break;
        }
        SCOPED_TRACE(step);
        for (TDisplayOptions& w : windows)
            expectLikeFresh(*root, w);
        if (testing::Test::HasFatalFailure())
            return;
    }
}

} // namespace
