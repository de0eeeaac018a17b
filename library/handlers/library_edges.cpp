#include "library_edges.h"

#include <cmath>
#include <limits>

#include "x87.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Every double of magnitude 2^52 or more is whole.
constexpr double kAllWhole = 0x1p52;

// cosh and sinh exceed the double range from |x| = ln(2 * DBL_MAX) =
// 710.4758600739439...; from 711 on the result is certainly infinite.
constexpr double kHyperbolicOverflow = 711.0;

// 1 - tanh|x| = 2 / (e^2|x| + 1) < 2^-54 from |x| = 19.06 on: the double is 1.
constexpr double kTanhSaturates = 20.0;

bool IsWhole(double y) { return std::isfinite(y) && (std::fabs(y) >= kAllWhole || y == std::floor(y)); }

// y / 2 is exact, and for |y| >= 2^53 every whole y is even.
bool IsOddWhole(double y) {
  return IsWhole(y) && std::fabs(y) < 0x1p53 && std::floor(y / 2) != y / 2;
}

} // namespace

double LibraryAcos(double x) { return std::fabs(x) <= 1.0 ? std::acos(x) : DefaultNaN(); }

double LibraryAsin(double x) { return std::fabs(x) <= 1.0 ? std::asin(x) : DefaultNaN(); }

double LibraryCosh(double x) { return std::fabs(x) >= kHyperbolicOverflow ? kInfinity : std::cosh(x); }

double LibrarySinh(double x) {
  if (std::fabs(x) >= kHyperbolicOverflow) {
    return x < 0 ? -kInfinity : kInfinity;
  }
  return std::sinh(x);
}

double LibraryTanh(double x) {
  if (std::fabs(x) >= kTanhSaturates) {
    return x < 0 ? -1.0 : 1.0;
  }
  return std::tanh(x);
}

double LibraryCeil(double x) { return std::fabs(x) < kAllWhole ? std::ceil(x) : x; }

double LibraryFloor(double x) { return std::fabs(x) < kAllWhole ? std::floor(x) : x; }

double LibraryPow(double x, double y) {
  if (y == 0) {
    return 1.0;
  }
  if (std::isnan(x) || std::isnan(y)) {
    return std::pow(x, y);
  }
  if (x == 0) {
    if (y > 0) {
      return 0.0;
    }
    return std::signbit(x) && IsOddWhole(y) ? -kInfinity : kInfinity;
  }
  if (std::isinf(y)) {
    const double magnitude = std::fabs(x);
    if (magnitude == 1.0) {
      return DefaultNaN();
    }
    return (magnitude > 1.0) == (y > 0) ? kInfinity : 0.0;
  }
  if (std::isinf(x)) {
    if (y < 0) {
      return 0.0;
    }
    return x < 0 && IsOddWhole(y) ? -kInfinity : kInfinity;
  }
  if (x < 0 && !IsWhole(y)) {
    return DefaultNaN();
  }
  return std::pow(x, y);
}
