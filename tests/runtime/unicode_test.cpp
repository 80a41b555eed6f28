// Character's tests and case mappings and String's case rules against what a JDK 17 answered
// (tests/data/unicode/characters.txt for every code point, strings.txt for whole texts; made by
// tests/data/unicode/UnicodeTables.java).

#include "runtime/javachar.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace runtime;

std::vector<std::string> dataLines(const char* name)
{
    std::ifstream in(std::string(STRUKT_TEST_DATA "/unicode/") + name);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#')
            lines.push_back(line);
    return lines;
}

// One run of code points that the JDK answered alike for.
struct CharacterRun
{
    std::int32_t first = 0;
    std::int32_t last = 0;
    unsigned flags = 0;
    std::int32_t upper = 0; // distances from the code point
    std::int32_t lower = 0;
    std::int32_t title = 0;
};

std::vector<CharacterRun> characterRuns()
{
    std::vector<CharacterRun> runs;
    for (const std::string& line : dataLines("characters.txt")) {
        std::istringstream fields(line);
        std::string first, last, flags, upper, lower, title;
        fields >> first >> last >> flags >> upper >> lower >> title;
        runs.push_back({static_cast<std::int32_t>(std::stol(first, nullptr, 16)),
                        static_cast<std::int32_t>(std::stol(last, nullptr, 16)),
                        static_cast<unsigned>(std::stoul(flags, nullptr, 16)),
                        static_cast<std::int32_t>(std::stol(upper, nullptr, 16)),
                        static_cast<std::int32_t>(std::stol(lower, nullptr, 16)),
                        static_cast<std::int32_t>(std::stol(title, nullptr, 16))});
    }
    return runs;
}

// The flags of characters.txt, in the order UnicodeTables.java writes them.
unsigned flagsOf(std::int32_t cp)
{
    const bool tests[] = {isJavaLetter(cp),
                          isJavaDigit(cp),
                          isJavaUpperCase(cp),
                          isJavaLowerCase(cp),
                          isJavaWhitespaceCodePoint(cp),
                          isJavaAlphabetic(cp),
                          isJavaSpaceChar(cp),
                          isJavaTitleCase(cp),
                          isJavaIdeographic(cp),
                          isJavaDefined(cp)};
    unsigned flags = 0;
    for (unsigned bit = 0; bit < std::size(tests); ++bit)
        flags |= tests[bit] ? 1u << bit : 0u;
    return flags;
}

std::string hex(std::int32_t v)
{
    std::ostringstream s;
    s << std::hex << v;
    return s.str();
}

TEST(JavaCharacter, EveryCodePointAsTheJdkAnswers)
{
    const std::vector<CharacterRun> runs = characterRuns();
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(runs.front().first, 0);
    EXPECT_EQ(runs.back().last, 0x10FFFF);
    int differences = 0;
    for (const CharacterRun& run : runs) {
        for (std::int32_t cp = run.first; cp <= run.last; ++cp) {
            const unsigned flags = flagsOf(cp);
            const std::int32_t upper = javaUpperOf(cp) - cp;
            const std::int32_t lower = javaLowerOf(cp) - cp;
            const std::int32_t title = javaTitleOf(cp) - cp;
            if (flags == run.flags && upper == run.upper && lower == run.lower && title == run.title)
                continue;
            if (++differences <= 40)
                ADD_FAILURE() << "U+" << hex(cp) << ": flags " << hex(static_cast<std::int32_t>(flags))
                              << " upper " << hex(upper) << " lower " << hex(lower) << " title " << hex(title)
                              << ", the JDK: " << hex(static_cast<std::int32_t>(run.flags)) << ' '
                              << hex(run.upper) << ' ' << hex(run.lower) << ' ' << hex(run.title);
        }
    }
    EXPECT_EQ(differences, 0);
}

TEST(JavaCharacter, NoCodePointIsNothing)
{
    for (const std::int32_t v : {-1, 0x110000, 0x7FFFFFFF}) {
        EXPECT_EQ(flagsOf(v), 0u) << v;
        EXPECT_EQ(javaUpperOf(v), v);
        EXPECT_EQ(javaLowerOf(v), v);
    }
}

TEST(JavaCharacter, NumericValuesAndDigitsAsTheJdk)
{
    // numbers.txt lists every code point with a value; all others have none.
    std::vector<std::int32_t> listed;
    for (const std::string& line : dataLines("numbers.txt")) {
        std::istringstream fields(line);
        std::string cp;
        std::int32_t value = 0;
        std::int32_t digit = 0;
        fields >> cp >> value >> digit;
        listed.push_back(static_cast<std::int32_t>(std::stol(cp, nullptr, 16)));
        EXPECT_EQ(javaNumericValue(listed.back()), value) << "getNumericValue of U+" << cp;
        EXPECT_EQ(javaDigit(listed.back(), 36), digit) << "digit of U+" << cp;
    }
    ASSERT_GT(listed.size(), 1000u);
    int unexpected = 0;
    for (std::int32_t cp = 0, next = 0; cp <= 0x10FFFF; ++cp) {
        if (static_cast<std::size_t>(next) < listed.size() && listed[static_cast<std::size_t>(next)] == cp) {
            ++next;
            continue;
        }
        if ((javaNumericValue(cp) != -1 || javaDigit(cp, 36) != -1) && ++unexpected <= 20)
            ADD_FAILURE() << "U+" << hex(cp) << " has a value, the JDK gives it none";
    }
    EXPECT_EQ(unexpected, 0);
}

TEST(JavaCharacter, DigitsOfARadix)
{
    EXPECT_EQ(javaDigit(u'7', 8), 7);
    EXPECT_EQ(javaDigit(u'8', 8), -1);
    EXPECT_EQ(javaDigit(u'f', 16), 15);
    EXPECT_EQ(javaDigit(u'F', 15), -1);
    EXPECT_EQ(javaDigit(0x0669, 10), 9); // ARABIC-INDIC DIGIT NINE
    EXPECT_EQ(javaDigit(u'1', 1), -1);
    EXPECT_EQ(javaDigit(u'1', 37), -1);
    EXPECT_EQ(javaForDigit(11, 16), u'b');
    EXPECT_EQ(javaForDigit(7, 10), u'7');
    EXPECT_EQ(javaForDigit(10, 10), u'\0');
    EXPECT_EQ(javaForDigit(1, 40), u'\0');
}

// "\u0141" in the data to UTF-16.
std::u16string unescape(const std::string& s)
{
    std::u16string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 5 < s.size() && s[i + 1] == 'u') {
            out.push_back(static_cast<char16_t>(std::stoul(s.substr(i + 2, 4), nullptr, 16)));
            i += 5;
        } else {
            out.push_back(static_cast<char16_t>(static_cast<unsigned char>(s[i])));
        }
    }
    return out;
}

std::vector<std::string> splitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');)
        fields.push_back(field);
    return fields;
}

TEST(JavaString, CaseMappingOfWholeTextsAsTheJdk)
{
    int texts = 0;
    for (const std::string& line : dataLines("strings.txt")) {
        if (line.starts_with("= "))
            continue;
        const std::vector<std::string> f = splitTabs(line);
        ASSERT_EQ(f.size(), 3u) << line;
        const std::u16string text = unescape(f[0]);
        EXPECT_EQ(upperCase(text), unescape(f[1])) << "toUpperCase of " << f[0];
        EXPECT_EQ(lowerCase(text), unescape(f[2])) << "toLowerCase of " << f[0];
        ++texts;
    }
    EXPECT_GT(texts, 20);
}

TEST(JavaString, ComparisonIgnoringCaseAsTheJdk)
{
    int pairs = 0;
    for (const std::string& line : dataLines("strings.txt")) {
        if (!line.starts_with("= "))
            continue;
        const std::vector<std::string> f = splitTabs(line.substr(2));
        ASSERT_EQ(f.size(), 3u) << line;
        const std::u16string a = unescape(f[0]);
        const std::u16string b = unescape(f[1]);
        std::istringstream results(f[2]);
        std::string equals;
        int compareTo = 0;
        int compareIgnoringCaseResult = 0;
        results >> equals >> compareTo >> compareIgnoringCaseResult;
        EXPECT_EQ(equalsIgnoringCase(a, b), equals == "true") << f[0] << " / " << f[1];
        EXPECT_EQ(compareIgnoringCase(a, b), compareIgnoringCaseResult) << f[0] << " / " << f[1];
        ++pairs;
    }
    EXPECT_GT(pairs, 100);
}

} // namespace
