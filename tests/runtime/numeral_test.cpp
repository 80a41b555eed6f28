// The floating-point numerals the lexer and Double.parseDouble share: what javac accepts as a literal
// and what a JDK 17's Double.parseDouble gives (its bits), or its NumberFormatException.

#include "runtime/javatext.h"
#include "runtime/lexer.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

TEST(Numerals, ParseDoubleAsTheJdk)
{
    const std::pair<std::u16string_view, std::optional<std::uint64_t>> cases[] = {
        {u"1", 0x3ff0000000000000u},
        {u"1.", 0x3ff0000000000000u},
        {u".5", 0x3fe0000000000000u},
        {u".", std::nullopt},
        {u"1e5", 0x40f86a0000000000u},
        {u"1e", std::nullopt},
        {u"1e+", std::nullopt},
        {u"1e-5", 0x3ee4f8b588e368f1u},
        {u"1.e5", 0x40f86a0000000000u},
        {u".e5", std::nullopt},
        {u"0x1p3", 0x4020000000000000u},
        {u"0x1.p3", 0x4020000000000000u},
        {u"0x.8p1", 0x3ff0000000000000u},
        {u"0x.p1", std::nullopt},
        {u"0x1", std::nullopt},
        {u"0x1.8", std::nullopt},
        {u"0X1P-3", 0x3fc0000000000000u},
        {u"1_0", std::nullopt},
        {u"1.5f", 0x3ff8000000000000u},
        {u"1.5D", 0x3ff8000000000000u},
        {u"1.5x", std::nullopt},
        {u"  7  ", 0x401c000000000000u},
        {u"+-1", std::nullopt},
        {u"-+1", std::nullopt},
        {u"--1", std::nullopt},
        {u"+.5e-3", 0x3f40624dd2f1a9fcu},
        {u"NaN", 0x7ff8000000000000u},
        {u"-Infinity", 0xfff0000000000000u},
        {u"+NaN", 0x7ff8000000000000u},
        {u"Infinity1", std::nullopt},
        {u"1e1_0", std::nullopt},
        {u"0x_1p1", std::nullopt},
        {u"00012.50000", 0x4029000000000000u},
        {u"1ee5", std::nullopt},
        {u"1.5e5.5", std::nullopt},
        {u"0x1p", std::nullopt},
        {u"0x1pf", std::nullopt},
        {u"1e5d", 0x40f86a0000000000u},
        {u"0x1p3F", 0x4020000000000000u},
        {u"-0", 0x8000000000000000u},
    };
    for (const auto& [text, bits] : cases) {
        SCOPED_TRACE(std::string(text.begin(), text.end()));
        const std::optional<double> value = runtime::parseJavaDouble(text);
        ASSERT_EQ(value.has_value(), bits.has_value());
        if (value) {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(*value), *bits);
        }
    }
}

TEST(Numerals, LiteralsAsJavac)
{
    const std::pair<std::u16string_view, bool> cases[] = {
        {u"1.", true},
        {u".5", true},
        {u"1e5", true},
        {u"1e1_0", true},
        {u"1_0.5", true},
        {u"1_.5", false},
        {u"1._5", false},
        {u"1e_5", false},
        {u"0x1p3", true},
        {u"0x1.p3", true},
        {u"0x.8p1", true},
        {u"0x_1p1", false},
        {u"0x1_0p1", true},
        {u"0x1p1_0", true},
        {u"0x1.8", false},
        {u"1.5d", true},
        {u"1.5D", true},
        {u"1__0.0", true},
        {u"0x1.fffffffffffffp1023", true},
        {u"1e-400", false},
        {u"0.0e-400", true},
        {u"0x0.0p9999", true},
        {u"4.9e-324", true},
        {u"5e-325", false},
    };
    for (const auto& [literal, accepted] : cases) {
        SCOPED_TRACE(std::string(literal.begin(), literal.end()));
        const std::vector<runtime::Token> tokens = runtime::tokenize(std::u16string(literal) + u";");
        EXPECT_EQ(tokens.size() == 3 && tokens[0].kind == runtime::Tok::DoubleLiteral, accepted);
    }
}
