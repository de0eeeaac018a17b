#include "host_list_registry.h"

#include "path_checks.h"

namespace {

HostValueRead ReadValue(void *list, unsigned index, unsigned *type, char16_t *data, unsigned *units) {
  char name[kHostValueNameSize];
  HostValueName(index, name);
  WCHAR wideName[kHostValueNameSize];
  for (unsigned i = 0; i < kHostValueNameSize; ++i) {
    wideName[i] = static_cast<WCHAR>(name[i]);
    if (name[i] == 0) break;
  }
  DWORD valueType = REG_NONE;
  DWORD size = kPathBufferSize * sizeof(WCHAR);
  LONG read = RegQueryValueExW(static_cast<HKEY>(list), wideName, nullptr, &valueType,
                               reinterpret_cast<BYTE *>(data), &size);
  if (read == ERROR_FILE_NOT_FOUND) return HostValueRead::kMissing;
  if (read == ERROR_MORE_DATA) return HostValueRead::kTooLong;
  if (read != ERROR_SUCCESS) return HostValueRead::kUnreadable;
  *type = valueType;
  *units = size / sizeof(WCHAR);
  return HostValueRead::kRead;
}

int ToAnsi(const char16_t *text, unsigned length, char *ansi) {
  return ExactAnsi(AsWide(text), static_cast<int>(length), ansi, kAnsiFormSize);
}

bool SameLibrary(const char16_t *a, unsigned aLength, const char16_t *b, unsigned bLength) {
  return SamePath(AsWide(a), static_cast<int>(aLength), AsWide(b), static_cast<int>(bLength));
}

} // namespace

HostListAccess RegistryHostList(HKEY key) { return {key, ReadValue, ToAnsi, SameLibrary}; }
