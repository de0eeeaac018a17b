// The two conversions with their path chosen by the caller, shared by the
// ordinary entry points (number_text.h) and the exact ones
// (number_text_exact.h).
#pragma once

#include <cstddef>

enum class NumberTextPath {
  kFastFirst, // the 128-bit fast paths, the exact ones where those cannot decide
  kExactOnly, // the exact big-integer paths for every value
};

// The path of TextToNumber and NumberToText. A test build
// (TESSARIM_NUMBER_TEXT_EXACT_ONLY) gives them the exact paths, so that
// every case of the conversion tests meets those, which real inputs seldom
// reach.
#ifdef TESSARIM_NUMBER_TEXT_EXACT_ONLY
constexpr NumberTextPath kOrdinaryPath = NumberTextPath::kExactOnly;
#else
constexpr NumberTextPath kOrdinaryPath = NumberTextPath::kFastFirst;
#endif

double TextToNumberBy(const char *text, NumberTextPath path);
std::size_t NumberToTextBy(double value, int precision, NumberTextPath path, char *out, std::size_t out_size);
