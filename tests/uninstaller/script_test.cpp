// The self-removal step on its own: the script's exact bytes, where it is
// written, how it is started, and when it is not.
#include "fixture.h"
#include "seams.h"

namespace {

std::string ExpectedScript(const std::string &program, const std::string &folder, const std::string &script) {
  return "set tessarim_tries=0\r\n:Repeat\r\nset /a tessarim_tries+=1\r\n"
         "if %tessarim_tries% gtr 100 \"C:\\windows\\system32\\ping.exe\" -n 2 127.0.0.1 >nul\r\ndel \"" +
         program + "\"\r\nif exist \"" + program + "\" if %tessarim_tries% lss 160 goto Repeat\r\nrmdir \"" +
         folder + "\"\r\ndel \"" + script + "\"\r\n";
}

TEST(ScriptCommandLine, QuotedUnlessOnlyLettersDigitsAndPathSigns) {
  struct Case {
    const char *script;
    const char *commandLine;
  } cases[] = {
      {"C:\\Temp\\tessarim.bat", "C:\\Temp\\tessarim.bat"},
      {"C:\\Temp_1.x-y\\tessarim.bat", "C:\\Temp_1.x-y\\tessarim.bat"},
      {"C:\\My Temp\\tessarim.bat", "\"C:\\My Temp\\tessarim.bat\""},
      {"C:\\Temp Dir\\x y\\tessarim.bat", "\"C:\\Temp Dir\\x y\\tessarim.bat\""},
      {"C:\\x&y\\tessarim.bat", "\"C:\\x&y\\tessarim.bat\""},
      {"C:\\x^y\\tessarim.bat", "\"C:\\x^y\\tessarim.bat\""},
      {"C:\\x(y)\\tessarim.bat", "\"C:\\x(y)\\tessarim.bat\""},
      {"C:\\x,y;z=w\\tessarim.bat", "\"C:\\x,y;z=w\\tessarim.bat\""},
      {"C:\\x'y\\tessarim.bat", "\"C:\\x'y\\tessarim.bat\""},
      {"C:\\Caf\xe9\\tessarim.bat", "\"C:\\Caf\xe9\\tessarim.bat\""},
  };
  for (const Case &c : cases) {
    char commandLine[MAX_PATH + 2];
    MakeScriptCommandLine(c.script, commandLine);
    EXPECT_STREQ(commandLine, c.commandLine);
  }
}

// A program in C:\Tools\Addon with its script in C:\Temp: 306 bytes (150
// for the five removal lines, 156 for the bounded wait), eight lines, a
// stale script replaced. The executable is held open so that the script
// keeps retrying while its bytes are read; once it is released the script
// must finish the job.
TEST_F(UninstallTest, WritesTheExampleScriptAndRunsIt) {
  const std::string program = "C:\\Tools\\Addon\\UTessarim.exe";
  const std::string script = "C:\\Temp\\tessarim.bat";
  test::RemoveTree("C:\\Tools\\Addon");
  CreateDirectoryA("C:\\Tools", NULL);
  CreateDirectoryA("C:\\Tools\\Addon", NULL);
  test::PutFile(program, "the program");
  UseTempFolder("C:\\Temp");
  test::PutFile(script, std::string(400, '#') + "\r\n");
  test::SetProgramPath(program);
  HANDLE running = CreateFileA(program.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  ASSERT_NE(running, INVALID_HANDLE_VALUE);

  ScheduleSelfRemoval();

  std::string written = test::ReadWholeFile(script);
  EXPECT_EQ(written.size(), 306u);
  EXPECT_EQ(written, ExpectedScript(program, "C:\\Tools\\Addon", script));
  EXPECT_EQ(test::RecordedSteps(), std::vector<int>{1});
  EXPECT_TRUE(PriorityRaised());
  Sleep(500);
  EXPECT_TRUE(test::Exists(program)) << "deleted while still in use";

  CloseHandle(running);
  EXPECT_TRUE(test::WaitGone(program));
  EXPECT_TRUE(test::WaitGone("C:\\Tools\\Addon"));
  EXPECT_TRUE(test::WaitGone(script));
  RemoveDirectoryA("C:\\Tools");
  RemoveDirectoryA("C:\\Temp");
}

// Where the script goes and what starts it, as the token answers. Elevated
// or unanswered: a new file with a random name in the system's temporary
// folder (TMP unread; a name taken is left as it is and the next drawn),
// started by the system's cmd.exe, and deleted when it cannot start.
TEST_F(UninstallTest, ScriptPlaceAndStartFollowTheToken) {
  using test::Token;
  const std::string first = "\x01\x23\x45\x67", second = "\x89\xab\xcd\xef";
  const std::string firstName = std::string(test::kSystemTemp) + "tessarim-01234567.bat";
  const std::string secondName = std::string(test::kSystemTemp) + "tessarim-89abcdef.bat";
  const std::string temp = scratch_ + "temp\\", app = scratch_ + "app", program = app + "\\UTessarim.exe";
  const std::string cmd = "C:\\windows\\system32\\cmd.exe";
  enum Taken { Free, ByFile, ByFolder };
  struct Case {
    const char *what;
    Token token;
    std::vector<std::string> draws; // none: the random source fails
    Taken taken;                    // the first name
    std::string script;             // none: no script
  } cases[] = {
      {"limited", Token::kLimited, {first}, Free, temp + "tessarim.bat"},
      {"elevated", Token::kElevated, {first, second}, Free, firstName},
      {"token unanswered", Token::kUnanswered, {first}, Free, firstName},
      {"first name a file", Token::kElevated, {first, second}, ByFile, secondName},
      {"first name a folder", Token::kElevated, {first, second}, ByFolder, secondName},
      {"every name taken", Token::kElevated, {first}, ByFile, ""},
      {"no random bits", Token::kElevated, {}, Free, ""},
  };
  UseTempFolder(temp);
  CreateDirectoryA(app.c_str(), NULL);
  test::SetProgramPath(program);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    RecreateMainWindow();
    test::PutFile(temp + "tessarim.bat", "stale");
    if (c.taken == ByFile) test::PutFile(firstName, "someone's");
    if (c.taken == ByFolder) CreateDirectoryA(firstName.c_str(), NULL);
    test::g_seams = test::Seams();
    test::g_seams.token = c.token;
    test::g_seams.draws = c.draws;
    test::g_seams.randomFails = c.draws.empty();
    test::g_seams.refuseStarts = true;

    ScheduleSelfRemoval();

    bool limited = c.token == Token::kLimited;
    EXPECT_EQ(test::RecordedSteps(), std::vector<int>{1});
    EXPECT_EQ(test::g_seams.started, !c.script.empty());
    if (!c.script.empty()) {
      EXPECT_EQ(test::g_seams.script, ExpectedScript(program, app, c.script));
      EXPECT_EQ(test::g_seams.application, limited ? "<none>" : cmd);
      EXPECT_EQ(test::g_seams.commandLine,
                limited ? c.script : "\"" + cmd + "\" /d /e:on /v:off /s /c \"\"" + c.script + "\"\"");
      EXPECT_EQ(test::Exists(c.script), limited);
    }
    EXPECT_EQ(test::ReadWholeFile(temp + "tessarim.bat"),
              limited ? ExpectedScript(program, app, c.script) : "stale");
    if (c.taken != Free) {
      EXPECT_EQ(test::ReadWholeFile(firstName), c.taken == ByFile ? "someone's" : "<missing>");
    }
    test::RemoveTree(firstName);
  }
}

// A temporary folder with a blank: the script still runs, even with a
// program at the place the text before the blank would name.
TEST_F(UninstallTest, RunsTheScriptFromAFolderWithABlank) {
  std::string app = scratch_ + "app";
  CreateDirectoryA(app.c_str(), NULL);
  test::SetProgramPath(app + "\\UTessarim.exe");
  test::PutFile(scratch_ + "Temp.exe", "not a program");
  std::string temp = scratch_ + "Temp Dir\\";
  UseTempFolder(temp);

  ScheduleSelfRemoval();

  EXPECT_TRUE(PriorityRaised()) << "the script was not started";
  EXPECT_TRUE(test::WaitGone(app)) << "the script did not run";
  EXPECT_TRUE(test::WaitGone(temp + "tessarim.bat"));
}

// Where no whole script path or program path can be had, or the script
// cannot be started, nothing runs and nothing is said; the bar still moves.
TEST_F(UninstallTest, NoScriptWithoutAUsablePath) {
  std::string app = scratch_ + "app";
  CreateDirectoryA(app.c_str(), NULL);
  std::string fits = test::FolderOfLength(scratch_, 246);
  std::string tooLong = test::FolderOfLength(scratch_, 247);
  struct Case {
    const char *what;
    std::string temp;
    std::string program;
    bool interpreter; // false: COMSPEC names no program
    bool started;
    bool written;
  } cases[] = {
      {"longest temporary folder", fits, app + "\\UTessarim.exe", true, true, true},
      {"temporary folder one too long", tooLong, app + "\\UTessarim.exe", true, false, false},
      {"temporary folder missing", scratch_ + "missing\\", app + "\\UTessarim.exe", true, false, false},
      {"program path cut", fits, app + "\\" + std::string(300, 'x'), true, false, false},
      {"command interpreter missing", fits, app + "\\UTessarim.exe", false, false, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    RecreateMainWindow();
    test::SetTempVariable(c.temp);
    test::SetProgramPath(c.program);
    if (!c.interpreter) StartNoScripts();
    std::string script = c.temp + "tessarim.bat";

    test::BoxCloser boxes;
    ScheduleSelfRemoval();

    StartScripts();
    EXPECT_EQ(test::RecordedSteps(), std::vector<int>{1});
    EXPECT_EQ(PriorityRaised(), c.started);
    if (c.started) {
      EXPECT_TRUE(test::WaitGone(script));
    } else {
      EXPECT_EQ(test::Exists(script), c.written);
      EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), (DWORD)NORMAL_PRIORITY_CLASS);
    }
    EXPECT_TRUE(boxes.Texts().empty());
    DeleteFileA(script.c_str());
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
  }
}

} // namespace

namespace {

// The script, written but not started (COMSPEC names no program), for the
// program folder or the temporary folder named with each hostile name:
// every % doubled, the OEM bytes of the characters (é is 0xE9 in ANSI and
// 0x82 in OEM), the first line only when a path holds !, and no script at
// all where a path cannot be carried.
TEST_F(UninstallTest, ScriptBytesForHostileNames) {
  ASSERT_EQ(GetACP(), 1252u);
  ASSERT_EQ(GetOEMCP(), 437u);
  struct Case {
    const char *what;
    std::wstring part; // in the folder's name
    const char *oem;   // as the script must carry it; nullptr: no script
    bool inTemp;
  };
  std::vector<Case> cases;
  struct Name {
    const char *what;
    std::wstring part;
    const char *asProgram;
    const char *asTemp;
  } names[] = {
      {"blank", L" ", " ", " "},
      {"&", L"&", "&", "&"},
      {"^", L"^", "^", "^"},
      {"%", L"%", "%%", nullptr},
      {"%OS%", L"%OS%", "%%OS%%", nullptr},
      {"!", L"!", "!", nullptr},
      {"!OS!", L"!OS!", "!OS!", nullptr},
      {"( and )", L"(x)", "(x)", "(x)"},
      {", ; =", L",;=", ",;=", ",;="},
      {"'", L"'", "'", "'"},
      {"e acute", L"\u00e9", "\x82", "\x82"},
      {"euro", L"\u20ac", nullptr, nullptr},
      {"S caron", L"\u0160", nullptr, nullptr},
      {"CJK", L"\u8868", nullptr, nullptr},
  };
  for (const Name &n : names) {
    cases.push_back({n.what, n.part, n.asProgram, false});
    cases.push_back({n.what, n.part, n.asTemp, true});
  }

  StartNoScripts();
  const std::string base = scratch_; // ASCII: the test's scratch folder
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.what) + (c.inTemp ? " in the temporary folder" : " in the program folder"));
    RecreateMainWindow();
    std::wstring folder = test::Wide(base) + (c.inTemp ? std::wstring(L"app") : L"A" + c.part + L"B");
    std::wstring temp = test::Wide(base) + (c.inTemp ? L"T" + c.part + L"U\\" : std::wstring(L"temp\\"));
    CreateDirectoryW(folder.c_str(), NULL);
    CreateDirectoryW(temp.c_str(), NULL);
    test::SetProgramPathW(folder + L"\\UTessarim.exe");
    SetEnvironmentVariableW(L"TMP", temp.c_str());
    std::wstring script = temp + L"tessarim.bat";

    ScheduleSelfRemoval();

    EXPECT_EQ(test::RecordedSteps(), std::vector<int>{1});
    std::string written = test::ReadWholeFile(test::Ansi(script));
    if (c.oem == nullptr) {
      EXPECT_EQ(written, "<missing>") << "no script may be written";
    } else {
      std::string oemFolder = base + (c.inTemp ? std::string("app") : "A" + std::string(c.oem) + "B");
      std::string oemScript =
          base + (c.inTemp ? "T" + std::string(c.oem) + "U\\" : std::string("temp\\")) + "tessarim.bat";
      bool bang = !c.inTemp && c.part.find(L'!') != std::wstring::npos;
      std::string expected = (bang ? "setlocal DisableDelayedExpansion\r\n" : "") +
                             ExpectedScript(oemFolder + "\\UTessarim.exe", oemFolder, oemScript);
      EXPECT_EQ(written, expected);
    }
    test::RemoveTreeW(folder);
    test::RemoveTreeW(temp);
  }
}

// A program in a drive's root, or in the current drive's root, writes no
// rmdir line: rmdir "C:" would name drive C's current folder.
TEST_F(UninstallTest, NoRmdirLineForADriveRoot) {
  StartNoScripts();
  std::string temp = scratch_ + "temp\\";
  UseTempFolder(temp);
  for (const char *program : {"C:\\UTessarim.exe", "\\UTessarim.exe"}) {
    SCOPED_TRACE(program);
    test::SetProgramPath(program);

    ScheduleSelfRemoval();

    std::string written = test::ReadWholeFile(temp + "tessarim.bat");
    std::string all = ExpectedScript(program, "<folder>", temp + "tessarim.bat");
    std::string expected = all.substr(0, all.find("rmdir")) + all.substr(all.find("del \"" + temp));
    EXPECT_EQ(written, expected);
    EXPECT_EQ(written.find("rmdir"), std::string::npos);
    DeleteFileA((temp + "tessarim.bat").c_str());
  }
}

// On a double-byte code page (932's lead bytes here) the second byte of a
// letter may be 92 (\\): the folder ends at the last backslash of its own,
// and a folder whose last letter ends in that byte is still removed.
TEST(ScriptText, SecondBytesOfLettersAreNoBackslashes) {
  LeadByteTest lead932 = [](unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); };
  const std::string letter = "\x95\\"; // a letter whose second byte is 92
  struct Case {
    std::string program;
    std::string folder; // empty: no rmdir line
  } cases[] = {
      {"C:\\Tools\\" + letter + "\\UTessarim.exe", "C:\\Tools\\" + letter},
      {"C:\\" + letter + "\\UTessarim.exe", "C:\\" + letter},
      {"C:\\Tools\\" + letter + "UTessarim.exe", "C:\\Tools"},
      {"C:\\" + letter + "UTessarim.exe", ""},
  };
  const std::string script = "C:\\Temp\\tessarim.bat";
  const std::string ping = "C:\\windows\\system32\\ping.exe";
  for (const Case &c : cases) {
    SCOPED_TRACE(c.program);
    char text[kScriptTextCapacity];
    unsigned length =
        MakeScriptText(c.program.data(), (unsigned)c.program.size(), ping.data(), (unsigned)ping.size(),
                       script.data(), (unsigned)script.size(), text, sizeof text, lead932);
    std::string all = ExpectedScript(c.program, c.folder, script);
    if (c.folder.empty()) all = all.substr(0, all.find("rmdir")) + all.substr(all.find("del \"" + script));
    EXPECT_EQ(std::string(text, length), all);
  }
}

// A program file that can never be deleted, read-only or held open by
// another program: each script, elevated or not, gives up after about a
// minute (100 quick tries, then 60 a second apart), leaves the program and
// its folder, and deletes itself; nothing beside them is touched. All run
// at once.
TEST_F(UninstallTest, ScriptGivesUpOnAProgramThatStays) {
  struct Case {
    const char *what;
    bool locked;
    std::string folder, program, temp;
    HANDLE lock;
    char draw = 0; // elevated, with this last random byte
    std::string script = "";
  } cases[] = {
      {"read-only", false, scratch_ + "read-only", "", scratch_ + "temp-read-only\\", INVALID_HANDLE_VALUE},
      {"held open", true, scratch_ + "held-open", "", scratch_ + "temp-held-open\\", INVALID_HANDLE_VALUE},
      {"read-only, elevated", false, scratch_ + "ro-elevated", "", scratch_ + "temp-ro\\",
       INVALID_HANDLE_VALUE, 1},
      {"held open, elevated", true, scratch_ + "ho-elevated", "", scratch_ + "temp-ho\\",
       INVALID_HANDLE_VALUE, 2},
  };
  // A folder next door, named as the program's folder would be if the
  // script read it wrong, and another script in each temporary folder.
  std::string neighbour = scratch_ + "read-onlx";
  CreateDirectoryA(neighbour.c_str(), NULL);
  test::PutFile(neighbour + "\\UTessarim.exe", "neighbour");
  for (Case &c : cases) {
    SCOPED_TRACE(c.what);
    CreateDirectoryA(c.folder.c_str(), NULL);
    c.program = c.folder + "\\UTessarim.exe";
    test::PutFile(c.program, "the program");
    if (c.locked) {
      c.lock = CreateFileA(c.program.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
      ASSERT_NE(c.lock, INVALID_HANDLE_VALUE);
    } else {
      SetFileAttributesA(c.program.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    UseTempFolder(c.temp);
    test::PutFile(c.temp + "other.bat", "other");
    test::SetProgramPath(c.program);
    test::g_seams.token = c.draw ? test::Token::kElevated : test::Token::kLimited;
    test::g_seams.draws = {std::string("\0\0\0", 3) + c.draw};
    c.script = c.draw ? test::kSystemTemp + std::string("tessarim-0000000") + char('0' + c.draw) + ".bat"
                      : c.temp + "tessarim.bat";

    ScheduleSelfRemoval();

    EXPECT_TRUE(PriorityRaised()) << "the script was not started";
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
  }
  DWORD start = GetTickCount();
  Sleep(20000);
  for (Case &c : cases)
    EXPECT_TRUE(test::Exists(c.script)) << c.what << ": the script stopped trying too soon";
  for (Case &c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_TRUE(test::WaitGone(c.script, 120000)) << "the script did not give up";
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 50000u);
    EXPECT_LE(elapsed, 110000u);
    EXPECT_EQ(test::ReadWholeFile(c.program), "the program");
    EXPECT_TRUE(test::Exists(c.folder));
    EXPECT_EQ(test::ReadWholeFile(c.temp + "other.bat"), "other");
    if (c.lock != INVALID_HANDLE_VALUE) CloseHandle(c.lock);
    SetFileAttributesA(c.program.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  EXPECT_EQ(test::ReadWholeFile(neighbour + "\\UTessarim.exe"), "neighbour");
}

} // namespace
