// Judges a result text against a row of hard_region_cases.h: correctly
// rounded, within one ulp of the true value (the nearest double or its
// neighbour on the true value's side), or off. Native and Wine tests share
// it, and with it the rule that at least 99 % must be correctly rounded.
#pragma once

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "hard_region_cases.h"

enum HardRegionVerdict { kCorrectlyRounded, kWithinOneUlp, kOffByMore };

// The number-text rules write infinities and NaNs in their own way.
inline double ResultTextValue(const char *text) {
  if (std::strcmp(text, "1.#INF") == 0) return HUGE_VAL;
  if (std::strcmp(text, "-1.#INF") == 0) return -HUGE_VAL;
  if (std::strcmp(text, "-1.#IND") == 0) return NAN;
  return std::strtod(text, nullptr); // 17 digits name exactly one double
}

inline HardRegionVerdict JudgeHardRegion(const HardRegionCase &c, const char *text) {
  const double y = ResultTextValue(text);
  if (y == c.nearest) return kCorrectlyRounded;
  if (c.off_in_ulps != 0 && y == std::nextafter(c.nearest, c.off_in_ulps > 0 ? HUGE_VAL : -HUGE_VAL))
    return kWithinOneUlp;
  return kOffByMore;
}

// The share the table must reach: at least 99 % correctly rounded.
inline bool AtLeast99PercentRounded(int correctly_rounded, int cases) {
  return correctly_rounded * 100 >= cases * 99;
}
