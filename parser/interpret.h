#pragma once

#include "model/struktteile.h"

#include <memory>
#include <string_view>

// Builds a design from Java-like source text: a new block with the empty name whose children are the
// parsed statements. Never fails on odd text; throws DesignError with the nesting message when the
// text nests deeper than kMaxNesting.
std::unique_ptr<TBlock> ParseText(std::string_view text);
