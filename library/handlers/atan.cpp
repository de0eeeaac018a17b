// ATAN(x [, y]) = atan2(x, y): the arc tangent of x / y in the quadrant of
// the point (y, x), -pi..pi; y = 1.0 when argument 2 is empty, which makes
// one-argument ATAN the plain arc tangent, -pi/2..pi/2.     fpatan
//
// Host calls: fetch text 1 (null: 5), release it at once; fetch text 2
// (null: 5, argument 1 already released); read setting; release text 2;
// set result.
#include "handlers.h"
#include "number_text.h"
#include "numeric_sequence.h"
#include "x87.h"

TESSARIM_HANDLER(AtanHandler) {
  double x;
  const char *second;
  int precision;
  const HostWord code = FetchTwoArguments(context, arguments, &x, &second, &precision);
  if (code != kCodeOk) {
    return code;
  }
  const double y = second[0] == '\0' ? 1.0 : TextToNumber(second);
  const double result = RoundToDouble(X87Atan2(x, y));
  g_host.release_text(second);
  return SetNumberResult(context, status, result, precision);
}
