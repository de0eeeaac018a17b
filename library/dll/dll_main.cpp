// The library's load-time routine: binds to the host interpreter that is
// already loaded in the process, or refuses the load with a message.
#include <windows.h>

#include <cstdint>

#include "host_interface.h"
#include "resource.h"
#include "x87.h"
#include "shared_data.h"

namespace {

HINSTANCE g_instance = nullptr;
HMODULE g_host_module = nullptr;

using BindingEntry = HostWord(WINAPI *)(HostCallbackTable *table, HostWord size, HostWord version);

// A Windows thread computes with 53-bit x87 precision, and the loading
// thread is put back to it when a library loads; mingw's DLL start-up does
// not do that, so process attach does. Only the precision-control field
// changes.
void UseDoublePrecision() {
  WriteControlWord(static_cast<std::uint16_t>((ReadControlWord() & ~kPrecisionControl) | kDoublePrecision));
}

// The six slots the handlers and registration call; a host that leaves one
// empty would crash on the first call into it.
bool HostFillsUsedSlots() {
  return g_host.set_result != nullptr && g_host.release_text != nullptr &&
         g_host.register_library != nullptr && g_host.read_setting != nullptr &&
         g_host.fetch_text != nullptr && g_host.fetch_number != nullptr;
}

// A message box inside the loader lock goes against the usual advice for
// load-time routines, but it is the only way a script's user learns why the
// functions are missing; the load is refused right after it.
BOOL Refuse(UINT text_id) {
  char text[100];
  if (LoadStringA(g_instance, text_id, text, sizeof text) <= 0) text[0] = '\0';
  MessageBoxA(nullptr, text, g_shared.library_name, 0);
  return FALSE;
}

BOOL AttachProcess(HINSTANCE instance) {
  g_instance = instance;
  UseDoublePrecision();
  g_host_module = nullptr;
  ZeroMemory(&g_host, sizeof g_host);

  g_host_module = GetModuleHandleA(g_shared.host_module);
  if (g_host_module == nullptr) return Refuse(IDS_NEEDS_HOST);
  auto bind = reinterpret_cast<BindingEntry>(
      reinterpret_cast<void *>(GetProcAddress(g_host_module, g_shared.binding_entry)));
  if (bind == nullptr) return Refuse(IDS_NEEDS_NEWER_HOST);
  bind(&g_host, kHostTableSize, kHostInterfaceVersion);
  if (!HostFillsUsedSlots()) return Refuse(IDS_NEEDS_NEWER_HOST);
  return TRUE;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  switch (reason) {
  case DLL_PROCESS_ATTACH:
    return AttachProcess(instance);
  case DLL_THREAD_ATTACH:
    // The library needs no thread notifications; the first one ends them.
    DisableThreadLibraryCalls(instance);
    return TRUE;
  default:
    // Nothing to release: the library holds nothing of the host's.
    return TRUE;
  }
}
