#include "library_list.h"

#include <cstdio>

bool ReadHostList(HostList *list, char *error, int error_size) {
  list->count = 0;
  HKEY key;
  LONG opened = RegOpenKeyExA(HKEY_CURRENT_USER, kHostKey, 0, KEY_READ, &key);
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) {
    std::snprintf(error, error_size, "HKCU\\%s cannot be read (error %ld)", kHostKey, opened);
    return false;
  }
  bool ok = true;
  for (unsigned n = 0; n < kHostListSize; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "%s%u", kHostValuePrefix, n);
    DWORD type = 0;
    DWORD size = kPathBufferSize;
    char *path = list->paths[list->count];
    LONG read = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(path), &size);
    if (read == ERROR_FILE_NOT_FOUND) break;
    if (read != ERROR_SUCCESS) {
      std::snprintf(error, error_size, "HKCU\\%s\\%s is no library path (%s)", kHostKey, name,
                    read == ERROR_MORE_DATA ? "too long" : "unreadable");
      ok = false;
      break;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
    // Registry texts need not carry their terminator.
    if (size >= kPathBufferSize) size = kPathBufferSize - 1;
    path[size] = '\0';
    ++list->count;
  }
  RegCloseKey(key);
  return ok;
}
