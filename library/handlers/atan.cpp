// ATAN(x [, y]) = atan2(x, y): the arc tangent of x / y in the quadrant of
// the point (y, x), -pi..pi; y = 1.0 when argument 2 is empty, which makes
// one-argument ATAN the plain arc tangent, -pi/2..pi/2.     fpatan
#include "handlers.h"
#include "number_text.h"
#include "numeric_sequence.h"
#include "x87.h"

namespace {

long double AtanFormula(double x, const char *second) {
  const double y = second[0] == '\0' ? 1.0 : TextToNumber(second);
  return X87Atan2(x, y);
}

} // namespace

TESSARIM_HANDLER(AtanHandler) { return RunTwoArgumentSequence(context, arguments, status, AtanFormula); }
