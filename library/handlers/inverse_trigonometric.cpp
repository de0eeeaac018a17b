// ACOS, ASIN: the C runtime's acos and asin. Outside [-1, 1] (infinities
// included) the result is the default NaN, settled here since C runtimes
// differ there. ATAN has its own sequence (atan.cpp).
#include <cmath>

#include "handlers.h"
#include "numeric_sequence.h"
#include "x87.h"

namespace {

long double AcosFormula(double x) { return std::fabs(x) <= 1.0 ? std::acos(x) : DefaultNaN(); }
long double AsinFormula(double x) { return std::fabs(x) <= 1.0 ? std::asin(x) : DefaultNaN(); }

} // namespace

TESSARIM_ONE_ARGUMENT_HANDLER(AcosHandler, AcosFormula)
TESSARIM_ONE_ARGUMENT_HANDLER(AsinHandler, AsinFormula)
