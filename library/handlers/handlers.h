// The 25 REXX function handlers, in the order of the function list. Each
// has the handler signature (call context, argument list, status slot) ->
// code and talks to the host only through g_host. What each computes, and
// its results at the edges, is written once, in its own file.
#pragma once

#include "host_interface.h"

#define TESSARIM_HANDLER(name) HostWord TESSARIM_CALL name(void *context, void *arguments, HostWord *status)

TESSARIM_HANDLER(AcosHandler);  // arc cosine                  inverse_trigonometric.cpp
TESSARIM_HANDLER(AcoshHandler); // inverse hyperbolic cosine   hyperbolic.cpp
TESSARIM_HANDLER(AsinHandler);  // arc sine                    inverse_trigonometric.cpp
TESSARIM_HANDLER(AsinhHandler); // inverse hyperbolic sine     hyperbolic.cpp
TESSARIM_HANDLER(AtanHandler);  // arc tangent of x / y        atan.cpp
TESSARIM_HANDLER(AtanhHandler); // inverse hyperbolic tangent  hyperbolic.cpp
TESSARIM_HANDLER(CeilHandler);  // least whole number >= x     rounding.cpp
TESSARIM_HANDLER(CosHandler);   // cosine                      trigonometric.cpp
TESSARIM_HANDLER(CoshHandler);  // hyperbolic cosine           hyperbolic.cpp
TESSARIM_HANDLER(CotanHandler); // cotangent                   trigonometric.cpp
TESSARIM_HANDLER(CscHandler);   // cosecant                    trigonometric.cpp
TESSARIM_HANDLER(ExpHandler);   // e to the x                  exponential.cpp
TESSARIM_HANDLER(FactHandler);  // factorial of a whole number fact.cpp
TESSARIM_HANDLER(FloorHandler); // greatest whole number <= x  rounding.cpp
TESSARIM_HANDLER(LogHandler);   // natural logarithm           exponential.cpp
TESSARIM_HANDLER(Log10Handler); // common logarithm            exponential.cpp
TESSARIM_HANDLER(PiHandler);    // digits of pi                pi.cpp
TESSARIM_HANDLER(PowHandler);   // x to the y                  pow.cpp
TESSARIM_HANDLER(RoundHandler); // nearest whole number        rounding.cpp
TESSARIM_HANDLER(SecHandler);   // secant                      trigonometric.cpp
TESSARIM_HANDLER(SinHandler);   // sine                        trigonometric.cpp
TESSARIM_HANDLER(SinhHandler);  // hyperbolic sine             hyperbolic.cpp
TESSARIM_HANDLER(SqrtHandler);  // square root                 exponential.cpp
TESSARIM_HANDLER(TanHandler);   // tangent                     trigonometric.cpp
TESSARIM_HANDLER(TanhHandler);  // hyperbolic tangent          hyperbolic.cpp
