// A second function library for the host list, so that the lifecycle test
// has a real library before Tessarim's entry. It registers HELLO, which
// answers "hello", and PI, which answers "3": Tessarim's PI registered
// later must not replace it.
#include <windows.h>

#include "function_directory.h"
#include "host_interface.h"

HostCallbackTable g_host = {};

namespace {

HostWord Answer(void *context, const char *text, HostWord length, HostWord *status) {
  *status = g_host.set_result(context, text, length, kResultText);
  return kCodeOk;
}

HostWord TESSARIM_CALL Hello(void *context, void *, HostWord *status) {
  return Answer(context, "hello", 5, status);
}
HostWord TESSARIM_CALL Three(void *context, void *, HostWord *status) {
  return Answer(context, "3", 1, status);
}

const unsigned char kNames[] = {0, 5, 'H', 'E', 'L', 'L', 'O', 2, 'P', 'I', 0};
const HandlerRecord kRecords[] = {{0, Hello, 0, 0}, {0, Three, 0, 0}};

using BindingEntry = HostWord(WINAPI *)(HostCallbackTable *table, HostWord size, HostWord version);

} // namespace

extern "C" __declspec(dllexport) HostWord WINAPI RexxFeedback(HostWord reason, HostWord host_value) {
  if (reason != 1) return 0;
  return g_host.register_library(0, "other", kNames, kRecords, host_value);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  HMODULE host = GetModuleHandleA("quorvant.dll");
  if (host == nullptr) return FALSE;
  auto bind =
      reinterpret_cast<BindingEntry>(reinterpret_cast<void *>(GetProcAddress(host, "RexxGetQuorvantFuncs")));
  if (bind == nullptr) return FALSE;
  bind(&g_host, kHostTableSize, kHostInterfaceVersion);
  return TRUE;
}
