// Whether a path is this program's own, asked by every step that acts on a
// path derived from it.
#include "uninstaller.h"

bool NamesThisProgram(const char *path, DWORD n) {
  WCHAR wide[MAX_PATH];
  DWORD wideLength = ProgramPathW(wide);
  return NamesProgram(path, n, wide, wideLength);
}
