#include "host_list.h"

namespace {

bool HoldsText(unsigned type) { return type == kTextValueType || type == kExpandableTextValueType; }

// The text's length: up to its first zero, which a reader of the value as
// a zero-terminated text stops at, or the whole data without one.
unsigned TextLength(const char16_t *data, unsigned units) {
  unsigned length = 0;
  while (length < units && data[length] != 0) ++length;
  return length;
}

} // namespace

bool NextHostEntry(const HostListAccess &access, HostListWalk *walk, HostEntry *entry) {
  for (; walk->next < kHostListSize; ++walk->next) {
    unsigned type = 0;
    unsigned units = 0;
    HostValueRead read = access.read(access.list, walk->next, &type, entry->path, &units);
    if (read == HostValueRead::kMissing || read == HostValueRead::kUnreadable) {
      walk->end = read == HostValueRead::kMissing ? HostListEnd::kGap : HostListEnd::kUnreadable;
      return false;
    }
    if (read != HostValueRead::kRead || !HoldsText(type)) continue;
    unsigned length = TextLength(entry->path, units < kPathBufferSize ? units : kPathBufferSize);
    if (length + 1 > kPathBufferSize) continue;
    int ansiLength = access.toAnsi(entry->path, length, entry->ansi);
    if (ansiLength < 0 || static_cast<unsigned>(ansiLength) + 1 > kPathBufferSize) continue;
    entry->path[length] = 0;
    entry->ansi[ansiLength] = 0;
    entry->index = walk->next++;
    entry->length = length;
    entry->ansiLength = static_cast<unsigned>(ansiLength);
    return true;
  }
  walk->end = HostListEnd::kFull;
  return false;
}

HostListScan ScanHostList(const HostListAccess &access, const char16_t *library, unsigned length) {
  HostListWalk walk = {0, HostListEnd::kFull};
  HostEntry entry;
  while (NextHostEntry(access, &walk, &entry)) {
    if (access.samePath(entry.path, entry.length, library, length))
      return {static_cast<int>(entry.index), entry.index, false};
  }
  return {-1, walk.next, walk.end == HostListEnd::kGap};
}

void HostValueName(unsigned index, char *name) {
  unsigned at = 0;
  for (const char *c = kHostValuePrefix; *c != 0; ++c) name[at++] = *c;
  char digits[10];
  unsigned count = 0;
  do {
    digits[count++] = static_cast<char>('0' + index % 10);
    index /= 10;
  } while (index != 0);
  while (count > 0) name[at++] = digits[--count];
  name[at] = 0;
}
