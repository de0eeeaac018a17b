#include "host_list.h"

void HostValueName(unsigned index, char *name) { wsprintfA(name, "%s%u", kHostValuePrefix, index); }

namespace {

// Makes the registry data read into `data` (size bytes of a MAX_PATH
// buffer) a terminated text. Data that fills the buffer without a zero has
// no end inside it and so cannot equal any path that fits MAX_PATH.
bool TerminateData(BYTE *data, DWORD size) {
  if (size < MAX_PATH) {
    data[size] = 0;
    return true;
  }
  for (DWORD i = 0; i < MAX_PATH; ++i) {
    if (data[i] == 0) return true;
  }
  return false;
}

} // namespace

HostListScan ScanHostList(HKEY key, const char *library) {
  HostListScan scan = {-1, kHostListSize, false};
  for (unsigned index = 0; index < kHostListSize; ++index) {
    char name[kHostValueNameSize];
    HostValueName(index, name);
    BYTE data[MAX_PATH];
    DWORD size = MAX_PATH;
    LONG read = RegQueryValueExA(key, name, nullptr, nullptr, data, &size);
    if (read != ERROR_SUCCESS) {
      scan.end = index;
      scan.endsAtGap = read == ERROR_FILE_NOT_FOUND;
      break;
    }
    if (!TerminateData(data, size)) continue;
    if (lstrcmpiA((const char *)data, library) == 0) {
      scan.listed = (int)index;
      scan.end = index;
      break;
    }
  }
  return scan;
}
