// The library's one export: the host asks it to register its functions.
#include <windows.h>

#include "function_table.h"
#include "host_interface.h"
#include "shared_data.h"

// Reason 1 registers the function directory and hands the host's answer
// back unexamined; every other reason does nothing. No record is kept, so
// a second call registers again.
extern "C" HostWord WINAPI RexxFeedback(HostWord reason, HostWord host_value) {
  if (reason != 1) return 0;
  return g_host.register_library(0, g_shared.library_name, g_shared.name_block.bytes, kHandlerTable,
                                 host_value);
}
