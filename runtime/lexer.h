#pragma once

// The tokens of one Java fragment: an element's text as the export writes it into the Java source.

#include <cstdint>
#include <string>
#include <vector>

namespace runtime {

enum class Tok : std::uint8_t {
    End,
    Identifier, // keywords too; the parser tells them apart
    IntLiteral,
    LongLiteral,
    DoubleLiteral,
    CharLiteral,
    StringLiteral,
    Operator,
    Error, // `text` holds the German description
};

struct Token
{
    Tok kind = Tok::End;
    // Identifier and operator: the spelling. String literal: the value. Error: the description (cp1252).
    std::u16string text;
    // Int and long literals: the value (2147483648 and 9223372036854775808L are kept as the wrapped
    // value with `limit` set: they are allowed only after a unary minus). Char literal: the character.
    std::int64_t integer = 0;
    double number = 0;
    bool limit = false;

    bool is(const char16_t* op) const
    {
        return (kind == Tok::Operator || kind == Tok::Identifier) && text == op;
    }
};

// Splits `source` into tokens ending with Tok::End. Unicode escapes (\uXXXX) are replaced first, as
// Java does; comments and white space separate tokens. The first malformed token ends the list with
// a Tok::Error token.
std::vector<Token> tokenize(const std::u16string& source);

// Java's reserved words (and the literals true, false, null).
bool isKeyword(const std::u16string& word);

} // namespace runtime
