// Whether an uninstall of a folder has not finished: its self-removal
// script still runs and would delete the uninstaller that an install puts
// there. The script deletes itself as its last step, so a script that is
// there, young enough to run still and naming this folder, means the
// uninstall is not over. A script left over from a run that was cut off
// (older than a script can live), or one that names another folder, blocks
// nothing.
#include <windows.h>

#include "contract.h"
#include "script_text.h"

namespace {

// The script gives up after its last try, about a minute after it starts
// (script_text.h), later on a busy machine at idle priority: five minutes,
// in FILETIME's 100-nanosecond units.
constexpr ULONGLONG kScriptLifetime = 5ULL * 60 * 10000000;
// A young script is given this long to finish before the install gives
// way: 20 looks, a quarter of a second apart.
constexpr int kLooks = 20;
constexpr DWORD kLookInterval = 250;

const char kFolderLine[] = "\r\nrmdir \"";

// One script's text; kept off the stack, which grows without probes here.
char g_script[kScriptTextCapacity];

ULONGLONG Ticks(const FILETIME &time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Whether the script's text names `folder` in its rmdir line; the script
// writes the folder in the OEM code page with each % doubled.
bool ScriptNames(DWORD size, const WCHAR *folder) {
  g_script[size] = 0;
  DWORD at = 0;
  for (; at < size; ++at) {
    DWORD i = 0;
    while (kFolderLine[i] != 0 && g_script[at + i] == kFolderLine[i]) ++i;
    if (kFolderLine[i] == 0) break;
  }
  if (at >= size) return false;
  char oem[kPathBufferSize];
  DWORD length = 0;
  for (DWORD i = at + sizeof kFolderLine - 1; i < size && g_script[i] != '"'; ++i) {
    if (g_script[i] == '%' && g_script[i + 1] == '%') ++i;
    if (length + 1 >= sizeof oem) return false;
    oem[length++] = g_script[i];
  }
  WCHAR wide[kPathBufferSize];
  int wideLength = MultiByteToWideChar(CP_OEMCP, 0, oem, static_cast<int>(length), wide, kPathBufferSize);
  return wideLength > 0 && CompareStringOrdinal(wide, wideLength, folder, -1, TRUE) == CSTR_EQUAL;
}

// Whether the script at `path` is young and names `folder`.
bool YoungScriptNames(const WCHAR *path, const WCHAR *folder) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILETIME written;
  DWORD size = 0;
  bool read = GetFileTime(file, nullptr, nullptr, &written) &&
              ReadFile(file, g_script, sizeof g_script - 1, &size, nullptr);
  CloseHandle(file);
  if (!read) return false;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  // A time ahead of the clock counts as young.
  if (Ticks(now) > Ticks(written) && Ticks(now) - Ticks(written) > kScriptLifetime) return false;
  return ScriptNames(size, folder);
}

// Appends the ASCII `name` to `path` at `length`; false when it does not fit.
bool Append(WCHAR *path, DWORD length, const char *name) {
  for (; *name != 0; ++name) {
    if (length + 1 >= kPathBufferSize) return false;
    path[length++] = static_cast<WCHAR>(*name);
  }
  path[length] = 0;
  return true;
}

// The user's temporary folder's script, and the system's.
bool AnyScriptNames(const WCHAR *folder) {
  WCHAR path[kPathBufferSize];
  DWORD length = GetTempPathW(kPathBufferSize, path);
  if (length > 0 && length < kPathBufferSize && Append(path, length, kScriptFileName) &&
      YoungScriptNames(path, folder))
    return true;
  length = GetSystemWindowsDirectoryW(path, kPathBufferSize);
  if (length == 0 || length >= kPathBufferSize || !Append(path, length, "\\Temp\\")) return false;
  DWORD folderLength = length + 6;
  if (!Append(path, folderLength, kFreshScriptPrefix) ||
      !Append(path, folderLength + sizeof kFreshScriptPrefix - 1, "*") ||
      !Append(path, folderLength + sizeof kFreshScriptPrefix, kFreshScriptExtension))
    return false;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(path, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool names = false;
  do {
    DWORD at = folderLength;
    for (const WCHAR *c = found.cFileName; *c != 0 && at + 1 < kPathBufferSize; ++c) path[at++] = *c;
    path[at] = 0;
    names = YoungScriptNames(path, folder);
  } while (!names && FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

} // namespace

// 1 when an uninstall of `folder` (its canonical form) is still under way
// after a short wait, 0 otherwise.
extern "C" int WINAPI RemovalPending(const WCHAR *folder) {
  for (int look = 0; look < kLooks; ++look) {
    if (!AnyScriptNames(folder)) return 0;
    Sleep(kLookInterval);
  }
  return AnyScriptNames(folder) ? 1 : 0;
}
