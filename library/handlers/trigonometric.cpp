// SIN, COS, TAN, COTAN, CSC, SEC.
//
//   SIN(x)   = sin x                          fsin
//   COS(x)   = cos x                          fcos
//   TAN(x)   = tan x                          fptan
//   COTAN(x) = double(cos x) / sin x          fcos, fsin, fdiv
//   CSC(x)   = 1 / sin x                      fsin, fdiv
//   SEC(x)   = 1 / cos x                      fcos, fdiv
//
// Below 2^63 the processor reduces the argument itself, with its own
// 66-bit pi, and we keep its results as they are. At and above 2^63 the
// instructions would hand back the operand unchanged (SIN(1e19) = 1e19),
// so those arguments are reduced exactly first (trig_reduction.h) and the
// instructions see only |r| <= pi/4. Infinities give the default NaN, as
// the instructions would; we answer them before the instructions, since an
// x87 emulator (qemu-i386, which runs 32-bit Wine where the kernel cannot)
// hands back the operand or unbalances the stack instead. Division by zero
// gives what IEEE 754 says (CSC(0) = 1.#INF).
#include <cmath>

#include "handlers.h"
#include "numeric_sequence.h"
#include "trig_reduction.h"
#include "x87.h"

namespace {

long double Sine(double x) {
  if (std::isinf(x)) {
    return DefaultNaN();
  }
  if (!NeedsExactReduction(x)) {
    return X87Sin(x);
  }
  const ReducedAngle a = ReduceHugeAngle(x);
  switch (a.quadrant) {
  case 0: return X87Sin(a.angle);
  case 1: return X87Cos(a.angle);
  case 2: return -X87Sin(a.angle);
  default: return -X87Cos(a.angle);
  }
}

long double Cosine(double x) {
  if (std::isinf(x)) {
    return DefaultNaN();
  }
  if (!NeedsExactReduction(x)) {
    return X87Cos(x);
  }
  const ReducedAngle a = ReduceHugeAngle(x);
  switch (a.quadrant) {
  case 0: return X87Cos(a.angle);
  case 1: return -X87Sin(a.angle);
  case 2: return -X87Cos(a.angle);
  default: return X87Sin(a.angle);
  }
}

long double Tangent(double x) {
  if (std::isinf(x)) {
    return DefaultNaN();
  }
  if (!NeedsExactReduction(x)) {
    return X87Tan(x);
  }
  const ReducedAngle a = ReduceHugeAngle(x);
  // tan(r + pi/2) = -1 / tan r; the period is pi, so k mod 2 decides.
  return (a.quadrant & 1) == 0 ? X87Tan(a.angle) : -1.0L / X87Tan(a.angle);
}

long double SinFormula(double x) { return Sine(x); }
long double CosFormula(double x) { return Cosine(x); }
long double TanFormula(double x) { return Tangent(x); }
// The cosine is rounded to a double before the division: part of the formula.
long double CotanFormula(double x) { return RoundToDouble(Cosine(x)) / Sine(x); }
long double CscFormula(double x) { return 1.0L / Sine(x); }
long double SecFormula(double x) { return 1.0L / Cosine(x); }

} // namespace

TESSARIM_HANDLER(SinHandler) { return RunNumericSequence(context, arguments, status, SinFormula); }
TESSARIM_HANDLER(CosHandler) { return RunNumericSequence(context, arguments, status, CosFormula); }
TESSARIM_HANDLER(TanHandler) { return RunNumericSequence(context, arguments, status, TanFormula); }
TESSARIM_HANDLER(CotanHandler) { return RunNumericSequence(context, arguments, status, CotanFormula); }
TESSARIM_HANDLER(CscHandler) { return RunNumericSequence(context, arguments, status, CscFormula); }
TESSARIM_HANDLER(SecHandler) { return RunNumericSequence(context, arguments, status, SecFormula); }
