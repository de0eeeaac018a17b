// The processor's floating-point operations that the handlers use, as thin
// wrappers around single x87 instructions on extended-precision operands.
//
// None of them touches the control word: they run under whatever precision
// and rounding the calling thread has set (on Windows 53-bit precision,
// round to nearest). Precision control rounds only fadd/fsub/fmul/fdiv/fsqrt;
// the transcendental instructions below always deliver 64-bit significands,
// and loading a constant or an integer is exact. The one exception is
// RunAtExtendedPrecision below: formulas whose basic operations need all 64
// bits raise the precision for themselves and put the caller's word back.
#pragma once

#include <cstdint>
#include <cstring>

// The control word as a Windows thread has it: 53-bit precision, round to
// nearest, all exceptions masked. Only the precision field differs from
// the processor's own default (0x37F, 64-bit precision).
constexpr std::uint16_t kWindowsControlWord = 0x27F;
constexpr std::uint16_t kPrecisionControl = 0x300;
constexpr std::uint16_t kDoublePrecision = 0x200;

inline std::uint16_t ReadControlWord() {
  std::uint16_t word;
  __asm__ __volatile__("fnstcw %0" : "=m"(word));
  return word;
}

inline void WriteControlWord(std::uint16_t word) { __asm__ __volatile__("fldcw %0" : : "m"(word)); }

// One instruction on st(0), its result left in st(0).
#define TESSARIM_X87_UNARY(name, instruction)     \
  inline long double name(long double x) {        \
    long double result;                           \
    __asm__(instruction : "=t"(result) : "0"(x)); \
    return result;                                \
  }

// One of the processor's constants, pushed.
#define TESSARIM_X87_CONSTANT(name, instruction) \
  inline long double name() {                    \
    long double result;                          \
    __asm__(instruction : "=t"(result));         \
    return result;                               \
  }

// Extended value -> double, the one rounding of every formula's result.
// The asm barrier forces a store to memory: without it the compiler may
// keep the "double" in an x87 register with its excess precision.
inline double RoundToDouble(long double value) {
  double result = static_cast<double>(value);
  __asm__("" : "+m"(result));
  return result;
}

// The processor's default NaN (the "indefinite", sign bit set): what an
// invalid operation gives with the exception masked.
inline double DefaultNaN() {
  const std::uint64_t bits = 0xFFF8000000000000u;
  double result;
  std::memcpy(&result, &bits, sizeof result);
  return result;
}

// The caller's word with the precision field at 64 bits; rounding and the
// exception masks stay as they are.
inline std::uint16_t WithExtendedPrecision(std::uint16_t word) {
  return static_cast<std::uint16_t>(word | kPrecisionControl);
}

// Runs `formula` on x with the basic operations at 64-bit precision and
// hands back its extended result under the caller's control word again.
// Both fldcw carry the value as an operand ("+t"), so the compiler can move
// no arithmetic of the formula before the first or past the second.
inline long double RunAtExtendedPrecision(long double (*formula)(long double), double x) {
  const std::uint16_t saved = ReadControlWord();
  const std::uint16_t extended = WithExtendedPrecision(saved);
  long double value = x;
  __asm__ __volatile__("fldcw %1" : "+t"(value) : "m"(extended));
  value = formula(value);
  __asm__ __volatile__("fldcw %1" : "+t"(value) : "m"(saved));
  return value;
}

// fsin, fcos, fptan: the operand must lie within +-2^63; beyond that the
// instruction leaves it unchanged (see trig_reduction.h).
TESSARIM_X87_UNARY(X87Sin, "fsin")

TESSARIM_X87_UNARY(X87Cos, "fcos")

// fptan replaces st(0) with tan(x) and pushes 1.0 on top of it.
inline long double X87Tan(long double x) {
  long double one;
  long double result;
  __asm__("fptan" : "=t"(one), "=u"(result) : "0"(x));
  static_cast<void>(one);
  return result;
}

// fpatan: arc tangent of numerator / denominator in the quadrant of the
// point (denominator, numerator), -pi..pi.
inline long double X87Atan2(long double numerator, long double denominator) {
  long double result;
  __asm__("fpatan" : "=t"(result) : "0"(denominator), "u"(numerator) : "st(1)");
  return result;
}

// fyl2x: factor * log2(x), in one operation.
inline long double X87FactorLog2(long double factor, long double x) {
  long double result;
  __asm__("fyl2x" : "=t"(result) : "0"(x), "u"(factor) : "st(1)");
  return result;
}

// fyl2xp1: factor * log2(1 + t) without forming 1 + t, so the bits of a
// small t all count; valid for |t| < 1 - sqrt(2)/2.
inline long double X87FactorLog2Plus1(long double factor, long double t) {
  long double result;
  __asm__("fyl2xp1" : "=t"(result) : "0"(t), "u"(factor) : "st(1)");
  return result;
}

// f2xm1: 2^x - 1, for -1 <= x <= 1.
TESSARIM_X87_UNARY(X87Exp2Minus1, "f2xm1")

// fscale: x * 2^trunc(n), exact unless it overflows or underflows.
inline long double X87Scale(long double x, long double n) {
  long double result;
  __asm__("fscale" : "=t"(result) : "0"(x), "u"(n));
  return result;
}

// frndint: to a whole number under the current rounding (nearest, ties even).
TESSARIM_X87_UNARY(X87RoundToInteger, "frndint")

// fsqrt: rounded under precision control like the basic operations.
TESSARIM_X87_UNARY(X87Sqrt, "fsqrt")

// fldln2, fldlg2, fldl2e: ln 2, log10 2 and log2 e to 64 bits.
TESSARIM_X87_CONSTANT(X87Ln2, "fldln2")
TESSARIM_X87_CONSTANT(X87Log10Of2, "fldlg2")
TESSARIM_X87_CONSTANT(X87Log2OfE, "fldl2e")
