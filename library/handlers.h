// The 25 REXX function handlers, one per entry of the function directory.
// Each has the handler signature: (call context, argument list, status
// slot) -> code, and talks to the host only through g_host.
//
// Where the plain formulas would give a plainly wrong answer, the handlers
// do better (these hold over the member formulas):
//  1. Digits: P is the whole NUMERIC DIGITS setting, below 1 counts as 1.
//     P of 17 or more still shows at most 17 significant digits, and the
//     fixed form is used while X < P (1e100 at 120 digits is a 1 and 100
//     zeros). Settings 0 to 99 behave as the plain "%.<d>g" rules.
//  2. A result longer than the 60-byte result buffer is formed whole in a
//     larger stack buffer: nothing is cut, nothing written past a buffer.
//  3. PI: at 50 digits or more the whole 50-character text; below 1 the
//     text "3". Never a byte beyond the stored text.
//  4. FACT: 0 to 12 as a whole number the host renders (flags 0x80000000).
//     From 13 on, n! correctly rounded to a double, written under the
//     number-text rules at the script's digits (FACT(13) at 9 digits is
//     6.2270208e+009, at 10 digits 6227020800; FACT(20) at 9 digits
//     2.43290201e+018; FACT(170) at 9 digits 7.25741562e+306); from 171 on
//     "1.#INF". No loop runs more than 170 steps: FACT(4294967295) answers
//     at once.
//  5. SIN, COS, TAN, COTAN, CSC, SEC of every finite |x| > pi/4: the
//     library reduces the argument exactly itself, x = k * pi/2 + r, and
//     the x87 operations see only |r| <= pi/4 (their own reduction uses a
//     66-bit pi and stops at 2^63). Results are within an ulp of the true
//     function of the double's exact value, COTAN within two: SIN(1e15) is
//     0.858272793, SIN(1e22) -0.85220085 at 9 digits. |x| <= pi/4 uses the
//     x87 operations as they are.
//  6. ROUND rounds exactly, halves up: floor(x), plus 1 when x - floor(x)
//     is at least one half (computed exactly); whole numbers come back
//     unchanged. ROUND(0.49999999999999994) is 0, ROUND(4503599627370497)
//     is 4503599627370497; ROUND(2.5) is 3, ROUND(-2.5) -2, ROUND(-0.5) 0.
//  7. ASINH of negative x is -ASINH(-x) (ASINH(-1e10) is -23.7189981 at 9
//     digits); zero and positive x use ln(x + sqrt(x*x + 1)) as written.
//  8. EXP(+inf) is "1.#INF" and EXP(-inf) is 0.
//  9. Everything else follows the member formulas, including what may look
//     odd but is intended: POW with an empty exponent gives 1, POW(1, 1e999)
//     gives "-1.#IND", CEIL(-0.5) gives 0, a text that is no number
//     converts to 0. The library members' edge results (acos/asin outside
//     [-1, 1], sinh/cosh overflow, every pow case with zeros, infinities,
//     negative bases and |x| = 1 with an infinite y) are enforced by the
//     library itself, since C runtimes disagree on some (a C99 runtime
//     gives pow(1, inf) = 1; here it is a NaN).
#pragma once

#include "host_interface.h"

#define TESSARIM_HANDLER(name) HostWord TESSARIM_CALL name(void *context, void *arguments, HostWord *status)

TESSARIM_HANDLER(AcosHandler);
TESSARIM_HANDLER(AcoshHandler);
TESSARIM_HANDLER(AsinHandler);
TESSARIM_HANDLER(AsinhHandler);
TESSARIM_HANDLER(AtanHandler);
TESSARIM_HANDLER(AtanhHandler);
TESSARIM_HANDLER(CeilHandler);
TESSARIM_HANDLER(CosHandler);
TESSARIM_HANDLER(CoshHandler);
TESSARIM_HANDLER(CotanHandler);
TESSARIM_HANDLER(CscHandler);
TESSARIM_HANDLER(ExpHandler);
TESSARIM_HANDLER(FactHandler);
TESSARIM_HANDLER(FloorHandler);
TESSARIM_HANDLER(LogHandler);
TESSARIM_HANDLER(Log10Handler);
TESSARIM_HANDLER(PiHandler);
TESSARIM_HANDLER(PowHandler);
TESSARIM_HANDLER(RoundHandler);
TESSARIM_HANDLER(SecHandler);
TESSARIM_HANDLER(SinHandler);
TESSARIM_HANDLER(SinhHandler);
TESSARIM_HANDLER(SqrtHandler);
TESSARIM_HANDLER(TanHandler);
TESSARIM_HANDLER(TanhHandler);
