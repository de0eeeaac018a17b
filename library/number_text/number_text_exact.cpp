// The exact entry points, in an object of their own: the library never
// calls them, so its link leaves them out.
#include "number_text_exact.h"

#include "number_text_paths.h"

double ExactTextToNumber(const char *text) { return TextToNumberBy(text, NumberTextPath::kExactOnly); }

std::size_t ExactNumberToText(double value, int precision, char *out, std::size_t out_size) {
  return NumberToTextBy(value, precision, NumberTextPath::kExactOnly, out, out_size);
}
