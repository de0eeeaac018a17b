#include "uninstaller.h"

HINSTANCE InstanceHandle;
HWND MainWindow;
char PathBuffer[MAX_PATH];

extern const char ScriptExtension[4] = "bat";
