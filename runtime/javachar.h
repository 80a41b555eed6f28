#pragma once

// Java's Character tests and case mappings and String's case rules over all of Unicode, as a JDK 17
// answers them: Unicode 13.0. The character database is ICU's; characters ICU knows from a later
// Unicode version count as unassigned, as they are to that JDK. Strings are UTF-16 code units.

#include <cstdint>
#include <string>
#include <string_view>

namespace runtime {

// Character.isLetter, isDigit, isLetterOrDigit, isAlphabetic, isUpperCase, isLowerCase, isTitleCase,
// isWhitespace, isSpaceChar, isIdeographic and isDefined for a code point; a value that is no code point
// (below 0 or above U+10FFFF) is none of them.
bool isJavaLetter(std::int32_t cp);
bool isJavaDigit(std::int32_t cp);
bool isJavaAlphabetic(std::int32_t cp);
bool isJavaUpperCase(std::int32_t cp);
bool isJavaLowerCase(std::int32_t cp);
bool isJavaTitleCase(std::int32_t cp);
bool isJavaWhitespaceCodePoint(std::int32_t cp);
bool isJavaSpaceChar(std::int32_t cp);
bool isJavaIdeographic(std::int32_t cp);
bool isJavaDefined(std::int32_t cp);

// Character.isJavaIdentifierStart (letters, letter numbers, currency symbols, connecting punctuation) and
// isJavaIdentifierPart (also digits, marks and the characters ignored inside names).
bool isJavaIdentifierStart(std::int32_t cp);
bool isJavaIdentifierPart(std::int32_t cp);

// Character.getNumericValue (the letters a to z count 10 to 35; -2 for a value that is no whole number
// from 0 up, -1 for none), Character.digit (-1 for a radix outside 2 to 36 or a character that is no
// digit of it) and Character.forDigit ('\0' for no digit of the radix).
std::int32_t javaNumericValue(std::int32_t cp);
std::int32_t javaDigit(std::int32_t cp, std::int32_t radix);
char16_t javaForDigit(std::int32_t digit, std::int32_t radix);

// Character.toUpperCase, toLowerCase and toTitleCase: the simple (one character) mappings; every other
// value comes back as it is.
std::int32_t javaUpperOf(std::int32_t cp);
std::int32_t javaLowerOf(std::int32_t cp);
std::int32_t javaTitleOf(std::int32_t cp);

// String.toUpperCase and toLowerCase in a German or English locale: full case mapping ("ß" becomes
// "SS", "ŉ" "ʼN", "İ" "i̇"), a capital sigma at the end of a word becomes "ς". Lone surrogates stay.
std::u16string upperCase(std::u16string_view text);
std::u16string lowerCase(std::u16string_view text);

// String.equalsIgnoreCase and compareToIgnoreCase: code point by code point (a surrogate pair is one),
// equal when their upper cases or the lower cases of those are equal; else the difference of the latter.
bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b);
std::int32_t compareIgnoringCase(std::u16string_view a, std::u16string_view b);

// String.strip, stripLeading and stripTrailing: the text without the code points at its start and end
// that Character.isWhitespace accepts (trim removes every character up to ' ' instead).
std::u16string_view stripWhitespace(std::u16string_view text, bool leading, bool trailing);

} // namespace runtime
