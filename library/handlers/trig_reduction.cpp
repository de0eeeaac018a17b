// Reduction by pi/2 in integer arithmetic (Payne-Hanek).
//
// x = m * 2^e with m a 53-bit integer, and x * 2/pi = k + F with k whole
// and |F| <= 1/2; then r = F * pi/2. Both paths form x * 2/pi modulo 4 as
// a fixed-point number, the two bits above the point (k mod 4) and the
// first 128 bits below it, each within 2^-127 of the exact value; the
// shared last step folds F into (-1/2, 1/2] and multiplies by pi/2.
//
// Why 128 fraction bits: for each exponent e, the continued fraction of
// 2^e * 2/pi bounds |m * 2^e * 2/pi - k| from below for every m < 2^53
// (a convergent's denominator approximates best). Over all doubles the
// bound is 2^-61.5, reached by x = 6381956970095103 * 2^797; below 2^63 it
// is 2^-61.1, reached by the double nearest 29 pi/2. So F has at most 61
// leading zeros and at least 66 good bits, and r = F * pi/2, taken from the
// 128-bit F and a 128-bit pi/2, is off by under a quarter of a unit in its
// 64th bit before its one rounding, under three quarters after: faithful.
//
// Only 32- and 64-bit integer arithmetic: the i686 build has no __int128.
#include "trig_reduction.h"

#include <cstdint>
#include <cstring>

#include "wide_integer.h"

namespace {

// 2/pi in 32-bit words, most significant first: word j holds the bits of
// weight 2^-(32j+1) .. 2^-(32j+32). 40 words reach past the last bit that
// the largest double (e = 971) uses.
constexpr std::uint32_t kTwoOverPi[40] = {
    0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0, 0xDB629599, 0x3C439041, 0xFE5163AB, 0xDEBBC561,
    0xB7246E3A, 0x424DD2E0, 0x06492EEA, 0x09D1921C, 0xFE1DEB1C, 0xB129A73E, 0xE88235F5, 0x2EBB4484,
    0xE99C7026, 0xB45F7E41, 0x3991D639, 0x835339F4, 0x9C845F8B, 0xBDF9283B, 0x1FF897FF, 0xDE05980F,
    0xEF2F118B, 0x5A0A6D1F, 0x6D367ECF, 0x27CB09B7, 0x4F463F66, 0x9E5FEA2D, 0x7527BAC7, 0xEBE5F17B,
    0x3D0739F7, 0x8A5292EA, 0x6BFB5FB1, 0x1F8D5D08, 0x56033046, 0xFC7B6BAB, 0xF0CFBC20, 0x9AF4361D,
};

constexpr std::uint64_t TwoOverPiPair(int i) {
  return std::uint64_t{kTwoOverPi[2 * i]} << 32 | kTwoOverPi[2 * i + 1];
}

// The moderate path's 2/pi: the first 192 bits, 2/pi ~ words * 2^-192.
constexpr std::uint64_t kTwoOverPi192[3] = {TwoOverPiPair(0), TwoOverPiPair(1), TwoOverPiPair(2)};
static_assert(kTwoOverPi192[0] == 0xA2F9836E4E441529u, "2/pi starts 0.A2F9836E4E441529 in hex");

// pi/2 = (kHalfPiHigh:kHalfPiLow) * 2^-127, truncated.
constexpr std::uint64_t kHalfPiHigh = 0xC90FDAA22168C234u;
constexpr std::uint64_t kHalfPiLow = 0xC4C6628B80DC1CD1u;

// The largest e of a double below 2^63: m * 2^10 < 2^63.
constexpr int kLastModerateExponent = 10;

constexpr int kWindowWords = 8; // 256 bits of 2/pi
// The window times a 53-bit m fills 10 words; two zero words above let a
// 64-bit read at the highest point (309, for the smallest e) stay inside.
constexpr int kProductWords = 12;

// x * 2/pi modulo 4 as a fixed-point number.
struct QuarterTurns {
  std::uint32_t quadrant; // the two bits above the point: k mod 4 before folding
  std::uint64_t high;     // fraction bits 2^-1 .. 2^-64
  std::uint64_t low;      // fraction bits 2^-65 .. 2^-128
};

struct SplitDouble {
  bool negative;
  int e; // x = m * 2^e
  std::uint64_t m;
};

SplitDouble Split(double x) {
  std::uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return {(bits >> 63) != 0, static_cast<int>((bits >> 52) & 0x7FF) - 1075,
          (bits & 0xFFFFFFFFFFFFFu) | (std::uint64_t{1} << 52)};
}

// significand * 2^exponent as an x87 extended value; the significand has
// its top bit set. Built from its bytes, so no rounding is involved.
long double MakeExtended(bool negative, std::uint64_t significand, int exponent) {
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

// The 64 bits of a little-endian word array from bit `low` up.
std::uint64_t Bits64At(const std::uint32_t *words, int low) {
  const int i = low / 32, shift = low % 32;
  const std::uint64_t value = words[i] | std::uint64_t{words[i + 1]} << 32;
  return shift == 0 ? value : value >> shift | std::uint64_t{words[i + 2]} << (64 - shift);
}

// pi/4 < |x| < 2^63, so -53 <= e <= 10. m times 192 bits of 2/pi puts the
// point 192 - e bits up; shifted by e, the whole part lands in p3 and the
// fraction in p2:p1. The 2/pi cut costs under 2^(e-139), the 128-bit cut
// of the fraction under 2^-128.
QuarterTurns ModerateTurns(std::uint64_t m, int e) {
  const Product128 a = Multiply(m, kTwoOverPi192[2]);
  const Product128 b = Multiply(m, kTwoOverPi192[1]);
  const Product128 c = Multiply(m, kTwoOverPi192[0]);
  const std::uint64_t p0 = a.low;
  std::uint64_t p1 = a.high + b.low;
  const std::uint64_t carry1 = p1 < b.low;
  std::uint64_t p2 = b.high + c.low;
  std::uint64_t carry2 = p2 < c.low;
  p2 += carry1;
  carry2 += p2 < carry1;
  std::uint64_t p3 = c.high + carry2; // c.high < 2^53: no carry out
  if (e > 0) {
    p3 = p3 << e | p2 >> (64 - e);
    p2 = p2 << e | p1 >> (64 - e);
    p1 = p1 << e | p0 >> (64 - e);
  } else if (e < 0) {
    const int s = -e;
    p1 = p1 >> s | p2 << (64 - s);
    p2 = p2 >> s | p3 << (64 - s);
    p3 >>= s;
  }
  return {static_cast<std::uint32_t>(p3 & 3), p2, p1};
}

// Any e of a double above pi/4. The bits of 2/pi of weight 2^-p with
// p <= e - 2 add multiples of 4 to x * 2/pi and are skipped: the window
// starts at the word that holds bit e - 1, or at the first word when
// e - 1 < 1 (2/pi has no bits of weight 1 or more). Then x * 2/pi modulo 4
// is product * 2^-point, point = 256 + 32 * first - e: 223 to 254 for
// e >= 2, up to 309 for the smallest e. The window's cut costs under
// 2^(53 - point) <= 2^-170.
QuarterTurns WindowTurns(std::uint64_t m, int e) {
  const int first = e < 2 ? 0 : (e - 2) / 32;
  const int point = kWindowWords * 32 + 32 * first - e;

  std::uint32_t product[kProductWords] = {};
  const std::uint64_t m_words[2] = {m & 0xFFFFFFFFu, m >> 32};
  for (int i = 0; i < 2; ++i) {
    std::uint64_t carry = 0;
    for (int j = 0; j < kWindowWords; ++j) {
      // Window word j from the least significant end.
      const std::uint64_t w = kTwoOverPi[first + kWindowWords - 1 - j];
      const std::uint64_t sum = m_words[i] * w + product[i + j] + carry;
      product[i + j] = static_cast<std::uint32_t>(sum);
      carry = sum >> 32;
    }
    product[i + kWindowWords] = static_cast<std::uint32_t>(carry);
  }
  return {static_cast<std::uint32_t>(Bits64At(product, point) & 3), Bits64At(product, point - 64),
          Bits64At(product, point - 128)};
}

// r = F * pi/2 from x * 2/pi modulo 4, with F >= 1/2 folded onto F - 1 in
// the next quadrant, and the sign of x applied: -x = (-k) * pi/2 + (-r).
ReducedAngle FinishReduction(bool x_negative, QuarterTurns turns) {
  std::uint32_t quadrant = turns.quadrant;
  bool negative = x_negative;
  std::uint64_t high = turns.high, low = turns.low;
  if (high >> 63) {
    low = ~low + 1;
    high = ~high + (low == 0);
    quadrant += 1;
    negative = !negative;
  }
  // |F| = (high:low) * 2^-(128 + scale) with the top bit of high set.
  int scale = 0;
  if (high == 0) { // never for a double (|F| > 2^-62); keeps the count defined
    high = low;
    low = 0;
    scale = 64;
  }
  const int zeros = LeadingZeros64(high);
  if (zeros != 0) {
    high = high << zeros | low >> (64 - zeros);
    low <<= zeros;
  }
  scale += zeros;

  // The top 128 bits of (high:low) * pi/2 * 2^127, to within 2^35 of their
  // 2^126 or more: the cross products by their upper halves alone (one
  // 32-bit product each, which the i686 build feels), the low product left
  // out. Far below the 64 bits kept.
  const Product128 top = Multiply(high, kHalfPiHigh);
  const std::uint64_t cross1 = (high >> 32) * (kHalfPiLow >> 32);
  const std::uint64_t cross2 = (low >> 32) * (kHalfPiHigh >> 32);
  std::uint64_t r_low = top.low + cross1;
  std::uint64_t r_high = top.high + (r_low < cross1);
  r_low += cross2;
  r_high += r_low < cross2;
  // |r| = (r_high:r_low) * 2^(-127 - scale); r_high >= 2^62.
  int exponent = -63 - scale;
  if ((r_high >> 63) == 0) {
    r_high = r_high << 1 | r_low >> 63;
    r_low <<= 1;
    exponent -= 1;
  }
  if ((r_low >> 63) != 0 && ++r_high == 0) {
    r_high = std::uint64_t{1} << 63;
    exponent += 1;
  }
  if (x_negative) quadrant = 4 - quadrant;
  return {static_cast<int>(quadrant & 3), MakeExtended(negative, r_high, exponent)};
}

} // namespace

ReducedAngle ReduceModerateAngle(double x) {
  const SplitDouble s = Split(x);
  return FinishReduction(s.negative, ModerateTurns(s.m, s.e));
}

ReducedAngle ReduceHugeAngle(double x) {
  const SplitDouble s = Split(x);
  return FinishReduction(s.negative, WindowTurns(s.m, s.e));
}

ReducedAngle ReduceAngle(double x) {
  return Split(x).e <= kLastModerateExponent ? ReduceModerateAngle(x) : ReduceHugeAngle(x);
}
