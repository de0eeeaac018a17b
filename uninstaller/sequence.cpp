// The uninstall sequence. No step looks at the result of an earlier one and
// no failure stops it; the only failure a person is told about is a library
// file that could not be deleted.
#include "uninstaller.h"

#include <commctrl.h>

static const char SharedDllsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
static const char HostKey[] = "Software\\Quorvant";
static const char UninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessarim";

// The host keeps at most this many numbered library values, Func0 to Func255.
static const unsigned HostListSize = 256;

int LastBackslash(const char* text, int length)
{
    for (int i = length - 1; i >= 0; --i) {
        if (text[i] == '\\')
            return i;
    }
    return -1;
}

bool MakeLibraryPath(char* path, DWORD n)
{
    // GetModuleFileNameA fills the whole buffer only when the path did not
    // fit: a cut path names some other folder, so it must not be acted on.
    if (n >= MAX_PATH)
        return false;
    DWORD folderLength = (DWORD)(LastBackslash(path, (int)n) + 1);
    if (folderLength + sizeof LibraryFileName > MAX_PATH)
        return false;
    lstrcpyA(path + folderLength, LibraryFileName);
    return true;
}

static void StepProgress()
{
    SendDlgItemMessageA(MainWindow, IDC_PROGRESS, PBM_STEPIT, 0, 0);
}

// Deletes the platform's count of the library's users outright; it is never
// read or decremented, since the library leaves whoever else counts on it.
static void RemoveSharedFileCount()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SharedDllsKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, PathBuffer);
    RegCloseKey(key);
}

void DeleteLibraryFile()
{
    if (!DeleteFileA(PathBuffer) && GetLastError() != ERROR_FILE_NOT_FOUND)
        MessageBoxA(MainWindow, PathBuffer, "Can't delete the file named:", MB_OK | MB_ICONWARNING);
    StepProgress();
}

// Makes the registry data read into `data` (size bytes of a MAX_PATH
// buffer) a terminated text. Data that fills the buffer without a zero has
// no end inside it and so cannot equal any path that fits MAX_PATH.
static bool TerminateData(BYTE* data, DWORD size)
{
    if (size < MAX_PATH) {
        data[size] = 0;
        return true;
    }
    for (DWORD i = 0; i < MAX_PATH; ++i) {
        if (data[i] == 0)
            return true;
    }
    return false;
}

// Deletes the first of Func0, Func1, ... that names the library. The list
// ends at the first value that cannot be read; the others keep their names,
// since the host numbers them itself.
static void RemoveHostListEntry()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, HostKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    for (unsigned index = 0; index < HostListSize; ++index) {
        char name[20];
        wsprintfA(name, "%s%u", "Func", index);
        BYTE data[MAX_PATH];
        DWORD size = MAX_PATH;
        if (RegQueryValueExA(key, name, NULL, NULL, data, &size) != ERROR_SUCCESS)
            break;
        if (!TerminateData(data, size))
            continue;
        if (lstrcmpiA((const char*)data, PathBuffer) == 0) {
            RegDeleteValueA(key, name);
            break;
        }
    }
    RegCloseKey(key);
}

void RunUninstall()
{
    DWORD n = ProgramPath(PathBuffer);
    if (!MakeLibraryPath(PathBuffer, n)) {
        // Nothing is touched; the uninstall entry stays so that the user can
        // still find the program. The bar still ends full.
        StepProgress();
        StepProgress();
        return;
    }
    RemoveSharedFileCount();
    DeleteLibraryFile();
    RemoveHostListEntry();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey);
    ScheduleSelfRemoval();
}
