// The host's callback table, as the binding entry point fills it.
#include "host_interface.h"

// Zero until process attach; the binding entry point fills it once.
HostCallbackTable g_host = {};
