// The last step of the sequence. A running program cannot delete its own
// executable, so it leaves that to a batch script which retries until the
// program has exited, then removes the folder if empty, then itself.
#include "uninstaller.h"

#include <commctrl.h>

// Room left after the temporary folder for "tessarim.bat" and its zero.
static const DWORD TempPathLimit = MAX_PATH - sizeof LibraryFileName;

// Fills a structure byte by byte: the program links no memset.
static void ZeroBytes(void* block, DWORD size)
{
    BYTE* bytes = (BYTE*)block;
    for (DWORD i = 0; i < size; ++i)
        bytes[i] = 0;
}

// Puts the script path in PathBuffer: the temporary folder and the library's
// file name with the extension "bat". False when the folder is unknown or
// too long to leave room for the name.
static bool MakeScriptPath()
{
    DWORD length = GetTempPathA(TempPathLimit, PathBuffer);
    if (length == 0 || length >= TempPathLimit)
        return false;
    lstrcpyA(PathBuffer + length, LibraryFileName);
    lstrcpyA(PathBuffer + length + 9, "bat");
    return true;
}

void MakeScriptCommandLine(const char* scriptPath, char* commandLine)
{
    for (const char* c = scriptPath; *c != 0; ++c) {
        if (*c == ' ') {
            // Unquoted, the platform would take the text before the blank
            // for the program to run.
            commandLine[0] = '"';
            lstrcpyA(commandLine + 1, scriptPath);
            int length = lstrlenA(commandLine);
            commandLine[length] = '"';
            commandLine[length + 1] = 0;
            return;
        }
    }
    lstrcpyA(commandLine, scriptPath);
}

static void Put(HANDLE file, const char* bytes, DWORD count)
{
    DWORD written;
    WriteFile(file, bytes, count, &written, NULL);
}

#define PUT_TEXT(file, literal) Put((file), (literal), sizeof(literal) - 1)

// The five lines, each ending in CR LF, in nine writes. Short writes go
// unnoticed: the script is started all the same.
static void WriteScript(HANDLE file, const char* program, DWORD programLength)
{
    int folderLength = LastBackslash(program, (int)programLength);
    if (folderLength < 0)
        folderLength = 0;

    PUT_TEXT(file, ":Repeat\r\ndel \"");
    Put(file, program, programLength);
    PUT_TEXT(file, "\"\r\nif exist \"");
    Put(file, program, programLength);
    PUT_TEXT(file, "\" goto Repeat\r\nrmdir \"");
    Put(file, program, (DWORD)folderLength);
    PUT_TEXT(file, "\"\r\ndel \"");
    Put(file, PathBuffer, (DWORD)lstrlenA(PathBuffer));
    PUT_TEXT(file, "\"\r\n");
}

// Starts the script suspended at idle priority, and lets it run only once
// this program has raised its own priority, so that the program ends before
// the script's retries can succeed. No handle of the script is kept.
static void StartScript(STARTUPINFOA* startup)
{
    char quoted[MAX_PATH + 2];
    char* commandLine = PathBuffer;
    MakeScriptCommandLine(PathBuffer, quoted);
    if (quoted[0] == '"')
        commandLine = quoted;

    startup->cb = sizeof *startup;
    startup->dwFlags = STARTF_USESHOWWINDOW;
    startup->wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, CREATE_SUSPENDED | IDLE_PRIORITY_CLASS,
                        NULL, "\\", startup, &process))
        return;
    SetThreadPriority(process.hThread, THREAD_PRIORITY_IDLE);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    CloseHandle(process.hProcess);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
}

void ScheduleSelfRemoval()
{
    STARTUPINFOA startup;
    ZeroBytes(&startup, sizeof startup);

    // Both paths are settled before anything is written: a cut program path
    // would make the script delete some other file.
    char program[MAX_PATH];
    DWORD programLength = ProgramPath(program);
    if (programLength < MAX_PATH && MakeScriptPath()) {
        HANDLE file = CreateFileA(PathBuffer, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            WriteScript(file, program, programLength);
            CloseHandle(file);
            StartScript(&startup);
        }
    }
    SendDlgItemMessageA(MainWindow, IDC_PROGRESS, PBM_STEPIT, 0, 0);
}
