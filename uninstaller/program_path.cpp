#include "uninstaller.h"

DWORD ProgramPath(char *buffer) { return GetModuleFileNameA(nullptr, buffer, MAX_PATH); }

DWORD ProgramPathW(WCHAR *buffer) { return GetModuleFileNameW(nullptr, buffer, MAX_PATH); }
