#pragma once

// The design as assistive technology presents it: an outline of nested items. The items inside a block
// are the elements of its sequence; those inside a decision or a loop are its branch blocks. Each item is
// named by its kind and its text.

#include "model/struktteile.h"

#include <string>
#include <vector>

// The name of the item `e` (code page 1252): its kind and its text, "Entscheidung: x > 0",
// "Zählschleife: i von 1 bis 10", "Block: Ausgabe"; the kind alone for an empty text. `holder` is the
// item `e` lies in (null for the top item): a branch block is named after its place in it, "Ja-Zweig",
// "Nein-Zweig", "Schleifenrumpf".
std::string outlineName(const TElement& e, const TElement* holder);

// The items inside `e`, in order.
std::vector<TElement*> outlineChildren(TElement& e);

// The items from `top` down to `e`, both included; empty when `e` is neither `top` nor inside it.
// Compares addresses only: `e` is never dereferenced.
std::vector<TElement*> outlinePath(TElement& top, const TElement* e);
