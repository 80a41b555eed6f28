#pragma once

// Finding elements again after the design was replaced by another state of itself (undo, redo), where every
// element is a new object: an element is known again by its kind and text, and among several alike by the
// place in the walk order nearest to where it stood. An element whose text the step changed is not found.

#include "model/struktteile.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct TElementTrace
{
    Kind kind;
    std::string text;
    std::size_t rank; // position in the walk order of the whole design (the root is 0)
};

// The traces of the elements of `root` that `wanted` picks, in walk order.
std::vector<TElementTrace> traceElements(const TBlock& root,
                                         const std::function<bool(const TElement&)>& wanted);

// For each trace, the element of `root` of the same kind and text nearest to the trace's rank; null where
// there is none.
std::vector<TElement*> findTraced(TBlock& root, const std::vector<TElementTrace>& traces);
