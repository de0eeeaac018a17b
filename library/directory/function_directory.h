// The function directory the host receives at registration: the name block
// (length-prefixed names) and the handler table (packed 10-byte records in
// the 32-bit build), entry i of one belonging to record i of the other.
// Both are derived from the one list in function_list.h.
#pragma once

#include <cstdint>

#include "function_list.h"
#include "host_interface.h"

#define TESSARIM_COUNT_ONE(name, handler, minimum, maximum) +1
constexpr int kFunctionCount = 0 TESSARIM_FUNCTIONS(TESSARIM_COUNT_ONE);
#undef TESSARIM_COUNT_ONE

// 0, then per name its length byte and its characters, then a closing 0.
#define TESSARIM_NAME_BYTES(name, handler, minimum, maximum) +1 + (sizeof #name - 1)
constexpr int kNameBlockSize = 2 TESSARIM_FUNCTIONS(TESSARIM_NAME_BYTES);
#undef TESSARIM_NAME_BYTES

static_assert(kFunctionCount == 25, "the library registers 25 functions");
static_assert(kNameBlockSize == 124, "the host reads a 124-byte name block");

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
