#include "runtime/formatter.h"

#include "runtime/javachar.h"
#include "runtime/javatext.h"
#include "runtime/messages.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace runtime {

namespace {

// Java's class name of a boxed argument, for IllegalFormatConversionException.
std::string boxedName(const FormatArg& a)
{
    if (a.type.array || !a.type.isPrimitive())
        return a.type.array ? "[" : a.type == kString ? "java.lang.String" : "java.util.Scanner";
    switch (a.type.base) {
    case Base::Boolean:
        return "java.lang.Boolean";
    case Base::Char:
        return "java.lang.Character";
    case Base::Int:
        return "java.lang.Integer";
    case Base::Long:
        return "java.lang.Long";
    default:
        return "java.lang.Double";
    }
}

struct Specifier
{
    std::u16string text; // the specifier as written, for messages
    bool left = false, alternate = false, plus = false, space = false, zero = false, group = false,
         parens = false;
    int width = -1;
    int precision = -1;
    char16_t conversion = 0;
};

[[noreturn]] void formatError(JavaError error, const std::string& detail, const Specifier& specifier)
{
    throwJava(error, detail, msg::badFormat(toCp1252(specifier.text)));
}

std::u16string ascii(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

// Groups the digits of an integer part by three with ','.
std::string grouped(const std::string& digits)
{
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

// Pads `body` to the width: spaces before it, or after it with '-'.
std::u16string justify(const Specifier& s, std::u16string body)
{
    const auto width = static_cast<std::size_t>(std::max(s.width, 0));
    if (body.size() >= width)
        return body;
    const std::u16string pad(width - body.size(), u' ');
    return s.left ? body + pad : pad + body;
}

// A number: the sign or parentheses and the digits, zero-padded after the sign with '0'.
std::u16string number(const Specifier& s, bool negative, const std::string& magnitude)
{
    std::string prefix;
    std::string suffix;
    if (negative) {
        prefix.push_back(s.parens ? '(' : '-');
        if (s.parens)
            suffix.push_back(')');
    } else if (s.plus) {
        prefix.push_back('+');
    } else if (s.space) {
        prefix.push_back(' ');
    }
    std::string body = magnitude;
    if (s.zero && s.width > 0) {
        const std::size_t used = prefix.size() + suffix.size() + body.size();
        if (used < static_cast<std::size_t>(s.width))
            body.insert(0, static_cast<std::size_t>(s.width) - used, '0');
    }
    return justify(s, ascii(prefix + body + suffix));
}

// Digits of `value` rounded half up to `decimals` places after the point (Java rounds the digits of
// Double.toString, not the binary value): the integer digits and the fraction digits.
std::pair<std::string, std::string> fixedDigits(double value, int decimals)
{
    std::string digits = "0";
    int exponent = 0;
    if (value != 0) {
        const Decimal d = shortestDigits(value);
        digits = d.digits;
        exponent = d.exponent;
    }
    // Digit i stands for 10^(exponent - i); keep those down to 10^-decimals.
    const long keep = static_cast<long>(exponent) + decimals + 1;
    std::string kept;
    if (keep >= static_cast<long>(digits.size())) {
        kept = digits + std::string(static_cast<std::size_t>(keep) - digits.size(), '0');
    } else if (keep >= 0) {
        kept = digits.substr(0, static_cast<std::size_t>(keep));
        if (digits[static_cast<std::size_t>(keep)] >= '5') {
            // Round up, carrying into a new leading digit if needed.
            int i = static_cast<int>(kept.size()) - 1;
            while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9')
                kept[static_cast<std::size_t>(i--)] = '0';
            if (i >= 0) {
                ++kept[static_cast<std::size_t>(i)];
            } else {
                kept.insert(0, 1, '1');
                ++exponent;
            }
        }
    } else {
        kept.clear();
    }
    // kept holds the digits from 10^exponent down to 10^-decimals.
    const long intCount = static_cast<long>(exponent) + 1;
    std::string integer;
    std::string fraction;
    if (intCount > 0) {
        integer = kept.substr(0, std::min(kept.size(), static_cast<std::size_t>(intCount)));
        fraction = kept.size() > static_cast<std::size_t>(intCount)
                       ? kept.substr(static_cast<std::size_t>(intCount))
                       : "";
    } else {
        integer = "0";
        fraction = std::string(static_cast<std::size_t>(std::min<long>(-intCount, decimals)), '0') + kept;
    }
    if (integer.empty())
        integer.push_back('0');
    fraction.resize(static_cast<std::size_t>(decimals), '0');
    return {integer, fraction};
}

// "d.ddde+xx" with `decimals` digits after the point, rounded half up.
std::string scientific(double value, int decimals, bool alternate)
{
    std::string digits = "0";
    int exponent = 0;
    if (value != 0) {
        const Decimal d = shortestDigits(value);
        digits = d.digits;
        exponent = d.exponent;
    }
    const auto keep = static_cast<std::size_t>(decimals) + 1;
    std::string kept = digits.substr(0, std::min(keep, digits.size()));
    if (digits.size() > keep && digits[keep] >= '5') {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9')
            kept[static_cast<std::size_t>(i--)] = '0';
        if (i >= 0) {
            ++kept[static_cast<std::size_t>(i)];
        } else {
            kept.insert(0, 1, '1');
            kept.pop_back();
            ++exponent;
        }
    }
    kept.resize(keep, '0');
    std::string out(1, kept[0]);
    if (decimals > 0 || alternate)
        out += ".";
    out += kept.substr(1);
    out += exponent < 0 ? "e-" : "e+";
    const std::string e = std::to_string(std::abs(exponent));
    out += (e.size() < 2 ? "0" : "") + e;
    return out;
}

// A number written with ',' between groups and '.' as the point, with the locale's separators.
std::u16string localized(std::u16string text, const NumberSymbols& symbols)
{
    for (char16_t& c : text) {
        if (c == u',')
            c = symbols.grouping;
        else if (c == u'.')
            c = symbols.decimal;
    }
    return text;
}

std::u16string formatOne(const Specifier& s, const FormatArg* a, const NumberSymbols& symbols)
{
    const char16_t c = s.conversion;
    const bool isNull = a && !a->type.isPrimitive() && !a->ref;
    auto conversionError = [&] {
        formatError(JavaError::IllegalFormatConversion,
                    std::string(1, static_cast<char>(c)) + " != " + boxedName(*a), s);
    };
    switch (c) {
    case u'b':
    case u'B': {
        std::u16string text = isNull                  ? u"false"
                              : (a->type == kBoolean) ? (a->prim.i ? u"true" : u"false")
                                                      : u"true";
        if (s.precision >= 0 && static_cast<std::size_t>(s.precision) < text.size())
            text.resize(static_cast<std::size_t>(s.precision));
        return justify(s, c == u'B' ? upperCase(text) : text);
    }
    case u's':
    case u'S': {
        if (s.alternate)
            formatError(JavaError::IllegalFormat, "Conversion = s, Flags = #", s); // no Formattable here
        std::u16string text;
        appendValue(text, a->type, a->prim, a->ref);
        if (s.precision >= 0 && static_cast<std::size_t>(s.precision) < text.size())
            text.resize(static_cast<std::size_t>(s.precision));
        return justify(s, c == u'S' ? upperCase(text) : text);
    }
    case u'h':
    case u'H': {
        // The hash code in hexadecimal, for the types whose hash Java fixes.
        std::uint32_t hash = 0;
        if (isNull) {
            return justify(s, c == u'H' ? u"NULL" : u"null");
        } else if (a->type == kString) {
            for (char16_t ch : textOf(a->ref))
                hash = hash * 31 + ch;
        } else if (a->type == kInt || a->type == kChar) {
            hash = static_cast<std::uint32_t>(a->prim.i);
        } else if (a->type == kLong) {
            const auto v = static_cast<std::uint64_t>(a->prim.l);
            hash = static_cast<std::uint32_t>(v ^ (v >> 32));
        } else if (a->type == kBoolean) {
            hash = a->prim.i ? 1231 : 1237;
        } else if (a->type == kDouble) {
            std::uint64_t bits;
            const double d = std::isnan(a->prim.d) ? std::numeric_limits<double>::quiet_NaN() : a->prim.d;
            std::memcpy(&bits, &d, sizeof bits);
            hash = static_cast<std::uint32_t>(bits ^ (bits >> 32));
        } else {
            hash = static_cast<const JArray*>(a->ref.get())->identity();
        }
        std::string digits;
        for (std::uint32_t rest = hash; rest != 0 || digits.empty(); rest >>= 4)
            digits.insert(digits.begin(), "0123456789abcdef"[rest & 15]);
        std::u16string text = ascii(digits);
        if (s.precision >= 0 && static_cast<std::size_t>(s.precision) < text.size())
            text.resize(static_cast<std::size_t>(s.precision));
        return justify(s, c == u'H' ? upperCase(text) : text);
    }
    case u'c':
    case u'C': {
        if (s.precision >= 0)
            formatError(JavaError::IllegalFormat, std::to_string(s.precision), s);
        if (isNull)
            return justify(s, c == u'C' ? u"NULL" : u"null");
        if (a->type != kChar && a->type != kInt)
            conversionError();
        const std::int32_t code = a->prim.i;
        if (code < 0 || code > 0x10FFFF)
            formatError(JavaError::IllegalFormat, "Code point = 0x" + std::to_string(code), s);
        std::u16string text;
        if (code > 0xFFFF) {
            const auto v = static_cast<std::uint32_t>(code - 0x10000);
            text = {static_cast<char16_t>(0xD800 + (v >> 10)), static_cast<char16_t>(0xDC00 + (v & 0x3FF))};
        } else {
            text.push_back(static_cast<char16_t>(code));
        }
        return justify(s, c == u'C' ? upperCase(text) : text);
    }
    case u'd': {
        if (s.precision >= 0)
            formatError(JavaError::IllegalFormat, std::to_string(s.precision), s);
        if (isNull)
            return justify(s, u"null");
        if (a->type != kInt && a->type != kLong)
            conversionError();
        const std::int64_t v = a->type == kInt ? a->prim.i : a->prim.l;
        const std::uint64_t magnitude =
            v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
        const std::string digits = std::to_string(magnitude);
        return localized(number(s, v < 0, s.group ? grouped(digits) : digits), symbols);
    }
    case u'x':
    case u'X':
    case u'o': {
        if (s.precision >= 0)
            formatError(JavaError::IllegalFormat, std::to_string(s.precision), s);
        if (isNull)
            return justify(s, u"null");
        if (a->type != kInt && a->type != kLong)
            conversionError();
        if (s.plus || s.space || s.group || s.parens)
            formatError(JavaError::IllegalFormat, "Conversion = " + std::string(1, static_cast<char>(c)), s);
        const std::uint64_t v =
            a->type == kInt ? static_cast<std::uint32_t>(a->prim.i) : static_cast<std::uint64_t>(a->prim.l);
        std::string digits;
        const unsigned shift = c == u'o' ? 3 : 4;
        for (std::uint64_t rest = v; rest != 0 || digits.empty(); rest >>= shift)
            digits.insert(digits.begin(), "0123456789abcdef"[rest & ((1u << shift) - 1)]);
        std::string prefix = s.alternate ? (c == u'o' ? "0" : "0x") : "";
        if (s.zero && s.width > 0 && prefix.size() + digits.size() < static_cast<std::size_t>(s.width))
            digits.insert(0, static_cast<std::size_t>(s.width) - prefix.size() - digits.size(), '0');
        std::u16string text = ascii(prefix + digits);
        return justify(s, c == u'X' ? upperCase(text) : text);
    }
    case u'f':
    case u'e':
    case u'E': {
        if (isNull)
            return justify(s, c == u'E' ? u"NULL" : u"null");
        if (a->type != kDouble)
            conversionError();
        const double v = a->prim.d;
        if (std::isnan(v) || std::isinf(v)) {
            std::string text = std::isnan(v) ? "NaN" : "Infinity";
            const bool negative = !std::isnan(v) && v < 0;
            if (negative)
                text = s.parens ? "(" + text + ")" : "-" + text;
            else if (s.plus && !std::isnan(v))
                text = "+" + text;
            else if (s.space && !std::isnan(v))
                text = " " + text;
            std::u16string out = ascii(text);
            return justify(s, c == u'E' ? upperCase(out) : out);
        }
        const int precision = s.precision >= 0 ? s.precision : 6;
        std::string magnitude;
        if (c == u'f') {
            auto [integer, fraction] = fixedDigits(std::fabs(v), precision);
            magnitude =
                (s.group ? grouped(integer) : integer) + (precision > 0 || s.alternate ? "." : "") + fraction;
        } else {
            if (s.group)
                formatError(JavaError::IllegalFormat, "Conversion = e, Flags = ,", s);
            magnitude = scientific(std::fabs(v), precision, s.alternate);
        }
        std::u16string out = localized(number(s, std::signbit(v), magnitude), symbols);
        return c == u'E' ? upperCase(out) : out;
    }
    default:
        break;
    }
    formatError(JavaError::UnknownFormatConversion, "Conversion = '" + toCp1252(std::u16string(1, c)) + "'",
                s);
}

} // namespace

namespace {

// A piece of a format: literal text, or a specifier with the argument it takes.
struct Piece
{
    std::u16string literal;
    Specifier specifier;
    long index = 0; // 0: the next argument; n: the n-th; -1: the previous one
    bool isSpec = false;
};

long readNumber(const std::u16string& format, std::size_t& at)
{
    long value = 0;
    const std::size_t start = at;
    while (at < format.size() && format[at] >= u'0' && format[at] <= u'9' && value < 100000000)
        value = value * 10 + (format[at++] - u'0');
    return at > start ? value : -1;
}

// Checks that depend on the specifier alone; Java makes them while parsing the whole format, before
// anything is written.
void checkSpec(const Specifier& s)
{
    const char16_t c = s.conversion;
    if ((s.left || s.zero) && s.width < 0)
        formatError(JavaError::IllegalFormat, toCp1252(s.text), s);
    if ((s.left && s.zero) || (s.plus && s.space))
        formatError(JavaError::IllegalFormat, "Flags = '" + toCp1252(s.text) + "'", s);
    const bool integral = c == u'd' || c == u'x' || c == u'X' || c == u'o';
    if (s.precision >= 0 && (integral || c == u'c' || c == u'C' || c == u'n'))
        formatError(JavaError::IllegalFormat, std::to_string(s.precision), s);
    const bool numeric = integral || c == u'f' || c == u'e' || c == u'E';
    if (!numeric && (s.plus || s.space || s.zero || s.group || s.parens) && c != u'%')
        formatError(JavaError::IllegalFormat, "Conversion = " + toCp1252(std::u16string(1, c)), s);
    if ((c == u'x' || c == u'X' || c == u'o') && (s.plus || s.space || s.group || s.parens))
        formatError(JavaError::IllegalFormat, "Conversion = " + toCp1252(std::u16string(1, c)), s);
    if ((c == u'e' || c == u'E') && s.group)
        formatError(JavaError::IllegalFormat, "Conversion = e, Flags = ,", s);
}

std::vector<Piece> parseFormat(const std::u16string& format)
{
    static const std::u16string kConversions = u"bBhHsScCdoxXfeEn%";
    std::vector<Piece> pieces;
    std::size_t i = 0;
    while (i < format.size()) {
        const std::size_t percent = format.find(u'%', i);
        Piece text;
        text.literal = format.substr(i, percent == std::u16string::npos ? std::u16string::npos : percent - i);
        pieces.push_back(std::move(text));
        if (percent == std::u16string::npos)
            break;
        // %[index$][flags][width][.precision]conversion
        Piece piece;
        piece.isSpec = true;
        Specifier& s = piece.specifier;
        std::size_t p = percent + 1;
        {
            std::size_t q = p;
            const long n = readNumber(format, q);
            if (n > 0 && q < format.size() && format[q] == u'$') {
                piece.index = n;
                p = q + 1;
            }
        }
        for (; p < format.size(); ++p) {
            const char16_t f = format[p];
            if (f == u'-')
                s.left = true;
            else if (f == u'#')
                s.alternate = true;
            else if (f == u'+')
                s.plus = true;
            else if (f == u' ')
                s.space = true;
            else if (f == u'0')
                s.zero = true;
            else if (f == u',')
                s.group = true;
            else if (f == u'(')
                s.parens = true;
            else if (f == u'<')
                piece.index = -1;
            else
                break;
        }
        s.width = static_cast<int>(readNumber(format, p));
        bool badPrecision = false;
        if (p < format.size() && format[p] == u'.') {
            ++p;
            s.precision = static_cast<int>(readNumber(format, p));
            badPrecision = s.precision < 0;
        }
        s.conversion = p < format.size() ? format[p] : u'%';
        s.text = format.substr(percent, std::min(p + 1, format.size()) - percent);
        i = p + 1;
        if (badPrecision || p >= format.size() || kConversions.find(s.conversion) == std::u16string::npos)
            formatError(JavaError::UnknownFormatConversion,
                        "Conversion = '" + toCp1252(std::u16string(1, s.conversion)) + "'", s);
        checkSpec(s);
        pieces.push_back(std::move(piece));
    }
    return pieces;
}

} // namespace

void javaFormat(std::u16string& out, const std::u16string& format, const std::vector<FormatArg>& args,
                const NumberSymbols& symbols)
{
    const std::vector<Piece> pieces = parseFormat(format);
    std::size_t next = 0;            // the next ordinary argument
    const FormatArg* last = nullptr; // for "%<s"
    for (const Piece& piece : pieces) {
        if (!piece.isSpec) {
            out += piece.literal;
            continue;
        }
        const Specifier& s = piece.specifier;
        if (s.conversion == u'n') {
            out.push_back(u'\n');
            continue;
        }
        if (s.conversion == u'%') {
            out += justify(s, u"%");
            continue;
        }
        const FormatArg* arg = nullptr;
        if (piece.index < 0)
            arg = last;
        else if (piece.index > 0)
            arg = static_cast<std::size_t>(piece.index) <= args.size()
                      ? &args[static_cast<std::size_t>(piece.index) - 1]
                      : nullptr;
        else
            arg = next < args.size() ? &args[next++] : nullptr;
        if (!arg)
            throwJava(JavaError::MissingFormatArgument, "Format specifier '" + toCp1252(s.text) + "'",
                      msg::missingFormatArgument(toCp1252(s.text)));
        last = arg;
        out += formatOne(s, arg, symbols);
        if (out.size() > kMaxStringLength)
            throwJava(JavaError::OutOfMemory, "Java heap space");
    }
}

} // namespace runtime
