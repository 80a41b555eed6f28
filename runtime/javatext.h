#pragma once

// Java's text rules for the interpreter: the code page 1252 boundary, how numbers print and parse, and
// which characters Java counts as white space and as parts of names (runtime/javachar.h: the other
// character classes and the case rules). Java strings are UTF-16 code units,
// so they are kept as std::u16string here; the design and the console keep code page 1252 bytes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace runtime {

// Code page 1252 bytes to UTF-16 and back, for the German messages; the five undefined bytes map to the
// C1 controls of the same value. A character outside code page 1252 is written as Java source spells it
// there, "\u0141" (a character beyond the first plane as its two code units).
std::u16string fromCp1252(std::string_view bytes);
std::string toCp1252(std::u16string_view text);

// UTF-16 to UTF-8, as Java's UTF-8 PrintStream writes it (a lone surrogate becomes '?').
std::string toUtf8(std::u16string_view text);

// UTF-8 to UTF-16 in pieces, as Java's reader decodes a byte stream: a character cut at the end of a
// piece waits for the next one; malformed bytes become U+FFFD.
class Utf8Decoder
{
public:
    // Appends the characters of `bytes` (after what was left over) to `out`; `last`: no more follow.
    void decode(std::string_view bytes, std::u16string& out, bool last);

private:
    std::string m_pending;
};

// The digits Double.toString prints for a finite value other than zero: "49" and -324 for 4.9E-324
// (the value is 0.d1d2... times 10^(exponent + 1); no trailing zeros but the first digit).
struct Decimal
{
    std::string digits;
    int exponent = 0;
};
Decimal shortestDigits(double value);

// Integer.toString / Long.toString.
void appendInteger(std::u16string& out, std::int64_t value);
// Double.toString: the shortest decimal that reads back as `value` (two digits where one would do and
// two are closer), plain between 10^-3 and 10^7, "d.dddE[-]n" outside; "NaN", "Infinity", "-0.0".
void appendDouble(std::u16string& out, double value);
std::string doubleToString(double value);

// The digits of numerals in Java's source and Java's parsing methods: 0-9, and for hexadecimal also
// a-f and A-F (the value, or -1 for any other character).
bool isAsciiDigit(char16_t c);
int hexDigitValue(char16_t c);
// ASCII digits of `radix` as an unsigned 64-bit value; nothing for any other character, no digit or a
// value beyond 64 bits.
std::optional<std::uint64_t> readUnsigned(std::string_view digits, int radix);
// A run of digits of `radix` from `pos`, appended to `out`; with `underscores`, single or repeated
// underscores may stand between two digits (as in Java's numerals). The end of the run and how many
// digits it has; nothing when an underscore does not stand between digits.
struct DigitRun
{
    std::size_t end;
    std::size_t digits;
};
std::optional<DigitRun> readDigits(std::u16string_view s, std::size_t pos, int radix, bool underscores,
                                   std::string& out);

// Java's floating-point numeral from `pos` on, as the lexer and Double.parseDouble read it: decimal
// digits with an optional point and an optional exponent (e or E, a sign, digits), with at least one
// digit before or after the point; or 0x (0X), hexadecimal digits with an optional point (at least one
// digit) and a binary exponent (p or P, a sign, decimal digits). With `underscores` (program text)
// underscores may stand between digits. No sign and no suffix. Nothing where no such numeral starts.
struct FloatNumeral
{
    std::size_t end = 0; // where the numeral ends in the text
    std::string text;    // for readDouble, without underscores
    bool zero = true;    // all its digits are zero
};
std::optional<FloatNumeral> readFloatNumeral(std::u16string_view s, std::size_t pos, bool underscores);

// Integer.parseInt and Long.parseLong: an optional sign and decimal digits; nothing on any other text
// or on overflow.
std::optional<std::int32_t> parseJavaInt(std::u16string_view text);
std::optional<std::int64_t> parseJavaLong(std::u16string_view text);
// Double.parseDouble: surrounding characters up to ' ' trimmed, an optional sign, "NaN", "Infinity",
// decimal digits with an optional point and exponent, or a hexadecimal number with a binary exponent;
// an optional suffix f, F, d or D. Correctly rounded; nothing on any other text.
std::optional<double> parseJavaDouble(std::u16string_view text);
// The value of a decimal or hexadecimal ("0x", binary exponent "p") floating-point numeral with an
// optional sign, correctly rounded by std::from_chars whatever the program's locale is; beyond the
// range of double infinity, below it zero.
double readDouble(std::string_view text);

// Character.isWhitespace for a code unit (no character beyond the first plane is white space), and
// Character.isJavaIdentifierStart / Part.
bool isJavaWhitespace(char16_t c);
bool isIdentifierStart(char16_t c);
bool isIdentifierPart(char16_t c);

} // namespace runtime
