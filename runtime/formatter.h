#pragma once

// String.format and System.out.printf by the rules of Java's Formatter: the conversions b h s c d o x e
// f g a (and their upper-case forms), n and %, argument indexes ("%2$s", "%<s"), the flags - # + space
// 0 , ( and width and precision, each fault thrown as the exception Java throws with Java's message.
// d, e, f and g write the separators of `symbols` (English: ',' groups, '.' is the point); e, f and g
// round the digits of Double.toString half up, as Java does (0.125 with %.2f gives 0.13). Dates and
// times (%tY, %tc, ...) take a long as milliseconds since 1970 in the environment's time zone and
// write English names.

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
