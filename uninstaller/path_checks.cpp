#include "path_checks.h"

bool AnsiLeadByte(unsigned char lead) { return IsDBCSLeadByteEx(CP_ACP, lead) != FALSE; }

bool OemLeadByte(unsigned char lead) { return IsDBCSLeadByteEx(CP_OEMCP, lead) != FALSE; }

int ExactAnsi(const WCHAR *wide, int length, char *ansi, int size) {
  if (length == 0) return 0;
  // The used-default report exists for the single-byte and double-byte
  // code pages only; a UTF-8 ANSI code page has no best fit, and refuses
  // what it cannot carry.
  bool utf = GetACP() == CP_UTF8;
  BOOL usedDefault = FALSE;
  int n = WideCharToMultiByte(CP_ACP, utf ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, wide, length, ansi,
                              size, nullptr, utf ? nullptr : &usedDefault);
  return n <= 0 || usedDefault ? -1 : n;
}

bool SameInAnsi(const char *ansi, DWORD length, const WCHAR *wide) {
  char converted[MAX_PATH];
  int n = ExactAnsi(wide, lstrlenW(wide), converted, MAX_PATH);
  if (n < 0 || static_cast<DWORD>(n) != length) return false;
  for (DWORD i = 0; i < length; ++i) {
    if (converted[i] != ansi[i]) return false;
  }
  return true;
}

bool SamePath(const WCHAR *a, int aLength, const WCHAR *b, int bLength) {
  return CompareStringOrdinal(a, aLength, b, bLength, TRUE) == CSTR_EQUAL;
}

namespace {

// Length of the folder part of a program path, its last backslash
// included; 0 for a path that cannot be acted on. GetModuleFileNameA fills
// the whole buffer only when the path did not fit: a cut path names some
// other folder. Without a backslash the path names a file in whatever the
// current folder is.
DWORD FolderPartLength(const char *path, DWORD n) {
  if (n == 0 || n >= MAX_PATH) return 0;
  return static_cast<DWORD>(LastBackslash(path, static_cast<int>(n), AnsiLeadByte) + 1);
}

} // namespace

bool NamesProgram(const char *path, DWORD n, const WCHAR *wide, DWORD wideLength) {
  if (FolderPartLength(path, n) == 0 || wideLength == 0 || wideLength >= MAX_PATH) return false;
  return SameInAnsi(path, n, wide);
}

bool MakeLibraryPath(char *path, DWORD n) {
  DWORD folderLength = FolderPartLength(path, n);
  if (folderLength == 0 || folderLength + sizeof kLibraryFileName > MAX_PATH) return false;
  lstrcpyA(path + folderLength, kLibraryFileName);
  return true;
}

bool ToOem(const char *ansi, DWORD length, char *oem) {
  // CharToOemBuffA would put a look-alike in place of a missing letter, so
  // the text must convert back to itself and both must be the same
  // characters.
  CharToOemBuffA(ansi, oem, length);
  char back[MAX_PATH];
  OemToCharBuffA(oem, back, length);
  for (DWORD i = 0; i < length; ++i) {
    if (back[i] != ansi[i]) return false;
  }
  WCHAR fromAnsi[MAX_PATH];
  WCHAR fromOem[MAX_PATH];
  int count = MultiByteToWideChar(CP_ACP, 0, ansi, static_cast<int>(length), fromAnsi, MAX_PATH);
  if (count == 0 ||
      MultiByteToWideChar(CP_OEMCP, 0, oem, static_cast<int>(length), fromOem, MAX_PATH) != count)
    return false;
  for (int i = 0; i < count; ++i) {
    if (fromAnsi[i] != fromOem[i]) return false;
  }
  return true;
}
