#include "model/sizetable.h"

#include <atomic>

TSizeTable::TSizeTable()
{
    static std::atomic<std::uint64_t> stamps{0};
    m_stamp = ++stamps;
}

bool TSizeTable::childrenHoldMark(const TElement& e, TCanvas& canvas, TDisplayOptions& options)
{
    if (const TBlock* block = asBlock(&e)) {
        if (options.IsCollapsed(block))
            return false; // the children of a collapsed block are not drawn
        for (const TElement* child = block->FirstChild.get(); child; child = child->Next.get()) {
            if (get(*child, canvas, options).holdsMark)
                return true;
        }
        return false;
    }
    if (const TBedingung* condition = asCondition(&e)) {
        for (int i = 1; i <= condition->BranchCount && i <= 2; ++i) {
            if (const TBlock* branch = condition->branch(i);
                branch && get(*branch, canvas, options).holdsMark)
                return true;
        }
    }
    return false;
}

TSizeTable::Entry TSizeTable::get(const TElement& e, TCanvas& canvas, TDisplayOptions& options)
{
    if (!m_canvas)
        m_canvas = &canvas;
    if (m_canvas != &canvas) {
        // Measured on another canvas than the one the table holds sizes for: measure directly.
        return Entry{&e, e.Measure(canvas, options), options.OnScreen && !options.MarkedElements.empty()};
    }
    if (e.m_layoutStamp == m_stamp)
        return Entry{&e, e.m_layoutSize, e.m_layoutHoldsMark};
    Entry entry{&e, e.Measure(canvas, options), false};
    if (options.OnScreen && !options.MarkedElements.empty())
        entry.holdsMark = options.IsMarked(&e) || childrenHoldMark(e, canvas, options);
    e.m_layoutStamp = m_stamp;
    e.m_layoutSize = entry.size;
    e.m_layoutHoldsMark = entry.holdsMark;
    ++m_count;
    return entry;
}

TSize measured(const TElement& e, TCanvas& canvas, TDisplayOptions& options)
{
    return options.Sizes ? options.Sizes->get(e, canvas, options).size : e.Measure(canvas, options);
}

TSize measured(const TElement* e, TCanvas& canvas, TDisplayOptions& options)
{
    return e ? measured(*e, canvas, options) : TSize{};
}
