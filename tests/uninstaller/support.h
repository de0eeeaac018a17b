// Helpers for the uninstaller's tests: scratch folders and files, the
// registry of the test's Wine prefix, the dialog's progress bar and the
// warning boxes, all real.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "window_watch.h"

namespace test {

extern const char kDialogCaption[];
extern const char kWarningCaption[];
extern const char kSharedDllsKey[];
extern const char kHostKey[];
extern const char kUninstallKey[];

// What the uninstaller's ProgramPath and ProgramPathW give in the test
// program, as GetModuleFileNameA and GetModuleFileNameW would give them for
// a program at that place: from an ANSI path, or from a wide one, whose
// ANSI form is then what the platform's conversion makes of it (? or a
// look-alike for a character that ANSI lacks).
void SetProgramPath(const std::string &path);
void SetProgramPathW(const std::wstring &path);

// Text in the ANSI code page and back, as the platform's A functions do.
std::string Ansi(const std::wstring &text);
std::wstring Wide(const std::string &ansi);

// Files and folders.
std::string MakeScratch(const std::string &name); // C:\tessarim-tests\<name>\, empty
// Removes a file or a folder with all it holds, names outside the ANSI
// code page included.
void RemoveTree(const std::string &path);
void RemoveTreeW(const std::wstring &path);
bool Exists(const std::string &path);
bool ExistsW(const std::wstring &path);
// Makes nested folders under `base` (which ends in a backslash) so that the
// result, with its final backslash, is exactly `length` characters long.
std::string FolderOfLength(const std::string &base, size_t length);
void PutFile(const std::string &path, const std::string &content);
std::string ReadWholeFile(const std::string &path);
std::string ReadWholeFileW(const std::wstring &path);
// Waits up to 30 s for the uninstaller's dialog of `process` to show, with
// the focus on OK; returns it (and the focused window), or NULL.
HWND WaitForDialog(const PROCESS_INFORMATION &process, HWND *focus);
// Waits up to 30 s for the process to end (ends it otherwise, a failure),
// closes its handles and returns its exit code.
DWORD FinishProcess(PROCESS_INFORMATION &process);
bool WaitFor(const std::function<bool()> &done, DWORD milliseconds);
bool WaitGone(const std::string &path, DWORD milliseconds = 60000);
void SetTempVariable(const std::string &folder);

// Registry.
void PutString(HKEY root, const char *key, const std::string &name, const std::string &data);
void PutBinary(HKEY root, const char *key, const std::string &name, const std::string &data);
bool HasValue(HKEY root, const char *key, const std::string &name);
std::string GetData(HKEY root, const char *key, const std::string &name);
bool HasKey(HKEY root, const char *key);
void DeleteKeyTree(HKEY root, const char *key);
void DeleteValue(HKEY root, const char *key, const std::string &name);
// Gives the key a DACL that grants everyone only `access`, plus the right
// to change the DACL back; UnrestrictKey grants everything again.
bool RestrictKey(HKEY root, const char *key, REGSAM access);
void UnrestrictKey(HKEY root, const char *key);

// Scope guards: each puts back what a test changed when its scope ends,
// on every exit path, a failed ASSERT's early return included, so that no
// later test starts from a changed process or prefix.

// The environment variable `name` as it was, its absence included.
struct SavedVariable {
  explicit SavedVariable(const wchar_t *name);
  ~SavedVariable();
  SavedVariable(const SavedVariable &) = delete;
  SavedVariable &operator=(const SavedVariable &) = delete;
  // Puts the variable back now (it is put back at the end all the same).
  void Restore() const;

  const wchar_t *name;
  bool present;
  std::wstring value;
};

// The process's current folder, `folder` until the scope ends.
struct CurrentFolder {
  explicit CurrentFolder(const std::string &folder);
  ~CurrentFolder();
  CurrentFolder(const CurrentFolder &) = delete;
  CurrentFolder &operator=(const CurrentFolder &) = delete;

  std::wstring saved;
};

// A key restricted to `access` (RestrictKey) until the scope ends; `held`
// tells whether the restriction was made.
struct KeyRestriction {
  KeyRestriction(HKEY root, const char *key, REGSAM access);
  ~KeyRestriction();
  KeyRestriction(const KeyRestriction &) = delete;
  KeyRestriction &operator=(const KeyRestriction &) = delete;

  HKEY root;
  const char *key;
  bool held;
};

// The uninstaller's registry entries in the test's prefix: the host list
// and the uninstall entry are deleted when the guard is made and when its
// scope ends, and so are the shared-file counts named by Count (the
// prefix's own counts stay).
struct UninstallerEntries {
  UninstallerEntries();
  ~UninstallerEntries();
  UninstallerEntries(const UninstallerEntries &) = delete;
  UninstallerEntries &operator=(const UninstallerEntries &) = delete;
  void Count(const std::string &library);

  std::vector<std::string> counted;
};

// Closes each warning box ("Can't delete the file named:") with OK, as a
// person would, and keeps its text.
struct BoxCloser : window_watch::BoxCloser {
  BoxCloser() : window_watch::BoxCloser(kWarningCaption) {}
};

// Records the position of the dialog's progress bar after each PBM_STEPIT
// it receives, by subclassing the bar.
void RecordSteps(HWND dialog);
std::vector<int> RecordedSteps();

// Removes whatever the thread's queue holds, WM_QUIT included, so that a
// dialog destroyed by a test leaves nothing for the next one.
void DrainMessages();

} // namespace test
