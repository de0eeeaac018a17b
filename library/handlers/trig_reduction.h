// Exact argument reduction by pi/2 for the trigonometric handlers.
//
// The processor's fsin, fcos and fptan reduce with a 66-bit pi, which
// loses digits long before they give up at 2^63 (SIN(1e15) is wrong from
// the seventh digit), and the handlers' own arithmetic runs at 53 bits. So
// every finite |x| > pi/4 is reduced here in integer arithmetic, from the
// exact value of the double: x = k * pi/2 + r with |r| <= pi/4, and the
// instructions only ever see r, where they are accurate.
//
// r is faithful: one of the two 64-bit values next to the exact
// x - k * pi/2 (error below one unit in its 64th bit), for every finite
// double, including those closest to a multiple of pi/2.
#pragma once

#include <cstdint>
#include <cstring>

struct ReducedAngle {
  int quadrant;      // k mod 4, 0..3
  long double angle; // r, |r| <= pi/4 (a hair more at the rounding edge)
};

// Bits of the largest double not above pi/4 (0x1.921FB54442D18p-1).
constexpr std::uint64_t kQuarterPiBits = 0x3FE921FB54442D18u;

// True for the finite x with |x| > pi/4: the ones to reduce first.
inline bool NeedsReduction(double x) {
  std::uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  bits &= ~(std::uint64_t{1} << 63);
  return bits > kQuarterPiBits && bits < 0x7FF0000000000000u;
}

// Finite |x| > pi/4: the moderate path below 2^63, the window path above.
ReducedAngle ReduceAngle(double x);

// pi/4 < |x| < 2^63: x times the first 192 bits of 2/pi.
ReducedAngle ReduceModerateAngle(double x);

// Any finite |x| > pi/4, used from 2^63 on: x times a 256-bit window of
// 2/pi that starts where the bits stop being multiples of 4.
ReducedAngle ReduceHugeAngle(double x);
