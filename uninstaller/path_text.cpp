#include "path_text.h"

int LastCharacter(const char *text, int length, LeadByteTest isLead) {
  int last = -1;
  for (int i = 0; i < length; ++i) {
    last = i;
    if (isLead(static_cast<unsigned char>(text[i])) && i + 1 < length) ++i;
  }
  return last;
}

int LastBackslash(const char *text, int length, LeadByteTest isLead) {
  int found = -1;
  for (int i = 0; i < length; ++i) {
    if (isLead(static_cast<unsigned char>(text[i])) && i + 1 < length)
      ++i;
    else if (text[i] == '\\')
      found = i;
  }
  return found;
}

bool EndsInBackslash(const char *text, int length, LeadByteTest isLead) {
  return length > 0 && LastBackslash(text, length, isLead) == length - 1;
}
