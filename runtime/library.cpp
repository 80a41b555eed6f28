#include "runtime/library.h"

#include "runtime/javachar.h"
#include "runtime/javamath.h"
#include "runtime/javascanner.h"
#include "runtime/javatext.h"
#include "runtime/messages.h"
#include "runtime/strictmath.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <random>

namespace runtime {

namespace {

const JString& str(const Val& v)
{
    if (!v.r)
        throwJava(JavaError::NullPointer);
    return static_cast<const JString&>(*v.r.get());
}

JScanner& scanner(const Val& v)
{
    if (!v.r)
        throwJava(JavaError::NullPointer);
    return static_cast<JScanner&>(*v.r.get());
}

void setInt(Val& r, std::int32_t v)
{
    r.p.i = v;
}
void setLong(Val& r, std::int64_t v)
{
    r.p.l = v;
}
void setDouble(Val& r, double v)
{
    r.p.d = v;
}
void setBool(Val& r, bool v)
{
    r.p.i = v ? 1 : 0;
}
void setString(Val& r, std::u16string text)
{
    r.r = makeString(std::move(text));
}
// Where Java returns the literal "" for an empty result.
void setStringOrEmpty(Val& r, std::u16string text)
{
    r.r = text.empty() ? emptyString() : makeString(std::move(text));
}

[[noreturn]] void numberFormat(const std::u16string& text)
{
    throwJava(JavaError::NumberFormat, "For input string: \"" + toUtf8(text) + "\"",
              msg::notANumber(toCp1252(text)));
}

// Java words an index outside a string in two ways, depending on the method and on whether the string
// holds only characters up to U+00FF (which a JDK keeps one byte a character).
enum class IndexWording : std::uint8_t { OutOfRange, WithLength, ByStorage };

[[noreturn]] void stringIndex(std::int32_t index, const std::u16string& s,
                              IndexWording wording = IndexWording::ByStorage)
{
    if (wording == IndexWording::ByStorage)
        wording = std::all_of(s.begin(), s.end(), [](char16_t c) { return c <= 0xFF; })
                      ? IndexWording::OutOfRange
                      : IndexWording::WithLength;
    const std::string detail =
        wording == IndexWording::OutOfRange
            ? "String index out of range: " + std::to_string(index)
            : "index " + std::to_string(index) + ", length " + std::to_string(s.size());
    throwJava(JavaError::StringIndexOutOfBounds, detail,
              msg::stringIndex(index, static_cast<long>(s.size())));
}

void checkRange(std::int32_t begin, std::int32_t end, std::size_t length)
{
    const auto len = static_cast<std::int32_t>(length);
    if (begin < 0 || begin > end || end > len)
        throwJava(JavaError::StringIndexOutOfBounds,
                  "begin " + std::to_string(begin) + ", end " + std::to_string(end) + ", length " +
                      std::to_string(len),
                  msg::stringRange(begin, end, len));
}

// --- Math ---

// A function of doubles as a library method.
template <double (*F)(double)> void unary(Machine&, Val* a, Val& r)
{
    setDouble(r, F(a[0].p.d));
}
template <double (*F)(double, double)> void binary(Machine&, Val* a, Val& r)
{
    setDouble(r, F(a[0].p.d, a[1].p.d));
}

void absInt(Machine&, Val* a, Val& r)
{
    const std::int32_t v = a[0].p.i;
    setInt(r, v < 0 ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(v)) : v);
}
void absLong(Machine&, Val* a, Val& r)
{
    const std::int64_t v = a[0].p.l;
    setLong(r, v < 0 ? static_cast<std::int64_t>(0ull - static_cast<std::uint64_t>(v)) : v);
}
void absDouble(Machine&, Val* a, Val& r)
{
    setDouble(r, std::fabs(a[0].p.d));
}
void maxInt(Machine&, Val* a, Val& r)
{
    setInt(r, std::max(a[0].p.i, a[1].p.i));
}
void maxLong(Machine&, Val* a, Val& r)
{
    setLong(r, std::max(a[0].p.l, a[1].p.l));
}
void minInt(Machine&, Val* a, Val& r)
{
    setInt(r, std::min(a[0].p.i, a[1].p.i));
}
void minLong(Machine&, Val* a, Val& r)
{
    setLong(r, std::min(a[0].p.l, a[1].p.l));
}
// Math.max and Math.min on doubles: NaN wins, and -0.0 counts as smaller than 0.0.
void maxDouble(Machine&, Val* a, Val& r)
{
    const double x = a[0].p.d;
    const double y = a[1].p.d;
    if (std::isnan(x) || std::isnan(y))
        setDouble(r, std::numeric_limits<double>::quiet_NaN());
    else if (x == 0.0 && y == 0.0)
        setDouble(r, std::signbit(x) ? y : x);
    else
        setDouble(r, x >= y ? x : y);
}
void minDouble(Machine&, Val* a, Val& r)
{
    const double x = a[0].p.d;
    const double y = a[1].p.d;
    if (std::isnan(x) || std::isnan(y))
        setDouble(r, std::numeric_limits<double>::quiet_NaN());
    else if (x == 0.0 && y == 0.0)
        setDouble(r, std::signbit(y) ? y : x);
    else
        setDouble(r, x <= y ? x : y);
}
void floorFn(Machine&, Val* a, Val& r)
{
    setDouble(r, std::floor(a[0].p.d));
}
void ceilFn(Machine&, Val* a, Val& r)
{
    setDouble(r, std::ceil(a[0].p.d));
}
// Math.round(double): the closest long, halves rounded up; NaN gives 0, out of range the limits.
void roundFn(Machine&, Val* a, Val& r)
{
    const double x = a[0].p.d;
    if (std::isnan(x)) {
        setLong(r, 0);
        return;
    }
    const double f = std::floor(x);
    const double rounded = x - f >= 0.5 ? f + 1 : f;
    if (rounded >= 9223372036854775807.0)
        setLong(r, std::numeric_limits<std::int64_t>::max());
    else if (rounded <= -9223372036854775808.0)
        setLong(r, std::numeric_limits<std::int64_t>::min());
    else
        setLong(r, static_cast<std::int64_t>(rounded));
}
void randomFn(Machine&, Val*, Val& r)
{
    static std::mt19937_64 generator{std::random_device{}()};
    setDouble(r, std::generate_canonical<double, 53>(generator));
}

void signumFn(Machine&, Val* a, Val& r)
{
    const double x = a[0].p.d;
    setDouble(r, x > 0 ? 1.0 : x < 0 ? -1.0 : x); // NaN, 0.0 and -0.0 stay as they are
}
void toRadiansFn(Machine&, Val* a, Val& r)
{
    setDouble(r, a[0].p.d * (3.141592653589793 / 180.0));
}
void toDegreesFn(Machine&, Val* a, Val& r)
{
    setDouble(r, a[0].p.d * (180.0 / 3.141592653589793));
}
// Math.floorDiv and floorMod: division rounded toward negative infinity, and the remainder that goes
// with it (the sign of the divisor).
template <class T> T floorDiv(T x, T y)
{
    if (y == 0)
        throwJava(JavaError::Arithmetic, "/ by zero", msg::kDivisionByZero);
    if (y == -1)
        return static_cast<T>(static_cast<std::make_unsigned_t<T>>(0) -
                              static_cast<std::make_unsigned_t<T>>(x));
    T q = static_cast<T>(x / y);
    if ((x % y != 0) && ((x < 0) != (y < 0)))
        --q;
    return q;
}
template <class T> T floorMod(T x, T y)
{
    if (y == 0)
        throwJava(JavaError::Arithmetic, "/ by zero", msg::kDivisionByZero);
    if (y == -1)
        return 0;
    const T m = static_cast<T>(x % y);
    return (m != 0 && ((m < 0) != (y < 0))) ? static_cast<T>(m + y) : m;
}
void floorDivInt(Machine&, Val* a, Val& r)
{
    setInt(r, floorDiv(a[0].p.i, a[1].p.i));
}
void floorDivLong(Machine&, Val* a, Val& r)
{
    setLong(r, floorDiv(a[0].p.l, a[1].p.l));
}
void floorModInt(Machine&, Val* a, Val& r)
{
    setInt(r, floorMod(a[0].p.i, a[1].p.i));
}
void floorModLong(Machine&, Val* a, Val& r)
{
    setLong(r, floorMod(a[0].p.l, a[1].p.l));
}

// --- Integer, Long, Double, Boolean ---

void parseIntFn(Machine&, Val* a, Val& r)
{
    if (!a[0].r)
        throwJava(JavaError::NumberFormat, "Cannot parse null string: null", msg::notANumber("null"));
    const std::u16string& text = str(a[0]).text();
    const std::optional<std::int32_t> v = parseJavaInt(text);
    if (!v)
        numberFormat(text);
    setInt(r, *v);
}
void parseLongFn(Machine&, Val* a, Val& r)
{
    if (!a[0].r)
        throwJava(JavaError::NumberFormat, "Cannot parse null string: null", msg::notANumber("null"));
    const std::u16string& text = str(a[0]).text();
    const std::optional<std::int64_t> v = parseJavaLong(text);
    if (!v)
        numberFormat(text);
    setLong(r, *v);
}
void parseDoubleFn(Machine&, Val* a, Val& r)
{
    const std::u16string& text = str(a[0]).text();
    const std::optional<double> v = parseJavaDouble(text);
    if (!v) {
        std::u16string trimmed = text;
        while (!trimmed.empty() && trimmed.back() <= u' ')
            trimmed.pop_back();
        std::size_t start = 0;
        while (start < trimmed.size() && trimmed[start] <= u' ')
            ++start;
        trimmed.erase(0, start);
        if (trimmed.empty())
            throwJava(JavaError::NumberFormat, "empty String", msg::notANumber(""));
        numberFormat(trimmed);
    }
    setDouble(r, *v);
}
void parseBooleanFn(Machine&, Val* a, Val& r)
{
    setBool(r, a[0].r && equalsIgnoringCase(textOf(a[0].r), u"true"));
}
void intToString(Machine&, Val* a, Val& r)
{
    std::u16string s;
    appendInteger(s, a[0].p.i);
    setString(r, std::move(s));
}
void longToString(Machine&, Val* a, Val& r)
{
    std::u16string s;
    appendInteger(s, a[0].p.l);
    setString(r, std::move(s));
}
void doubleToStringFn(Machine&, Val* a, Val& r)
{
    std::u16string s;
    appendDouble(s, a[0].p.d);
    setString(r, std::move(s));
}
void isNaNFn(Machine&, Val* a, Val& r)
{
    setBool(r, std::isnan(a[0].p.d));
}

// --- Character ---

// A test of Character's for a char or a code point.
template <bool (*F)(std::int32_t)> void charTest(Machine&, Val* a, Val& r)
{
    setBool(r, F(a[0].p.i));
}
bool isLetterOrDigit(std::int32_t cp)
{
    return isJavaLetter(cp) || isJavaDigit(cp);
}
// Character's case mappings: of a code point to a code point, of a char to a char.
template <std::int32_t (*F)(std::int32_t)> void codePointMap(Machine&, Val* a, Val& r)
{
    setInt(r, F(a[0].p.i));
}
template <std::int32_t (*F)(std::int32_t)> void charMap(Machine&, Val* a, Val& r)
{
    setInt(r, F(a[0].p.i) & 0xFFFF);
}

bool isHighSurrogate(std::int32_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(std::int32_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}
bool isSurrogate(std::int32_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}
bool isSupplementary(std::int32_t cp)
{
    return cp >= 0x10000 && cp <= 0x10FFFF;
}
bool isValidCodePoint(std::int32_t cp)
{
    return cp >= 0 && cp <= 0x10FFFF;
}
void charCountFn(Machine&, Val* a, Val& r)
{
    setInt(r, a[0].p.i >= 0x10000 ? 2 : 1);
}

void digitFn(Machine&, Val* a, Val& r)
{
    setInt(r, javaDigit(a[0].p.i, a[1].p.i));
}
void forDigitFn(Machine&, Val* a, Val& r)
{
    setInt(r, javaForDigit(a[0].p.i, a[1].p.i));
}

// --- String ---

void lengthFn(Machine&, Val* a, Val& r)
{
    setInt(r, static_cast<std::int32_t>(str(a[0]).text().size()));
}
void charAtFn(Machine&, Val* a, Val& r)
{
    const std::u16string& s = str(a[0]).text();
    const std::int32_t i = a[1].p.i;
    if (i < 0 || static_cast<std::size_t>(i) >= s.size())
        stringIndex(i, s);
    setInt(r, s[static_cast<std::size_t>(i)]);
}
// codePointAt and codePointBefore: a surrogate pair is one code point, a lone surrogate stands for itself.
void codePointAtFn(Machine&, Val* a, Val& r)
{
    const std::u16string& s = str(a[0]).text();
    const std::int32_t i = a[1].p.i;
    if (i < 0 || static_cast<std::size_t>(i) >= s.size())
        stringIndex(i, s, IndexWording::WithLength);
    const auto at = static_cast<std::size_t>(i);
    const char16_t c = s[at];
    if (c >= 0xD800 && c <= 0xDBFF && at + 1 < s.size() && s[at + 1] >= 0xDC00 && s[at + 1] <= 0xDFFF)
        setInt(r, 0x10000 + ((c - 0xD800) << 10) + (s[at + 1] - 0xDC00));
    else
        setInt(r, c);
}
void codePointBeforeFn(Machine&, Val* a, Val& r)
{
    const std::u16string& s = str(a[0]).text();
    const std::int32_t i = a[1].p.i;
    if (i < 1 || static_cast<std::size_t>(i) > s.size())
        stringIndex(i, s, IndexWording::OutOfRange);
    const auto at = static_cast<std::size_t>(i) - 1;
    const char16_t c = s[at];
    if (c >= 0xDC00 && c <= 0xDFFF && at > 0 && s[at - 1] >= 0xD800 && s[at - 1] <= 0xDBFF)
        setInt(r, 0x10000 + ((s[at - 1] - 0xD800) << 10) + (c - 0xDC00));
    else
        setInt(r, c);
}
// substring returns the string itself when it covers all of it, as Java does.
void substring2(Machine&, Val* a, Val& r)
{
    const std::u16string& s = str(a[0]).text();
    checkRange(a[1].p.i, a[2].p.i, s.size());
    if (a[1].p.i == 0 && static_cast<std::size_t>(a[2].p.i) == s.size()) {
        r.r = a[0].r;
        return;
    }
    setStringOrEmpty(
        r, s.substr(static_cast<std::size_t>(a[1].p.i), static_cast<std::size_t>(a[2].p.i - a[1].p.i)));
}
void substring1(Machine& m, Val* a, Val& r)
{
    a[2].p.i = static_cast<std::int32_t>(str(a[0]).text().size());
    substring2(m, a, r);
}
std::int32_t indexOf(const std::u16string& s, const std::u16string& needle, std::int32_t from)
{
    const std::size_t start = from < 0 ? 0 : static_cast<std::size_t>(from);
    if (start > s.size())
        return needle.empty() ? static_cast<std::int32_t>(s.size()) : -1;
    const std::size_t found = s.find(needle, start);
    return found == std::u16string::npos ? -1 : static_cast<std::int32_t>(found);
}
// The code units of a code point; nothing for a value that is none, which Java never finds.
std::optional<std::u16string> charText(std::int32_t c)
{
    if (c >= 0 && c <= 0xFFFF)
        return std::u16string(1, static_cast<char16_t>(c));
    if (c > 0xFFFF && c <= 0x10FFFF) {
        const auto v = static_cast<std::uint32_t>(c - 0x10000);
        return std::u16string{static_cast<char16_t>(0xD800 + (v >> 10)),
                              static_cast<char16_t>(0xDC00 + (v & 0x3FF))};
    }
    return std::nullopt;
}
// Character.toString of a char or a code point.
void charToStringFn(Machine&, Val* a, Val& r)
{
    const std::optional<std::u16string> text = charText(a[0].p.i);
    if (!text) {
        char hex[9];
        std::snprintf(hex, sizeof hex, "%X", static_cast<std::uint32_t>(a[0].p.i));
        throwJava(JavaError::IllegalArgument, std::string("Not a valid Unicode code point: 0x") + hex);
    }
    setString(r, *text);
}
void indexOfString(Machine&, Val* a, Val& r)
{
    setInt(r, indexOf(str(a[0]).text(), str(a[1]).text(), 0));
}
void indexOfStringFrom(Machine&, Val* a, Val& r)
{
    setInt(r, indexOf(str(a[0]).text(), str(a[1]).text(), a[2].p.i));
}
void indexOfCharFrom(Machine&, Val* a, Val& r)
{
    const std::u16string& s = str(a[0]).text();
    const std::optional<std::u16string> c = charText(a[1].p.i);
    setInt(r, c ? indexOf(s, *c, a[2].p.i) : -1);
}
void indexOfChar(Machine& m, Val* a, Val& r)
{
    a[2].p.i = 0;
    indexOfCharFrom(m, a, r);
}
// The last place at or before `from` where `needle` starts (from beyond the end: anywhere), or -1.
std::int32_t lastIndexOf(const std::u16string& s, const std::u16string& needle, std::int32_t from)
{
    if (from < 0)
        return -1;
    const std::size_t found = s.rfind(needle, static_cast<std::size_t>(from));
    return found == std::u16string::npos ? -1 : static_cast<std::int32_t>(found);
}
void lastIndexOfStringFrom(Machine&, Val* a, Val& r)
{
    setInt(r, lastIndexOf(str(a[0]).text(), str(a[1]).text(), a[2].p.i));
}
void lastIndexOfString(Machine& m, Val* a, Val& r)
{
    a[2].p.i = std::numeric_limits<std::int32_t>::max();
    lastIndexOfStringFrom(m, a, r);
}
void lastIndexOfCharFrom(Machine&, Val* a, Val& r)
{
    const std::u16string& s = str(a[0]).text();
    const std::optional<std::u16string> c = charText(a[1].p.i);
    setInt(r, c ? lastIndexOf(s, *c, a[2].p.i) : -1);
}
void lastIndexOfChar(Machine& m, Val* a, Val& r)
{
    a[2].p.i = std::numeric_limits<std::int32_t>::max();
    lastIndexOfCharFrom(m, a, r);
}
void equalsFn(Machine&, Val* a, Val& r)
{
    const JString& s = str(a[0]);
    const Obj* other = a[1].r.get();
    setBool(r, other && other->kind() == Obj::Kind::String &&
                   static_cast<const JString*>(other)->text() == s.text());
}
void equalsIgnoreCaseFn(Machine&, Val* a, Val& r)
{
    const std::u16string& s = str(a[0]).text();
    setBool(r, a[1].r && equalsIgnoringCase(s, textOf(a[1].r)));
}
void compareToFn(Machine&, Val* a, Val& r)
{
    const std::u16string& s = str(a[0]).text();
    const std::u16string& t = str(a[1]).text();
    const std::size_t n = std::min(s.size(), t.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (s[i] != t[i]) {
            setInt(r, static_cast<std::int32_t>(s[i]) - static_cast<std::int32_t>(t[i]));
            return;
        }
    }
    setInt(r, static_cast<std::int32_t>(s.size()) - static_cast<std::int32_t>(t.size()));
}
void compareToIgnoreCaseFn(Machine&, Val* a, Val& r)
{
    setInt(r, compareIgnoringCase(str(a[0]).text(), str(a[1]).text()));
}
// toUpperCase, toLowerCase, trim and strip return the string itself when nothing changes, as Java does.
void keepOrMake(Val* a, Val& r, std::u16string changed)
{
    if (changed == textOf(a[0].r))
        r.r = a[0].r;
    else
        setStringOrEmpty(r, std::move(changed));
}
void toUpperFn(Machine&, Val* a, Val& r)
{
    keepOrMake(a, r, upperCase(str(a[0]).text()));
}
void toLowerFn(Machine&, Val* a, Val& r)
{
    keepOrMake(a, r, lowerCase(str(a[0]).text()));
}
void trimFn(Machine&, Val* a, Val& r)
{
    const std::u16string& s = str(a[0]).text();
    std::size_t begin = 0;
    std::size_t end = s.size();
    while (begin < end && s[begin] <= u' ')
        ++begin;
    while (end > begin && s[end - 1] <= u' ')
        --end;
    keepOrMake(a, r, s.substr(begin, end - begin));
}
// strip, stripLeading and stripTrailing: Character.isWhitespace at either end.
template <bool Leading, bool Trailing> void stripFn(Machine&, Val* a, Val& r)
{
    keepOrMake(a, r, std::u16string(stripWhitespace(str(a[0]).text(), Leading, Trailing)));
}
void isEmptyFn(Machine&, Val* a, Val& r)
{
    setBool(r, str(a[0]).text().empty());
}
void isBlankFn(Machine&, Val* a, Val& r)
{
    setBool(r, stripWhitespace(str(a[0]).text(), true, false).empty());
}
void containsFn(Machine&, Val* a, Val& r)
{
    setBool(r, str(a[0]).text().find(str(a[1]).text()) != std::u16string::npos);
}
void startsWithFn(Machine&, Val* a, Val& r)
{
    setBool(r, str(a[0]).text().starts_with(str(a[1]).text()));
}
void endsWithFn(Machine&, Val* a, Val& r)
{
    setBool(r, str(a[0]).text().ends_with(str(a[1]).text()));
}
void replaceChar(Machine&, Val* a, Val& r)
{
    std::u16string s = str(a[0]).text();
    const auto from = static_cast<char16_t>(a[1].p.i);
    const auto to = static_cast<char16_t>(a[2].p.i);
    if (from == to || s.find(from) == std::u16string::npos) {
        r.r = a[0].r;
        return;
    }
    for (char16_t& c : s)
        if (c == from)
            c = to;
    setString(r, std::move(s));
}
void replaceString(Machine&, Val* a, Val& r)
{
    const std::u16string& s = str(a[0]).text();
    const std::u16string& from = str(a[1]).text();
    const std::u16string& to = str(a[2]).text();
    if (!from.empty() && s.find(from) == std::u16string::npos) {
        r.r = a[0].r;
        return;
    }
    std::u16string out;
    if (from.empty()) {
        // Java puts the replacement before every character and at the end.
        for (char16_t c : s) {
            out += to;
            out.push_back(c);
        }
        out += to;
    } else {
        std::size_t pos = 0;
        for (std::size_t found; (found = s.find(from, pos)) != std::u16string::npos;
             pos = found + from.size())
            out += s.substr(pos, found - pos) + to;
        out += s.substr(pos);
    }
    setStringOrEmpty(r, std::move(out));
}
void concatFn(Machine&, Val* a, Val& r)
{
    const std::u16string& t = str(a[1]).text();
    if (t.empty()) {
        r.r = a[0].r;
        return;
    }
    setString(r, str(a[0]).text() + t);
}
void repeatFn(Machine&, Val* a, Val& r)
{
    const std::u16string& s = str(a[0]).text();
    const std::int32_t n = a[1].p.i;
    if (n < 0)
        throwJava(JavaError::IllegalArgument, "count is negative: " + std::to_string(n));
    if (static_cast<double>(s.size()) * n > static_cast<double>(kMaxStringLength))
        throwJava(JavaError::OutOfMemory, "Java heap space");
    if (n == 1) {
        r.r = a[0].r;
        return;
    }
    std::u16string out;
    for (std::int32_t i = 0; i < n; ++i)
        out += s;
    setStringOrEmpty(r, std::move(out));
}
void toCharArrayFn(Machine&, Val* a, Val& r)
{
    const std::u16string& s = str(a[0]).text();
    r.r = makeArray(kChar, static_cast<std::int32_t>(s.size()));
    std::uint16_t* data = static_cast<CharArray*>(r.r.get())->data();
    for (std::size_t i = 0; i < s.size(); ++i)
        data[i] = s[i];
}

// --- Scanner ---

void nextIntFn(Machine& m, Val* a, Val& r)
{
    setInt(r, scanner(a[0]).nextInt(m));
}
void nextLongFn(Machine& m, Val* a, Val& r)
{
    setLong(r, scanner(a[0]).nextLong(m));
}
void nextDoubleFn(Machine& m, Val* a, Val& r)
{
    setDouble(r, scanner(a[0]).nextDouble(m));
}
void nextBooleanFn(Machine& m, Val* a, Val& r)
{
    setBool(r, scanner(a[0]).nextBoolean(m));
}
void nextFn(Machine& m, Val* a, Val& r)
{
    setString(r, scanner(a[0]).next(m));
}
void nextLineFn(Machine& m, Val* a, Val& r)
{
    setStringOrEmpty(r, scanner(a[0]).nextLine(m));
}
void hasNextFn(Machine& m, Val* a, Val& r)
{
    setBool(r, scanner(a[0]).hasNext(m));
}
void hasNextIntFn(Machine& m, Val* a, Val& r)
{
    setBool(r, scanner(a[0]).hasNextInt(m));
}
void hasNextLongFn(Machine& m, Val* a, Val& r)
{
    setBool(r, scanner(a[0]).hasNextLong(m));
}
void hasNextDoubleFn(Machine& m, Val* a, Val& r)
{
    setBool(r, scanner(a[0]).hasNextDouble(m));
}
void hasNextLineFn(Machine& m, Val* a, Val& r)
{
    setBool(r, scanner(a[0]).hasNextLine(m));
}
void closeFn(Machine& m, Val* a, Val&)
{
    scanner(a[0]).close(m);
}

const Type kCharArray{Base::Char, true};

} // namespace

void newStdinScanner(Machine&, Val*, Val& r)
{
    r.r = Ref(new JScanner());
}

void newStringScanner(Machine&, Val* a, Val& r)
{
    r.r = Ref(new JScanner(str(a[0]).text()));
}

void newEmptyString(Machine&, Val*, Val& r)
{
    setString(r, {});
}

void newStringCopy(Machine&, Val* a, Val& r)
{
    setString(r, str(a[0]).text());
}

void stringOfChars(Machine&, Val* a, Val& r)
{
    if (!a[0].r)
        throwJava(JavaError::NullPointer);
    const auto& chars = static_cast<const CharArray&>(*a[0].r.get());
    setString(r, std::u16string(chars.data(), chars.data() + chars.length()));
}

void newStringOfChars(Machine& m, Val* a, Val& r)
{
    stringOfChars(m, a, r);
}

void roundAsFloat(Machine&, Val* a, Val& r)
{
    const auto f = static_cast<float>(a[0].p.l);
    if (f >= 2147483648.0f)
        setInt(r, std::numeric_limits<std::int32_t>::max());
    else if (f <= -2147483648.0f)
        setInt(r, std::numeric_limits<std::int32_t>::min());
    else
        setInt(r, static_cast<std::int32_t>(f));
}

void stringValueOfObject(Machine&, Val* a, Val& r)
{
    if (a[0].r)
        r.r = a[0].r;
    else
        setString(r, u"null");
}

namespace {

// StrictMath offers every method Math offers; where a JDK's Math has routines of its own, StrictMath's
// are the fdlibm ones.
std::vector<Builtin> withStrictMath(std::vector<Builtin> table)
{
    const std::array<std::pair<std::u16string_view, BuiltinFn>, 7> strict = {{
        {u"sin", unary<strictmath::sin>},
        {u"cos", unary<strictmath::cos>},
        {u"tan", unary<strictmath::tan>},
        {u"exp", unary<strictmath::exp>},
        {u"log", unary<strictmath::log>},
        {u"log10", unary<strictmath::log10>},
        {u"pow", binary<strictmath::pow>},
    }};
    const std::size_t count = table.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (table[i].owner != u"Math")
            continue;
        Builtin copy = table[i];
        copy.owner = u"StrictMath";
        for (const auto& [name, fn] : strict)
            if (copy.name == name)
                copy.fn = fn;
        table.push_back(std::move(copy));
    }
    return table;
}

} // namespace

namespace {

// Math (StrictMath is made from it).
void mathMethods(std::vector<Builtin>& table)
{
    table.insert(table.end(),
                 {
                     {u"Math", u"abs", false, {kInt}, kInt, absInt},
                     {u"Math", u"abs", false, {kLong}, kLong, absLong},
                     {u"Math", u"abs", false, {kDouble}, kDouble, absDouble},
                     {u"Math", u"max", false, {kInt, kInt}, kInt, maxInt},
                     {u"Math", u"max", false, {kLong, kLong}, kLong, maxLong},
                     {u"Math", u"max", false, {kDouble, kDouble}, kDouble, maxDouble},
                     {u"Math", u"min", false, {kInt, kInt}, kInt, minInt},
                     {u"Math", u"min", false, {kLong, kLong}, kLong, minLong},
                     {u"Math", u"min", false, {kDouble, kDouble}, kDouble, minDouble},
                     {u"Math", u"sqrt", false, {kDouble}, kDouble, unary<strictmath::sqrt>},
                     {u"Math", u"pow", false, {kDouble, kDouble}, kDouble, binary<javamath::pow>},
                     {u"Math", u"floor", false, {kDouble}, kDouble, floorFn},
                     {u"Math", u"ceil", false, {kDouble}, kDouble, ceilFn},
                     {u"Math", u"round", false, {kDouble}, kLong, roundFn},
                     {u"Math", u"random", false, {}, kDouble, randomFn},
                     {u"Math", u"exp", false, {kDouble}, kDouble, unary<javamath::exp>},
                     {u"Math", u"log", false, {kDouble}, kDouble, unary<javamath::log>},
                     {u"Math", u"log10", false, {kDouble}, kDouble, unary<javamath::log10>},
                     {u"Math", u"sin", false, {kDouble}, kDouble, unary<javamath::sin>},
                     {u"Math", u"cos", false, {kDouble}, kDouble, unary<javamath::cos>},
                     {u"Math", u"tan", false, {kDouble}, kDouble, unary<javamath::tan>},
                     {u"Math", u"cbrt", false, {kDouble}, kDouble, unary<strictmath::cbrt>},
                     {u"Math", u"hypot", false, {kDouble, kDouble}, kDouble, binary<strictmath::hypot>},
                     {u"Math", u"signum", false, {kDouble}, kDouble, signumFn},
                     {u"Math", u"toRadians", false, {kDouble}, kDouble, toRadiansFn},
                     {u"Math", u"toDegrees", false, {kDouble}, kDouble, toDegreesFn},
                     {u"Math", u"asin", false, {kDouble}, kDouble, unary<strictmath::asin>},
                     {u"Math", u"acos", false, {kDouble}, kDouble, unary<strictmath::acos>},
                     {u"Math", u"atan", false, {kDouble}, kDouble, unary<strictmath::atan>},
                     {u"Math", u"atan2", false, {kDouble, kDouble}, kDouble, binary<strictmath::atan2>},
                     {u"Math", u"sinh", false, {kDouble}, kDouble, unary<strictmath::sinh>},
                     {u"Math", u"cosh", false, {kDouble}, kDouble, unary<strictmath::cosh>},
                     {u"Math", u"tanh", false, {kDouble}, kDouble, unary<strictmath::tanh>},
                     {u"Math", u"expm1", false, {kDouble}, kDouble, unary<strictmath::expm1>},
                     {u"Math", u"log1p", false, {kDouble}, kDouble, unary<strictmath::log1p>},
                     {u"Math", u"floorDiv", false, {kInt, kInt}, kInt, floorDivInt},
                     {u"Math", u"floorDiv", false, {kLong, kLong}, kLong, floorDivLong},
                     {u"Math", u"floorMod", false, {kInt, kInt}, kInt, floorModInt},
                     {u"Math", u"floorMod", false, {kLong, kLong}, kLong, floorModLong},
                 });
}

// Integer, Long, Double and Boolean.
void numberMethods(std::vector<Builtin>& table)
{
    table.insert(table.end(), {
                                  {u"Integer", u"parseInt", false, {kString}, kInt, parseIntFn},
                                  {u"Integer", u"toString", false, {kInt}, kString, intToString},
                                  {u"Long", u"parseLong", false, {kString}, kLong, parseLongFn},
                                  {u"Long", u"toString", false, {kLong}, kString, longToString},
                                  {u"Double", u"parseDouble", false, {kString}, kDouble, parseDoubleFn},
                                  {u"Double", u"toString", false, {kDouble}, kString, doubleToStringFn},
                                  {u"Double", u"isNaN", false, {kDouble}, kBoolean, isNaNFn},
                                  {u"Boolean", u"parseBoolean", false, {kString}, kBoolean, parseBooleanFn},
                              });
}

// A static method of Character for a char and for a code point (an int).
void charAndCodePoint(std::vector<Builtin>& table, std::u16string_view name, Type charResult, Type intResult,
                      BuiltinFn charFn, BuiltinFn intFn)
{
    table.push_back({u"Character", name, false, {kChar}, charResult, charFn});
    table.push_back({u"Character", name, false, {kInt}, intResult, intFn});
}

// Character: its tests and mappings for chars and code points, surrogates, digits.
void characterMethods(std::vector<Builtin>& table)
{
    const std::array<std::pair<std::u16string_view, BuiltinFn>, 12> tests = {{
        {u"isDigit", charTest<isJavaDigit>},
        {u"isLetter", charTest<isJavaLetter>},
        {u"isLetterOrDigit", charTest<isLetterOrDigit>},
        {u"isUpperCase", charTest<isJavaUpperCase>},
        {u"isLowerCase", charTest<isJavaLowerCase>},
        {u"isTitleCase", charTest<isJavaTitleCase>},
        {u"isWhitespace", charTest<isJavaWhitespaceCodePoint>},
        {u"isSpaceChar", charTest<isJavaSpaceChar>},
        {u"isDefined", charTest<isJavaDefined>},
        {u"isJavaIdentifierStart", charTest<isJavaIdentifierStart>},
        {u"isJavaIdentifierPart", charTest<isJavaIdentifierPart>},
        {u"getNumericValue", codePointMap<javaNumericValue>},
    }};
    for (const auto& [name, fn] : tests) {
        const Type result = name == u"getNumericValue" ? kInt : kBoolean;
        charAndCodePoint(table, name, result, result, fn, fn);
    }
    charAndCodePoint(table, u"toUpperCase", kChar, kInt, charMap<javaUpperOf>, codePointMap<javaUpperOf>);
    charAndCodePoint(table, u"toLowerCase", kChar, kInt, charMap<javaLowerOf>, codePointMap<javaLowerOf>);
    charAndCodePoint(table, u"toTitleCase", kChar, kInt, charMap<javaTitleOf>, codePointMap<javaTitleOf>);
    charAndCodePoint(table, u"toString", kString, kString, charToStringFn, charToStringFn);
    const Type b = kBoolean;
    table.insert(table.end(),
                 {
                     {u"Character", u"digit", false, {kChar, kInt}, kInt, digitFn},
                     {u"Character", u"digit", false, {kInt, kInt}, kInt, digitFn},
                     {u"Character", u"forDigit", false, {kInt, kInt}, kChar, forDigitFn},
                     {u"Character", u"isAlphabetic", false, {kInt}, b, charTest<isJavaAlphabetic>},
                     {u"Character", u"isIdeographic", false, {kInt}, b, charTest<isJavaIdeographic>},
                     {u"Character", u"isSurrogate", false, {kChar}, b, charTest<isSurrogate>},
                     {u"Character", u"isHighSurrogate", false, {kChar}, b, charTest<isHighSurrogate>},
                     {u"Character", u"isLowSurrogate", false, {kChar}, b, charTest<isLowSurrogate>},
                     {u"Character", u"isSupplementaryCodePoint", false, {kInt}, b, charTest<isSupplementary>},
                     {u"Character", u"isValidCodePoint", false, {kInt}, b, charTest<isValidCodePoint>},
                     {u"Character", u"charCount", false, {kInt}, kInt, charCountFn},
                 });
}

// String.
void stringMethods(std::vector<Builtin>& table)
{
    table.insert(table.end(),
                 {
                     {u"String", u"length", true, {}, kInt, lengthFn},
                     {u"String", u"charAt", true, {kInt}, kChar, charAtFn},
                     {u"String", u"codePointAt", true, {kInt}, kInt, codePointAtFn},
                     {u"String", u"codePointBefore", true, {kInt}, kInt, codePointBeforeFn},
                     {u"String", u"substring", true, {kInt}, kString, substring1},
                     {u"String", u"substring", true, {kInt, kInt}, kString, substring2},
                     {u"String", u"indexOf", true, {kString}, kInt, indexOfString},
                     {u"String", u"indexOf", true, {kInt}, kInt, indexOfChar},
                     {u"String", u"indexOf", true, {kString, kInt}, kInt, indexOfStringFrom},
                     {u"String", u"indexOf", true, {kInt, kInt}, kInt, indexOfCharFrom},
                     {u"String", u"lastIndexOf", true, {kString}, kInt, lastIndexOfString},
                     {u"String", u"lastIndexOf", true, {kInt}, kInt, lastIndexOfChar},
                     {u"String", u"lastIndexOf", true, {kString, kInt}, kInt, lastIndexOfStringFrom},
                     {u"String", u"lastIndexOf", true, {kInt, kInt}, kInt, lastIndexOfCharFrom},
                     {u"String", u"equals", true, {kObject}, kBoolean, equalsFn},
                     {u"String", u"equalsIgnoreCase", true, {kString}, kBoolean, equalsIgnoreCaseFn},
                     {u"String", u"compareTo", true, {kString}, kInt, compareToFn},
                     {u"String", u"compareToIgnoreCase", true, {kString}, kInt, compareToIgnoreCaseFn},
                     {u"String", u"toUpperCase", true, {}, kString, toUpperFn},
                     {u"String", u"toLowerCase", true, {}, kString, toLowerFn},
                     {u"String", u"trim", true, {}, kString, trimFn},
                     {u"String", u"strip", true, {}, kString, stripFn<true, true>},
                     {u"String", u"stripLeading", true, {}, kString, stripFn<true, false>},
                     {u"String", u"stripTrailing", true, {}, kString, stripFn<false, true>},
                     {u"String", u"isEmpty", true, {}, kBoolean, isEmptyFn},
                     {u"String", u"isBlank", true, {}, kBoolean, isBlankFn},
                     {u"String", u"contains", true, {kString}, kBoolean, containsFn},
                     {u"String", u"startsWith", true, {kString}, kBoolean, startsWithFn},
                     {u"String", u"endsWith", true, {kString}, kBoolean, endsWithFn},
                     {u"String", u"replace", true, {kChar, kChar}, kString, replaceChar},
                     {u"String", u"replace", true, {kString, kString}, kString, replaceString},
                     {u"String", u"concat", true, {kString}, kString, concatFn},
                     {u"String", u"repeat", true, {kInt}, kString, repeatFn},
                     {u"String", u"toCharArray", true, {}, kCharArray, toCharArrayFn},
                 });
}

// Scanner.
void scannerMethods(std::vector<Builtin>& table)
{
    table.insert(table.end(), {
                                  {u"Scanner", u"nextInt", true, {}, kInt, nextIntFn},
                                  {u"Scanner", u"nextLong", true, {}, kLong, nextLongFn},
                                  {u"Scanner", u"nextDouble", true, {}, kDouble, nextDoubleFn},
                                  {u"Scanner", u"nextBoolean", true, {}, kBoolean, nextBooleanFn},
                                  {u"Scanner", u"next", true, {}, kString, nextFn},
                                  {u"Scanner", u"nextLine", true, {}, kString, nextLineFn},
                                  {u"Scanner", u"hasNext", true, {}, kBoolean, hasNextFn},
                                  {u"Scanner", u"hasNextInt", true, {}, kBoolean, hasNextIntFn},
                                  {u"Scanner", u"hasNextLong", true, {}, kBoolean, hasNextLongFn},
                                  {u"Scanner", u"hasNextDouble", true, {}, kBoolean, hasNextDoubleFn},
                                  {u"Scanner", u"hasNextLine", true, {}, kBoolean, hasNextLineFn},
                                  {u"Scanner", u"close", true, {}, kVoid, closeFn},
                              });
}

} // namespace

std::span<const Builtin> builtins()
{
    static const std::vector<Builtin> table = [] {
        std::vector<Builtin> methods;
        mathMethods(methods);
        numberMethods(methods);
        characterMethods(methods);
        stringMethods(methods);
        scannerMethods(methods);
        return withStrictMath(std::move(methods));
    }();
    return table;
}

std::span<const StaticField> staticFields()
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    static const std::vector<StaticField> table = {
        {u"Integer", u"MAX_VALUE", kInt, Prim{.i = std::numeric_limits<std::int32_t>::max()}},
        {u"Integer", u"MIN_VALUE", kInt, Prim{.i = std::numeric_limits<std::int32_t>::min()}},
        {u"Long", u"MAX_VALUE", kLong, Prim{.l = std::numeric_limits<std::int64_t>::max()}},
        {u"Long", u"MIN_VALUE", kLong, Prim{.l = std::numeric_limits<std::int64_t>::min()}},
        {u"Double", u"MAX_VALUE", kDouble, Prim{.d = std::numeric_limits<double>::max()}},
        {u"Double", u"MIN_VALUE", kDouble, Prim{.d = std::numeric_limits<double>::denorm_min()}},
        {u"Double", u"POSITIVE_INFINITY", kDouble, Prim{.d = inf}},
        {u"Double", u"NEGATIVE_INFINITY", kDouble, Prim{.d = -inf}},
        {u"Double", u"NaN", kDouble, Prim{.d = std::numeric_limits<double>::quiet_NaN()}},
        {u"Character", u"MAX_VALUE", kChar, Prim{.i = 0xFFFF}},
        {u"Character", u"MIN_VALUE", kChar, Prim{.i = 0}},
        {u"Math", u"PI", kDouble, Prim{.d = 3.141592653589793}},
        {u"Math", u"E", kDouble, Prim{.d = 2.718281828459045}},
        {u"StrictMath", u"PI", kDouble, Prim{.d = 3.141592653589793}},
        {u"StrictMath", u"E", kDouble, Prim{.d = 2.718281828459045}},
    };
    return table;
}

bool isLibraryClass(std::u16string_view name)
{
    return name == u"Math" || name == u"StrictMath" || name == u"Integer" || name == u"Long" ||
           name == u"Double" || name == u"Boolean" || name == u"Character" || name == u"String" ||
           name == u"System";
}

} // namespace runtime
