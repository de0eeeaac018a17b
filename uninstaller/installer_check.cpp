// tessarim-check.dll: the uninstaller's own checks, lent to the installer,
// which calls them through its System plug-in before anything is written.
// A folder is accepted only when the uninstaller placed in it would act on
// its own path and could remove itself and the folder; a host-list number
// only where the uninstaller's scan reaches it. No runtime, as the
// uninstaller: its entry point does nothing.
#include "host_list_registry.h"
#include "path_checks.h"

namespace {

// The script's text while it is tried; kept off the stack, which grows
// without probes here.
char g_script_text[kScriptTextCapacity];

// A temporary folder of the usual kind, standing for the one the
// uninstaller will use: the folder rule is about the program's own path.
const char kSampleScript[] = "C:\\Temp\\tessarim.bat";
// Likewise the system folder's ping, which the script names.
const char kSamplePing[] = "C:\\Windows\\System32\\ping.exe";

// Writes `folder` + "\" + `name` into `wide` (MAX_PATH units); its length,
// or MAX_PATH when it does not fit.
DWORD JoinWide(const WCHAR *folder, const char *name, WCHAR *wide) {
  DWORD length = 0;
  for (; folder[length] != 0; ++length) {
    if (length + 1 >= MAX_PATH) return MAX_PATH;
    wide[length] = folder[length];
  }
  if (length > 0 && wide[length - 1] != L'\\') wide[length++] = L'\\';
  for (const char *c = name; *c != 0; ++c) {
    if (length + 1 >= MAX_PATH) return MAX_PATH;
    wide[length++] = static_cast<WCHAR>(*c);
  }
  wide[length] = 0;
  return length;
}

// The ANSI form the platform gives a program at `wide`, as
// GetModuleFileNameA would (a best-fit letter stands in where there is
// none); its length in bytes, MAX_PATH or more when it would be cut.
DWORD PlatformAnsi(const WCHAR *wide, DWORD wideLength, char *ansi, DWORD size) {
  int n = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(wideLength), ansi, static_cast<int>(size) - 1,
                              nullptr, nullptr);
  if (n <= 0) return size;
  ansi[n] = 0;
  return static_cast<DWORD>(n);
}

// One path of the installation (`name` in `folder`) as the uninstaller
// would meet it: its ANSI form goes to `ansi` (2 * MAX_PATH bytes).
Verdict CheckPath(const WCHAR *folder, const char *name, char *ansi, DWORD *n) {
  WCHAR wide[MAX_PATH];
  DWORD wideLength = JoinWide(folder, name, wide);
  if (wideLength >= MAX_PATH) return kFolderTooLong;
  *n = PlatformAnsi(wide, wideLength, ansi, 2 * MAX_PATH);
  if (*n >= MAX_PATH) return kFolderTooLong;
  if (!SameInAnsi(ansi, *n, wide)) return kFolderNotInAnsi;
  return NamesProgram(ansi, *n, wide, wideLength) ? kFolderAccepted : kFolderTooLong;
}

} // namespace

extern "C" int WINAPI FolderVerdict(const WCHAR *folder) {
  char program[2 * MAX_PATH];
  char library[2 * MAX_PATH];
  DWORD programLength = 0;
  DWORD libraryLength = 0;
  Verdict verdict = CheckPath(folder, kUninstallerFileName, program, &programLength);
  if (verdict == kFolderAccepted) verdict = CheckPath(folder, kLibraryFileName, library, &libraryLength);
  if (verdict != kFolderAccepted) return verdict;
  char oem[MAX_PATH];
  if (!ToOem(program, programLength, oem)) return kFolderNotInScript;
  if (MakeScriptText(oem, programLength, kSamplePing, sizeof kSamplePing - 1, kSampleScript,
                     sizeof kSampleScript - 1, g_script_text, sizeof g_script_text, OemLeadByte) == 0)
    return kFolderNotInScript;
  // The library's path as the uninstaller derives it from its own.
  if (!MakeLibraryPath(program, programLength) || lstrcmpA(program, library) != 0) return kFolderTooLong;
  return kFolderAccepted;
}

// The number of the host-list value that names `library` after the
// install: where the uninstaller's scan finds it already (*listed 1), or
// the missing number where the scan ends (*listed 0), which the installer
// writes. -1 when the list cannot take the library: every number taken, or
// the scan ends at a value it cannot read, so that neither the uninstaller
// nor the interpreter would reach an entry written after it.
extern "C" int WINAPI HostListEntry(const WCHAR *library, int *listed) {
  *listed = 0;
  int length = lstrlenW(library);
  if (length + 1 > static_cast<int>(kPathBufferSize)) return -1;
  HKEY key;
  LONG opened = RegOpenKeyExA(HKEY_CURRENT_USER, kHostKey, 0, KEY_READ, &key);
  if (opened == ERROR_FILE_NOT_FOUND) return 0;
  if (opened != ERROR_SUCCESS) return -1;
  HostListScan scan = ScanHostList(RegistryHostList(key), AsUtf16(library), static_cast<unsigned>(length));
  RegCloseKey(key);
  if (scan.listed >= 0) {
    *listed = 1;
    return scan.listed;
  }
  return scan.endsAtGap ? static_cast<int>(scan.end) : -1;
}

extern "C" BOOL WINAPI CheckEntry(HINSTANCE, DWORD, LPVOID) { return TRUE; }
