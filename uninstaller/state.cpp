#include "uninstaller.h"

HINSTANCE InstanceHandle;
HWND MainWindow;
char PathBuffer[MAX_PATH];

extern const char LibraryFileName[13] = "tessarim.dll";
extern const char ScriptExtension[4] = "bat";
