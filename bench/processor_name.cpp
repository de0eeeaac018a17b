#include "processor_name.h"

#include <cpuid.h>

#include <cstdio>
#include <cstring>

void DescribeProcessor(char *out, std::size_t size) {
  // The brand string: 48 bytes from three extended leaves.
  unsigned words[12] = {};
  char brand[49] = "unknown processor";
  unsigned highest = 0, unused = 0;
  if (__get_cpuid(0x80000000u, &highest, &unused, &unused, &unused) && highest >= 0x80000004u) {
    for (unsigned i = 0; i < 3; ++i)
      __get_cpuid(0x80000002u + i, &words[4 * i], &words[4 * i + 1], &words[4 * i + 2], &words[4 * i + 3]);
    std::memcpy(brand, words, 48);
    brand[48] = '\0';
  }
  const char *name = brand;
  while (*name == ' ') ++name;
  // Family and model as the vendors count them: the extended fields add in
  // when the base family is 15 (and for the model, 6 too).
  unsigned signature = 0, b = 0, c = 0, d = 0;
  __get_cpuid(1, &signature, &b, &c, &d);
  const unsigned base_family = (signature >> 8) & 0xF;
  unsigned family = base_family, model = (signature >> 4) & 0xF;
  if (base_family == 15) family += (signature >> 20) & 0xFF;
  if (base_family == 15 || base_family == 6) model += ((signature >> 16) & 0xF) << 4;
  std::snprintf(out, size, "%s (family %u, model %u)", name, family, model);
}
