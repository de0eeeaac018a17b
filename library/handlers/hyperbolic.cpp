// ACOSH, ASINH, ATANH, COSH, SINH, TANH.
//
// The three inverse functions run with 64-bit basic operations
// (RunAtExtendedPrecision): at 53 bits x*x + 1 and 1 + t would already
// drop the low bits of a small x before the logarithm sees them.
//
//   ASINH(x) = s * ln(1 + (a + a*a / (1 + sqrt(1 + a*a))))   a < 0.2597
//            = s * ln(a + sqrt(a*a + 1))                     elsewhere
//   ATANH(x) = s * 0.5 * ln(1 + 2a / (1 - a))                both ranges
//   ACOSH(x) = ln(1 + (t + sqrt(2t + t*t))), t = x - 1       1 <= x < 1.0331
//            = ln(x + sqrt(x*x - 1))                         elsewhere
//   with a = |x| and s its sign, carried in the logarithm's factor, so that
//   ASINH(-x) is exactly -ASINH(x) and no cancellation meets large -x.
//
// ln(1 + u) goes to fyl2xp1, which never forms 1 + u, wherever u stays
// below its limit 1 - sqrt(2)/2 = 0.29289: the switch points are where u
// reaches it (0.29287 for ASINH, 0.29279 for ATANH, 0.29251 for ACOSH).
// Past them 1 + u is at least 1.29 and fyl2x loses nothing. t = x - 1 is
// exact for x up to 2. A subnormal x gives x for ASINH and ATANH.
//
//   COSH, SINH, TANH: the C runtime's cosh, sinh and tanh, with the edges
//                     settled here, since C runtimes differ there: past
//                     the double range an infinity of the result's sign,
//                     and tanh exactly +-1 once the rounded result is.
//
// The extended exponent range keeps x*x finite for every double, so
// ACOSH(1e200) is about 461.2. Outside the domain fyl2x gives the default
// NaN (ACOSH(0.5), ATANH(2); its factor's sign does not reach a NaN) or an
// infinity of the factor's sign (ATANH(+-1) = +-ln inf).
#include <cmath>

#include "double_facts.h"
#include "handlers.h"
#include "numeric_sequence.h"
#include "x87.h"

namespace {

// cosh and sinh exceed the double range from |x| = ln(2 * DBL_MAX) =
// 710.4758600739439...; from 711 on the result is certainly infinite.
constexpr double kHyperbolicOverflow = 711.0;

// 1 - tanh|x| = 2 / (e^2|x| + 1) < 2^-54 from |x| = 19.06 on: the double is 1.
constexpr double kTanhSaturates = 20.0;

// fyl2xp1 takes u up to 1 - sqrt(2)/2; these keep below it (see above).
constexpr long double kAsinhNearZero = 0.2597L;
constexpr long double kAtanhNearZero = 0.1277L;
constexpr long double kAcoshNearOne = 1.0331L;

// scale * ln(1 + u), for |u| < 1 - sqrt(2)/2.
long double ScaledLogOnePlus(long double scale, long double u) {
  return X87FactorLog2Plus1(scale * X87Ln2(), u);
}

// scale * ln y.
long double ScaledLog(long double scale, long double y) { return X87FactorLog2(scale * X87Ln2(), y); }

long double SignOf(long double x) { return x < 0 ? -1.0L : 1.0L; }

long double AsinhExtended(long double x) {
  const long double a = std::fabs(x);
  const long double square = a * a;
  if (a < kAsinhNearZero) {
    return ScaledLogOnePlus(SignOf(x), a + square / (1.0L + X87Sqrt(1.0L + square)));
  }
  return ScaledLog(SignOf(x), a + X87Sqrt(square + 1.0L));
}

long double AtanhExtended(long double x) {
  const long double a = std::fabs(x);
  const long double u = 2.0L * a / (1.0L - a);
  const long double half = 0.5L * SignOf(x);
  return a < kAtanhNearZero ? ScaledLogOnePlus(half, u) : ScaledLog(half, 1.0L + u);
}

long double AcoshExtended(long double x) {
  if (x >= 1.0L && x < kAcoshNearOne) {
    const long double t = x - 1.0L;
    return ScaledLogOnePlus(1.0L, t + X87Sqrt(2.0L * t + t * t));
  }
  return ScaledLog(1.0L, x + X87Sqrt(x * x - 1.0L));
}

long double AcoshFormula(double x) { return RunAtExtendedPrecision(AcoshExtended, x); }
long double AsinhFormula(double x) { return RunAtExtendedPrecision(AsinhExtended, x); }
long double AtanhFormula(double x) { return RunAtExtendedPrecision(AtanhExtended, x); }

long double CoshFormula(double x) { return std::fabs(x) >= kHyperbolicOverflow ? kInfinity : std::cosh(x); }

long double SinhFormula(double x) {
  if (std::fabs(x) >= kHyperbolicOverflow) {
    return x < 0 ? -kInfinity : kInfinity;
  }
  return std::sinh(x);
}

long double TanhFormula(double x) {
  if (std::fabs(x) >= kTanhSaturates) {
    return x < 0 ? -1.0 : 1.0;
  }
  return std::tanh(x);
}

} // namespace

TESSARIM_ONE_ARGUMENT_HANDLER(AcoshHandler, AcoshFormula)
TESSARIM_ONE_ARGUMENT_HANDLER(AsinhHandler, AsinhFormula)
TESSARIM_ONE_ARGUMENT_HANDLER(AtanhHandler, AtanhFormula)
TESSARIM_ONE_ARGUMENT_HANDLER(CoshHandler, CoshFormula)
TESSARIM_ONE_ARGUMENT_HANDLER(SinhHandler, SinhFormula)
TESSARIM_ONE_ARGUMENT_HANDLER(TanhHandler, TanhFormula)
