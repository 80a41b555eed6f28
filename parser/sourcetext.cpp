// Decoding pasted or imported text, and taking its comments out.
#include "parser/sourcetext.h"

#include "model/cp1252.h"

#include <optional>

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool isQuote(char c)
{
    return c == '\'' || c == '"';
}

// The code point of the UTF-8 sequence at `pos` and its length, or nothing when the bytes there are no
// well-formed UTF-8 (overlong forms, surrogates and values beyond U+10FFFF included).
std::optional<std::pair<char32_t, std::size_t>> utf8At(std::string_view s, std::size_t pos)
{
    const auto byte = [&s](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(pos);
    std::size_t length;
    char32_t value;
    char32_t least;
    if (lead < 0x80)
        return std::make_pair(char32_t{lead}, std::size_t{1});
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (pos + length > s.size())
        return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char c = byte(pos + i);
        if ((c & 0xC0) != 0x80)
            return std::nullopt;
        value = (value << 6) | (c & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return std::nullopt;
    return std::make_pair(value, length);
}

// Whether the bytes are UTF-8 that holds at least one character beyond ASCII.
bool isUtf8BeyondAscii(std::string_view s)
{
    bool beyondAscii = false;
    for (std::size_t pos = 0; pos < s.size();) {
        const auto c = utf8At(s, pos);
        if (!c)
            return false;
        beyondAscii = beyondAscii || c->first >= 0x80;
        pos += c->second;
    }
    return beyondAscii;
}

// A line comment as the first pass finds it: where it stands in the input, and what it would name.
struct LineComment
{
    std::size_t start = 0; // the first "/"
    std::size_t end = 0;   // the line end after it (or the end of the text)
    std::string name;      // its text after "//" without one leading blank
    int braceDepth = 0;
    int partner = -1; // the index of the other comment of a named-block pair
    bool opens = false;
};

// The position of the line end at or after `pos` (CR or LF), or the end of the text.
std::size_t lineEnd(std::string_view s, std::size_t pos)
{
    const std::size_t end = s.find_first_of("\r\n", pos);
    return end == npos ? s.size() : end;
}

// What the first pass learns: every line comment and the pairs among them.
class TCommentPairs
{
public:
    // `mayPair`: the comment stands where a named block can begin or end without changing what the code
    // around it means.
    void lineComment(std::string_view text, std::size_t start, std::size_t end, int braceDepth, bool mayPair)
    {
        LineComment comment;
        comment.start = start;
        comment.end = end;
        std::string_view body = text.substr(start + 2, end - start - 2);
        if (!body.empty() && body.front() == ' ')
            body.remove_prefix(1);
        comment.name = std::string(body);
        comment.braceDepth = braceDepth;
        const int index = static_cast<int>(m_comments.size());
        m_comments.push_back(std::move(comment));
        if (!mayPair)
            return;
        if (closes(index))
            return;
        m_open.push_back(index);
    }

    // A "}" that brings the brace level down to `depth`: comments deeper than that can no longer be closed
    // without crossing it.
    void braceLevel(int depth)
    {
        while (!m_open.empty() && m_comments[static_cast<std::size_t>(m_open.back())].braceDepth > depth)
            m_open.pop_back();
    }

    std::vector<LineComment>& comments() { return m_comments; }

private:
    // Pairs the comment at `index` as the end of the nearest open comment of its level that it names.
    bool closes(int index)
    {
        LineComment& closing = m_comments[static_cast<std::size_t>(index)];
        // "// Ende " of a block with the empty name may have lost its trailing blank.
        static constexpr std::string_view kEnd = "Ende ";
        std::string_view named;
        if (closing.name.compare(0, kEnd.size(), kEnd) == 0)
            named = std::string_view(closing.name).substr(kEnd.size());
        else if (closing.name != "Ende")
            return false;
        for (std::size_t k = m_open.size(); k-- > 0;) {
            LineComment& opening = m_comments[static_cast<std::size_t>(m_open[k])];
            if (opening.braceDepth != closing.braceDepth)
                break;
            if (opening.name != named)
                continue;
            opening.partner = index;
            opening.opens = true;
            closing.partner = m_open[k];
            m_open.resize(k); // the comments above it in the same level stay plain comments
            return true;
        }
        return false;
    }

    std::vector<LineComment> m_comments;
    std::vector<int> m_open; // comments that may still open a named block, innermost last
};

bool isWordPart(char c)
{
    return c == '_' || c == '$' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
           (c >= 'A' && c <= 'Z') || static_cast<unsigned char>(c) >= 0x80;
}

bool isWordStart(std::string_view s, std::size_t i)
{
    return isWordPart(s[i]) && (i == 0 || !isWordPart(s[i - 1]));
}

bool isBlankChar(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Whether the comment at `start` stands alone on its line.
bool aloneOnLine(std::string_view s, std::size_t start)
{
    for (std::size_t i = start; i-- > 0;) {
        if (s[i] == '\n' || s[i] == '\r')
            return true;
        if (s[i] != ' ' && s[i] != '\t')
            return false;
    }
    return true;
}

// Whether the next code after `pos` is the word "else": a named block ending or beginning there would
// take the "if" apart.
bool elseFollows(std::string_view s, std::size_t pos)
{
    const std::size_t next = s.find_first_not_of(" \t\r\n", pos);
    if (next == npos || s.compare(next, 4, "else") != 0)
        return false;
    const std::size_t after = next + 4;
    if (after == s.size())
        return true;
    const char c = s[after];
    return !(c == '_' || c == '$' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
             (c >= 'A' && c <= 'Z') || static_cast<unsigned char>(c) >= 0x80);
}

} // namespace

std::size_t literalEnd(std::string_view text, std::size_t open, std::size_t end)
{
    const char quote = text[open];
    for (std::size_t i = open + 1; i < end; ++i) {
        if (text[i] == '\\')
            ++i;
        else if (text[i] == quote)
            return i + 1;
    }
    return npos;
}

TDecodedText decodeSourceText(std::string_view bytes)
{
    if (!isUtf8BeyondAscii(bytes))
        return {std::string(bytes), 0};
    TDecodedText decoded;
    decoded.text.reserve(bytes.size());
    std::u16string unit;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const auto [c, length] = *utf8At(bytes, pos);
        pos += length;
        if (c < 0x80) {
            decoded.text.push_back(static_cast<char>(c));
            continue;
        }
        unit.assign(1, c > 0xFFFF ? u'\xFFFD' : static_cast<char16_t>(c));
        const std::string mapped = utf16ToCp1252(unit);
        if (mapped == "?")
            ++decoded.replaced;
        decoded.text += mapped;
    }
    return decoded;
}

TStrippedText stripComments(std::string_view text)
{
    // First pass: find the comments, the brace level of each line comment, and the pairs.
    TCommentPairs pairs;
    std::vector<std::pair<std::size_t, std::size_t>> blockComments; // [start, end) of each "/* */"
    int braces = 0;
    int parens = 0;
    // The last character of code before the current position: a named block can begin or end only
    // after a complete statement or a brace, never right after "if (...)", "else" or "do".
    char lastCode = ';';
    std::vector<int> forHeaders; // the parenthesis levels of the for-loop headers open here
    bool forFollows = false;     // the last word was "for", and only blanks came after it
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (isQuote(c)) {
            const std::size_t after = literalEnd(text, i, text.size());
            if (after == npos)
                break; // an unclosed literal: the rest is plain text
            i = after - 1;
            lastCode = c;
            continue;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            const std::size_t end = lineEnd(text, i);
            const bool mayPair = parens == 0 && (lastCode == ';' || lastCode == '{' || lastCode == '}') &&
                                 aloneOnLine(text, i) && !elseFollows(text, end);
            pairs.lineComment(text, i, end, braces, mayPair);
            i = end - 1;
            continue;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            const std::size_t close = text.find("*/", i + 2);
            if (close == npos) { // never closed: left as text
                lastCode = c;
                continue;
            }
            blockComments.emplace_back(i, close + 2);
            i = close + 1;
            continue;
        } else if (c == '{') {
            ++braces;
            parens = 0;
        } else if (c == '}') {
            braces = braces > 0 ? braces - 1 : 0;
            parens = 0;
            pairs.braceLevel(braces);
        } else if (c == ';') {
            // A statement with a "(" that is never closed ends here all the same; the ";" of a for
            // loop's header ends nothing.
            if (forHeaders.empty() || forHeaders.back() != parens) {
                parens = 0;
                forHeaders.clear();
            }
        } else if (c == '(') {
            ++parens;
            if (forFollows)
                forHeaders.push_back(parens);
        } else if (c == ')' && parens > 0) {
            if (!forHeaders.empty() && forHeaders.back() == parens)
                forHeaders.pop_back();
            --parens;
        } else if (isWordStart(text, i)) {
            std::size_t end = i;
            while (end < text.size() && isWordPart(text[end]))
                ++end;
            forFollows = text.substr(i, end - i) == "for";
            lastCode = text[end - 1];
            i = end - 1;
            continue;
        }
        if (c != '(' && !isBlankChar(c))
            forFollows = false;
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            lastCode = c;
    }

    // Second pass: the text without comments, with markers for the pairs.
    TStrippedText out;
    out.text.reserve(text.size());
    std::vector<LineComment>& lineComments = pairs.comments();
    std::size_t nextLine = 0;
    std::size_t nextBlock = 0;
    std::size_t pos = 0;
    const auto copyTo = [&](std::size_t to) {
        for (; pos < to; ++pos)
            if (text[pos] != kBlockMarker)
                out.text.push_back(text[pos]);
    };
    while (nextLine < lineComments.size() || nextBlock < blockComments.size()) {
        const bool lineFirst =
            nextBlock == blockComments.size() ||
            (nextLine < lineComments.size() && lineComments[nextLine].start < blockComments[nextBlock].first);
        if (!lineFirst) {
            copyTo(blockComments[nextBlock].first);
            out.text.push_back(' ');
            pos = blockComments[nextBlock].second;
            ++nextBlock;
            ++out.commentsLeftOut;
            continue;
        }
        LineComment& comment = lineComments[nextLine++];
        copyTo(comment.start);
        pos = comment.end;
        if (comment.partner < 0) {
            ++out.commentsLeftOut;
        } else if (comment.opens) {
            out.text.push_back(kBlockMarker);
            out.text += std::to_string(out.blockNames.size());
            out.text.push_back('{');
            out.blockNames.push_back(std::move(comment.name));
        } else {
            out.text.push_back(kBlockMarker);
            out.text.push_back('}');
        }
    }
    copyTo(text.size()); // after an unclosed literal, the rest exactly as it stands
    return out;
}
