// Elements on the clipboard, and pasting them into a design.
#include "model/elementclipboard.h"

#include "model/dateiformat.h"
#include "model/designerror.h"
#include "model/javaexport.h"
#include "model/texts.h"

#include <algorithm>

namespace {

// The root of a design that holds a copy of `e` alone.
std::unique_ptr<TBlock> rootHolding(const TElement& e)
{
    auto root = TBlock::Create(texts::kGesamtesProgramm);
    root->appendChain(e.cloneAlone());
    makeDesignRoot(*root);
    return root;
}

// How many block levels the chain from `first` takes, counting the blocks in it and the branch blocks of
// its condition elements: 0 for statements only.
int levelsOf(const TElement* first)
{
    int levels = 0;
    for (const TElement* e = first; e; e = e->Next.get()) {
        if (const TBlock* block = asBlock(e)) {
            levels = std::max(levels, 1 + levelsOf(block->FirstChild.get()));
        } else if (const TBedingung* condition = asCondition(e)) {
            for (int i = 1; i <= condition->BranchCount; ++i)
                if (const TBlock* branch = condition->branch(i))
                    levels = std::max(levels, 1 + levelsOf(branch->FirstChild.get()));
        }
    }
    return levels;
}

// The level a block standing in `e`'s sequence has (the root is level 1, a block among its children 2).
int levelOfSequence(const TElement& e)
{
    int level = 1;
    for (const TElement* p = e.parent(); p; p = p->parent())
        if (p->isBlock())
            ++level;
    return level;
}

} // namespace

std::string elementBytes(const TElement& e)
{
    return saveDesign(*rootHolding(e));
}

std::unique_ptr<TElement> elementsFromBytes(std::string_view bytes)
{
    const std::unique_ptr<TBlock> root = loadDesign(bytes);
    std::unique_ptr<TElement> chain = root->takeChildren();
    for (TElement* e = chain.get(); e; e = e->Next.get())
        e->Standalone = true;
    return chain;
}

std::string elementJavaText(const TElement& e)
{
    return clipboardJavaText(*rootHolding(e));
}

TElement* pasteElements(TElement& target, std::unique_ptr<TElement> chain)
{
    if (!chain)
        return nullptr;
    // Inside a block the elements stand one level deeper than the block itself.
    const int level = target.isBlock() ? levelOfSequence(target) + 1 : levelOfSequence(target);
    if (level + levelsOf(chain.get()) > kMaxNesting + 1)
        throw DesignError(ErrorReason::TooDeeplyNested);
    adoptTree(*chain); // the pasted elements' insides learn where they stand
    TElement* first = chain.get();
    std::unique_ptr<TElement> rest = std::move(chain->Next);
    target.InsertAfter(std::move(chain));
    TElement* last = first;
    while (rest) {
        std::unique_ptr<TElement> next = std::move(rest->Next);
        TElement* placed = rest.get();
        last->insertSuccessor(std::move(rest));
        last = placed;
        rest = std::move(next);
    }
    return first;
}
