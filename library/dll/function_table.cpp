// The handler table the host receives at registration, from the one list.
#include "function_table.h"

#include "handlers.h"

// Per-process data: the addresses are relocated where the module loads.
#define TESSARIM_RECORD(name, handler, minimum, maximum) {0, handler, minimum, maximum},
const HandlerRecord kHandlerTable[kFunctionCount] = {TESSARIM_FUNCTIONS(TESSARIM_RECORD)};
#undef TESSARIM_RECORD
