// A double's bits and back, for tests, fuzzers and measurements that build
// values bit by bit.
#pragma once

#include <cstdint>
#include <cstring>

inline std::uint64_t BitsOf(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

inline double FromBits(std::uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
