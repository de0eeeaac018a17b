// The big integer of the exact paths: what they need and no more, on the
// stack, sizes bounded by the callers.
#include "big_number.h"

void BigSet(BigNumber *n, std::uint64_t value) {
  n->word[0] = static_cast<std::uint32_t>(value);
  n->word[1] = static_cast<std::uint32_t>(value >> 32);
  n->size = value >> 32 ? 2 : value ? 1 : 0;
}

void BigMulAdd(BigNumber *n, std::uint32_t factor, std::uint32_t addend) {
  std::uint64_t carry = addend;
  for (int i = 0; i < n->size; ++i) {
    const std::uint64_t t = static_cast<std::uint64_t>(n->word[i]) * factor + carry;
    n->word[i] = static_cast<std::uint32_t>(t);
    carry = t >> 32;
  }
  // Sizes are bounded by the callers; never write past the array.
  if (carry && n->size < kBigWords) n->word[n->size++] = static_cast<std::uint32_t>(carry);
}

void BigMulPow5(BigNumber *n, int exponent) {
  static constexpr std::uint32_t kPow5[14] = {
      1, 5, 25, 125, 625, 3125, 15625, 78125, 390625, 1953125, 9765625, 48828125, 244140625, 1220703125};
  static_assert(kPow5[13] == 1220703125u && kPow5[13] / 5 == kPow5[12], "5^13 is the largest 32-bit power");
  for (; exponent >= 13; exponent -= 13) BigMulAdd(n, kPow5[13], 0);
  if (exponent > 0) BigMulAdd(n, kPow5[exponent], 0);
}

void BigShiftLeft(BigNumber *n, int bits) {
  if (n->size == 0 || bits <= 0) return;
  const int words = bits / 32, rest = bits % 32;
  int size = n->size + words + 1;
  if (size > kBigWords) size = kBigWords;
  for (int i = size - 1; i >= 0; --i) {
    const int src = i - words;
    std::uint32_t hi = src >= 0 && src < n->size ? n->word[src] : 0;
    std::uint32_t lo = src - 1 >= 0 && src - 1 < n->size ? n->word[src - 1] : 0;
    n->word[i] = rest ? (hi << rest) | (lo >> (32 - rest)) : hi;
  }
  while (size > 0 && n->word[size - 1] == 0) --size;
  n->size = size;
}

int BigBitLength(const BigNumber *n) {
  if (n->size == 0) return 0;
  return 32 * (n->size - 1) + 64 - LeadingZeros64(n->word[n->size - 1]);
}

int BigCompare(const BigNumber *a, const BigNumber *b) {
  if (a->size != b->size) return a->size < b->size ? -1 : 1;
  for (int i = a->size - 1; i >= 0; --i)
    if (a->word[i] != b->word[i]) return a->word[i] < b->word[i] ? -1 : 1;
  return 0;
}

bool BigIsZero(const BigNumber *n) { return n->size == 0; }

namespace {

void BigSubtract(BigNumber *a, const BigNumber *b) { // a >= b
  std::uint32_t borrow = 0;
  for (int i = 0; i < a->size; ++i) {
    const std::uint64_t sub = static_cast<std::uint64_t>(i < b->size ? b->word[i] : 0) + borrow;
    const std::uint32_t w = a->word[i];
    a->word[i] = static_cast<std::uint32_t>(w - sub);
    borrow = w < sub;
  }
  while (a->size > 0 && a->word[a->size - 1] == 0) --a->size;
}

void BigShiftRight1(BigNumber *n) {
  for (int i = 0; i < n->size; ++i) {
    const std::uint32_t next = i + 1 < n->size ? n->word[i + 1] : 0;
    n->word[i] = (n->word[i] >> 1) | (next << 31);
  }
  if (n->size > 0 && n->word[n->size - 1] == 0) --n->size;
}

} // namespace

std::uint64_t BigDivide(BigNumber *a, const BigNumber *b) {
  // Binary long division: the quotient has at most 64 bits, and this runs
  // only when the fast paths are undecided.
  BigNumber d = *b;
  BigShiftLeft(&d, 64);
  std::uint64_t q = 0;
  for (int bit = 63; bit >= 0; --bit) {
    BigShiftRight1(&d);
    if (BigCompare(a, &d) >= 0) {
      BigSubtract(a, &d);
      q |= std::uint64_t{1} << bit;
    }
  }
  return q;
}
