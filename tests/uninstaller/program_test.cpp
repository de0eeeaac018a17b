// The built UTessarim.exe itself: what it imports, its resources, and whole
// runs as a separate process, from the dialog to the script's last line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "seams.h"
#include "support.h"
#include "uninstaller.h"

namespace {

using test::HasValue;

std::string ProgramFile() {
  std::string path = "Z:" UTESSARIM_EXE;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string Upper(std::string text) {
  for (char &c : text) c = (char)toupper((unsigned char)c);
  return text;
}

// The DLL names in the import directory, read from the file's headers.
std::set<std::string> ImportedDlls(const std::string &image) {
  auto at = [&](size_t offset, size_t size) {
    EXPECT_LE(offset + size, image.size());
    return image.data() + offset;
  };
  std::set<std::string> names;
  auto dos = (const IMAGE_DOS_HEADER *)at(0, sizeof(IMAGE_DOS_HEADER));
  auto nt = (const IMAGE_NT_HEADERS32 *)at(dos->e_lfanew, sizeof(IMAGE_NT_HEADERS32));
  EXPECT_EQ(nt->Signature, (DWORD)IMAGE_NT_SIGNATURE);
  EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
  EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
  auto sections = IMAGE_FIRST_SECTION(nt);
  auto fileOffset = [&](DWORD rva) -> size_t {
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
      const IMAGE_SECTION_HEADER &s = sections[i];
      if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.Misc.VirtualSize)
        return rva - s.VirtualAddress + s.PointerToRawData;
    }
    ADD_FAILURE() << "RVA outside every section: " << rva;
    return 0;
  };
  DWORD directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
  for (size_t d = fileOffset(directory);; d += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    auto descriptor = (const IMAGE_IMPORT_DESCRIPTOR *)at(d, sizeof(IMAGE_IMPORT_DESCRIPTOR));
    if (descriptor->Name == 0) break;
    names.insert(Upper(at(fileOffset(descriptor->Name), 1)));
  }
  return names;
}

TEST(Program, ImportsOnlyTheFourSystemDlls) {
  std::string image = test::ReadWholeFile(ProgramFile());
  ASSERT_GT(image.size(), 1024u);
  EXPECT_EQ(ImportedDlls(image),
            (std::set<std::string>{"ADVAPI32.DLL", "COMCTL32.DLL", "KERNEL32.DLL", "USER32.DLL"}));
}

// A reader over a resource's bytes, in the template's own units.
struct Reader {
  const BYTE *p;
  WORD Word() {
    WORD w;
    memcpy(&w, p, 2);
    p += 2;
    return w;
  }
  DWORD Dword() {
    DWORD d;
    memcpy(&d, p, 4);
    p += 4;
    return d;
  }
  std::string Text() {
    std::string s;
    for (WORD c; (c = Word()) != 0;) s += (char)c;
    return s;
  }
  // A class, menu or text field: an ordinal after 0xFFFF, or a text.
  std::string Field() {
    WORD first;
    memcpy(&first, p, 2);
    if (first == 0xFFFF) {
      p += 2;
      return "#" + std::to_string(Word());
    }
    return Text();
  }
  void AlignDword(const BYTE *base) { p += (4 - (p - base) % 4) % 4; }
};

class Resources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExA(ProgramFile().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, (HMODULE)NULL);
  }
  void TearDown() override { FreeLibrary(module_); }
  const BYTE *Find(LPCSTR type, int id, DWORD *size = nullptr) {
    HRSRC found =
        FindResourceExA(module_, type, MAKEINTRESOURCEA(id), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    EXPECT_NE(found, (HRSRC)NULL) << "resource " << id;
    if (found == NULL) return nullptr;
    if (size) *size = SizeofResource(module_, found);
    return (const BYTE *)LockResource(LoadResource(module_, found));
  }
  HMODULE module_ = NULL;
};

TEST_F(Resources, DialogTemplate) {
  const BYTE *base = Find(RT_DIALOG, IDD_UNINSTALL);
  ASSERT_NE(base, nullptr);
  Reader r{base};
  EXPECT_EQ(r.Dword(), 0x12C80B44u) << "style";
  EXPECT_EQ(r.Dword(), 0u) << "extended style";
  WORD count = r.Word();
  EXPECT_EQ(count, 6);
  short frame[4];
  for (short &v : frame) v = (short)r.Word();
  EXPECT_EQ(std::vector<short>(frame, frame + 4), (std::vector<short>{0, 0, 174, 78}));
  EXPECT_EQ(r.Field(), "") << "menu";
  EXPECT_EQ(r.Field(), "") << "class";
  EXPECT_EQ(r.Field(), "") << "caption";
  EXPECT_EQ(r.Word(), 8) << "point size";
  EXPECT_EQ(r.Text(), "MS Sans Serif");

  struct Control {
    std::string cls;
    int id;
    std::string text;
    short x, y, cx, cy;
    DWORD style;
  } expected[] = {
      {"#128", IDOK, "OK", 29, 39, 50, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON},
      {"#128", IDCANCEL, "Cancel", 89, 39, 50, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
      {"#130", 0xFFFF, "Click on OK to uninstall the Tessarim intrinsics Add-on", 12, 4, 146, 8,
       WS_CHILD | WS_VISIBLE | WS_GROUP | SS_CENTER},
      {"#130", 0xFFFF, "Library. This will remove all files from your", 4, 15, 161, 8,
       WS_CHILD | WS_VISIBLE | WS_GROUP | SS_CENTER},
      {"#130", 0xFFFF, "computer.", 11, 25, 146, 8, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_CENTER},
      {"MSCTLS_PROGRESS32", IDC_PROGRESS, "Progress", 6, 59, 159, 11, WS_CHILD | WS_VISIBLE | WS_BORDER},
  };
  for (int i = 0; i < count && i < 6; ++i) {
    const Control &e = expected[i];
    SCOPED_TRACE(e.text);
    r.AlignDword(base);
    EXPECT_EQ(r.Dword(), e.style);
    EXPECT_EQ(r.Dword(), 0u) << "extended style";
    short place[4];
    for (short &v : place) v = (short)r.Word();
    EXPECT_EQ(std::vector<short>(place, place + 4), (std::vector<short>{e.x, e.y, e.cx, e.cy}));
    EXPECT_EQ(r.Word(), e.id);
    EXPECT_EQ(Upper(r.Field()), e.cls);
    EXPECT_EQ(r.Field(), e.text);
    EXPECT_EQ(r.Word(), 0) << "no creation data";
  }
}

TEST_F(Resources, IconGroupHoldsTwoSixteenColourImages) {
  const BYTE *group = Find(RT_GROUP_ICON, IDI_UNINSTALL);
  ASSERT_NE(group, nullptr);
  Reader r{group};
  EXPECT_EQ(r.Word(), 0);
  EXPECT_EQ(r.Word(), 1) << "icon";
  ASSERT_EQ(r.Word(), 2) << "images";
  const int sizes[] = {32, 16};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(sizes[i]);
    EXPECT_EQ(r.p[0], sizes[i]);
    EXPECT_EQ(r.p[1], sizes[i]);
    EXPECT_EQ(r.p[2], 16) << "colours";
    r.p += 4;
    EXPECT_EQ(r.Word(), 1) << "planes";
    EXPECT_EQ(r.Word(), 4) << "bits per pixel";
    DWORD bytes = r.Dword();
    WORD id = r.Word();
    EXPECT_EQ(id, i + 1);
    DWORD size = 0;
    const BYTE *image = Find(RT_ICON, id, &size);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(size, bytes);
    const BITMAPINFOHEADER *header = (const BITMAPINFOHEADER *)image;
    EXPECT_EQ(header->biWidth, sizes[i]);
    EXPECT_EQ(header->biHeight, 2 * sizes[i]) << "colour and mask";
    EXPECT_EQ(header->biBitCount, 4);
  }
}

TEST_F(Resources, VersionBlock) {
  DWORD size = 0;
  const BYTE *block = Find(RT_VERSION, 1, &size);
  ASSERT_NE(block, nullptr);
  std::string copy((const char *)block, size);
  VS_FIXEDFILEINFO *fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(&copy[0], "\\", (void **)&fixed, &length));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0u);
  EXPECT_EQ(fixed->dwFileVersionLS, 1u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0u);
  EXPECT_EQ(fixed->dwProductVersionLS, 1u);
  EXPECT_EQ(fixed->dwFileType, (DWORD)VFT_APP);
  EXPECT_EQ(fixed->dwFileOS, (DWORD)VOS__WINDOWS32);

  WORD *translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(&copy[0], "\\VarFileInfo\\Translation", (void **)&translation, &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1200);
  struct Entry {
    const char *name;
    const char *value; // nullptr: any text
  } entries[] = {
      {"FileVersion", "0, 0, 0, 1"},
      {"ProductVersion", "0, 0, 0, 1"},
      {"FileDescription", nullptr},
      {"ProductName", nullptr},
  };
  for (const Entry &e : entries) {
    char *text = nullptr;
    std::string path = std::string("\\StringFileInfo\\040904b0\\") + e.name;
    ASSERT_TRUE(VerQueryValueA(&copy[0], path.c_str(), (void **)&text, &length)) << e.name;
    if (e.value)
      EXPECT_STREQ(text, e.value);
    else
      EXPECT_GT(strlen(text), 0u) << e.name;
  }
}

// The program asks for administrator rights itself, whatever its name.
TEST_F(Resources, ManifestRequestsAdministratorRights) {
  DWORD size = 0;
  const char *manifest = (const char *)Find(RT_MANIFEST, 1, &size);
  ASSERT_NE(manifest, nullptr);
  EXPECT_NE(std::string(manifest, size).find("<requestedExecutionLevel level=\"requireAdministrator\""),
            std::string::npos);
}

// Runs of the real program, installed in a scratch folder of its own.
class ProgramRun : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_ = test::MakeScratch(::testing::UnitTest::GetInstance()->current_test_info()->name());
    folder_ = scratch_ + "Math Add-on";
    program_ = folder_ + "\\UTessarim.exe";
    library_ = folder_ + "\\tessarim.dll";
    temp_ = scratch_ + "temp\\";
    CreateDirectoryA(folder_.c_str(), NULL);
    CreateDirectoryA(temp_.c_str(), NULL);
    ASSERT_TRUE(CopyFileA(ProgramFile().c_str(), program_.c_str(), FALSE));
    test::PutFile(library_, "library");
    test::DeleteKeyTree(HKEY_CURRENT_USER, test::kHostKey);
    test::PutString(HKEY_LOCAL_MACHINE, test::kSharedDllsKey, library_, "1");
    test::PutString(HKEY_CURRENT_USER, test::kHostKey, "Func0", "C:\\other.dll");
    test::PutString(HKEY_CURRENT_USER, test::kHostKey, "Func1", library_);
    test::PutString(HKEY_LOCAL_MACHINE, test::kUninstallKey, "DisplayName", "Tessarim");
  }

  void TearDown() override {
    test::DeleteValue(HKEY_LOCAL_MACHINE, test::kSharedDllsKey, library_);
    test::DeleteKeyTree(HKEY_CURRENT_USER, test::kHostKey);
    test::DeleteKeyTree(HKEY_LOCAL_MACHINE, test::kUninstallKey);
    test::RemoveTree(scratch_);
  }

  // Starts the program with the limited token (elevated runs are the
  // hostile-path table's), lets `act` work its dialog, and returns its
  // exit code once it has ended.
  DWORD Run(const std::function<void(HWND dialog, HWND focus)> &act) {
    test::SetTempVariable(temp_);
    PROCESS_INFORMATION process = {};
    EXPECT_TRUE(test::StartProgram(test::Wide(program_), test::Wide(scratch_), true, &process));
    HWND focus = NULL;
    HWND dialog = test::WaitForDialog(process, &focus);
    if (dialog != NULL) act(dialog, focus);
    return test::FinishProcess(process);
  }

  std::string scratch_, folder_, program_, library_, temp_;
  const test::SavedVariable savedTemp_{L"TMP"};
};

void PressEnter(HWND, HWND focus) {
  PostMessageA(focus, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  PostMessageA(focus, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

// Every way of leaving without OK changes nothing and exits with 0.
TEST_F(ProgramRun, LeavingWithoutOkChangesNothing) {
  struct Case {
    const char *what;
    std::function<void(HWND, HWND)> act;
  } cases[] = {
      {"Cancel clicked",
       [](HWND dialog, HWND) {
         HWND cancel = GetDlgItem(dialog, IDCANCEL);
         PostMessageA(cancel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
         PostMessageA(cancel, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
       }},
      {"Escape",
       [](HWND, HWND focus) {
         PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
         PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
       }},
      {"Close command", [](HWND dialog, HWND) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"Alt+F4",
       [](HWND, HWND focus) {
         PostMessageA(focus, WM_SYSKEYDOWN, VK_MENU, 0x20380001);
         PostMessageA(focus, WM_SYSKEYDOWN, VK_F4, 0x203E0001);
         PostMessageA(focus, WM_SYSKEYUP, VK_F4, 0xE03E0001);
         PostMessageA(focus, WM_KEYUP, VK_MENU, 0xC0380001);
       }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Run(c.act), 0u);
    EXPECT_TRUE(test::Exists(program_));
    EXPECT_TRUE(test::Exists(library_));
    EXPECT_TRUE(HasValue(HKEY_LOCAL_MACHINE, test::kSharedDllsKey, library_));
    EXPECT_EQ(test::GetData(HKEY_CURRENT_USER, test::kHostKey, "Func1"), library_ + std::string(1, '\0'));
    EXPECT_TRUE(test::HasKey(HKEY_LOCAL_MACHINE, test::kUninstallKey));
    EXPECT_FALSE(test::Exists(temp_ + "tessarim.bat"));
  }
}

// OK removes everything; after the program has ended the script removes
// the program, then its folder when nothing else is left in it, then
// itself.
TEST_F(ProgramRun, OkRemovesEverything) {
  struct Case {
    const char *what;
    bool userFile;
  } cases[] = {
      {"empty folder", false},
      {"folder holding a user's file", true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    if (c.userFile) test::PutFile(folder_ + "\\notes.txt", "mine");

    EXPECT_EQ(Run(PressEnter), 0u);

    EXPECT_FALSE(test::Exists(library_));
    EXPECT_FALSE(HasValue(HKEY_LOCAL_MACHINE, test::kSharedDllsKey, library_));
    EXPECT_TRUE(HasValue(HKEY_CURRENT_USER, test::kHostKey, "Func0"));
    EXPECT_FALSE(HasValue(HKEY_CURRENT_USER, test::kHostKey, "Func1"));
    EXPECT_FALSE(test::HasKey(HKEY_LOCAL_MACHINE, test::kUninstallKey));
    EXPECT_TRUE(test::WaitGone(temp_ + "tessarim.bat")) << "the script did not finish";
    EXPECT_FALSE(test::Exists(program_));
    EXPECT_EQ(test::Exists(folder_), c.userFile);
    if (c.userFile) {
      EXPECT_EQ(test::ReadWholeFile(folder_ + "\\notes.txt"), "mine");
    }

    // Put the program back for the next case.
    CreateDirectoryA(folder_.c_str(), NULL);
    CopyFileA(ProgramFile().c_str(), program_.c_str(), FALSE);
    test::PutFile(library_, "library");
    test::PutString(HKEY_LOCAL_MACHINE, test::kSharedDllsKey, library_, "1");
    test::PutString(HKEY_CURRENT_USER, test::kHostKey, "Func1", library_);
    test::PutString(HKEY_LOCAL_MACHINE, test::kUninstallKey, "DisplayName", "Tessarim");
  }
}

} // namespace
