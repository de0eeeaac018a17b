// Resource and control ids of UTessarim, shared by the .rc and the code.
#ifndef TESSARIM_UNINSTALLER_RESOURCE_H
#define TESSARIM_UNINSTALLER_RESOURCE_H

#define IDI_UNINSTALL 101
#define IDD_UNINSTALL 102
#define IDC_PROGRESS  1000

#endif
