// The program list's entry belongs to one installation: the folder its
// InstallLocation names. A copy of this program run from anywhere else (a
// download folder) removes what lies beside it, and must not take the
// installation that is still there out of the program list. Entries that
// name no folder, as older installers wrote them, are this program's.
#include "uninstaller.h"

namespace {

// The long form of the folder `path` in `folder` (MAX_PATH units), without
// a final backslash; its length, or 0 when it has none: the folder does
// not exist, or its long form is too long.
DWORD LongFolder(const WCHAR *path, WCHAR *folder) {
  DWORD n = GetLongPathNameW(path, folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 0;
  if (folder[n - 1] == L'\\') --n;
  return n;
}

// This program's folder, its backslash included (a drive's root keeps its
// meaning), in `folder` (MAX_PATH units).
bool ProgramFolder(WCHAR *folder) {
  DWORD n = ProgramPathW(folder);
  if (n == 0 || n >= MAX_PATH) return false;
  while (n > 0 && folder[n - 1] != L'\\') --n;
  folder[n] = 0;
  return n != 0;
}

enum class Owner { kNoneNamed, kThisFolder, kAnother };

// Whose installation the entry in the open `key` is. A location that is no
// text, cannot be read or names no existing folder is another's: this
// program's folder exists.
Owner EntryOwner(HKEY key) {
  WCHAR name[sizeof kInstallLocationValue];
  for (DWORD i = 0; i < sizeof kInstallLocationValue; ++i)
    name[i] = static_cast<WCHAR>(kInstallLocationValue[i]);
  WCHAR location[MAX_PATH];
  DWORD type = REG_NONE;
  DWORD size = sizeof location - sizeof(WCHAR);
  LONG read = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE *>(location), &size);
  if (read == ERROR_FILE_NOT_FOUND) return Owner::kNoneNamed;
  if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return Owner::kAnother;
  location[size / sizeof(WCHAR)] = 0;

  WCHAR program[MAX_PATH];
  WCHAR locationLong[MAX_PATH];
  WCHAR programLong[MAX_PATH];
  DWORD locationLength = LongFolder(location, locationLong);
  DWORD programLength = ProgramFolder(program) ? LongFolder(program, programLong) : 0;
  if (locationLength == 0 || programLength == 0) return Owner::kAnother;
  return SamePath(locationLong, static_cast<int>(locationLength), programLong,
                  static_cast<int>(programLength))
             ? Owner::kThisFolder
             : Owner::kAnother;
}

} // namespace

void RemoveUninstallEntry() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
  Owner owner = EntryOwner(key);
  RegCloseKey(key);
  if (owner != Owner::kAnother) RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
}
