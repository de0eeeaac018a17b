// 64 x 64 -> 128-bit products and a leading-zero count, shared by the
// number-text conversions and the trigonometric reduction. Only integers:
// nothing here depends on the calling thread's x87 precision setting.
#pragma once

#include <cstdint>

struct Product128 {
  std::uint64_t high;
  std::uint64_t low;
};

// 64 x 64 -> 128 from 32-bit halves; the only form available to the 32-bit
// build, and the reference for the native fast form.
inline Product128 MultiplyPortable(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t a_lo = static_cast<std::uint32_t>(a), a_hi = a >> 32;
  const std::uint64_t b_lo = static_cast<std::uint32_t>(b), b_hi = b >> 32;
  const std::uint64_t lo_lo = a_lo * b_lo;
  const std::uint64_t hi_lo = a_hi * b_lo;
  const std::uint64_t lo_hi = a_lo * b_hi;
  const std::uint64_t hi_hi = a_hi * b_hi;
  const std::uint64_t middle =
      (lo_lo >> 32) + static_cast<std::uint32_t>(hi_lo) + static_cast<std::uint32_t>(lo_hi);
  Product128 p;
  p.low = (middle << 32) | static_cast<std::uint32_t>(lo_lo);
  p.high = hi_hi + (hi_lo >> 32) + (lo_hi >> 32) + (middle >> 32);
  return p;
}

inline Product128 Multiply(std::uint64_t a, std::uint64_t b) {
#if defined(__SIZEOF_INT128__)
  const unsigned __int128 p = static_cast<unsigned __int128>(a) * b;
  return Product128{static_cast<std::uint64_t>(p >> 64), static_cast<std::uint64_t>(p)};
#else
  return MultiplyPortable(a, b);
#endif
}

inline int LeadingZeros64(std::uint64_t x) { // x != 0
#if defined(__GNUC__) || defined(__clang__)
  return __builtin_clzll(x);
#else
  int n = 0;
  while (!(x >> 63)) {
    x <<= 1;
    ++n;
  }
  return n;
#endif
}
