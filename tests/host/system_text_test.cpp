// The platform's error texts with their inserts filled: no %1 reaches a
// person, and every other character stays.
#include <gtest/gtest.h>

#include <string>

#include "system_text.h"

namespace {

TEST(SystemText, InsertsTakeTheSubject) {
  const struct {
    const char *text;
    unsigned size;
    const char *filled;
  } cases[] = {
      {"%1 is not a valid Win32 application.\r\n", 64, "C:\\x.dll is not a valid Win32 application.\r\n"},
      {"Bad EXE format for %1", 64, "Bad EXE format for C:\\x.dll"},
      {"%2!s! needs %12 of %1!lu! bytes", 64, "C:\\x.dll needs C:\\x.dll of C:\\x.dll bytes"},
      {"100% sure: %0, %%, %x and a lone %", 64, "100% sure: %0, %%, %x and a lone %"},
      {"an unclosed %1!s", 64, "an unclosed C:\\x.dll!s"},
      {"cut %1 here", 12, "cut C:\\x.dl"},
      {"none", 1, ""},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.text);
    char out[64];
    FillInserts(c.text, "C:\\x.dll", out, c.size);
    EXPECT_EQ(std::string(out), c.filled);
  }
}

} // namespace
