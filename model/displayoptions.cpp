#include "model/displayoptions.h"

#include "model/layoutcache.h"

#include <algorithm>

bool TRunMarks::Spot::holds(const TElement& e) const
{
    return element.is(e) ||
           std::any_of(around.begin(), around.end(), [&e](const Entry& block) { return block.is(e); });
}

TRunMarks::Spot TRunMarks::spotOf(const TElement* e)
{
    Spot spot;
    if (!e)
        return spot;
    spot.element = Entry{e, e->serial()};
    for (const TElement* x = e->parent(); x; x = x->parent()) {
        if (x->isBlock())
            spot.around.push_back(Entry{x, x->serial()});
    }
    return spot;
}

bool TRunMarks::hasBreakpoint(const TElement& e) const
{
    return std::any_of(breakpoints.begin(), breakpoints.end(), [&e](const Entry& b) { return b.is(e); });
}

std::optional<std::uint64_t> TRunMarks::countOf(const TElement& e) const
{
    if (!showCounts || !counts || e.isBlock())
        return std::nullopt;
    const auto found = counts->find(&e);
    return found == counts->end() ? 0 : found->second;
}

TDisplayOptions::TDisplayOptions() = default;

TDisplayOptions::TDisplayOptions(const TDisplayOptions& other)
    : RootBlock(other.RootBlock), MarkedElements(other.MarkedElements), HighlightRect(other.HighlightRect),
      CollapsedBlocks(other.CollapsedBlocks), DropTarget(other.DropTarget),
      DropAfterBlock(other.DropAfterBlock), OnScreen(other.OnScreen), Spacing(other.Spacing),
      Printing(other.Printing), Flowchart(other.Flowchart), RunMarks(other.RunMarks), m_live(other.m_live)
{
    followAll();
}

TDisplayOptions& TDisplayOptions::operator=(const TDisplayOptions& other)
{
    if (this == &other)
        return *this;
    for (const TElement* e : m_live)
        unwatchElement(e, *this);
    RootBlock = other.RootBlock;
    MarkedElements = other.MarkedElements;
    HighlightRect = other.HighlightRect;
    CollapsedBlocks = other.CollapsedBlocks;
    DropTarget = other.DropTarget;
    DropAfterBlock = other.DropAfterBlock;
    OnScreen = other.OnScreen;
    Spacing = other.Spacing;
    Printing = other.Printing;
    Flowchart = other.Flowchart;
    RunMarks = other.RunMarks;
    m_live = other.m_live;
    ++m_collapsedVersion;
    followAll();
    return *this;
}

TDisplayOptions::~TDisplayOptions()
{
    for (const TElement* e : m_live)
        unwatchElement(e, *this);
}

void TDisplayOptions::followAll()
{
    for (const TElement* e : m_live)
        watchElement(const_cast<TElement&>(*e), *this);
}

void TDisplayOptions::follow(TElement* e)
{
    if (!e || m_live.count(e))
        return;
    m_live.insert(e);
    watchElement(*e, *this);
}

// Stops watching `e` once no entry names it any more.
void TDisplayOptions::forget(const TElement* e)
{
    if (!e || IsMarked(e) || IsCollapsed(e))
        return;
    if (m_live.erase(e))
        unwatchElement(e, *this);
}

void TDisplayOptions::elementGone(const TElement* e)
{
    m_live.erase(e);
    ++m_collapsedVersion;
}

bool TDisplayOptions::isLive(const Ref& ref) const
{
    return ref.element && m_live.count(ref.element) && ref.serial == ref.element->serial();
}

std::vector<const TElement*> TDisplayOptions::liveCollapsedBlocks() const
{
    std::vector<const TElement*> blocks;
    for (const Ref& r : CollapsedBlocks) {
        if (isLive(r))
            blocks.push_back(r.element);
    }
    return blocks;
}

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
    follow(e);
}

void TDisplayOptions::ClearMarked()
{
    const std::vector<Ref> marked = std::move(MarkedElements);
    MarkedElements.clear();
    for (const Ref& r : marked) {
        if (isLive(r))
            forget(r.element);
    }
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
    ++m_collapsedVersion;
    auto it =
        std::find_if(CollapsedBlocks.begin(), CollapsedBlocks.end(), [b](const Ref& r) { return r.is(b); });
    if (it != CollapsedBlocks.end()) {
        CollapsedBlocks.erase(it); // the other blocks keep their order
        forget(b);
    } else {
        CollapsedBlocks.push_back(Ref{b, b->serial()});
        follow(b);
    }
}
