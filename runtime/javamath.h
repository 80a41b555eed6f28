#pragma once

// Java's Math where a JDK does not compute it as StrictMath does. For sin, cos, tan, exp, log, log10
// and pow HotSpot uses routines of its own that round nearly always to the double nearest the exact
// value; these functions give the double nearest to the C library's result in extended precision,
// which agrees with them for all but about one argument in a thousand and is never more than one
// unit in the last place away. Where long double has no more bits than double they are StrictMath's.
// Java's special cases (NaN, infinities, zeros, pow of 1 and -1) come from StrictMath, where Math and
// StrictMath agree exactly.
//
// Every other function of Math is StrictMath's (runtime/strictmath.h).

namespace runtime::javamath {

double sin(double x);
double cos(double x);
double tan(double x);
double exp(double x);
double log(double x);
double log10(double x);
double pow(double x, double y);

} // namespace runtime::javamath
