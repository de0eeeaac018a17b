#include "fuzz_checks.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void FuzzFail(const char *format, ...) {
  std::va_list args;
  va_start(args, format);
  std::fputs("fuzz check failed: ", stderr);
  std::vfprintf(stderr, format, args);
  std::fputc('\n', stderr);
  va_end(args);
  std::abort();
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool Fail(std::string *why, const char *what) {
  *why = what;
  return false;
}

} // namespace

bool IsResultText(const std::string &text, int precision, std::string *why) {
  if (text == "1.#INF" || text == "-1.#INF" || text == "-1.#IND") return true;
  const int p = precision < 1 ? 1 : precision;
  std::size_t i = 0;
  if (i < text.size() && text[i] == '-') ++i;
  const std::size_t integer_start = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  const std::string integer = text.substr(integer_start, i - integer_start);
  if (integer.empty()) return Fail(why, "no integer digits");
  if (integer.size() > 1 && integer[0] == '0') return Fail(why, "leading zero");
  std::string fraction;
  if (i < text.size() && text[i] == '.') {
    const std::size_t start = ++i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    fraction = text.substr(start, i - start);
    if (fraction.empty()) return Fail(why, "bare point");
    if (fraction.back() == '0') return Fail(why, "trailing zero in the fraction");
  }
  bool exponential = false;
  int exponent = 0;
  if (i < text.size() && text[i] == 'e') {
    exponential = true;
    if (i + 5 != text.size() || (text[i + 1] != '+' && text[i + 1] != '-') || !IsDigit(text[i + 2]) ||
        !IsDigit(text[i + 3]) || !IsDigit(text[i + 4]))
      return Fail(why, "exponent is not a sign and three digits");
    exponent = std::atoi(text.c_str() + i + 2) * (text[i + 1] == '-' ? -1 : 1);
    i += 5;
  }
  if (i != text.size()) return Fail(why, "characters after the number");
  if (text == "-0" || (integer == "0" && fraction.empty() && text[0] == '-'))
    return Fail(why, "negative zero");

  // Significant digits and the decimal exponent of the first one.
  const std::string all = integer + fraction;
  const std::size_t first = all.find_first_not_of('0');
  if (first == std::string::npos) {
    if (text != "0") return Fail(why, "zero not written 0");
    return true;
  }
  const std::size_t last = all.find_last_not_of('0');
  const int significant = static_cast<int>(last - first + 1);
  if (significant > (p < 17 ? p : 17)) return Fail(why, "too many significant digits");
  if (exponential) {
    if (integer.size() != 1 || integer[0] == '0')
      return Fail(why, "exponential form without one leading digit");
    if (exponent >= -4 && exponent < p) return Fail(why, "exponential form for a fixed-form exponent");
  } else {
    exponent =
        integer != "0" ? static_cast<int>(integer.size()) - 1 : -static_cast<int>(first - integer.size()) - 1;
    if (exponent < -4 || exponent >= p) return Fail(why, "fixed form for an exponential-form exponent");
  }
  return true;
}

FuzzInput SplitInput(const unsigned char *data, std::size_t size, std::size_t header) {
  FuzzInput in{};
  const std::size_t n = size < header ? size : header;
  if (n > 0) std::memcpy(in.head, data, n);
  in.rest = data + n;
  in.rest_size = size - n;
  return in;
}
