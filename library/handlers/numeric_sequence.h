// The host-call sequence shared by the numeric handlers.
//
// One-argument handlers (all but ATAN, POW, FACT and PI):
//   fetch text 1 -> [null: return 5, nothing else called]
//   read setting 4 -> convert, compute, format -> release text -> set result
// and the status slot gets set result's value; the code is 0.
#pragma once

#include <cstddef>

#include "host_interface.h"

// A function's formula: the converted argument in, the unrounded extended
// value out. The sequence rounds it to a double (RoundToDouble) once.
using Formula = long double (*)(double x);

HostWord RunNumericSequence(void *context, void *arguments, HostWord *status, Formula formula);

// NUMERIC DIGITS as a precision: the whole 32-bit setting, taken as signed;
// anything below 1 counts as 1.
int PrecisionFromSetting(HostWord setting);

// The common tail: `value` written under the number-text rules into a
// stack buffer large enough for any precision, handed to set result with
// the text flag, the status slot set, code 0. Callers release their texts
// first: set result must be the last host call.
HostWord SetNumberResult(void *context, HostWord *status, double value, int precision);

// The first steps ATAN and POW share: argument 1 fetched, converted to *x
// and released at once; argument 2 fetched into *second (the caller
// releases it); NUMERIC DIGITS read into *precision. Returns kCodeOk, or
// kCodeNoText when a fetch gave no text (argument 1 is then already
// released, and nothing else is undone).
HostWord FetchTwoArguments(void *context, void *arguments, double *x, const char **second,
                           int *precision);
