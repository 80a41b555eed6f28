#include "runtime/javamath.h"

#include "runtime/strictmath.h"

#include <cmath>
#include <limits>

namespace runtime::javamath {

namespace {

constexpr bool kExtended = std::numeric_limits<long double>::digits >= 64;

template <typename Extended, typename Strict> double nearest(double x, Extended extended, Strict strict)
{
    if constexpr (kExtended) {
        if (std::isfinite(x))
            return static_cast<double>(extended(static_cast<long double>(x)));
    }
    return strict(x);
}

} // namespace

double sin(double x)
{
    return nearest(
        x, [](long double v) { return std::sin(v); }, strictmath::sin);
}
double cos(double x)
{
    return nearest(
        x, [](long double v) { return std::cos(v); }, strictmath::cos);
}
double tan(double x)
{
    return nearest(
        x, [](long double v) { return std::tan(v); }, strictmath::tan);
}
double exp(double x)
{
    return nearest(
        x, [](long double v) { return std::exp(v); }, strictmath::exp);
}
// Zero and negative arguments take StrictMath's path: -Infinity and NaN.
double log(double x)
{
    if (!(x > 0))
        return strictmath::log(x);
    return nearest(
        x, [](long double v) { return std::log(v); }, strictmath::log);
}
double log10(double x)
{
    if (!(x > 0))
        return strictmath::log10(x);
    return nearest(
        x, [](long double v) { return std::log10(v); }, strictmath::log10);
}
double pow(double x, double y)
{
    if (!kExtended || !std::isfinite(x) || !std::isfinite(y) || x == 0 || y == 0 || std::fabs(x) == 1.0)
        return strictmath::pow(x, y);
    return static_cast<double>(std::pow(static_cast<long double>(x), static_cast<long double>(y)));
}

} // namespace runtime::javamath
