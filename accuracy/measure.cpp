// What the handlers answer over sweeps of arguments, beside the C
// library's double function of the same name, for accuracy/report.py to
// judge against mpmath. Each handler is called through the fake host at
// NUMERIC DIGITS 17 (whose text gives the result double back exactly) under
// the control word of a Windows thread. One line per call:
//
//   FUNCTION SWEEP x y result library
//
// doubles as the 16 hex digits of their bits, "-" where there is none.
// Seeded: every run measures the same arguments.
//
//   measure [FUNCTION...]      (default: all 25)
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>

#include "double_bits.h"
#include "fake_host.h"
#include "function_lookup.h"
#include "number_text.h"
#include "runtime_pow.h"
#include "trig_hard_cases.h"
#include "x87_precision.h"

namespace {

enum Kind {
  kUniform,     // a + (b - a) * u
  kLogUniform,  // binary exponent uniform in [a, b], random significand, either sign
  kPositive,    // the same, positive only
  kNearOne,     // 1 + sign * 2^-k * (1 + u), k uniform in [a, b]; below 1 when a < 0
  kBitPatterns, // random finite bit patterns of either sign
  kHardTrig,    // the arguments of trig_hard_cases.h
  kPairs,       // x and y: kLogUniform over [a, b] each
  kPowRange,    // x = 2^(U[-a, a]), y so that |y log2 x| <= b
  kWhole,       // 0, 1, ..., count - 1
};

struct Sweep {
  const char *function;
  const char *name; // as the report names it
  Kind kind;
  double a, b;
  int count;
};

// Sized for a report in about a minute: mpmath takes the time, not this.
constexpr int kN = 1500;
constexpr Sweep kSweeps[] = {
    {"SIN", "|x| <= 10", kUniform, -10, 10, kN},
    {"SIN", "2^-30 <= |x| < 2^1024", kLogUniform, -30, 1023, kN},
    {"SIN", "hard cases", kHardTrig, 0, 0, 0},
    {"COS", "|x| <= 10", kUniform, -10, 10, kN},
    {"COS", "2^-30 <= |x| < 2^1024", kLogUniform, -30, 1023, kN},
    {"COS", "hard cases", kHardTrig, 0, 0, 0},
    {"TAN", "|x| <= 10", kUniform, -10, 10, kN},
    {"TAN", "2^-30 <= |x| < 2^1024", kLogUniform, -30, 1023, kN},
    {"TAN", "hard cases", kHardTrig, 0, 0, 0},
    {"COTAN", "|x| <= 10", kUniform, -10, 10, kN},
    {"COTAN", "2^-30 <= |x| < 2^1024", kLogUniform, -30, 1023, kN},
    {"COTAN", "hard cases", kHardTrig, 0, 0, 0},
    {"CSC", "|x| <= 10", kUniform, -10, 10, kN},
    {"CSC", "2^-30 <= |x| < 2^1024", kLogUniform, -30, 1023, kN},
    {"CSC", "hard cases", kHardTrig, 0, 0, 0},
    {"SEC", "|x| <= 10", kUniform, -10, 10, kN},
    {"SEC", "2^-30 <= |x| < 2^1024", kLogUniform, -30, 1023, kN},
    {"SEC", "hard cases", kHardTrig, 0, 0, 0},
    {"ATAN", "one argument, 2^-30 <= |x| < 2^1024", kLogUniform, -30, 1023, kN},
    {"ATAN", "two arguments, 2^-30 <= |x|, |y| < 2^100", kPairs, -30, 100, kN},
    {"EXP", "-745 <= x <= 709", kUniform, -745, 709, kN},
    {"EXP", "|x| <= 1", kUniform, -1, 1, kN},
    {"EXP", "x = 700", kUniform, 700, 700, 1},
    {"EXP", "tiny: 2^-1074 <= |x| < 2^-1", kLogUniform, -1074, -2, kN},
    {"EXP", "subnormal results: -745.2 < x < -708.4", kUniform, -745.2, -708.4, kN},
    {"LOG", "2^-1074 <= x < 2^1024", kPositive, -1074, 1023, kN},
    {"LOG", "near 1: 1 + 2^-k, k 1 to 50", kNearOne, 1, 50, kN},
    {"LOG", "near 1: 1 - 2^-k, k 1 to 50", kNearOne, -50, -1, kN},
    {"LOG10", "2^-1074 <= x < 2^1024", kPositive, -1074, 1023, kN},
    {"LOG10", "near 1: 1 + 2^-k, k 1 to 50", kNearOne, 1, 50, kN},
    {"SQRT", "2^-1074 <= x < 2^1024", kPositive, -1074, 1023, kN},
    {"ACOS", "-1 <= x <= 1", kUniform, -1, 1, kN},
    {"ASIN", "-1 <= x <= 1", kUniform, -1, 1, kN},
    {"ACOSH", "1 <= x < 2^1000", kPositive, 0, 999, kN},
    {"ACOSH", "near 1: 1 + 2^-k, k 1 to 52", kNearOne, 1, 52, kN},
    {"ACOSH", "1 <= x <= 1.1", kUniform, 1, 1.1, kN},
    {"ASINH", "2^-30 <= |x| < 2^1000", kLogUniform, -30, 999, kN},
    {"ASINH", "tiny: 2^-1074 <= |x| < 2^-30", kLogUniform, -1074, -31, kN},
    {"ASINH", "-1 <= x <= 1", kUniform, -1, 1, kN},
    {"ATANH", "-1 < x < 1", kUniform, -1, 1, kN},
    {"ATANH", "2^-30 <= |x| < 2^-1", kLogUniform, -30, -2, kN},
    {"ATANH", "near 1: 1 - 2^-k, k 1 to 52", kNearOne, -52, -1, kN},
    {"ATANH", "tiny: 2^-1074 <= |x| < 2^-30", kLogUniform, -1074, -31, kN},
    {"COSH", "|x| <= 710", kUniform, -710, 710, kN},
    {"SINH", "|x| <= 710", kUniform, -710, 710, kN},
    {"TANH", "|x| <= 20", kUniform, -20, 20, kN},
    {"POW", "x = 2^(-20..20), |y log2 x| <= 1000", kPowRange, 20, 1000, kN},
    {"POW", "large results: |y log2 x| from 900 to 1020", kPowRange, 10, -1020, kN},
    {"CEIL", "any finite x", kBitPatterns, 0, 0, kN},
    {"FLOOR", "any finite x", kBitPatterns, 0, 0, kN},
    {"ROUND", "any finite x", kBitPatterns, 0, 0, kN},
    {"FACT", "n = 0 to 170", kWhole, 0, 0, 171},
};

double Unit(std::mt19937_64 &random) { return static_cast<double>(random() >> 11) * 0x1p-53; }

double Binade(std::mt19937_64 &random, double low, double high, bool either_sign) {
  const int span = static_cast<int>(high - low) + 1;
  const int e = static_cast<int>(low) + static_cast<int>(random() % static_cast<unsigned>(span));
  double x = std::ldexp(1.0 + Unit(random), e);
  if (x == 0 || std::isinf(x)) x = std::ldexp(1.0, e < 0 ? -1074 : 1023);
  return either_sign && (random() & 1) ? -x : x;
}

// One argument (and a second for kPairs and kPowRange) of sweep s, call i.
void Arguments(const Sweep &s, int i, std::mt19937_64 &random, double *x, double *y) {
  *y = NAN;
  switch (s.kind) {
  case kUniform:
    *x = s.a + (s.b - s.a) * Unit(random);
    break;
  case kLogUniform:
    *x = Binade(random, s.a, s.b, true);
    break;
  case kPositive:
    *x = Binade(random, s.a, s.b, false);
    break;
  case kNearOne: {
    const int low = static_cast<int>(std::fabs(s.a)), high = static_cast<int>(std::fabs(s.b));
    const int k =
        std::min(low, high) + static_cast<int>(random() % static_cast<unsigned>(std::abs(high - low) + 1));
    const double step = std::ldexp(1.0 + Unit(random), -k);
    *x = s.a < 0 ? 1.0 - step / 2 : 1.0 + step;
    break;
  }
  case kBitPatterns: {
    double v;
    do v = FromBits(random());
    while (!std::isfinite(v));
    *x = v;
    break;
  }
  case kHardTrig:
    *x = kTrigHardCases[i].x;
    break;
  case kPairs:
    *x = Binade(random, s.a, s.b, true);
    *y = Binade(random, s.a, s.b, true);
    break;
  case kPowRange: {
    // b > 0: |y log2 x| up to b; b < 0: between 900 and -b (large results).
    *x = std::exp2(s.a * (2 * Unit(random) - 1));
    const double log2x = std::log2(*x);
    const double target = s.b > 0 ? s.b * (2 * Unit(random) - 1) : 900 + (-s.b - 900) * Unit(random);
    *y = log2x == 0 ? 1 : target / log2x;
    break;
  }
  case kWhole:
    *x = i;
    break;
  default:
    *x = 0;
    break;
  }
}

double Library(const char *function, double x, double y) {
  struct Entry {
    const char *name;
    double (*f)(double);
  };
  static const Entry kOne[] = {
      {"SIN", std::sin},     {"COS", std::cos},     {"TAN", std::tan},     {"EXP", std::exp},
      {"LOG", std::log},     {"LOG10", std::log10}, {"SQRT", std::sqrt},   {"ACOS", std::acos},
      {"ASIN", std::asin},   {"ACOSH", std::acosh}, {"ASINH", std::asinh}, {"ATANH", std::atanh},
      {"COSH", std::cosh},   {"SINH", std::sinh},   {"TANH", std::tanh},   {"CEIL", std::ceil},
      {"FLOOR", std::floor},
  };
  if (std::strcmp(function, "ATAN") == 0) return std::isnan(y) ? std::atan(x) : std::atan2(x, y);
  if (std::strcmp(function, "POW") == 0) return RuntimePow(x, y);
  for (const Entry &e : kOne)
    if (std::strcmp(e.name, function) == 0) return e.f(x);
  return NAN; // no function of that name: COTAN, CSC, SEC, ROUND (its halves differ), FACT
}

bool HasLibrary(const char *function) {
  return !(std::strcmp(function, "COTAN") == 0 || std::strcmp(function, "CSC") == 0 ||
           std::strcmp(function, "SEC") == 0 || std::strcmp(function, "ROUND") == 0 ||
           std::strcmp(function, "FACT") == 0);
}

double Handler(const char *function, double x, double y) {
  fake_host::FakeHost host;
  char x_text[kNumberTextMax], y_text[kNumberTextMax];
  NumberToText(x, 17, x_text, sizeof x_text);
  if (std::isnan(y)) {
    host.SetArgs(x_text);
  } else {
    NumberToText(y, 17, y_text, sizeof y_text);
    host.SetArgs(x_text, y_text);
  }
  host.digits = 17;
  host.number = static_cast<HostWord>(x);
  HostWord status = 0;
  {
    const WindowsPrecision precision;
    fake_host::RunHandler(host, FindFunction(function)->handler, &status);
  }
  if (host.result_flags == kResultNumber) return static_cast<double>(host.result_number);
  return TextToNumber(host.ResultText());
}

void Hex(double v, char out[17]) {
  std::snprintf(out, 17, "%016llx", static_cast<unsigned long long>(BitsOf(v)));
}

bool Wanted(const char *function, int argc, char **argv) {
  if (argc < 2) return true;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], function) == 0) return true;
  return false;
}

} // namespace

int main(int argc, char **argv) {
  for (const Sweep &s : kSweeps) {
    if (!Wanted(s.function, argc, argv)) continue;
    std::mt19937_64 random(BitsOf(s.a) ^ BitsOf(s.b) * 31 ^ std::strlen(s.name));
    const int count =
        s.kind == kHardTrig ? static_cast<int>(sizeof kTrigHardCases / sizeof kTrigHardCases[0]) : s.count;
    for (int i = 0; i < count; ++i) {
      double x = 0, y = NAN;
      Arguments(s, i, random, &x, &y);
      char xs[17], ys[17] = "-", rs[17], ls[17] = "-";
      Hex(x, xs);
      if (!std::isnan(y)) Hex(y, ys);
      Hex(Handler(s.function, x, y), rs);
      if (HasLibrary(s.function)) Hex(Library(s.function, x, y), ls);
      std::printf("%s\t%s\t%s\t%s\t%s\t%s\n", s.function, s.name, xs, ys, rs, ls);
    }
  }
  return 0;
}
