// SIN, COS, TAN, COTAN, CSC, SEC.
//
//   SIN(x)   = sin x                          fsin
//   COS(x)   = cos x                          fcos
//   TAN(x)   = tan x                          fptan
//   COTAN(x) = double(cos x) / sin x          fcos, fsin, fdiv
//   CSC(x)   = 1 / sin x                      fsin, fdiv
//   SEC(x)   = 1 / cos x                      fcos, fdiv
//
// |x| <= pi/4 goes to the instructions as it is. Every other finite x is
// first reduced exactly, x = k * pi/2 + r (trig_reduction.h), and the
// instructions see only r, where their 64-bit results are accurate; k mod 4
// picks the function and the sign. The processor's own reduction, with a
// 66-bit pi, would lose digits near multiples of pi/2 and for large x
// (SIN(1e15) = 0.858272132 instead of 0.858272793), and stops at 2^63.
// Results are within one unit in the last place of the double's true
// sine, cosine, tangent, cosecant and secant; COTAN, whose cosine is
// rounded to a double before a 53-bit division, within two.
//
// Infinities give the default NaN, as the instructions would; we answer
// them before the instructions, since an x87 emulator (qemu-i386, which
// runs 32-bit Wine where the kernel cannot) hands back the operand or
// unbalances the stack instead. Division by zero gives what IEEE 754 says
// (CSC(0) = 1.#INF).
#include <cmath>

#include "handlers.h"
#include "numeric_sequence.h"
#include "trig_reduction.h"
#include "x87.h"

namespace {

// sin(r + q * pi/2) for the quarter turn q mod 4; cos x is sin(x + pi/2),
// one quarter turn on.
long double SineOfQuarterTurns(int quarter_turns, long double r) {
  switch (quarter_turns & 3) {
  case 0:
    return X87Sin(r);
  case 1:
    return X87Cos(r);
  case 2:
    return -X87Sin(r);
  default:
    return -X87Cos(r);
  }
}

long double SinFormula(double x) {
  if (!NeedsReduction(x)) {
    return std::isinf(x) ? DefaultNaN() : X87Sin(x);
  }
  const ReducedAngle a = ReduceAngle(x);
  return SineOfQuarterTurns(a.quadrant, a.angle);
}

long double CosFormula(double x) {
  if (!NeedsReduction(x)) {
    return std::isinf(x) ? DefaultNaN() : X87Cos(x);
  }
  const ReducedAngle a = ReduceAngle(x);
  return SineOfQuarterTurns(a.quadrant + 1, a.angle);
}

long double TanFormula(double x) {
  if (!NeedsReduction(x)) {
    return std::isinf(x) ? DefaultNaN() : X87Tan(x);
  }
  const ReducedAngle a = ReduceAngle(x);
  // tan(r + pi/2) = -1 / tan r; the period is pi, so k mod 2 decides.
  return (a.quadrant & 1) == 0 ? X87Tan(a.angle) : -1.0L / X87Tan(a.angle);
}

// The cosine is rounded to a double before the division: part of the formula.
long double CotanFormula(double x) { return RoundToDouble(CosFormula(x)) / SinFormula(x); }
long double CscFormula(double x) { return 1.0L / SinFormula(x); }
long double SecFormula(double x) { return 1.0L / CosFormula(x); }

} // namespace

TESSARIM_ONE_ARGUMENT_HANDLER(SinHandler, SinFormula)
TESSARIM_ONE_ARGUMENT_HANDLER(CosHandler, CosFormula)
TESSARIM_ONE_ARGUMENT_HANDLER(TanHandler, TanFormula)
TESSARIM_ONE_ARGUMENT_HANDLER(CotanHandler, CotanFormula)
TESSARIM_ONE_ARGUMENT_HANDLER(CscHandler, CscFormula)
TESSARIM_ONE_ARGUMENT_HANDLER(SecHandler, SecFormula)
