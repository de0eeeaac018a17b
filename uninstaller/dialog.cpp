// The dialog: creation, message loop and a dialog procedure that only
// dispatches to one small handler per message.
#include "uninstaller.h"

#include <commctrl.h>

namespace {

const char kWindowCaption[] = "Uninstall Math Intrinsics Add-on Library";

// OnInitDialog: sets the window's icon, trims the system menu of commands a
// fixed-size window cannot carry out, and readies the two-step progress bar.
void OnInitDialog(HWND window) {
  HICON icon = LoadIconA(InstanceHandle, MAKEINTRESOURCEA(IDI_UNINSTALL));
  if (icon != nullptr) SetClassLongA(window, GCL_HICON, static_cast<LONG>(reinterpret_cast<LONG_PTR>(icon)));

  HMENU menu = GetSystemMenu(window, FALSE);
  if (menu != nullptr) {
    DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
  }

  SendDlgItemMessageA(window, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, kProgressSteps));
  SendDlgItemMessageA(window, IDC_PROGRESS, PBM_SETSTEP, 1, 0);
}

// OnCommand: OK uninstalls and closes, Cancel only closes. Notifications
// other than a plain click (code 0) are not commands and are ignored.
void OnCommand(HWND window, WPARAM wParam) {
  if (HIWORD(wParam) != 0) return;
  switch (LOWORD(wParam)) {
  case IDOK:
    RunUninstall();
    DestroyWindow(window);
    break;
  case IDCANCEL:
    DestroyWindow(window);
    break;
  default:
    break;
  }
}

} // namespace

void UninstallerMain() {
  InstanceHandle = GetModuleHandleA(nullptr);
  // Registers the progress bar's window class before the dialog needs it.
  InitCommonControls();

  MainWindow =
      CreateDialogParamA(InstanceHandle, MAKEINTRESOURCEA(IDD_UNINSTALL), nullptr, UninstallDialogProc, 0);
  if (MainWindow == nullptr) {
    MessageBoxA(nullptr, "Can't create window!", "Error during uninstall:", MB_OK | MB_ICONWARNING);
    return;
  }
  SetWindowTextA(MainWindow, kWindowCaption);
  ShowWindow(MainWindow, SW_SHOWDEFAULT);
  UpdateWindow(MainWindow);

  // No TranslateMessage: the keyboard interface is the dialog manager's
  // own (Tab, Enter for OK, Escape for Cancel). A result of -1 (error)
  // ends the loop like the quit message does.
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) == 1) {
    if (!IsDialogMessageA(MainWindow, &message)) DispatchMessageA(&message);
  }
}

INT_PTR CALLBACK UninstallDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
  case WM_INITDIALOG:
    OnInitDialog(window);
    return TRUE;
  case WM_COMMAND:
    OnCommand(window, wParam);
    return FALSE;
  case WM_CLOSE:
    DestroyWindow(MainWindow);
    return TRUE;
  case WM_DESTROY:
    PostQuitMessage(0);
    return TRUE;
  default:
    return FALSE;
  }
}
