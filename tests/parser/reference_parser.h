#pragma once

// A slow, literal model of the source text parser for differential tests: one std::string of remaining
// text, read by erasing from its front, tokens put back by prepending them, the normalisation passes
// rewriting the string in place, and the "do" before a closing "while" inserted as real characters. It
// makes the same element classes as the real parser and applies the same refusals (nesting deeper than
// kMaxNesting levels, for-loop headers nested more than 200 deep). Quadratic time: for small texts only.

#include "model/struktteile.h"

#include <memory>
#include <string>
#include <string_view>

namespace reference {

// The parse of `text` as a new block with the empty name; throws DesignError where the real parser does.
std::unique_ptr<TBlock> ParseText(std::string_view text);

// The four normalisation passes, applied literally.
std::string NormaliseText(std::string_view text);

} // namespace reference
