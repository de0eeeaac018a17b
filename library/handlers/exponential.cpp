// EXP, LOG, LOG10, SQRT.
//
//   EXP(x)   n = x * log2 e to nearest (fldl2e, fmul, frndint), then
//            r = x - n * ln 2 in about [-ln 2 / 2, ln 2 / 2] and the result
//            (2^(r * log2 e) - 1 + 1) * 2^n (f2xm1, fadd, fscale), with the
//            basic operations at 64 bits (RunAtExtendedPrecision).
//            Multiplying x by log2 e first, as the plain split does, puts
//            an error of |x| * 2^-64 into the exponent, a few hundred ulps
//            near |x| = 745; subtracting n * ln 2 from x in two parts
//            keeps r right to 64 bits: the high part of ln 2 has 41 bits,
//            so n * high is exact and x - n * high too (Sterbenz).
//            x is clamped to +-1500 first: past +-745.2 the result is an
//            infinity or 0 either way, and a small n keeps the split exact,
//            so EXP(1e308) and EXP(+inf) are +inf, EXP(-1e308) and
//            EXP(-inf) are 0. Results below 2^-1022 come out as extended
//            numbers rounded once into the subnormal doubles. A sum
//            1 + (2^f - 1) that lands on a half-way point between two
//            doubles is moved toward the exact sum first: EXP(2^-53) =
//            1 + 2^-53 + 2^-107 would otherwise round to 1 + 2^-53 at 64
//            bits, then to even, down to 1.
//   LOG(x)   ln 2 * log2 x                     fldln2, fyl2x
//   LOG10(x) log10 2 * log2 x                  fldlg2, fyl2x
//   SQRT(x)  sqrt x                            fsqrt
//
// LOG(0) is -inf, LOG and SQRT of a negative x the default NaN. EXP beyond
// the double range becomes an infinity or 0 at the rounding to double.
#include <cmath>

#include "handlers.h"
#include "numeric_sequence.h"
#include "x87.h"

namespace {

// ln 2 = kLn2High + kLn2Low: the high part to 41 bits, the low part to 64.
constexpr long double kLn2High = 0x1.62e42fefa2p-1L;
constexpr long double kLn2Low = 0x1.9ef35793c7673008p-41L;
constexpr long double kExpClamp = 1500.0L;

// 1 + s for the rounding to a double that follows: where the sum lies on
// a half-way point between two doubles but the exact sum does not, it
// moves one step (2^-63 above 1, 2^-64 below) toward the exact sum.
// |s| < 1, so the error is exact, and so is the distance to the double.
long double OnePlusForDouble(long double s) {
  const long double sum = 1.0L + s;
  const long double error = s - (sum - 1.0L);
  const long double half_spacing = sum > 1.0L ? 0x1p-53L : 0x1p-54L;
  if (error == 0 || std::fabs(sum - RoundToDouble(sum)) != half_spacing) {
    return sum;
  }
  const long double step = sum > 1.0L ? 0x1p-63L : 0x1p-64L;
  return error > 0 ? sum + step : sum - step;
}

long double ExpExtended(long double x) {
  if (x > kExpClamp) {
    x = kExpClamp;
  } else if (x < -kExpClamp) {
    x = -kExpClamp;
  }
  const long double n = X87RoundToInteger(x * X87Log2OfE());
  const long double r = (x - n * kLn2High) - n * kLn2Low;
  return X87Scale(OnePlusForDouble(X87Exp2Minus1(r * X87Log2OfE())), n);
}

long double ExpFormula(double x) { return RunAtExtendedPrecision(ExpExtended, x); }

long double LogFormula(double x) { return X87FactorLog2(X87Ln2(), x); }
long double Log10Formula(double x) { return X87FactorLog2(X87Log10Of2(), x); }
long double SqrtFormula(double x) { return X87Sqrt(x); }

} // namespace

TESSARIM_ONE_ARGUMENT_HANDLER(ExpHandler, ExpFormula)
TESSARIM_ONE_ARGUMENT_HANDLER(LogHandler, LogFormula)
TESSARIM_ONE_ARGUMENT_HANDLER(Log10Handler, Log10Formula)
TESSARIM_ONE_ARGUMENT_HANDLER(SqrtHandler, SqrtFormula)
