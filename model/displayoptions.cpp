#include "model/displayoptions.h"

#include <algorithm>

bool TDisplayOptions::IsMarked(const TElement* e) const
{
    return std::any_of(MarkedElements.begin(), MarkedElements.end(), [e](const Ref& r) { return r.is(e); });
}

TElement* TDisplayOptions::LastMarked() const
{
    return MarkedElements.empty() ? nullptr : MarkedElements.back().element;
}

TDisplayOptions::Ref TDisplayOptions::lastMarkedRef() const
{
    return MarkedElements.empty() ? Ref{} : MarkedElements.back();
}

void TDisplayOptions::AddMarked(TElement* e)
{
    if (IsMarked(e))
        return;
    MarkedElements.push_back(Ref{e, e ? e->serial() : 0});
}

void TDisplayOptions::ClearMarked()
{
    MarkedElements.clear();
}

bool TDisplayOptions::IsCollapsed(const TElement* e) const
{
    if (!e)
        return false;
    return std::any_of(CollapsedBlocks.begin(), CollapsedBlocks.end(), [e](const Ref& r) { return r.is(e); });
}

void TDisplayOptions::ToggleCollapsed(TBlock* b)
{
    if (!b)
        return;
    auto it =
        std::find_if(CollapsedBlocks.begin(), CollapsedBlocks.end(), [b](const Ref& r) { return r.is(b); });
    if (it != CollapsedBlocks.end())
        CollapsedBlocks.erase(it); // the other blocks keep their order
    else
        CollapsedBlocks.push_back(Ref{b, b->serial()});
}
