// The calls that both benchmarks make: the same functions, argument texts
// and NUMERIC DIGITS natively (Google Benchmark) and under Wine (calls per
// second through the real DLL).
#pragma once

#include "fake_host.h"
#include "host_interface.h"

struct BenchCase {
  const char *function; // name in the function directory
  const char *length;   // "short": a literal as scripts write it; "long": 32 digits
  int arg_count;
  const char *args[2];
  HostWord number; // FACT: the operand that fetch number gives
};

// Short texts are what a script's literals look like; long ones carry more
// digits than a double holds, so the conversion must look at all of them.
constexpr BenchCase kBenchCases[] = {
    {"SIN", "short", 1, {"1", nullptr}, 0},
    {"SIN", "long", 1, {"1.2345678901234567890123456789012", nullptr}, 0},
    {"LOG", "short", 1, {"2", nullptr}, 0},
    {"LOG", "long", 1, {"12345.678901234567890123456789012", nullptr}, 0},
    {"EXP", "short", 1, {"1", nullptr}, 0},
    {"EXP", "long", 1, {"-3.3333333333333333333333333333333", nullptr}, 0},
    {"ASINH", "short", 1, {"0.5", nullptr}, 0},
    {"ATANH", "short", 1, {"0.5", nullptr}, 0},
    {"ACOSH", "short", 1, {"2", nullptr}, 0},
    {"POW", "short", 2, {"2", "10"}, 0},
    {"POW", "long", 2, {"1.0123456789012345678901234567890", "123.45678901234567890123456789012"}, 0},
    {"ATAN", "short", 1, {"1", nullptr}, 0},
    {"ATAN", "long", 2, {"1.2345678901234567890123456789012", "-9.8765432109876543210987654321098"}, 0},
    {"SQRT", "short", 1, {"2", nullptr}, 0},
    {"SQRT", "long", 1, {"12345.678901234567890123456789012", nullptr}, 0},
    // FACT takes a whole number: 7 stays in 32 bits, 170 is the largest
    // factorial a double holds and goes through the number text.
    {"FACT", "short", 1, {"7", nullptr}, 7},
    {"FACT", "long", 1, {"170", nullptr}, 170},
    {"PI", "none", 0, {nullptr, nullptr}, 0},
};

constexpr int kBenchCaseCount = sizeof kBenchCases / sizeof kBenchCases[0];
constexpr HostWord kBenchDigits[] = {9, 17};

// Puts a case's arguments, digits and number into the fake host.
inline void Prepare(fake_host::FakeHost &host, const BenchCase &c, HostWord digits) {
  host.arg_count = c.arg_count;
  for (int i = 0; i < c.arg_count; ++i) host.args[i] = c.args[i];
  host.digits = digits;
  host.number = c.number;
}
