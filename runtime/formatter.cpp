// Java's Formatter in two passes, as Java runs it: the whole format is read and its specifiers checked
// first (a fault there writes nothing), then the pieces are written one after the other, each specifier
// with its argument (a fault of an argument comes after what stands before it was written).

#include "runtime/formatter.h"

#include "runtime/javachar.h"
#include "runtime/javatext.h"
#include "runtime/messages.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <limits>
#include <optional>
#include <tuple>

namespace runtime {

namespace {

// The flags, each a bit; kFlagChars lists their characters in the same order, which is the order
// Java's messages name them in. kUpper is no flag a format can write: an upper-case conversion sets
// it, and Java's messages show it as '^' ("Flags = '^+ '" for "%+ X").
enum Flag : unsigned {
    kLeft = 1u << 0,
    kUpper = 1u << 1,
    kAlternate = 1u << 2,
    kPlus = 1u << 3,
    kSpace = 1u << 4,
    kZero = 1u << 5,
    kGroup = 1u << 6,
    kParens = 1u << 7,
    kPrevious = 1u << 8,
};
constexpr char kFlagChars[] = "-^#+ 0,(<";
constexpr unsigned kFlagCount = sizeof kFlagChars - 1;

unsigned flagOf(char16_t c)
{
    for (unsigned i = 0; i < kFlagCount; ++i)
        if (c == static_cast<char16_t>(kFlagChars[i]) && c != u'^')
            return 1u << i;
    return 0;
}

std::string flagText(unsigned flags)
{
    std::string out;
    for (unsigned i = 0; i < kFlagCount; ++i)
        if (flags & (1u << i))
            out.push_back(kFlagChars[i]);
    return out;
}

// The argument a specifier takes.
enum Index : int {
    kNextArgument = 0, // the next in order; n > 0 stands for the n-th
    kPreviousArgument = -1,
    kNoArgument = -2, // %% and %n
};

// The rules a conversion follows.
enum class Kind { General, Character, Integer, Float, Text, DateTime };

struct Specifier
{
    std::u16string written; // as the format writes it, for the German message
    int index = kNextArgument;
    unsigned flags = 0;
    int width = -1;     // -1: none
    int precision = -1; // -1: none
    bool dateTime = false;
    char16_t conversion = 0; // lower case, but for date and time; kUpper says it was upper case

    bool has(unsigned flag) const { return (flags & flag) != 0; }
    bool upper() const { return has(kUpper); }
    Kind kind() const
    {
        if (dateTime)
            return Kind::DateTime;
        switch (conversion) {
        case u'b':
        case u'h':
        case u's':
            return Kind::General;
        case u'c':
            return Kind::Character;
        case u'd':
        case u'o':
        case u'x':
            return Kind::Integer;
        case u'e':
        case u'f':
        case u'g':
        case u'a':
            return Kind::Float;
        default:
            return Kind::Text;
        }
    }
};

char asciiUpper(char16_t c)
{
    return static_cast<char>(c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c);
}

// The specifier as Java's messages show it: flags, index, width, precision, conversion.
std::string javaText(const Specifier& s)
{
    std::string out = "%" + flagText(s.flags & ~kUpper);
    if (s.index > 0)
        out += std::to_string(s.index) + "$";
    if (s.width != -1)
        out += std::to_string(s.width);
    if (s.precision != -1)
        out += "." + std::to_string(s.precision);
    if (s.dateTime)
        out.push_back(s.upper() ? 'T' : 't');
    out.push_back(s.upper() ? asciiUpper(s.conversion) : static_cast<char>(s.conversion));
    return out;
}

// Characters of the format in Java's message of an exception, in the encoding the exception's detail
// has.
std::string inDetail(std::u16string_view text)
{
    return toUtf8(text);
}

// The specifier as the format writes it, for the German messages.
std::string written(const Specifier& s)
{
    return toCp1252(s.written);
}

[[noreturn]] void failMismatch(char flag, char16_t conversion, const Specifier& s)
{
    throwJava(JavaError::FormatFlagsConversionMismatch,
              "Conversion = " + inDetail(std::u16string(1, conversion)) + ", Flags = " + flag,
              msg::flagNotAllowed(written(s), std::string(1, flag)));
}

[[noreturn]] void failFlags(const Specifier& s)
{
    throwJava(JavaError::IllegalFormatFlags, "Flags = '" + flagText(s.flags) + "'",
              msg::flagsExclusive(written(s)));
}

[[noreturn]] void failUnknown(const std::u16string& conversion, const Specifier& s)
{
    throwJava(JavaError::UnknownFormatConversion, "Conversion = '" + inDetail(conversion) + "'",
              msg::unknownConversion(written(s), toCp1252(conversion)));
}

// Fails on the first of `flags` (characters, in the order given) that the specifier has.
void refuseFlags(const Specifier& s, std::string_view flags)
{
    for (const char c : flags)
        if (s.has(flagOf(static_cast<char16_t>(c))))
            failMismatch(c, s.conversion, s);
}

void requireWidthForLeft(const Specifier& s)
{
    if (s.width == -1 && s.has(kLeft))
        throwJava(JavaError::MissingFormatWidth, javaText(s), msg::widthMissing(written(s)));
}

// --- Reading a format ---

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

std::size_t skipDigits(const std::u16string& f, std::size_t at)
{
    while (at < f.size() && isDigit(f[at]))
        ++at;
    return at;
}

// Where the parts of %[index$][flags][width][.precision][t]conversion stand; an absent part is empty.
struct Parts
{
    std::size_t indexBegin = 0, indexEnd = 0; // the digits before '$'
    std::size_t flagsBegin = 0, flagsEnd = 0;
    std::size_t widthBegin = 0, widthEnd = 0;
    std::size_t precisionBegin = 0, precisionEnd = 0; // the digits after '.'
    bool hasPrecision = false;
    std::size_t dateTime = std::u16string::npos; // the 't' or 'T'
    std::size_t conversion = 0;
};

bool isConversionChar(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'%';
}

// The parts of the specifier at `percent`, or nothing where the characters after it make none. Flags
// take every flag character (also '0') before the width; a '.' must be followed by digits.
std::optional<Parts> readParts(const std::u16string& f, std::size_t percent)
{
    Parts p;
    std::size_t at = percent + 1;
    const std::size_t digitsEnd = skipDigits(f, at);
    if (digitsEnd > at && digitsEnd < f.size() && f[digitsEnd] == u'$') {
        p.indexBegin = at;
        p.indexEnd = digitsEnd;
        at = digitsEnd + 1;
    }
    p.flagsBegin = at;
    while (at < f.size() && flagOf(f[at]) != 0)
        ++at;
    p.flagsEnd = p.widthBegin = at;
    p.widthEnd = at = skipDigits(f, at);
    if (at < f.size() && f[at] == u'.') {
        p.hasPrecision = true;
        p.precisionBegin = at + 1;
        p.precisionEnd = at = skipDigits(f, at + 1);
        if (p.precisionEnd == p.precisionBegin)
            return std::nullopt;
    }
    if (at + 1 < f.size() && (f[at] == u't' || f[at] == u'T') && isConversionChar(f[at + 1]))
        p.dateTime = at++;
    if (at >= f.size() || !isConversionChar(f[at]))
        return std::nullopt;
    p.conversion = at;
    return p;
}

// Integer.parseInt of the digits, or nothing beyond int's range.
std::optional<int> readInt(const std::u16string& f, std::size_t begin, std::size_t end)
{
    long long value = 0;
    for (std::size_t i = begin; i < end; ++i) {
        value = value * 10 + (f[i] - u'0');
        if (value > std::numeric_limits<int>::max())
            return std::nullopt;
    }
    return static_cast<int>(value);
}

constexpr std::u16string_view kConversions = u"bBhHsScCdoxXeEgGfaAn%";
constexpr std::u16string_view kDateTimeConversions = u"HIklMSLNpzZsQBbhAaCYyjmdeRTrDFc";

void readIndexAndFlags(Specifier& s, const std::u16string& f, const Parts& p)
{
    if (p.indexEnd > p.indexBegin) {
        const std::optional<int> index = readInt(f, p.indexBegin, p.indexEnd);
        if (!index)
            throwJava(JavaError::IllegalFormatArgumentIndex,
                      "Format argument index: (not representable as int)", msg::badArgumentIndex(written(s)));
        if (*index <= 0)
            throwJava(JavaError::IllegalFormatArgumentIndex,
                      "Illegal format argument index = " + std::to_string(*index),
                      msg::badArgumentIndex(written(s)));
        s.index = *index;
    }
    for (std::size_t i = p.flagsBegin; i < p.flagsEnd; ++i) {
        const unsigned flag = flagOf(f[i]);
        if (s.has(flag))
            throwJava(JavaError::DuplicateFormatFlags, "Flags = '" + flagText(flag) + "'",
                      msg::duplicateFlag(written(s), flagText(flag)));
        s.flags |= flag;
    }
    if (s.has(kPrevious))
        s.index = kPreviousArgument;
}

void readWidthAndPrecision(Specifier& s, const std::u16string& f, const Parts& p)
{
    const std::string beyondInt = std::to_string(std::numeric_limits<int>::min());
    if (p.widthEnd > p.widthBegin) {
        const std::optional<int> width = readInt(f, p.widthBegin, p.widthEnd);
        if (!width)
            throwJava(JavaError::IllegalFormatWidth, beyondInt, msg::formatNumberTooLarge(written(s)));
        s.width = *width;
    }
    if (p.hasPrecision) {
        const std::optional<int> precision = readInt(f, p.precisionBegin, p.precisionEnd);
        if (!precision)
            throwJava(JavaError::IllegalFormatPrecision, beyondInt, msg::formatNumberTooLarge(written(s)));
        s.precision = *precision;
    }
}

void readConversion(Specifier& s, const std::u16string& f, const Parts& p)
{
    char16_t c = f[p.conversion];
    if (p.dateTime != std::u16string::npos) {
        s.dateTime = true;
        if (f[p.dateTime] == u'T')
            s.flags |= kUpper;
    } else {
        if (kConversions.find(c) == std::u16string_view::npos)
            failUnknown(std::u16string(1, c), s);
        if (c >= u'A' && c <= u'Z') {
            s.flags |= kUpper;
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
        if (c == u'%' || c == u'n')
            s.index = kNoArgument;
    }
    s.conversion = c;
}

// --- The checks of each kind of conversion, made while the format is read ---

void checkNumeric(const Specifier& s)
{
    if (s.width == -1 && (s.has(kLeft) || s.has(kZero)))
        throwJava(JavaError::MissingFormatWidth, javaText(s), msg::widthMissing(written(s)));
    if ((s.has(kPlus) && s.has(kSpace)) || (s.has(kLeft) && s.has(kZero)))
        failFlags(s);
}

void refusePrecision(const Specifier& s)
{
    if (s.precision != -1)
        throwJava(JavaError::IllegalFormatPrecision, std::to_string(s.precision),
                  msg::precisionNotAllowed(written(s)));
}

void checkText(const Specifier& s)
{
    refusePrecision(s);
    if (s.conversion == u'%') {
        if (s.flags != 0 && s.flags != kLeft)
            failFlags(s);
        requireWidthForLeft(s);
        return;
    }
    if (s.width != -1)
        throwJava(JavaError::IllegalFormatWidth, std::to_string(s.width), msg::widthNotAllowed(written(s)));
    if (s.flags != 0)
        failFlags(s);
}

void checkSpecifier(const Specifier& s)
{
    switch (s.kind()) {
    case Kind::General:
        if ((s.conversion == u'b' || s.conversion == u'h') && s.has(kAlternate))
            failMismatch('#', s.conversion, s);
        requireWidthForLeft(s);
        refuseFlags(s, "+ 0,(");
        break;
    case Kind::Character:
    case Kind::DateTime:
        refusePrecision(s);
        if (s.dateTime && kDateTimeConversions.find(s.conversion) == std::u16string_view::npos)
            failUnknown(u"t" + std::u16string(1, s.conversion), s);
        refuseFlags(s, "#+ 0,(");
        requireWidthForLeft(s);
        break;
    case Kind::Integer:
        checkNumeric(s);
        refusePrecision(s);
        refuseFlags(s, s.conversion == u'd' ? "#" : ",");
        break;
    case Kind::Float:
        checkNumeric(s);
        refuseFlags(s, s.conversion == u'a'   ? "(,"
                       : s.conversion == u'e' ? ","
                       : s.conversion == u'g' ? "#"
                                              : "");
        break;
    case Kind::Text:
        checkText(s);
        break;
    }
}

// A piece of a format: literal text, or a specifier.
struct Piece
{
    std::u16string literal;
    std::optional<Specifier> specifier;
};

Specifier readSpecifier(const std::u16string& f, std::size_t percent, std::size_t& next)
{
    Specifier s;
    const std::optional<Parts> parts = readParts(f, percent);
    if (!parts) {
        // No specifier starts here: Java names the character after the '%' (or the '%' at the end).
        const std::u16string after = percent + 1 < f.size() ? f.substr(percent + 1, 1) : u"%";
        s.written = f.substr(percent, 2);
        throwJava(JavaError::UnknownFormatConversion, "Conversion = '" + inDetail(after) + "'",
                  msg::incompleteFormat(written(s)));
    }
    next = parts->conversion + 1;
    s.written = f.substr(percent, next - percent);
    readIndexAndFlags(s, f, *parts);
    readWidthAndPrecision(s, f, *parts);
    readConversion(s, f, *parts);
    checkSpecifier(s);
    return s;
}

std::vector<Piece> readFormat(const std::u16string& format)
{
    std::vector<Piece> pieces;
    std::size_t i = 0;
    while (i < format.size()) {
        const std::size_t percent = format.find(u'%', i);
        if (percent != i)
            pieces.push_back({format.substr(i, percent - i), std::nullopt});
        if (percent == std::u16string::npos)
            break;
        pieces.push_back({{}, readSpecifier(format, percent, i)});
    }
    return pieces;
}

// --- Writing ---

std::u16string ascii(std::string_view s)
{
    return {s.begin(), s.end()};
}

// Pads to the width with spaces: before the text, or after it with '-'.
void appendJustified(std::u16string& out, const Specifier& s, std::u16string_view text)
{
    const std::size_t width = s.width < 0 ? 0 : static_cast<std::size_t>(s.width);
    const std::size_t pad = width > text.size() ? width - text.size() : 0;
    if (s.has(kLeft))
        out += text;
    out.append(pad, u' ');
    if (!s.has(kLeft))
        out += text;
}

// Text of the general conversions: cut to the precision, upper case for the upper-case conversion.
void appendText(std::u16string& out, const Specifier& s, std::u16string text)
{
    if (s.precision != -1 && static_cast<std::size_t>(s.precision) < text.size())
        text.resize(static_cast<std::size_t>(s.precision));
    appendJustified(out, s, s.upper() ? upperCase(text) : text);
}

bool isNull(const FormatArg& a)
{
    return !a.type.isPrimitive() && !a.ref;
}

// Java's class name of a boxed argument, for IllegalFormatConversionException.
std::string boxedName(const FormatArg& a)
{
    if (a.type.array) {
        switch (a.type.base) {
        case Base::Boolean:
            return "[Z";
        case Base::Char:
            return "[C";
        case Base::Int:
            return "[I";
        case Base::Long:
            return "[J";
        case Base::Double:
            return "[D";
        default:
            return "[Ljava.lang.String;";
        }
    }
    switch (a.type.base) {
    case Base::Boolean:
        return "java.lang.Boolean";
    case Base::Char:
        return "java.lang.Character";
    case Base::Int:
        return "java.lang.Integer";
    case Base::Long:
        return "java.lang.Long";
    case Base::Double:
        return "java.lang.Double";
    case Base::String:
        return "java.lang.String";
    default:
        return "java.util.Scanner";
    }
}

[[noreturn]] void failConversion(const Specifier& s, const FormatArg& a)
{
    throwJava(JavaError::IllegalFormatConversion,
              inDetail(std::u16string(1, s.conversion)) + " != " + boxedName(a),
              msg::formatValueType(written(s), typeName(a.type)));
}

std::string hexDigits(std::uint64_t value)
{
    std::string digits;
    for (std::uint64_t rest = value; rest != 0 || digits.empty(); rest >>= 4)
        digits.insert(digits.begin(), "0123456789abcdef"[rest & 15]);
    return digits;
}

// hashCode() of the boxed argument; arrays and scanners have their creation number as identity.
std::uint32_t hashOf(const FormatArg& a)
{
    if (a.type == kString) {
        std::uint32_t hash = 0;
        for (const char16_t ch : textOf(a.ref))
            hash = hash * 31 + ch;
        return hash;
    }
    if (a.type == kInt || a.type == kChar)
        return static_cast<std::uint32_t>(a.prim.i);
    if (a.type == kBoolean)
        return a.prim.i ? 1231 : 1237;
    if (a.type == kLong || a.type == kDouble) {
        const double d = std::isnan(a.prim.d) ? std::numeric_limits<double>::quiet_NaN() : a.prim.d;
        const auto bits =
            a.type == kLong ? static_cast<std::uint64_t>(a.prim.l) : std::bit_cast<std::uint64_t>(d);
        return static_cast<std::uint32_t>(bits ^ (bits >> 32));
    }
    return a.type.array ? static_cast<const JArray*>(a.ref.get())->identity() : 0;
}

// b, h, s: any value.
void appendGeneral(std::u16string& out, const Specifier& s, const FormatArg& a)
{
    std::u16string text;
    if (s.conversion == u'b') {
        text = isNull(a) || (a.type == kBoolean && !a.prim.i) ? u"false" : u"true";
    } else if (s.conversion == u'h') {
        text = isNull(a) ? u"null" : ascii(hexDigits(hashOf(a)));
    } else {
        // Only a Formattable takes '#'; no value of a program is one.
        if (s.has(kAlternate))
            failMismatch('#', u's', s);
        appendValue(text, a.type, a.prim, a.ref);
    }
    appendText(out, s, std::move(text));
}

// c: a char, or an int that is a code point.
void appendCharacter(std::u16string& out, const Specifier& s, const FormatArg& a)
{
    if (isNull(a))
        return appendText(out, s, u"null");
    if (a.type != kChar && a.type != kInt)
        failConversion(s, a);
    const std::int32_t code = a.prim.i;
    if (code < 0 || code > 0x10FFFF) {
        const std::string hex = "0x" + hexDigits(static_cast<std::uint32_t>(code));
        throwJava(JavaError::IllegalFormatCodePoint, "Code point = " + hex,
                  msg::badCodePoint(written(s), hex));
    }
    std::u16string text;
    if (code > 0xFFFF) {
        const auto v = static_cast<std::uint32_t>(code - 0x10000);
        text = {static_cast<char16_t>(0xD800 + (v >> 10)), static_cast<char16_t>(0xDC00 + (v & 0x3FF))};
    } else {
        text.push_back(static_cast<char16_t>(code));
    }
    appendText(out, s, std::move(text));
}

// The sign before a number: '-' or '(' when negative, else '+' or ' ' as the flags ask.
void leadingSign(std::u16string& sb, const Specifier& s, bool negative)
{
    if (negative)
        sb.push_back(s.has(kParens) ? u'(' : u'-');
    else if (s.has(kPlus))
        sb.push_back(u'+');
    else if (s.has(kSpace))
        sb.push_back(u' ');
}

void trailingSign(std::u16string& sb, const Specifier& s, bool negative)
{
    if (negative && s.has(kParens))
        sb.push_back(u')');
}

// The width the digits are zero-padded to: the closing parenthesis of a negative number counts.
int adjustWidth(int width, const Specifier& s, bool negative)
{
    return width != -1 && negative && s.has(kParens) ? width - 1 : width;
}

// Appends the digits of `value` (ASCII digits with an optional '.') to `sb` with the locale's decimal
// separator, grouped by three before it with the '(' flag's grouping separator, and with '0' inserted
// after what `sb` held so far until it is `width` long (with the '0' flag; a width that the exponent
// leaves below zero pads nothing).
void localizedMagnitude(std::u16string& sb, const Specifier& s, std::string_view value, int width,
                        const NumberSymbols& symbols)
{
    const std::size_t begin = sb.size();
    const std::size_t dot = std::min(value.find('.'), value.size());
    for (std::size_t j = 0; j < value.size(); ++j) {
        if (j == dot) {
            sb.push_back(symbols.decimal);
            continue;
        }
        sb.push_back(static_cast<char16_t>(value[j]));
        if (s.has(kGroup) && j < dot && j + 1 != dot && (dot - j) % 3 == 1)
            sb.push_back(symbols.grouping);
    }
    if (width > 0 && s.has(kZero) && sb.size() < static_cast<std::size_t>(width))
        sb.insert(begin, static_cast<std::size_t>(width) - sb.size(), u'0');
}

// d, o, x: int and long (o and x of a negative int are those of its 32 bits).
void appendInteger(std::u16string& out, const Specifier& s, const FormatArg& a, const NumberSymbols& symbols)
{
    if (isNull(a))
        return appendText(out, s, u"null");
    if (a.type != kInt && a.type != kLong)
        failConversion(s, a);
    const std::int64_t value = a.type == kInt ? a.prim.i : a.prim.l;
    std::u16string sb;
    if (s.conversion == u'd') {
        const bool negative = value < 0;
        const std::uint64_t magnitude =
            negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
        leadingSign(sb, s, negative);
        localizedMagnitude(sb, s, std::to_string(magnitude), adjustWidth(s.width, s, negative), symbols);
        trailingSign(sb, s, negative);
        return appendJustified(out, s, sb);
    }
    // Java lets BigInteger take these flags with o and x, so only an int or a long is refused them.
    refuseFlags(s, "( +");
    const std::uint64_t bits =
        a.type == kInt ? static_cast<std::uint32_t>(a.prim.i) : static_cast<std::uint64_t>(value);
    std::string digits;
    if (s.conversion == u'o') {
        for (std::uint64_t rest = bits; rest != 0 || digits.empty(); rest >>= 3)
            digits.insert(digits.begin(), static_cast<char>('0' + (rest & 7)));
    } else {
        digits = hexDigits(bits);
    }
    const std::string prefix = !s.has(kAlternate) ? "" : s.conversion == u'o' ? "0" : "0x";
    std::u16string text = ascii(prefix);
    if (s.has(kZero) && static_cast<std::size_t>(s.width) > prefix.size() + digits.size())
        text.append(static_cast<std::size_t>(s.width) - prefix.size() - digits.size(), u'0');
    text += ascii(digits);
    appendJustified(out, s, s.upper() ? upperCase(text) : text);
}

// --- Floating point ---

// Decimal digits of a magnitude as Java's Formatter takes them from Double.toString: the value is
// 0.d1d2d3... times 10^exponent. Zero is "0" with the exponent 0.
struct Digits
{
    std::string digits;
    int exponent = 0;
};

// JDK 17 writes a whole number from 2^53 up to 2^63 with the digits of its integer value, of which it
// rounds away (half up) one less than 2^(e-54) has, e being its binary exponent: 85806844035571232
// rather than the shortest 8.580684403557123E16.
std::optional<Digits> wholeNumberDigits(double magnitude)
{
    if (magnitude < 0x1p53 || magnitude >= 0x1p63 || magnitude != std::floor(magnitude))
        return std::nullopt;
    auto value = static_cast<std::uint64_t>(magnitude);
    const int binaryExponent = static_cast<int>(std::bit_width(value)) - 1;
    // One less than the number of decimal digits of 2^(binaryExponent - 54), from 2^2 on.
    int dropped = 0;
    if (binaryExponent - 54 > 1)
        for (std::uint64_t p = std::uint64_t{1} << (binaryExponent - 54); p >= 10; p /= 10)
            ++dropped;
    std::uint64_t pow10 = 1;
    for (int i = 0; i < dropped; ++i)
        pow10 *= 10;
    const std::uint64_t residue = value % pow10;
    value = value / pow10 + (residue >= pow10 / 2 && dropped > 0 ? 1 : 0);
    std::string digits = std::to_string(value);
    const auto exponent = static_cast<int>(digits.size()) + dropped;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    return Digits{digits, exponent};
}

Digits decimalDigits(double magnitude)
{
    if (magnitude == 0)
        return {"0", 0};
    if (std::optional<Digits> whole = wholeNumberDigits(magnitude))
        return *whole;
    const Decimal d = shortestDigits(magnitude);
    return {d.digits, d.exponent + 1};
}

// Rounds half up to the first `keep` digits (the digits after them become '0'); a carry out of the
// first digit makes "10..." with the exponent one higher. Fewer than zero digits to keep: unchanged.
void roundHalfUp(Digits& d, int keep)
{
    std::string& digits = d.digits;
    if (keep < 0 || static_cast<std::size_t>(keep) >= digits.size())
        return;
    const auto k = static_cast<std::size_t>(keep);
    const bool up = digits[k] >= '5';
    std::fill(digits.begin() + static_cast<std::ptrdiff_t>(k), digits.end(), '0');
    if (!up)
        return;
    std::size_t i = k;
    while (i > 0 && digits[i - 1] == '9')
        digits[--i] = '0';
    if (i == 0) {
        digits[0] = '1';
        ++d.exponent;
    } else {
        ++digits[i - 1];
    }
}

// Plain digits with at most `precision` digits after the point (no point without them).
std::string plainDigits(const Digits& d, int precision)
{
    const auto n = static_cast<long>(d.digits.size());
    const long exp = d.exponent;
    if (exp > 0) {
        if (n < exp)
            return d.digits + std::string(static_cast<std::size_t>(exp - n), '0');
        const long t = std::min<long>(n - exp, precision);
        const std::string integer = d.digits.substr(0, static_cast<std::size_t>(exp));
        return t > 0 ? integer + "." +
                           d.digits.substr(static_cast<std::size_t>(exp), static_cast<std::size_t>(t))
                     : integer;
    }
    const long zeros = std::max<long>(0, std::min<long>(-exp, precision));
    const long t = std::max<long>(0, std::min<long>(n, precision + exp));
    if (zeros == 0 && t == 0)
        return "0";
    return "0." + std::string(static_cast<std::size_t>(zeros), '0') +
           d.digits.substr(0, static_cast<std::size_t>(t));
}

// One digit, the point and at most `precision` more digits; the exponent as a sign and at least two
// digits.
std::pair<std::string, std::string> scientificDigits(const Digits& d, int precision)
{
    const long t = std::max<long>(0, std::min<long>(static_cast<long>(d.digits.size()) - 1, precision));
    std::string mantissa(1, d.digits[0]);
    if (t > 0)
        mantissa += "." + d.digits.substr(1, static_cast<std::size_t>(t));
    const int e = d.exponent <= 0 ? 1 - d.exponent : d.exponent - 1;
    std::string exponent = std::to_string(e);
    if (exponent.size() < 2)
        exponent.insert(0, 1, '0');
    return {mantissa, (d.exponent <= 0 ? "-" : "+") + exponent};
}

// Adds zeros (and the point) until `precision` digits follow the point.
void addZeros(std::string& digits, int precision)
{
    const std::size_t dot = digits.find('.');
    const std::size_t have = dot == std::string::npos ? 0 : digits.size() - dot - 1;
    if (have >= static_cast<std::size_t>(precision))
        return;
    if (dot == std::string::npos)
        digits.push_back('.');
    digits.append(static_cast<std::size_t>(precision) - have, '0');
}

// e: d.ddddddde+xx.
void appendScientific(std::u16string& sb, const Specifier& s, double v, bool negative,
                      const NumberSymbols& symbols)
{
    const int precision = s.precision == -1 ? 6 : s.precision;
    Digits d = decimalDigits(v);
    roundHalfUp(d, precision + 1);
    auto [mantissa, exponent] = scientificDigits(d, precision);
    if (v == 0)
        exponent = "+00";
    addZeros(mantissa, precision);
    if (s.has(kAlternate) && precision == 0)
        mantissa.push_back('.');
    const int width =
        s.width == -1 ? -1 : adjustWidth(s.width - static_cast<int>(exponent.size()) - 1, s, negative);
    localizedMagnitude(sb, s, mantissa, width, symbols);
    sb.push_back(s.upper() ? u'E' : u'e');
    sb += ascii(exponent);
}

// f: digits, the point and `precision` digits.
void appendDecimal(std::u16string& sb, const Specifier& s, double v, bool negative,
                   const NumberSymbols& symbols)
{
    const int precision = s.precision == -1 ? 6 : s.precision;
    Digits d = decimalDigits(v);
    roundHalfUp(d, d.exponent + precision);
    std::string mantissa = plainDigits(d, precision);
    addZeros(mantissa, precision);
    if (s.has(kAlternate) && precision == 0)
        mantissa.push_back('.');
    localizedMagnitude(sb, s, mantissa, adjustWidth(s.width, s, negative), symbols);
}

// g: `precision` significant digits, plain from 10^-4 up to 10^precision after rounding, else as e.
void appendGeneralFloat(std::u16string& sb, const Specifier& s, double v, bool negative,
                        const NumberSymbols& symbols)
{
    int precision = s.precision == -1 ? 6 : s.precision == 0 ? 1 : s.precision;
    std::string mantissa = "0";
    std::string exponent;
    if (v == 0) {
        precision -= 1;
    } else {
        Digits d = decimalDigits(v);
        roundHalfUp(d, precision);
        if (d.exponent - 1 < -4 || d.exponent - 1 >= precision) {
            std::tie(mantissa, exponent) = scientificDigits(d, precision - 1);
            precision -= 1;
        } else {
            mantissa = plainDigits(d, precision - d.exponent);
            precision -= d.exponent;
        }
    }
    addZeros(mantissa, precision);
    const int width = s.width == -1 || exponent.empty()
                          ? adjustWidth(s.width, s, negative)
                          : adjustWidth(s.width - static_cast<int>(exponent.size()) - 1, s, negative);
    localizedMagnitude(sb, s, mantissa, width, symbols);
    if (!exponent.empty()) {
        sb.push_back(s.upper() ? u'E' : u'e');
        sb += ascii(exponent);
    }
}

constexpr int kSignificandBits = 52;
constexpr std::uint64_t kSignificandMask = (std::uint64_t{1} << kSignificandBits) - 1;

// Double.toHexString of a finite magnitude without "0x": "1.8p1", "0.0000000000001p-1022", "0.0p0".
std::string hexString(double v)
{
    if (v == 0)
        return "0.0p0";
    const auto bits = std::bit_cast<std::uint64_t>(v);
    const auto biased = static_cast<int>(bits >> kSignificandBits);
    std::string fraction =
        hexDigits((bits & kSignificandMask) | (std::uint64_t{1} << kSignificandBits)).substr(1);
    while (fraction.size() > 1 && fraction.back() == '0')
        fraction.pop_back();
    return biased == 0 ? "0." + fraction + "p-1022" : "1." + fraction + "p" + std::to_string(biased - 1023);
}

// The hexadecimal digits of a finite magnitude rounded half even to `digits` (1 to 12) after the point;
// a subnormal value is written normalized ("1.0p-1074").
std::string roundedHex(double v, int digits)
{
    const bool subnormal = v < std::numeric_limits<double>::min();
    if (subnormal)
        v = std::ldexp(v, 54);
    const int shift = kSignificandBits - 4 * digits;
    const auto bits = std::bit_cast<std::uint64_t>(v);
    std::uint64_t kept = bits >> shift;
    const std::uint64_t dropped = bits & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    if (dropped > half || (dropped == half && (kept & 1) != 0))
        ++kept;
    const double rounded = std::bit_cast<double>(kept << shift);
    if (std::isinf(rounded))
        return "1.0p1024";
    std::string text = hexString(rounded);
    if (subnormal) {
        const std::size_t p = text.find('p');
        text = text.substr(0, p + 1) + std::to_string(std::stoi(text.substr(p + 1)) - 54);
    }
    return text;
}

// a: 0x1.hhhp±d, all digits without a precision.
void appendHexFloat(std::u16string& sb, const Specifier& s, double v, bool negative)
{
    const int precision = s.precision == -1 ? 0 : s.precision == 0 ? 1 : s.precision;
    const std::string text =
        v == 0 || precision == 0 || precision >= 13 ? hexString(v) : roundedHex(v, precision);
    sb += s.upper() ? u"0X" : u"0x";
    if (s.has(kZero)) {
        // Java counts the digits before it adds zeros for the precision.
        const int leading = s.has(kSpace) || s.has(kPlus) || negative ? 3 : 2;
        const long zeros = static_cast<long>(s.width) - static_cast<long>(text.size()) - leading;
        if (zeros > 0)
            sb.append(static_cast<std::size_t>(zeros), u'0');
    }
    const std::size_t p = text.find('p');
    std::string mantissa = text.substr(0, p);
    if (precision != 0)
        addZeros(mantissa, precision);
    const std::u16string m = ascii(mantissa);
    sb += s.upper() ? upperCase(m) : m;
    sb.push_back(s.upper() ? u'P' : u'p');
    sb += ascii(text.substr(p + 1));
}

// e, f, g, a: a double (-0.0 counts as negative; NaN has no sign).
void appendFloat(std::u16string& out, const Specifier& s, const FormatArg& a, const NumberSymbols& symbols)
{
    if (isNull(a))
        return appendText(out, s, u"null");
    if (a.type != kDouble)
        failConversion(s, a);
    const double value = a.prim.d;
    std::u16string sb;
    if (std::isnan(value)) {
        sb = s.upper() ? u"NAN" : u"NaN";
        return appendJustified(out, s, sb);
    }
    const bool negative = std::signbit(value);
    const double v = std::fabs(value);
    leadingSign(sb, s, negative);
    if (std::isinf(v))
        sb += s.upper() ? u"INFINITY" : u"Infinity";
    else if (s.conversion == u'e')
        appendScientific(sb, s, v, negative, symbols);
    else if (s.conversion == u'f')
        appendDecimal(sb, s, v, negative, symbols);
    else if (s.conversion == u'g')
        appendGeneralFloat(sb, s, v, negative, symbols);
    else
        appendHexFloat(sb, s, v, negative);
    trailingSign(sb, s, negative);
    appendJustified(out, s, sb);
}

// --- Date and time ---

// The fields of a moment in the environment's time zone, as Java's Calendar gives them.
struct Moment
{
    std::int64_t millis = 0;
    std::tm fields{};
};

// Days from 1970-01-01 to a date of the Julian calendar (the year 0 being 1 BC).
long long julianDays(long long year, long long month, long long day)
{
    const long long a = (14 - month) / 12;
    const long long y = year + 4800 - a;
    const long long m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - 32083 - 2440588;
}

// Java's calendar is Julian before 15 October 1582 (day -141427 from 1970), Gregorian from then on; the
// C library's is Gregorian throughout. Sets the date fields of a day before that day, and the day of the
// year in 1582, which counts from the Julian first of January.
void julianDate(std::tm& t, long long days)
{
    constexpr long long kGregorianFrom = -141427;
    if (days >= kGregorianFrom) {
        if (t.tm_year + 1900 == 1582)
            t.tm_yday = static_cast<int>(days - julianDays(1582, 1, 1));
        return;
    }
    const long long c = days + 2440588 + 32082;
    const long long d = (4 * c + 3) / 1461;
    const long long e = c - 1461 * d / 4;
    const long long m = (5 * e + 2) / 153;
    const long long month = m + 3 - 12 * (m / 10);
    const long long year = d - 4800 + m / 10;
    t.tm_mday = static_cast<int>(e - (153 * m + 2) / 5 + 1);
    t.tm_mon = static_cast<int>(month - 1);
    t.tm_year = static_cast<int>(year - 1900);
    t.tm_yday = static_cast<int>(days - julianDays(year, 1, 1));
}

// The moment of a long (milliseconds since 1970), or nothing beyond what the C library can break down.
std::optional<Moment> momentOf(std::int64_t millis)
{
    Moment m;
    m.millis = millis;
    const std::int64_t seconds = millis / 1000 - (millis % 1000 < 0 ? 1 : 0);
    const auto t = static_cast<std::time_t>(seconds);
    if (!localtime_r(&t, &m.fields))
        return std::nullopt;
    const std::int64_t local = seconds + m.fields.tm_gmtoff;
    julianDate(m.fields, local / 86400 - (local % 86400 < 0 ? 1 : 0));
    return m;
}

std::string padded(long long value, std::size_t digits)
{
    std::string text = std::to_string(value);
    if (text.size() < digits)
        text.insert(0, digits - text.size(), '0');
    return text;
}

constexpr const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
constexpr const char* kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};

// Calendar's YEAR: a year before 1 AD counts back from 1 BC.
long long calendarYear(const std::tm& t)
{
    const long long year = t.tm_year + 1900LL;
    return year > 0 ? year : 1 - year;
}

std::string timeField(const Moment& m, char c);

// The conversions that stand for others ("%tT" is "%tH:%tM:%tS").
std::string composedField(const Moment& m, char c)
{
    auto fields = [&](std::string_view list, char separator) {
        std::string out;
        for (const char f : list)
            out += (out.empty() ? "" : std::string(1, separator)) + timeField(m, f);
        return out;
    };
    switch (c) {
    case 'R':
        return fields("HM", ':');
    case 'T':
        return fields("HMS", ':');
    case 'r':
        return fields("IMS", ':') + (m.fields.tm_hour < 12 ? " AM" : " PM");
    case 'D':
        return fields("mdy", '/');
    case 'F':
        return fields("Ymd", '-');
    default: // 'c'
        return fields("abd", ' ') + " " + fields("TZY", ' ');
    }
}

// One field of a date or time with English names, as a JDK writes it in an English locale.
std::string timeField(const Moment& m, char c)
{
    const std::tm& t = m.fields;
    const long long millisOfSecond = ((m.millis % 1000) + 1000) % 1000;
    const int hour12 = t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12;
    const long offsetMinutes = t.tm_gmtoff / 60;
    const long absOffset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    switch (c) {
    case 'H':
        return padded(t.tm_hour, 2);
    case 'I':
        return padded(hour12, 2);
    case 'k':
        return std::to_string(t.tm_hour);
    case 'l':
        return std::to_string(hour12);
    case 'M':
        return padded(t.tm_min, 2);
    case 'S':
        return padded(t.tm_sec, 2);
    case 'L':
        return padded(millisOfSecond, 3);
    case 'N':
        return padded(millisOfSecond * 1000000, 9);
    case 'p':
        return t.tm_hour < 12 ? "am" : "pm";
    case 'z':
        return (offsetMinutes < 0 ? "-" : "+") + padded(absOffset / 60 * 100 + absOffset % 60, 4);
    case 'Z':
        return t.tm_zone ? t.tm_zone : "";
    case 's':
        return std::to_string(m.millis / 1000);
    case 'Q':
        return std::to_string(m.millis);
    case 'B':
        return kMonths[t.tm_mon];
    case 'b':
    case 'h':
        return std::string(kMonths[t.tm_mon]).substr(0, 3);
    case 'A':
        return kWeekdays[t.tm_wday];
    case 'a':
        return std::string(kWeekdays[t.tm_wday]).substr(0, 3);
    case 'C':
        return padded(calendarYear(t) / 100, 2);
    case 'y':
        return padded(calendarYear(t) % 100, 2);
    case 'Y':
        return padded(calendarYear(t), 4);
    case 'j':
        return padded(t.tm_yday + 1, 3);
    case 'm':
        return padded(t.tm_mon + 1, 2);
    case 'd':
        return padded(t.tm_mday, 2);
    case 'e':
        return std::to_string(t.tm_mday);
    default:
        return composedField(m, c);
    }
}

// t and T: a long as milliseconds since 1970, in the environment's time zone.
void appendDateTime(std::u16string& out, const Specifier& s, const FormatArg& a)
{
    if (isNull(a))
        return appendText(out, s, u"null");
    if (a.type != kLong)
        failConversion(s, a);
    const std::optional<Moment> moment = momentOf(a.prim.l);
    if (!moment)
        throwJava(JavaError::IllegalArgument, {}, msg::kIllegalArgument);
    appendText(out, s, ascii(timeField(*moment, static_cast<char>(s.conversion))));
}

// Refuses a specifier whose width or zeros would make a text longer than a string can be, before
// anything is allocated for it.
void checkLength(const std::u16string& out, const Specifier& s)
{
    const std::size_t grows =
        static_cast<std::size_t>(std::max(s.width, 0)) +
        (s.kind() == Kind::Float ? static_cast<std::size_t>(std::max(s.precision, 0)) : 0);
    if (out.size() + grows > kMaxStringLength)
        throwJava(JavaError::OutOfMemory, "Java heap space");
}

void appendSpecifier(std::u16string& out, const Specifier& s, const FormatArg& a,
                     const NumberSymbols& symbols)
{
    checkLength(out, s);
    switch (s.kind()) {
    case Kind::General:
        return appendGeneral(out, s, a);
    case Kind::Character:
        return appendCharacter(out, s, a);
    case Kind::Integer:
        return appendInteger(out, s, a, symbols);
    case Kind::Float:
        return appendFloat(out, s, a, symbols);
    case Kind::DateTime:
        return appendDateTime(out, s, a);
    case Kind::Text:
        if (s.conversion == u'n')
            out.push_back(u'\n');
        else
            appendText(out, s, u"%");
        return;
    }
}

// The arguments as Java's varargs array has them: a String[] or the literal null given alone is that
// array itself (javac passes it so); an absent array gives null for every specifier.
class Arguments
{
public:
    explicit Arguments(const std::vector<FormatArg>& args)
    {
        const bool arrayItself =
            args.size() == 1 && (args[0].type == kNull || args[0].type == Type{Base::String, true});
        if (!arrayItself) {
            m_args = &args;
            return;
        }
        if (!args[0].ref)
            return;
        const auto& array = static_cast<const RefArray&>(*args[0].ref.get());
        for (std::int32_t i = 0; i < array.length(); ++i)
            m_elements.push_back({kString, {}, array.data()[i]});
        m_args = &m_elements;
    }
    bool has(int i) const { return !m_args || static_cast<std::size_t>(i) < m_args->size(); }
    const FormatArg& at(int i) const { return m_args ? (*m_args)[static_cast<std::size_t>(i)] : m_null; }

private:
    const std::vector<FormatArg>* m_args = nullptr;
    std::vector<FormatArg> m_elements;
    FormatArg m_null{kNull, {}, {}};
};

} // namespace

void javaFormat(std::u16string& out, const std::u16string& format, const std::vector<FormatArg>& args,
                const NumberSymbols& symbols)
{
    const std::vector<Piece> pieces = readFormat(format);
    const Arguments arguments(args);
    const FormatArg none{kNull, {}, {}};
    int last = -1;     // the argument taken last, for "%<s"
    int lastNext = -1; // the last one taken in order
    for (const Piece& piece : pieces) {
        if (!piece.specifier) {
            out += piece.literal;
            continue;
        }
        const Specifier& s = *piece.specifier;
        if (s.index == kNoArgument) {
            appendSpecifier(out, s, none, symbols);
            continue;
        }
        if (s.index == kNextArgument)
            last = ++lastNext;
        else if (s.index > 0)
            last = s.index - 1;
        if (last < 0 || !arguments.has(last))
            throwJava(JavaError::MissingFormatArgument, "Format specifier '" + javaText(s) + "'",
                      msg::missingFormatArgument(written(s)));
        appendSpecifier(out, s, arguments.at(last), symbols);
        if (out.size() > kMaxStringLength)
            throwJava(JavaError::OutOfMemory, "Java heap space");
    }
}

} // namespace runtime
