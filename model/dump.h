#pragma once

#include "model/struktteile.h"

#include <string>

// The tree dump of the batch command --dump: one line per element, pre-order, indented by two blanks per
// level, with the class letter, the flags and the escaped text. `first` and all its successors are dumped
// at `depth`.
std::string dumpTree(const TElement& first, int depth = 0);
