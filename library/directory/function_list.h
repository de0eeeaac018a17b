// The one list of the library's REXX functions, in the order the host
// expects them (ascending character codes): name, handler, and the least
// and most arguments a call may pass. Each layer takes what it needs: the
// shared name block the names, the handler table the handlers and bounds.
#pragma once

// X(NAME, Handler, minimum arguments, maximum arguments)
#define TESSARIM_FUNCTIONS(X)  \
  X(ACOS, AcosHandler, 1, 1)   \
  X(ACOSH, AcoshHandler, 1, 1) \
  X(ASIN, AsinHandler, 1, 1)   \
  X(ASINH, AsinhHandler, 1, 1) \
  X(ATAN, AtanHandler, 1, 2)   \
  X(ATANH, AtanhHandler, 1, 1) \
  X(CEIL, CeilHandler, 1, 1)   \
  X(COS, CosHandler, 1, 1)     \
  X(COSH, CoshHandler, 1, 1)   \
  X(COTAN, CotanHandler, 1, 1) \
  X(CSC, CscHandler, 1, 1)     \
  X(EXP, ExpHandler, 1, 1)     \
  X(FACT, FactHandler, 1, 1)   \
  X(FLOOR, FloorHandler, 1, 1) \
  X(LOG, LogHandler, 1, 1)     \
  X(LOG10, Log10Handler, 1, 1) \
  X(PI, PiHandler, 0, 0)       \
  X(POW, PowHandler, 2, 2)     \
  X(ROUND, RoundHandler, 1, 1) \
  X(SEC, SecHandler, 1, 1)     \
  X(SIN, SinHandler, 1, 1)     \
  X(SINH, SinhHandler, 1, 1)   \
  X(SQRT, SqrtHandler, 1, 1)   \
  X(TAN, TanHandler, 1, 1)     \
  X(TANH, TanhHandler, 1, 1)
