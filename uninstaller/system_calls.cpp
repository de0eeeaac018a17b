// The token's question, the random source and the process start, which the
// test program replaces with its own.
#include "uninstaller.h"

// RtlGenRandom: ADVAPI32's random source, which needs no other DLL.
extern "C" BOOLEAN WINAPI SystemFunction036(PVOID buffer, ULONG length);

bool AskElevation(DWORD *elevated) {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION answer;
  DWORD size = 0;
  BOOL asked = GetTokenInformation(token, TokenElevation, &answer, sizeof answer, &size);
  CloseHandle(token);
  if (!asked || size != sizeof answer) return false;
  *elevated = answer.TokenIsElevated;
  return true;
}

bool RandomBytes(void *buffer, ULONG size) { return SystemFunction036(buffer, size) != FALSE; }

BOOL StartProcess(const char *application, char *commandLine, DWORD flags, const char *folder,
                  STARTUPINFOA *startup, PROCESS_INFORMATION *process) {
  return CreateProcessA(application, commandLine, nullptr, nullptr, FALSE, flags, nullptr, folder, startup,
                        process);
}
