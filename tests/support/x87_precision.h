// The x87 control word as a Windows thread has it: 53-bit precision, round
// to nearest, all exceptions masked (0x27F). Linux threads start with
// 64-bit precision (0x37F), so native tests, fuzzers and benchmarks set it
// for the handlers' sake and put the old word back afterwards.
#pragma once

#include <cstdint>

constexpr std::uint16_t kWindowsControlWord = 0x27F;

inline std::uint16_t ReadControlWord() {
  std::uint16_t word;
  __asm__ __volatile__("fnstcw %0" : "=m"(word));
  return word;
}

inline void WriteControlWord(std::uint16_t word) { __asm__ __volatile__("fldcw %0" : : "m"(word)); }

class WindowsPrecision {
 public:
  WindowsPrecision() : saved_(ReadControlWord()) { WriteControlWord(kWindowsControlWord); }
  ~WindowsPrecision() { WriteControlWord(saved_); }
  WindowsPrecision(const WindowsPrecision &) = delete;
  WindowsPrecision &operator=(const WindowsPrecision &) = delete;

 private:
  std::uint16_t saved_;
};
