// Number to text: each output rule, the two half-up roundings, precision
// edge values, and the buffer contract.
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "number_text.h"
#include "reference.h"

namespace {

using NumberToTextRules = testing::TestWithParam<NumberTextPath>;

struct FormatCase {
  double value;
  int precision;
  std::string expected;
};

std::string Format(double value, int precision, NumberTextPath path) {
  char out[kNumberTextMax];
  const std::size_t length = NumberToText(value, precision, out, sizeof out, path);
  EXPECT_EQ(length, std::strlen(out));
  return out;
}

template <std::size_t kCount> void ExpectFormats(const FormatCase (&cases)[kCount], NumberTextPath path) {
  for (const FormatCase &c : cases)
    EXPECT_EQ(Format(c.value, c.precision, path), c.expected)
        << "value " << c.value << " at precision " << c.precision;
}

TEST_P(NumberToTextRules, ExponentialFormHasASignAndThreeExponentDigits) {
  const FormatCase cases[] = {
      {1.5e10, 9, "1.5e+010"},
      {2e-5, 9, "2e-005"},
      {1e308, 9, "1e+308"},
      {1234567890, 9, "1.23456789e+009"},
      {1e-5, 9, "1e-005"},
      {1e100, 9, "1e+100"},
      {4.9406564584124654e-324, 17, "4.9406564584124654e-324"},
      {DBL_MAX, 17, "1.7976931348623157e+308"},
      {2.2250738585072014e-308, 17, "2.2250738585072014e-308"},
      {1000, 3, "1e+003"},
      {0.000012345, 3, "1.23e-005"},
  };
  ExpectFormats(cases, GetParam());
}

TEST_P(NumberToTextRules, FixedFormBetweenTheLimits) {
  const FormatCase cases[] = {
      {0.0001, 9, "0.0001"},
      {0.00012345, 9, "0.00012345"},
      {100, 3, "100"},
      {123456789, 9, "123456789"},
      {0.5, 1, "0.5"},
      {12.25, 9, "12.25"},
      {1e16, 17, "10000000000000000"},
      {0.1, 17, "0.10000000000000001"},
      {1.0 / 3, 9, "0.333333333"},
  };
  ExpectFormats(cases, GetParam());
}

TEST_P(NumberToTextRules, TrailingZerosAndBarePointsGo) {
  const FormatCase cases[] = {
      {1.5, 9, "1.5"},
      {2.0, 9, "2"},
      {1.0, 17, "1"},
      {1e10, 9, "1e+010"},
      {1.1, 17, "1.1000000000000001"},
      {100.5, 4, "100.5"},
      {100.04, 4, "100"},
      {0.5, 17, "0.5"},
      {std::ldexp(1.0, 100), 40, "1267650600228229400000000000000"},
  };
  ExpectFormats(cases, GetParam());
}

TEST_P(NumberToTextRules, SignsAndZeros) {
  const FormatCase cases[] = {
      {-2.5, 9, "-2.5"},          {-0.0, 9, "0"},        {0.0, 5, "0"},
      {-1e-10, 3, "-1e-010"},     {-0.001, 1, "-0.001"}, {-4.9406564584124654e-324, 1, "-5e-324"},
      {-DBL_MAX, 2, "-1.8e+308"},
  };
  ExpectFormats(cases, GetParam());
}

TEST_P(NumberToTextRules, InfinitiesAndNaNsWhateverTheSignBitAndPrecision) {
  const std::uint64_t nans[] = {0x7FF8000000000000u, 0xFFF8000000000000u, 0x7FF0000000000001u,
                                0xFFFFFFFFFFFFFFFFu, 0x7FF4000000000000u};
  for (int precision : {INT_MIN, 0, 1, 9, 100, INT_MAX}) {
    EXPECT_EQ(Format(std::numeric_limits<double>::infinity(), precision, GetParam()), "1.#INF");
    EXPECT_EQ(Format(-std::numeric_limits<double>::infinity(), precision, GetParam()), "-1.#INF");
    for (std::uint64_t bits : nans)
      EXPECT_EQ(Format(FromBits(bits), precision, GetParam()), "-1.#IND") << std::hex << bits;
  }
}

TEST_P(NumberToTextRules, SeventeenDigitsFromAllDigitsHalfUp) {
  const FormatCase cases[] = {
      {1 + std::ldexp(1.0, -17), 17, "1.0000076293945313"}, // exactly ...3125: a true tie goes up
      {std::ldexp(1.0, -20), 17, "9.5367431640625e-007"},
      {std::ldexp(1.0, 60), 17, "1.152921504606847e+018"}, // 1152921504606846976
      {49.878596233715704, 17, "49.878596233715704"},      // ...704|4999: the 18th digit decides
      {1e-14, 17, "1e-014"},                               // 9.99999999999999999|88e-15 carries
      {1e-305, 17, "1e-305"},
      {1e23, 17, "9.9999999999999992e+022"},
      {9007199254740993.0, 17, "9007199254740992"},
      {1e18, 17, "1e+018"}, // whole numbers whose doubled scaled value is exact
      {1e18, 19, "1000000000000000000"},
      {1.5e19, 17, "1.5e+019"},
      {18446744073709549568.0, 20, "18446744073709550000"},
      {1e22, 23, "10000000000000000000000"},
      {1e23, 24, "99999999999999992000000"},
  };
  ExpectFormats(cases, GetParam());
}

TEST_P(NumberToTextRules, PrecisionRoundsTheSeventeenDigitsHalfUp) {
  const FormatCase cases[] = {
      {0.125, 2, "0.13"},
      {0.375, 2, "0.38"},
      {999.5, 3, "1e+003"},
      {9.5, 1, "1e+001"},
      {99999.5, 5, "1e+005"},
      {99999.5, 6, "99999.5"},
      {0.00009999, 3, "0.0001"},
      {0.0115, 2, "0.012"}, // 0.011499999999999999805 is 0.011500000000000000 at
                            // 17 digits
      {0.0135, 2, "0.014"},
      {2.5, 1, "3"},
      {-2.5, 1, "-3"},
      {0.5, 0, "0.5"},
      {123.0, 0, "1e+002"},
      {150.0, -7, "2e+002"},
      {1.45, 2, "1.5"},
      {0.95, 1, "0.9"},
  };
  ExpectFormats(cases, GetParam());
}

TEST_P(NumberToTextRules, PrecisionBeyondSeventeenShowsZerosNeverMoreDigits) {
  const FormatCase cases[] = {
      {1e100, 120, "1" + std::string(100, '0')},
      {1e100, 101, "1" + std::string(100, '0')},
      {1e100, 100, "1e+100"},
      {1e308, INT_MAX, "1" + std::string(308, '0')},
      {-DBL_MAX, 400, "-17976931348623157" + std::string(292, '0')},
      {0.1, 40, "0.10000000000000001"},
      {std::ldexp(1.0, 70), 30, "1180591620717411300000"},
      {1.0 / 3, 25, "0.33333333333333331"},
  };
  ExpectFormats(cases, GetParam());
}

TEST_P(NumberToTextRules, EveryPrecisionFromZeroToFortyAgreesWithTheReference) {
  const double values[] = {1.0 / 3,       2.0 / 3,       0.125,  999.5,         1e-14,
                           123456789.125, 6.02214076e23, 1e-300, -2.5e-9,       4.9406564584124654e-324,
                           DBL_MAX,       0.0115,        1e22,   9.87654321e-5, 31.4159};
  for (double value : values)
    for (int precision = 0; precision <= 40; ++precision)
      EXPECT_EQ(Format(value, precision, GetParam()), ReferenceText(value, precision))
          << value << " at " << precision;
}

TEST_P(NumberToTextRules, ShortBuffersAreCutAndTerminatedNeverOverrun) {
  const std::string full = "1.5e+010";
  for (std::size_t size = 0; size <= full.size() + 2; ++size) {
    char out[16];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(NumberToText(1.5e10, 9, out, size, GetParam()), full.size());
    for (std::size_t i = size; i < sizeof out; ++i) EXPECT_EQ(out[i], '#') << "written past " << size;
    if (size > 0) {
      EXPECT_EQ(std::string(out), full.substr(0, size - 1));
    }
  }
  char out[kNumberTextMax];
  EXPECT_EQ(NumberToText(-DBL_MAX, INT_MAX, out, sizeof out, GetParam()), 310u);
}

INSTANTIATE_TEST_SUITE_P(BothPaths, NumberToTextRules, testing::ValuesIn(kBothPaths), PathName);

} // namespace
