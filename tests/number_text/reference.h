// Expected results from glibc, sharing no code with the library: exact
// digits from printf, correct rounding from strtod.
#pragma once

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "double_bits.h"
#include "number_text.h"

// The text NumberToText should give, derived from all digits of the value.
std::string ReferenceText(double value, int precision);

// The double TextToNumber should give: the grammar's prefix, scanned here,
// handed to strtod.
double ReferenceNumber(const std::string &text);

// Every conversion case runs by both paths, the fast paths as shipped and
// the exact paths alone:
//   using Suite = testing::TestWithParam<NumberTextPath>;
//   TEST_P(Suite, Case) { ... GetParam() ... }
//   INSTANTIATE_TEST_SUITE_P(BothPaths, Suite, testing::ValuesIn(kBothPaths), PathName);
constexpr NumberTextPath kBothPaths[] = {NumberTextPath::kFastFirst, NumberTextPath::kExactOnly};
std::string PathName(const testing::TestParamInfo<NumberTextPath> &info);
