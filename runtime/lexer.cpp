// The lexer: Java's lexical grammar for one element's text. Unicode escapes are replaced before anything
// else (Java does so before it reads tokens, so an escaped quote closes a string); then white space and
// comments separate tokens, the longest operator spelling wins, and numerals are read with their radix
// prefix, underscores and suffix. Every malformed token ends the list as an error token with the German
// message, which the parser reports when it reaches it.
#include "runtime/lexer.h"

#include "runtime/javatext.h"
#include "runtime/messages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

namespace runtime {

namespace {

bool isLineEnd(char16_t c)
{
    return c == u'\n' || c == u'\r';
}

struct OperatorSpelling
{
    std::u16string_view text;
    Punct op;
};

// Operators, longest first so that the longest spelling wins.
constexpr std::array<OperatorSpelling, 50> kOperators = {{
    {u">>>=", Punct::UshrAssign},
    {u"<<=", Punct::ShlAssign},
    {u">>=", Punct::ShrAssign},
    {u">>>", Punct::Ushr},
    {u"...", Punct::Ellipsis},
    {u"->", Punct::Arrow},
    {u"::", Punct::ColonColon},
    {u"++", Punct::Inc},
    {u"--", Punct::Dec},
    {u"&&", Punct::AndAnd},
    {u"||", Punct::OrOr},
    {u"==", Punct::Eq},
    {u"!=", Punct::Ne},
    {u"<=", Punct::Le},
    {u">=", Punct::Ge},
    {u"+=", Punct::PlusAssign},
    {u"-=", Punct::MinusAssign},
    {u"*=", Punct::StarAssign},
    {u"/=", Punct::SlashAssign},
    {u"%=", Punct::PercentAssign},
    {u"&=", Punct::AmpAssign},
    {u"|=", Punct::BarAssign},
    {u"^=", Punct::CaretAssign},
    {u"<<", Punct::Shl},
    {u">>", Punct::Shr},
    {u"(", Punct::LParen},
    {u")", Punct::RParen},
    {u"{", Punct::LBrace},
    {u"}", Punct::RBrace},
    {u"[", Punct::LBracket},
    {u"]", Punct::RBracket},
    {u";", Punct::Semicolon},
    {u",", Punct::Comma},
    {u".", Punct::Dot},
    {u"@", Punct::At},
    {u"=", Punct::Assign},
    {u">", Punct::Gt},
    {u"<", Punct::Lt},
    {u"!", Punct::Not},
    {u"~", Punct::Tilde},
    {u"?", Punct::Question},
    {u":", Punct::Colon},
    {u"+", Punct::Plus},
    {u"-", Punct::Minus},
    {u"*", Punct::Star},
    {u"/", Punct::Slash},
    {u"%", Punct::Percent},
    {u"&", Punct::Amp},
    {u"|", Punct::Bar},
    {u"^", Punct::Caret},
}};

class Lexer
{
public:
    explicit Lexer(std::u16string source) : m_s(std::move(source)) {}

    std::vector<Token> run()
    {
        std::vector<Token> tokens;
        if (!translateUnicodeEscapes()) {
            tokens.push_back(error(msg::kBadUnicodeEscape));
            return tokens;
        }
        while (true) {
            Token t = next();
            const Tok kind = t.kind;
            tokens.push_back(std::move(t));
            if (kind == Tok::End || kind == Tok::Error)
                return tokens;
        }
    }

private:
    static Token error(std::string message)
    {
        Token t;
        t.kind = Tok::Error;
        t.text = fromCp1252(message);
        return t;
    }

    // \uXXXX (any number of u) where the backslash is not itself escaped.
    bool translateUnicodeEscapes()
    {
        if (m_s.find(u"\\u") == std::u16string::npos)
            return true;
        std::u16string out;
        std::size_t backslashes = 0;
        for (std::size_t i = 0; i < m_s.size(); ++i) {
            const char16_t c = m_s[i];
            if (c == u'\\' && backslashes % 2 == 0 && i + 1 < m_s.size() && m_s[i + 1] == u'u') {
                std::size_t j = i + 1;
                while (j < m_s.size() && m_s[j] == u'u')
                    ++j;
                if (j + 4 > m_s.size())
                    return false;
                int value = 0;
                for (std::size_t k = j; k < j + 4; ++k) {
                    const int h = hexDigitValue(m_s[k]);
                    if (h < 0)
                        return false;
                    value = value * 16 + h;
                }
                out.push_back(static_cast<char16_t>(value));
                i = j + 3;
                backslashes = 0;
                continue;
            }
            backslashes = c == u'\\' ? backslashes + 1 : 0;
            out.push_back(c);
        }
        m_s = std::move(out);
        return true;
    }

    char16_t peek(std::size_t ahead = 0) const
    {
        return m_pos + ahead < m_s.size() ? m_s[m_pos + ahead] : u'\0';
    }
    bool atEnd(std::size_t ahead = 0) const { return m_pos + ahead >= m_s.size(); }

    // Skips white space and comments; false on an unterminated comment.
    bool skipSpace()
    {
        while (!atEnd()) {
            const char16_t c = peek();
            if (c == u' ' || c == u'\t' || c == u'\f' || isLineEnd(c)) {
                ++m_pos;
            } else if (c == u'/' && peek(1) == u'/') {
                while (!atEnd() && !isLineEnd(peek()))
                    ++m_pos;
            } else if (c == u'/' && peek(1) == u'*') {
                const std::size_t close = m_s.find(u"*/", m_pos + 2);
                if (close == std::u16string::npos)
                    return false;
                m_pos = close + 2;
            } else {
                return true;
            }
        }
        return true;
    }

    Token next()
    {
        if (!skipSpace())
            return error(msg::kUnclosedComment);
        Token t;
        if (atEnd())
            return t;
        const char16_t c = peek();
        if (isIdentifierStart(c)) {
            const std::size_t start = m_pos;
            while (!atEnd() && isIdentifierPart(peek()))
                ++m_pos;
            t.kind = Tok::Identifier;
            for (std::size_t i = start; i < m_pos; ++i) {
                // Characters Java ignores inside identifiers are left out of the name.
                const char16_t ch = m_s[i];
                if (!(ch <= 0x08 || (ch >= 0x0E && ch <= 0x1B) || (ch >= 0x7F && ch <= 0x9F)))
                    t.text.push_back(ch);
            }
            return t;
        }
        if (isAsciiDigit(c) || (c == u'.' && isAsciiDigit(peek(1))))
            return number();
        if (c == u'\'')
            return charLiteral();
        if (c == u'"')
            return stringLiteral();
        for (const OperatorSpelling& op : kOperators) {
            if (m_s.compare(m_pos, op.text.size(), op.text) == 0) {
                m_pos += op.text.size();
                t.kind = Tok::Operator;
                t.op = op.op;
                return t;
            }
        }
        return error(msg::unexpectedCharacter(toCp1252(std::u16string(1, c))));
    }

    // One escape sequence after a backslash; -1 when it is not one.
    int escape()
    {
        const char16_t c = peek();
        ++m_pos;
        switch (c) {
        case u'b':
            return u'\b';
        case u't':
            return u'\t';
        case u'n':
            return u'\n';
        case u'f':
            return u'\f';
        case u'r':
            return u'\r';
        case u's':
            return u' ';
        case u'"':
            return u'"';
        case u'\'':
            return u'\'';
        case u'\\':
            return u'\\';
        default:
            break;
        }
        if (c >= u'0' && c <= u'7') {
            // Octal: up to three digits, the first of three at most 3.
            int value = c - u'0';
            const int maxDigits = c <= u'3' ? 3 : 2;
            for (int n = 1; n < maxDigits && peek() >= u'0' && peek() <= u'7'; ++n, ++m_pos)
                value = value * 8 + (peek() - u'0');
            return value;
        }
        return -1;
    }

    Token charLiteral()
    {
        ++m_pos;
        if (atEnd() || peek() == u'\'' || isLineEnd(peek()))
            return error(msg::kBadCharLiteral);
        int value = peek();
        ++m_pos;
        if (value == u'\\') {
            value = escape();
            if (value < 0)
                return error(msg::kBadEscape);
        }
        if (peek() != u'\'')
            return error(msg::kBadCharLiteral);
        ++m_pos;
        Token t;
        t.kind = Tok::CharLiteral;
        t.integer = value;
        return t;
    }

    Token stringLiteral()
    {
        if (m_s.compare(m_pos, 3, u"\"\"\"") == 0)
            return error(msg::kTextBlock);
        ++m_pos;
        Token t;
        t.kind = Tok::StringLiteral;
        while (true) {
            if (atEnd() || isLineEnd(peek()))
                return error(msg::kUnclosedString);
            const char16_t c = peek();
            ++m_pos;
            if (c == u'"')
                return t;
            if (c == u'\\') {
                const int value = escape();
                if (value < 0)
                    return error(msg::kBadEscape);
                t.text.push_back(static_cast<char16_t>(value));
            } else {
                t.text.push_back(c);
            }
        }
    }

    // Digits of `radix` with underscores between them, appended to `digits`; false when an underscore
    // does not stand between two digits.
    bool digitsOf(int radix, std::string& digits)
    {
        const std::optional<DigitRun> run = readDigits(m_s, m_pos, radix, true, digits);
        if (!run)
            return false;
        m_pos = run->end;
        return true;
    }

    // A numeral after 0x or 0b: a hexadecimal or binary integer, or a hexadecimal floating-point number.
    Token prefixedNumber()
    {
        const std::size_t start = m_pos;
        const bool hex = peek(1) == u'x' || peek(1) == u'X';
        m_pos += 2;
        std::string digits;
        if (!digitsOf(hex ? 16 : 2, digits))
            return error(msg::kBadNumber);
        if (hex && (peek() == u'.' || peek() == u'p' || peek() == u'P')) {
            m_pos = start;
            return floatNumeral();
        }
        if (digits.empty() || (isIdentifierPart(peek()) && peek() != u'l' && peek() != u'L'))
            return error(msg::kBadNumber);
        return integer(digits, hex ? 16 : 2);
    }

    Token number()
    {
        const std::size_t start = m_pos;
        if (peek() == u'0' && (peek(1) == u'x' || peek(1) == u'X' || peek(1) == u'b' || peek(1) == u'B'))
            return prefixedNumber();
        std::string digits;
        if (!digitsOf(10, digits))
            return error(msg::kBadNumber);
        const char16_t c = peek();
        if (c == u'.' || c == u'e' || c == u'E' || c == u'f' || c == u'F' || c == u'd' || c == u'D') {
            m_pos = start;
            return floatNumeral();
        }
        if (isIdentifierPart(c) && c != u'l' && c != u'L')
            return error(msg::kBadNumber);
        if (digits.size() > 1 && digits[0] == '0') {
            if (digits.find_first_of("89") != std::string::npos)
                return error(msg::kBadNumber);
            return integer(digits.substr(1), 8);
        }
        return integer(digits, 10);
    }

    // An integer literal's digits in `radix`, then an optional L.
    Token integer(const std::string& digits, int radix)
    {
        Token t;
        const bool isLong = peek() == u'l' || peek() == u'L';
        if (isLong)
            ++m_pos;
        if (isIdentifierPart(peek()))
            return error(msg::kBadNumber);
        t.kind = isLong ? Tok::LongLiteral : Tok::IntLiteral;
        const unsigned bits = isLong ? 64 : 32;
        // Decimal literals go up to 2^(bits-1) (only after a minus); the others fill all the bits.
        const std::uint64_t max = radix == 10  ? (std::uint64_t{1} << (bits - 1))
                                  : bits == 64 ? ~std::uint64_t{0}
                                               : (std::uint64_t{1} << bits) - 1;
        const std::optional<std::uint64_t> read = readUnsigned(digits, radix);
        if (!read || *read > max)
            return error(msg::kNumberTooLarge);
        const std::uint64_t value = *read;
        if (radix == 10 && value == max)
            t.limit = true;
        if (isLong)
            t.integer = static_cast<std::int64_t>(value);
        else
            t.integer = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
        return t;
    }

    Token floatResult(const std::string& text, bool zeroDigits)
    {
        Token t;
        if (peek() == u'f' || peek() == u'F')
            return error(msg::kFloatUnsupported);
        if (peek() == u'd' || peek() == u'D')
            ++m_pos;
        if (isIdentifierPart(peek()))
            return error(msg::kBadNumber);
        t.kind = Tok::DoubleLiteral;
        t.number = readDouble(text);
        if (std::isinf(t.number))
            return error(msg::kNumberTooLarge);
        if (t.number == 0 && !zeroDigits)
            return error(msg::kNumberTooSmall);
        return t;
    }

    // A floating-point literal from the current place on (the grammar Double.parseDouble shares, with
    // underscores between digits), then its suffix.
    Token floatNumeral()
    {
        const std::optional<FloatNumeral> numeral = readFloatNumeral(m_s, m_pos, true);
        if (!numeral)
            return error(msg::kBadNumber);
        m_pos = numeral->end;
        return floatResult(numeral->text, numeral->zero);
    }

    std::u16string m_s;
    std::size_t m_pos = 0;
};

} // namespace

std::vector<Token> tokenize(const std::u16string& source)
{
    return Lexer(source).run();
}

std::u16string_view spelling(Punct p)
{
    for (const OperatorSpelling& op : kOperators)
        if (op.op == p)
            return op.text;
    return {};
}

bool isAssignment(Punct p)
{
    return p == Punct::Assign || compoundOperator(p) != Punct::None;
}

Punct compoundOperator(Punct p)
{
    switch (p) {
    case Punct::PlusAssign:
        return Punct::Plus;
    case Punct::MinusAssign:
        return Punct::Minus;
    case Punct::StarAssign:
        return Punct::Star;
    case Punct::SlashAssign:
        return Punct::Slash;
    case Punct::PercentAssign:
        return Punct::Percent;
    case Punct::AmpAssign:
        return Punct::Amp;
    case Punct::BarAssign:
        return Punct::Bar;
    case Punct::CaretAssign:
        return Punct::Caret;
    case Punct::ShlAssign:
        return Punct::Shl;
    case Punct::ShrAssign:
        return Punct::Shr;
    case Punct::UshrAssign:
        return Punct::Ushr;
    default:
        return Punct::None;
    }
}

bool isKeyword(const std::u16string& word)
{
    static constexpr std::array<std::u16string_view, 54> kKeywords = {
        u"abstract", u"assert", u"boolean",    u"break",     u"byte",       u"case",      u"catch",
        u"char",     u"class",  u"const",      u"continue",  u"default",    u"do",        u"double",
        u"else",     u"enum",   u"extends",    u"final",     u"finally",    u"float",     u"for",
        u"goto",     u"if",     u"implements", u"import",    u"instanceof", u"int",       u"interface",
        u"long",     u"native", u"new",        u"package",   u"private",    u"protected", u"public",
        u"return",   u"short",  u"static",     u"strictfp",  u"super",      u"switch",    u"synchronized",
        u"this",     u"throw",  u"throws",     u"transient", u"try",        u"void",      u"volatile",
        u"while",    u"true",   u"false",      u"null",      u"_",
    };
    return std::find(kKeywords.begin(), kKeywords.end(), word) != kKeywords.end();
}

} // namespace runtime
