#include "previous_sine.h"

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

} // namespace

HostWord TESSARIM_CALL PreviousSinHandler(void *context, void *arguments, HostWord *status) {
  return RunNumericSequence(context, arguments, status, PreviousSine);
}
