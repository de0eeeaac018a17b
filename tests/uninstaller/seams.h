// The test program's answers to the uninstaller's platform calls, and the
// real program started with either kind of token.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace test {

extern const char kSystemTemp[];       // where elevated runs write scripts here
std::set<std::string> SystemScripts(); // the tessarim-*.bat there

enum class Token { kLimited, kElevated, kUnanswered };
struct Seams {
  Token token = Token::kLimited;
  std::vector<std::string> draws; // of 4 bytes, the last one again; none: the platform's
  bool randomFails = false;       // with no draws
  bool refuseStarts = false;      // after the script in PathBuffer was read
  bool started = false;           // and what the last start was given:
  std::string application, commandLine, script;
};
extern Seams g_seams; // set anew for every uninstaller test

// `limited`: with the limited token linked to this process's.
bool StartProgram(const std::wstring &program, const std::wstring &folder, bool limited,
                  PROCESS_INFORMATION *process);

} // namespace test
