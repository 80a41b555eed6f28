#pragma once

#include "model/struktteile.h"

#include <cstdint>
#include <vector>

class TSizeTable;

// TDisplayOptions: the view state of one diagram window: marked elements, collapsed blocks, drop target,
// where the marked element was last drawn, and the modes that steer measuring, drawing and hit testing.
// It owns no element. Entries remember each element's serial as well as its address, so an entry for an
// element that has been released never matches a new element that reuses its memory, and no entry is
// ever dereferenced by the list operations.
class TDisplayOptions
{
public:
    // An element as the lists remember it.
    struct Ref
    {
        TElement* element = nullptr;
        std::uint64_t serial = 0;

        bool is(const TElement* e) const
        {
            return e ? element == e && serial == e->serial() : element == nullptr;
        }
    };

    bool IsMarked(const TElement* e) const;
    // The current element (the last one marked) or null; may name an element that has since left the
    // design, so callers that dereference it check it first (see lastMarkedRef).
    TElement* LastMarked() const;
    Ref lastMarkedRef() const;
    void AddMarked(TElement* e);
    void ClearMarked();
    bool IsCollapsed(const TElement* e) const;
    void ToggleCollapsed(TBlock* b);

    int markedCount() const { return static_cast<int>(MarkedElements.size()); }
    int collapsedCount() const { return static_cast<int>(CollapsedBlocks.size()); }

    TBlock* RootBlock = nullptr;
    std::vector<Ref> MarkedElements;
    TRect HighlightRect;
    std::vector<Ref> CollapsedBlocks; // grows as needed
    TElement* DropTarget = nullptr;
    bool DropAfterBlock = false;
    bool OnScreen = true;
    int Spacing = 6;
    bool Printing = false;
    bool Flowchart = false;

    // While one paint or hit test runs: the sizes measured so far in it (model/sizetable.h), so that
    // nested blocks are measured once per call instead of once per enclosing level. Null otherwise.
    TSizeTable* Sizes = nullptr;
};
