// The library's own rules for numbers crossing the host boundary as text.
// Locale-free, no heap, no dependence on the thread's x87 precision setting.
#pragma once

#include <cstddef>

// Which path decides a conversion. Both give the same results: the fast
// paths answer only where they are sure. The library takes the default;
// tests run every case by both, since real inputs seldom reach the exact
// paths, and check the fast paths against the exact ones.
enum class NumberTextPath {
  kFastFirst, // the 128-bit fast paths, the exact ones where those cannot decide
  kExactOnly, // the exact big-integer paths for every value
};

// Text to number.
//   Skips leading bytes 9-13 and 32, takes the longest prefix of the form
//   [+-] (digits [. [digits]] | . digits) [(e|E|d|D) [+-] digits]
//   and ignores the rest. No prefix gives 0; "-0" gives -0.0.
//   The result is the double nearest to the number written (ties to even),
//   subnormals exact, overflow to an infinity of that sign, underflow to a
//   zero of that sign.
//     "  12abc" -> 12        "1.5.3" -> 1.5      "1d3" -> 1000
//     "1e+"     -> 1         "0x10"  -> 0        "- 1" -> 0
//     "1e999"   -> +inf      "-1e-999" -> -0.0   "abc" -> 0
double TextToNumber(const char *text, NumberTextPath path = NumberTextPath::kFastFirst);

// Number to text with precision `precision` (below 1 counts as 1).
//   The exact value is first rounded to 17 significant digits, half up
//   (the 18th digit and everything after it decide), then those digits half
//   up to `precision`; positions past the 17th are zeros. Exponential form
//   when the decimal exponent X < -4 or X >= precision, else fixed; trailing
//   zeros and a bare point are removed; the exponent is signed with exactly
//   three digits.
//     0.125, 2        -> "0.13"            1.5e10, 9  -> "1.5e+010"
//     2e-5, 9         -> "2e-005"          -0.0, 9    -> "0"
//     1 + 2^-17, 17   -> "1.0000076293945313"
//     1e100, 120      -> "1" followed by 100 zeros
//     +inf -> "1.#INF"   -inf -> "-1.#INF"   any NaN -> "-1.#IND"
// Writes the text and a NUL into out and returns its length (NUL not
// counted). The longest text is a fixed form of 309 integer digits with a
// sign (1e308 at a large precision), so kNumberTextMax bytes always suffice;
// with a smaller out_size the text is cut to out_size - 1 bytes, still
// terminated (nothing is written when out_size is 0), and the full length
// is returned.
constexpr std::size_t kNumberTextMax = 320;
std::size_t NumberToText(double value, int precision, char *out, std::size_t out_size,
                         NumberTextPath path = NumberTextPath::kFastFirst);
