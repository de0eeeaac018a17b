// Payne-Hanek reduction of a double by pi/2.
//
// x = m * 2^e with m a 53-bit integer. x * 2/pi = sum over the bits b_p of
// 2/pi (weight 2^-p) of m * b_p * 2^(e-p). Terms with e - p >= 2 are
// multiples of 4 and leave the quadrant alone, so only bits from
// p = e - 1 on matter. We take a 256-bit window of 2/pi starting at the
// 32-bit word that holds bit e - 1, multiply it by m, and read the two bits
// above the binary point (the quadrant) and the fraction below it.
//
// Accuracy: the window's truncation error stays below the product's low 54
// bits, which leaves at least 169 good fraction bits. A double comes no
// closer to a multiple of pi/2 than about 2^-62 relative, so the 64 bits
// taken after the fraction's leading zeros are all exact.
//
// Only 32- and 64-bit integer arithmetic: the i686 build has no __int128.
#include "trig_reduction.h"

#include <cstdint>
#include <cstring>

namespace {

using u32 = std::uint32_t;
using u64 = std::uint64_t;

// 2/pi in 32-bit words, most significant first: word j holds the bits of
// weight 2^-(32j+1) .. 2^-(32j+32). 40 words reach past the last bit that
// the largest double (e = 971) uses.
constexpr u32 kTwoOverPi[40] = {
    0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0, 0xDB629599, 0x3C439041, 0xFE5163AB,
    0xDEBBC561, 0xB7246E3A, 0x424DD2E0, 0x06492EEA, 0x09D1921C, 0xFE1DEB1C, 0xB129A73E,
    0xE88235F5, 0x2EBB4484, 0xE99C7026, 0xB45F7E41, 0x3991D639, 0x835339F4, 0x9C845F8B,
    0xBDF9283B, 0x1FF897FF, 0xDE05980F, 0xEF2F118B, 0x5A0A6D1F, 0x6D367ECF, 0x27CB09B7,
    0x4F463F66, 0x9E5FEA2D, 0x7527BAC7, 0xEBE5F17B, 0x3D0739F7, 0x8A5292EA, 0x6BFB5FB1,
    0x1F8D5D08, 0x56033046, 0xFC7B6BAB, 0xF0CFBC20, 0x9AF4361D,
};

// pi/2 as a 64-bit significand: pi/2 = kHalfPi * 2^-63, rounded to nearest.
constexpr u64 kHalfPi = 0xC90FDAA22168C235u;

constexpr int kWindowWords = 8;                   // 256 bits of 2/pi
constexpr int kProductWords = kWindowWords + 2;   // times a 53-bit m
constexpr int kFirstHugeExponent = 1023 + 63;     // biased exponent of 2^63

// 64 x 64 -> 128 bits.
void MultiplyWide(u64 a, u64 b, u64 *high, u64 *low) {
  const u64 a0 = a & 0xFFFFFFFFu, a1 = a >> 32;
  const u64 b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
  const u64 p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  const u64 middle = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
  *low = (middle << 32) | (p00 & 0xFFFFFFFFu);
  *high = p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32);
}

// Bit i (0 = least significant) of a little-endian word array.
inline u32 BitAt(const u32 *words, int i) { return (words[i / 32] >> (i % 32)) & 1u; }

// The 64 bits of `words` whose top bit is bit `top`, for top >= 63.
u64 Bits64Below(const u32 *words, int top) {
  u64 result = 0;
  for (int i = top; i > top - 64; --i) {
    result = (result << 1) | BitAt(words, i);
  }
  return result;
}

// significand * 2^exponent as an x87 extended value; the significand has
// its top bit set. Built from its bytes, so no rounding is involved.
long double MakeExtended(bool negative, u64 significand, int exponent) {
  const int biased = exponent + 63 + 16383;
  unsigned char bytes[10];
  std::memcpy(bytes, &significand, 8);
  const unsigned top = static_cast<unsigned>(biased) | (negative ? 0x8000u : 0u);
  bytes[8] = static_cast<unsigned char>(top & 0xFFu);
  bytes[9] = static_cast<unsigned char>(top >> 8);
  long double result = 0.0L;
  std::memcpy(&result, bytes, sizeof bytes);
  return result;
}

} // namespace

bool NeedsExactReduction(double x) {
  u64 bits;
  std::memcpy(&bits, &x, sizeof bits);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  return biased >= kFirstHugeExponent && biased != 0x7FF;
}

ReducedAngle ReduceHugeAngle(double x) {
  u64 bits;
  std::memcpy(&bits, &x, sizeof bits);
  const bool negative = (bits >> 63) != 0;
  const int e = static_cast<int>((bits >> 52) & 0x7FF) - 1075;
  const u64 m = (bits & 0xFFFFFFFFFFFFFu) | (u64{1} << 52);

  // Window: words first .. first+7, starting at the word holding bit e - 1.
  // Then x * 2/pi = product / 2^point with point = 256 + 32 * first - e,
  // between 223 and 254 for e >= 11.
  const int first = (e - 2) / 32;
  const int point = kWindowWords * 32 + 32 * first - e;

  u32 product[kProductWords] = {};
  const u64 m_words[2] = {m & 0xFFFFFFFFu, m >> 32};
  for (int i = 0; i < 2; ++i) {
    u64 carry = 0;
    for (int j = 0; j < kWindowWords; ++j) {
      // Window word j from the least significant end.
      const u64 w = kTwoOverPi[first + kWindowWords - 1 - j];
      const u64 sum = m_words[i] * w + product[i + j] + carry;
      product[i + j] = static_cast<u32>(sum);
      carry = sum >> 32;
    }
    product[i + kWindowWords] = static_cast<u32>(carry);
  }

  int quadrant = static_cast<int>(BitAt(product, point) | (BitAt(product, point + 1) << 1));

  // Keep the fraction only; fold [1/2, 1) onto -(1/2, 0] and step a quadrant.
  const int fraction_words = (point + 31) / 32;
  for (int i = point; i < fraction_words * 32; ++i) {
    product[i / 32] &= ~(u32{1} << (i % 32));
  }
  for (int i = fraction_words; i < kProductWords; ++i) {
    product[i] = 0;
  }
  bool angle_negative = false;
  if (BitAt(product, point - 1) != 0) {
    // 2^point - fraction: two's complement within `point` bits.
    u64 borrow = 1;
    for (int i = 0; i < fraction_words; ++i) {
      const u64 flipped = static_cast<u64>(~product[i]) + borrow;
      product[i] = static_cast<u32>(flipped);
      borrow = flipped >> 32;
    }
    for (int i = point; i < fraction_words * 32; ++i) {
      product[i / 32] &= ~(u32{1} << (i % 32));
    }
    angle_negative = true;
    quadrant = (quadrant + 1) & 3;
  }

  int top = point - 1;
  while (top >= 63 && BitAt(product, top) == 0) {
    --top;
  }
  ReducedAngle reduced = {quadrant, 0.0L};
  if (top >= 63) {
    // fraction = f * 2^(top - 63 - point); angle = fraction * kHalfPi * 2^-63.
    const u64 f = Bits64Below(product, top);
    u64 high, low;
    MultiplyWide(f, kHalfPi, &high, &low);
    int exponent = top - 63 - point - 63 + 64;
    if ((high >> 63) == 0) {
      high = (high << 1) | (low >> 63);
      low <<= 1;
      exponent -= 1;
    }
    if ((low >> 63) != 0 && ++high == 0) {
      high = u64{1} << 63;
      exponent += 1;
    }
    reduced.angle = MakeExtended(angle_negative, high, exponent);
  }

  // sin(-x) etc.: -x = (-k) * pi/2 + (-r).
  if (negative) {
    reduced.quadrant = (4 - reduced.quadrant) & 3;
    reduced.angle = -reduced.angle;
  }
  return reduced;
}
