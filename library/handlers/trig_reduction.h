// Exact argument reduction for the trigonometric handlers at |x| >= 2^63,
// where fsin, fcos and fptan leave their operand unchanged.
#pragma once

struct ReducedAngle {
  int quadrant;      // k mod 4, 0..3
  long double angle; // r, |r| <= pi/4 (a hair more at the rounding edge)
};

// Finite x with |x| >= 2^63. Returns k and r with x = k * pi/2 + r, r to about 64 significant bits,
// computed from the exact value of x (Payne-Hanek). Integer arithmetic
// only, so the thread's precision control does not matter.
ReducedAngle ReduceHugeAngle(double x);

// True for the finite arguments that the processor cannot reduce.
bool NeedsExactReduction(double x);
