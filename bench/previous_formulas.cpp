#include "previous_formulas.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "numeric_sequence.h"
#include "trig_reduction.h"
#include "x87.h"

namespace {

// The old test: finite |x| >= 2^63 only.
bool PreviousNeedsExactReduction(double x) {
  std::uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  return biased >= 1023 + 63 && biased != 0x7FF;
}

long double PreviousSine(double x) {
  if (std::isinf(x)) {
    return DefaultNaN();
  }
  if (!PreviousNeedsExactReduction(x)) {
    return X87Sin(x);
  }
  const ReducedAngle a = ReduceHugeAngle(x);
  switch (a.quadrant) {
  case 0:
    return X87Sin(a.angle);
  case 1:
    return X87Cos(a.angle);
  case 2:
    return -X87Sin(a.angle);
  default:
    return -X87Cos(a.angle);
  }
}

long double NaturalLog(long double x) { return X87FactorLog2(X87Ln2(), x); }

long double PreviousExp(double x) {
  if (std::isinf(x)) {
    return x > 0 ? x : 0.0;
  }
  const long double t = x * X87Log2OfE();
  const long double n = X87RoundToInteger(t);
  return X87Scale(X87Exp2Minus1(t - n) + 1.0L, n);
}

long double PreviousAsinh(double x) {
  if (x < 0) {
    return -PreviousAsinh(-x);
  }
  const long double e = x;
  return NaturalLog(e + X87Sqrt(e * e + 1.0L));
}

long double PreviousAtanh(double x) {
  const long double e = x;
  return 0.5L * NaturalLog((1.0L + e) / (1.0L - e));
}

long double PreviousAcosh(double x) {
  const long double e = x;
  return NaturalLog(e + X87Sqrt(e * e - 1.0L));
}

#define TESSARIM_PREVIOUS_HANDLER(handler, formula)                                  \
  HostWord TESSARIM_CALL handler(void *context, void *arguments, HostWord *status) { \
    return RunNumericSequence(context, arguments, status, formula);                  \
  }

TESSARIM_PREVIOUS_HANDLER(PreviousSinHandler, PreviousSine)
TESSARIM_PREVIOUS_HANDLER(PreviousExpHandler, PreviousExp)
TESSARIM_PREVIOUS_HANDLER(PreviousAsinhHandler, PreviousAsinh)
TESSARIM_PREVIOUS_HANDLER(PreviousAtanhHandler, PreviousAtanh)
TESSARIM_PREVIOUS_HANDLER(PreviousAcoshHandler, PreviousAcosh)

// The exact reduction may cost SIN a quarter more; one ulp may cost the
// other four 15 %.
constexpr PreviousHandler kPreviousHandlers[] = {
    {"SIN", PreviousSinHandler, 1.25, "<=1.25"},     {"EXP", PreviousExpHandler, 1.15, "<=1.15"},
    {"ASINH", PreviousAsinhHandler, 1.15, "<=1.15"}, {"ATANH", PreviousAtanhHandler, 1.15, "<=1.15"},
    {"ACOSH", PreviousAcoshHandler, 1.15, "<=1.15"},
};

} // namespace

const PreviousHandler *FindPreviousHandler(const char *function) {
  for (const PreviousHandler &p : kPreviousHandlers) {
    if (std::strcmp(p.function, function) == 0) return &p;
  }
  return nullptr;
}
