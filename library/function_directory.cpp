#include "function_directory.h"

#include "handlers.h"
#include "shared_data.h"

// Per-process data: the addresses are relocated where the module loads.
const HandlerRecord kHandlerTable[kFunctionCount] = {
    {0, AcosHandler, 1, 1},  {0, AcoshHandler, 1, 1}, {0, AsinHandler, 1, 1},
    {0, AsinhHandler, 1, 1}, {0, AtanHandler, 1, 2},  {0, AtanhHandler, 1, 1},
    {0, CeilHandler, 1, 1},  {0, CosHandler, 1, 1},   {0, CoshHandler, 1, 1},
    {0, CotanHandler, 1, 1}, {0, CscHandler, 1, 1},   {0, ExpHandler, 1, 1},
    {0, FactHandler, 1, 1},  {0, FloorHandler, 1, 1}, {0, LogHandler, 1, 1},
    {0, Log10Handler, 1, 1}, {0, PiHandler, 0, 0},    {0, PowHandler, 2, 2},
    {0, RoundHandler, 1, 1}, {0, SecHandler, 1, 1},   {0, SinHandler, 1, 1},
    {0, SinhHandler, 1, 1},  {0, SqrtHandler, 1, 1},  {0, TanHandler, 1, 1},
    {0, TanhHandler, 1, 1},
};

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
