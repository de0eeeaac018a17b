// Judges a result text against a row of hard_region_cases.h: correctly
// rounded, within one ulp of the true value (the nearest double or its
// neighbour on the true value's side), or off; and the whole table, for the
// native test and the one through the DLL under Wine alike.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "hard_region_cases.h"

enum HardRegionVerdict { kCorrectlyRounded, kWithinOneUlp, kOffByMore };

inline HardRegionVerdict JudgeHardRegion(const HardRegionCase &c, const char *text) {
  // 17 digits name exactly one double; EXP past its range writes "1.#INF".
  const double y = std::strcmp(text, "1.#INF") == 0 ? HUGE_VAL : std::strtod(text, nullptr);
  if (y == c.nearest) return kCorrectlyRounded;
  const double toward_truth = std::nextafter(c.nearest, c.off_in_ulps > 0 ? HUGE_VAL : -HUGE_VAL);
  return c.off_in_ulps != 0 && y == toward_truth ? kWithinOneUlp : kOffByMore;
}

// Every row through `call` (row -> result text at 17 digits): each result
// within one ulp, and at least 99 % correctly rounded.
template <typename Call> void CheckHardRegions(Call call) {
  int rounded = 0, cases = 0;
  for (const HardRegionCase &c : kHardRegionCases) {
    const std::string text = call(c);
    const HardRegionVerdict verdict = JudgeHardRegion(c, text.c_str());
    EXPECT_NE(verdict, kOffByMore) << c.function << "(" << c.text << ") = " << text << ", nearest "
                                   << c.nearest;
    rounded += verdict == kCorrectlyRounded;
    ++cases;
  }
  EXPECT_GE(rounded * 100, cases * 99) << rounded << " of " << cases << " correctly rounded";
}
