// NumberToText on any double and precision: the text of the exact
// reference, a round trip at precision 17 and more, and a cut text that
// stays inside an output buffer of any size.
//
// Input: 8 bytes of the double, 2 of the precision (-10 to 400), 2 of the
// size of the small output buffer.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_checks.h"
#include "number_text.h"
#include "reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const FuzzInput in = SplitInput(data, size, 12);
  std::uint64_t bits;
  std::memcpy(&bits, in.head, sizeof bits);
  const double value = FromBits(bits);
  const int precision = -10 + (in.head[8] | in.head[9] << 8) % 411;
  const std::size_t small = static_cast<std::size_t>(in.head[10] | in.head[11] << 8);

  // The bound NumberToText promises, kNumberTextMax, in a block of exactly that size.
  char *text = static_cast<char *>(std::malloc(kNumberTextMax));
  const std::size_t length = NumberToText(value, precision, text, kNumberTextMax);
  if (length >= kNumberTextMax || std::strlen(text) != length)
    FuzzFail("NumberToText(%a, %d): length %zu, text of %zu", value, precision, length, std::strlen(text));
  const std::string want = ReferenceText(value, precision);
  if (want != text)
    FuzzFail("NumberToText(%a, %d) = \"%s\", exact \"%s\"", value, precision, text, want.c_str());
  std::string why;
  if (!IsResultText(text, precision, &why))
    FuzzFail("NumberToText(%a, %d) = \"%s\": %s", value, precision, text, why.c_str());
  if (precision >= 17 && std::isfinite(value) && TextToNumber(text) != value)
    FuzzFail("NumberToText(%a, %d) = \"%s\" does not convert back", value, precision, text);

  // Any smaller buffer: the text cut to fit, terminated, the full length
  // returned, nothing written past the block.
  const std::size_t out_size = small % (length + 2);
  char *cut = static_cast<char *>(std::malloc(out_size == 0 ? 1 : out_size));
  const std::size_t cut_length = NumberToText(value, precision, out_size == 0 ? nullptr : cut, out_size);
  if (cut_length != length)
    FuzzFail("NumberToText into %zu bytes returned %zu, not %zu", out_size, cut_length, length);
  if (out_size > 0) {
    const std::size_t kept = out_size - 1 < length ? out_size - 1 : length;
    if (std::memcmp(cut, text, kept) != 0 || cut[kept] != '\0')
      FuzzFail("NumberToText into %zu bytes did not keep the first %zu characters", out_size, kept);
  }
  std::free(cut);
  std::free(text);
  return 0;
}
