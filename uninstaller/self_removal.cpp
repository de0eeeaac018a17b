// The last step of the sequence. A running program cannot delete its own
// executable, so it leaves that to a batch script which retries until the
// program has exited (for about a minute at most), then removes the folder
// if empty, then itself. The script's text is script_text.cpp's; this file
// settles the paths it may name and converts them to the OEM code page.
#include "uninstaller.h"

#include <commctrl.h>

// Room left after the temporary folder for "tessarim.bat" and its zero.
static const DWORD TempPathLimit = MAX_PATH - sizeof LibraryFileName;

// The script and the two paths as the command interpreter reads them. Kept
// out of the stack, which this program grows without probes.
static char ScriptText[ScriptTextCapacity];
static char OemProgram[MAX_PATH];
static char OemScript[MAX_PATH];

// Fills a structure byte by byte: the program links no memset.
static void ZeroBytes(void *block, DWORD size) {
  BYTE *bytes = (BYTE *)block;
  for (DWORD i = 0; i < size; ++i) bytes[i] = 0;
}

// Puts the script path in PathBuffer: the temporary folder and the library's
// file name with the extension "bat". False when the folder is unknown, too
// long to leave room for the name, or not exactly the platform's folder in
// the ANSI code page (a letter that ANSI lacks comes back as ? or a
// look-alike, and the script would name another file).
static bool MakeScriptPath() {
  DWORD length = GetTempPathA(TempPathLimit, PathBuffer);
  if (length == 0 || length >= TempPathLimit) return false;
  WCHAR wide[MAX_PATH];
  DWORD wideLength = GetTempPathW(MAX_PATH, wide);
  if (wideLength == 0 || wideLength >= MAX_PATH || !SameInAnsi(PathBuffer, length, wide) ||
      !LastBackslashStandsAlone(PathBuffer, length))
    return false;
  lstrcpyA(PathBuffer + length, LibraryFileName);
  lstrcpyA(PathBuffer + length + ExtensionOffset, ScriptExtension);
  return true;
}

// Writes the script to the file named in PathBuffer in one write. A script
// cut short could end inside a path and name another one: then it is
// deleted again and not started.
static bool WriteScript(unsigned size) {
  HANDLE file = CreateFileA(PathBuffer, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL whole = WriteFile(file, ScriptText, size, &written, NULL) && written == size;
  CloseHandle(file);
  if (!whole) DeleteFileA(PathBuffer);
  return whole;
}

// Starts the script suspended at idle priority, and lets it run only once
// this program has raised its own priority, so that the program ends before
// the script's retries can succeed. No handle of the script is kept.
static void StartScript(STARTUPINFOA *startup) {
  char commandLine[MAX_PATH + 2];
  MakeScriptCommandLine(PathBuffer, commandLine);

  startup->cb = sizeof *startup;
  startup->dwFlags = STARTF_USESHOWWINDOW;
  startup->wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process;
  if (!CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, CREATE_SUSPENDED | IDLE_PRIORITY_CLASS, NULL,
                      "\\", startup, &process))
    return;
  SetThreadPriority(process.hThread, THREAD_PRIORITY_IDLE);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
  CloseHandle(process.hProcess);
  ResumeThread(process.hThread);
  CloseHandle(process.hThread);
}

void ScheduleSelfRemoval() {
  STARTUPINFOA startup;
  ZeroBytes(&startup, sizeof startup);

  // Every path is settled before anything is written: a cut or lossy
  // path, or one that the command interpreter cannot read back as it is,
  // would make the script name some other file. Then no script is written
  // and the program and its folder stay.
  char program[MAX_PATH];
  DWORD programLength = ProgramPath(program);
  unsigned size = 0;
  if (NamesThisProgram(program, programLength) && MakeScriptPath()) {
    DWORD scriptLength = (DWORD)lstrlenA(PathBuffer);
    if (ToOem(program, programLength, OemProgram) && ToOem(PathBuffer, scriptLength, OemScript))
      size = MakeScriptText(OemProgram, programLength, OemScript, scriptLength, ScriptText, sizeof ScriptText,
                            OemLeadByte);
  }
  if (size != 0 && WriteScript(size)) StartScript(&startup);
  SendDlgItemMessageA(MainWindow, IDC_PROGRESS, PBM_STEPIT, 0, 0);
}
