// The wide product: the native fast form must agree with the 32-bit form
// that the Windows build uses.
#include <cstdint>
#include <random>

#include <gtest/gtest.h>

#include "wide_integer.h"

namespace {

TEST(Multiply, PortableAndNativeAgree) {
  std::mt19937_64 random(7);
  const std::uint64_t edges[] = {
      0, 1, 0xFFFFFFFFu, 0x100000000u, 0x8000000000000000u, ~std::uint64_t{0}, 0xFFFFFFFF00000000u};
  for (std::uint64_t a : edges)
    for (std::uint64_t b : edges) {
      EXPECT_EQ(Multiply(a, b).high, MultiplyPortable(a, b).high) << a << " " << b;
      EXPECT_EQ(Multiply(a, b).low, MultiplyPortable(a, b).low) << a << " " << b;
    }
  for (int i = 0; i < 100000; ++i) {
    const std::uint64_t a = random(), b = random() >> (i % 64);
    const Product128 fast = Multiply(a, b), portable = MultiplyPortable(a, b);
    ASSERT_EQ(fast.high, portable.high) << a << " " << b;
    ASSERT_EQ(fast.low, portable.low) << a << " " << b;
  }
  // (2^64 - 1)^2 = 2^128 - 2^65 + 1, worked out by hand.
  EXPECT_EQ(MultiplyPortable(~std::uint64_t{0}, ~std::uint64_t{0}).high, ~std::uint64_t{0} - 1);
  EXPECT_EQ(MultiplyPortable(~std::uint64_t{0}, ~std::uint64_t{0}).low, 1u);
}

} // namespace
