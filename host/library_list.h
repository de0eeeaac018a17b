// The interpreter's numbered list of function libraries: the values
// Func0, Func1, ... under HKCU\Software\Quorvant, read up to the first
// missing number by the rule the installer and the uninstaller follow
// (host_list.h): a value that names no library in the ANSI code page (no
// text, too long, a letter without an exact counterpart) holds its number
// and is stepped over.
#pragma once

#include <windows.h>

#include "contract.h"

struct HostList {
  int count;
  char paths[kHostListSize][kPathBufferSize];
};

// Fills `list`; false with a one-line reason in `error` when the key or a
// value that is there cannot be read.
bool ReadHostList(HostList *list, char *error, int error_size);
