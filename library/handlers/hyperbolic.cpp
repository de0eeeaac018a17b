// ACOSH, ASINH, ATANH, COSH, SINH, TANH.
//
//   ACOSH(x) = ln(x + sqrt(x*x - 1))          fmul, fsub, fsqrt, fadd, fyl2x
//   ASINH(x) = ln(x + sqrt(x*x + 1)), x >= 0  fmul, fadd, fsqrt, fadd, fyl2x
//            = -ASINH(-x), x < 0              (the formula would cancel to
//                                              ln 0 = -inf for large -x)
//   ATANH(x) = 0.5 * ln((1 + x) / (1 - x))    fadd, fsub, fdiv, fyl2x, fmul
//   COSH, SINH, TANH: the C library's (library_edges.h).
//
// The extended exponent range keeps x*x finite for every double, so
// ACOSH(1e200) is about 461.2. Outside the domain the operations give the
// default NaN (ACOSH(0.5)) or an infinity (ATANH(1) = ln inf).
#include "handlers.h"
#include "library_edges.h"
#include "numeric_sequence.h"
#include "x87.h"

namespace {

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

long double CoshFormula(double x) { return LibraryCosh(x); }
long double SinhFormula(double x) { return LibrarySinh(x); }
long double TanhFormula(double x) { return LibraryTanh(x); }

} // namespace

TESSARIM_HANDLER(AcoshHandler) { return RunNumericSequence(context, arguments, status, AcoshFormula); }
TESSARIM_HANDLER(AsinhHandler) { return RunNumericSequence(context, arguments, status, AsinhFormula); }
TESSARIM_HANDLER(AtanhHandler) { return RunNumericSequence(context, arguments, status, AtanhFormula); }
TESSARIM_HANDLER(CoshHandler) { return RunNumericSequence(context, arguments, status, CoshFormula); }
TESSARIM_HANDLER(SinhHandler) { return RunNumericSequence(context, arguments, status, SinhFormula); }
TESSARIM_HANDLER(TanhHandler) { return RunNumericSequence(context, arguments, status, TanhFormula); }
