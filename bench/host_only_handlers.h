// Handlers that make exactly the host calls of a real one and compute
// nothing: they fetch the arguments, read NUMERIC DIGITS, release the texts
// and set a fixed result as long as a real one at that precision. Timed
// through a host, they give the host's own share of a call, which the
// library's handler and the naive one both pay.
#pragma once

#include "host_interface.h"

HostWord TESSARIM_CALL HostOnlyNoArgument(void *context, void *arguments, HostWord *status);
HostWord TESSARIM_CALL HostOnlyFact(void *context, void *arguments, HostWord *status);
HostWord TESSARIM_CALL HostOnlyOneArgument(void *context, void *arguments, HostWord *status);
HostWord TESSARIM_CALL HostOnlyTwoArguments(void *context, void *arguments, HostWord *status);

// The one of them whose host calls are those of the named function's handler.
HandlerFn HostOnlyHandler(const char *function);
