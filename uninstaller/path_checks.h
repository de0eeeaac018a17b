// The checks a path must pass before the uninstaller acts on it, as pure
// functions of the paths: the uninstaller applies them to its own path, and
// the installer's helper (installer_check.cpp) to the paths an install
// would give it, so that nothing is installed that cannot be removed.
#pragma once

#include <windows.h>

#include "contract.h"
#include "script_text.h"

static_assert(kPathBufferSize == MAX_PATH, "the contract's path buffers are the platform's");

// Whether a byte starts a double-byte character in the ANSI code page, or
// in the OEM code page (in which the script is written).
bool AnsiLeadByte(unsigned char lead);
bool OemLeadByte(unsigned char lead);

// Writes the ANSI form of the `length` units of `wide` into `ansi` (`size`
// bytes, no zero added) and returns its length in bytes; -1 when a
// character of `wide` is missing there or would stand in by a best-fit
// look-alike (Ō read as O would name another folder), or when it does not
// fit.
int ExactAnsi(const WCHAR *wide, int length, char *ansi, int size);

// Whether the `length` bytes of `ansi` are exactly `wide` in the ANSI code
// page (ExactAnsi).
bool SameInAnsi(const char *ansi, DWORD length, const WCHAR *wide);

// Whether two paths are one name to the file system: ordinally, letter case
// ignored, on their UTF-16 forms, as the file system compares names. A
// linguistic comparison (lstrcmpiA, lstrcmpiW) calls Strasse and Straße
// equal, two folders that both exist.
bool SamePath(const WCHAR *a, int aLength, const WCHAR *b, int bLength);

// Whether a program path may be acted on: its ANSI form `path` (n bytes,
// as GetModuleFileNameA gives it in a MAX_PATH buffer) is not empty, not
// cut, holds a backslash of its own, and is exactly its wide form `wide`
// (wideLength units, as GetModuleFileNameW gives it in a MAX_PATH buffer).
bool NamesProgram(const char *path, DWORD n, const WCHAR *wide, DWORD wideLength);

// Turns the program path in `path` (n characters) into the library's path
// in place. False, with nothing usable in `path`, when the program path is
// empty, was cut, holds no backslash, or the library path would not fit
// MAX_PATH bytes.
bool MakeLibraryPath(char *path, DWORD n);

// Puts the `length` bytes of `ansi` in `oem` in the OEM code page, in which
// the command interpreter reads a batch file. False when a character has no
// exact counterpart there.
bool ToOem(const char *ansi, DWORD length, char *oem);
