// The plain way to write a handler, as the baseline the library's handlers
// are measured against: the C library's strtod, the libm function and
// snprintf under "%.<digits>g", through the same host calls.
#pragma once

#include "host_interface.h"

// The naive handler for SIN, LOG, EXP, POW, ATAN or SQRT; null otherwise.
HandlerFn FindNaiveHandler(const char *name);
