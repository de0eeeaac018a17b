// EXP, LOG, LOG10, SQRT.
//
//   EXP(x)   t = x * log2 e (fldl2e, fmul), n = t to nearest, ties even
//            (frndint), f = t - n in [-1/2, 1/2]; result (2^f - 1 + 1) * 2^n
//            (f2xm1, fadd, fscale). +inf gives +inf and -inf gives 0: the
//            split would make inf - inf, a NaN.
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

long double ExpFormula(double x) {
  if (std::isinf(x)) {
    return x > 0 ? x : 0.0;
  }
  const long double t = x * X87Log2OfE();
  const long double n = X87RoundToInteger(t);
  const long double f = t - n;
  return X87Scale(X87Exp2Minus1(f) + 1.0L, n);
}

long double LogFormula(double x) { return X87FactorLog2(X87Ln2(), x); }
long double Log10Formula(double x) { return X87FactorLog2(X87Log10Of2(), x); }
long double SqrtFormula(double x) { return X87Sqrt(x); }

} // namespace

TESSARIM_ONE_ARGUMENT_HANDLER(ExpHandler, ExpFormula)
TESSARIM_ONE_ARGUMENT_HANDLER(LogHandler, LogFormula)
TESSARIM_ONE_ARGUMENT_HANDLER(Log10Handler, Log10Formula)
TESSARIM_ONE_ARGUMENT_HANDLER(SqrtHandler, SqrtFormula)
