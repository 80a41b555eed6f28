// Declarations, comma lists and counting-loop headers inside a statement's text.
#include "parser/statementtext.h"

#include "model/looptext.h"
#include "parser/sourcetext.h"

#include <algorithm>
#include <array>
#include <climits>

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool isIdentifierStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool isIdentifierPart(char c)
{
    return isIdentifierStart(c) || (c >= '0' && c <= '9');
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string withoutBlanks(std::string_view s)
{
    std::string out;
    for (char c : s)
        if (!isBlank(c))
            out.push_back(c);
    return out;
}

// Java's words that never name a type or a variable.
bool isReservedWord(std::string_view word)
{
    static constexpr std::array<std::string_view, 30> kWords = {
        "return", "new",     "throw",      "else",         "case",   "do",    "if",      "while",
        "for",    "break",   "continue",   "this",         "super",  "null",  "true",    "false",
        "assert", "goto",    "default",    "switch",       "try",    "catch", "finally", "class",
        "import", "package", "instanceof", "synchronized", "static", "const"};
    return std::find(kWords.begin(), kWords.end(), word) != kWords.end();
}

// Reads the identifier at `pos` and moves past it; empty when there is none.
std::string_view identifierAt(std::string_view s, std::size_t& pos)
{
    if (pos >= s.size() || !isIdentifierStart(s[pos]))
        return {};
    const std::size_t start = pos;
    while (pos < s.size() && isIdentifierPart(s[pos]))
        ++pos;
    return s.substr(start, pos - start);
}

void skipBlanks(std::string_view s, std::size_t& pos)
{
    while (pos < s.size() && isBlank(s[pos]))
        ++pos;
}

// Moves past "[]" pairs (blanks allowed) and says whether there was at least one.
void skipDimensions(std::string_view s, std::size_t& pos)
{
    for (;;) {
        std::size_t p = pos;
        skipBlanks(s, p);
        if (p >= s.size() || s[p] != '[')
            return;
        ++p;
        skipBlanks(s, p);
        if (p >= s.size() || s[p] != ']')
            return;
        pos = p + 1;
    }
}

// Moves past a type: a dotted name, type arguments in angle brackets, and "[]" pairs. False when there is
// no type at `pos`.
bool skipType(std::string_view s, std::size_t& pos)
{
    std::string_view word = identifierAt(s, pos);
    if (word.empty() || isReservedWord(word))
        return false;
    while (pos + 1 < s.size() && s[pos] == '.' && isIdentifierStart(s[pos + 1])) {
        ++pos;
        word = identifierAt(s, pos);
        if (isReservedWord(word))
            return false;
    }
    std::size_t p = pos;
    skipBlanks(s, p);
    if (p < s.size() && s[p] == '<') {
        int depth = 0;
        for (; p < s.size(); ++p) {
            const char c = s[p];
            if (c == '<') {
                ++depth;
            } else if (c == '>') {
                if (--depth == 0)
                    break;
            } else if (!(isIdentifierPart(c) || isBlank(c) || c == ',' || c == '.' || c == '?' || c == '[' ||
                         c == ']')) {
                return false;
            }
        }
        if (p >= s.size())
            return false;
        pos = p + 1;
    }
    skipDimensions(s, pos);
    return true;
}

// The value of a decimal or hexadecimal int literal without sign, suffix or leading zero; nothing for
// any other text or a value beyond 32 bits.
std::optional<long long> intLiteral(std::string_view s)
{
    long long value = 0;
    int base = 10;
    std::size_t pos = 0;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        pos = 2;
    } else if (s.empty() || (s.size() > 1 && s[0] == '0')) {
        return std::nullopt; // 010 is octal in Java
    }
    for (; pos < s.size(); ++pos) {
        const char c = s[pos];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > INT_MAX)
            return std::nullopt;
    }
    return value;
}

// How an expression's top level binds, as far as a bound of a counting loop cares.
enum class TopLevel {
    Tight, // only operators that bind tighter than "-" (or none)
    Shift, // a shift, which binds looser than "-" but tighter than a comparison
    Loose, // a comparison, a logical or bit operator, "?:", an assignment, a lambda or a comma
};

TopLevel topLevelOf(std::string_view e)
{
    if (e == "?")
        return TopLevel::Tight; // the part of a new counting loop that is still to be filled in
    TopLevel result = TopLevel::Tight;
    int depth = 0;
    for (std::size_t i = 0; i < e.size(); ++i) {
        const char c = e[i];
        const char next = i + 1 < e.size() ? e[i + 1] : '\0';
        if (c == '"' || c == '\'') {
            const std::size_t after = literalEnd(e, i, e.size());
            if (after == npos)
                return TopLevel::Loose;
            i = after - 1;
            continue;
        }
        if (c == '(' || c == '[' || c == '{') {
            ++depth;
            continue;
        }
        if (c == ')' || c == ']' || c == '}') {
            if (--depth < 0)
                return TopLevel::Loose;
            continue;
        }
        if (depth > 0)
            continue;
        if ((c == '<' && next == '<') || (c == '>' && next == '>')) {
            result = TopLevel::Shift;
            while (i + 1 < e.size() && e[i + 1] == c)
                ++i;
            if (i + 1 < e.size() && e[i + 1] == '=')
                return TopLevel::Loose; // <<= and >>= assign
            continue;
        }
        if (c == '<' || c == '>' || c == '=' || c == '&' || c == '|' || c == '^' || c == '?' || c == ':' ||
            c == ',')
            return TopLevel::Loose;
        if (c == '!' && next == '=')
            return TopLevel::Loose;
        if ((c == '+' || c == '-' || c == '*' || c == '/' || c == '%') && next == '=')
            return TopLevel::Loose;
        if (isIdentifierStart(c)) {
            std::size_t pos = i;
            if (identifierAt(e, pos) == "instanceof")
                return TopLevel::Loose;
            i = pos - 1;
        }
    }
    return depth == 0 ? result : TopLevel::Loose;
}

// The end value of "V < bound": a literal decremented, any other expression minus one.
std::string strictBound(std::string_view bound)
{
    if (const std::optional<long long> value = intLiteral(bound))
        return std::to_string(*value - 1);
    if (topLevelOf(bound) == TopLevel::Shift)
        return "(" + std::string(bound) + ") - 1";
    return std::string(bound) + " - 1";
}

} // namespace

std::optional<TDeclaration> parseDeclaration(std::string_view statement)
{
    const std::string_view s = trimmed(statement);
    std::size_t pos = 0;
    {
        std::size_t p = pos;
        if (identifierAt(s, p) == "final" && p < s.size() && isBlank(s[p])) {
            pos = p;
            skipBlanks(s, pos);
        }
    }
    const std::size_t typeStart = pos;
    if (!skipType(s, pos))
        return std::nullopt;
    TDeclaration declaration;
    declaration.type = withoutBlanks(s.substr(typeStart, pos - typeStart));
    skipBlanks(s, pos);
    if (pos >= s.size() || !isIdentifierStart(s[pos]))
        return std::nullopt;
    for (const std::string_view piece : splitAtCommas(s.substr(pos))) {
        std::size_t p = 0;
        const std::string_view name = identifierAt(piece, p);
        if (name.empty() || isReservedWord(name))
            return std::nullopt;
        skipDimensions(piece, p);
        skipBlanks(piece, p);
        TDeclarator declarator{piece, std::string(name), false};
        if (p < piece.size()) {
            if (piece[p] != '=' || (p + 1 < piece.size() && piece[p + 1] == '='))
                return std::nullopt;
            declarator.initialised = true;
        }
        declaration.declarators.push_back(declarator);
    }
    return declaration;
}

std::vector<std::pair<std::size_t, std::size_t>> commaRanges(std::string_view text)
{
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    int depth = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' || c == '\'') {
            const std::size_t after = literalEnd(text, i, text.size());
            if (after == npos)
                break;
            i = after - 1;
        } else if (c == '(' || c == '[' || c == '{') {
            ++depth;
        } else if ((c == ')' || c == ']' || c == '}') && depth > 0) {
            --depth;
        } else if (c == ',' && depth == 0) {
            ranges.emplace_back(start, i);
            start = i + 1;
        }
    }
    ranges.emplace_back(start, text.size());
    return ranges;
}

std::vector<std::string_view> splitAtCommas(std::string_view text)
{
    std::vector<std::string_view> pieces;
    for (const auto& [start, end] : commaRanges(text))
        pieces.push_back(trimmed(text.substr(start, end - start)));
    return pieces;
}

std::optional<std::string> countingLoopText(std::string_view init, std::string_view test,
                                            std::string_view step, const TTypeLookup& typeOf)
{
    // Init: "[int] V = S", one variable.
    init = trimmed(init);
    std::string variable;
    std::string_view start;
    if (const std::optional<TDeclaration> declaration = parseDeclaration(init)) {
        if (declaration->type != "int" || declaration->declarators.size() != 1 ||
            !declaration->declarators[0].initialised)
            return std::nullopt;
        variable = declaration->declarators[0].name;
        const std::string_view declarator = declaration->declarators[0].text;
        start = declarator.substr(declarator.find('=') + 1);
    } else {
        // Whatever stands before "=" is the variable, as long as the loop text can hold it: the export
        // writes a counting loop's parts as they are, and reads them back so.
        const std::size_t equals = init.find('=');
        if (equals == npos)
            return std::nullopt;
        variable = std::string(trimmed(init.substr(0, equals)));
        start = init.substr(equals + 1);
        if (variable.empty() || variable.find_first_of(" \t\r\n") != npos ||
            (!start.empty() && start.front() == '='))
            return std::nullopt;
        if (const std::optional<std::string> type = typeOf(variable); type && *type != "int")
            return std::nullopt;
    }
    start = trimmed(start);
    if (start.empty() || topLevelOf(start) == TopLevel::Loose)
        return std::nullopt;

    // Test: "V <= E" or "V < E".
    test = trimmed(test);
    if (test.substr(0, variable.size()) != variable)
        return std::nullopt;
    std::size_t pos = variable.size();
    skipBlanks(test, pos);
    if (pos >= test.size() || test[pos] != '<' || (pos + 1 < test.size() && test[pos + 1] == '<'))
        return std::nullopt;
    const bool inclusive = pos + 1 < test.size() && test[pos + 1] == '=';
    const std::string_view bound = trimmed(test.substr(pos + (inclusive ? 2 : 1)));
    if (bound.empty() || topLevelOf(bound) == TopLevel::Loose)
        return std::nullopt;
    const std::string end = inclusive ? std::string(bound) : strictBound(bound);

    // Step: V++, ++V, V += 1, V = V + 1.
    const std::string compact = withoutBlanks(step);
    if (compact != variable + "++" && compact != "++" + variable && compact != variable + "+=1" &&
        compact != variable + "=" + variable + "+1")
        return std::nullopt;

    // The export splits the loop text again at its blanks: what it cannot read back stays a while loop.
    const LoopParts parts{variable, std::string(start), end};
    const std::string text = joinLoopText(parts);
    const LoopParts again = splitLoopText(text);
    if (again.variable != parts.variable || again.start != parts.start || again.end != parts.end)
        return std::nullopt;
    return text;
}
