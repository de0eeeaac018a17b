// CEIL, FLOOR, ROUND.
//
//   CEIL(x), FLOOR(x): the C runtime's ceil and floor; whole values,
//            infinities and NaNs come back unchanged without a call.
//   ROUND(x): nearest whole number, halves up: floor x, plus 1 when
//            x - floor x >= 1/2. ROUND(2.5) = 3, ROUND(-2.5) = -2,
//            ROUND(-0.5) = 0.
//
// note: floor(x + 0.5) would round the sum first and err where it is
// inexact: 0.49999999999999994 + 0.5 rounds to 1, and 2^52 + 1 + 0.5 to
// 2^52 + 2. Here the test compares x with floor x + 0.5, which is exact
// for |x| < 2^52 (a whole number below 2^52 plus a half fits 53 bits);
// from 2^52 on every double is whole and comes back unchanged, as do
// infinities.
#include <cmath>

#include "double_facts.h"
#include "handlers.h"
#include "numeric_sequence.h"

namespace {

double Floor(double x) { return std::fabs(x) < kAllWhole ? std::floor(x) : x; }

long double CeilFormula(double x) { return std::fabs(x) < kAllWhole ? std::ceil(x) : x; }
long double FloorFormula(double x) { return Floor(x); }

long double RoundFormula(double x) {
  if (!(std::fabs(x) < kAllWhole)) {
    return x;
  }
  const double below = Floor(x);
  return x >= below + 0.5 ? below + 1.0 : below;
}

} // namespace

TESSARIM_ONE_ARGUMENT_HANDLER(CeilHandler, CeilFormula)
TESSARIM_ONE_ARGUMENT_HANDLER(FloorHandler, FloorFormula)
TESSARIM_ONE_ARGUMENT_HANDLER(RoundHandler, RoundFormula)
