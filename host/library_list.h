// The interpreter's numbered list of function libraries: the text values
// Func0, Func1, ... under HKCU\Software\Quorvant, read up to the first
// missing number, each the full path of a library.
#pragma once

#include <windows.h>

constexpr int kHostListSize = 256; // Func0 to Func255

struct HostList {
  int count;
  char paths[kHostListSize][MAX_PATH];
};

// Fills `list`; false with a one-line reason in `error` when a value that
// is there cannot serve (not a text, too long) or the key cannot be read.
bool ReadHostList(HostList *list, char *error, int error_size);
