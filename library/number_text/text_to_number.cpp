// Text to number (rules in number_text.h). The first 19 significant digits
// and the exponent make w * 10^q; the 128-bit power of ten rounds that
// correctly nearly always (Eisel-Lemire). Where it cannot decide, or where
// dropped digits could tip the rounding, the exact path divides big
// integers built from every digit.
#include <cstdint>
#include <cstring>

#include "big_number.h"
#include "number_text.h"
#include "power_of_ten_table.h"

namespace {

constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;
constexpr std::uint64_t kInfinityBits = std::uint64_t{0x7FF} << 52;

// Past this the exponent only tells "far too big" or "far too small"; stop
// accumulating so that no count overflows.
constexpr std::int64_t kExponentLimit = 1000000000000000;

// No double halfway point has more than 767 significant digits; digits past
// this many only matter through the sticky bit.
constexpr int kMaxExactDigits = 800;

// The exact path divides up to 800 digits by 5^(800 + 324) at most, scaled
// to a 64-bit quotient: 64 + 64 + 1124 * log2(5) bits, with log2(5) < 2.33.
static_assert(kBigWords * 32 >= 64 + 64 + (kMaxExactDigits + 324) * 233 / 100 + 32,
              "big integers hold the exact path");

inline bool IsDigit(unsigned char c) { return static_cast<unsigned char>(c - '0') < 10; }

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
// Eight bytes known to be digits, first digit in the low byte, to their
// value in three multiplications instead of eight dependent steps.
inline std::uint32_t EightDigits(const unsigned char *p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  v -= 0x3030303030303030u;
  v = v * 10 + (v >> 8); // pairs of digits in every other byte
  constexpr std::uint64_t kMask = 0x000000FF000000FFu;
  constexpr std::uint64_t kMul1 = 100 + (std::uint64_t{1000000} << 32);
  constexpr std::uint64_t kMul2 = 1 + (std::uint64_t{10000} << 32);
  return static_cast<std::uint32_t>(((v & kMask) * kMul1 + ((v >> 16) & kMask) * kMul2) >> 32);
}
#else
inline std::uint32_t EightDigits(const unsigned char *p) {
  std::uint32_t v = 0;
  for (int i = 0; i < 8; ++i) v = v * 10 + static_cast<std::uint32_t>(p[i] - '0');
  return v;
}
#endif

// True when p starts with eight digits; stops at the first byte that is
// not one, so it never reads past the terminator.
inline bool EightDigitsAhead(const unsigned char *p) {
  return IsDigit(p[0]) && IsDigit(p[1]) && IsDigit(p[2]) && IsDigit(p[3]) && IsDigit(p[4]) && IsDigit(p[5]) &&
         IsDigit(p[6]) && IsDigit(p[7]);
}

// Appends the digits at p to w while it holds fewer than 19.
inline const unsigned char *TakeDigits(const unsigned char *p, std::uint64_t *w, int *kept) {
  std::uint64_t value = *w;
  int count = *kept;
  for (; count <= 11 && EightDigitsAhead(p); p += 8, count += 8) value = value * 100000000 + EightDigits(p);
  for (; count < 19 && IsDigit(*p); ++p, ++count) value = value * 10 + (*p - '0');
  *w = value;
  *kept = count;
  return p;
}

double FromBits(std::uint64_t bits) {
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

// Eisel-Lemire: w * 10^q rounded to nearest, ties to even, from the 128-bit
// power of five. Returns false in the rare cases where the truncated product
// cannot decide. w != 0, q within the table.
bool ProductToBits(std::uint64_t w, int q, std::uint64_t *bits) {
  const int lz = LeadingZeros64(w);
  w <<= lz;
  const PowerOfTen128 &power = kPowersOfTen[q - kPowerOfTenMin];
  Product128 product = Multiply(w, power.high);
  // 55 bits are kept (53 + round bit + one for the leading-bit shift);
  // the low word only matters when the bits below them are all ones.
  constexpr std::uint64_t kBelowKept = 0x1FF;
  if ((product.high & kBelowKept) == kBelowKept) {
    const Product128 second = Multiply(w, power.low);
    product.low += second.high;
    if (second.high > product.low) ++product.high;
    if (product.low == ~std::uint64_t{0} && (q < -27 || q > 55)) return false;
  }
  const int upper_bit = static_cast<int>(product.high >> 63);
  const int shift = upper_bit + 9;
  std::uint64_t mantissa = product.high >> shift;
  // Biased binary exponent of the value's leading bit: the product of
  // w << lz and the table's upper word (T / 2^64) has its top bit at
  // 126 + upper_bit.
  int power2 = PowerOfTenBinaryExponent(q) + 64 + 126 + upper_bit - lz + 1023;
  if (power2 <= 0) { // subnormal or zero
    if (-power2 + 1 >= 64) {
      *bits = 0;
      return true;
    }
    mantissa >>= -power2 + 1;
    mantissa += mantissa & 1;
    mantissa >>= 1;
    // A carry into bit 52 is the smallest normal, and the bit pattern
    // already says so.
    *bits = mantissa;
    return true;
  }
  // A product exactly halfway can only arise for small |q|; round it to even
  // instead of up.
  if (product.low <= 1 && q >= -4 && q <= 23 && (mantissa & 3) == 1 && (mantissa << shift) == product.high)
    mantissa &= ~std::uint64_t{1};
  mantissa += mantissa & 1;
  mantissa >>= 1;
  if (mantissa >= std::uint64_t{2} << 52) {
    mantissa = std::uint64_t{1} << 52;
    ++power2;
  }
  mantissa &= ~(std::uint64_t{1} << 52);
  if (power2 >= 0x7FF) {
    *bits = kInfinityBits;
    return true;
  }
  *bits = static_cast<std::uint64_t>(power2) << 52 | mantissa;
  return true;
}

// w * 10^q for any q; false when undecided.
bool DecimalToBits(std::uint64_t w, std::int64_t q, std::uint64_t *bits) {
  if (q < kPowerOfTenMin) { // below 10^19 * 10^-343, under half the smallest subnormal
    *bits = 0;
    return true;
  }
  if (q > 308) { // at least 10^309
    *bits = kInfinityBits;
    return true;
  }
  return ProductToBits(w, static_cast<int>(q), bits);
}

// Rounds q * 2^exponent to a double, q with its top bit set; `sticky` says
// the value is a little above that.
std::uint64_t RoundToBits(std::uint64_t q, std::int64_t exponent, bool sticky) {
  std::int64_t biased = exponent + 63 + 1023;
  int shift = 11;
  if (biased <= 0) {
    if (1 - biased > 64 - 11) return 0; // below half the smallest subnormal
    shift += static_cast<int>(1 - biased);
    biased = 0;
  }
  std::uint64_t mantissa, rest, half;
  if (shift == 64) {
    mantissa = 0;
    rest = q;
    half = kSignBit;
  } else {
    mantissa = q >> shift;
    rest = q & ((std::uint64_t{1} << shift) - 1);
    half = std::uint64_t{1} << (shift - 1);
  }
  if (rest > half || (rest == half && (sticky || (mantissa & 1)))) ++mantissa;
  if (biased == 0) return mantissa; // a carry into bit 52 makes the smallest normal
  if (mantissa >> 53) {
    mantissa >>= 1;
    ++biased;
  }
  if (biased >= 0x7FF) return kInfinityBits;
  return static_cast<std::uint64_t>(biased) << 52 | (mantissa & ((std::uint64_t{1} << 52) - 1));
}

// The exact path: the significant digits from `first` (a nonzero digit) up
// to `end`, skipping the point, make the integer D; the value is
// D * 10^(scale - digit count). Keeps kMaxExactDigits digits, the rest as a
// sticky bit.
std::uint64_t DigitsToBitsExact(const unsigned char *first, const unsigned char *end, std::int64_t scale) {
  BigNumber numerator;
  BigSet(&numerator, 0);
  int count = 0;
  bool sticky = false;
  std::uint32_t chunk = 0, chunk_scale = 1;
  for (const unsigned char *p = first; p < end; ++p) {
    if (*p == '.') continue;
    if (count == kMaxExactDigits) {
      if (*p != '0') {
        sticky = true;
        break;
      }
      continue;
    }
    chunk = chunk * 10 + static_cast<std::uint32_t>(*p - '0');
    chunk_scale *= 10;
    ++count;
    if (chunk_scale == 1000000000) {
      BigMulAdd(&numerator, chunk_scale, chunk);
      chunk = 0;
      chunk_scale = 1;
    }
  }
  if (chunk_scale > 1) BigMulAdd(&numerator, chunk_scale, chunk);
  const std::int64_t exponent10 = scale - count; // value = numerator * 10^exponent10
  BigNumber denominator;
  BigSet(&denominator, 1);
  if (exponent10 >= 0)
    BigMulPow5(&numerator, static_cast<int>(exponent10));
  else
    BigMulPow5(&denominator, static_cast<int>(-exponent10));
  // Scale so that the quotient has 63 or 64 bits.
  const int shift = 63 + BigBitLength(&denominator) - BigBitLength(&numerator);
  if (shift >= 0)
    BigShiftLeft(&numerator, shift);
  else
    BigShiftLeft(&denominator, -shift);
  std::uint64_t q = BigDivide(&numerator, &denominator);
  sticky = sticky || !BigIsZero(&numerator);
  const int lz = LeadingZeros64(q);
  q <<= lz;
  return RoundToBits(q, exponent10 - shift - lz, sticky);
}

} // namespace

double TextToNumber(const char *text, NumberTextPath path) {
  const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
  while (*p == ' ' || static_cast<unsigned char>(*p - 9) <= 4) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  const unsigned char *const start = p;
  while (*p == '0') ++p;
  const unsigned char *first = p; // first significant digit, once found
  std::uint64_t w = 0;
  int kept = 0;           // digits in w
  std::int64_t scale = 0; // decimal exponent of w's units, before the exponent part
  bool dropped_nonzero = false;
  p = TakeDigits(p, &w, &kept);
  for (; IsDigit(*p); ++p) {
    ++scale;
    dropped_nonzero |= *p != '0';
  }
  bool any_digit = p > start;
  if (*p == '.') {
    ++p;
    const unsigned char *const fraction = p;
    if (kept == 0) {
      while (*p == '0') ++p;
      scale -= p - fraction;
      first = p;
    }
    const unsigned char *const taken = p;
    p = TakeDigits(p, &w, &kept);
    scale -= p - taken;
    for (; IsDigit(*p); ++p) dropped_nonzero |= *p != '0';
    any_digit = any_digit || p > fraction;
  }
  if (!any_digit) return 0.0;
  const unsigned char *const digits_end = p;
  std::int64_t exponent = 0;
  if ((*p | 0x20) == 'e' || (*p | 0x20) == 'd') {
    const unsigned char *e = p + 1;
    bool exponent_negative = false;
    if (*e == '+' || *e == '-') {
      exponent_negative = *e == '-';
      ++e;
    }
    for (; IsDigit(*e); ++e)
      if (exponent < kExponentLimit) exponent = exponent * 10 + (*e - '0');
    if (exponent_negative) exponent = -exponent;
  }
  const std::uint64_t sign = negative ? kSignBit : 0;
  if (w == 0) return FromBits(sign);
  const std::int64_t q = scale + exponent;
  std::uint64_t bits, upper;
  // With digits dropped the value lies between w and w + 1 units: when both
  // round alike, so does the text.
  if (path == NumberTextPath::kFastFirst && DecimalToBits(w, q, &bits) &&
      (!dropped_nonzero || (DecimalToBits(w + 1, q, &upper) && bits == upper)))
    return FromBits(sign | bits);
  // Digits count from the first significant one: value = 0.d1d2... * 10^magnitude.
  const std::int64_t magnitude = q + kept;
  if (magnitude > 310) return FromBits(sign | kInfinityBits);
  if (magnitude < -324) return FromBits(sign);
  return FromBits(sign | DigitsToBitsExact(first, digits_end, magnitude));
}
