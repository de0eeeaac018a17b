#include "seams.h"

#include "support.h"
#include "uninstaller.h"

extern "C" BOOLEAN WINAPI SystemFunction036(PVOID buffer, ULONG length);

namespace test {

const char kSystemTemp[] = "C:\\windows\\Temp\\";
Seams g_seams;

std::set<std::string> SystemScripts() {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((std::string(kSystemTemp) + "tessarim-*.bat").c_str(), &found);
  for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
    names.insert(found.cFileName);
  FindClose(search);
  return names;
}

bool StartProgram(const std::wstring &program, const std::wstring &folder, bool limited,
                  PROCESS_INFORMATION *process) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  std::wstring commandLine = L"\"" + program + L"\"";
  HANDLE own = nullptr;
  TOKEN_LINKED_TOKEN linked = {};
  DWORD size = 0;
  if (limited && !(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own) &&
                   GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size)))
    return false;
  // A null token is this process's own (CreateProcessW); closing a null
  // handle does nothing.
  BOOL started = CreateProcessAsUserW(linked.LinkedToken, program.c_str(), &commandLine[0], nullptr, nullptr,
                                      FALSE, 0, nullptr, folder.c_str(), &startup, process);
  CloseHandle(linked.LinkedToken);
  CloseHandle(own);
  return started;
}

} // namespace test

bool AskElevation(DWORD *elevated) {
  *elevated = test::g_seams.token == test::Token::kElevated;
  return test::g_seams.token != test::Token::kUnanswered;
}

bool RandomBytes(void *buffer, ULONG size) {
  std::vector<std::string> &draws = test::g_seams.draws;
  if (draws.empty()) return !test::g_seams.randomFails && SystemFunction036(buffer, size);
  memcpy(buffer, draws.front().data(), size);
  if (draws.size() > 1) draws.erase(draws.begin());
  return true;
}

BOOL StartProcess(const char *application, char *commandLine, DWORD flags, const char *folder,
                  STARTUPINFOA *startup, PROCESS_INFORMATION *process) {
  test::g_seams.started = true;
  test::g_seams.application = application ? application : "<none>";
  test::g_seams.commandLine = commandLine;
  test::g_seams.script = test::ReadWholeFile(PathBuffer);
  return !test::g_seams.refuseStarts && CreateProcessA(application, commandLine, nullptr, nullptr, FALSE,
                                                       flags, nullptr, folder, startup, process);
}
