// Handlers as the library computed them before, kept only as the
// benchmarks' baselines for what the later, exact forms cost; their digits
// are the old, wrong ones.
//
//   SIN    the x87's fsin straight on x below 2^63, with the processor's
//          own reduction (before every argument above pi/4 was reduced
//          exactly);
//   EXP, ASINH, ATANH, ACOSH   the plain formulas under the caller's
//          53-bit precision (before they were held to one ulp).
#pragma once

#include "host_interface.h"

struct PreviousHandler {
  const char *function;
  HandlerFn handler;
  double cost_target; // the handler may cost at most this times the previous one
  const char *target_text;
};

// The previous handler of the named function; null when it has none.
const PreviousHandler *FindPreviousHandler(const char *function);
