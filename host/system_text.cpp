#include "system_text.h"

namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }

// The length of the insert at `text` (which starts with %), or 0 when none
// starts there.
unsigned InsertLength(const char *text) {
  if (!Digit(text[1]) || text[1] == '0') return 0;
  unsigned length = Digit(text[2]) ? 3 : 2;
  if (text[length] != '!') return length;
  for (unsigned end = length + 1; text[end] != 0; ++end) {
    if (text[end] == '!') return end + 1;
  }
  return length;
}

} // namespace

void FillInserts(const char *text, const char *subject, char *out, unsigned size) {
  if (size == 0) return;
  unsigned at = 0;
  for (const char *c = text; *c != 0 && at + 1 < size;) {
    unsigned insert = *c == '%' ? InsertLength(c) : 0;
    if (insert == 0) {
      out[at++] = *c++;
      continue;
    }
    for (const char *s = subject; *s != 0 && at + 1 < size; ++s) out[at++] = *s;
    c += insert;
  }
  out[at] = 0;
}
