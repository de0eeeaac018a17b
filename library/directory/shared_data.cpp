// The shared data, built at compile time from the one function list and
// checked there: names ordered and well formed, items unpadded.
#include "shared_data.h"

#include <cstddef>

namespace {

struct DirectoryName {
  const char *name;
};

#define TESSARIM_NAME(name, handler, minimum, maximum) {#name},
constexpr DirectoryName kNames[kFunctionCount] = {TESSARIM_FUNCTIONS(TESSARIM_NAME)};
#undef TESSARIM_NAME

constexpr int Length(const char *s) {
  int n = 0;
  while (s[n] != '\0') ++n;
  return n;
}

constexpr bool Less(const char *a, const char *b) {
  while (*a != '\0' && *a == *b) {
    ++a;
    ++b;
  }
  return static_cast<unsigned char>(*a) < static_cast<unsigned char>(*b);
}

constexpr bool NamesAreOrdered() {
  for (int i = 1; i < kFunctionCount; ++i)
    if (!Less(kNames[i - 1].name, kNames[i].name)) return false;
  return true;
}

constexpr bool NamesAreWellFormed() {
  for (const DirectoryName &entry : kNames) {
    int n = Length(entry.name);
    if (n < 2 || n > 5) return false;
    for (int i = 0; i < n; ++i) {
      char c = entry.name[i];
      if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    }
  }
  return true;
}

// 0, then per name its length byte and its characters, then a closing 0.
constexpr NameBlock MakeNameBlock() {
  NameBlock block{};
  int at = 0;
  block.bytes[at++] = 0;
  for (const DirectoryName &entry : kNames) {
    int n = Length(entry.name);
    block.bytes[at++] = static_cast<unsigned char>(n);
    for (int i = 0; i < n; ++i) block.bytes[at++] = static_cast<unsigned char>(entry.name[i]);
  }
  block.bytes[at++] = 0;
  return block;
}

static_assert(NamesAreOrdered(), "the host expects the names in ascending order");
static_assert(NamesAreWellFormed(), "names are 2 to 5 uppercase characters");
static_assert(sizeof(SharedData) == 124 + 13 + 21 + 9 + 51, "the five items, unpadded");
static_assert(offsetof(SharedData, host_module) == 124, "host module name follows the name block");

} // namespace

// Shared between every process that loads the library and never written,
// so it needs no lock. The attribute needs a non-const object to take.
#if defined(_WIN32)
#define TESSARIM_SHARED_SECTION __attribute__((section("Shared"), shared))
#else
#define TESSARIM_SHARED_SECTION
#endif

TESSARIM_SHARED_SECTION SharedData g_shared = {
    MakeNameBlock(),
    "quorvant.dll",
    "RexxGetQuorvantFuncs",
    "tessarim",
    "3.141592653589793238462643383279502884197169399375",
};
