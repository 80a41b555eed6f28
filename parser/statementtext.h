#pragma once

// What the parser reads inside a statement's text: declarations, lists split at their commas, and the
// header of a for loop that a counting loop can stand for. Plain functions on code page 1252 text.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One name a declaration declares: `text` is the declarator as written ("i = 0", "a[]"), `name` its name.
struct TDeclarator
{
    std::string_view text;
    std::string name;
    bool initialised = false;
};

// A local variable declaration: "[final] Type a [= x], b [= y]". `type` is written without blanks.
struct TDeclaration
{
    std::string type;
    std::vector<TDeclarator> declarators;
};

// The declaration that `statement` is, or nothing when it is no declaration (an assignment, a call,
// "return x", ...).
std::optional<TDeclaration> parseDeclaration(std::string_view statement);

// The pieces of `text` between its commas outside parentheses, brackets, braces and literals, as
// [start, end) positions, and as texts without the blanks around them.
std::vector<std::pair<std::size_t, std::size_t>> commaRanges(std::string_view text);
std::vector<std::string_view> splitAtCommas(std::string_view text);

// The type a name has where the loop stands, or nothing when it is not declared there.
using TTypeLookup = std::function<std::optional<std::string>(const std::string&)>;

// The text of the counting loop "V von S bis E" that stands for the header `init; test; step`, or
// nothing when a counting loop cannot hold it without dropping or changing a character: init is
// "[int] V = S", test "V <= E" or "V < E" (E - 1 then: a literal is decremented), step "V++", "++V",
// "V += 1" or "V = V + 1"; the loop text must split back into the same V, S and E; V must not be declared
// with another type than int.
std::optional<std::string> countingLoopText(std::string_view init, std::string_view test,
                                            std::string_view step, const TTypeLookup& typeOf);
