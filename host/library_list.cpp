#include "library_list.h"

#include <cstdio>
#include <cstring>

#include "host_list_registry.h"

bool ReadHostList(HostList *list, char *error, int error_size) {
  list->count = 0;
  HKEY key;
  LONG opened = RegOpenKeyExA(HKEY_CURRENT_USER, kHostKey, 0, KEY_READ, &key);
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) {
    std::snprintf(error, error_size, "HKCU\\%s cannot be read (error %ld)", kHostKey, opened);
    return false;
  }
  HostListWalk walk = {0, HostListEnd::kFull};
  HostEntry entry;
  while (NextHostEntry(RegistryHostList(key), &walk, &entry)) {
    std::memcpy(list->paths[list->count], entry.ansi, entry.ansiLength + 1);
    ++list->count;
  }
  RegCloseKey(key);
  if (walk.end != HostListEnd::kUnreadable) return true;
  char name[kHostValueNameSize];
  HostValueName(walk.next, name);
  std::snprintf(error, error_size, "HKCU\\%s\\%s cannot be read", kHostKey, name);
  return false;
}
