#include "uninstaller.h"

HINSTANCE InstanceHandle;
HWND MainWindow;
char PathBuffer[MAX_PATH];
