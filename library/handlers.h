// The 25 REXX function handlers, one per entry of the function directory.
// Each has the handler signature: (call context, argument list, status
// slot) -> code, and talks to the host only through g_host.
#pragma once

#include "host_interface.h"

#define TESSARIM_HANDLER(name) HostWord TESSARIM_CALL name(void *context, void *arguments, HostWord *status)

TESSARIM_HANDLER(AcosHandler);
TESSARIM_HANDLER(AcoshHandler);
TESSARIM_HANDLER(AsinHandler);
TESSARIM_HANDLER(AsinhHandler);
TESSARIM_HANDLER(AtanHandler);
TESSARIM_HANDLER(AtanhHandler);
TESSARIM_HANDLER(CeilHandler);
TESSARIM_HANDLER(CosHandler);
TESSARIM_HANDLER(CoshHandler);
TESSARIM_HANDLER(CotanHandler);
TESSARIM_HANDLER(CscHandler);
TESSARIM_HANDLER(ExpHandler);
TESSARIM_HANDLER(FactHandler);
TESSARIM_HANDLER(FloorHandler);
TESSARIM_HANDLER(LogHandler);
TESSARIM_HANDLER(Log10Handler);
TESSARIM_HANDLER(PiHandler);
TESSARIM_HANDLER(PowHandler);
TESSARIM_HANDLER(RoundHandler);
TESSARIM_HANDLER(SecHandler);
TESSARIM_HANDLER(SinHandler);
TESSARIM_HANDLER(SinhHandler);
TESSARIM_HANDLER(SqrtHandler);
TESSARIM_HANDLER(TanHandler);
TESSARIM_HANDLER(TanhHandler);
