// UTessarim: removes the Tessarim library, its registry entries and then,
// through a batch script that outlives it, its own executable and folder.
//
// Everything runs on one thread. No C or C++ runtime is linked: text work
// goes through KERNEL32's lstr* functions and USER32's wsprintfA, and every
// path lives in a fixed buffer of MAX_PATH bytes.
#ifndef TESSARIM_UNINSTALLER_H
#define TESSARIM_UNINSTALLER_H

#include <windows.h>

#include "resource.h"

// The program's own module; the dialog and the icon are loaded from it.
extern HINSTANCE InstanceHandle;
// The dialog: owner of the warning box, and holder of the progress bar.
extern HWND MainWindow;
// The library's full path from the first step of the sequence up to the
// host-list step; the self-removal step then reuses it for its script path.
extern char PathBuffer[MAX_PATH];

// The library's file name, looked for in the program's own folder; the
// script's name is the same with the extension "bat".
extern const char LibraryFileName[13];

// Entry routine steps 1 to 7: create the dialog and run its message loop
// until the dialog is destroyed. The entry point ends the process after it.
void UninstallerMain();

INT_PTR CALLBACK UninstallDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The whole uninstall sequence, run once when OK is pressed.
void RunUninstall();
// Deletes the file named in PathBuffer, warns when that fails for any reason
// but a missing file, and steps the progress bar.
void DeleteLibraryFile();
// Writes tessarim.bat to the temporary folder, starts it at idle priority
// and steps the progress bar.
void ScheduleSelfRemoval();

// The program's full path, as GetModuleFileNameA(NULL, buffer, MAX_PATH)
// gives it. A function of its own so that tests can place the program
// anywhere without moving their own executable.
DWORD ProgramPath(char* buffer);

// Turns the program path in `path` (n characters) into the library's path
// in place. False, with nothing usable in `path`, when the program path was
// cut or the library path would not fit MAX_PATH bytes.
bool MakeLibraryPath(char* path, DWORD n);

// Position of the last backslash among the first `length` characters of
// `text`, or -1 when there is none.
int LastBackslash(const char* text, int length);

// The command line that starts the script at `scriptPath`: the bare path,
// or the path in double quotes when it holds a blank. `commandLine` holds
// MAX_PATH + 2 bytes.
void MakeScriptCommandLine(const char* scriptPath, char* commandLine);

#endif
