#pragma once

#include "model/struktteile.h"

#include <utility>
#include <vector>

// Calls `visit(e)` for `top` and for every element inside it (a block's children, a condition's branch
// blocks, and everything in their sequences), but not for the successors of `top` itself; with
// `withSuccessors` also for top's successors and what lies inside them. Stops as soon as `visit`
// returns true and returns whether it stopped. No recursion: a sequence may be very long.
template <typename Visit> bool visitTree(TElement* top, bool withSuccessors, Visit visit)
{
    std::vector<std::pair<TElement*, bool>> pending;
    if (top)
        pending.emplace_back(top, withSuccessors);
    while (!pending.empty()) {
        auto [e, followNext] = pending.back();
        pending.pop_back();
        if (visit(e))
            return true;
        if (followNext && e->Next)
            pending.emplace_back(e->Next.get(), true);
        if (TBlock* block = asBlock(e)) {
            if (block->FirstChild)
                pending.emplace_back(block->FirstChild.get(), true);
        } else if (TBedingung* condition = asCondition(e)) {
            for (int i = 2; i >= 1; --i) {
                if (TBlock* branch = condition->Branch(i))
                    pending.emplace_back(branch, true);
            }
        }
    }
    return false;
}

// Whether `x` is `top` or lies inside it, compared by address only: `x` may be a pointer to an element
// that no longer exists, and is never dereferenced.
inline bool containsAddress(TElement* top, const void* x)
{
    return visitTree(top, false, [x](TElement* e) { return e == x; });
}
