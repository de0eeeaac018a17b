// Text to number: the grammar of the prefix, and correct rounding where it
// is hardest (halfway points, long tails, the ends of the range). Expected
// values are C++ literals, converted by the compiler.
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "number_text.h"
#include "reference.h"

namespace {

using TextToNumberRules = testing::TestWithParam<NumberTextPath>;

struct ParseCase {
  std::string text;
  double expected;
};

template <std::size_t kCount> void ExpectParses(const ParseCase (&cases)[kCount], NumberTextPath path) {
  for (const ParseCase &c : cases) {
    const double got = TextToNumber(c.text.c_str(), path);
    EXPECT_EQ(BitsOf(got), BitsOf(c.expected))
        << "text \"" << c.text << "\" gave " << got << ", expected " << c.expected;
  }
}

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST_P(TextToNumberRules, BlanksSignsAndJunkAfterThePrefix) {
  const ParseCase cases[] = {
      {"  12abc", 12},
      {"\t\n\v\f\r 7", 7},
      {"\b5", 0},
      {"\xA0"
       "5",
       0},
      {"1.5.3", 1.5},
      {"1 000", 1},
      {"1.5+3", 1.5},
      {"0x10", 0},
      {"12,5", 12},
      {"+7", 7},
      {"-7", -7},
      {"5.", 5},
      {".5", 0.5},
      {"-.5", -0.5},
      {"+.5e1", 5},
      {"00012", 12},
      {"007.50", 7.5},
      {"1-2", 1},
      {"3\n4", 3},
      {" -\t1", 0},
  };
  ExpectParses(cases, GetParam());
}

TEST_P(TextToNumberRules, NoPrefixGivesPositiveZero) {
  const ParseCase cases[] = {
      {"", 0},
      {"   ", 0},
      {"+", 0},
      {"-", 0},
      {".", 0},
      {"-.", 0},
      {"abc", 0},
      {"- 1", 0},
      {"+-1", 0},
      {"e5", 0},
      {".e5", 0},
      {"inf", 0},
      {"-nan", 0},
      {"infinity", 0},
      {"\x01"
       "1",
       0},
      {"--0", 0},
      {"+ .5", 0},
  };
  ExpectParses(cases, GetParam());
}

TEST_P(TextToNumberRules, ExponentLettersAndIncompleteExponents) {
  const ParseCase cases[] = {
      {"1e3", 1000},    {"1E3", 1000},   {"1d3", 1000},    {"1D3", 1000},
      {"2.5d-1", 0.25}, {"-1D+2", -100}, {"1e", 1},        {"1e+", 1},
      {"1d-", 1},       {"1ex", 1},      {"1e 3", 1},      {"1f3", 1},
      {"1e1e1", 10},    {".5E-0", 0.5},  {"1e0003", 1000}, {"1e0000000000000000000000000000000000001", 10},
      {"5e-1x", 0.5},
  };
  ExpectParses(cases, GetParam());
}

TEST_P(TextToNumberRules, ZerosKeepTheirSign) {
  const ParseCase cases[] = {
      {"0", 0.0},
      {"-0", -0.0},
      {"-0.000e5", -0.0},
      {"-0e999999999999", -0.0},
      {"+0.0", 0.0},
      {"-.0", -0.0},
      {"-0" + std::string(5000, '0'), -0.0},
      {"-1e-400", -0.0},
      {"1e-99999999999", 0.0},
      {"-1e-99999999999", -0.0},
  };
  ExpectParses(cases, GetParam());
}

TEST_P(TextToNumberRules, OverflowAndHugeExponents) {
  // (DBL_MAX + 2^1024) / 2, every digit.
  const std::string kMidpointToTwoTo1024 =
      "179769313486231580793728971405303415079934132710037826936173778980444968292764750946649017977587207096"
      "330286416692887910946555547851940402630657488671"
      "505820681908902000708383676273854845817711531764475730270069855571366959622842914819860834936475292719"
      "074168444365510704342711559699508093042880177904174497792";
  const ParseCase cases[] = {
      {"1e999", kInf},
      {"-1e999", -kInf},
      {"1e+99999999999999", kInf},
      {"-1e99999999999999999999999999", -kInf},
      {"1.7976931348623157e308", DBL_MAX},
      {"1.7976931348623158e308", DBL_MAX}, // below the midpoint to 2^1024
      {kMidpointToTwoTo1024, kInf},        // ties to even: the even side is 2^1024
      {kMidpointToTwoTo1024 + ".000000000000000000000000001", kInf},
      {kMidpointToTwoTo1024.substr(0, 308) + "1", DBL_MAX},
      {"1.7976931348623159e308", kInf},
      {"0." + std::string(400, '0') + "1e401", 1.0},
      {"1" + std::string(400, '0') + "e-400", 1.0},
      {"1" + std::string(310, '0'), kInf},
  };
  ExpectParses(cases, GetParam());
}

// Rounding cases: the text doubles as a C++ literal, which the compiler
// rounds correctly and independently of the library.
#define LITERAL_CASE(x) \
  { #x, x }

TEST_P(TextToNumberRules, SubnormalsAndTheSmallestValues) {
  const ParseCase cases[] = {
      LITERAL_CASE(4.9406564584124654e-324),
      LITERAL_CASE(5e-324),
      LITERAL_CASE(3e-324),
      LITERAL_CASE(2.4703282292062328e-324),
      {"2.4703282292062327e-324", 0.0}, // just below half the smallest subnormal
      {"2e-324", 0.0},
      LITERAL_CASE(7.4109846876186981e-324),
      LITERAL_CASE(7.4109846876186982e-324),
      LITERAL_CASE(2.2250738585072014e-308),
      LITERAL_CASE(2.2250738585072011e-308),
      LITERAL_CASE(2.2250738585072012e-308),
      LITERAL_CASE(1e-320),
      LITERAL_CASE(-1.23456789e-310),
      LITERAL_CASE(2.225073858507201136057409796709131975934819546351645648e-308),
  };
  ExpectParses(cases, GetParam());
  // Odd multiples of half the subnormal spacing are ties: to even. Long
  // double holds them exactly, and printf writes all their digits.
  for (int odd = 1; odd < 12; odd += 2) {
    char text[1200];
    std::snprintf(text, sizeof text, "%.800Le", std::ldexp(static_cast<long double>(odd), -1075));
    const std::uint64_t below = static_cast<std::uint64_t>(odd / 2);
    EXPECT_EQ(BitsOf(TextToNumber(text, GetParam())), below + (below & 1)) << text;
  }
}

TEST_P(TextToNumberRules, HalfwayCasesAndLongTails) {
  const std::string zeros(3000, '0');
  const ParseCase cases[] = {
      LITERAL_CASE(9007199254740993e0), // 2^53 + 1: even below
      LITERAL_CASE(9007199254740995e0), // 2^53 + 3: even above
      {"9007199254740993." + zeros + "1", 9007199254740994.0},
      {"9007199254740993" + zeros + "1e-3001", 9007199254740994.0},
      {"9007199254740993" + zeros + "e-3000", 9007199254740992.0},
      {"0.000" + zeros + "9007199254740993" + zeros + "1e3019", 9007199254740994.0},
      {"9007199254740992." + std::string(30, '9'), 9007199254740992.0},
      {"9007199254740993" + zeros, kInf},
      LITERAL_CASE(1e23),
      LITERAL_CASE(8.988465674311580536566680e307),
      LITERAL_CASE(0.1),
      LITERAL_CASE(3.14159265358979323846264338327950288419716939937510),
      LITERAL_CASE(123456789012345678901234567890e0),
      LITERAL_CASE(1.00000000000000011102230246251565404236316680908203125), // 1 + 2^-53
      LITERAL_CASE(1.00000000000000011102230246251565404236316680908203126),
      LITERAL_CASE(1.00000000000000011102230246251565404236316680908203124),
      LITERAL_CASE(9999999999999999999e0),
      LITERAL_CASE(18446744073709551615e0),
      LITERAL_CASE(18446744073709551616e-20),
  };
  ExpectParses(cases, GetParam());
}

INSTANTIATE_TEST_SUITE_P(BothPaths, TextToNumberRules, testing::ValuesIn(kBothPaths), PathName);

} // namespace
