// The interpreter's numbered list of function libraries: the values
// Func0, Func1, ... under HKCU\Software\Quorvant, read up to the first
// missing number, each text the full path of a library. A value that is no
// text holds its number but names no library, as the installer and the
// uninstaller read it.
#pragma once

#include <windows.h>

#include "contract.h"

struct HostList {
  int count;
  char paths[kHostListSize][kPathBufferSize];
};

// Fills `list`; false with a one-line reason in `error` when a value that
// is there cannot serve (too long, unreadable) or the key cannot be read.
bool ReadHostList(HostList *list, char *error, int error_size);
