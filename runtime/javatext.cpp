#include "runtime/javatext.h"

#include "model/cp1252.h"
#include "runtime/javachar.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <system_error>

namespace runtime {

namespace {

// The decimal digits and the decimal exponent of a scientific text from std::to_chars ("-4.9e-324").
Decimal splitScientific(std::string_view text)
{
    Decimal d;
    std::size_t pos = 0;
    if (pos < text.size() && text[pos] == '-')
        ++pos;
    for (; pos < text.size() && text[pos] != 'e'; ++pos)
        if (text[pos] != '.')
            d.digits.push_back(text[pos]);
    if (pos < text.size()) {
        const char* first = text.data() + pos + 1;
        if (*first == '+')
            ++first;
        std::from_chars(first, text.data() + text.size(), d.exponent);
    }
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

template <class Int> std::optional<Int> parseInteger(std::u16string_view text)
{
    if (text.empty())
        return std::nullopt;
    std::size_t pos = 0;
    const bool negative = text[0] == u'-';
    if (text[0] == u'-' || text[0] == u'+')
        ++pos;
    if (pos == text.size())
        return std::nullopt;
    // Accumulated negatively, as Java does, so that the most negative value fits.
    Int value = 0;
    const Int limit = negative ? std::numeric_limits<Int>::min() : -std::numeric_limits<Int>::max();
    for (; pos < text.size(); ++pos) {
        if (!isAsciiDigit(text[pos]))
            return std::nullopt;
        const Int digit = static_cast<Int>(text[pos] - u'0');
        if (value < limit / 10 || value * 10 < limit + digit)
            return std::nullopt;
        value = static_cast<Int>(value * 10 - digit);
    }
    return negative ? value : static_cast<Int>(-value);
}

} // namespace

std::optional<DigitRun> readDigits(std::u16string_view s, std::size_t pos, int radix, bool underscores,
                                   std::string& out)
{
    std::size_t digits = 0;
    bool afterUnderscore = false;
    for (; pos < s.size(); ++pos) {
        if (underscores && s[pos] == u'_') {
            if (digits == 0)
                return std::nullopt;
            afterUnderscore = true;
            continue;
        }
        const int value = hexDigitValue(s[pos]);
        if (value < 0 || value >= radix)
            break;
        out.push_back(static_cast<char>(s[pos]));
        ++digits;
        afterUnderscore = false;
    }
    if (afterUnderscore)
        return std::nullopt;
    return DigitRun{pos, digits};
}

namespace {

// Whether a numeral beyond the range of double (as std::from_chars finds it) is too large rather than
// too small: the place of its first significant digit plus its exponent, in digits (hexadecimal: in
// bits), is above zero.
bool beyondLargest(std::string_view text, bool hex)
{
    const char exponentMark = hex ? 'p' : 'e';
    std::int64_t place = 0; // the numeral is 0.ddd times 10^place (16^place)
    bool point = false;
    bool significant = false;
    std::size_t i = 0;
    for (; i < text.size() && (text[i] | 0x20) != exponentMark; ++i) {
        if (text[i] == '.') {
            point = true;
        } else if (!significant && text[i] == '0') {
            place -= point ? 1 : 0; // a zero after the point and before the first other digit
        } else {
            significant = true;
            place += point ? 0 : 1;
        }
    }
    std::int64_t exponent = 0;
    if (i + 1 < text.size()) {
        std::string_view digits = text.substr(i + 1);
        const bool negative = digits[0] == '-';
        if (digits[0] == '-' || digits[0] == '+')
            digits.remove_prefix(1);
        if (std::from_chars(digits.data(), digits.data() + digits.size(), exponent).ec != std::errc{})
            exponent = std::int64_t{1} << 40; // more than any number of digits
        if (negative)
            exponent = -exponent;
    }
    return (hex ? 4 * place : place) + exponent > 0;
}

} // namespace

bool isAsciiDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

int hexDigitValue(char16_t c)
{
    if (isAsciiDigit(c))
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

std::optional<std::uint64_t> readUnsigned(std::string_view digits, int radix)
{
    std::uint64_t value = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value, radix);
    if (result.ec != std::errc{} || result.ptr != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

std::u16string fromCp1252(std::string_view bytes)
{
    return cp1252ToUtf16(bytes);
}

std::string toCp1252(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string byte = utf16ToCp1252(text.substr(i, 1));
        if (byte != "?" || text[i] == u'?') {
            out += byte;
            continue;
        }
        char escape[7];
        std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(text[i]));
        out += escape;
    }
    return out;
}

std::string toUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDFFF) {
            const bool paired =
                c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
            if (!paired) {
                out.push_back('?');
                continue;
            }
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

namespace {

// What the lead byte of a UTF-8 sequence says: its length (0: the byte leads none) and the range of its
// second byte, which excludes overlong forms, surrogates and values beyond U+10FFFF.
struct Utf8Lead
{
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
};

Utf8Lead utf8Lead(unsigned char b)
{
    Utf8Lead lead;
    if (b >= 0xC2 && b <= 0xDF) {
        lead.length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        lead.length = 3;
        lead.low = b == 0xE0 ? 0xA0 : 0x80;
        lead.high = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
        lead.length = 4;
        lead.low = b == 0xF0 ? 0x90 : 0x80;
        lead.high = b == 0xF4 ? 0x8F : 0xBF;
    }
    return lead;
}

// How many bytes of the sequence at `i` are valid, the lead byte included (at most its length).
std::size_t validBytes(const std::string& s, std::size_t i, const Utf8Lead& lead)
{
    std::size_t valid = 1;
    while (valid < lead.length && i + valid < s.size()) {
        const auto c = static_cast<unsigned char>(s[i + valid]);
        if (valid == 1 ? (c < lead.low || c > lead.high) : (c < 0x80 || c > 0xBF))
            break;
        ++valid;
    }
    return valid;
}

// `c` as one UTF-16 code unit, or as a surrogate pair beyond the first plane.
void appendCodePoint(std::u16string& out, std::uint32_t c)
{
    if (c >= 0x10000) {
        out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(c));
    }
}

} // namespace

void Utf8Decoder::decode(std::string_view bytes, std::u16string& out, bool last)
{
    m_pending.append(bytes);
    const std::string& s = m_pending;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        }
        const Utf8Lead lead = utf8Lead(b);
        if (lead.length == 0) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        const std::size_t valid = validBytes(s, i, lead);
        if (valid < lead.length && i + valid == s.size() && !last)
            break; // the rest of the character comes with the next piece
        if (valid < lead.length) {
            out.push_back(0xFFFD); // a malformed sequence: one replacement for its valid bytes
            i += valid;
            continue;
        }
        std::uint32_t c = b & (0x7F >> lead.length);
        for (std::size_t k = 1; k < lead.length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3Fu);
        appendCodePoint(out, c);
        i += lead.length;
    }
    m_pending.erase(0, i);
}

void appendInteger(std::u16string& out, std::int64_t value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

Decimal shortestDigits(double value)
{
    char buffer[48];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    Decimal d = splitScientific(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
    if (d.digits.size() == 1) {
        // Where one digit is the shortest, Java takes the closest of the one- and two-digit decimals that
        // read back (4.9E-324 rather than 5.0E-324).
        result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 1);
        const std::string two(buffer, result.ptr);
        Decimal d2 = splitScientific(two);
        if (d2.digits.size() == 2 && readDouble(two) == value)
            d = d2;
    }
    return d;
}

std::string doubleToString(double value)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "Infinity" : "-Infinity";
    if (value == 0)
        return std::signbit(value) ? "-0.0" : "0.0";
    const Decimal d = shortestDigits(value);
    std::string out = value < 0 ? "-" : "";
    const int e = d.exponent;
    if (e >= -3 && e < 7) {
        if (e >= 0) {
            for (int i = 0; i <= e; ++i)
                out.push_back(static_cast<std::size_t>(i) < d.digits.size()
                                  ? d.digits[static_cast<std::size_t>(i)]
                                  : '0');
            out.push_back('.');
            const std::size_t used = static_cast<std::size_t>(e) + 1;
            out += used < d.digits.size() ? d.digits.substr(used) : "0";
        } else {
            out += "0.";
            out.append(static_cast<std::size_t>(-e - 1), '0');
            out += d.digits;
        }
        return out;
    }
    out.push_back(d.digits[0]);
    out.push_back('.');
    out += d.digits.size() > 1 ? d.digits.substr(1) : "0";
    out += 'E';
    out += std::to_string(e);
    return out;
}

void appendDouble(std::u16string& out, double value)
{
    const std::string text = doubleToString(value);
    out.append(text.begin(), text.end());
}

std::optional<std::int32_t> parseJavaInt(std::u16string_view text)
{
    return parseInteger<std::int32_t>(text);
}

std::optional<std::int64_t> parseJavaLong(std::u16string_view text)
{
    return parseInteger<std::int64_t>(text);
}

std::optional<FloatNumeral> readFloatNumeral(std::u16string_view s, std::size_t pos, bool underscores)
{
    FloatNumeral n;
    const bool hex = pos + 1 < s.size() && s[pos] == u'0' && (s[pos + 1] == u'x' || s[pos + 1] == u'X');
    const int radix = hex ? 16 : 10;
    if (hex) {
        pos += 2;
        n.text = "0x";
    }
    const std::size_t digitsStart = n.text.size();
    std::optional<DigitRun> run = readDigits(s, pos, radix, underscores, n.text);
    if (!run)
        return std::nullopt;
    std::size_t digits = run->digits;
    pos = run->end;
    if (pos < s.size() && s[pos] == u'.') {
        n.text.push_back('.');
        run = readDigits(s, pos + 1, radix, underscores, n.text);
        if (!run)
            return std::nullopt;
        digits += run->digits;
        pos = run->end;
    }
    if (digits == 0)
        return std::nullopt;
    n.zero = n.text.find_first_not_of("0.", digitsStart) == std::string::npos;
    const bool exponent =
        pos < s.size() && (hex ? s[pos] == u'p' || s[pos] == u'P' : s[pos] == u'e' || s[pos] == u'E');
    if (!exponent) {
        n.end = pos;
        return hex ? std::nullopt : std::optional<FloatNumeral>(std::move(n)); // hexadecimal needs one
    }
    n.text.push_back(hex ? 'p' : 'e');
    ++pos;
    if (pos < s.size() && (s[pos] == u'+' || s[pos] == u'-'))
        n.text.push_back(static_cast<char>(s[pos++]));
    run = readDigits(s, pos, 10, underscores, n.text);
    if (!run || run->digits == 0)
        return std::nullopt;
    n.end = run->end;
    return n;
}

double readDouble(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    const bool hex = text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex)
        text.remove_prefix(2);
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value,
                                        hex ? std::chars_format::hex : std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
        value = beyondLargest(text, hex) ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -value : value;
}

std::optional<double> parseJavaDouble(std::u16string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] <= u' ')
        ++begin;
    while (end > begin && text[end - 1] <= u' ')
        --end;
    const std::u16string_view s = text.substr(begin, end - begin);
    if (s.empty())
        return std::nullopt;
    std::size_t pos = 0;
    std::string clean;
    if (s[0] == u'-' || s[0] == u'+') {
        clean.push_back(static_cast<char>(s[0]));
        ++pos;
    }
    const bool negative = !clean.empty() && clean[0] == '-';
    const std::u16string_view rest = s.substr(pos);
    if (rest == u"NaN")
        return std::numeric_limits<double>::quiet_NaN();
    if (rest == u"Infinity")
        return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    std::optional<FloatNumeral> numeral = readFloatNumeral(s, pos, false);
    if (!numeral)
        return std::nullopt;
    std::size_t after = numeral->end;
    if (after < s.size() && (s[after] == u'f' || s[after] == u'F' || s[after] == u'd' || s[after] == u'D'))
        ++after; // a float or double suffix
    if (after != s.size())
        return std::nullopt;
    clean += numeral->text;
    return readDouble(clean);
}

bool isJavaWhitespace(char16_t c)
{
    return (c >= 0x09 && c <= 0x0D) || (c >= 0x1C && c <= 0x20) || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A && c != 0x2007) || c == 0x2028 || c == 0x2029 || c == 0x205F ||
           c == 0x3000;
}

bool isIdentifierStart(char16_t c)
{
    return isJavaIdentifierStart(c);
}

bool isIdentifierPart(char16_t c)
{
    return isJavaIdentifierPart(c);
}

} // namespace runtime
