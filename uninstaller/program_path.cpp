#include "uninstaller.h"

DWORD ProgramPath(char *buffer) { return GetModuleFileNameA(NULL, buffer, MAX_PATH); }

DWORD ProgramPathW(WCHAR *buffer) { return GetModuleFileNameW(NULL, buffer, MAX_PATH); }
