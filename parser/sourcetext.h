#pragma once

// What happens to pasted or imported Java text before it is parsed: its encoding is found out, and its
// comments are taken out without taking any code with them.

#include <string>
#include <string_view>
#include <vector>

// Text in the design's code page, and how many characters it could not hold.
struct TDecodedText
{
    std::string text;
    int replaced = 0; // characters written as '?' because code page 1252 has no place for them
};

// Bytes that are valid UTF-8 and hold a character beyond ASCII are read as UTF-8 and converted to code
// page 1252; any other bytes are taken as code page 1252 already.
TDecodedText decodeSourceText(std::string_view bytes);

// The marker that stands in the stripped text where a named block begins: kBlockMarker, the block's
// index in `blockNames` in decimal digits, "{"; where it ends: kBlockMarker, "}". Byte 0x01 is the
// design file's text terminator, so no text of a design can hold it; it is removed from the input.
inline constexpr char kBlockMarker = '\x01';

struct TStrippedText
{
    std::string text;
    std::vector<std::string> blockNames;
    int commentsLeftOut = 0;
};

// Removes the comments: "//" to the end of its line (the line end stays), "/* ... */" (replaced by a
// blank, as Java reads it), each outside string and character literals. A pair of line comments
// "// Name" ... "// Ende Name" at the same brace level, outside parentheses, with braces balanced between
// them, is what the export writes for a named block: it becomes a pair of block markers. A "/*" that is
// never closed is left as text.
TStrippedText stripComments(std::string_view text);

// The position just after the literal that opens with the quote at `open`, backslash escapes skipped, or
// npos when it is never closed before `end`.
std::size_t literalEnd(std::string_view text, std::size_t open, std::size_t end);
