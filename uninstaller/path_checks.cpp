#include "path_checks.h"

bool AnsiLeadByte(unsigned char lead) { return IsDBCSLeadByteEx(CP_ACP, lead) != FALSE; }

bool OemLeadByte(unsigned char lead) { return IsDBCSLeadByteEx(CP_OEMCP, lead) != FALSE; }

bool SameInAnsi(const char *ansi, DWORD length, const WCHAR *wide) {
  // The used-default report exists for the single-byte and double-byte
  // code pages only; a UTF-8 ANSI code page has no best fit, and refuses
  // what it cannot carry.
  UINT codePage = GetACP();
  bool utf = codePage == CP_UTF8;
  char converted[MAX_PATH];
  BOOL usedDefault = FALSE;
  int size = WideCharToMultiByte(CP_ACP, utf ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, wide, -1,
                                 converted, MAX_PATH, nullptr, utf ? nullptr : &usedDefault);
  if (size == 0 || usedDefault || (DWORD)size != length + 1) return false;
  for (DWORD i = 0; i < length; ++i) {
    if (converted[i] != ansi[i]) return false;
  }
  return true;
}

namespace {

// Length of the folder part of a program path, its last backslash
// included; 0 for a path that cannot be acted on. GetModuleFileNameA fills
// the whole buffer only when the path did not fit: a cut path names some
// other folder. Without a backslash the path names a file in whatever the
// current folder is.
DWORD FolderPartLength(const char *path, DWORD n) {
  if (n == 0 || n >= MAX_PATH) return 0;
  return (DWORD)(LastBackslash(path, (int)n, AnsiLeadByte) + 1);
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
  int count = MultiByteToWideChar(CP_ACP, 0, ansi, (int)length, fromAnsi, MAX_PATH);
  if (count == 0 || MultiByteToWideChar(CP_OEMCP, 0, oem, (int)length, fromOem, MAX_PATH) != count)
    return false;
  for (int i = 0; i < count; ++i) {
    if (fromAnsi[i] != fromOem[i]) return false;
  }
  return true;
}
