// How far a handler's double lies from a true value of trig_hard_cases.h,
// in units of the last place of the true value.
#pragma once

#include <cmath>

#include "trig_hard_cases.h"

inline double UlpError(double y, const TrigTruth &truth) {
  if (!std::isfinite(y)) return HUGE_VAL;
  int exponent;
  std::frexp(truth.nearest, &exponent);
  double ulp = std::ldexp(1.0, exponent - 53);
  // A power of two with the true value just inside it: the binade below.
  const bool power_of_two = std::fabs(truth.nearest) == std::ldexp(0.5, exponent);
  if (power_of_two && (truth.residual < 0) == (truth.nearest > 0)) ulp /= 2;
  // y and the nearest double are close, so y - nearest is exact.
  return std::fabs((y - truth.nearest) - truth.residual) / ulp;
}
