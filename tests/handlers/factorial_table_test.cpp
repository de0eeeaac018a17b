// Every entry of the factorial table against the exact product: n! must
// lie within half an ulp of the entry, a tie only with an even significand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "factorial_table.h"

namespace {

// Little-endian 32-bit words.
using BigInt = std::vector<std::uint32_t>;

void MultiplySmall(BigInt &a, std::uint32_t factor) {
  std::uint64_t carry = 0;
  for (std::uint32_t &word : a) {
    const std::uint64_t product = std::uint64_t{word} * factor + carry;
    word = static_cast<std::uint32_t>(product);
    carry = product >> 32;
  }
  if (carry != 0) a.push_back(static_cast<std::uint32_t>(carry));
}

BigInt FromWhole(std::uint64_t value) {
  return {static_cast<std::uint32_t>(value), static_cast<std::uint32_t>(value >> 32)};
}

BigInt TimesPowerOfTwo(BigInt a, int power) {
  for (int i = 0; i < power; ++i) MultiplySmall(a, 2);
  return a;
}

int Compare(BigInt a, BigInt b) {
  const std::size_t n = std::max(a.size(), b.size());
  a.resize(n, 0);
  b.resize(n, 0);
  for (std::size_t i = n; i-- > 0;) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

TEST(FactorialTable, EntriesAreCorrectlyRoundedProducts) {
  BigInt exact = {1};
  for (std::uint32_t n = 2; n <= kLastFiniteFactorial; ++n) {
    MultiplySmall(exact, n);
    if (n < static_cast<std::uint32_t>(kFirstTableFactorial)) continue;
    SCOPED_TRACE(n);
    const double entry = kFactorials[n - kFirstTableFactorial];
    int exponent = 0;
    // entry = m * 2^(exponent - 53), m a 53-bit whole number.
    const auto m = static_cast<std::uint64_t>(std::ldexp(std::frexp(entry, &exponent), 53));
    // Half an ulp either side: (2m -+ 1) * 2^(shift - 1), compared with
    // n! on a common scale.
    const int shift = exponent - 53;
    const BigInt scaled = TimesPowerOfTwo(exact, shift >= 1 ? 0 : 1 - shift);
    const int scale = shift >= 1 ? shift - 1 : 0;
    const int below = Compare(scaled, TimesPowerOfTwo(FromWhole(2 * m - 1), scale));
    const int above = Compare(scaled, TimesPowerOfTwo(FromWhole(2 * m + 1), scale));
    EXPECT_GE(below, 0);
    EXPECT_LE(above, 0);
    if (below == 0 || above == 0) {
      EXPECT_EQ(m % 2, 0u) << "a tie goes to the even significand";
    }
  }
  // 171! = 171 * 170! leaves the double range (stored, so that an x87
  // register's wider range cannot hold it).
  volatile double next = 171.0 * kFactorials[kLastFiniteFactorial - kFirstTableFactorial];
  EXPECT_EQ(next, std::numeric_limits<double>::infinity());
}

} // namespace
