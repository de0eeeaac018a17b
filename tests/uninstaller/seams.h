// The test program's answers to the uninstaller's platform calls (the
// token's question, the random source, the process start), and the real
// program started with either kind of token.
#ifndef TESSARIM_TESTS_UNINSTALLER_SEAMS_H
#define TESSARIM_TESTS_UNINSTALLER_SEAMS_H

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace test {

// Where an elevated run writes its script under Wine: the Windows
// folder's Temp.
extern const char SystemTemp[];

enum class Token { Limited, Elevated, Unanswered };
// What the token answers; Limited until a test says otherwise.
void AnswerToken(Token token);

// The random draws, 4 bytes each, taken in turn, the last one again and
// again; none: the platform's own. FailRandom makes the source fail.
void DrawRandom(const std::vector<std::string> &draws);
void FailRandom();

// What the last process start was asked to do. With RefuseStarts(true) no
// process starts: the start fails as if the program were missing, after
// the script named in PathBuffer has been read.
struct Start {
  bool asked;
  bool hadApplication;
  std::string application, commandLine, script;
};
void RefuseStarts(bool refuse);
Start LastStart();
// Puts every answer back as a new test expects it.
void ResetSeams();

// The names of the scripts in SystemTemp ("tessarim-*.bat").
std::set<std::string> SystemScripts();

// Starts `program` (its path quoted as the command line) in `folder`, as
// CreateProcessW would; with `limited`, under the limited token linked to
// this process's token, so that it reports itself not elevated.
bool StartProgram(const std::wstring &program, const std::wstring &folder, bool limited,
                  PROCESS_INFORMATION *process);

} // namespace test

#endif
