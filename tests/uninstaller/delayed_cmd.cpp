// A stand-in for the command interpreter, for COMSPEC: runs Wine's cmd with
// delayed expansion switched on (cmd /V:ON) and this program's own
// arguments, and ends with its exit code. Wine's cmd ignores the registry
// value that switches delayed expansion on for every command interpreter;
// with COMSPEC naming this program, a batch file started by CreateProcess
// runs as it would on a machine that sets that value.
// With TESSARIM_COMSPEC_RECORD naming a file, it first writes its command
// line there: a test sees that COMSPEC ran.
#include <windows.h>

#include <string>

int main() {
  // The arguments as they came: the command line less this program's
  // own name, quoted or not.
  const wchar_t *line = GetCommandLineW();
  if (*line == L'"') {
    ++line;
    while (*line != 0 && *line != L'"') ++line;
    if (*line == L'"') ++line;
  } else {
    while (*line != 0 && *line != L' ' && *line != L'\t') ++line;
  }
  wchar_t record[MAX_PATH];
  if (GetEnvironmentVariableW(L"TESSARIM_COMSPEC_RECORD", record, MAX_PATH) - 1u < MAX_PATH - 1u) {
    HANDLE file = CreateFileW(record, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, GetCommandLineW(), lstrlenW(GetCommandLineW()) * sizeof(wchar_t), &written, nullptr);
    CloseHandle(file);
  }
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  std::wstring commandLine = L"\"" + std::wstring(system) + L"\\cmd.exe\" /V:ON" + line;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return 99;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return static_cast<int>(code);
}
