// Checks shared by the fuzz targets. A failed check prints what was seen
// and aborts, which libFuzzer reports as a crash with the input saved.
#pragma once

#include <cstddef>
#include <string>

// Prints "fuzz check failed: ..." (printf-style) and aborts.
[[noreturn]] void FuzzFail(const char *format, ...) __attribute__((format(printf, 1, 2)));

// True when `text` is a result text of the number-text rules at precision
// `precision` (below 1 counts as 1): "1.#INF", "-1.#INF", "-1.#IND", or
//   [-] digits [. digits] [e (+|-) three digits]
// with no leading zero but a lone one, no trailing zero in a fraction, no
// more than min(precision, 17) significant digits, the exponential form
// exactly when the decimal exponent is below -4 or at least the precision.
// On failure, *why says what is wrong.
bool IsResultText(const std::string &text, int precision, std::string *why);

// Splits the fuzzer's bytes: a fixed header of `header` bytes (missing
// bytes read as 0) and the rest.
struct FuzzInput {
  unsigned char head[16];
  const unsigned char *rest;
  std::size_t rest_size;
};
FuzzInput SplitInput(const unsigned char *data, std::size_t size, std::size_t header);
