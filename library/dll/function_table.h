// The handler table the host receives at registration, in the order of the
// one function list. It names the handlers, so it lives above them.
#pragma once

#include "function_directory.h"

extern const HandlerRecord kHandlerTable[kFunctionCount];
