// The two number-text conversions decided by their exact big-integer paths
// alone, without the 128-bit fast paths. Same texts and rules as
// number_text.h, and the same results: the fast paths answer only where
// they are sure. For checking the fast paths against them; the library
// itself calls the conversions of number_text.h.
#pragma once

#include <cstddef>

double ExactTextToNumber(const char *text);
std::size_t ExactNumberToText(double value, int precision, char *out, std::size_t out_size);
