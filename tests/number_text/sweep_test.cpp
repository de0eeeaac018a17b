// Deterministic random sweeps against glibc: exact digits from printf,
// correctly rounded doubles from strtod.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "number_text.h"
#include "reference.h"

namespace {

using NumberTextSweep = testing::TestWithParam<NumberTextPath>;

std::string Format(double value, int precision, NumberTextPath path) {
  char out[kNumberTextMax];
  NumberToText(value, precision, out, sizeof out, path);
  return out;
}

TEST_P(NumberTextSweep, RandomBitPatternsFormatLikeTheReference) {
  std::mt19937_64 random(20261207);
  int failures = 0;
  for (int i = 0; i < 120000 && failures < 10; ++i) {
    const double value = FromBits(random());
    const int precision = i % 3 ? 17 : static_cast<int>(random() % 42) - 1;
    const std::string expected = ReferenceText(value, precision);
    const std::string got = Format(value, precision, GetParam());
    if (got != expected) {
      ++failures;
      ADD_FAILURE() << std::hexfloat << value << " at " << precision << ": " << got << " != " << expected;
    }
  }
}

TEST_P(NumberTextSweep, ShortBinaryFractionsTieAtEveryPrecision) {
  // n / 2^j has few digits, ending in 5: ties at many precisions.
  std::mt19937_64 random(11);
  int failures = 0;
  for (int i = 0; i < 40000 && failures < 10; ++i) {
    const double value =
        std::ldexp(static_cast<double>(random() % (1u << 24)), -static_cast<int>(random() % 40));
    const int precision = 1 + static_cast<int>(random() % 18);
    const std::string expected = ReferenceText(value, precision);
    const std::string got = Format(value, precision, GetParam());
    if (got != expected) {
      ++failures;
      ADD_FAILURE() << std::hexfloat << value << " at " << precision << ": " << got << " != " << expected;
    }
  }
}

TEST_P(NumberTextSweep, SeventeenDigitsReadBackToTheSameDouble) {
  std::mt19937_64 random(3);
  for (int i = 0; i < 100000; ++i) {
    const std::uint64_t bits =
        (random() & ~(std::uint64_t{1} << 63 | std::uint64_t{1} << 62)) | (i % 2 ? 1ull << 62 : 0);
    const double value = FromBits(bits);
    if (!std::isfinite(value)) continue;
    const std::string text = Format(value, 17, GetParam());
    ASSERT_EQ(BitsOf(TextToNumber(text.c_str(), GetParam())), bits) << text;
  }
}

// A random text in the grammar, or near it: blanks, sign, digits with a
// point somewhere, an exponent with any of its letters, junk after.
std::string RandomText(std::mt19937_64 &random) {
  static const char *const kBlanks[] = {"", "", " ", "\t", "\n \r"};
  static const char *const kLetters[] = {"e", "E", "d", "D"};
  static const char *const kJunk[] = {"", "", "x", " 1", ".5", "e", "e+", "-", "d-x"};
  std::string text = kBlanks[random() % 5];
  const int sign = static_cast<int>(random() % 3);
  if (sign) text += sign == 1 ? '-' : '+';
  const int shape = static_cast<int>(random() % 10);
  const int digits = shape < 7   ? 1 + static_cast<int>(random() % 20)
                     : shape < 9 ? 20 + static_cast<int>(random() % 60)
                                 : 100 + static_cast<int>(random() % 900);
  const int point = static_cast<int>(random() % (digits + 2)) - 1;
  const int zeros = random() % 4 == 0 ? static_cast<int>(random() % 30) : 0;
  text += std::string(zeros, '0');
  for (int i = 0; i < digits; ++i) {
    if (i == point) text += '.';
    text += static_cast<char>('0' + random() % 10);
  }
  if (random() % 4) {
    const int exponent = static_cast<int>(random() % 700) - 350 - (shape >= 7 ? digits / 2 : 0);
    text += kLetters[random() % 4];
    if (exponent < 0 || random() % 2) text += exponent < 0 ? '-' : '+';
    text += std::to_string(std::abs(exponent));
  }
  text += kJunk[random() % 9];
  return text;
}

TEST_P(NumberTextSweep, RandomTextsParseLikeTheReference) {
  std::mt19937_64 random(42);
  int failures = 0;
  for (int i = 0; i < 150000 && failures < 10; ++i) {
    const std::string text = RandomText(random);
    const double expected = ReferenceNumber(text);
    const double got = TextToNumber(text.c_str(), GetParam());
    if (BitsOf(got) != BitsOf(expected)) {
      ++failures;
      ADD_FAILURE() << "\"" << text << "\": " << std::hexfloat << got << " != " << expected;
    }
  }
}

TEST_P(NumberTextSweep, HalfwayPointsAndTheirNeighbours) {
  // The midpoint of two adjacent doubles is exact in long double; printf
  // writes all its digits (they end in 5). Then nudge it either way, far out.
  std::mt19937_64 random(5);
  int failures = 0;
  for (int i = 0; i < 4000 && failures < 10; ++i) {
    std::uint64_t bits = random() >> 1;
    if (i % 4 == 0) bits >>= 12; // subnormals
    if (i % 4 == 1)              // midpoints with 16 to 20 digits: exact ties for the fast path
      bits = (bits & 0xFFFFFFFFFFFFFu) | static_cast<std::uint64_t>(1023 + 45 + random() % 22) << 52;
    const double low = FromBits(bits), high = FromBits(bits + 1);
    if (!std::isfinite(low)) continue;
    char buf[1300];
    std::snprintf(buf, sizeof buf, "%.1000Le", (static_cast<long double>(low) + high) / 2);
    std::string tie = buf;
    const std::size_t e = tie.find('e');
    std::size_t last = e;
    while (tie[last - 1] == '0') --last;
    const std::string mantissa = tie.substr(0, last), exponent = tie.substr(e);
    std::string below = mantissa;
    below.back() = static_cast<char>(below.back() - 1);
    below += std::string(random() % 2000, '9');
    const std::string texts[] = {
        mantissa + exponent, mantissa + std::string(random() % 2000, '0') + "1" + exponent, below + exponent};
    for (const std::string &text : texts) {
      const double expected = ReferenceNumber(text);
      if (BitsOf(TextToNumber(text.c_str(), GetParam())) != BitsOf(expected)) {
        ++failures;
        ADD_FAILURE() << text.substr(0, 60) << "...: expected " << std::hexfloat << expected;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothPaths, NumberTextSweep, testing::ValuesIn(kBothPaths), PathName);

} // namespace
