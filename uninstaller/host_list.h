// The scan of the interpreter's list of libraries, as the uninstaller makes
// it and the installer's helper repeats it: Func0, Func1, ... under
// HKCU\Software\Quorvant, each read with RegQueryValueExA into a MAX_PATH
// buffer, so that lengths are ANSI bytes. The scan ends at the first value
// that cannot be read: missing, or longer than the buffer. A value that is
// no text does not end it.
#pragma once

#include <windows.h>

#include "contract.h"

// Room for the prefix and up to three digits, with room to spare.
const int kHostValueNameSize = 20;

struct HostListScan {
  // The number of the first value whose text is the library's path (letter
  // case ignored), or -1 when the scan ended before one.
  int listed;
  // Where the scan ended: the first number that could not be read, or
  // kHostListSize when every number was read.
  unsigned end;
  // Whether it ended at a missing value, which the installer may write.
  bool endsAtGap;
};

// Writes the value name of number `index` into `name` (kHostValueNameSize).
void HostValueName(unsigned index, char *name);

// Scans the list in the open `key` for `library` (a zero-terminated ANSI
// path).
HostListScan ScanHostList(HKEY key, const char *library);
