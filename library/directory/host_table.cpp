#include "host_interface.h"

// Zero until process attach; the binding entry point fills it once.
HostCallbackTable g_host = {};
