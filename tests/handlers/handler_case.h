// The records of the handler case tables (handler_cases.h, generated):
// function name, argument texts, NUMERIC DIGITS, expected result text.
#pragma once

#include <cstdint>

enum CaseMatch {
  kExactText, // the result text must be exactly `expected`
  kNear15,    // C runtime function: values agree to 1e-15 relative
  kX87Trig,   // exact on an x87 processor; an emulator computing fsin, fcos
              // and fptan in double precision (qemu-i386 user mode, which
              // runs 32-bit Wine where the kernel cannot) may be an ulp off
};

struct HandlerCase {
  const char *function; // name in the function directory
  int arg_count;        // argument texts served; later ones arrive empty
  const char *args[2];
  std::uint32_t digits; // what read setting 4 returns
  const char *expected;
  CaseMatch match;
};

// FACT takes its argument through fetch number. Up to 12 the host renders
// `number` (flags 0x80000000); from 13 on the result is `text`.
struct FactCase {
  std::uint32_t n;
  std::uint32_t digits;
  bool is_number;
  std::uint32_t number;
  const char *text;
};
