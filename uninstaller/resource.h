// Resource and control ids of UTessarim, shared by the .rc and the code.
#pragma once

#define IDI_UNINSTALL 101
#define IDD_UNINSTALL 102
#define IDC_PROGRESS  1000
