// TextToNumber on any text: no read past the terminator (the text sits in
// a heap block of exactly its size) and the double nearest to the prefix
// the grammar takes, as glibc's strtod finds it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_checks.h"
#include "number_text.h"
#include "reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  char *text = static_cast<char *>(std::malloc(size + 1));
  std::memcpy(text, data, size);
  text[size] = '\0';
  const double got = TextToNumber(text);
  const double want = ReferenceNumber(text); // up to the first NUL, as the library sees it
  if (BitsOf(got) != BitsOf(want)) FuzzFail("TextToNumber(\"%.200s\") = %a, nearest is %a", text, got, want);
  std::free(text);
  return 0;
}
