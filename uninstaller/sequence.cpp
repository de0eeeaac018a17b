// The uninstall sequence. No step looks at the result of an earlier one and
// no failure stops it; the only failure a person is told about is a library
// file that could not be deleted.
#include "uninstaller.h"

namespace {

// Deletes the platform's count of the library's users outright; it is never
// read or decremented, since the library leaves whoever else counts on it.
void RemoveSharedFileCount() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedDllsKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, PathBuffer);
  RegCloseKey(key);
}

// Deletes the first of Func0, Func1, ... that names the library. The others
// keep their names, since the host numbers them itself.
void RemoveHostListEntry() {
  // PathBuffer is the program's own wide path in the ANSI code page
  // exactly, so it converts back to the wide library path.
  WCHAR library[MAX_PATH];
  int length = MultiByteToWideChar(CP_ACP, 0, PathBuffer, -1, library, MAX_PATH);
  if (length <= 1) return;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kHostKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  HostListScan scan =
      ScanHostList(RegistryHostList(key), AsUtf16(library), static_cast<unsigned>(length - 1));
  if (scan.listed >= 0) {
    char name[kHostValueNameSize];
    HostValueName(static_cast<unsigned>(scan.listed), name);
    RegDeleteValueA(key, name);
  }
  RegCloseKey(key);
}

} // namespace

void DeleteLibraryFile() {
  if (!DeleteFileA(PathBuffer) && GetLastError() != ERROR_FILE_NOT_FOUND)
    MessageBoxA(MainWindow, PathBuffer, "Can't delete the file named:", MB_OK | MB_ICONWARNING);
  StepProgress();
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
  RemoveUninstallEntry();
  ScheduleSelfRemoval();
}
