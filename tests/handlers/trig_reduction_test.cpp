// SIN, COS and TAN against glibc's long double functions, which reduce by
// pi/2 exactly themselves (an independent Payne-Hanek), over every binary
// exponent from pi/4 to the top; the six functions on the hard arguments
// against mpmath; and the two reduction paths against each other.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fake_host.h"
#include "function_lookup.h"
#include "trig_hard_cases.h"
#include "trig_reduction.h"
#include "trig_ulp_error.h"
#include "x87_precision.h"

namespace {

double HandlerValue(const char *function, double x) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", x);
  fake_host::FakeHost host;
  host.SetArgs(text);
  host.digits = 17; // 17 significant digits give the double back exactly
  HostWord status = 0;
  {
    WindowsPrecision precision;
    fake_host::RunHandler(host, FindFunction(function)->handler, &status);
  }
  return std::strtod(host.ResultText(), nullptr);
}

// Distance in ulps between two finite doubles of the same sign.
std::int64_t UlpDistance(double a, double b) {
  std::int64_t ia, ib;
  std::memcpy(&ia, &a, sizeof a);
  std::memcpy(&ib, &b, sizeof b);
  if ((ia < 0) != (ib < 0)) return a == b ? 0 : INT64_MAX;
  return ia > ib ? ia - ib : ib - ia;
}

TEST(TrigReduction, EveryBinadeWithinAnUlp) {
  std::uint64_t state = 0x9E3779B97F4A7C15u;
  int checked = 0;
  for (int exponent = -1; exponent <= 1023; ++exponent) {
    for (int k = 0; k < 6; ++k) {
      state = state * 6364136223846793005u + 1442695040888963407u;
      const double mantissa = 1.0 + static_cast<double>(state >> 12) * 0x1p-52;
      const double x = std::ldexp(k % 2 == 0 ? mantissa : -mantissa, exponent);
      const long double lx = x;
      const struct {
        const char *function;
        double reference;
      } cases[] = {
          {"SIN", static_cast<double>(sinl(lx))},
          {"COS", static_cast<double>(cosl(lx))},
          {"TAN", static_cast<double>(tanl(lx))},
      };
      for (const auto &c : cases) {
        const double got = HandlerValue(c.function, x);
        EXPECT_LE(UlpDistance(got, c.reference), 1)
            << c.function << "(" << x << ") = " << got << ", reference " << c.reference;
        ++checked;
      }
    }
  }
  EXPECT_EQ(checked, 1025 * 6 * 3);
}

// Within an ulp of the true function (COTAN, whose cosine is rounded to a
// double before the division, within two) on the arguments closest to
// multiples of pi/2, on the real x87 under the Windows control word.
TEST(TrigReduction, HardCasesWithinTheirBounds) {
  for (const TrigHardCase &c : kTrigHardCases) {
    for (int f = 0; f < kTrigFunctionCount; ++f) {
      const double bound = f == kCotan ? 2 : 1;
      const double got = HandlerValue(kTrigFunctionNames[f], c.x);
      EXPECT_LT(UlpError(got, c.truth[f]), bound)
          << kTrigFunctionNames[f] << "(" << c.text << ") = " << got << ", true " << c.truth[f].nearest;
    }
  }
}

// Below 2^63 both paths apply: the same k mod 4 and r to within one unit
// of its 64th bit, for random doubles of every binade from pi/4 to 2^63
// (the window path's word index at small exponents included).
TEST(TrigReduction, ModerateAndWindowPathsAgree) {
  std::uint64_t state = 0x2545F4914F6CDD1Du;
  for (int exponent = -1; exponent <= 62; ++exponent) {
    for (int k = 0; k < 200; ++k) {
      state = state * 6364136223846793005u + 1442695040888963407u;
      const double mantissa = 1.0 + static_cast<double>(state >> 12) * 0x1p-52;
      const double x = std::ldexp(k % 2 == 0 ? mantissa : -mantissa, exponent);
      if (!NeedsReduction(x)) continue;
      const ReducedAngle moderate = ReduceModerateAngle(x), window = ReduceHugeAngle(x);
      EXPECT_EQ(moderate.quadrant, window.quadrant) << x;
      const long double unit = std::fabs(moderate.angle) * 0x1p-63L;
      EXPECT_LE(std::fabs(moderate.angle - window.angle), unit) << x;
    }
  }
}

// Known values of the double's exact argument.
TEST(TrigReduction, KnownValues) {
  const struct {
    const char *function;
    double x;
    double expected;
  } cases[] = {
      {"SIN", 1e22, -0.8522008497671888},    {"COS", 1e22, 0.523214785395139},
      {"TAN", 1e22, -1.6287782256068988},    {"SIN", -1e22, 0.8522008497671888},
      {"COS", 0x1p1023, -0.826369834614148},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(HandlerValue(c.function, c.x), c.expected) << c.function << "(" << c.x << ")";
  }
}

} // namespace
