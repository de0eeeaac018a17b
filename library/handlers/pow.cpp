// POW(x, y) = the C library's pow (library_edges.h settles zeros,
// infinities, negative bases and |x| = 1 with an infinite y). An empty
// second argument converts to 0, so POW(x, '') is 1.
//
// Host calls: fetch text 1 (null: 5), release it at once; fetch text 2
// (null: 5, argument 1 already released); read setting; release text 2;
// set result.
#include "handlers.h"
#include "library_edges.h"
#include "number_text.h"
#include "numeric_sequence.h"
#include "x87.h"

TESSARIM_HANDLER(PowHandler) {
  double x;
  const char *second;
  int precision;
  const HostWord code = FetchTwoArguments(context, arguments, &x, &second, &precision);
  if (code != kCodeOk) {
    return code;
  }
  const double result = RoundToDouble(LibraryPow(x, TextToNumber(second)));
  g_host.release_text(second);
  return SetNumberResult(context, status, result, precision);
}
