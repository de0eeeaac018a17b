// Expected results from glibc, sharing no code with the library: exact
// digits from printf, correct rounding from strtod.
#pragma once

#include <cstdint>
#include <string>

#include "double_bits.h"

// The text NumberToText should give, derived from all digits of the value.
std::string ReferenceText(double value, int precision);

// The double TextToNumber should give: the grammar's prefix, scanned here,
// handed to strtod.
double ReferenceNumber(const std::string &text);

// The build with the fast paths off runs the same cases under its own
// suite names, so that each CTest name stays unique.
#ifdef TESSARIM_NUMBER_TEXT_EXACT_ONLY
#define SUITE(name) ExactPath##name
#else
#define SUITE(name) name
#endif
