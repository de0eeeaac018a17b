#include "seams.h"

#include <gtest/gtest.h>

#include "support.h"
#include "uninstaller.h"

extern "C" BOOLEAN WINAPI SystemFunction036(PVOID buffer, ULONG length);

namespace test {

const char SystemTemp[] = "C:\\windows\\Temp\\";

static Token token = Token::Limited;
static std::vector<std::string> draws;
static size_t drawn = 0;
static bool randomFails = false;
static bool refuseStarts = false;
static Start lastStart;

void AnswerToken(Token answer) { token = answer; }

void DrawRandom(const std::vector<std::string> &values) {
  draws = values;
  drawn = 0;
  randomFails = false;
}

void FailRandom() { randomFails = true; }

void RefuseStarts(bool refuse) { refuseStarts = refuse; }

Start LastStart() { return lastStart; }

void ResetSeams() {
  token = Token::Limited;
  DrawRandom({});
  refuseStarts = false;
  lastStart = Start();
}

std::set<std::string> SystemScripts() {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((std::string(SystemTemp) + "tessarim-*.bat").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.insert(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

bool StartProgram(const std::wstring &program, const std::wstring &folder, bool limited,
                  PROCESS_INFORMATION *process) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  std::wstring commandLine = L"\"" + program + L"\"";
  if (!limited)
    return CreateProcessW(program.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(),
                          &startup, process);
  HANDLE own = NULL;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own)) return false;
  TOKEN_LINKED_TOKEN linked = {};
  DWORD size = 0;
  BOOL got = GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size);
  CloseHandle(own);
  if (!got) return false;
  TOKEN_ELEVATION elevation = {};
  GetTokenInformation(linked.LinkedToken, TokenElevation, &elevation, sizeof elevation, &size);
  EXPECT_EQ(elevation.TokenIsElevated, 0u) << "the linked token is not the limited one";
  BOOL started = CreateProcessAsUserW(linked.LinkedToken, program.c_str(), &commandLine[0], NULL, NULL, FALSE,
                                      0, NULL, folder.c_str(), &startup, process);
  CloseHandle(linked.LinkedToken);
  return started;
}

} // namespace test

bool AskElevation(DWORD *elevated) {
  if (test::token == test::Token::Unanswered) return false;
  *elevated = test::token == test::Token::Elevated;
  return true;
}

bool RandomBytes(void *buffer, ULONG size) {
  if (test::randomFails) return false;
  if (test::draws.empty()) return SystemFunction036(buffer, size);
  const std::string &draw = test::draws[std::min(test::drawn++, test::draws.size() - 1)];
  EXPECT_EQ(draw.size(), size);
  memcpy(buffer, draw.data(), std::min<size_t>(size, draw.size()));
  return true;
}

BOOL StartProcess(const char *application, char *commandLine, DWORD flags, const char *folder,
                  STARTUPINFOA *startup, PROCESS_INFORMATION *process) {
  test::lastStart = {true, application != NULL, application ? application : "", commandLine,
                     test::ReadWholeFile(PathBuffer)};
  if (test::refuseStarts) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  return CreateProcessA(application, commandLine, NULL, NULL, FALSE, flags, NULL, folder, startup, process);
}
