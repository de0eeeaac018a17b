// Facts about doubles that more than one handler relies on.
#pragma once

#include <limits>

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Every double of magnitude 2^52 or more is whole.
constexpr double kAllWhole = 0x1p52;
