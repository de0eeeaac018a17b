// Number to text (rules in number_text.h). The value is first rounded to
// 17 significant digits from its product with a 128-bit power of ten;
// where the product cannot decide, big integers compare exactly. Those
// digits are rounded again to the precision asked for and laid out.
#include <cstdint>
#include <cstring>

#include "big_number.h"
#include "number_text.h"
#include "power_of_ten_table.h"

namespace {

constexpr std::uint64_t kPow10[18] = {1u,
                                      10u,
                                      100u,
                                      1000u,
                                      10000u,
                                      100000u,
                                      1000000u,
                                      10000000u,
                                      100000000u,
                                      1000000000u,
                                      10000000000u,
                                      100000000000u,
                                      1000000000000u,
                                      10000000000000u,
                                      100000000000000u,
                                      1000000000000000u,
                                      10000000000000000u,
                                      100000000000000000u};
static_assert(kPow10[17] / kPow10[16] == 10 && kPow10[9] == 1000000000u, "powers of ten");

// The longest text: "-", 309 integer digits (1e308 in fixed form), NUL.
static_assert(kNumberTextMax >= 1 + 309 + 1, "room for the longest fixed form");

// Exactly: is m * 2^e2 * 10^k >= r?
bool ScaledAtLeast(std::uint64_t m, int e2, int k, std::uint64_t r) {
  BigNumber left, right;
  BigSet(&left, m);
  BigSet(&right, r);
  if (k >= 0)
    BigMulPow5(&left, k);
  else
    BigMulPow5(&right, -k);
  const int twos = e2 + k;
  if (twos >= 0)
    BigShiftLeft(&left, twos);
  else
    BigShiftLeft(&right, -twos);
  return BigCompare(&left, &right) >= 0;
}

// The table's 10^k is rounded up for these k, down (or exact) for the
// others, and the truncated product with it errs the same way.
bool TableRoundsUp(int k) { return k >= -27 && k < 0; }

// q = floor(2 * m * 2^e * 10^k) decided exactly, where the truncated
// product with the table's 10^k gave q, which may be one too high (table
// rounded up) or one too low (rounded down).
std::uint64_t SettleDoubledDigits(std::uint64_t m, int e, int k, std::uint64_t q, NumberTextPath path) {
  if (path == NumberTextPath::kFastFirst && k < 0 && e <= 0 && e > -64 && (e == 0 || !(m << (64 + e)))) {
    // Whole numbers below 2^64 with trailing zeros (10^18, 1.5e19) are
    // the common doubt; plain division settles them.
    const std::uint64_t whole = m >> -e, unit = kPow10[-k];
    return 2 * (whole / unit) + (2 * (whole % unit) >= unit);
  }
  const std::uint64_t threshold = TableRoundsUp(k) ? q : q + 1;
  return ScaledAtLeast(m, e + 1, k, threshold) ? threshold : threshold - 1;
}

// The value m * 2^e (m with its top bit set) rounded half up to 17
// significant digits: digits in [10^16, 10^17), value ~ digits * 10^(x - 16).
void RoundTo17(std::uint64_t m, int e, NumberTextPath path, std::uint64_t *digits, int *x) {
  // 10^x0 <= m * 2^e < 10^(x0 + 2).
  int x0 = ((e + 63) * 78913) >> 18;
  const int k = 16 - x0;
  const PowerOfTen128 &power = kPowersOfTen[k - kPowerOfTenMin];
  // q = floor(2 * value * 10^k) from the top of the 192-bit product m * T;
  // half up at 17 digits is then (q + 1) / 2, decided by every digit.
  const Product128 high = Multiply(m, power.high);
  const Product128 low = Multiply(m, power.low);
  const std::uint64_t middle = high.low + low.high;
  const std::uint64_t top = high.high + (middle < high.low);
  const int shift = -(e + PowerOfTenBinaryExponent(k) + 1) - 128; // 5..8 over all doubles
  std::uint64_t q = top >> shift;
  if (path == NumberTextPath::kExactOnly) {
    q = SettleDoubledDigits(m, e, k, q, path);
  } else if (k < 0 || k > 55) {
    // T is off by less than one unit, so the product by less than 2^64:
    // only a fraction that close to an integer leaves q in doubt.
    const std::uint64_t mask = (std::uint64_t{1} << shift) - 1;
    const std::uint64_t fraction = top & mask;
    const bool doubt =
        TableRoundsUp(k) ? fraction == 0 && middle == 0 : fraction == mask && middle == ~std::uint64_t{0};
    if (doubt) q = SettleDoubledDigits(m, e, k, q, path);
  }
  if (q >= 2 * kPow10[17]) { // x0 was one too low: drop a digit, exactly
    q /= 10;
    ++x0;
  }
  std::uint64_t d = (q + 1) >> 1;
  if (d == kPow10[17]) {
    d = kPow10[16];
    ++x0;
  }
  *digits = d;
  *x = x0;
}

const char kDigitPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                           "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                           "8081828384858687888990919293949596979899";

// Writes the `count` lowest digits of value (value < 10^count), right to left.
void WriteDigits32(std::uint32_t value, char *end, int count) {
  while (count >= 2) {
    const std::uint32_t pair = value % 100;
    value /= 100;
    end -= 2;
    end[0] = kDigitPairs[2 * pair];
    end[1] = kDigitPairs[2 * pair + 1];
    count -= 2;
  }
  if (count) *--end = static_cast<char>('0' + value);
}

std::size_t CopyText(const char *s, char *text) {
  std::size_t n = std::strlen(s);
  std::memcpy(text, s, n + 1);
  return n;
}

std::size_t Format(std::uint64_t bits, int precision, NumberTextPath path, char *text) {
  const bool negative = bits >> 63;
  const int biased = static_cast<int>(bits >> 52) & 0x7FF;
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  if (biased == 0x7FF) return CopyText(mantissa ? "-1.#IND" : negative ? "-1.#INF" : "1.#INF", text);
  if (biased == 0 && mantissa == 0) return CopyText("0", text);
  int e = -1074;
  if (biased) {
    mantissa |= std::uint64_t{1} << 52;
    e = biased - 1075;
  }
  const int lz = LeadingZeros64(mantissa);
  mantissa <<= lz;
  e -= lz;

  std::uint64_t d;
  int x;
  RoundTo17(mantissa, e, path, &d, &x);
  const int p = precision < 1 ? 1 : precision;
  int count = 17;
  if (p < 17) {
    const std::uint64_t unit = kPow10[17 - p];
    std::uint64_t kept = d / unit;
    if ((d - kept * unit) * 2 >= unit) ++kept; // half up
    if (kept == kPow10[p]) {
      kept = kPow10[p - 1];
      ++x;
    }
    d = kept;
    count = p;
  }
  char digits[17];
  if (count > 8) {
    const std::uint64_t upper = d / kPow10[8];
    WriteDigits32(static_cast<std::uint32_t>(d - upper * kPow10[8]), digits + count, 8);
    WriteDigits32(static_cast<std::uint32_t>(upper), digits + count - 8, count - 8);
  } else {
    WriteDigits32(static_cast<std::uint32_t>(d), digits + count, count);
  }
  while (digits[count - 1] == '0') --count; // the first digit is never 0

  char *o = text;
  if (negative) *o++ = '-';
  if (x < -4 || x >= p) {
    *o++ = digits[0];
    if (count > 1) {
      *o++ = '.';
      for (int i = 1; i < count; ++i) *o++ = digits[i];
    }
    *o++ = 'e';
    *o++ = x < 0 ? '-' : '+';
    const int magnitude = x < 0 ? -x : x; // at most 324
    *o++ = static_cast<char>('0' + magnitude / 100);
    *o++ = kDigitPairs[2 * (magnitude % 100)];
    *o++ = kDigitPairs[2 * (magnitude % 100) + 1];
  } else if (x >= 0) {
    for (int i = 0; i <= x; ++i) *o++ = i < count ? digits[i] : '0';
    if (count > x + 1) {
      *o++ = '.';
      for (int i = x + 1; i < count; ++i) *o++ = digits[i];
    }
  } else {
    *o++ = '0';
    *o++ = '.';
    for (int i = -1; i > x; --i) *o++ = '0';
    for (int i = 0; i < count; ++i) *o++ = digits[i];
  }
  *o = '\0';
  return static_cast<std::size_t>(o - text);
}

} // namespace

std::size_t NumberToText(double value, int precision, char *out, std::size_t out_size, NumberTextPath path) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  char text[kNumberTextMax];
  const std::size_t length = Format(bits, precision, path, text);
  if (out_size > 0) {
    const std::size_t n = length < out_size ? length : out_size - 1;
    std::memcpy(out, text, n);
    out[n] = '\0';
  }
  return length;
}
