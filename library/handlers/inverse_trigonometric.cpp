// ACOS, ASIN: the C library's acos and asin, NaN outside [-1, 1]
// (library_edges.h). ATAN has its own sequence (atan.cpp).
#include "handlers.h"
#include "library_edges.h"
#include "numeric_sequence.h"

namespace {

long double AcosFormula(double x) { return LibraryAcos(x); }
long double AsinFormula(double x) { return LibraryAsin(x); }

} // namespace

TESSARIM_HANDLER(AcosHandler) { return RunNumericSequence(context, arguments, status, AcosFormula); }
TESSARIM_HANDLER(AsinHandler) { return RunNumericSequence(context, arguments, status, AsinFormula); }
