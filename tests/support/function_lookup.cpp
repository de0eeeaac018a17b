#include "function_lookup.h"

#include "shared_data.h"

// Walks the name block the host reads, so that a name found here is one the
// host registers.
const HandlerRecord *FindFunction(const char *name) {
  const unsigned char *entry = g_shared.name_block.bytes + 1;
  for (int i = 0; i < kFunctionCount; ++i) {
    const int n = *entry++;
    int k = 0;
    while (k < n && name[k] == static_cast<char>(entry[k])) ++k;
    if (k == n && name[n] == '\0') return &kHandlerTable[i];
    entry += n;
  }
  return nullptr;
}
