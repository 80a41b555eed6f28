#pragma once

// String.format and System.out.printf by the rules of Java's Formatter for the conversions b, s, c, d,
// x, o, f, e (and their upper-case forms), n and %, with argument indexes, the flags - # + space 0 , (
// and width and precision. d, f and e write the separators of `symbols` (English: ',' groups, '.' is
// the point); f and e round the digits of Double.toString half up, as Java does (0.125 with %.2f gives 0.13).

#include "runtime/runtime.h"
#include "runtime/values.h"

#include <string>
#include <vector>

namespace runtime {

// An argument with its Java type before boxing.
struct FormatArg
{
    Type type;
    Prim prim{};
    Ref ref;
};

// Appends the formatted text to `out`, piece by piece as Java's Formatter does, so that printf has
// written what comes before a bad specifier when it throws the exception Java throws for it (a bad
// specifier, a missing or unfitting argument).
void javaFormat(std::u16string& out, const std::u16string& format, const std::vector<FormatArg>& args,
                const NumberSymbols& symbols);

} // namespace runtime
