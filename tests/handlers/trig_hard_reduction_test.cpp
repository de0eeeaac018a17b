// The reduction of the hard arguments: k mod 4 exactly, and r one of the
// two 64-bit values next to the exact x - k * pi/2. Integer arithmetic
// only, so the Windows build under Wine must give the same bits.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "trig_hard_cases.h"
#include "trig_reduction.h"
#include "x87_precision.h"

namespace {

struct ExtendedParts {
  std::uint64_t significand;
  int exponent; // value = significand * 2^exponent
  bool negative;
};

ExtendedParts Parts(long double value) {
  unsigned char bytes[10];
  std::memcpy(bytes, &value, sizeof bytes);
  ExtendedParts parts;
  std::memcpy(&parts.significand, bytes, 8);
  const unsigned top = bytes[8] | bytes[9] << 8;
  parts.exponent = static_cast<int>(top & 0x7FFF) - 16383 - 63;
  parts.negative = (top & 0x8000) != 0;
  return parts;
}

// |r| truncated is (s, e): faithful means s or s + 1 units of 2^e.
bool Faithful(const ExtendedParts &got, std::uint64_t s, int e) {
  if (got.exponent == e) return got.significand == s || got.significand == s + 1;
  return s == ~std::uint64_t{0} && got.exponent == e + 1 && got.significand == std::uint64_t{1} << 63;
}

TEST(TrigHardCases, QuadrantExactlyAndFaithfulR) {
  const WindowsPrecision precision;
  int reduced = 0;
  for (const TrigHardCase &c : kTrigHardCases) {
    if (!NeedsReduction(c.x)) continue; // |x| <= pi/4 goes to the instructions as it is
    ++reduced;
    const ReducedAngle a = ReduceAngle(c.x);
    const ExtendedParts r = Parts(a.angle);
    EXPECT_EQ(a.quadrant, c.quadrant) << c.text;
    EXPECT_EQ(r.negative, c.r_negative) << c.text;
    EXPECT_TRUE(Faithful(r, c.r_significand, c.r_exponent))
        << c.text << ": r = " << std::hex << r.significand << " * 2^" << std::dec << r.exponent
        << ", true |r| = " << std::hex << c.r_significand << ".. * 2^" << std::dec << c.r_exponent;
  }
  EXPECT_GE(reduced, 50);
}

} // namespace
