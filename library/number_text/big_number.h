// Exact integer machinery shared by the two number-text conversions: a big
// integer on the stack for the rare cases where the 128-bit fast paths
// cannot decide (the wide product is in wide_integer.h). Only integers: the
// result must not depend on the calling thread's x87 precision setting.
#pragma once

#include <cstdint>

#include "wide_integer.h"

// Unsigned big integer, little-endian 32-bit words. The largest number the
// conversions build is about 2680 bits (800 decimal digits scaled against
// 5^1123); the capacity leaves room to spare.
constexpr int kBigWords = 96;
struct BigNumber {
  std::uint32_t word[kBigWords];
  int size; // words in use; no leading zero words; 0 for the value 0
};

void BigSet(BigNumber *n, std::uint64_t value);
void BigMulAdd(BigNumber *n, std::uint32_t factor, std::uint32_t addend);
void BigMulPow5(BigNumber *n, int exponent);
void BigShiftLeft(BigNumber *n, int bits);
int BigBitLength(const BigNumber *n);
int BigCompare(const BigNumber *a, const BigNumber *b);
bool BigIsZero(const BigNumber *n);
// a = a mod b, returns floor(a / b); requires a < 2^64 * b.
std::uint64_t BigDivide(BigNumber *a, const BigNumber *b);
