// Whole runs of the real UTessarim.exe with its program folder, or its
// temporary folder, named with a character that the command interpreter
// treats specially, or one that a code page lacks, elevated or with the
// limited token. OK is pressed as a person would. Each run ends in one of
// three ways:
//
//   gone:      the library and its registry entries, then the program,
//              its folder and the script are gone;
//   no script: the library and its registry entries are gone, the program
//              and its folder stay, and no script was written;
//   untouched: nothing is touched at all.
//
// Elevated, TMP is never read, so every temporary folder ends with all gone,
// and COMSPEC (a recording one) never runs.
//
// And in every run no decoy is touched: a folder named as the special
// characters would leave it if they were dropped, expanded or read in the
// wrong code page, holding a program and a library, or a planted
// tessarim.bat that leaves a marker file if it ever runs. Planted scripts
// also stand where a command line split at the special character would
// lead. All of it lives under the test's scratch folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "seams.h"
#include "support.h"
#include "uninstaller.h"

namespace {

std::wstring FromBuild(const char *unixPath) {
  std::string path = std::string("Z:") + unixPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return test::Wide(path);
}

std::wstring ProgramFile() { return FromBuild(UTESSARIM_EXE); }
std::wstring DelayedCmd() { return FromBuild(DELAYED_CMD_EXE); }

void PutFileW(const std::wstring &path, const std::string &content) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << test::Ansi(path);
  DWORD written = 0;
  WriteFile(file, content.data(), (DWORD)content.size(), &written, NULL);
  CloseHandle(file);
  ASSERT_EQ(written, content.size());
}

std::string ReadW(const std::wstring &path) { return test::ReadWholeFileW(path); }

// Makes every folder of `path` (which ends in a backslash) below `base`.
void MakeFolders(const std::wstring &base, const std::wstring &path) {
  for (size_t at = path.find(L'\\', base.size()); at != std::wstring::npos; at = path.find(L'\\', at + 1))
    CreateDirectoryW(path.substr(0, at).c_str(), NULL);
}

enum Outcome { Gone, NoScript, Untouched };

const char *OutcomeName(Outcome outcome) {
  return outcome == Gone ? "gone" : outcome == NoScript ? "no script" : "untouched";
}

struct Name {
  const char *label;
  std::wstring part;                 // put into the folder's name
  std::vector<std::wstring> misread; // the part dropped, expanded or read wrongly
  Outcome asProgramFolder;
  Outcome asTempFolder;
  bool delayed; // run once more with delayed expansion on
};

// é is in ANSI 1252 (0xE9) and OEM 437 (0x82): read as OEM, 0xE9 is Θ.
// € (ANSI 0x80) and Š (ANSI 0x8A) are not in OEM 437, where 0x80 and 0x8A
// are Ç and è. 表 is in neither: the ANSI path holds ?, which del takes
// for a wildcard matching any one character, such as _.
std::vector<Name> HostileNames() {
  const std::wstring dropped;
  return {
      {"blank", L" ", {dropped}, Gone, Gone, false},
      {"&", L"&", {dropped}, Gone, Gone, false},
      {"^", L"^", {dropped}, Gone, Gone, false},
      {"%", L"%", {dropped}, Gone, NoScript, false},
      {"%OS%", L"%OS%", {dropped, L"OS", L"Windows_NT"}, Gone, NoScript, false},
      {"!", L"!", {dropped}, Gone, NoScript, true},
      {"!OS!", L"!OS!", {dropped, L"OS", L"Windows_NT"}, Gone, NoScript, true},
      {"(", L"(", {dropped}, Gone, Gone, false},
      {")", L")", {dropped}, Gone, Gone, false},
      {",", L",", {dropped}, Gone, Gone, false},
      {";", L";", {dropped}, Gone, Gone, false},
      {"=", L"=", {dropped}, Gone, Gone, false},
      {"'", L"'", {dropped}, Gone, Gone, false},
      {"e acute (ANSI and OEM)", L"\u00e9", {dropped, L"\u0398", L"e"}, Gone, Gone, false},
      {"euro (ANSI, not OEM)", L"\u20ac", {dropped, L"\u00c7", L"E", L"_"}, NoScript, NoScript, false},
      {"S caron (ANSI, not OEM)", L"\u0160", {dropped, L"\u00e8", L"S", L"_"}, NoScript, NoScript, false},
      {"CJK (not ANSI)", L"\u8868", {dropped, L"_"}, Untouched, NoScript, false},
  };
}

class HostilePaths : public ::testing::Test {
 protected:
  void SetUp() override {
    scratchName_ = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    scratch_ = test::Wide(test::MakeScratch(scratchName_));
  }

  void TearDown() override {
    ForgetRegistry();
    test::RemoveTreeW(scratch_);
  }

  // The library's registry entries, named by its ANSI path as an
  // installer using the A functions would have written them.
  void Register(const std::wstring &library) {
    library_ = test::Ansi(library);
    test::DeleteKeyTree(HKEY_CURRENT_USER, test::kHostKey);
    test::PutString(HKEY_LOCAL_MACHINE, test::kSharedDllsKey, library_, "1");
    test::PutString(HKEY_CURRENT_USER, test::kHostKey, "Func0", "C:\\other.dll");
    test::PutString(HKEY_CURRENT_USER, test::kHostKey, "Func1", library_);
    test::PutString(HKEY_LOCAL_MACHINE, test::kUninstallKey, "DisplayName", "Tessarim");
  }

  void ForgetRegistry() {
    if (!library_.empty()) test::DeleteValue(HKEY_LOCAL_MACHINE, test::kSharedDllsKey, library_);
    test::DeleteKeyTree(HKEY_CURRENT_USER, test::kHostKey);
    test::DeleteKeyTree(HKEY_LOCAL_MACHINE, test::kUninstallKey);
    library_.clear();
  }

  // Starts the program, presses Enter on its OK button once the dialog
  // shows, and waits for the program to end.
  void RunAndPressOk(const std::wstring &program, const std::wstring &temp, bool limited) {
    SetEnvironmentVariableW(L"TMP", temp.c_str());
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(test::StartProgram(program, scratch_, limited, &process));
    HWND focus = NULL;
    if (test::WaitForDialog(process, &focus) != NULL) {
      PostMessageA(focus, WM_KEYDOWN, VK_RETURN, 0x001C0001);
      PostMessageA(focus, WM_KEYUP, VK_RETURN, 0xC01C0001);
    }
    test::FinishProcess(process);
  }

  std::string scratchName_, library_;
  std::wstring scratch_;
  // Put back after TearDown whatever way the test ended.
  test::SavedVariable temp_{L"TMP"}, comspec_{L"COMSPEC"}, comspecRecord_{L"TESSARIM_COMSPEC_RECORD"};
};

TEST_F(HostilePaths, CodePagesArePinned) {
  // scripts/wine-run.sh pins the locale; every case below depends on it.
  EXPECT_EQ(GetACP(), 1252u);
  EXPECT_EQ(GetOEMCP(), 437u);
}

// The command interpreter stand-in for COMSPEC does switch delayed
// expansion on, so the runs that use it show what such a machine does.
TEST_F(HostilePaths, DelayedExpansionStandInExpands) {
  std::wstring script = scratch_ + L"probe.bat";
  std::wstring out = scratch_ + L"probe.txt";
  PutFileW(script, "@echo !OS!>\"" + test::Ansi(out) + "\"\r\n");
  SetEnvironmentVariableW(L"COMSPEC", DelayedCmd().c_str());
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::wstring commandLine = script;
  ASSERT_TRUE(CreateProcessW(NULL, &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process));
  WaitForSingleObject(process.hProcess, 30000);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  EXPECT_EQ(ReadW(out), "Windows_NT\r\n");
}

TEST_F(HostilePaths, EachNameIsRemovedOrLeftAndNothingElseIsTouched) {
  ASSERT_EQ(GetACP(), 1252u);
  ASSERT_EQ(GetOEMCP(), 437u);
  const std::string decoyText = "decoy";

  struct Run {
    std::string label;
    const Name *name;
    bool inTemp;           // the name is the temporary folder's, else the program folder's
    bool delayed;          // delayed expansion on
    bool elevated = false; // else started with the limited token
  };
  std::vector<Name> names = HostileNames();
  std::vector<Run> runs;
  for (const Name &n : names) {
    runs.push_back({std::string("program folder ") + n.label, &n, false, false});
    runs.push_back({std::string("temporary folder ") + n.label, &n, true, false});
    if (n.delayed)
      runs.push_back({std::string("program folder ") + n.label + ", delayed expansion on", &n, false, true});
    runs.push_back({std::string("elevated, program folder ") + n.label, &n, false, false, true});
    runs.push_back({std::string("elevated, temporary folder ") + n.label, &n, true, false, true});
  }

  int index = 0;
  for (const Run &r : runs) {
    SCOPED_TRACE(r.label);
    const Name &n = *r.name;
    Outcome expected = !r.inTemp ? n.asProgramFolder : r.elevated ? Gone : n.asTempFolder;
    SCOPED_TRACE(OutcomeName(expected));
    std::wstring caseName = L"c" + std::to_wstring(index++);
    std::wstring caseDir = scratch_ + caseName + L"\\";
    CreateDirectoryW(caseDir.c_str(), NULL);
    std::wstring marker = caseDir + L"planted-script-ran.txt";
    std::string plantedScript = "@echo %~f0>>\"" + test::Ansi(marker) + "\"\r\n";
    std::vector<std::pair<std::wstring, std::string>> decoys; // files that must keep their content

    // The program's folder: A<part>B, or a plain one.
    std::wstring folder = caseDir + (r.inTemp ? std::wstring(L"app") : L"A" + n.part + L"B");
    std::wstring program = folder + L"\\UTessarim.exe";
    std::wstring library = folder + L"\\tessarim.dll";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), NULL)) << test::Ansi(folder);
    ASSERT_TRUE(CopyFileW(ProgramFile().c_str(), program.c_str(), FALSE));
    PutFileW(library, "library");
    if (!r.inTemp) {
      for (const std::wstring &m : n.misread) {
        std::wstring decoy = caseDir + L"A" + m + L"B";
        CreateDirectoryW(decoy.c_str(), NULL);
        for (const wchar_t *file : {L"\\UTessarim.exe", L"\\tessarim.dll"}) {
          PutFileW(decoy + file, decoyText);
          decoys.push_back({decoy + file, decoyText});
        }
      }
    }

    // The temporary folder: T<part><rest>\, where <rest> is the path of
    // caseDir\U from the drive's root, the script's current folder. A
    // command line split after <part> would run caseDir\U\tessarim.bat;
    // one split before it, caseDir\T.bat or caseDir\T.exe.
    std::wstring rest = L"tessarim-tests\\" + test::Wide(scratchName_) + L"\\" + caseName + L"\\U\\";
    std::wstring temp = r.inTemp ? caseDir + L"T" + n.part + rest : caseDir + L"temp\\";
    MakeFolders(caseDir, temp);
    std::wstring script = temp + L"tessarim.bat";
    if (r.inTemp) {
      std::vector<std::wstring> plants = {caseDir + L"U\\tessarim.bat", caseDir + L"T.bat"};
      for (const std::wstring &m : n.misread) plants.push_back(caseDir + L"T" + m + rest + L"tessarim.bat");
      for (const std::wstring &plant : plants) {
        MakeFolders(caseDir, plant);
        PutFileW(plant, plantedScript);
        decoys.push_back({plant, plantedScript});
      }
      PutFileW(caseDir + L"T.exe", decoyText);
      decoys.push_back({caseDir + L"T.exe", decoyText});
    }

    Register(library);
    std::wstring comspecRan = caseDir + L"comspec-ran.txt";
    if (r.delayed || r.elevated) SetEnvironmentVariableW(L"COMSPEC", DelayedCmd().c_str());
    if (r.elevated) SetEnvironmentVariableW(L"TESSARIM_COMSPEC_RECORD", comspecRan.c_str());
    std::set<std::string> systemScripts = test::SystemScripts();

    RunAndPressOk(program, temp, !r.elevated);

    // An elevated script's name is random: done when no new one is left.
    auto scriptDone = [&] { return !test::ExistsW(script) && test::SystemScripts() == systemScripts; };
    if (expected == Gone) {
      EXPECT_TRUE(test::WaitFor(scriptDone, 60000)) << "the script did not finish";
      // The script's own command interpreter may still be closing.
      EXPECT_TRUE(test::WaitFor([&] { return !test::ExistsW(folder); }, 5000)) << "the folder stays";
      EXPECT_FALSE(test::ExistsW(program));
    } else {
      // Nothing was started that could still act: give it the time a
      // script would need, then look.
      Sleep(1500);
      EXPECT_TRUE(scriptDone()) << "a script was written";
      EXPECT_TRUE(test::ExistsW(program));
      EXPECT_TRUE(test::ExistsW(folder));
    }
    bool acted = expected != Untouched;
    EXPECT_EQ(test::ExistsW(library), !acted);
    EXPECT_EQ(test::HasValue(HKEY_LOCAL_MACHINE, test::kSharedDllsKey, library_), !acted);
    EXPECT_EQ(test::HasValue(HKEY_CURRENT_USER, test::kHostKey, "Func1"), !acted);
    EXPECT_TRUE(test::HasValue(HKEY_CURRENT_USER, test::kHostKey, "Func0"));
    EXPECT_EQ(test::HasKey(HKEY_LOCAL_MACHINE, test::kUninstallKey), !acted);

    EXPECT_FALSE(test::ExistsW(marker)) << "a planted script ran: " << ReadW(marker);
    EXPECT_FALSE(test::ExistsW(comspecRan)) << "COMSPEC ran: " << ReadW(comspecRan);
    for (const auto &decoy : decoys)
      EXPECT_EQ(ReadW(decoy.first), decoy.second) << "decoy touched: " << test::Ansi(decoy.first);

    comspec_.Restore();
    ForgetRegistry();
    test::RemoveTreeW(caseDir);
  }
}

// The installer's folder rule, tessarim-check.dll, is the uninstaller's
// own checks: it accepts a folder exactly when the runs above remove
// everything from there, and names the reason the uninstaller would stop.
TEST_F(HostilePaths, InstallerAcceptsExactlyTheFoldersRemovedWhole) {
  HMODULE check = LoadLibraryW(FromBuild(TESSARIM_CHECK_DLL).c_str());
  ASSERT_NE(check, nullptr);
  typedef int(WINAPI * Verdict)(const WCHAR *);
  Verdict verdict = (Verdict)(void *)GetProcAddress(check, "FolderVerdict");
  ASSERT_NE(verdict, nullptr);
  const int accepted = 0, notInAnsi = 1, tooLong = 2, notInScript = 3;
  for (const Name &n : HostileNames()) {
    SCOPED_TRACE(n.label);
    int expected = n.asProgramFolder == Gone       ? accepted
                   : n.asProgramFolder == NoScript ? notInScript
                                                   : notInAnsi;
    EXPECT_EQ(verdict((scratch_ + L"A" + n.part + L"B").c_str()), expected);
  }
  // UTessarim.exe is one character longer than tessarim.dll: its path is
  // the one that must fit 259 characters.
  struct Length {
    size_t folder;
    int expected;
  } lengths[] = {{245, accepted}, {246, tooLong}, {300, tooLong}};
  for (const Length &l : lengths) {
    SCOPED_TRACE(l.folder);
    std::wstring folder = L"C:\\" + std::wstring(l.folder - 3, L'f');
    EXPECT_EQ(verdict(folder.c_str()), l.expected);
  }
  FreeLibrary(check);
}

} // namespace
