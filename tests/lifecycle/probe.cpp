// The lifecycle test's hands inside Wine: what a Linux-side script cannot
// do through wine's own tools without losing detail.
//   probe run COMMAND-LINE   runs it as the platform would (CreateProcessW
//                            with no module name, so that a folder name
//                            outside the ANSI code page arrives whole) and
//                            exits with its code
//   probe codepages          prints the ANSI and the OEM code page
//   probe uninstall-key volatile|lasting
//                            recreates the key that holds the uninstall
//                            entries, empty, volatile or not: under a
//                            volatile key no lasting key can be made
//   probe dump               prints the install's registry entries, one
//                            "key|name|type|data" line each, in UTF-8
//   probe ok-button CAPTION  waits for that dialog and prints the screen
//                            position of its OK button's centre
//   probe put NAME=text:DATA NAME=number:N NAME=fill:N ...
//                            writes host-list values (fill: Func0 to
//                            FuncN-1, each naming C:\taken\N.dll), also
//                            NAME=multi:DATA and NAME=binary:DATA
//   probe clear [NAME=KIND:DATA ...]
//                            deletes the host list, the uninstall entry
//                            and every shared-file count (the prefix is
//                            the test's own), then puts the values given
//   probe temp               prints the temporary folder
//   probe count PATH N       sets the shared-file count of PATH to N
//   probe short PATH         prints the short (8.3) form of a path
//   probe press CAPTION ID   waits for a dialog with that caption and a
//                            control ID, and clicks it (BM_CLICK)
//   probe answer-box CAPTION waits for a message box with that caption,
//                            prints its text (UTF-8) and presses its OK
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "window_watch.h"

namespace {

const char kHostKey[] = "Software\\Quorvant";
const char kSharedKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kUninstallParent[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessarim";
constexpr DWORD kDialogWaitMilliseconds = 60000;

int Run() {
  // The wide arguments: the C runtime's would pass through the ANSI code
  // page.
  int count = 0;
  wchar_t **arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr || count != 3) return 255;
  wchar_t line[4096];
  _snwprintf(line, sizeof line / sizeof line[0] - 1, L"%ls", arguments[2]);
  line[sizeof line / sizeof line[0] - 1] = 0;
  LocalFree(arguments);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "probe: cannot start the command (error %lu)\n", GetLastError());
    return 255;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 255;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return static_cast<int>(code);
}

// The key of the uninstall entries, recreated empty with `options`.
int RecreateUninstallKey(DWORD options) {
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallParent);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallParent);
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallParent, 0, nullptr, options, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return 1;
  RegCloseKey(key);
  return 0;
}

// In UTF-8, so that every letter reads back as the registry holds it.
std::string Utf8(const wchar_t *wide) {
  char text[4096];
  int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, sizeof text, nullptr, nullptr);
  return size > 0 ? std::string(text, size - 1) : std::string();
}

void DumpKey(HKEY root, const char *root_name, const char *path) {
  HKEY key;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  std::printf("%s\\%s|||\n", root_name, path); // the key exists
  for (DWORD i = 0;; ++i) {
    wchar_t name[1024];
    DWORD name_size = sizeof name / sizeof name[0];
    wchar_t data[1024];
    DWORD data_size = sizeof data - sizeof data[0];
    DWORD type = 0;
    if (RegEnumValueW(key, i, name, &name_size, nullptr, &type, reinterpret_cast<BYTE *>(data), &data_size) !=
        ERROR_SUCCESS)
      break;
    data[data_size / sizeof data[0]] = 0;
    std::string shown = Utf8(name);
    if (type == REG_DWORD && data_size == 4) {
      DWORD value;
      std::memcpy(&value, data, 4);
      std::printf("%s\\%s|%s|REG_DWORD|%lu\n", root_name, path, shown.c_str(), value);
    } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
      std::printf("%s\\%s|%s|%s|%s\n", root_name, path, shown.c_str(),
                  type == REG_SZ ? "REG_SZ" : "REG_EXPAND_SZ", Utf8(data).c_str());
    } else {
      std::printf("%s\\%s|%s|type %lu|%lu bytes\n", root_name, path, shown.c_str(), type, data_size);
    }
  }
  RegCloseKey(key);
}

int OkButton(const char *caption) {
  HWND dialog = window_watch::WaitForDialog({caption, 0, IDOK}, kDialogWaitMilliseconds);
  RECT r;
  if (dialog == nullptr || !GetWindowRect(GetDlgItem(dialog, IDOK), &r)) {
    std::fprintf(stderr, "probe: no dialog \"%s\"\n", caption);
    return 1;
  }
  std::printf("%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  return 0;
}

// A visible top-level dialog with this caption that holds control `id`.
HWND WaitForDialogWith(const char *caption, int id) {
  HWND dialog = window_watch::WaitForDialog({caption, 0, id}, kDialogWaitMilliseconds);
  if (dialog == nullptr) std::fprintf(stderr, "probe: no dialog \"%s\" with control %d\n", caption, id);
  return dialog;
}

int Press(const char *caption, int id) {
  HWND dialog = WaitForDialogWith(caption, id);
  if (dialog == nullptr) return 1;
  PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
  return 0;
}

int AnswerBox(const char *caption) {
  HWND box = WaitForDialogWith(caption, window_watch::kMessageBoxText);
  if (box == nullptr) return 1;
  // In UTF-8, so that any folder's name in it reads back.
  wchar_t wide[1024];
  GetDlgItemTextW(box, window_watch::kMessageBoxText, wide, sizeof wide / sizeof wide[0]);
  char text[4096];
  int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, sizeof text, nullptr, nullptr);
  if (size > 0) std::fwrite(text, 1, size - 1, stdout);
  std::printf("\n");
  PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  return 0;
}

bool PutHostValue(HKEY key, const char *name, DWORD type, const void *data, DWORD size) {
  return RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size) == ERROR_SUCCESS;
}

// A value of `type` holding the text `utf8` in UTF-16; REG_BINARY holds its
// ANSI bytes and zero, which a reader through the A functions takes for it.
bool PutText(HKEY key, const char *name, DWORD type, const char *utf8) {
  wchar_t wide[2048];
  int units = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 2047);
  if (units == 0) return false;
  if (type == REG_BINARY) {
    char ansi[4096];
    int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, nullptr, nullptr);
    return size > 0 && PutHostValue(key, name, type, ansi, static_cast<DWORD>(size));
  }
  if (type == REG_MULTI_SZ) wide[units++] = 0;
  wchar_t wide_name[256];
  MultiByteToWideChar(CP_UTF8, 0, name, -1, wide_name, 256);
  return RegSetValueExW(key, wide_name, 0, type, reinterpret_cast<const BYTE *>(wide),
                        static_cast<DWORD>(units * sizeof wide[0])) == ERROR_SUCCESS;
}

// One NAME=KIND:DATA argument of put, in UTF-8.
bool Put(HKEY key, const char *argument) {
  char name[256];
  const char *equals = std::strchr(argument, '=');
  if (equals == nullptr || equals - argument >= static_cast<int>(sizeof name)) return false;
  std::memcpy(name, argument, equals - argument);
  name[equals - argument] = '\0';
  const char *value = equals + 1;
  if (std::strncmp(value, "text:", 5) == 0) return PutText(key, name, REG_SZ, value + 5);
  if (std::strncmp(value, "multi:", 6) == 0) return PutText(key, name, REG_MULTI_SZ, value + 6);
  if (std::strncmp(value, "binary:", 7) == 0) return PutText(key, name, REG_BINARY, value + 7);
  if (std::strncmp(value, "number:", 7) == 0) {
    DWORD n = static_cast<DWORD>(std::strtoul(value + 7, nullptr, 10));
    return PutHostValue(key, name, REG_DWORD, &n, sizeof n);
  }
  if (std::strncmp(value, "fill:", 5) == 0) {
    int count = std::atoi(value + 5);
    for (int i = 0; i < count; ++i) {
      char each[32], path[64];
      std::snprintf(each, sizeof each, "Func%d", i);
      std::snprintf(path, sizeof path, "C:\\taken\\%d.dll", i);
      if (!PutHostValue(key, each, REG_SZ, path, static_cast<DWORD>(std::strlen(path) + 1))) return false;
    }
    return true;
  }
  return false;
}

// The arguments from `first` on, from the wide command line in UTF-8: the C
// runtime's pass through the ANSI code page, which lacks letters.
std::vector<std::string> WideArguments(int first) {
  int count = 0;
  wchar_t **arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> out;
  for (int i = first; arguments != nullptr && i < count; ++i) out.push_back(Utf8(arguments[i]));
  LocalFree(arguments);
  return out;
}

int PutAll(const std::vector<std::string> &arguments) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kHostKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return 1;
  int failures = 0;
  for (const std::string &argument : arguments) {
    if (!Put(key, argument.c_str())) {
      std::fprintf(stderr, "probe: cannot put %s\n", argument.c_str());
      ++failures;
    }
  }
  RegCloseKey(key);
  return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
  if (argc == 3 && std::strcmp(argv[1], "run") == 0) return Run();
  if (argc == 2 && std::strcmp(argv[1], "codepages") == 0) {
    std::printf("%u %u\n", GetACP(), GetOEMCP());
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "uninstall-key") == 0)
    return RecreateUninstallKey(std::strcmp(argv[2], "volatile") == 0 ? REG_OPTION_VOLATILE : 0);
  if (argc == 2 && std::strcmp(argv[1], "dump") == 0) {
    DumpKey(HKEY_CURRENT_USER, "HKCU", kHostKey);
    DumpKey(HKEY_LOCAL_MACHINE, "HKLM", kSharedKey);
    DumpKey(HKEY_LOCAL_MACHINE, "HKLM", kUninstallKey);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "ok-button") == 0) return OkButton(argv[2]);
  if (argc >= 2 && std::strcmp(argv[1], "put") == 0) return PutAll(WideArguments(2));
  if (argc >= 2 && std::strcmp(argv[1], "clear") == 0) {
    RegDeleteTreeA(HKEY_CURRENT_USER, kHostKey);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallKey);
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
      // Counts left by an earlier run under any form of the path.
      char name[1024];
      DWORD size = sizeof name;
      while (RegEnumValueA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
             RegDeleteValueA(key, name) == ERROR_SUCCESS)
        size = sizeof name;
      RegCloseKey(key);
    }
    return argc > 2 ? PutAll(WideArguments(2)) : 0;
  }
  if (argc == 4 && std::strcmp(argv[1], "press") == 0) return Press(argv[2], std::atoi(argv[3]));
  if (argc == 3 && std::strcmp(argv[1], "answer-box") == 0) return AnswerBox(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "short") == 0) {
    char path[MAX_PATH];
    DWORD n = GetShortPathNameA(argv[2], path, sizeof path);
    if (n == 0 || n >= sizeof path) return 1;
    std::printf("%s\n", path);
    return 0;
  }
  if (argc == 4 && std::strcmp(argv[1], "count") == 0) {
    DWORD n = static_cast<DWORD>(std::strtoul(argv[3], nullptr, 0));
    return RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSharedKey, argv[2], REG_DWORD, &n, sizeof n) == ERROR_SUCCESS
               ? 0
               : 1;
  }
  if (argc == 2 && std::strcmp(argv[1], "temp") == 0) {
    char path[MAX_PATH];
    GetTempPathA(sizeof path, path);
    std::printf("%s\n", path);
    return 0;
  }
  std::fprintf(stderr, "probe: unknown command\n");
  return 2;
}
