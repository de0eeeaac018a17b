#include "reference.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Keeps `n` digits, half up on the digits after them; a carry out of the
// first digit raises the exponent.
void RoundHalfUp(std::string &digits, std::size_t n, int &exponent) {
  const bool up = digits.size() > n && digits[n] >= '5';
  digits.resize(n, '0');
  if (!up) return;
  std::size_t i = n;
  while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
  if (i > 0) {
    ++digits[i - 1];
  } else {
    digits = "1" + digits.substr(0, n - 1);
    ++exponent;
  }
}

} // namespace

std::string ReferenceText(double value, int precision) {
  if (std::isnan(value)) return "-1.#IND";
  if (std::isinf(value)) return value < 0 ? "-1.#INF" : "1.#INF";
  if (value == 0) return "0";
  // No double needs more than 767 significant digits: these are all of them.
  static char buf[1200];
  std::snprintf(buf, sizeof buf, "%.800e", std::fabs(value));
  const char *e = std::strchr(buf, 'e');
  std::string digits = std::string(1, buf[0]) + std::string(buf + 2, static_cast<std::size_t>(e - (buf + 2)));
  int exponent = std::atoi(e + 1);
  RoundHalfUp(digits, 17, exponent);
  const int p = precision < 1 ? 1 : precision;
  if (p < 17) RoundHalfUp(digits, p, exponent);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string text = value < 0 ? "-" : "";
  if (exponent < -4 || exponent >= p) {
    text += digits.substr(0, 1);
    if (digits.size() > 1) text += "." + digits.substr(1);
    char tail[16]; // room for any int, though exponents have three digits
    std::snprintf(tail, sizeof tail, "e%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
    text += tail;
  } else if (exponent >= 0) {
    std::string integer = digits.substr(0, std::min<std::size_t>(digits.size(), exponent + 1));
    integer.resize(exponent + 1, '0');
    text += integer;
    if (digits.size() > static_cast<std::size_t>(exponent + 1)) text += "." + digits.substr(exponent + 1);
  } else {
    text += "0." + std::string(-exponent - 1, '0') + digits;
  }
  return text;
}

double ReferenceNumber(const std::string &text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= 9 && text[i] <= 13))) ++i;
  std::string prefix;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) prefix += text[i++];
  auto digit = [&](std::size_t at) { return at < text.size() && text[at] >= '0' && text[at] <= '9'; };
  std::size_t digits = 0;
  while (digit(i)) prefix += text[i++], ++digits;
  if (i < text.size() && text[i] == '.' && (digits > 0 || digit(i + 1))) {
    prefix += text[i++];
    while (digit(i)) prefix += text[i++], ++digits;
  }
  if (digits == 0) return 0.0;
  if (i < text.size() && std::strchr("eEdD", text[i]) && text[i] != '\0') {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
    if (digit(j)) {
      while (digit(j)) exponent += text[j++];
      prefix += exponent;
    }
  }
  return std::strtod(prefix.c_str(), nullptr);
}

std::string PathName(const testing::TestParamInfo<NumberTextPath> &info) {
  return info.param == NumberTextPath::kFastFirst ? "FastFirst" : "ExactOnly";
}
