#pragma once

// The tokens of one Java fragment: an element's text as the export writes it into the Java source.

#include <cstdint>
#include <string>
#include <string_view>
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
    Operator, // `op` says which
    Error,    // `text` holds the German description
};

// The operators and separators of Java. The lexer names each token by one of these, so that the parser
// and the checker compare enumerators, never spellings; spelling() gives the text back for messages.
enum class Punct : std::uint8_t {
    None,
    // Separators
    LParen,
    RParen,
    LBrace,
    RBrace,
    LBracket,
    RBracket,
    Semicolon,
    Comma,
    Dot,
    Ellipsis,
    At,
    ColonColon,
    Arrow,
    // Operators
    Assign,
    Gt,
    Lt,
    Not,
    Tilde,
    Question,
    Colon,
    Eq,
    Le,
    Ge,
    Ne,
    AndAnd,
    OrOr,
    Inc,
    Dec,
    Plus,
    Minus,
    Star,
    Slash,
    Percent,
    Amp,
    Bar,
    Caret,
    Shl,
    Shr,
    Ushr,
    // Compound assignments: each is its operator's enumerator with "=" after it (see compoundOperator).
    PlusAssign,
    MinusAssign,
    StarAssign,
    SlashAssign,
    PercentAssign,
    AmpAssign,
    BarAssign,
    CaretAssign,
    ShlAssign,
    ShrAssign,
    UshrAssign,
};

// The spelling of `p` as Java writes it ("" for Punct::None).
std::u16string_view spelling(Punct p);
// Whether `p` is "=" or a compound assignment.
bool isAssignment(Punct p);
// The operator a compound assignment applies: Plus for PlusAssign, ...; None for anything else.
Punct compoundOperator(Punct p);

struct Token
{
    Tok kind = Tok::End;
    // Identifier: the spelling. String literal: the value. Error: the description (cp1252).
    std::u16string text;
    Punct op = Punct::None; // Operator: which one
    // Int and long literals: the value (2147483648 and 9223372036854775808L are kept as the wrapped
    // value with `limit` set: they are allowed only after a unary minus). Char literal: the character.
    std::int64_t integer = 0;
    double number = 0;
    bool limit = false;

    bool is(Punct p) const { return kind == Tok::Operator && op == p; }
    // Whether the token is the identifier or keyword `word`.
    bool isWord(std::u16string_view word) const { return kind == Tok::Identifier && text == word; }
};

// Splits `source` into tokens ending with Tok::End. Unicode escapes (\uXXXX) are replaced first, as
// Java does; comments and white space separate tokens. The first malformed token ends the list with
// a Tok::Error token.
std::vector<Token> tokenize(const std::u16string& source);

// Java's reserved words (and the literals true, false, null).
bool isKeyword(const std::u16string& word);

} // namespace runtime
