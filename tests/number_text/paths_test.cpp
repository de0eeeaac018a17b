// The conversions' fast paths against their exact big-integer paths, both
// as the library builds them. In the Windows build, which has no 128-bit
// integers, this checks the conversions as they ship, under the control
// word of a Windows thread.
// Seeded, so every run sees the same values: random bit patterns and the
// boundaries of both directions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "double_bits.h"
#include "number_text.h"
#include "x87_precision.h"

namespace {

struct Tally {
  long compared = 0;
  int failures = 0;
};

void CompareToText(double value, Tally *tally) {
  for (int precision = 1; precision <= 17; ++precision) {
    char fast[kNumberTextMax], exact[kNumberTextMax];
    NumberToText(value, precision, fast, sizeof fast);
    NumberToText(value, precision, exact, sizeof exact, NumberTextPath::kExactOnly);
    ++tally->compared;
    if (std::strcmp(fast, exact) != 0 && ++tally->failures <= 10)
      ADD_FAILURE() << std::hexfloat << value << " at " << precision << ": " << fast << " != " << exact;
  }
}

void CompareToNumber(const char *text, Tally *tally) {
  const std::uint64_t fast = BitsOf(TextToNumber(text)),
                      exact = BitsOf(TextToNumber(text, NumberTextPath::kExactOnly));
  ++tally->compared;
  if (fast != exact && ++tally->failures <= 10)
    ADD_FAILURE() << text << ": " << std::hex << fast << " != " << exact;
}

// Values whose digits sit on a boundary: powers of two and ten and their
// neighbours, the ends of the normal and subnormal ranges, the doubles
// nearest a tie at 17 digits, short binary fractions (ties at many
// precisions), whole numbers near 2^53 and 2^64.
void BoundaryValues(Tally *tally) {
  for (int e = -1074; e <= 1023; ++e) {
    const double p = std::ldexp(1.0, e);
    CompareToText(p, tally);
    CompareToText(std::nextafter(p, 0.0), tally);
  }
  for (int k = -323; k <= 308; ++k) {
    char text[32];
    std::snprintf(text, sizeof text, "1e%d", k);
    const double p = TextToNumber(text, NumberTextPath::kExactOnly);
    CompareToText(p, tally);
    CompareToText(std::nextafter(p, 0.0), tally);
    CompareToText(std::nextafter(p, 1e308), tally);
  }
  std::mt19937_64 random(7);
  for (int i = 0; i < 3000; ++i) {
    // The doubles nearest a 17-digit tie (18 digits ending in 5).
    char text[48];
    std::snprintf(text, sizeof text, "%llu5e%d",
                  static_cast<unsigned long long>(10000000000000000u + random() % 90000000000000000u),
                  static_cast<int>(random() % 630) - 340);
    const double near_tie = TextToNumber(text, NumberTextPath::kExactOnly);
    CompareToText(near_tie, tally);
    CompareToText(std::nextafter(near_tie, 0.0), tally);
    CompareToText(std::nextafter(near_tie, 1e308), tally);
  }
  for (int i = 0; i < 3000; ++i) {
    const double whole = static_cast<double>(random() % (1u << 24));
    CompareToText(std::ldexp(whole, -static_cast<int>(random() % 40)), tally);
    CompareToText(std::ldexp(1.0, 53) + static_cast<double>(random() % 4096) * 2, tally);
    CompareToText(std::ldexp(1.0, 64) - static_cast<double>(random() % 4096) * 4096, tally);
  }
}

// Texts on and next to the halfway point between two doubles, whole
// (2^53 up to 2^63) and with a few fraction digits; long digit strings that
// the fast path must cut; 17-digit texts of random doubles; random digits
// with exponents from end to end of the range.
void BoundaryTexts(std::mt19937_64 &random, Tally *tally) {
  char text[80];
  for (int i = 0; i < 20000; ++i) {
    const std::uint64_t m = (random() >> 11) | (std::uint64_t{1} << 52); // 53 bits
    const int up = static_cast<int>(random() % 11);                      // 0..10
    const std::uint64_t half = (2 * m + 1) << up;                        // (m + 1/2) * 2^(up + 1)
    std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(half));
    CompareToNumber(text, tally);
    std::snprintf(text, sizeof text, "%llu.00000000000000000001", static_cast<unsigned long long>(half));
    CompareToNumber(text, tally);
    std::snprintf(text, sizeof text, "%llu.99999999999999999999e0",
                  static_cast<unsigned long long>(half - 1));
    CompareToNumber(text, tally);
    // (2 m' + 1) / 2^k for k <= 4 has k fraction digits: 5^k (2 m' + 1) / 10^k.
    const int k = 1 + static_cast<int>(random() % 4);
    const std::uint64_t odd = 2 * (m >> 2) + 1;
    std::uint64_t scaled = odd;
    for (int j = 0; j < k; ++j) scaled *= 5;
    std::snprintf(text, sizeof text, "%llue-%d", static_cast<unsigned long long>(scaled), k);
    CompareToNumber(text, tally);
  }
  for (int i = 0; i < 40000; ++i) {
    int n = 1 + static_cast<int>(random() % 30);
    char *o = text;
    if (random() % 2) *o++ = '-';
    for (int j = 0; j < n; ++j) {
      *o++ = static_cast<char>('0' + random() % 10);
      if (j == 0 && random() % 3 == 0) *o++ = '.';
    }
    std::snprintf(o, sizeof text - static_cast<std::size_t>(o - text), "e%d",
                  static_cast<int>(random() % 700) - 360);
    CompareToNumber(text, tally);
  }
  for (int i = 0; i < 40000; ++i) {
    const double value = FromBits((random() & ~(std::uint64_t{1} << 62 | std::uint64_t{1} << 63)) |
                                  (i % 2 ? std::uint64_t{1} << 62 : 0));
    NumberToText(value, 17, text, sizeof text);
    CompareToNumber(text, tally);
  }
}

TEST(ConversionPaths, NumberToTextFastAgreesWithExact) {
  const WindowsPrecision precision;
  Tally tally;
  BoundaryValues(&tally);
  std::mt19937_64 random(20261207);
  for (int i = 0; i < 4000; ++i) CompareToText(FromBits(random()), &tally);
  EXPECT_GT(tally.compared, 200000);
  std::printf("number to text: %ld conversions compared\n", tally.compared);
}

TEST(ConversionPaths, TextToNumberFastAgreesWithExact) {
  const WindowsPrecision precision;
  Tally tally;
  std::mt19937_64 random(20261208);
  BoundaryTexts(random, &tally);
  EXPECT_GT(tally.compared, 150000);
  std::printf("text to number: %ld conversions compared\n", tally.compared);
}

} // namespace
