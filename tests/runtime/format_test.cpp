// String.format against what JDK 17's Formatter wrote for the same format and arguments: thousands of
// conversions with flags, widths and precisions, and every kind of fault with its class and message
// (tests/data/format/en.txt under Locale.US, de.txt under Locale.GERMANY, made by
// tests/data/format/FormatCases.java).

#include "runtime/formatter.h"
#include "runtime/javatext.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::u16string utf16(const std::string& text)
{
    std::u16string out;
    runtime::Utf8Decoder().decode(text, out, true);
    return out;
}

// The fields of a line, split at tabs, with \t \n \\ written back.
std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> out(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\t') {
            out.emplace_back();
        } else if (line[i] == '\\' && i + 1 < line.size()) {
            const char c = line[++i];
            out.back().push_back(c == 't' ? '\t' : c == 'n' ? '\n' : c);
        } else {
            out.back().push_back(line[i]);
        }
    }
    return out;
}

// "i:5", "l:-1", "d:1.0E-5", "c:65", "b:true", "s:text", "n" (a null String).
runtime::FormatArg argument(const std::string& field)
{
    using namespace runtime;
    const std::string value = field.size() > 2 ? field.substr(2) : std::string();
    FormatArg a{kString, {}, {}};
    switch (field[0]) {
    case 'i':
        a.type = kInt;
        a.prim.i = std::stoi(value);
        break;
    case 'l':
        a.type = kLong;
        a.prim.l = std::stoll(value);
        break;
    case 'd':
        a.type = kDouble;
        a.prim.d = *parseJavaDouble(utf16(value));
        break;
    case 'c':
        a.type = kChar;
        a.prim.i = std::stoi(value);
        break;
    case 'b':
        a.type = kBoolean;
        a.prim.i = value == "true";
        break;
    case 's':
        a.ref = makeString(utf16(value));
        break;
    default:
        break;
    }
    return a;
}

// What the format writes before it ends, and the exception that ends it ("class: message"), if any.
std::pair<std::string, std::string> format(const std::vector<std::string>& line,
                                           const runtime::NumberSymbols& symbols)
{
    std::vector<runtime::FormatArg> args;
    for (std::size_t i = 3; i < line.size(); ++i)
        args.push_back(argument(line[i]));
    std::u16string out;
    std::string exception;
    try {
        runtime::javaFormat(out, utf16(line[0]), args, symbols);
    } catch (const runtime::JavaException& e) {
        exception = runtime::javaClassName(e.error) + (": " + e.detail); // UTF-8, as the data has it
    } catch (const std::exception& e) {
        exception = std::string("C++: ") + e.what();
    }
    return {runtime::toUtf8(out), exception};
}

// Whether a double argument is one whose Double.toString digits JDK 17 makes longer than the shortest
// that read back outside whole numbers (1.0E23 is "9.999999999999999E22" there): the run writes the
// shortest digits, so its e, f and g start from other digits for these.
bool longerJdkDigits(const std::vector<std::string>& line)
{
    for (std::size_t i = 3; i < line.size(); ++i)
        if (line[i] == "d:9.999999999999999E22")
            return true;
    return false;
}

// Runs every case of a file; reports the cases that differ (the first ones in full).
void expectAsJdk(const char* file, const runtime::NumberSymbols& symbols)
{
    std::ifstream in(std::string(STRUKT_TEST_DATA "/format/") + file);
    ASSERT_TRUE(in) << file;
    std::string line;
    int cases = 0;
    int differ = 0;
    int otherDigits = 0;
    while (std::getline(in, line)) {
        const std::vector<std::string> expected = fields(line);
        ASSERT_GE(expected.size(), 3u) << line;
        if (longerJdkDigits(expected)) {
            ++otherDigits;
            continue;
        }
        ++cases;
        const auto [output, exception] = format(expected, symbols);
        if (output == expected[1] && exception == expected[2])
            continue;
        if (++differ <= 40)
            ADD_FAILURE() << file << ": " << line << "\n  got: " << output << "\t" << exception;
    }
    EXPECT_EQ(differ, 0) << "of " << cases << " cases in " << file << " (" << otherDigits
                         << " left out for JDK 17's longer digits)";
    EXPECT_GT(cases, 500);
}

TEST(Formatter, WritesWhatTheJdkWritesInEnglish)
{
    // The dates and times were written in UTC.
    setenv("TZ", "UTC", 1);
    tzset();
    expectAsJdk("en.txt", {u'.', u','});
}

TEST(Formatter, WritesWhatTheJdkWritesInGerman)
{
    expectAsJdk("de.txt", {u',', u'.'});
}

} // namespace
