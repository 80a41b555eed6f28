#pragma once

#include "model/bytesink.h"
#include "model/struktteile.h"

#include <string>

// The tree dump of the batch command --dump: one line per element, pre-order, indented by two blanks per
// level, with the class letter, the flags and the escaped text. `first` and all its successors are dumped
// at `depth`. The dump can be far larger than the design: a file or a stream takes it piece by piece.
void dumpTree(TByteSink& out, const TElement& first, int depth = 0);
std::string dumpTree(const TElement& first, int depth = 0);
