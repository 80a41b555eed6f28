// Math and StrictMath against the bits a JDK 17 computed (tests/data/math/jdk17.txt, made by
// tests/data/math/MathBits.java).

#include "runtime/javamath.h"
#include "runtime/strictmath.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Sample
{
    std::string function;
    double x = 0;
    double y = 0;
    std::uint64_t strict = 0; // StrictMath's bits
    std::uint64_t math = 0;   // Math's bits
};

bool isBinary(const std::string& function)
{
    return function == "hypot" || function == "atan2" || function == "pow";
}

double fromHex(const std::string& hex)
{
    return std::bit_cast<double>(static_cast<std::uint64_t>(std::stoull(hex, nullptr, 16)));
}

std::vector<Sample> samples()
{
    std::ifstream in(STRUKT_TEST_DATA "/math/jdk17.txt");
    std::vector<Sample> result;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        Sample s;
        std::string x, y, strict, math;
        fields >> s.function >> x;
        if (isBinary(s.function))
            fields >> y;
        fields >> strict >> math;
        s.x = fromHex(x);
        s.y = y.empty() ? 0.0 : fromHex(y);
        s.strict = std::stoull(strict, nullptr, 16);
        s.math = std::stoull(math, nullptr, 16);
        result.push_back(s);
    }
    return result;
}

using Unary = double (*)(double);
using Binary = double (*)(double, double);

const std::map<std::string, Unary> kStrictUnary = {
    {"sqrt", runtime::strictmath::sqrt},   {"cbrt", runtime::strictmath::cbrt},
    {"sin", runtime::strictmath::sin},     {"cos", runtime::strictmath::cos},
    {"tan", runtime::strictmath::tan},     {"asin", runtime::strictmath::asin},
    {"acos", runtime::strictmath::acos},   {"atan", runtime::strictmath::atan},
    {"sinh", runtime::strictmath::sinh},   {"cosh", runtime::strictmath::cosh},
    {"tanh", runtime::strictmath::tanh},   {"exp", runtime::strictmath::exp},
    {"expm1", runtime::strictmath::expm1}, {"log", runtime::strictmath::log},
    {"log10", runtime::strictmath::log10}, {"log1p", runtime::strictmath::log1p},
};
const std::map<std::string, Binary> kStrictBinary = {
    {"hypot", runtime::strictmath::hypot},
    {"atan2", runtime::strictmath::atan2},
    {"pow", runtime::strictmath::pow},
};
// Math's own routines; every other function of Math is StrictMath's.
const std::map<std::string, Unary> kMathUnary = {
    {"sin", runtime::javamath::sin}, {"cos", runtime::javamath::cos}, {"tan", runtime::javamath::tan},
    {"exp", runtime::javamath::exp}, {"log", runtime::javamath::log}, {"log10", runtime::javamath::log10},
};

double strictOf(const Sample& s)
{
    if (isBinary(s.function))
        return kStrictBinary.at(s.function)(s.x, s.y);
    return kStrictUnary.at(s.function)(s.x);
}

double mathOf(const Sample& s)
{
    if (s.function == "pow")
        return runtime::javamath::pow(s.x, s.y);
    const auto own = kMathUnary.find(s.function);
    if (own != kMathUnary.end())
        return own->second(s.x);
    return strictOf(s);
}

// Every NaN is the same to a Java program that does not ask for the raw bits.
bool same(std::uint64_t expected, double actual)
{
    const double e = std::bit_cast<double>(expected);
    return (std::isnan(e) && std::isnan(actual)) || expected == std::bit_cast<std::uint64_t>(actual);
}

bool withinOneUlp(std::uint64_t expected, double actual)
{
    const double e = std::bit_cast<double>(expected);
    return same(expected, actual) || std::nextafter(e, INFINITY) == actual ||
           std::nextafter(e, -INFINITY) == actual;
}

std::string describe(const Sample& s, double actual, std::uint64_t expected)
{
    char text[160];
    std::snprintf(text, sizeof text, "%s(%a%s%a): expected %016llx, got %016llx", s.function.c_str(), s.x,
                  isBinary(s.function) ? ", " : "", isBinary(s.function) ? s.y : 0.0,
                  static_cast<unsigned long long>(expected),
                  static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(actual)));
    return text;
}

} // namespace

TEST(StrictMath, EveryBitAsTheJdk)
{
    const std::vector<Sample> all = samples();
    ASSERT_EQ(all.size(), 19u * 300u);
    for (const Sample& s : all) {
        const double actual = strictOf(s);
        EXPECT_TRUE(same(s.strict, actual)) << describe(s, actual, s.strict);
    }
}

// Math equals StrictMath where a JDK's Math does; for its own routines (sin, cos, tan, exp, log, log10,
// pow) it is at most one unit in the last place away, and equal for nearly every argument although the
// samples favour arguments where the JDK's Math and StrictMath differ.
TEST(Math, TheJdksDigits)
{
    std::map<std::string, int> differing;
    for (const Sample& s : samples()) {
        const double actual = mathOf(s);
        if (same(s.math, actual))
            continue;
        ++differing[s.function];
        EXPECT_TRUE(withinOneUlp(s.math, actual)) << describe(s, actual, s.math);
        EXPECT_TRUE(kMathUnary.contains(s.function) || s.function == "pow") << describe(s, actual, s.math);
    }
    for (const auto& [function, count] : differing)
        EXPECT_LE(count, 6) << function << ": " << count << " of 300 differ from the JDK's Math";
}
