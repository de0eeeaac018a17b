#include "fixture.h"

#include "seams.h"

#include <commctrl.h>

void UninstallTest::SetUp() {
  std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  for (char &c : name) {
    if (c == '/') c = '-';
  }
  scratch_ = test::MakeScratch(name);
  test::g_seams = test::Seams();
  // A temporary folder that does not exist: no script can be written, so
  // a test that does not look at the script starts no command interpreter.
  test::SetTempVariable(scratch_ + "no-such-folder");
  CreateMainWindow();
}

void UninstallTest::StartNoScripts() { SetEnvironmentVariableA("COMSPEC", "C:\\no\\such\\cmd.exe"); }

void UninstallTest::StartScripts() { comspec_.Restore(); }

void UninstallTest::RecreateMainWindow() {
  DestroyWindow(MainWindow);
  test::DrainMessages();
  CreateMainWindow();
}

void UninstallTest::CreateMainWindow() {
  InstanceHandle = GetModuleHandleA(nullptr);
  InitCommonControls();
  MainWindow =
      CreateDialogParamA(InstanceHandle, MAKEINTRESOURCEA(IDD_UNINSTALL), nullptr, UninstallDialogProc, 0);
  ASSERT_NE(MainWindow, nullptr);
  test::RecordSteps(MainWindow);
}

void UninstallTest::TearDown() {
  if (IsWindow(MainWindow)) DestroyWindow(MainWindow);
  test::DrainMessages();
  SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
  test::RemoveTree(scratch_);
}

std::string UninstallTest::PlaceProgram(const std::string &folder) {
  CreateDirectoryA(folder.c_str(), nullptr);
  test::SetProgramPath(folder + "\\UTessarim.exe");
  return folder + "\\tessarim.dll";
}

void UninstallTest::Install(const std::string &library) {
  test::PutFile(library, "not really a library");
  test::PutString(HKEY_LOCAL_MACHINE, test::kSharedDllsKey, library, "1");
  entries_.Count(library);
  test::PutString(HKEY_CURRENT_USER, test::kHostKey, "Func0", library);
  test::PutString(HKEY_LOCAL_MACHINE, test::kUninstallKey, "DisplayName", "Tessarim");
}

void UninstallTest::UseTempFolder(const std::string &folder) {
  CreateDirectoryA(folder.c_str(), nullptr);
  test::SetTempVariable(folder);
}

bool UninstallTest::PriorityRaised() {
  return GetPriorityClass(GetCurrentProcess()) == HIGH_PRIORITY_CLASS &&
         GetThreadPriority(GetCurrentThread()) == THREAD_PRIORITY_TIME_CRITICAL;
}
