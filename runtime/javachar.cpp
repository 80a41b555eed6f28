#include "runtime/javachar.h"

#include "runtime/javatext.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>

namespace runtime {

namespace {

bool isCodePoint(std::int32_t cp)
{
    return cp >= 0 && cp <= 0x10FFFF;
}

// Whether a JDK 17 knows the code point: ICU answers for a later Unicode version, and a character
// assigned after Unicode 13.0 is unassigned to that JDK (unassigned code points have the age 0.0).
bool knownToJava(UChar32 cp)
{
    UVersionInfo age;
    u_charAge(cp, age);
    return age[0] < 13 || (age[0] == 13 && age[1] == 0);
}

// Character.getType as a JDK 17 answers it.
UCharCategory javaType(std::int32_t cp)
{
    if (!isCodePoint(cp) || !knownToJava(cp))
        return U_UNASSIGNED;
    return static_cast<UCharCategory>(u_charType(cp));
}

// Characters of Unicode 13 that a later Unicode version gave a property they did not have before.
struct LaterProperty
{
    std::int32_t cp;
    UProperty property;
};
constexpr LaterProperty kLaterProperties[] = {
    {0x0C04, UCHAR_ALPHABETIC},  {0x0F82, UCHAR_ALPHABETIC},  {0x0F83, UCHAR_ALPHABETIC},
    {0x11080, UCHAR_ALPHABETIC}, {0x11081, UCHAR_ALPHABETIC}, {0x10FC, UCHAR_LOWERCASE},
    {0xAB69, UCHAR_LOWERCASE},
};

bool hasProperty(std::int32_t cp, UProperty property)
{
    if (!isCodePoint(cp) || !knownToJava(cp) || u_hasBinaryProperty(cp, property) == 0)
        return false;
    return std::none_of(std::begin(kLaterProperties), std::end(kLaterProperties),
                        [&](const LaterProperty& p) { return p.cp == cp && p.property == property; });
}

// A simple case mapping of ICU's, kept to characters the JDK knows on both ends.
std::int32_t mapped(std::int32_t cp, UChar32 (*map)(UChar32))
{
    if (!isCodePoint(cp) || !knownToJava(cp))
        return cp;
    const UChar32 to = map(cp);
    return knownToJava(to) ? to : cp;
}

void appendCodePoint(std::u16string& out, std::int32_t cp)
{
    if (cp <= 0xFFFF) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        out.push_back(static_cast<char16_t>(U16_LEAD(cp)));
        out.push_back(static_cast<char16_t>(U16_TRAIL(cp)));
    }
}

// The code point at `i` (a surrogate pair is one; a lone surrogate stands for itself) and the one ending
// before `i`.
std::int32_t codePointAt(std::u16string_view s, std::size_t i)
{
    if (U16_IS_LEAD(s[i]) && i + 1 < s.size() && U16_IS_TRAIL(s[i + 1]))
        return U16_GET_SUPPLEMENTARY(s[i], s[i + 1]);
    return s[i];
}
std::int32_t codePointBefore(std::u16string_view s, std::size_t i)
{
    if (U16_IS_TRAIL(s[i - 1]) && i >= 2 && U16_IS_LEAD(s[i - 2]))
        return U16_GET_SUPPLEMENTARY(s[i - 2], s[i - 1]);
    return s[i - 1];
}
std::size_t unitsOf(std::int32_t cp)
{
    return cp > 0xFFFF ? 2 : 1;
}

// --- Where Java's word iterator ends a word, for the final sigma ---

// What a character is to the word iterator: marks and format characters belong to the character before
// them; letters (with the underscore) and digits join into words, the same run of kanji, katakana or hiragana
// into another; some punctuation joins two letters (a hyphen, an apostrophe, a period) or two digits (also a
// comma).
enum class WordClass : std::uint8_t { Ignored, Letter, Digit, Kanji, Katakana, Hiragana, Other };

WordClass wordClass(std::int32_t cp)
{
    if (cp == 0x3005 || (cp >= 0x4E00 && cp <= 0x9FA5) || (cp >= 0xF900 && cp <= 0xFA2D))
        return WordClass::Kanji;
    if ((cp >= 0x3099 && cp <= 0x309C) || (cp >= 0x30A1 && cp <= 0x30FE))
        return WordClass::Katakana;
    if (cp >= 0x3041 && cp <= 0x309E)
        return WordClass::Hiragana;
    switch (javaType(cp)) {
    case U_NON_SPACING_MARK:
    case U_ENCLOSING_MARK:
    case U_FORMAT_CHAR:
        return WordClass::Ignored;
    case U_UPPERCASE_LETTER:
    case U_LOWERCASE_LETTER:
    case U_TITLECASE_LETTER:
    case U_MODIFIER_LETTER:
    case U_OTHER_LETTER:
    case U_COMBINING_SPACING_MARK:
    case U_CONNECTOR_PUNCTUATION: // "_"
        return WordClass::Letter;
    case U_DECIMAL_DIGIT_NUMBER:
    case U_LETTER_NUMBER:
    case U_OTHER_NUMBER:
        return WordClass::Digit;
    default:
        return WordClass::Other;
    }
}

bool joinsLetters(std::int32_t cp)
{
    return cp == u'"' || cp == u'\'' || cp == u'.' || cp == 0x2027 || javaType(cp) == U_DASH_PUNCTUATION;
}
bool joinsDigits(std::int32_t cp)
{
    return cp == u'"' || cp == u'\'' || cp == u'.' || cp == u',' || cp == 0x066B;
}

// The first code point before `i` (forward: from `i` on) that is no mark or format character, or -1.
std::int32_t significantBefore(std::u16string_view s, std::size_t i, std::size_t* at = nullptr)
{
    while (i > 0) {
        const std::int32_t cp = codePointBefore(s, i);
        i -= unitsOf(cp);
        if (wordClass(cp) != WordClass::Ignored) {
            if (at)
                *at = i;
            return cp;
        }
    }
    return -1;
}
std::int32_t significantFrom(std::u16string_view s, std::size_t i)
{
    while (i < s.size()) {
        const std::int32_t cp = codePointAt(s, i);
        if (wordClass(cp) != WordClass::Ignored)
            return cp;
        i += unitsOf(cp);
    }
    return -1;
}

bool isWordBoundary(std::u16string_view s, std::size_t i)
{
    if (i == 0 || i >= s.size())
        return true;
    const std::int32_t c = codePointAt(s, i);
    const WordClass cc = wordClass(c);
    if (cc == WordClass::Ignored)
        return false;
    std::size_t at = 0;
    const std::int32_t p = significantBefore(s, i, &at);
    if (p < 0)
        return true;
    const WordClass pc = wordClass(p);
    const auto wordPart = [](WordClass k) { return k == WordClass::Letter || k == WordClass::Digit; };
    if ((wordPart(pc) && wordPart(cc)) || (pc == cc && pc != WordClass::Other))
        return false;
    // A joining character between two letters or two digits, seen from either side.
    const std::int32_t next = significantFrom(s, i + unitsOf(c));
    const std::int32_t beforeP = significantBefore(s, at);
    const auto between = [&](WordClass k, bool (*joins)(std::int32_t)) {
        return (pc == k && joins(c) && next >= 0 && wordClass(next) == k) ||
               (cc == k && joins(p) && beforeP >= 0 && wordClass(beforeP) == k);
    };
    return !between(WordClass::Letter, joinsLetters) && !between(WordClass::Digit, joinsDigits);
}

bool isCased(std::int32_t cp)
{
    return isJavaUpperCase(cp) || isJavaLowerCase(cp) || isJavaTitleCase(cp);
}

// Java's final sigma: a cased letter stands before the sigma in its word, and none after it.
bool isFinalSigma(std::u16string_view s, std::size_t index)
{
    bool casedBefore = false;
    for (std::size_t i = index; !casedBefore && !isWordBoundary(s, i);) {
        const std::int32_t cp = codePointBefore(s, i);
        casedBefore = isCased(cp);
        i -= unitsOf(cp);
    }
    if (!casedBefore)
        return false;
    for (std::size_t i = index + 1; i < s.size() && !isWordBoundary(s, i);) {
        const std::int32_t cp = codePointAt(s, i);
        if (isCased(cp))
            return false;
        i += unitsOf(cp);
    }
    return true;
}

// ICU's full upper-case mapping (the root locale: no Turkish or Lithuanian rules, and without a context
// in any case) of a run of characters the JDK knows, appended to `out`.
void appendUpperRun(std::u16string& out, std::u16string_view run)
{
    if (run.empty())
        return;
    const auto length = static_cast<std::int32_t>(run.size());
    const std::size_t start = out.size();
    out.resize(start + run.size() * 3); // no character becomes more than three
    UErrorCode status = U_ZERO_ERROR;
    const std::int32_t written =
        u_strToUpper(reinterpret_cast<UChar*>(out.data() + start), length * 3,
                     reinterpret_cast<const UChar*>(run.data()), length, "", &status);
    out.resize(start + (U_SUCCESS(status) ? static_cast<std::size_t>(written) : 0));
    if (U_FAILURE(status))
        out.append(run); // only for lack of memory inside ICU
}

} // namespace

bool isJavaLetter(std::int32_t cp)
{
    switch (javaType(cp)) {
    case U_UPPERCASE_LETTER:
    case U_LOWERCASE_LETTER:
    case U_TITLECASE_LETTER:
    case U_MODIFIER_LETTER:
    case U_OTHER_LETTER:
        return true;
    default:
        return false;
    }
}

bool isJavaDigit(std::int32_t cp)
{
    return javaType(cp) == U_DECIMAL_DIGIT_NUMBER;
}

bool isJavaAlphabetic(std::int32_t cp)
{
    return hasProperty(cp, UCHAR_ALPHABETIC);
}

bool isJavaUpperCase(std::int32_t cp)
{
    return hasProperty(cp, UCHAR_UPPERCASE);
}

bool isJavaLowerCase(std::int32_t cp)
{
    return hasProperty(cp, UCHAR_LOWERCASE);
}

bool isJavaTitleCase(std::int32_t cp)
{
    return javaType(cp) == U_TITLECASE_LETTER;
}

bool isJavaWhitespaceCodePoint(std::int32_t cp)
{
    return cp >= 0 && cp <= 0xFFFF && isJavaWhitespace(static_cast<char16_t>(cp));
}

bool isJavaSpaceChar(std::int32_t cp)
{
    const UCharCategory type = javaType(cp);
    return type == U_SPACE_SEPARATOR || type == U_LINE_SEPARATOR || type == U_PARAGRAPH_SEPARATOR;
}

bool isJavaIdeographic(std::int32_t cp)
{
    return hasProperty(cp, UCHAR_IDEOGRAPHIC);
}

bool isJavaDefined(std::int32_t cp)
{
    return javaType(cp) != U_UNASSIGNED;
}

bool isJavaIdentifierStart(std::int32_t cp)
{
    const UCharCategory type = javaType(cp);
    return isJavaLetter(cp) || type == U_LETTER_NUMBER || type == U_CURRENCY_SYMBOL ||
           type == U_CONNECTOR_PUNCTUATION;
}

bool isJavaIdentifierPart(std::int32_t cp)
{
    if (isJavaIdentifierStart(cp))
        return true;
    const UCharCategory type = javaType(cp);
    const bool ignorable = (cp >= 0 && cp <= 8) || (cp >= 0x0E && cp <= 0x1B) || (cp >= 0x7F && cp <= 0x9F) ||
                           type == U_FORMAT_CHAR;
    return ignorable || type == U_DECIMAL_DIGIT_NUMBER || type == U_COMBINING_SPACING_MARK ||
           type == U_NON_SPACING_MARK;
}

namespace {

// The value of a Latin letter, also in its full-width form, as a digit: a and A are 10, z and Z 35.
std::int32_t latinLetterValue(std::int32_t cp)
{
    for (const std::int32_t base : {0x41, 0x61, 0xFF21, 0xFF41})
        if (cp >= base && cp < base + 26)
            return 10 + cp - base;
    return -1;
}

} // namespace

std::int32_t javaNumericValue(std::int32_t cp)
{
    if (const std::int32_t letter = latinLetterValue(cp); letter >= 0)
        return letter;
    // The values of the unified Han characters come from a database of their own, which Java leaves out.
    if (javaType(cp) == U_UNASSIGNED || u_getIntPropertyValue(cp, UCHAR_NUMERIC_TYPE) == U_NT_NONE ||
        u_hasBinaryProperty(cp, UCHAR_UNIFIED_IDEOGRAPH))
        return -1;
    const double value = u_getNumericValue(cp);
    if (value < 0 || value > 2147483647.0 || value != static_cast<double>(static_cast<std::int32_t>(value)))
        return -2;
    return static_cast<std::int32_t>(value);
}

std::int32_t javaDigit(std::int32_t cp, std::int32_t radix)
{
    if (radix < 2 || radix > 36)
        return -1;
    const std::int32_t value = isJavaDigit(cp) ? u_charDigitValue(cp) : latinLetterValue(cp);
    return value < radix ? value : -1;
}

char16_t javaForDigit(std::int32_t digit, std::int32_t radix)
{
    if (radix < 2 || radix > 36 || digit < 0 || digit >= radix)
        return u'\0';
    return static_cast<char16_t>(digit < 10 ? u'0' + digit : u'a' + digit - 10);
}

std::int32_t javaUpperOf(std::int32_t cp)
{
    return mapped(cp, u_toupper);
}

std::int32_t javaLowerOf(std::int32_t cp)
{
    return mapped(cp, u_tolower);
}

std::int32_t javaTitleOf(std::int32_t cp)
{
    return mapped(cp, u_totitle);
}

std::u16string upperCase(std::u16string_view text)
{
    // Runs of characters the JDK knows go through ICU whole, each at most this long (the mapping has no
    // context, so a cut between two code points changes nothing); the others stay as they are.
    constexpr std::size_t kRun = 1 << 16;
    std::u16string out;
    out.reserve(text.size());
    std::size_t runStart = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::int32_t cp = codePointAt(text, i);
        const std::size_t units = unitsOf(cp);
        if (!knownToJava(cp) || i - runStart >= kRun) {
            appendUpperRun(out, text.substr(runStart, i - runStart));
            runStart = i;
        }
        if (!knownToJava(cp)) {
            out.append(text.substr(i, units));
            runStart = i + units;
        }
        i += units;
    }
    appendUpperRun(out, text.substr(runStart));
    return out;
}

std::u16string lowerCase(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::int32_t cp = codePointAt(text, i);
        if (cp == 0x3A3)
            out.push_back(isFinalSigma(text, i) ? u'\u03C2' : u'\u03C3');
        else if (cp == 0x130)
            out += u"i\u0307";
        else
            appendCodePoint(out, javaLowerOf(cp));
        i += unitsOf(cp);
    }
    return out;
}

namespace {

// Two code points compared as equalsIgnoreCase and compareToIgnoreCase compare them: equal when their
// upper cases are equal, or the lower cases of those.
std::int32_t compareFolded(std::int32_t a, std::int32_t b)
{
    a = javaUpperOf(a);
    b = javaUpperOf(b);
    if (a == b)
        return 0;
    return javaLowerOf(a) - javaLowerOf(b);
}

// The code point a code unit at `i` belongs to: a surrogate with its partner (before a low surrogate, after
// a high one), any other unit itself. `pairStartsHere` tells that `i` holds the high half of a pair.
std::int32_t codePointIncluding(std::u16string_view s, std::size_t i, bool& pairStartsHere)
{
    pairStartsHere = false;
    const char16_t c = s[i];
    if (U16_IS_TRAIL(c) && i > 0 && U16_IS_LEAD(s[i - 1]))
        return U16_GET_SUPPLEMENTARY(s[i - 1], c);
    if (U16_IS_LEAD(c) && i + 1 < s.size() && U16_IS_TRAIL(s[i + 1])) {
        pairStartsHere = true;
        return U16_GET_SUPPLEMENTARY(c, s[i + 1]);
    }
    return c;
}

} // namespace

std::int32_t compareIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    // A JDK keeps a text of characters up to U+00FF one byte a character; against such a text it
    // compares code unit by code unit.
    const auto latin1 = [](std::u16string_view s) {
        return std::all_of(s.begin(), s.end(), [](char16_t c) { return c <= 0xFF; });
    };
    const bool units = latin1(a) || latin1(b);
    std::size_t i = 0;
    std::size_t j = 0;
    for (; i < a.size() && j < b.size(); ++i, ++j) {
        if (a[i] == b[j] || compareFolded(a[i], b[j]) == 0)
            continue;
        if (units)
            return compareFolded(a[i], b[j]);
        // Units that differ may be halves of characters beyond the first plane: compare those whole.
        bool pairA = false;
        bool pairB = false;
        const std::int32_t x = codePointIncluding(a, i, pairA);
        const std::int32_t y = codePointIncluding(b, j, pairB);
        i += pairA ? 1 : 0;
        j += pairB ? 1 : 0;
        if (const std::int32_t diff = compareFolded(x, y); diff != 0)
            return diff;
    }
    return static_cast<std::int32_t>(a.size()) - static_cast<std::int32_t>(b.size());
}

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size() && compareIgnoringCase(a, b) == 0;
}

std::u16string_view stripWhitespace(std::u16string_view text, bool leading, bool trailing)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    // No character beyond the first plane is white space, so code units will do.
    while (leading && begin < end && isJavaWhitespace(text[begin]))
        ++begin;
    while (trailing && end > begin && isJavaWhitespace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

} // namespace runtime
