// Native tests, fuzzers and benchmarks run the handlers under the control
// word of a Windows thread (Linux threads start with 64-bit precision) and
// put the old word back afterwards.
#pragma once

#include <cstdint>

#include "x87.h"

class WindowsPrecision {
 public:
  WindowsPrecision() : saved_(ReadControlWord()) { WriteControlWord(kWindowsControlWord); }
  ~WindowsPrecision() { WriteControlWord(saved_); }
  WindowsPrecision(const WindowsPrecision &) = delete;
  WindowsPrecision &operator=(const WindowsPrecision &) = delete;

 private:
  std::uint16_t saved_;
};
