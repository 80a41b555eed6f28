#pragma once

// Java's StrictMath: the elementary functions computed by the fdlibm 5.3 algorithms that the Java
// documentation prescribes, so that every argument gives Java's result to the last bit. Each function
// works on the two 32-bit halves of a double as the algorithms describe (read and written through
// std::bit_cast), reduces its argument to a small interval and evaluates the published polynomial or
// rational approximation there. The file is compiled without contracting a multiplication and an
// addition into one rounding, which would change the last bit.
//
// Java's Math gives the same results for cbrt, hypot, asin, acos, atan, atan2, sqrt, sinh, cosh, tanh,
// expm1 and log1p; for sin, cos, tan, exp, log, log10 and pow a JDK's Math may differ from these by one
// unit in the last place for a few arguments.

namespace runtime::strictmath {

double sqrt(double x);
double cbrt(double x);
double hypot(double x, double y);
double sin(double x);
double cos(double x);
double tan(double x);
double asin(double x);
double acos(double x);
double atan(double x);
double atan2(double y, double x);
double sinh(double x);
double cosh(double x);
double tanh(double x);
double exp(double x);
double expm1(double x);
double log(double x);
double log10(double x);
double log1p(double x);
double pow(double x, double y);

} // namespace runtime::strictmath
