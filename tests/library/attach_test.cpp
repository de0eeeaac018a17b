// The library in a process whose host is loaded: binding, registration,
// the function directory as the host reads it, the shared section, thread
// notifications and the x87 precision of the loading thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "function_list.h"
#include "quorvant_host.h"
#include "window_watch.h"
#include "x87.h"

namespace {

using Feedback = unsigned(WINAPI *)(unsigned, unsigned);

struct Loaded {
  HMODULE module;
  Feedback feedback;
};

Loaded Load() {
  HMODULE module = LoadLibraryA("tessarim.dll");
  Feedback feedback = nullptr;
  if (module != nullptr)
    feedback = reinterpret_cast<Feedback>(reinterpret_cast<void *>(GetProcAddress(module, "RexxFeedback")));
  return {module, feedback};
}

const IMAGE_NT_HEADERS32 *Headers(HMODULE module) {
  auto base = reinterpret_cast<const unsigned char *>(module);
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
  return reinterpret_cast<const IMAGE_NT_HEADERS32 *>(base + dos->e_lfanew);
}

const IMAGE_SECTION_HEADER *Section(HMODULE module, const char *name) {
  const IMAGE_NT_HEADERS32 *nt = Headers(module);
  const IMAGE_SECTION_HEADER *section = IMAGE_FIRST_SECTION(nt);
  for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section)
    if (std::strncmp(reinterpret_cast<const char *>(section->Name), name, 8) == 0) return section;
  return nullptr;
}

class Attach : public ::testing::Test {
 protected:
  void SetUp() override { QvReset(); }
};

TEST_F(Attach, BindsOnceWithTableSizeAndVersionWhateverTheAnswer) {
  for (unsigned answer : {0u, 1u, 0xFFFFFFFFu}) {
    QvBinding before;
    QvGetBinding(&before);
    QvSetBindingResult(answer);
    Loaded lib = Load();
    ASSERT_NE(lib.module, nullptr) << "binding answer " << answer;
    QvBinding after;
    QvGetBinding(&after);
    EXPECT_EQ(after.calls, before.calls + 1);
    EXPECT_EQ(after.size, 84u);
    EXPECT_EQ(after.version, 271u);
    EXPECT_NE(after.table, nullptr);
    FreeLibrary(lib.module);
  }
}

TEST_F(Attach, LoadingThreadGetsDoublePrecisionOtherControlBitsKept) {
  struct Case {
    unsigned short before, after;
  } cases[] = {
      {0x037F, 0x027F}, // 64-bit precision, the mingw program default
      {0x0F7F, 0x0E7F}, // and rounding toward zero, which stays
      {0x007F, 0x027F}, // 24-bit precision
      {0x027F, 0x027F},
  };
  for (const Case &c : cases) {
    WriteControlWord(c.before);
    Loaded lib = Load();
    unsigned short after = ReadControlWord();
    WriteControlWord(kWindowsControlWord);
    ASSERT_NE(lib.module, nullptr);
    EXPECT_EQ(after, c.after) << std::hex << "before " << c.before;
    FreeLibrary(lib.module);
  }
}

TEST_F(Attach, HostMissingAUsedSlotIsRefusedAsTooOld) {
  for (int slot : {5, 6, 7, 14, 15, 17}) {
    QvLeaveSlotEmpty(slot);
    window_watch::BoxCloser boxes("tessarim");
    Loaded lib = Load();
    std::vector<std::string> texts = boxes.Texts();
    EXPECT_EQ(lib.module, nullptr) << "slot " << slot;
    if (lib.module != nullptr) FreeLibrary(lib.module);
    ASSERT_EQ(texts.size(), 1u) << "slot " << slot;
    EXPECT_EQ(texts[0], "Requires a later version of the Quorvant REXX interpreter");
  }
  // A slot the library never calls is not examined.
  QvLeaveSlotEmpty(3);
  Loaded lib = Load();
  EXPECT_NE(lib.module, nullptr);
  if (lib.module != nullptr) FreeLibrary(lib.module);
}

TEST_F(Attach, FeedbackOtherThanOneDoesNothing) {
  Loaded lib = Load();
  ASSERT_NE(lib.feedback, nullptr);
  QvRegistration before;
  QvGetRegistration(&before);
  int trace = QvTraceCount();
  for (unsigned reason : {0u, 2u, 3u, 7u, 0x80000001u, 0xFFFFFFFFu}) {
    QvSetRegisterResult(99);
    EXPECT_EQ(lib.feedback(reason, 5), 0u) << "reason " << reason;
  }
  QvRegistration after;
  QvGetRegistration(&after);
  EXPECT_EQ(after.calls, before.calls);
  EXPECT_EQ(QvTraceCount(), trace);
  FreeLibrary(lib.module);
}

TEST_F(Attach, FeedbackOneRegistersEachTimeAndPassesValuesThrough) {
  Loaded lib = Load();
  ASSERT_NE(lib.feedback, nullptr);
  struct Case {
    unsigned host_value, answer;
  } cases[] = {{0, 0}, {1, 7}, {0xCAFEBABE, 0xFFFFFFFF}, {0xCAFEBABE, 0x12345678}};
  for (const Case &c : cases) {
    QvRegistration before;
    QvGetRegistration(&before);
    QvSetRegisterResult(c.answer);
    EXPECT_EQ(lib.feedback(1, c.host_value), c.answer);
    QvRegistration after;
    QvGetRegistration(&after);
    EXPECT_EQ(after.calls, before.calls + 1);
    EXPECT_EQ(after.zero, 0u);
    EXPECT_EQ(after.host_value, c.host_value);
    EXPECT_STREQ(after.library_name, "tessarim");
  }
  FreeLibrary(lib.module);
}

TEST_F(Attach, DirectoryLayoutAsTheHostReadsIt) {
  struct Entry {
    const char *name;
    int min, max;
  };
#define TESSARIM_ENTRY(name, handler, minimum, maximum) {#name, minimum, maximum},
  const Entry expected[] = {TESSARIM_FUNCTIONS(TESSARIM_ENTRY)};
#undef TESSARIM_ENTRY
  Loaded lib = Load();
  ASSERT_NE(lib.feedback, nullptr);
  lib.feedback(1, 0);
  QvRegistration reg;
  QvGetRegistration(&reg);
  const unsigned char *block = reg.name_block;
  const auto *table = static_cast<const unsigned char *>(reg.handler_table);
  auto base = reinterpret_cast<std::uintptr_t>(lib.module);
  std::uintptr_t end = base + Headers(lib.module)->OptionalHeader.SizeOfImage;

  ASSERT_EQ(block[0], 0);
  int at = 1;
  for (int i = 0; i < static_cast<int>(sizeof expected / sizeof expected[0]); ++i) {
    int n = block[at];
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(block + at + 1), n), expected[i].name);
    at += 1 + n;
    const unsigned char *record = table + 10 * i;
    std::uint32_t reserved, handler;
    std::memcpy(&reserved, record, 4);
    std::memcpy(&handler, record + 4, 4);
    EXPECT_EQ(reserved, 0u) << expected[i].name;
    EXPECT_TRUE(handler >= base && handler < end) << expected[i].name << " handler inside the module";
    EXPECT_EQ(record[8], expected[i].min) << expected[i].name;
    EXPECT_EQ(record[9], expected[i].max) << expected[i].name;
  }
  EXPECT_EQ(block[at], 0) << "closing 0";
  EXPECT_EQ(at + 1, 124) << "name block length";
  FreeLibrary(lib.module);
}

// The section's bytes and flags are checked in the file (check_binary.py);
// here, that registration hands the host the shared copies themselves.
TEST_F(Attach, RegistrationHandsOverTheSharedSection) {
  Loaded lib = Load();
  ASSERT_NE(lib.feedback, nullptr);
  lib.feedback(1, 0);
  QvRegistration reg;
  QvGetRegistration(&reg);
  const IMAGE_SECTION_HEADER *shared = Section(lib.module, "Shared");
  ASSERT_NE(shared, nullptr);
  auto start = reinterpret_cast<const char *>(lib.module) + shared->VirtualAddress;
  EXPECT_EQ(reinterpret_cast<const char *>(reg.name_block), start) << "name block first";
  EXPECT_EQ(reg.library_name, start + 124 + 13 + 21) << "the registered name is the shared one";
  FreeLibrary(lib.module);
}

// Another process on the machine maps the library without a host, makes
// the shared page writable and writes over the pi text: this process, which
// has the library loaded, must still read and answer the real digits.
TEST_F(Attach, AnotherProcessCannotRewriteTheSharedSection) {
  Loaded lib = Load();
  ASSERT_NE(lib.feedback, nullptr);
  const IMAGE_SECTION_HEADER *shared = Section(lib.module, "Shared");
  ASSERT_NE(shared, nullptr);
  const char *pi = reinterpret_cast<const char *>(lib.module) + shared->VirtualAddress + 124 + 13 + 21 + 9;
  char path[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(lib.module, path, MAX_PATH), 0u);
  std::string command = std::string("shared_section_writer.exe \"") + path + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  ASSERT_TRUE(
      CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  ASSERT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_TRUE(code == 0 || code == 3) << "the writer did not reach the page: exit " << code;
  EXPECT_EQ(std::string(pi, 50), "3.141592653589793238462643383279502884197169399375");
  lib.feedback(1, 0);
  QvRegistration reg;
  QvGetRegistration(&reg);
  EXPECT_EQ(std::memcmp(reg.name_block, "\0\4ACOS", 6), 0) << "name block as registered";
  FreeLibrary(lib.module);
}

volatile LONG g_disable_calls = 0;
HMODULE g_disabled_module = nullptr;

BOOL WINAPI CountingDisableThreadLibraryCalls(HMODULE module) {
  InterlockedIncrement(&g_disable_calls);
  g_disabled_module = module;
  return DisableThreadLibraryCalls(module);
}

// Points the library's import of DisableThreadLibraryCalls at a counter.
bool HookDisableThreadLibraryCalls(HMODULE module) {
  auto base = reinterpret_cast<unsigned char *>(module);
  const IMAGE_DATA_DIRECTORY &dir =
      Headers(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto *imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + dir.VirtualAddress); imp->Name; ++imp) {
    if (lstrcmpiA(reinterpret_cast<char *>(base + imp->Name), "KERNEL32.dll") != 0) continue;
    auto *names = reinterpret_cast<IMAGE_THUNK_DATA32 *>(base + imp->OriginalFirstThunk);
    auto *slots = reinterpret_cast<IMAGE_THUNK_DATA32 *>(base + imp->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (names->u1.Ordinal & IMAGE_ORDINAL_FLAG32) continue;
      auto *by_name = reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<char *>(by_name->Name), "DisableThreadLibraryCalls") != 0) continue;
      DWORD old;
      VirtualProtect(&slots->u1.Function, 4, PAGE_READWRITE, &old);
      slots->u1.Function = reinterpret_cast<DWORD>(&CountingDisableThreadLibraryCalls);
      VirtualProtect(&slots->u1.Function, 4, old, &old);
      return true;
    }
  }
  return false;
}

DWORD WINAPI Nothing(LPVOID) { return 0; }

void RunThread() {
  HANDLE thread = CreateThread(nullptr, 0, Nothing, nullptr, 0, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

TEST_F(Attach, FirstThreadAttachEndsThreadNotifications) {
  Loaded lib = Load();
  ASSERT_NE(lib.module, nullptr);
  ASSERT_TRUE(HookDisableThreadLibraryCalls(lib.module));
  g_disable_calls = 0;
  RunThread();
  RunThread();
  RunThread();
  EXPECT_EQ(g_disable_calls, 1);
  EXPECT_EQ(g_disabled_module, lib.module);
  FreeLibrary(lib.module);
}

// Run in a process of its own (the test library_detach): it calls the entry
// routine for detach by hand, so the module's runtime is shut down
// afterwards and the module stays loaded.
TEST_F(Attach, DetachAndOtherReasonsLeaveTheHostTableAsItWas) {
  Loaded lib = Load();
  ASSERT_NE(lib.module, nullptr);
  QvBinding binding;
  QvGetBinding(&binding);
  unsigned char before[84];
  std::memcpy(before, binding.table, sizeof before);
  using Entry = BOOL(WINAPI *)(HINSTANCE, DWORD, LPVOID);
  auto entry = reinterpret_cast<Entry>(reinterpret_cast<unsigned char *>(lib.module) +
                                       Headers(lib.module)->OptionalHeader.AddressOfEntryPoint);
  for (DWORD reason : {DWORD{DLL_THREAD_DETACH}, DWORD{7}, DWORD{DLL_PROCESS_DETACH}}) {
    EXPECT_TRUE(entry(lib.module, reason, nullptr)) << "reason " << reason;
    EXPECT_EQ(std::memcmp(before, binding.table, sizeof before), 0) << "reason " << reason;
  }
}

} // namespace
