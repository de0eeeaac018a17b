// The last step of the sequence. A running program cannot delete its own
// executable, so it leaves that to a batch script which retries until the
// program has exited (for about a minute at most), then removes the folder
// if empty, then itself. The script's text is script_text.cpp's; this file
// settles the paths it may name, converts them to the OEM code page, and
// chooses where the script lives and what starts it.
//
// Without elevation nothing crosses a boundary: tessarim.bat goes to the
// user's temporary folder and starts as the platform starts a batch file.
// Elevated, the program acts as an administrator, while its environment
// (TMP, COMSPEC) and the user's temporary folder are the user's own, open
// to every program the user runs: one could swap the script's lines while
// the command interpreter reads them, or lead the write to another file. So
// an elevated run takes nothing from the environment: its script is a new
// file with a random name in the system's temporary folder, which only
// SYSTEM and Administrators may open, run by the system's own command
// interpreter named by its full path.
#include "uninstaller.h"

#include <sddl.h>

namespace {

// Room left after the temporary folder for "tessarim.bat" and its zero.
const DWORD kTempPathLimit = MAX_PATH - sizeof kScriptFileName;

// The elevated script's name: the prefix, 8 random hexadecimal digits and
// the extension.
const DWORD kRandomNameBytes = 4;
const DWORD kFreshNameSize =
    sizeof kFreshScriptPrefix - 1 + 2 * kRandomNameBytes + sizeof kFreshScriptExtension;
static_assert(kFreshNameSize == sizeof "tessarim-01234567.bat", "prefix, 8 digits, extension and zero");

// Names tried before an elevated run gives up its script: each collision
// is a file or folder someone put there, or one pending deletion.
const int kFreshNameTries = 16;
// Owned by Administrators, full access for SYSTEM and Administrators only,
// nothing inherited from the folder: no other account may change the
// script, whatever the machine's default owner.
const char kScriptSecurity[] = "O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)";

// The script, the paths as the command interpreter reads them, and the
// system programs' paths. Kept out of the stack, which this program grows
// without probes.
char g_script_text[kScriptTextCapacity];
char g_oem_program[MAX_PATH];
char g_oem_script[MAX_PATH];
char g_ping_path[MAX_PATH];
char g_oem_ping[MAX_PATH];
char g_interpreter_path[MAX_PATH];
char g_command_line[kInterpreterCommandLineCapacity];

// Fills a structure byte by byte: the program links no memset.
void ZeroBytes(void *block, DWORD size) {
  BYTE *bytes = static_cast<BYTE *>(block);
  for (DWORD i = 0; i < size; ++i) bytes[i] = 0;
}

// Whether the `length` bytes of the folder `path` (one of `limit` bytes at
// most, zero included) are the platform's folder exactly: a letter that the
// ANSI code page lacks comes back as ? or a look-alike, and the script
// would name another file.
bool ExactFolder(const char *path, DWORD length, DWORD limit, const WCHAR *wide, DWORD wideLength) {
  return length != 0 && length < limit && wideLength != 0 && wideLength < MAX_PATH &&
         SameInAnsi(path, length, wide);
}

// Puts the script path in PathBuffer: the temporary folder and the script's
// name. False when the folder is unknown, too long to leave room for the
// name, or not exactly the platform's folder.
bool MakeScriptPath() {
  DWORD length = GetTempPathA(kTempPathLimit, PathBuffer);
  WCHAR wide[MAX_PATH];
  DWORD wideLength = GetTempPathW(MAX_PATH, wide);
  // The name is appended: the folder must end in a backslash of its own,
  // not in the second byte of a double-byte letter.
  if (!ExactFolder(PathBuffer, length, kTempPathLimit, wide, wideLength) ||
      !EndsInBackslash(PathBuffer, static_cast<int>(length), AnsiLeadByte))
    return false;
  lstrcpyA(PathBuffer + length, kScriptFileName);
  return true;
}

// Puts in `path` the Windows folder (GetSystemWindowsDirectoryA) or the
// system folder (GetSystemDirectoryA), a backslash unless it ends in one
// (a drive's root), and `name`, and returns the length; `room` more bytes
// must fit after it. 0 when the folder is unknown, not exactly the
// platform's, or too long.
DWORD InSystemFolder(bool windowsFolder, const char *name, DWORD room, char *path) {
  WCHAR wide[MAX_PATH];
  DWORD length =
      windowsFolder ? GetSystemWindowsDirectoryA(path, MAX_PATH) : GetSystemDirectoryA(path, MAX_PATH);
  DWORD wideLength =
      windowsFolder ? GetSystemWindowsDirectoryW(wide, MAX_PATH) : GetSystemDirectoryW(wide, MAX_PATH);
  if (!ExactFolder(path, length, MAX_PATH, wide, wideLength)) return 0;
  bool separated = EndsInBackslash(path, static_cast<int>(length), AnsiLeadByte);
  DWORD nameLength = static_cast<DWORD>(lstrlenA(name));
  if (length + 1 + nameLength + room >= MAX_PATH) return 0;
  if (!separated) path[length++] = '\\';
  lstrcpyA(path + length, name);
  return length + nameLength;
}

// The script for the program path (in g_oem_program), the ping path (in
// g_oem_ping) and the script path in PathBuffer, in g_script_text; its size, or
// 0 when the script path cannot be carried.
unsigned ComposeScript(DWORD programLength, DWORD pingLength) {
  DWORD scriptLength = static_cast<DWORD>(lstrlenA(PathBuffer));
  if (!ToOem(PathBuffer, scriptLength, g_oem_script)) return 0;
  return MakeScriptText(g_oem_program, programLength, g_oem_ping, pingLength, g_oem_script, scriptLength,
                        g_script_text, sizeof g_script_text, OemLeadByte);
}

// Writes the script to the file just created at PathBuffer in one write,
// and closes it. A script cut short could end inside a path and name
// another one: then it is deleted again and not started.
bool WriteScript(HANDLE file, unsigned size) {
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL whole = WriteFile(file, g_script_text, size, &written, nullptr) && written == size;
  CloseHandle(file);
  if (!whole) DeleteFileA(PathBuffer);
  return whole;
}

HANDLE CreateScript(DWORD disposition, SECURITY_ATTRIBUTES *security) {
  return CreateFileA(PathBuffer, GENERIC_WRITE, 0, security, disposition,
                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

// Names the script in PathBuffer, after the folder's `folderLength` bytes:
// the prefix, 8 random hexadecimal digits, the extension.
bool NameFreshScript(DWORD folderLength) {
  BYTE bits[kRandomNameBytes];
  if (!RandomBytes(bits, sizeof bits)) return false;
  static const char digits[] = "0123456789abcdef";
  char *name = PathBuffer + folderLength;
  lstrcpyA(name, kFreshScriptPrefix);
  char *at = name + sizeof kFreshScriptPrefix - 1;
  for (DWORD i = 0; i < kRandomNameBytes; ++i) {
    *at++ = digits[bits[i] >> 4];
    *at++ = digits[bits[i] & 15];
  }
  lstrcpyA(at, kFreshScriptExtension);
  return true;
}

// Writes the elevated run's script as a new file in the folder whose
// `folderLength` bytes begin PathBuffer. CREATE_NEW never opens what is
// already there, file or link; a name that is taken is left as it is and
// another one drawn.
bool WriteFreshScript(DWORD folderLength, DWORD programLength, DWORD pingLength) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kScriptSecurity, SDDL_REVISION_1, &descriptor,
                                                            nullptr))
    return false;
  SECURITY_ATTRIBUTES security;
  security.nLength = sizeof security;
  security.lpSecurityDescriptor = descriptor;
  security.bInheritHandle = FALSE;
  bool written = false;
  for (int i = 0; i < kFreshNameTries && NameFreshScript(folderLength); ++i) {
    unsigned size = ComposeScript(programLength, pingLength);
    if (size == 0) break;
    HANDLE file = CreateScript(CREATE_NEW, &security);
    if (file != INVALID_HANDLE_VALUE) {
      written = WriteScript(file, size);
      break;
    }
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED) break;
  }
  LocalFree(descriptor);
  return written;
}

// Starts the script suspended at idle priority, and lets it run only once
// this program has raised its own priority, so that the program ends before
// the script's retries can succeed. No handle of the script is kept.
// Elevated, the system's interpreter runs it, and a script that cannot be
// started is deleted again.
void StartScript(bool elevated) {
  const char *application = nullptr;
  if (!elevated) {
    MakeScriptCommandLine(PathBuffer, g_command_line);
  } else {
    application = g_interpreter_path;
    if (MakeInterpreterCommandLine(g_interpreter_path, PathBuffer, g_command_line) == 0) {
      DeleteFileA(PathBuffer);
      return;
    }
  }

  STARTUPINFOA startup;
  ZeroBytes(&startup, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process;
  if (!StartProcess(application, g_command_line, CREATE_SUSPENDED | IDLE_PRIORITY_CLASS, "\\", &startup,
                    &process)) {
    if (elevated) DeleteFileA(PathBuffer);
    return;
  }
  SetThreadPriority(process.hThread, THREAD_PRIORITY_IDLE);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
  CloseHandle(process.hProcess);
  ResumeThread(process.hThread);
  CloseHandle(process.hThread);
}

// Only the token decides, never the environment, an argument or the
// registry, which the user writes. A token that cannot answer counts as
// elevated: the careful way is right either way.
bool RunsElevated() {
  DWORD elevated = 0;
  return !AskElevation(&elevated) || elevated != 0;
}

// Settles the script's path and writes the script: in the system's
// temporary folder with the interpreter's path when elevated, in the
// user's otherwise.
bool WriteScriptFor(bool elevated, DWORD programLength, DWORD pingLength) {
  if (elevated) {
    DWORD folderLength = InSystemFolder(true, "Temp\\", kFreshNameSize, PathBuffer);
    return folderLength != 0 && InSystemFolder(false, "cmd.exe", 0, g_interpreter_path) != 0 &&
           WriteFreshScript(folderLength, programLength, pingLength);
  }
  if (!MakeScriptPath()) return false;
  unsigned size = ComposeScript(programLength, pingLength);
  return size != 0 && WriteScript(CreateScript(CREATE_ALWAYS, nullptr), size);
}

} // namespace

void ScheduleSelfRemoval() {
  bool elevated = RunsElevated();

  // Every path is settled before anything is written: a cut or lossy
  // path, or one that the command interpreter cannot read back as it is,
  // would make the script name some other file. Then no script is written
  // and the program and its folder stay.
  char program[MAX_PATH];
  DWORD programLength = ProgramPath(program);
  DWORD pingLength = InSystemFolder(false, "ping.exe", 0, g_ping_path);
  if (NamesThisProgram(program, programLength) && pingLength != 0 &&
      ToOem(program, programLength, g_oem_program) && ToOem(g_ping_path, pingLength, g_oem_ping) &&
      WriteScriptFor(elevated, programLength, pingLength))
    StartScript(elevated);
  StepProgress();
}
