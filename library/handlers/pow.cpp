// POW(x, y) = the C runtime's pow (runtime_pow.h), with the edges settled
// here, since C runtimes differ there (a C99 pow(1, inf) is 1; here a NaN):
//   y = 0                       -> 1, for every x
//   x = +-0, y > 0              -> 0
//   x = +-0, y < 0              -> +inf; -inf when x = -0 and y odd whole
//   x < 0 finite, y not whole   -> NaN
//   y = +-inf, |x| > 1          -> +inf for +inf, 0 for -inf
//   y = +-inf, |x| < 1          -> 0 for +inf, +inf for -inf
//   y = +-inf, |x| = 1          -> NaN
//   x = +inf                    -> +inf for y > 0, 0 for y < 0
//   x = -inf                    -> -inf for odd whole y > 0, +inf for other
//                                  y > 0, 0 for y < 0
// Everything else (negative x with whole y, overflow, underflow) is the
// runtime's pow. An empty second argument converts to 0, so POW(x, '') is 1.
#include <cmath>

#include "double_facts.h"
#include "handlers.h"
#include "number_text.h"
#include "numeric_sequence.h"
#include "runtime_pow.h"
#include "x87.h"

namespace {

bool IsWhole(double y) { return std::isfinite(y) && (std::fabs(y) >= kAllWhole || y == std::floor(y)); }

// y / 2 is exact, and for |y| >= 2^53 every whole y is even.
bool IsOddWhole(double y) { return IsWhole(y) && std::fabs(y) < 0x1p53 && std::floor(y / 2) != y / 2; }

double Pow(double x, double y) {
  if (y == 0) {
    return 1.0;
  }
  if (std::isnan(x) || std::isnan(y)) {
    return RuntimePow(x, y);
  }
  if (x == 0) {
    if (y > 0) {
      return 0.0;
    }
    return std::signbit(x) && IsOddWhole(y) ? -kInfinity : kInfinity;
  }
  if (std::isinf(y)) {
    const double magnitude = std::fabs(x);
    if (magnitude == 1.0) {
      return DefaultNaN();
    }
    return (magnitude > 1.0) == (y > 0) ? kInfinity : 0.0;
  }
  if (std::isinf(x)) {
    if (y < 0) {
      return 0.0;
    }
    return x < 0 && IsOddWhole(y) ? -kInfinity : kInfinity;
  }
  if (x < 0 && !IsWhole(y)) {
    return DefaultNaN();
  }
  return RuntimePow(x, y);
}

long double PowFormula(double x, const char *second) { return Pow(x, TextToNumber(second)); }

} // namespace

TESSARIM_HANDLER(PowHandler) { return RunTwoArgumentSequence(context, arguments, status, PowFormula); }
