// The records of the table of hard trigonometric arguments
// (trig_hard_cases.h, generated): the argument, its exact reduction by
// pi/2 and the true values of the six functions.
#pragma once

#include <cstdint>

// A true value as a double and what is left: value ~ nearest + residual.
struct TrigTruth {
  double nearest;
  double residual;
};

enum TrigFunction { kSin, kCos, kTan, kCotan, kCsc, kSec, kTrigFunctionCount };
constexpr const char *kTrigFunctionNames[kTrigFunctionCount] = {"SIN", "COS", "TAN", "COTAN", "CSC", "SEC"};

struct TrigHardCase {
  const char *text; // converts to exactly x
  double x;
  // x = k * pi/2 + r with |r| <= pi/4: k mod 4, and |r| truncated to 64
  // bits, |r| = (r_significand + a fraction) * 2^r_exponent.
  int quadrant;
  std::uint64_t r_significand;
  int r_exponent;
  bool r_negative;
  TrigTruth truth[kTrigFunctionCount];
};
