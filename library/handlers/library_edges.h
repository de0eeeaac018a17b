// The C library's double functions that the library members call, with
// the results at the edges fixed here rather than left to the runtime.
//
// C runtimes disagree at some edges (a C99 pow(1, inf) is 1, where our
// contract says NaN), and the DLL must answer the same on every Windows
// runtime as in the native build. So each wrapper settles the listed edge
// cases itself and calls the runtime only for ordinary arguments, where
// runtimes differ by an ulp at most.
#pragma once

// |x| > 1, infinities: NaN. Otherwise acos/asin.
double LibraryAcos(double x);
double LibraryAsin(double x);

// Beyond the double range: an infinity of the result's sign (cosh: +inf,
// sinh: the sign of x); infinite x likewise. Otherwise cosh/sinh.
double LibraryCosh(double x);
double LibrarySinh(double x);

// +-1 once |x| is large enough that the rounded result is +-1; infinities
// included. Otherwise tanh.
double LibraryTanh(double x);

// Whole values, infinities and NaNs come back unchanged (|x| >= 2^52 is
// always whole). Otherwise ceil/floor.
double LibraryCeil(double x);
double LibraryFloor(double x);

// pow(x, y):
//   y = 0                       -> 1, for every x
//   x = +-0, y > 0              -> 0
//   x = +-0, y < 0              -> +inf; -inf when x = -0 and y odd whole
//   x < 0 finite, y not whole   -> NaN
//   y = +-inf, |x| > 1          -> +inf for +inf, 0 for -inf
//   y = +-inf, |x| < 1          -> 0 for +inf, +inf for -inf
//   y = +-inf, |x| = 1          -> NaN (a C99 runtime says 1)
//   x = +inf                    -> +inf for y > 0, 0 for y < 0
//   x = -inf                    -> -inf for odd whole y > 0, +inf for other
//                                  y > 0, 0 for y < 0
// Everything else (negative x with whole y, overflow, underflow) is the
// runtime's pow.
double LibraryPow(double x, double y);
