#pragma once

// The pseudo-code that school books write in structograms ("Eingabe x", "lies x", "Ausgabe summe",
// "ausgeben(summe)", "gib summe aus", "x <- 5", "wenn x > 0 dann ...") is not Java. For an element text
// that is such pseudo-code and not valid Java, the checker reports what to write in Java instead.

#include <optional>
#include <string>
#include <string_view>

namespace runtime {

// German advice for `text` (code page 1252, the whole text of an element), or nothing when the text does
// not look like pseudo-code. `condition`: the text is the condition of a decision or loop element.
std::optional<std::string> pseudoCodeAdvice(std::string_view text, bool condition);

} // namespace runtime
