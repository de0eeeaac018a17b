#include "uninstaller.h"

HINSTANCE InstanceHandle;
HWND MainWindow;
char PathBuffer[MAX_PATH];

extern const char kScriptExtension[4] = "bat";
