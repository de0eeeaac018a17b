// A process that maps tessarim.dll without a host (no DllMain runs) and
// tries to rewrite the pi text in the library's shared section, making the
// page writable first. Exit code: 0 when its own view changed, 3 when the
// page could not be made writable, 1 when the library or section is missing.
#include <windows.h>

#include <cstring>

int main(int argc, char **argv) {
  if (argc != 2) return 1;
  HMODULE module = LoadLibraryExA(argv[1], nullptr, DONT_RESOLVE_DLL_REFERENCES);
  if (module == nullptr) return 1;
  auto base = reinterpret_cast<unsigned char *>(module);
  auto nt =
      reinterpret_cast<IMAGE_NT_HEADERS32 *>(base + reinterpret_cast<IMAGE_DOS_HEADER *>(base)->e_lfanew);
  IMAGE_SECTION_HEADER *section = IMAGE_FIRST_SECTION(nt);
  for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
    if (std::strncmp(reinterpret_cast<const char *>(section->Name), "Shared", 8) != 0) continue;
    char *pi = reinterpret_cast<char *>(base + section->VirtualAddress) + 124 + 13 + 21 + 9;
    DWORD old = 0;
    if (!VirtualProtect(pi, 50, PAGE_READWRITE, &old)) return 3;
    std::memcpy(pi, "6.66666666666666", 16);
    return std::memcmp(pi, "6.6", 3) == 0 ? 0 : 1;
  }
  return 1;
}
