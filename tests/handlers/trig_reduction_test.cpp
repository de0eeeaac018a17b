// SIN, COS and TAN of huge arguments against glibc's long double functions,
// which reduce by pi/2 exactly themselves (an independent Payne-Hanek).
// The doubles are spread over every binary exponent from 2^63 to the top.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fake_host.h"
#include "function_directory.h"
#include "x87_precision.h"

namespace {

double HandlerValue(const char *function, double x) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", x);
  fake_host::FakeHost host;
  host.SetArgs(text);
  host.digits = 17;  // 17 significant digits give the double back exactly
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

TEST(TrigReduction, HugeArgumentsWithinAnUlp) {
  std::uint64_t state = 0x9E3779B97F4A7C15u;
  int checked = 0;
  for (int exponent = 63; exponent <= 1023; ++exponent) {
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
        EXPECT_LE(UlpDistance(got, c.reference), 1) << c.function << "(" << x << ") = " << got
                                                     << ", reference " << c.reference;
        ++checked;
      }
    }
  }
  EXPECT_EQ(checked, 961 * 6 * 3);
}

// Known values of the double's exact argument.
TEST(TrigReduction, KnownValues) {
  const struct {
    const char *function;
    double x;
    double expected;
  } cases[] = {
      {"SIN", 1e22, -0.8522008497671888},
      {"COS", 1e22, 0.523214785395139},
      {"TAN", 1e22, -1.6287782256068988},
      {"SIN", -1e22, 0.8522008497671888},
      {"COS", 0x1p1023, -0.826369834614148},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(HandlerValue(c.function, c.x), c.expected) << c.function << "(" << c.x << ")";
  }
}

}  // namespace
