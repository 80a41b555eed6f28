#pragma once

// A counting loop keeps its header as variable + " von " + start + " bis " + end. The counting-loop
// dialog and the Java export split it by one rule, by position.

#include <string>

struct LoopParts
{
    std::string variable;
    std::string start;
    std::string end;
};

// "???" (a new loop) gives "?" three times. Otherwise: the variable runs to the first blank; five
// characters from that blank on are skipped unexamined; the start runs to the next blank; five more are
// skipped; the end is all the rest, blanks included. Parts the text does not reach stay empty.
LoopParts splitLoopText(const std::string& text);

// variable + " von " + start + " bis " + end, nothing trimmed or checked.
std::string joinLoopText(const LoopParts& parts);
