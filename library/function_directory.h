// The function directory the host receives at registration: the name block
// (length-prefixed names) and the handler table (packed 10-byte records in
// the 32-bit build), entry i of one belonging to record i of the other.
#pragma once

#include <cstdint>

#include "host_interface.h"

constexpr int kFunctionCount = 25;
constexpr int kNameBlockSize = 124;

#pragma pack(push, 1)
struct HandlerRecord {
  std::uint32_t reserved; // always 0
  HandlerFn handler;
  std::uint8_t min_args;
  std::uint8_t max_args;
};
#pragma pack(pop)

static_assert(sizeof(HandlerRecord) == 6 + sizeof(void *), "packed, no padding");
#if defined(__i386__)
static_assert(sizeof(HandlerRecord) == 10, "the host reads 10-byte records");
#endif

struct NameBlock {
  unsigned char bytes[kNameBlockSize];
};

extern const HandlerRecord kHandlerTable[kFunctionCount];

// Finds a function's record by its uppercase name; null when unknown. For
// tools and tests: the host does its own lookup.
const HandlerRecord *FindFunction(const char *name);
