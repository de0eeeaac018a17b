// The handler table the host receives at registration, from the one list.
#include "function_directory.h"
#include "handlers.h"
#include "shared_data.h"

// Per-process data: the addresses are relocated where the module loads.
#define TESSARIM_RECORD(name, handler, minimum, maximum) {0, handler, minimum, maximum},
const HandlerRecord kHandlerTable[kFunctionCount] = {TESSARIM_FUNCTIONS(TESSARIM_RECORD)};
#undef TESSARIM_RECORD

const HandlerRecord *FindFunction(const char *name) {
  const unsigned char *entry = g_shared.name_block.bytes + 1;
  for (int i = 0; i < kFunctionCount; ++i) {
    int n = *entry++;
    int k = 0;
    while (k < n && name[k] == static_cast<char>(entry[k])) ++k;
    if (k == n && name[n] == '\0') return &kHandlerTable[i];
    entry += n;
  }
  return nullptr;
}
