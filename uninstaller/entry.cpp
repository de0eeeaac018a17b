// The process entry point. No runtime start-up code runs before it, so it
// must not return: the process ends through ExitProcess.
#include "uninstaller.h"

extern "C" void WinMainCRTStartup() {
  UninstallerMain();
  ExitProcess(0);
}
