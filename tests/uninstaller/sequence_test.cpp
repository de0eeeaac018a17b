// The uninstall sequence in the test's own process, against the real
// registry of the Wine prefix and real files in scratch folders.
#include "fixture.h"

#include <algorithm>

namespace {

using test::HasValue;
using test::kHostKey;
using test::kSharedDllsKey;
using test::kUninstallKey;

// The library path for every placement of the program, from the program
// path alone.
TEST(LibraryPath, TakesThePlaceOfTheProgramName) {
  const std::string folder247(246, 'f'); // with its backslash: 247 characters
  struct Case {
    const char *what;
    std::string program;
    bool usable;
    std::string library;
  } cases[] = {
      {"in a folder", "C:\\Tools\\Addon\\UTessarim.exe", true, "C:\\Tools\\Addon\\tessarim.dll"},
      {"in a drive's root", "C:\\UTessarim.exe", true, "C:\\tessarim.dll"},
      {"backslash first", "\\UTessarim.exe", true, "\\tessarim.dll"},
      // A bare name would name a file in whatever the current folder is.
      {"no folder", "UTessarim.exe", false, ""},
      {"no path at all", "", false, ""},
      {"longest folder that fits", folder247 + "\\U.exe", true, folder247 + "\\tessarim.dll"},
      {"folder one too long", folder247 + "g\\U.exe", false, ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    char path[MAX_PATH];
    lstrcpyA(path, c.program.c_str());
    EXPECT_EQ(MakeLibraryPath(path, (DWORD)c.program.size()), c.usable);
    if (c.usable) {
      EXPECT_EQ(std::string(path), c.library);
    }
  }
  // Cut as the platform cuts: MAX_PATH - 1 characters, a zero, and
  // MAX_PATH as the length. Its folder part would have room.
  char cut[MAX_PATH];
  lstrcpyA(cut, ("C:\\" + std::string(MAX_PATH - 4, 'a')).c_str());
  EXPECT_FALSE(MakeLibraryPath(cut, MAX_PATH)) << "a path that filled the buffer was cut";
}

TEST_F(UninstallTest, RemovesTheLibraryBesideTheProgram) {
  struct Case {
    const char *what;
    std::string folder;
  } cases[] = {
      {"program in a folder", scratch_ + "Math Add-on"},
      {"program in a drive's root", "C:"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    std::string library = PlaceProgram(c.folder);
    Install(library);
    // A library of the same name elsewhere is not the one to delete.
    std::string other = scratch_ + "tessarim.dll";
    test::PutFile(other, "another copy");
    test::PutString(HKEY_LOCAL_MACHINE, kSharedDllsKey, other, "1");
    entries_.Count(other);

    RunUninstall();

    EXPECT_FALSE(test::Exists(library));
    EXPECT_FALSE(HasValue(HKEY_LOCAL_MACHINE, kSharedDllsKey, library));
    EXPECT_FALSE(HasValue(HKEY_CURRENT_USER, kHostKey, "Func0"));
    EXPECT_FALSE(test::HasKey(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_TRUE(test::Exists(other));
    EXPECT_TRUE(HasValue(HKEY_LOCAL_MACHINE, kSharedDllsKey, other));
    test::RemoveTree(other);
  }
}

// Which Func<n> value the scan deletes, if any; every other value must
// keep its name and its data.
TEST_F(UninstallTest, HostListScanDeletesOnlyTheFirstMatch) {
  std::string library = PlaceProgram(scratch_ + "Math Add-on Folder");
  test::PutFile(library, "library");
  char shortForm[MAX_PATH] = {};
  GetShortPathNameA(library.c_str(), shortForm, MAX_PATH);
  ASSERT_NE(std::string(shortForm), library) << "the scratch folder should have a distinct short name";
  std::string upper = library;
  CharUpperA(&upper[0]);
  std::string unixForm;
  using UnixName = char *(CDECL *)(const WCHAR *);
  if (auto toUnix = reinterpret_cast<UnixName>(reinterpret_cast<void *>(
          GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")))) {
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, library.c_str(), -1, wide, MAX_PATH);
    if (char *name = toUnix(wide)) {
      unixForm = std::string("Z:") + name;
      for (char &ch : unixForm) ch = ch == '/' ? '\\' : ch;
      HeapFree(GetProcessHeap(), 0, name);
    }
  }
  const std::string unterminated(MAX_PATH, 'x');
  const std::string overlong(300, 'y');

  struct Value {
    std::string name;
    std::string data;
    bool binary;
  };
  struct Case {
    const char *what;
    std::vector<Value> values;
    std::vector<std::string> deleted;
  };
  std::vector<Case> cases = {
      {"match in other letter case leaves a gap",
       {{"Func0", "C:\\a.dll", false},
        {"Func1", upper, false},
        {"Func2", "C:\\b.dll", false},
        {"Func3", "C:\\c.dll", false}},
       {"Func1"}},
      {"a missing Func1 ends the scan", {{"Func0", "C:\\a.dll", false}, {"Func2", library, false}}, {}},
      {"data over 260 bytes takes its number",
       {{"Func0", overlong, false}, {"Func1", library, false}},
       {"Func1"}},
      {"only the lower of two matches",
       {{"Func0", "C:\\a.dll", false}, {"Func1", library, false}, {"Func2", library, false}},
       {"Func1"}},
      {"other forms of the path do not match",
       {{"Func0", shortForm, false},
        {"Func1", unixForm.empty() ? library + "." : unixForm, false},
        {"Func2", library + " ", false}},
       {}},
      {"260 bytes without an end are passed over",
       {{"Func0", unterminated, true}, {"Func1", library, false}},
       {"Func1"}},
      {"a full list without a match ends at Func255", {}, {}},
  };
  for (unsigned i = 0; i < 256; ++i)
    cases.back().values.push_back(
        {"Func" + std::to_string(i), "C:\\lib" + std::to_string(i) + ".dll", false});
  cases.back().values.push_back({"Func256", library, false});

  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    test::DeleteKeyTree(HKEY_CURRENT_USER, kHostKey);
    for (const Value &v : c.values) {
      if (v.binary)
        test::PutBinary(HKEY_CURRENT_USER, kHostKey, v.name, v.data);
      else
        test::PutString(HKEY_CURRENT_USER, kHostKey, v.name, v.data);
    }

    RunUninstall();

    for (const Value &v : c.values) {
      bool deleted = std::find(c.deleted.begin(), c.deleted.end(), v.name) != c.deleted.end();
      EXPECT_EQ(HasValue(HKEY_CURRENT_USER, kHostKey, v.name), !deleted) << v.name;
      if (!deleted) {
        std::string data = test::GetData(HKEY_CURRENT_USER, kHostKey, v.name);
        EXPECT_EQ(data.substr(0, v.data.size()), v.data) << v.name;
      }
    }
  }
}

// The program list's entry goes only with the installation it names: a
// copy of the program elsewhere leaves it. Folders compare as the file
// system compares names, in long form.
TEST_F(UninstallTest, UninstallEntryGoesOnlyWithItsFolder) {
  std::string folder = scratch_ + "Stra\337e Add-on"; // \337: ß in code page 1252
  PlaceProgram(folder);
  CreateDirectoryA((scratch_ + "Strasse Add-on").c_str(), NULL);
  char shortForm[MAX_PATH] = {};
  GetShortPathNameA(folder.c_str(), shortForm, MAX_PATH);
  ASSERT_NE(std::string(shortForm), folder) << "the folder should have a distinct short name";
  std::string upper = folder;
  CharUpperA(&upper[0]);
  struct Case {
    const char *what;
    std::string location;
    bool deleted;
  } cases[] = {
      {"this folder, other letter case, final backslash", upper + "\\", true},
      {"this folder by its short name", shortForm, true},
      {"Strasse, another folder", scratch_ + "Strasse Add-on", false},
      {"a folder that is not there", scratch_ + "gone", false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    test::PutString(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation", c.location);

    RunUninstall();

    EXPECT_EQ(test::HasKey(HKEY_LOCAL_MACHINE, kUninstallKey), !c.deleted);
    test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
  }
}

// A program path that was cut, or whose folder leaves no room for the
// library's name, changes nothing; the bar still ends full, silently.
TEST_F(UninstallTest, CutPathsChangeNothing) {
  std::string app = scratch_ + "app\\";
  CreateDirectoryA(app.c_str(), NULL);
  std::string room = test::FolderOfLength(app, 247);
  std::string noRoom = test::FolderOfLength(app, 248);
  struct Case {
    const char *what;
    std::string program;
    std::string library; // where the library is installed
    bool acted;
  } cases[] = {
      // Cut to 259 characters, the path would name the library in app\.
      {"program path cut", app + std::string(300, 'x') + "\\UTessarim.exe", app + "tessarim.dll", false},
      {"no room for the library's name", noRoom + "U.exe", noRoom + "tessarim.dll", false},
      {"just enough room", room + "U.exe", room + "tessarim.dll", true},
  };
  UseTempFolder(scratch_ + "temp");
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    test::BoxCloser boxes;
    RecreateMainWindow();
    test::SetProgramPath(c.program);
    if (c.library.size() < MAX_PATH) Install(c.library);
    test::PutString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "Tessarim");

    RunUninstall();

    EXPECT_EQ(test::RecordedSteps(), (std::vector<int>{1, 2}));
    EXPECT_EQ(test::HasKey(HKEY_LOCAL_MACHINE, kUninstallKey), !c.acted);
    if (c.library.size() < MAX_PATH) {
      EXPECT_EQ(test::Exists(c.library), !c.acted);
      EXPECT_EQ(HasValue(HKEY_LOCAL_MACHINE, kSharedDllsKey, c.library), !c.acted);
      EXPECT_EQ(HasValue(HKEY_CURRENT_USER, kHostKey, "Func0"), !c.acted);
    }
    EXPECT_EQ(PriorityRaised(), c.acted) << "the script is started only for a whole path";
    EXPECT_TRUE(test::WaitGone(scratch_ + "temp\\tessarim.bat"));
    EXPECT_TRUE(boxes.Texts().empty());
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
  }
}

// A program path that does not name this program touches nothing: no path
// at all, a bare name (which would name a file in the current folder), or
// an ANSI path that is not the program's wide path in the ANSI code page,
// where a letter that ANSI lacks reads as ? or as a look-alike that names
// another real folder.
TEST_F(UninstallTest, ProgramPathsNamingNoProgramChangeNothing) {
  std::string current = scratch_ + "current";
  CreateDirectoryA(current.c_str(), NULL);
  const test::CurrentFolder inCurrent(current);
  UseTempFolder(scratch_ + "temp");

  struct Case {
    const char *what;
    std::wstring program; // the wide path; its ANSI form is the platform's
    std::wstring library; // where a library that must stay is installed
  } cases[] = {
      {"no path", L"", test::Wide(current) + L"\\tessarim.dll"},
      {"bare name", L"UTessarim.exe", test::Wide(current) + L"\\tessarim.dll"},
      // The ANSI form reads \u014C as O: Odd\ is another, real folder.
      {"look-alike letter", test::Wide(scratch_) + L"\u014Cdd\\UTessarim.exe",
       test::Wide(scratch_) + L"Odd\\tessarim.dll"},
      {"letter ANSI lacks", test::Wide(scratch_) + L"\u8868\\UTessarim.exe",
       test::Wide(scratch_) + L"\u8868\\tessarim.dll"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    test::BoxCloser boxes;
    RecreateMainWindow();
    test::SetProgramPathW(c.program);
    std::wstring folder = c.library.substr(0, c.library.rfind(L'\\'));
    CreateDirectoryW(folder.c_str(), NULL);
    std::string library = test::Ansi(c.library);
    HANDLE file = CreateFileW(c.library.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    // The entries an installer using the A functions would have made.
    test::PutString(HKEY_LOCAL_MACHINE, kSharedDllsKey, library, "1");
    entries_.Count(library);
    test::PutString(HKEY_CURRENT_USER, kHostKey, "Func0", library);
    test::PutString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "Tessarim");
    if (c.program.find(L'\u014C') != std::wstring::npos) {
      ASSERT_EQ(test::Ansi(c.program), scratch_ + "Odd\\UTessarim.exe") << "no look-alike in this code page";
    }

    RunUninstall();

    EXPECT_EQ(test::RecordedSteps(), (std::vector<int>{1, 2}));
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_TRUE(test::ExistsW(c.library));
    EXPECT_TRUE(HasValue(HKEY_LOCAL_MACHINE, kSharedDllsKey, library));
    EXPECT_TRUE(HasValue(HKEY_CURRENT_USER, kHostKey, "Func0"));
    EXPECT_TRUE(test::HasKey(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(PriorityRaised()) << "a script was started";
    EXPECT_FALSE(test::Exists(scratch_ + "temp\\tessarim.bat"));
    test::RemoveTreeW(c.library);
  }
}

// A library file that cannot be deleted is reported once, by its full path;
// the rest of the sequence runs all the same. A file already gone is not.
TEST_F(UninstallTest, LibraryFileFailures) {
  enum Setup { ReadOnly, Locked, FolderMissing, AlreadyGone };
  struct Case {
    const char *what;
    Setup setup;
    bool warned;
  } cases[] = {
      {"read-only", ReadOnly, true},
      {"locked by another user of the file", Locked, true},
      {"folder missing", FolderMissing, true},
      {"already gone", AlreadyGone, false},
  };
  UseTempFolder(scratch_ + "temp");
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    RecreateMainWindow();
    std::string folder = scratch_ + (c.setup == FolderMissing ? "gone" : "app");
    std::string library = PlaceProgram(folder);
    if (c.setup == FolderMissing)
      RemoveDirectoryA(folder.c_str());
    else
      Install(library);
    test::PutString(HKEY_CURRENT_USER, kHostKey, "Func0", library);
    test::PutString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "Tessarim");
    HANDLE lock = INVALID_HANDLE_VALUE;
    if (c.setup == ReadOnly) SetFileAttributesA(library.c_str(), FILE_ATTRIBUTE_READONLY);
    if (c.setup == Locked) lock = CreateFileA(library.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (c.setup == AlreadyGone) DeleteFileA(library.c_str());

    std::vector<std::string> texts;
    {
      test::BoxCloser boxes;
      RunUninstall();
      texts = boxes.Texts();
    }
    if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);

    EXPECT_EQ(texts, c.warned ? std::vector<std::string>{library} : std::vector<std::string>{});
    EXPECT_EQ(test::RecordedSteps(), (std::vector<int>{1, 2}));
    EXPECT_EQ(test::Exists(library), c.setup == ReadOnly || c.setup == Locked);
    EXPECT_FALSE(HasValue(HKEY_CURRENT_USER, kHostKey, "Func0"));
    EXPECT_FALSE(HasValue(HKEY_LOCAL_MACHINE, kSharedDllsKey, library));
    EXPECT_FALSE(test::HasKey(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_TRUE(PriorityRaised()) << "the self-removal script was not started";
    EXPECT_TRUE(test::WaitGone(scratch_ + "temp\\tessarim.bat"));
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    SetFileAttributesA(library.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(library.c_str());
  }
}

// Keys that are not there skip their steps without a word, and are not
// created by the attempt.
TEST_F(UninstallTest, MissingKeysAreSkippedSilently) {
  std::string library = PlaceProgram(scratch_ + "app");
  test::PutFile(library, "library");
  bool sharedKeyEmpty = true;
  HKEY shared;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedDllsKey, 0, KEY_READ, &shared) == ERROR_SUCCESS) {
    DWORD values = 0, subkeys = 0;
    RegQueryInfoKeyA(shared, NULL, NULL, NULL, &subkeys, NULL, NULL, &values, NULL, NULL, NULL, NULL);
    RegCloseKey(shared);
    sharedKeyEmpty = values == 0 && subkeys == 0;
  }
  // The prefix's own shared-file counts are left alone if it has any.
  if (sharedKeyEmpty) test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kSharedDllsKey);

  test::BoxCloser boxes;
  RunUninstall();

  EXPECT_TRUE(boxes.Texts().empty());
  EXPECT_EQ(test::RecordedSteps(), (std::vector<int>{1, 2}));
  EXPECT_FALSE(test::Exists(library)) << "the file step runs without the keys";
  EXPECT_FALSE(test::HasKey(HKEY_CURRENT_USER, kHostKey));
  EXPECT_FALSE(test::HasKey(HKEY_LOCAL_MACHINE, kUninstallKey));
  if (sharedKeyEmpty) {
    EXPECT_FALSE(test::HasKey(HKEY_LOCAL_MACHINE, kSharedDllsKey));
  }
}

// Keys that are there but cannot be opened with full access, and an
// uninstall entry that cannot be deleted (it has a subkey), are left as
// they are, silently.
TEST_F(UninstallTest, UnopenableKeysAreSkippedSilently) {
  std::string library = PlaceProgram(scratch_ + "app");
  Install(library);
  test::PutString(HKEY_LOCAL_MACHINE, (std::string(kUninstallKey) + "\\Extra").c_str(), "x", "y");
  std::vector<std::string> texts;
  {
    // Lifted at the end of this block, or wherever the test stops before.
    const test::KeyRestriction restrictions[] = {
        {HKEY_LOCAL_MACHINE, kSharedDllsKey, KEY_READ},
        {HKEY_CURRENT_USER, kHostKey, KEY_READ},
    };
    for (const test::KeyRestriction &r : restrictions) {
      ASSERT_TRUE(r.held) << r.key;
      HKEY opened;
      if (RegOpenKeyExA(r.root, r.key, 0, KEY_ALL_ACCESS, &opened) == ERROR_SUCCESS) {
        RegCloseKey(opened);
        GTEST_SKIP() << "this Wine does not enforce registry key permissions";
      }
    }
    test::BoxCloser boxes;
    RunUninstall();
    texts = boxes.Texts();
  }

  EXPECT_TRUE(texts.empty());
  EXPECT_EQ(test::RecordedSteps(), (std::vector<int>{1, 2}));
  EXPECT_FALSE(test::Exists(library)) << "the file step runs all the same";
  EXPECT_TRUE(HasValue(HKEY_LOCAL_MACHINE, kSharedDllsKey, library));
  EXPECT_TRUE(HasValue(HKEY_CURRENT_USER, kHostKey, "Func0"));
  EXPECT_TRUE(test::HasKey(HKEY_LOCAL_MACHINE, kUninstallKey));
}

} // namespace
