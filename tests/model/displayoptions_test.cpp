// The display options: defaults, the marked list, the collapsed list, and identities of released
// elements.

#include "model/displayoptions.h"
#include "model/struktteile.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <vector>

namespace {

TEST(DisplayOptions, NewOptions)
{
    TDisplayOptions options;
    auto block = TBlock::Create("b");
    EXPECT_EQ(options.LastMarked(), nullptr);
    EXPECT_FALSE(options.IsMarked(block.get()));
    EXPECT_FALSE(options.IsCollapsed(block.get()));
    EXPECT_EQ(options.Spacing, 6);
    EXPECT_TRUE(options.OnScreen);
    EXPECT_FALSE(options.Printing);
    EXPECT_FALSE(options.Flowchart);
    EXPECT_FALSE(options.DropAfterBlock);
    EXPECT_EQ(options.DropTarget, nullptr);
    EXPECT_EQ(options.RootBlock, nullptr);
    EXPECT_EQ(options.HighlightRect, TRect{});
    EXPECT_EQ(options.markedCount(), 0);
    EXPECT_EQ(options.collapsedCount(), 0);
    EXPECT_EQ(options.LayoutContext, 0u);
}

TEST(DisplayOptions, MarkedList)
{
    TDisplayOptions options;
    auto a = TAnweisung::Create("a");
    auto b = TAnweisung::Create("b");
    options.ClearMarked();
    EXPECT_EQ(options.markedCount(), 0);
    options.AddMarked(a.get());
    options.AddMarked(b.get());
    options.AddMarked(a.get()); // already marked: the list keeps its order
    EXPECT_EQ(options.markedCount(), 2);
    EXPECT_EQ(options.LastMarked(), b.get());
    EXPECT_TRUE(options.IsMarked(a.get()));
    options.ClearMarked();
    EXPECT_EQ(options.LastMarked(), nullptr);
    EXPECT_FALSE(options.IsMarked(a.get()));
    // A click on no element marks nil: counted, but no current element.
    options.AddMarked(nullptr);
    EXPECT_EQ(options.markedCount(), 1);
    EXPECT_EQ(options.LastMarked(), nullptr);
    EXPECT_FALSE(options.IsMarked(a.get()));
}

TEST(DisplayOptions, ToggleCollapsedClosesTheGapAndAppends)
{
    TDisplayOptions options;
    std::vector<std::unique_ptr<TBlock>> blocks;
    for (int i = 0; i < 3; ++i)
        blocks.push_back(TBlock::Create("b"));
    for (auto& b : blocks)
        options.ToggleCollapsed(b.get());
    options.ToggleCollapsed(blocks[1].get());
    ASSERT_EQ(options.collapsedCount(), 2);
    EXPECT_EQ(options.CollapsedBlocks[0].element, blocks[0].get());
    EXPECT_EQ(options.CollapsedBlocks[1].element, blocks[2].get());
    EXPECT_FALSE(options.IsCollapsed(blocks[1].get()));
    options.ToggleCollapsed(blocks[1].get());
    EXPECT_EQ(options.CollapsedBlocks[2].element, blocks[1].get());
    EXPECT_TRUE(options.IsCollapsed(blocks[1].get()));
}

TEST(DisplayOptions, CollapsedListGrowsPastTwoHundred)
{
    TDisplayOptions options;
    std::vector<std::unique_ptr<TBlock>> blocks;
    for (int i = 0; i < 250; ++i) {
        blocks.push_back(TBlock::Create("b"));
        options.ToggleCollapsed(blocks.back().get());
    }
    EXPECT_EQ(options.collapsedCount(), 250);
    EXPECT_TRUE(options.IsCollapsed(blocks[249].get()));
    EXPECT_TRUE(options.IsCollapsed(blocks[0].get()));
}

TEST(DisplayOptions, ReleasedElementNeverMatchesANewOneAtItsAddress)
{
    // Build a new block in the very storage of a released one: same address, new identity.
    alignas(TBlock) static unsigned char storage[sizeof(TBlock)];
    TBlock* old = new (storage) TBlock("old");
    TDisplayOptions options;
    options.ToggleCollapsed(old);
    options.AddMarked(old);
    old->~TBlock();
    TBlock* reused = new (storage) TBlock("new");
    EXPECT_EQ(static_cast<void*>(reused), static_cast<void*>(old));
    EXPECT_FALSE(options.IsCollapsed(reused));
    EXPECT_FALSE(options.IsMarked(reused));
    // Toggling the new block appends it instead of removing the stale entry.
    options.ToggleCollapsed(reused);
    EXPECT_EQ(options.collapsedCount(), 2);
    reused->~TBlock();
}

} // namespace
