#include "uninstaller.h"

DWORD ProgramPath(char* buffer)
{
    return GetModuleFileNameA(NULL, buffer, MAX_PATH);
}
