#include "runtime/strictmath.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

// The algorithms name a double's high word (sign, exponent, top 20 bits of the fraction) and low word
// (the other 32 bits of the fraction); a comparison of a high word with a constant is a comparison of
// magnitudes that needs no floating-point operation. The comments give each constant's meaning.

namespace runtime::strictmath {

namespace {

int high(double x)
{
    return static_cast<int>(static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(x) >> 32));
}
unsigned low(double x)
{
    return static_cast<unsigned>(std::bit_cast<std::uint64_t>(x));
}
double fromWords(int hi, unsigned lo)
{
    return std::bit_cast<double>((std::uint64_t{static_cast<std::uint32_t>(hi)} << 32) | lo);
}
double withHigh(double x, int hi)
{
    return fromWords(hi, low(x));
}
double withLow(double x, unsigned lo)
{
    return fromWords(high(x), lo);
}
// x with its exponent raised by n, for a result that stays normal.
double addExponent(double x, int n)
{
    return withHigh(x, high(x) + n * (1 << 20));
}
double toDouble(int i)
{
    return static_cast<double>(i);
}
int truncated(double x)
{
    return static_cast<int>(x);
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kTiny = 1.0e-300;
constexpr double kTwo54 = 1.80143985094819840000e+16;  // 2^54
constexpr double kTwo24 = 1.67772160000000000000e+07;  // 2^24
constexpr double kTwoM24 = 5.96046447753906250000e-08; // 2^-24

// ln 2 in two parts: the last 21 bits of the high part are zero, so k * kLn2Hi is exact for |k| < 2^11.
constexpr double kLn2Hi = 6.93147180369123816490e-01;
constexpr double kLn2Lo = 1.90821492927058770002e-10;
constexpr double kInvLn2 = 1.44269504088896338700e+00;

// --- exp ---

// Remez coefficients of R(r*r) ~ r*(e^r+1)/(e^r-1) - 2 on [0, 0.347]; shared with pow.
constexpr double kP1 = 1.66666666666666019037e-01;
constexpr double kP2 = -2.77777777770155933842e-03;
constexpr double kP3 = 6.61375632143793436117e-05;
constexpr double kP4 = -1.65339022054652515390e-06;
constexpr double kP5 = 4.13813679705723846039e-08;

constexpr double kExpOverflow = 7.09782712893383973096e+02;   // ln of the largest double
constexpr double kExpUnderflow = -7.45133219101941108420e+02; // ln of the smallest subnormal

// r - r^2 * R(r^2): e^r = 1 + 2r/(c - 2) + r with this c.
double expC(double r)
{
    const double t = r * r;
    return r - t * (kP1 + t * (kP2 + t * (kP3 + t * (kP4 + t * kP5))));
}

// x = k*ln2 + (hi - lo) with |hi - lo| <= 0.5 ln2, for |x| > 0.5 ln2 (hx: the high word of |x|).
struct Ln2Reduced
{
    double hi;
    double lo;
    int k;
};

Ln2Reduced reduceLn2(double x, int hx, bool negative)
{
    if (hx < 0x3FF0A2B2) { // |x| < 1.5 ln2
        if (negative)
            return {x + kLn2Hi, -kLn2Lo, -1};
        return {x - kLn2Hi, kLn2Lo, 1};
    }
    const int k = truncated(kInvLn2 * x + (negative ? -0.5 : 0.5));
    const double t = toDouble(k);
    return {x - t * kLn2Hi, t * kLn2Lo, k}; // t * kLn2Hi is exact
}

} // namespace

// e^x: x = k*ln2 + r with |r| <= 0.5*ln2, e^r from the rational approximation, then scaled by 2^k.
double exp(double x)
{
    constexpr double kTwoM1000 = 9.33263618503218878990e-302;
    const int hx = high(x) & 0x7fffffff;
    if (std::isnan(x))
        return x + x;
    if (hx >= 0x40862E42) { // |x| >= 709.78: infinities, overflow, underflow
        if (x > kExpOverflow)
            return kInf;
        if (x < kExpUnderflow)
            return 0.0;
    }
    if (hx < 0x3e300000) // |x| < 2^-28
        return 1.0 + x;
    if (hx <= 0x3fd62e42) { // |x| <= 0.5 ln2
        const double c = expC(x);
        return 1.0 - ((x * c) / (c - 2.0) - x);
    }
    const Ln2Reduced r = reduceLn2(x, hx, high(x) < 0);
    const double reduced = r.hi - r.lo;
    const double c = expC(reduced);
    const double y = 1.0 - ((r.lo - (reduced * c) / (2.0 - c)) - r.hi);
    if (r.k >= -1021)
        return addExponent(y, r.k);
    return addExponent(y, r.k + 1000) * kTwoM1000;
}

namespace {

// e^x - 1 from the reduced x (|x| <= 0.5 ln2), the error e of the approximation and k.
double expm1Scaled(double x, double e, int k)
{
    if (k == -1)
        return 0.5 * (x - e) - 0.5;
    if (k == 1) {
        if (x < -0.25)
            return -2.0 * (e - (x + 0.5));
        return 1.0 + 2.0 * (x - e);
    }
    if (k <= -2 || k > 56) // e^x - 1 is e^x here
        return addExponent(1.0 - (e - x), k) - 1.0;
    if (k < 20) {
        const double t = fromWords(0x3ff00000 - (0x200000 >> k), 0); // 1 - 2^-k
        return addExponent(t - (e - x), k);
    }
    const double t = fromWords((0x3ff - k) << 20, 0); // 2^-k
    return addExponent((x - (e + t)) + 1.0, k);
}

} // namespace

// e^x - 1, accurate near 0: the same reduction as exp, a rational approximation of the scaled
// function on the reduced interval, and the correction term c of the reduction carried along.
double expm1(double x)
{
    // Coefficients of the approximation of 6/x * ((e^x+1)/(e^x-1) - 2/x) in x*x/2.
    constexpr double kQ1 = -3.33333333333331316428e-02;
    constexpr double kQ2 = 1.58730158725481460165e-03;
    constexpr double kQ3 = -7.93650757867487942473e-05;
    constexpr double kQ4 = 4.00821782732936239552e-06;
    constexpr double kQ5 = -2.01099218183624371326e-07;
    const int hx = high(x) & 0x7fffffff;
    const bool negative = high(x) < 0;
    if (std::isnan(x))
        return x + x;
    if (hx >= 0x4043687A) { // |x| >= 56 ln2: overflow, or -1 rounded
        if (x > kExpOverflow)
            return kInf;
        if (negative)
            return kTiny - 1.0;
    }
    if (hx < 0x3c900000) // |x| < 2^-54
        return x;
    double c = 0.0;
    int k = 0;
    if (hx > 0x3fd62e42) { // |x| > 0.5 ln2
        const Ln2Reduced r = reduceLn2(x, hx, negative);
        x = r.hi - r.lo;
        c = (r.hi - x) - r.lo;
        k = r.k;
    }
    const double hfx = 0.5 * x;
    const double hxs = x * hfx;
    const double r1 = 1.0 + hxs * (kQ1 + hxs * (kQ2 + hxs * (kQ3 + hxs * (kQ4 + hxs * kQ5))));
    const double t = 3.0 - r1 * hfx;
    double e = hxs * ((r1 - t) / (6.0 - x * t));
    if (k == 0)
        return x - (x * e - hxs);
    e = (x * (e - c) - c);
    e -= hxs;
    return expm1Scaled(x, e, k);
}

// --- log ---

namespace {

// Remez coefficients of R(z) = kLg1*z + ... + kLg7*z^7 with log(1+f) = 2s + s*R(s*s) for s = f/(2+f),
// on s*s in [0, 0.1716]; shared with log1p.
constexpr double kLg1 = 6.666666666666735130e-01;
constexpr double kLg2 = 3.999999999940941908e-01;
constexpr double kLg3 = 2.857142874366239149e-01;
constexpr double kLg4 = 2.222219843214978396e-01;
constexpr double kLg5 = 1.818357216161805012e-01;
constexpr double kLg6 = 1.531383769920937332e-01;
constexpr double kLg7 = 1.479819860511658591e-01;

} // namespace

// ln x: x = 2^k * (1+f) with sqrt(2)/2 < 1+f < sqrt(2), log(1+f) from s = f/(2+f), then k*ln2 added
// in two parts.
double log(double x)
{
    int hx = high(x);
    const unsigned lx = low(x);
    int k = 0;
    if (hx < 0x00100000) { // x < 2^-1022
        if (((hx & 0x7fffffff) | static_cast<int>(lx)) == 0)
            return -kInf;
        if (hx < 0)
            return kNaN;
        k -= 54;
        x *= kTwo54; // subnormal: scale up
        hx = high(x);
    }
    if (hx >= 0x7ff00000)
        return x + x;
    k += (hx >> 20) - 1023;
    hx &= 0x000fffff;
    const int i = (hx + 0x95f64) & 0x100000;
    x = withHigh(x, hx | (i ^ 0x3ff00000)); // x or x/2, within [sqrt(2)/2, sqrt(2)]
    k += (i >> 20);
    const double f = x - 1.0;
    const double dk = toDouble(k);
    if ((0x000fffff & (2 + hx)) < 3) { // |f| < 2^-20
        if (f == 0.0)
            return k == 0 ? 0.0 : dk * kLn2Hi + dk * kLn2Lo;
        const double r = f * f * (0.5 - 0.33333333333333333 * f);
        if (k == 0)
            return f - r;
        return dk * kLn2Hi - ((r - dk * kLn2Lo) - f);
    }
    const double s = f / (2.0 + f);
    const double z = s * s;
    const double w = z * z;
    const double t1 = w * (kLg2 + w * (kLg4 + w * kLg6));
    const double t2 = z * (kLg1 + w * (kLg3 + w * (kLg5 + w * kLg7)));
    const double r = t2 + t1;
    if (((hx - 0x6147a) | (0x6b851 - hx)) > 0) { // x's mantissa within (1.38, 1.42): f*f/2 kept apart
        const double hfsq = 0.5 * f * f;
        if (k == 0)
            return f - (hfsq - s * (hfsq + r));
        return dk * kLn2Hi - ((hfsq - (s * (hfsq + r) + dk * kLn2Lo)) - f);
    }
    if (k == 0)
        return f - s * (f - r);
    return dk * kLn2Hi - ((s * (f - r) - dk * kLn2Lo) - f);
}

// log10 x = k*log10(2) + log(x/2^k)/ln 10, with k*log10(2) in two parts and x/2^k within [1, 2) (or
// [0.5, 1) for k < 0).
double log10(double x)
{
    constexpr double kInvLn10 = 4.34294481903251816668e-01;
    constexpr double kLog10of2Hi = 3.01029995663611771306e-01;
    constexpr double kLog10of2Lo = 3.69423907715893078616e-13;
    int hx = high(x);
    const unsigned lx = low(x);
    int k = 0;
    if (hx < 0x00100000) { // x < 2^-1022
        if (((hx & 0x7fffffff) | static_cast<int>(lx)) == 0)
            return -kInf;
        if (hx < 0)
            return kNaN;
        k -= 54;
        x *= kTwo54;
        hx = high(x);
    }
    if (hx >= 0x7ff00000)
        return x + x;
    k += (hx >> 20) - 1023;
    const int i = k < 0 ? 1 : 0;
    hx = (hx & 0x000fffff) | ((0x3ff - i) << 20);
    const double y = toDouble(k + i);
    x = withHigh(x, hx);
    const double z = y * kLog10of2Lo + kInvLn10 * log(x);
    return z + y * kLog10of2Hi;
}

namespace {

// 1+x as 2^k * (1+f), with c the rounding error of 1+x divided by 1+x, and hu the top fraction bits
// of 1+f (0 when |f| < 2^-20).
struct OnePlus
{
    int k;
    double f;
    double c;
    int hu;
};

OnePlus splitOnePlus(double x, int hx)
{
    double u = x;
    double c = 0.0;
    if (hx < 0x43400000) { // below 2^53 the rounding of 1+x matters
        u = 1.0 + x;
        const int k = (high(u) >> 20) - 1023;
        c = k > 0 ? 1.0 - (u - x) : x - (u - 1.0);
        c /= u;
    }
    int k = (high(u) >> 20) - 1023;
    int hu = high(u) & 0x000fffff;
    if (hu < 0x6a09e) {
        u = withHigh(u, hu | 0x3ff00000); // u within [1, sqrt(2)]
    } else {
        k += 1;
        u = withHigh(u, hu | 0x3fe00000); // u/2 within [sqrt(2)/2, 1]
        hu = (0x00100000 - hu) >> 2;
    }
    return {k, u - 1.0, c, hu};
}

// log(1+f) + k*ln2 + c as log computes it.
double logOfSplit(const OnePlus& s)
{
    const double f = s.f;
    const double hfsq = 0.5 * f * f;
    const double dk = toDouble(s.k);
    if (s.hu == 0) { // |f| < 2^-20
        if (f == 0.0)
            return s.k == 0 ? 0.0 : dk * kLn2Hi + (s.c + dk * kLn2Lo);
        const double r = hfsq * (1.0 - 0.66666666666666666 * f);
        if (s.k == 0)
            return f - r;
        return dk * kLn2Hi - ((r - (dk * kLn2Lo + s.c)) - f);
    }
    const double sf = f / (2.0 + f);
    const double z = sf * sf;
    const double r = z * (kLg1 + z * (kLg2 + z * (kLg3 + z * (kLg4 + z * (kLg5 + z * (kLg6 + z * kLg7))))));
    if (s.k == 0)
        return f - (hfsq - sf * (hfsq + r));
    return dk * kLn2Hi - ((hfsq - (sf * (hfsq + r) + (dk * kLn2Lo + s.c))) - f);
}

} // namespace

// ln(1+x), accurate near 0: 1+x = 2^k * (1+f) as in log, with a correction term for the rounding of
// 1+x; between -0.2929 and 0.41422 f is x itself.
double log1p(double x)
{
    const int hx = high(x);
    const int ax = hx & 0x7fffffff;
    if (hx >= 0x7ff00000)
        return x + x;     // +Infinity, NaN
    if (hx >= 0x3FDA827A) // x >= 0.41422
        return logOfSplit(splitOnePlus(x, hx));
    if (ax >= 0x3ff00000) // x <= -1.0
        return x == -1.0 ? -kInf : kNaN;
    if (ax < 0x3e200000) // |x| < 2^-29
        return ax < 0x3c900000 ? x : x - x * x * 0.5;
    if (hx > 0 || hx <= static_cast<int>(0xbfd2bec3u)) // -0.2929 < x < 0.41422
        return logOfSplit({0, x, 0.0, 1});
    return logOfSplit(splitOnePlus(x, hx));
}

// --- pow ---

// x^y = 2^(y * log2 x): log2 x in extra precision (a high part with its low 32 bits zero and a low
// part), multiplied by y split the same way, then 2^z from the exp approximation.
namespace {

constexpr std::array<double, 2> kBp = {1.0, 1.5};
constexpr std::array<double, 2> kDpH = {0.0, 5.84962487220764160156e-01}; // log2(1.5), high part
constexpr std::array<double, 2> kDpL = {0.0, 1.35003920212974897128e-08}; // and the tail
// Coefficients of (3/2) * (log(x) - 2s - 2/3 s^3) in s*s.
constexpr double kL1 = 5.99999999999994648725e-01;
constexpr double kL2 = 4.28571428578550184252e-01;
constexpr double kL3 = 3.33333329818377432918e-01;
constexpr double kL4 = 2.72728123808534006489e-01;
constexpr double kL5 = 2.30660745775561754067e-01;
constexpr double kL6 = 2.06975017800338417784e-01;
constexpr double kCp = 9.61796693925975554329e-01;     // 2/(3 ln2)
constexpr double kCpH = 9.61796700954437255859e-01;    // its high part
constexpr double kCpL = -7.02846165095275826516e-09;   // and the tail
constexpr double kIvLn2 = 1.44269504088896338700e+00;  // 1/ln2
constexpr double kIvLn2H = 1.44269502162933349609e+00; // to 24 bits
constexpr double kIvLn2L = 1.92596299112661746887e-08; // and the tail

// log2 of a number as t1 + t2, t1 with a zero low word.
struct SplitLog2
{
    double t1;
    double t2;
};

// A positive x as 2^n * m, m within [sqrt(2)/2, sqrt(3/2)) or [sqrt(3/2), sqrt(3)) around kBp[k].
struct Normalised
{
    double m;
    int n;
    std::size_t k;
};

Normalised normalise(double ax)
{
    constexpr double kTwo53 = 9007199254740992.0;
    int ix = high(ax);
    int n = 0;
    if (ix < 0x00100000) { // subnormal
        ax *= kTwo53;
        n -= 53;
        ix = high(ax);
    }
    n += (ix >> 20) - 0x3ff;
    const int j = ix & 0x000fffff;
    ix = j | 0x3ff00000; // normalised to [1, 2)
    std::size_t k = 0;
    if (j > 0x3988E && j < 0xBB67A) { // between sqrt(3/2) and sqrt(3)
        k = 1;
    } else if (j >= 0xBB67A) {
        n += 1;
        ix -= 0x00100000;
    }
    return {withHigh(ax, ix), n, k};
}

// log2(ax) from s = (m-b)/(m+b), b = 1 or 1.5, in extra precision.
SplitLog2 log2Split(double ax)
{
    const Normalised x = normalise(ax);
    const std::size_t k = x.k;
    const int ix = high(x.m);
    // ss = s_h + s_l = (m-b)/(m+b)
    double u = x.m - kBp[k];
    double v = 1.0 / (x.m + kBp[k]);
    const double ss = u * v;
    const double sH = withLow(ss, 0);
    double tH = fromWords(((ix >> 1) | 0x20000000) + 0x00080000 + (static_cast<int>(k) << 18), 0); // m+b
    double tL = x.m - (tH - kBp[k]);
    const double sL = v * ((u - sH * tH) - sH * tL);
    // log(m/b) = 2s + 2/3 s^3 + s^5 R
    double s2 = ss * ss;
    double r = s2 * s2 * (kL1 + s2 * (kL2 + s2 * (kL3 + s2 * (kL4 + s2 * (kL5 + s2 * kL6)))));
    r += sL * (sH + ss);
    s2 = sH * sH;
    tH = withLow(3.0 + s2 + r, 0);
    tL = r - ((tH - 3.0) - s2);
    // u+v = ss*(1+...)
    u = sH * tH;
    v = sL * tH + tL * ss;
    // 2/(3log2)*(ss+...)
    const double pH = withLow(u + v, 0);
    const double pL = v - (pH - u);
    const double zH = kCpH * pH;
    const double zL = kCpL * pH + pL * kCp + kDpL[k];
    // log2(ax) = n + dp_h + z_h + z_l
    const double t = toDouble(x.n);
    const double t1 = withLow(((zH + zL) + kDpH[k]) + t, 0);
    const double t2 = zL - (((t1 - t) - kDpH[k]) - zH);
    return {t1, t2};
}

// log2(ax) for |1-ax| <= 2^-20 from the series ax-1 - (ax-1)^2/2 + (ax-1)^3/3 - (ax-1)^4/4.
SplitLog2 log2NearOne(double ax)
{
    const double t = ax - 1.0; // has 20 trailing zeros
    const double w = (t * t) * (0.5 - t * (0.3333333333333333333333 - t * 0.25));
    const double u = kIvLn2H * t;
    const double v = t * kIvLn2L - w * kIvLn2;
    const double t1 = withLow(u + v, 0);
    return {t1, v - (t1 - u)};
}

// 2^(pH + pL) for -1075 < pH + pL < 1024; j is the high word of pH + pL.
double exp2Split(double pH, double pL, int j)
{
    constexpr double kLn2 = 6.93147180559945286227e-01;
    constexpr double kLn2H = 6.93147182464599609375e-01;  // ln 2 to 32 bits
    constexpr double kLn2L = -1.90465429995776804525e-09; // the tail
    const int i = j & 0x7fffffff;
    int n = 0;
    if (i > 0x3fe00000) { // |z| > 0.5: n = [z+0.5]
        int k = (i >> 20) - 0x3ff;
        n = j + (0x00100000 >> (k + 1));
        k = ((n & 0x7fffffff) >> 20) - 0x3ff; // new k for n
        const double t = fromWords(n & ~(0x000fffff >> k), 0);
        n = ((n & 0x000fffff) | 0x00100000) >> (20 - k);
        if (j < 0)
            n = -n;
        pH -= t;
    }
    const double t = withLow(pL + pH, 0);
    const double u = t * kLn2H;
    const double v = (pL - (t - pH)) * kLn2 + t * kLn2L;
    double z = u + v;
    const double w = v - (z - u);
    const double t1 = expC(z);
    const double r = (z * t1) / (t1 - 2.0) - (w + z * w);
    z = 1.0 - (r - z);
    if (((high(z) + n * (1 << 20)) >> 20) <= 0)
        return std::scalbn(z, n); // subnormal result
    return addExponent(z, n);
}

// For negative x: 0 if y is not an integer, 1 if it is odd, 2 if even.
int integerKind(double y)
{
    const int iy = high(y) & 0x7fffffff;
    const unsigned ly = low(y);
    if (iy >= 0x43400000) // |y| >= 2^53
        return 2;
    if (iy < 0x3ff00000) // |y| < 1
        return 0;
    const int e = (iy >> 20) - 0x3ff;
    if (e > 20) {
        const unsigned j = ly >> (52 - e);
        return (j << (52 - e)) == ly ? 2 - static_cast<int>(j & 1) : 0;
    }
    if (ly != 0)
        return 0;
    const int j = iy >> (20 - e);
    return (j << (20 - e)) == iy ? 2 - (j & 1) : 0;
}

// pow's results that need no logarithm: y = 0, NaN, y = +-inf, +-1, 2, 0.5, and x = +-0, +-inf, +-1.
std::optional<double> powSpecial(double x, double y, int yIsInt)
{
    const int hx = high(x);
    const int hy = high(y);
    const double ax = std::fabs(x);
    if (y == 0.0)
        return 1.0;
    if (std::isnan(x) || std::isnan(y))
        return x + y;
    if (std::isinf(y)) {
        if (ax == 1.0)
            return kNaN; // (+-1)^+-inf
        return (ax > 1.0) == (hy >= 0) ? std::fabs(y) : 0.0;
    }
    if (std::fabs(y) == 1.0)
        return hy < 0 ? 1.0 / x : x;
    if (y == 2.0)
        return x * x;
    if (y == 0.5 && hx >= 0) // x >= +0
        return std::sqrt(x);
    if (ax != 0.0 && !std::isinf(ax) && ax != 1.0)
        return std::nullopt;
    double z = hy < 0 ? 1.0 / ax : ax; // x is +-0, +-inf, +-1
    if (hx < 0) {
        if (ax == 1.0 && yIsInt == 0)
            z = kNaN; // (-1)^non-integer
        else if (yIsInt == 1)
            z = -z;
    }
    return z;
}

} // namespace

namespace {

// With z = pH + pL = y * log2|x|: the overflow or underflow of 2^z when z is beyond [-1075, 1024),
// signed by s; nothing otherwise.
std::optional<double> powBeyondRange(double pH, double pL, double s)
{
    constexpr double kOvt = 8.0085662595372944372e-17; // -(1024 - log2(overflow + 0.5 ulp))
    const double z = pL + pH;
    const int j = high(z);
    const auto i = low(z);
    if (j >= 0x40900000) { // z >= 1024
        if (((j - 0x40900000) | static_cast<int>(i)) != 0 || pL + kOvt > z - pH)
            return s * kInf;
    } else if ((j & 0x7fffffff) >= 0x4090cc00) { // z <= -1075
        if (((static_cast<unsigned>(j) - 0xc090cc00u) | i) != 0 || pL <= z - pH)
            return s * 0.0;
    }
    return std::nullopt;
}

} // namespace

double pow(double x, double y)
{
    const int hx = high(x);
    const int ix = hx & 0x7fffffff;
    const int iy = high(y) & 0x7fffffff;
    const int yIsInt = hx < 0 ? integerKind(y) : 0;
    if (const std::optional<double> special = powSpecial(x, y, yIsInt))
        return *special;
    if (hx < 0 && yIsInt == 0)
        return kNaN;                                     // negative^non-integer
    const double s = hx < 0 && yIsInt == 1 ? -1.0 : 1.0; // negative^odd is negative

    SplitLog2 l{};
    if (iy > 0x41e00000) { // |y| > 2^31: overflow or underflow unless x is within 2^-20 of 1
        const bool grows = (ix >= 0x3ff00000) != (high(y) < 0);
        if (iy > 0x43f00000) // |y| > 2^64
            return grows ? kInf : 0.0;
        if (ix < 0x3fefffff || ix > 0x3ff00000)
            return grows ? s * kInf : s * 0.0;
        l = log2NearOne(std::fabs(x));
    } else {
        l = log2Split(std::fabs(x));
    }

    // (y1 + y2) * (t1 + t2) with y1 the high part of y
    const double y1 = withLow(y, 0);
    const double pL = (y - y1) * l.t1 + y * l.t2;
    const double pH = y1 * l.t1;
    if (const std::optional<double> beyond = powBeyondRange(pH, pL, s))
        return *beyond;
    return s * exp2Split(pH, pL, high(pL + pH));
}

// --- sqrt, cbrt, hypot ---

// IEEE square root, correctly rounded, as fdlibm computes it bit by bit.
double sqrt(double x)
{
    return std::sqrt(x);
}

// Cube root: a first guess to 5 bits from the exponent divided by 3, a rational step to 23 bits,
// rounded up to 20 bits and one Newton step to 53 bits.
double cbrt(double x)
{
    constexpr int kB1 = 715094163;                     // (682 - 0.03306235651) * 2^20
    constexpr int kB2 = 696219795;                     // (664 - 0.03306235651) * 2^20
    constexpr double kC = 5.42857142857142815906e-01;  // 19/35
    constexpr double kD = -7.05306122448979611050e-01; // -864/1225
    constexpr double kE = 1.41428571428571436819e+00;  // 99/70
    constexpr double kF = 1.60714285714285720630e+00;  // 45/28
    constexpr double kG = 3.57142857142857150787e-01;  // 5/14
    int hx = high(x);
    const int sign = hx & static_cast<int>(0x80000000u);
    hx ^= sign;
    if (hx >= 0x7ff00000)
        return x + x; // NaN, infinities
    if ((hx | static_cast<int>(low(x))) == 0)
        return x;        // +-0
    x = withHigh(x, hx); // |x|
    double t = 0.0;
    if (hx < 0x00100000) {            // subnormal
        t = fromWords(0x43500000, 0); // 2^54
        t *= x;
        t = withHigh(t, high(t) / 3 + kB2); // the low word of 2^54*x stays
    } else {
        t = fromWords(hx / 3 + kB1, 0);
    }
    double r = t * t / x;
    double s = kC + r * t;
    t *= kG + kF / (s + kE + kD / s);
    t = fromWords(high(t) + 1, 0); // chopped to 20 bits and made larger than the root
    s = t * t;                     // exact
    r = x / s;
    const double w = t + t;
    r = (r - t) / (w + r);
    t = t + t * r;
    return withHigh(t, high(t) | sign);
}

namespace {

// sqrt(a*a + b*b) for a >= b > 0 scaled so that the squares neither overflow nor underflow, with ha
// and hb the high words a and b had before the last scaling: the sum of squares is formed from high
// and low parts so that its rounding error stays below one ulp.
double sqrtOfSquares(double a, double b, int ha, int hb)
{
    const double w = a - b;
    if (w > b) {
        const double t1 = fromWords(ha, 0);
        const double t2 = a - t1;
        return std::sqrt(t1 * t1 - (b * (-b) - t2 * (a + t1)));
    }
    a = a + a;
    const double y1 = fromWords(hb, 0);
    const double y2 = b - y1;
    const double t1 = fromWords(ha + 0x00100000, 0);
    const double t2 = a - t1;
    return std::sqrt(t1 * y1 - (w * (-w) - (t1 * y2 + t2 * b)));
}

} // namespace

// sqrt(x*x + y*y) without undue overflow or underflow: both scaled by a power of two into a safe
// range first. An infinity wins over NaN.
double hypot(double x, double y)
{
    double a = std::fabs(x);
    double b = std::fabs(y);
    if (high(b) > high(a))
        std::swap(a, b);
    int ha = high(a);
    int hb = high(b);
    if ((ha - hb) > 0x3c00000) // a/b > 2^60
        return a + b;
    if (ha >= 0x7ff00000) // Inf or NaN
        return std::isinf(b) ? b : std::isinf(a) ? a : a + b;
    int k = 0;
    if (ha > 0x5f300000) { // a > 2^500: both scaled by 2^-600
        ha -= 0x25800000;
        hb -= 0x25800000;
        k += 600;
        a = withHigh(a, ha);
        b = withHigh(b, hb);
    }
    if (b == 0.0)
        return a;
    if (hb <= 0x000fffff) { // subnormal b: both scaled by 2^1022 (the high words stay)
        const double t1 = fromWords(0x7fd00000, 0);
        b *= t1;
        a *= t1;
        k -= 1022;
    } else if (hb < 0x20b00000) { // b < 2^-500: both scaled by 2^600
        ha += 0x25800000;
        hb += 0x25800000;
        k -= 600;
        a = withHigh(a, ha);
        b = withHigh(b, hb);
    }
    const double w = sqrtOfSquares(a, b, ha, hb);
    return k == 0 ? w : addExponent(1.0, k) * w;
}

// --- sin, cos, tan ---

namespace {

// 2/pi in 24-bit pieces, enough for the reduction of every double.
constexpr std::array<int, 66> kTwoOverPi = {
    0xA2F983, 0x6E4E44, 0x1529FC, 0x2757D1, 0xF534DD, 0xC0DB62, 0x95993C, 0x439041, 0xFE5163, 0xABDEBB,
    0xC561B7, 0x246E3A, 0x424DD2, 0xE00649, 0x2EEA09, 0xD1921C, 0xFE1DEB, 0x1CB129, 0xA73EE8, 0x8235F5,
    0x2EBB44, 0x84E99C, 0x7026B4, 0x5F7E41, 0x3991D6, 0x398353, 0x39F49C, 0x845F8B, 0xBDF928, 0x3B1FF8,
    0x97FFDE, 0x05980F, 0xEF2F11, 0x8B5A0A, 0x6D1F6D, 0x367ECF, 0x27CB09, 0xB74F46, 0x3F669E, 0x5FEA2D,
    0x7527BA, 0xC7EBE5, 0xF17B3D, 0x0739F7, 0x8A5292, 0xEA6BFB, 0x5FB11F, 0x8D5D08, 0x560330, 0x46FC7B,
    0x6BABF0, 0xCFBC20, 0x9AF436, 0x1DA9E3, 0x91615E, 0xE61B08, 0x659985, 0x5F14A0, 0x68408D, 0xFFD880,
    0x4D7327, 0x310606, 0x1556CA, 0x73A8C9, 0x60E27B, 0xC08C6B,
};

// High words of n*pi/2 for n = 1..32: an argument with the same high word may cancel badly.
constexpr std::array<int, 32> kNPiOver2High = {
    0x3FF921FB, 0x400921FB, 0x4012D97C, 0x401921FB, 0x401F6A7A, 0x4022D97C, 0x4025FDBB, 0x402921FB,
    0x402C463A, 0x402F6A7A, 0x4031475C, 0x4032D97C, 0x40346B9C, 0x4035FDBB, 0x40378FDB, 0x403921FB,
    0x403AB41B, 0x403C463A, 0x403DD85A, 0x403F6A7A, 0x40407E4C, 0x4041475C, 0x4042106C, 0x4042D97C,
    0x4043A28C, 0x40446B9C, 0x404534AC, 0x4045FDBB, 0x4046C6CB, 0x40478FDB, 0x404858EB, 0x404921FB,
};

// pi/2 in 24-bit pieces.
constexpr std::array<double, 8> kPiOver2Pieces = {
    1.57079625129699707031e+00, 7.54978941586159635335e-08, 5.39030252995776476554e-15,
    3.28200341580791294123e-22, 1.27065575308067607349e-29, 1.22933308981111328932e-36,
    2.73370053816464559624e-44, 2.16741683877804819444e-51,
};

struct Reduced
{
    int n; // the quadrant, modulo 8
    double hi;
    double lo;
};

// An array's element at a signed index, as the reduction counts.
template <typename Array> auto& at(Array& array, int i)
{
    return array[static_cast<std::size_t>(i)];
}

// x * 2/pi for large x, with x given as nx pieces of 24 bits (x[i] * 2^(e0 - 24*i)): multiplied by
// just the bits of 2/pi that matter, the integer part taken modulo 8, the fraction times pi/2 returned
// as hi + lo (to 2x53 bits). When the fraction cancels, more bits of 2/pi are taken.
class LargeReduction
{
public:
    LargeReduction(const std::array<double, 3>& x, int e0, int nx)
        : m_x(x), m_jx(nx - 1), m_jv(std::max((e0 - 3) / 24, 0)), m_q0(e0 - 24 * (m_jv + 1))
    {
        // f[0..jx+jk] = the pieces of 2/pi from jv-jx on
        for (int i = 0, j = m_jv - m_jx; i <= m_jx + kJk; i++, j++)
            at(m_f, i) = j < 0 ? 0.0 : toDouble(at(kTwoOverPi, j));
        for (int i = 0; i <= kJk; i++)
            at(m_q, i) = product(i);
    }

    Reduced result()
    {
        m_jz = kJk;
        while (!distill())
            takeMoreBits();
        chopZeros();
        return sumTimesPiOver2();
    }

private:
    static constexpr int kJk = 4; // initial terms for double precision with two results

    // Term i of x times 2/pi.
    double product(int i) const
    {
        double fw = 0.0;
        for (int j = 0; j <= m_jx; j++)
            fw += at(m_x, j) * at(m_f, m_jx + i - j);
        return fw;
    }

    // q[] as 24-bit integers in iq[] (in reverse), the integer part n and the fraction z; a fraction
    // above 0.5 is replaced by 1 - fraction. False when the fraction cancelled and needs more bits.
    bool distill()
    {
        double z = at(m_q, m_jz);
        for (int i = 0, j = m_jz; j > 0; i++, j--) {
            const double fw = toDouble(truncated(kTwoM24 * z));
            at(m_iq, i) = truncated(z - kTwo24 * fw);
            z = at(m_q, j - 1) + fw;
        }
        z = std::scalbn(z, m_q0);
        z -= 8.0 * std::floor(z * 0.125); // integer parts of 8 and more do not matter
        m_n = truncated(z);
        z -= toDouble(m_n);
        m_ih = 0;
        if (m_q0 > 0) { // iq[jz-1] holds bits of n
            const int i = (at(m_iq, m_jz - 1) >> (24 - m_q0));
            m_n += i;
            at(m_iq, m_jz - 1) -= i << (24 - m_q0);
            m_ih = at(m_iq, m_jz - 1) >> (23 - m_q0);
        } else if (m_q0 == 0) {
            m_ih = at(m_iq, m_jz - 1) >> 23;
        } else if (z >= 0.5) {
            m_ih = 2;
        }
        if (m_ih > 0)
            z = complement(z);
        m_z = z;
        return z != 0.0 || !lowTermsZero();
    }

    // 1 - fraction, with n one more.
    double complement(double z)
    {
        m_n += 1;
        int carry = 0;
        for (int i = 0; i < m_jz; i++) {
            const int j = at(m_iq, i);
            if (carry == 0) {
                if (j != 0) {
                    carry = 1;
                    at(m_iq, i) = 0x1000000 - j;
                }
            } else {
                at(m_iq, i) = 0xffffff - j;
            }
        }
        if (m_q0 == 1)
            at(m_iq, m_jz - 1) &= 0x7fffff;
        else if (m_q0 == 2)
            at(m_iq, m_jz - 1) &= 0x3fffff;
        if (m_ih != 2)
            return z;
        z = 1.0 - z;
        return carry != 0 ? z - std::scalbn(1.0, m_q0) : z;
    }

    bool lowTermsZero() const
    {
        int j = 0;
        for (int i = m_jz - 1; i >= kJk; i--)
            j |= at(m_iq, i);
        return j == 0;
    }

    void takeMoreBits()
    {
        int k = 1;
        while (at(m_iq, kJk - k) == 0)
            k++;
        for (int i = m_jz + 1; i <= m_jz + k; i++) {
            at(m_f, m_jx + i) = toDouble(at(kTwoOverPi, m_jv + i));
            at(m_q, i) = product(i);
        }
        m_jz += k;
    }

    // Drops zero terms, or breaks the fraction into 24-bit pieces.
    void chopZeros()
    {
        if (m_z == 0.0) {
            m_jz -= 1;
            m_q0 -= 24;
            while (at(m_iq, m_jz) == 0) {
                m_jz--;
                m_q0 -= 24;
            }
            return;
        }
        const double z = std::scalbn(m_z, -m_q0);
        if (z < kTwo24) {
            at(m_iq, m_jz) = truncated(z);
            return;
        }
        const double fw = toDouble(truncated(kTwoM24 * z));
        at(m_iq, m_jz) = truncated(z - kTwo24 * fw);
        m_jz += 1;
        m_q0 += 24;
        at(m_iq, m_jz) = truncated(fw);
    }

    // The pieces as doubles, times pi/2, compressed into two doubles.
    Reduced sumTimesPiOver2()
    {
        double fw = std::scalbn(1.0, m_q0);
        for (int i = m_jz; i >= 0; i--) {
            at(m_q, i) = fw * toDouble(at(m_iq, i));
            fw *= kTwoM24;
        }
        std::array<double, 20> fq{};
        for (int i = m_jz; i >= 0; i--) {
            fw = 0.0;
            for (int k = 0; k <= kJk && k <= m_jz - i; k++)
                fw += at(kPiOver2Pieces, k) * at(m_q, i + k);
            at(fq, m_jz - i) = fw;
        }
        fw = 0.0;
        for (int i = m_jz; i >= 0; i--)
            fw += at(fq, i);
        const double hi = m_ih == 0 ? fw : -fw;
        fw = at(fq, 0) - fw;
        for (int i = 1; i <= m_jz; i++)
            fw += at(fq, i);
        const double lo = m_ih == 0 ? fw : -fw;
        return {m_n & 7, hi, lo};
    }

    const std::array<double, 3>& m_x;
    const int m_jx;
    const int m_jv;
    int m_q0;
    int m_jz = kJk;
    int m_n = 0;
    int m_ih = 0;
    double m_z = 0.0;
    std::array<int, 20> m_iq{};
    std::array<double, 20> m_f{};
    std::array<double, 20> m_q{};
};

constexpr double kInvPiOver2 = 6.36619772367581382433e-01;
constexpr double kPio2_1 = 1.57079632673412561417e+00;  // first 33 bits of pi/2
constexpr double kPio2_1t = 6.07710050650619224932e-11; // pi/2 - kPio2_1
constexpr double kPio2_2 = 6.07710050630396597660e-11;  // second 33 bits
constexpr double kPio2_2t = 2.02226624879595063154e-21; // pi/2 - (kPio2_1 + kPio2_2)
constexpr double kPio2_3 = 2.02226624871116645580e-21;  // third 33 bits
constexpr double kPio2_3t = 8.47842766036889956997e-32; // pi/2 - (kPio2_1 + kPio2_2 + kPio2_3)

// |x| < 3pi/4: x -+ pi/2.
Reduced reduceNearPiOver2(double x, int hx, int ix)
{
    const double sign = hx > 0 ? 1.0 : -1.0;
    const int n = hx > 0 ? 1 : -1;
    double z = x - sign * kPio2_1;
    if (ix != 0x3ff921fb) { // 33+53 bits of pi/2 suffice
        const double y0 = z - sign * kPio2_1t;
        return {n, y0, (z - y0) - sign * kPio2_1t};
    }
    z -= sign * kPio2_2; // near pi/2: 33+33+53 bits
    const double y0 = z - sign * kPio2_2t;
    return {n, y0, (z - y0) - sign * kPio2_2t};
}

// |x| <= 2^19 * pi/2: x - n*pi/2 with as many pieces of pi/2 as the cancellation needs.
Reduced reduceMedium(double x, int hx, int ix)
{
    const double t0 = std::fabs(x);
    const int n = truncated(t0 * kInvPiOver2 + 0.5);
    const double fn = toDouble(n);
    double r = t0 - fn * kPio2_1;
    double w = fn * kPio2_1t; // good to 85 bits
    double y0 = r - w;
    const auto cancelled = [&](int bits) { return (ix >> 20) - ((high(y0) >> 20) & 0x7ff) > bits; };
    // The next piece of pi/2 (with its tail) taken off too.
    const auto refine = [&](double piece, double tail) {
        const double t = r;
        w = fn * piece;
        r = t - w;
        w = fn * tail - ((t - r) - w);
        y0 = r - w;
    };
    if ((n >= 32 || ix == kNPiOver2High[static_cast<std::size_t>(n - 1)]) && cancelled(16)) {
        refine(kPio2_2, kPio2_2t); // good to 118 bits
        if (cancelled(49))
            refine(kPio2_3, kPio2_3t); // 151 bits
    }
    const double y1 = (r - y0) - w;
    if (hx < 0)
        return {-n, -y0, -y1};
    return {n, y0, y1};
}

// Any larger finite x: |x| as three 24-bit pieces times 2^e0, reduced with the bits of 2/pi.
Reduced reduceHuge(double x, int hx, int ix)
{
    const int e0 = (ix >> 20) - 1046; // ilogb(x) - 23
    double z = fromWords(ix - (e0 << 20), low(x));
    std::array<double, 3> tx{};
    for (std::size_t i = 0; i < 2; i++) {
        tx[i] = toDouble(truncated(z));
        z = (z - tx[i]) * kTwo24;
    }
    tx[2] = z;
    int nx = 3;
    while (tx[static_cast<std::size_t>(nx - 1)] == 0.0)
        nx--;
    const Reduced r = LargeReduction(tx, e0, nx).result();
    if (hx < 0)
        return {-r.n, -r.hi, -r.lo};
    return r;
}

// x - n*pi/2 as hi + lo, with n.
Reduced reducePiOver2(double x)
{
    const int hx = high(x);
    const int ix = hx & 0x7fffffff;
    if (ix <= 0x3fe921fb) // |x| <= pi/4
        return {0, x, 0.0};
    if (ix < 0x4002d97c) // |x| < 3pi/4: n = +-1
        return reduceNearPiOver2(x, hx, ix);
    if (ix <= 0x413921fb) // |x| <= 2^19 * pi/2
        return reduceMedium(x, hx, ix);
    if (ix >= 0x7ff00000) // Inf or NaN
        return {0, x - x, x - x};
    return reduceHuge(x, hx, ix);
}

// sin(x + y) on [-pi/4, pi/4], y the tail of x; the odd polynomial of degree 13. `tailIsZero` skips
// the tail.
double sinKernel(double x, double y, bool tailIsZero)
{
    constexpr double kS1 = -1.66666666666666324348e-01;
    constexpr double kS2 = 8.33333333332248946124e-03;
    constexpr double kS3 = -1.98412698298579493134e-04;
    constexpr double kS4 = 2.75573137070700676789e-06;
    constexpr double kS5 = -2.50507602534068634195e-08;
    constexpr double kS6 = 1.58969099521155010221e-10;
    const int ix = high(x) & 0x7fffffff;
    if (ix < 0x3e400000) // |x| < 2^-27
        return x;
    const double z = x * x;
    const double v = z * x;
    const double r = kS2 + z * (kS3 + z * (kS4 + z * (kS5 + z * kS6)));
    if (tailIsZero)
        return x + v * (kS1 + z * r);
    return x - ((z * (0.5 * y - v * r) - y) - v * kS1);
}

// cos(x + y) on [-pi/4, pi/4]; 1 - x*x/2 formed with a split of x*x/2 above 0.3 to keep its rounding
// small.
double cosKernel(double x, double y)
{
    constexpr double kC1 = 4.16666666666666019037e-02;
    constexpr double kC2 = -1.38888888888741095749e-03;
    constexpr double kC3 = 2.48015872894767294178e-05;
    constexpr double kC4 = -2.75573143513906633035e-07;
    constexpr double kC5 = 2.08757232129817482790e-09;
    constexpr double kC6 = -1.13596475577881948265e-11;
    const int ix = high(x) & 0x7fffffff;
    if (ix < 0x3e400000) // |x| < 2^-27
        return 1.0;
    const double z = x * x;
    const double r = z * (kC1 + z * (kC2 + z * (kC3 + z * (kC4 + z * (kC5 + z * kC6)))));
    if (ix < 0x3FD33333) // |x| < 0.3
        return 1.0 - (0.5 * z - (z * r - x * y));
    const double qx = ix > 0x3fe90000 ? 0.28125 : fromWords(ix - 0x00200000, 0); // x/4
    const double hz = 0.5 * z - qx;
    const double a = 1.0 - qx;
    return a - (hz - (z * r - x * y));
}

// tan(x + y) on [-pi/4, pi/4] for k = 1, -1/tan(x + y) for k = -1. Above 0.6744 it works on
// pi/4 - x.
double tanKernel(double x, double y, int k)
{
    constexpr std::array<double, 13> kT = {
        3.33333333333334091986e-01, 1.33333333333201242699e-01, 5.39682539762260521377e-02,
        2.18694882948595424599e-02, 8.86323982359930005737e-03, 3.59207910759131235356e-03,
        1.45620945432529025516e-03, 5.88041240820264096874e-04, 2.46463134818469906812e-04,
        7.81794442939557092300e-05, 7.14072491382608190305e-05, -1.85586374855275456654e-05,
        2.59073051863633712884e-05,
    };
    constexpr double kPio4 = 7.85398163397448278999e-01;
    constexpr double kPio4Lo = 3.06161699786838301793e-17;
    const int hx = high(x);
    const int ix = hx & 0x7fffffff;
    // -1/w computed carefully: t is -1/w to 20 bits, the rest from the error of t*w.
    const auto minusReciprocal = [](double w, double xPart, double rPart) {
        const double z = withLow(w, 0);
        const double v = rPart - (z - xPart); // z + v = rPart + xPart
        const double a = -1.0 / w;
        const double t = withLow(a, 0);
        const double s = 1.0 + t * z;
        return t + a * (s + t * v);
    };
    if (ix < 0x3e300000) { // |x| < 2^-28
        if (((ix | static_cast<int>(low(x))) | (k + 1)) == 0)
            return 1.0 / std::fabs(x); // -1/tan(+-0)
        if (k == 1)
            return x;
        return minusReciprocal(x + y, x, y);
    }
    const bool big = ix >= 0x3FE59428; // |x| >= 0.6744
    if (big) {
        if (hx < 0) {
            x = -x;
            y = -y;
        }
        const double z = kPio4 - x;
        const double w = kPio4Lo - y;
        x = z + w;
        y = 0.0;
    }
    const double z = x * x;
    double w = z * z;
    // x^5 (T1 + x^2 T2 + ...) split into odd and even powers of x^4
    double r = kT[1] + w * (kT[3] + w * (kT[5] + w * (kT[7] + w * (kT[9] + w * kT[11]))));
    double v = z * (kT[2] + w * (kT[4] + w * (kT[6] + w * (kT[8] + w * (kT[10] + w * kT[12])))));
    const double s = z * x;
    r = y + z * (s * (r + v) + y);
    r += kT[0] * s;
    w = x + r;
    if (big) {
        v = toDouble(k);
        return toDouble(1 - ((hx >> 30) & 2)) * (v - 2.0 * (x - (w * w / (w + v) - r)));
    }
    if (k == 1)
        return w;
    return minusReciprocal(w, x, r);
}

} // namespace

double sin(double x)
{
    const int ix = high(x) & 0x7fffffff;
    if (ix <= 0x3fe921fb)
        return sinKernel(x, 0.0, true);
    if (ix >= 0x7ff00000)
        return x - x; // NaN
    const Reduced r = reducePiOver2(x);
    switch (r.n & 3) {
    case 0:
        return sinKernel(r.hi, r.lo, false);
    case 1:
        return cosKernel(r.hi, r.lo);
    case 2:
        return -sinKernel(r.hi, r.lo, false);
    default:
        return -cosKernel(r.hi, r.lo);
    }
}

double cos(double x)
{
    const int ix = high(x) & 0x7fffffff;
    if (ix <= 0x3fe921fb)
        return cosKernel(x, 0.0);
    if (ix >= 0x7ff00000)
        return x - x; // NaN
    const Reduced r = reducePiOver2(x);
    switch (r.n & 3) {
    case 0:
        return cosKernel(r.hi, r.lo);
    case 1:
        return -sinKernel(r.hi, r.lo, false);
    case 2:
        return -cosKernel(r.hi, r.lo);
    default:
        return sinKernel(r.hi, r.lo, false);
    }
}

double tan(double x)
{
    const int ix = high(x) & 0x7fffffff;
    if (ix <= 0x3fe921fb)
        return tanKernel(x, 0.0, 1);
    if (ix >= 0x7ff00000)
        return x - x; // NaN
    const Reduced r = reducePiOver2(x);
    return tanKernel(r.hi, r.lo, 1 - ((r.n & 1) << 1));
}

// --- asin, acos, atan, atan2 ---

namespace {

constexpr double kPio2Hi = 1.57079632679489655800e+00;
constexpr double kPio2Lo = 6.12323399573676603587e-17;
constexpr double kPio4Hi = 7.85398163397448278999e-01;

// asin(x) = x + x^3 * R(x^2) with R = P/Q, a rational approximation on [0, 0.5]; shared with acos.
double asinRatio(double t)
{
    constexpr double kPS0 = 1.66666666666666657415e-01;
    constexpr double kPS1 = -3.25565818622400915405e-01;
    constexpr double kPS2 = 2.01212532134862925881e-01;
    constexpr double kPS3 = -4.00555345006794114027e-02;
    constexpr double kPS4 = 7.91534994289814532176e-04;
    constexpr double kPS5 = 3.47933107596021167570e-05;
    constexpr double kQS1 = -2.40339491173441421878e+00;
    constexpr double kQS2 = 2.02094576023350569471e+00;
    constexpr double kQS3 = -6.88283971605453293030e-01;
    constexpr double kQS4 = 7.70381505559019352791e-02;
    const double p = t * (kPS0 + t * (kPS1 + t * (kPS2 + t * (kPS3 + t * (kPS4 + t * kPS5)))));
    const double q = 1.0 + t * (kQS1 + t * (kQS2 + t * (kQS3 + t * kQS4)));
    return p / q;
}

} // namespace

// For |x| < 0.5 the series form; above, asin(x) = pi/2 - 2*asin(sqrt((1-x)/2)) with sqrt split
// into a high and a low part below 0.975.
double asin(double x)
{
    const int hx = high(x);
    const int ix = hx & 0x7fffffff;
    if (ix >= 0x3ff00000) { // |x| >= 1
        if (((ix - 0x3ff00000) | static_cast<int>(low(x))) == 0)
            return x * kPio2Hi + x * kPio2Lo; // +-pi/2
        return kNaN;
    }
    if (ix < 0x3fe00000) {   // |x| < 0.5
        if (ix < 0x3e400000) // |x| < 2^-27
            return x;
        return x + x * asinRatio(x * x);
    }
    const double w = 1.0 - std::fabs(x);
    const double t = w * 0.5;
    const double ratio = asinRatio(t);
    const double s = std::sqrt(t);
    double result = 0.0;
    if (ix >= 0x3FEF3333) { // |x| > 0.975
        result = kPio2Hi - (2.0 * (s + s * ratio) - kPio2Lo);
    } else {
        const double sHigh = withLow(s, 0);
        const double c = (t - sHigh * sHigh) / (s + sHigh);
        const double p = 2.0 * s * ratio - (kPio2Lo - 2.0 * c);
        const double q = kPio4Hi - 2.0 * sHigh;
        result = kPio4Hi - (p - q);
    }
    return hx > 0 ? result : -result;
}

// acos(x) = pi/2 - asin(x) for |x| < 0.5; beyond, 2*asin(sqrt((1-|x|)/2)) or pi minus it.
double acos(double x)
{
    constexpr double kPi = 3.14159265358979311600e+00;
    const int hx = high(x);
    const int ix = hx & 0x7fffffff;
    if (ix >= 0x3ff00000) { // |x| >= 1
        if (((ix - 0x3ff00000) | static_cast<int>(low(x))) == 0)
            return hx > 0 ? 0.0 : kPi + 2.0 * kPio2Lo;
        return kNaN;
    }
    if (ix < 0x3fe00000) {    // |x| < 0.5
        if (ix <= 0x3c600000) // |x| < 2^-57
            return kPio2Hi + kPio2Lo;
        const double r = asinRatio(x * x);
        return kPio2Hi - (x - (kPio2Lo - x * r));
    }
    if (hx < 0) { // x < -0.5
        const double z = (1.0 + x) * 0.5;
        const double s = std::sqrt(z);
        const double w = asinRatio(z) * s - kPio2Lo;
        return kPi - 2.0 * (s + w);
    }
    const double z = (1.0 - x) * 0.5; // x > 0.5
    const double s = std::sqrt(z);
    const double df = withLow(s, 0);
    const double c = (z - df * df) / (s + df);
    const double w = asinRatio(z) * s + c;
    return 2.0 * (df + w);
}

// atan: |x| mapped into [0, 7/16] by one of atan(x) = atan(c) + atan((x-c)/(1+x*c)) for c = 0.5, 1,
// 1.5 or infinity, then the odd polynomial of degree 23.
double atan(double x)
{
    constexpr std::array<double, 4> kAtanHi = {
        4.63647609000806093515e-01, // atan(0.5)
        7.85398163397448278999e-01, // atan(1.0)
        9.82793723247329054082e-01, // atan(1.5)
        1.57079632679489655800e+00, // atan(inf)
    };
    constexpr std::array<double, 4> kAtanLo = {
        2.26987774529616870924e-17,
        3.06161699786838301793e-17,
        1.39033110312309984516e-17,
        6.12323399573676603587e-17,
    };
    constexpr std::array<double, 11> kAT = {
        3.33333333333329318027e-01,  -1.99999999998764832476e-01, 1.42857142725034663711e-01,
        -1.11111104054623557880e-01, 9.09088713343650656196e-02,  -7.69187620504482999495e-02,
        6.66107313738753120669e-02,  -5.83357013379057348645e-02, 4.97687799461593236017e-02,
        -3.65315727442169155270e-02, 1.62858201153657823623e-02,
    };
    const int hx = high(x);
    const int ix = hx & 0x7fffffff;
    if (ix >= 0x44100000) { // |x| >= 2^66
        if (ix > 0x7ff00000 || (ix == 0x7ff00000 && low(x) != 0))
            return x + x; // NaN
        return hx > 0 ? kAtanHi[3] + kAtanLo[3] : -kAtanHi[3] - kAtanLo[3];
    }
    int id = -1;
    if (ix < 0x3fdc0000) {   // |x| < 0.4375
        if (ix < 0x3e200000) // |x| < 2^-29
            return x;
    } else {
        x = std::fabs(x);
        if (ix < 0x3ff30000) {     // |x| < 1.1875
            if (ix < 0x3fe60000) { // 7/16 <= |x| < 11/16
                id = 0;
                x = (2.0 * x - 1.0) / (2.0 + x);
            } else { // 11/16 <= |x| < 19/16
                id = 1;
                x = (x - 1.0) / (x + 1.0);
            }
        } else if (ix < 0x40038000) { // |x| < 2.4375
            id = 2;
            x = (x - 1.5) / (1.0 + 1.5 * x);
        } else { // 2.4375 <= |x| < 2^66
            id = 3;
            x = -1.0 / x;
        }
    }
    const double z = x * x;
    const double w = z * z;
    const double s1 = z * (kAT[0] + w * (kAT[2] + w * (kAT[4] + w * (kAT[6] + w * (kAT[8] + w * kAT[10])))));
    const double s2 = w * (kAT[1] + w * (kAT[3] + w * (kAT[5] + w * (kAT[7] + w * kAT[9]))));
    if (id < 0)
        return x - x * (s1 + s2);
    const auto i = static_cast<std::size_t>(id);
    const double result = kAtanHi[i] - ((x * (s1 + s2) - kAtanLo[i]) - x);
    return hx < 0 ? -result : result;
}

namespace {

constexpr double kPiO4 = 7.8539816339744827900E-01;
constexpr double kPiO2 = 1.5707963267948965580E+00;
constexpr double kPi = 3.1415926535897931160E+00;
constexpr double kPiLo = 1.2246467991473531772E-16;

// atan2 where y is zero or x infinite, by the quadrant m = 2*sign(x) + sign(y); nothing otherwise.
std::optional<double> atan2Edge(double y, double x, int m)
{
    if (y == 0.0) {
        constexpr std::array<double, 4> kOfZero = {0.0, -0.0, kPi + kTiny, -kPi - kTiny};
        return m < 2 ? y : kOfZero[static_cast<std::size_t>(m)]; // +-0 keeps its sign for x > 0
    }
    if (x == 0.0)
        return y < 0 ? -kPiO2 - kTiny : kPiO2 + kTiny;
    if (!std::isinf(x))
        return std::nullopt;
    if (std::isinf(y)) {
        constexpr std::array<double, 4> kBothInfinite = {kPiO4 + kTiny, -kPiO4 - kTiny, 3.0 * kPiO4 + kTiny,
                                                         -3.0 * kPiO4 - kTiny};
        return kBothInfinite[static_cast<std::size_t>(m)];
    }
    constexpr std::array<double, 4> kOfInfiniteX = {0.0, -0.0, kPi + kTiny, -kPi - kTiny};
    return kOfInfiniteX[static_cast<std::size_t>(m)];
}

} // namespace

// atan2(y, x) = atan(y/x) moved into the quadrant of (x, y); the signed zeros and infinities as
// Java specifies them.
double atan2(double y, double x)
{
    if (std::isnan(x) || std::isnan(y))
        return x + y;
    if (x == 1.0)
        return atan(y);
    const int hx = high(x);
    const int hy = high(y);
    const int m = ((hy >> 31) & 1) | ((hx >> 30) & 2); // 2*sign(x) + sign(y)
    if (const std::optional<double> edge = atan2Edge(y, x, m))
        return *edge;
    if (std::isinf(y))
        return hy < 0 ? -kPiO2 - kTiny : kPiO2 + kTiny;
    const int k = ((hy & 0x7fffffff) - (hx & 0x7fffffff)) >> 20;
    double z = 0.0;
    if (k > 60) // |y/x| > 2^60
        z = kPiO2 + 0.5 * kPiLo;
    else if (hx < 0 && k < -60) // |y|/x < -2^60
        z = 0.0;
    else
        z = atan(std::fabs(y / x));
    switch (m) {
    case 0:
        return z;
    case 1:
        return -z;
    case 2:
        return kPi - (z - kPiLo);
    default:
        return (z - kPiLo) - kPi;
    }
}

// --- sinh, cosh, tanh ---

// sinh from expm1 below 22 (where e^-x still matters), from exp above, and from exp(x/2)^2 near
// overflow.
double sinh(double x)
{
    const int jx = high(x);
    const int ix = jx & 0x7fffffff;
    if (ix >= 0x7ff00000)
        return x + x;
    const double h = jx < 0 ? -0.5 : 0.5;
    if (ix < 0x40360000) {   // |x| < 22
        if (ix < 0x3e300000) // |x| < 2^-28
            return x;
        const double t = expm1(std::fabs(x));
        if (ix < 0x3ff00000)
            return h * (2.0 * t - t * t / (t + 1.0));
        return h * (t + t / (t + 1.0));
    }
    if (ix < 0x40862E42) // |x| < log(max double)
        return h * exp(std::fabs(x));
    if (ix < 0x408633CE || (ix == 0x408633ce && low(x) <= 0x8fb9f87du)) { // below the overflow
        const double w = exp(0.5 * std::fabs(x));
        const double t = h * w;
        return t * w;
    }
    return x * 1.0e307; // overflow
}

double cosh(double x)
{
    const int ix = high(x) & 0x7fffffff;
    if (ix >= 0x7ff00000)
        return x * x;
    if (ix < 0x3fd62e43) { // |x| < 0.5 ln2: 1 + expm1(|x|)^2 / (2 e^|x|)
        const double t = expm1(std::fabs(x));
        const double w = 1.0 + t;
        if (ix < 0x3c800000)
            return w; // cosh(tiny) = 1
        return 1.0 + (t * t) / (w + w);
    }
    if (ix < 0x40360000) { // |x| < 22: (e^|x| + 1/e^|x|) / 2
        const double t = exp(std::fabs(x));
        return 0.5 * t + 0.5 / t;
    }
    if (ix < 0x40862E42) // |x| < log(max double)
        return 0.5 * exp(std::fabs(x));
    if (ix < 0x408633CE || (ix == 0x408633ce && low(x) <= 0x8fb9f87du)) {
        const double w = exp(0.5 * std::fabs(x));
        const double t = 0.5 * w;
        return t * w;
    }
    return kInf;
}

// tanh from expm1(2|x|) or expm1(-2|x|); +-1 beyond 22.
double tanh(double x)
{
    const int jx = high(x);
    const int ix = jx & 0x7fffffff;
    if (ix >= 0x7ff00000) {
        if (jx >= 0)
            return 1.0 / x + 1.0; // +1 or NaN
        return 1.0 / x - 1.0;     // -1 or NaN
    }
    double z = 0.0;
    if (ix < 0x40360000) {   // |x| < 22
        if (ix < 0x3c800000) // |x| < 2^-55
            return x * (1.0 + x);
        if (ix >= 0x3ff00000) { // |x| >= 1
            const double t = expm1(2.0 * std::fabs(x));
            z = 1.0 - 2.0 / (t + 2.0);
        } else {
            const double t = expm1(-2.0 * std::fabs(x));
            z = -t / (t + 2.0);
        }
    } else {
        z = 1.0 - kTiny; // 1, rounded
    }
    return jx >= 0 ? z : -z;
}

} // namespace runtime::strictmath
