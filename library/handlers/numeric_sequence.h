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

// A one-argument handler: the sequence above around its formula.
#define TESSARIM_ONE_ARGUMENT_HANDLER(handler, formula) \
  TESSARIM_HANDLER(handler) { return RunNumericSequence(context, arguments, status, formula); }

// NUMERIC DIGITS as a precision: the whole 32-bit setting, taken as signed;
// anything below 1 counts as 1.
int PrecisionFromSetting(HostWord setting);

// The common tail: `value` written under the number-text rules into a
// stack buffer large enough for any precision, handed to set result with
// the text flag, the status slot set, code 0. Callers release their texts
// first: set result must be the last host call.
HostWord SetNumberResult(void *context, HostWord *status, double value, int precision);

// ATAN and POW: argument 1 converted, its text released at once; argument 2
// handed to the formula as its text, since the two read an empty one
// differently; the result rounded to a double once.
using TwoArgumentFormula = long double (*)(double x, const char *second);

// Host calls: fetch text 1 (null: 5), release it at once; fetch text 2
// (null: 5, argument 1 already released); read setting; release text 2;
// set result.
HostWord RunTwoArgumentSequence(void *context, void *arguments, HostWord *status, TwoArgumentFormula formula);
