// The uninstall sequence. No step looks at the result of an earlier one and
// no failure stops it; the only failure a person is told about is a library
// file that could not be deleted.
#include "uninstaller.h"

#include <commctrl.h>

static const char SharedDllsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
static const char HostKey[] = "Software\\Quorvant";
static const char UninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessarim";

// The host keeps at most this many numbered library values, Func0 to Func255.
static const unsigned HostListSize = 256;
// "Func" and up to three digits fit with room to spare.
static const int HostValueNameSize = 20;

bool SameInAnsi(const char *ansi, DWORD length, const WCHAR *wide) {
  // The used-default report exists for the single-byte and double-byte
  // code pages only; a UTF-8 ANSI code page has no best fit, and refuses
  // what it cannot carry.
  UINT codePage = GetACP();
  bool utf = codePage == CP_UTF8;
  char converted[MAX_PATH];
  BOOL usedDefault = FALSE;
  int size = WideCharToMultiByte(CP_ACP, utf ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, wide, -1,
                                 converted, MAX_PATH, NULL, utf ? NULL : &usedDefault);
  if (size == 0 || usedDefault || (DWORD)size != length + 1) return false;
  for (DWORD i = 0; i < length; ++i) {
    if (converted[i] != ansi[i]) return false;
  }
  return true;
}

bool LastBackslashStandsAlone(const char *path, DWORD n) {
  int last = LastBackslash(path, (int)n);
  for (int i = 0; i < last; ++i) {
    if (IsDBCSLeadByte((BYTE)path[i]) && ++i == last) return false;
  }
  return true;
}

bool NamesThisProgram(const char *path, DWORD n) {
  // GetModuleFileNameA fills the whole buffer only when the path did not
  // fit: a cut path names some other folder. Without a backslash the path
  // names a file in whatever the current folder is.
  if (n == 0 || n >= MAX_PATH || LastBackslash(path, (int)n) < 0 || !LastBackslashStandsAlone(path, n))
    return false;
  WCHAR wide[MAX_PATH];
  DWORD wideLength = ProgramPathW(wide);
  if (wideLength == 0 || wideLength >= MAX_PATH) return false;
  return SameInAnsi(path, n, wide);
}

bool MakeLibraryPath(char *path, DWORD n) {
  // GetModuleFileNameA fills the whole buffer only when the path did not
  // fit: a cut path names some other folder, so it must not be acted on;
  // nor may a bare name, which names a file in the current folder.
  if (n == 0 || n >= MAX_PATH) return false;
  int backslash = LastBackslash(path, (int)n);
  if (backslash < 0) return false;
  DWORD folderLength = (DWORD)(backslash + 1);
  if (folderLength + sizeof LibraryFileName > MAX_PATH) return false;
  lstrcpyA(path + folderLength, LibraryFileName);
  return true;
}

void StepProgress() { SendDlgItemMessageA(MainWindow, IDC_PROGRESS, PBM_STEPIT, 0, 0); }

// Deletes the platform's count of the library's users outright; it is never
// read or decremented, since the library leaves whoever else counts on it.
static void RemoveSharedFileCount() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SharedDllsKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, PathBuffer);
  RegCloseKey(key);
}

void DeleteLibraryFile() {
  if (!DeleteFileA(PathBuffer) && GetLastError() != ERROR_FILE_NOT_FOUND)
    MessageBoxA(MainWindow, PathBuffer, "Can't delete the file named:", MB_OK | MB_ICONWARNING);
  StepProgress();
}

// Makes the registry data read into `data` (size bytes of a MAX_PATH
// buffer) a terminated text. Data that fills the buffer without a zero has
// no end inside it and so cannot equal any path that fits MAX_PATH.
static bool TerminateData(BYTE *data, DWORD size) {
  if (size < MAX_PATH) {
    data[size] = 0;
    return true;
  }
  for (DWORD i = 0; i < MAX_PATH; ++i) {
    if (data[i] == 0) return true;
  }
  return false;
}

// Deletes the first of Func0, Func1, ... that names the library. The list
// ends at the first value that cannot be read; the others keep their names,
// since the host numbers them itself.
static void RemoveHostListEntry() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, HostKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  for (unsigned index = 0; index < HostListSize; ++index) {
    char name[HostValueNameSize];
    wsprintfA(name, "%s%u", "Func", index);
    BYTE data[MAX_PATH];
    DWORD size = MAX_PATH;
    if (RegQueryValueExA(key, name, NULL, NULL, data, &size) != ERROR_SUCCESS) break;
    if (!TerminateData(data, size)) continue;
    if (lstrcmpiA((const char *)data, PathBuffer) == 0) {
      RegDeleteValueA(key, name);
      break;
    }
  }
  RegCloseKey(key);
}

void RunUninstall() {
  DWORD n = ProgramPath(PathBuffer);
  if (!NamesThisProgram(PathBuffer, n) || !MakeLibraryPath(PathBuffer, n)) {
    // Nothing is touched; the uninstall entry stays so that the user can
    // still find the program. The bar still ends full.
    StepProgress();
    StepProgress();
    return;
  }
  RemoveSharedFileCount();
  DeleteLibraryFile();
  RemoveHostListEntry();
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey);
  ScheduleSelfRemoval();
}
