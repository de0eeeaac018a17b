// The platform's error texts for a person. FormatMessage without inserts
// (FORMAT_MESSAGE_IGNORE_INSERTS: there are no arguments to give it) leaves
// each insert as it stands, "%1 is not a valid Win32 application.", which
// means nothing to the reader. Portable, unit-tested natively.
#pragma once

// Writes `text` into `out` (`size` bytes, zero included, cut to fit) with
// `subject`, the thing the error is about, in place of each insert: % and
// a number from 1 to 99, with or without a !format! after it.
void FillInserts(const char *text, const char *subject, char *out, unsigned size);
