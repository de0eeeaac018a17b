// The dialog: creation, message loop and a dialog procedure that only
// dispatches to one small handler per message.
#include "uninstaller.h"

#include <commctrl.h>

static const char WindowCaption[] = "Uninstall Math Intrinsics Add-on Library";

void UninstallerMain() {
  InstanceHandle = GetModuleHandleA(NULL);
  // Registers the progress bar's window class before the dialog needs it.
  InitCommonControls();

  MainWindow =
      CreateDialogParamA(InstanceHandle, MAKEINTRESOURCEA(IDD_UNINSTALL), NULL, UninstallDialogProc, 0);
  if (MainWindow == NULL) {
    MessageBoxA(NULL, "Can't create window!", "Error during uninstall:", MB_OK | MB_ICONWARNING);
    return;
  }
  SetWindowTextA(MainWindow, WindowCaption);
  ShowWindow(MainWindow, SW_SHOWDEFAULT);
  UpdateWindow(MainWindow);

  // No TranslateMessage: the keyboard interface is the dialog manager's
  // own (Tab, Enter for OK, Escape for Cancel). A result of -1 (error)
  // ends the loop like the quit message does.
  MSG message;
  while (GetMessageA(&message, NULL, 0, 0) == 1) {
    if (!IsDialogMessageA(MainWindow, &message)) DispatchMessageA(&message);
  }
}

// OnInitDialog: sets the window's icon, trims the system menu of commands a
// fixed-size window cannot carry out, and readies the two-step progress bar.
static void OnInitDialog(HWND window) {
  HICON icon = LoadIconA(InstanceHandle, MAKEINTRESOURCEA(IDI_UNINSTALL));
  if (icon != NULL) SetClassLongA(window, GCL_HICON, (LONG)(LONG_PTR)icon);

  HMENU menu = GetSystemMenu(window, FALSE);
  if (menu != NULL) {
    DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
  }

  SendDlgItemMessageA(window, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, ProgressSteps));
  SendDlgItemMessageA(window, IDC_PROGRESS, PBM_SETSTEP, 1, 0);
}

// OnCommand: OK uninstalls and closes, Cancel only closes. Notifications
// other than a plain click (code 0) are not commands and are ignored.
static void OnCommand(HWND window, WPARAM wParam) {
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
