// ACOSH, ASINH, ATANH, COSH, SINH, TANH.
//
//   ACOSH(x) = ln(x + sqrt(x*x - 1))          fmul, fsub, fsqrt, fadd, fyl2x
//   ASINH(x) = ln(x + sqrt(x*x + 1)), x >= 0  fmul, fadd, fsqrt, fadd, fyl2x
//            = -ASINH(-x), x < 0              (the formula would cancel to
//                                              ln 0 = -inf for large -x)
//   ATANH(x) = 0.5 * ln((1 + x) / (1 - x))    fadd, fsub, fdiv, fyl2x, fmul
//   COSH, SINH, TANH: the C runtime's cosh, sinh and tanh, with the edges
//                     settled here, since C runtimes differ there: past
//                     the double range an infinity of the result's sign,
//                     and tanh exactly +-1 once the rounded result is.
//
// The extended exponent range keeps x*x finite for every double, so
// ACOSH(1e200) is about 461.2. Outside the domain the operations give the
// default NaN (ACOSH(0.5)) or an infinity (ATANH(1) = ln inf).
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

long double NaturalLog(long double x) { return X87FactorLog2(X87Ln2(), x); }

long double AcoshFormula(double x) {
  const long double e = x;
  return NaturalLog(e + X87Sqrt(e * e - 1.0L));
}

long double AsinhFormula(double x) {
  if (x < 0) {
    return -AsinhFormula(-x);
  }
  const long double e = x;
  return NaturalLog(e + X87Sqrt(e * e + 1.0L));
}

long double AtanhFormula(double x) {
  const long double e = x;
  return 0.5L * NaturalLog((1.0L + e) / (1.0L - e));
}

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
