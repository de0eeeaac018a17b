// The dialog and its message loop in the test's own process, driven from a
// second thread with real window messages, as keys and commands arrive
// from a person.
#include "fixture.h"

#include <commctrl.h>

namespace {

using test::HasValue;

class DialogTest : public UninstallTest {
 protected:
  // Runs the entry routine's dialog and loop on this thread while `act`
  // works the dialog from another; returns when the loop has ended.
  void RunDialog(const std::function<void(HWND dialog, HWND focus)> &act) {
    DestroyWindow(MainWindow);
    test::DrainMessages();
    DWORD self = GetCurrentThreadId();
    std::thread person([&] {
      HWND dialog = window_watch::WaitForDialog({test::kDialogCaption, GetCurrentProcessId()}, 20000);
      if (dialog == NULL) {
        ADD_FAILURE() << "the dialog did not appear";
        PostThreadMessageA(self, WM_QUIT, 0, 0);
        return;
      }
      test::RecordSteps(dialog);
      focus_ = window_watch::FocusOf(self);
      ok_ = GetDlgItem(dialog, IDOK);
      act(dialog, focus_);
      if (!test::WaitFor([&] { return !IsWindow(dialog); }, 60000)) {
        ADD_FAILURE() << "the dialog did not close";
        PostMessageA(dialog, WM_CLOSE, 0, 0);
      }
    });
    UninstallerMain();
    person.join();
  }

  HWND focus_ = NULL;
  HWND ok_ = NULL;
};

void PressEnter(HWND, HWND focus) {
  PostMessageA(focus, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  PostMessageA(focus, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

TEST_F(DialogTest, EnterOnOkRunsTheSequence) {
  std::string library = PlaceProgram(scratch_ + "app");
  Install(library);
  test::PutString(HKEY_CURRENT_USER, test::kHostKey, "Func1", "C:\\other.dll");
  UseTempFolder(scratch_ + "temp");

  test::BoxCloser boxes;
  RunDialog(PressEnter);

  EXPECT_EQ(focus_, ok_) << "the focus starts on OK";
  EXPECT_EQ(test::RecordedSteps(), (std::vector<int>{1, 2}));
  EXPECT_TRUE(boxes.Texts().empty());
  EXPECT_FALSE(test::Exists(library));
  EXPECT_FALSE(HasValue(HKEY_LOCAL_MACHINE, test::kSharedDllsKey, library));
  EXPECT_FALSE(HasValue(HKEY_CURRENT_USER, test::kHostKey, "Func0"));
  EXPECT_TRUE(HasValue(HKEY_CURRENT_USER, test::kHostKey, "Func1"));
  EXPECT_FALSE(test::HasKey(HKEY_LOCAL_MACHINE, test::kUninstallKey));
  EXPECT_TRUE(PriorityRaised());
  // The program file is not there, so the script goes straight on to the
  // now empty folder and then to itself.
  EXPECT_TRUE(test::WaitGone(scratch_ + "app"));
  EXPECT_TRUE(test::WaitGone(scratch_ + "temp\\tessarim.bat"));
}

// Every step fails: no keys, a library file that is in use, no temporary
// folder. One warning, and the bar still ends full.
TEST_F(DialogTest, BarEndsFullWhenEveryStepFails) {
  std::string library = PlaceProgram(scratch_ + "app");
  test::PutFile(library, "library");
  HANDLE lock = CreateFileA(library.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);

  std::vector<std::string> texts;
  {
    test::BoxCloser boxes;
    RunDialog(PressEnter);
    texts = boxes.Texts();
  }
  CloseHandle(lock);

  EXPECT_EQ(texts, std::vector<std::string>{library});
  EXPECT_EQ(test::RecordedSteps(), (std::vector<int>{1, 2}));
  EXPECT_FALSE(PriorityRaised());
  EXPECT_TRUE(test::Exists(library));
}

// Commands that carry a notification code are not clicks: the dialog stays
// and nothing is removed, until Cancel closes it.
TEST_F(DialogTest, NotificationsAreNotCommands) {
  std::string library = PlaceProgram(scratch_ + "app");
  Install(library);

  bool stayed = false;
  RunDialog([&](HWND dialog, HWND) {
    HWND ok = GetDlgItem(dialog, IDOK);
    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    for (int code : {BN_DOUBLECLICKED, BN_SETFOCUS, BN_KILLFOCUS}) {
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, code), (LPARAM)ok);
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, code), (LPARAM)cancel);
    }
    // A round trip through the dialog's queue: every posted message
    // before it has been handled once it returns.
    SendMessageA(dialog, WM_NULL, 0, 0);
    Sleep(200);
    stayed = IsWindow(dialog) && IsWindowVisible(dialog);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), (LPARAM)cancel);
  });

  EXPECT_TRUE(stayed);
  EXPECT_TRUE(test::RecordedSteps().empty());
  EXPECT_TRUE(test::Exists(library));
  EXPECT_TRUE(HasValue(HKEY_CURRENT_USER, test::kHostKey, "Func0"));
  EXPECT_TRUE(HasValue(HKEY_LOCAL_MACHINE, test::kSharedDllsKey, library));
  EXPECT_TRUE(test::HasKey(HKEY_LOCAL_MACHINE, test::kUninstallKey));
}

// The dialog's set-up: range 0 to 2 in steps of 1, the system menu without
// Size and Maximize, the class icon from the program's resources.
TEST_F(UninstallTest, DialogStartsReady) {
  HWND bar = GetDlgItem(MainWindow, IDC_PROGRESS);
  PBRANGE range = {};
  SendMessageA(bar, PBM_GETRANGE, FALSE, (LPARAM)&range);
  EXPECT_EQ(range.iLow, 0);
  EXPECT_EQ(range.iHigh, 2);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 0);
  EXPECT_EQ(SendMessageA(bar, PBM_STEPIT, 0, 0), 0) << "returns the position before the step";
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 1) << "one step is 1";

  HMENU menu = GetSystemMenu(MainWindow, FALSE);
  ASSERT_NE(menu, (HMENU)NULL);
  EXPECT_EQ(GetMenuState(menu, SC_SIZE, MF_BYCOMMAND), (UINT)-1);
  EXPECT_EQ(GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND), (UINT)-1);
  EXPECT_NE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), (UINT)-1);
  EXPECT_NE(GetClassLongPtrA(MainWindow, GCLP_HICON), 0);
}

} // namespace
