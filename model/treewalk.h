#pragma once

#include "model/struktteile.h"

#include <type_traits>
#include <utility>
#include <vector>

// Calls `visit(e)` for `top` and for every element inside it (a block's children, a condition's branch
// blocks, and everything in their sequences), but not for the successors of `top` itself; with
// `withSuccessors` also for top's successors and what lies inside them. Stops as soon as `visit`
// returns true and returns whether it stopped. No recursion: a sequence may be very long. `visit` gets a
// const element when `top` is const.
template <typename Top, typename Visit> bool visitTree(Top* top, bool withSuccessors, Visit visit)
{
    using Element = std::conditional_t<std::is_const_v<Top>, const TElement, TElement>;
    std::vector<std::pair<Element*, bool>> pending;
    if (top)
        pending.emplace_back(top, withSuccessors);
    while (!pending.empty()) {
        auto [e, followNext] = pending.back();
        pending.pop_back();
        if (visit(e))
            return true;
        if (followNext && e->Next)
            pending.emplace_back(e->Next.get(), true);
        if (auto* block = asBlock(e)) {
            if (block->FirstChild)
                pending.emplace_back(block->FirstChild.get(), true);
        } else if (auto* condition = asCondition(e)) {
            for (int i = 2; i >= 1; --i) {
                if (TBlock* branch = condition->branch(i))
                    pending.emplace_back(branch, true);
            }
        }
    }
    return false;
}

// Whether `x` is `top` or lies inside it, compared by address only: `x` may be a pointer to an element
// that no longer exists, and is never dereferenced.
inline bool containsAddress(const TElement* top, const void* x)
{
    return visitTree(top, false, [x](const TElement* e) { return e == x; });
}
