#include "library_list.h"

#include <cstdio>

namespace {

const char kHostKey[] = "Software\\Quorvant";

} // namespace

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
  for (int n = 0; n < kHostListSize; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "Func%d", n);
    DWORD type = 0;
    DWORD size = MAX_PATH;
    char *path = list->paths[n];
    LONG read = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(path), &size);
    if (read == ERROR_FILE_NOT_FOUND) break;
    if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
      std::snprintf(error, error_size, "HKCU\\%s\\%s is no library path (%s)", kHostKey, name,
                    read == ERROR_MORE_DATA ? "too long"
                    : read != ERROR_SUCCESS ? "unreadable"
                                            : "not a text");
      ok = false;
      break;
    }
    // Registry texts need not carry their terminator.
    if (size >= MAX_PATH) size = MAX_PATH - 1;
    path[size] = '\0';
    list->count = n + 1;
  }
  RegCloseKey(key);
  return ok;
}
