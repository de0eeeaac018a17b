// The dialog's progress bar, moved by the steps of the sequence.
#include "uninstaller.h"

#include <commctrl.h>

void StepProgress() { SendDlgItemMessageA(MainWindow, IDC_PROGRESS, PBM_STEPIT, 0, 0); }
