// An older host: the module is there, but without the binding entry point
// the library asks for.
#include <windows.h>

extern "C" __declspec(dllexport) int WINAPI RexxStart(int, void *) { return 0; }

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
