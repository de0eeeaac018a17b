// UTessarim: removes the Tessarim library, its registry entries and then,
// through a batch script that outlives it, its own executable and folder.
//
// Everything runs on one thread. No C or C++ runtime is linked: text work
// goes through KERNEL32's lstr* functions, and every path lives in a fixed
// buffer of MAX_PATH bytes or UTF-16 units.
#pragma once

#include <windows.h>

#include "host_list_registry.h"
#include "path_checks.h"
#include "resource.h"

// The program's own module; the dialog and the icon are loaded from it.
extern HINSTANCE InstanceHandle;
// The dialog: owner of the warning box, and holder of the progress bar.
extern HWND MainWindow;
// The library's full path from the first step of the sequence up to the
// host-list step; the self-removal step then reuses it for its script path.
extern char PathBuffer[MAX_PATH];

// The progress bar moves one step after the library file and one after the
// last step.
const int kProgressSteps = 2;
// Moves the dialog's progress bar one step (progress.cpp).
void StepProgress();

// Creates the dialog and runs its message loop until the dialog is
// destroyed; the entry point ends the process after it.
void UninstallerMain();

INT_PTR CALLBACK UninstallDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The whole uninstall sequence, run once when OK is pressed.
void RunUninstall();
// Deletes the file named in PathBuffer, warns when that fails for any reason
// but a missing file, and steps the progress bar.
void DeleteLibraryFile();
// Deletes the program list's entry when it is this installation's: its
// InstallLocation names this program's folder (both in long form, compared
// as the file system compares names), or it names no folder.
void RemoveUninstallEntry();
// Writes the self-removal script and starts it at idle priority (without
// elevation tessarim.bat in the user's temporary folder; elevated a new,
// uniquely named file in the system's), and steps the progress bar.
void ScheduleSelfRemoval();

// The program's full path, as GetModuleFileNameA(nullptr, buffer, MAX_PATH)
// gives it, and as GetModuleFileNameW(nullptr, buffer, MAX_PATH) gives it.
// Functions of their own so that tests can place the program anywhere
// without moving their own executable.
DWORD ProgramPath(char *buffer);
DWORD ProgramPathW(WCHAR *buffer);

// The three platform calls behind the choice and start of the script, in
// functions of their own for the same reason: tests answer the token's
// question, choose the random bits and keep a script from starting.
//
// Asks the process token whether it is elevated; false when it cannot
// tell.
bool AskElevation(DWORD *elevated);
// Fills `size` bytes with random bits; false when the source fails.
bool RandomBytes(void *buffer, ULONG size);
// CreateProcessA with no handles inherited, the caller's environment, and
// `folder` as the current folder.
BOOL StartProcess(const char *application, char *commandLine, DWORD flags, const char *folder,
                  STARTUPINFOA *startup, PROCESS_INFORMATION *process);

// Whether the program path in `path` (n characters, from ProgramPath) names
// this program (NamesProgram with the program's wide path; this_program.cpp).
// Only then may anything be touched.
bool NamesThisProgram(const char *path, DWORD n);
