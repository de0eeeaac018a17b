#include "support.h"

#include <commctrl.h>

#include <algorithm>
#include <gtest/gtest.h>

#include "uninstaller.h"

namespace test {

const char DialogCaption[] = "Uninstall Math Intrinsics Add-on Library";
const char WarningCaption[] = "Can't delete the file named:";
const char kSharedDllsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kHostKey[] = "Software\\Quorvant";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessarim";

static std::string programPath;
static std::wstring programPathW;

std::string Ansi(const std::wstring &text) {
  if (text.empty()) return std::string();
  int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), (int)text.size(), NULL, 0, NULL, NULL);
  std::string ansi(size, '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), (int)text.size(), &ansi[0], size, NULL, NULL);
  return ansi;
}

std::wstring Wide(const std::string &ansi) {
  if (ansi.empty()) return std::wstring();
  int size = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), (int)ansi.size(), NULL, 0);
  std::wstring wide(size, L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), (int)ansi.size(), &wide[0], size);
  return wide;
}

void SetProgramPath(const std::string &path) {
  programPath = path;
  programPathW = Wide(path);
}

void SetProgramPathW(const std::wstring &path) {
  programPathW = path;
  programPath = Ansi(path);
}

std::string MakeScratch(const std::string &name) {
  CreateDirectoryA("C:\\tessarim-tests", NULL);
  std::string folder = "C:\\tessarim-tests\\" + name;
  RemoveTree(folder);
  EXPECT_TRUE(CreateDirectoryA(folder.c_str(), NULL)) << folder;
  return folder + "\\";
}

void RemoveTree(const std::string &path) { RemoveTreeW(Wide(path)); }

void RemoveTreeW(const std::wstring &path) {
  std::wstring folder = path;
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileW(folder.c_str());
    return;
  }
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") RemoveTreeW(folder + L"\\" + name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool ExistsW(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string FolderOfLength(const std::string &base, size_t length) {
  std::string folder = base;
  while (folder.size() < length) {
    size_t part = std::min<size_t>(100, length - folder.size() - 1);
    folder += std::string(part, 'd');
    CreateDirectoryA(folder.c_str(), NULL);
    folder += "\\";
  }
  return folder;
}

void PutFile(const std::string &path, const std::string &content) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(file, content.data(), (DWORD)content.size(), &written, NULL);
  CloseHandle(file);
  ASSERT_EQ(written, content.size());
}

// The whole content of an open file, which it closes; "<missing>" when the
// file could not be opened.
static std::string ReadAndClose(HANDLE file) {
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string content;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, NULL) && got > 0) content.append(chunk, got);
  CloseHandle(file);
  return content;
}

std::string ReadWholeFile(const std::string &path) {
  return ReadAndClose(CreateFileA(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                                  0, NULL));
}

std::string ReadWholeFileW(const std::wstring &path) {
  return ReadAndClose(CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                                  0, NULL));
}

HWND WaitForDialog(const PROCESS_INFORMATION &process, HWND *focus) {
  HWND dialog = window_watch::WaitForDialog({DialogCaption, process.dwProcessId}, 30000);
  EXPECT_TRUE(dialog != NULL) << "the dialog did not appear";
  if (dialog == NULL) return NULL;
  *focus = window_watch::FocusOf(process.dwThreadId);
  EXPECT_EQ(*focus, GetDlgItem(dialog, IDOK));
  return dialog;
}

DWORD FinishProcess(PROCESS_INFORMATION &process) {
  if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
    ADD_FAILURE() << "the program did not end";
    TerminateProcess(process.hProcess, 99);
  }
  DWORD code = 12345;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return code;
}

bool WaitFor(const std::function<bool()> &done, DWORD milliseconds) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > milliseconds) return false;
    Sleep(50);
  }
  return true;
}

bool WaitGone(const std::string &path, DWORD milliseconds) {
  return WaitFor([&] { return !Exists(path); }, milliseconds);
}

void SetTempVariable(const std::string &folder) { SetEnvironmentVariableA("TMP", folder.c_str()); }

static HKEY OpenForWrite(HKEY root, const char *key) {
  HKEY opened = NULL;
  EXPECT_EQ(RegCreateKeyExA(root, key, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &opened, NULL), ERROR_SUCCESS)
      << key;
  return opened;
}

void PutString(HKEY root, const char *key, const std::string &name, const std::string &data) {
  HKEY opened = OpenForWrite(root, key);
  EXPECT_EQ(
      RegSetValueExA(opened, name.c_str(), 0, REG_SZ, (const BYTE *)data.c_str(), (DWORD)data.size() + 1),
      ERROR_SUCCESS);
  RegCloseKey(opened);
}

void PutBinary(HKEY root, const char *key, const std::string &name, const std::string &data) {
  HKEY opened = OpenForWrite(root, key);
  EXPECT_EQ(
      RegSetValueExA(opened, name.c_str(), 0, REG_BINARY, (const BYTE *)data.data(), (DWORD)data.size()),
      ERROR_SUCCESS);
  RegCloseKey(opened);
}

bool HasValue(HKEY root, const char *key, const std::string &name) {
  HKEY opened;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  LONG result = RegQueryValueExA(opened, name.c_str(), NULL, NULL, NULL, NULL);
  RegCloseKey(opened);
  return result == ERROR_SUCCESS;
}

std::string GetData(HKEY root, const char *key, const std::string &name) {
  HKEY opened;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return "<no key>";
  char data[1024];
  DWORD size = sizeof data;
  LONG result = RegQueryValueExA(opened, name.c_str(), NULL, NULL, (BYTE *)data, &size);
  RegCloseKey(opened);
  if (result != ERROR_SUCCESS) return "<no value>";
  return std::string(data, size);
}

bool HasKey(HKEY root, const char *key) {
  HKEY opened;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

void DeleteKeyTree(HKEY root, const char *key) {
  RegDeleteTreeA(root, key);
  RegDeleteKeyA(root, key);
}

void DeleteValue(HKEY root, const char *key, const std::string &name) {
  HKEY opened;
  if (RegOpenKeyExA(root, key, 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) return;
  RegDeleteValueA(opened, name.c_str());
  RegCloseKey(opened);
}

static bool SetKeyAccess(HKEY root, const char *key, REGSAM access) {
  HKEY opened;
  if (RegOpenKeyExA(root, key, 0, WRITE_DAC, &opened) != ERROR_SUCCESS) return false;
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = NULL;
  AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
  char aclBytes[256];
  PACL acl = (PACL)aclBytes;
  InitializeAcl(acl, sizeof aclBytes, ACL_REVISION);
  AddAccessAllowedAce(acl, ACL_REVISION, access | WRITE_DAC, everyone);
  SECURITY_DESCRIPTOR descriptor;
  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
  LONG result = RegSetKeySecurity(opened, DACL_SECURITY_INFORMATION, &descriptor);
  RegCloseKey(opened);
  FreeSid(everyone);
  return result == ERROR_SUCCESS;
}

bool RestrictKey(HKEY root, const char *key, REGSAM access) { return SetKeyAccess(root, key, access); }

void UnrestrictKey(HKEY root, const char *key) { SetKeyAccess(root, key, KEY_ALL_ACCESS | DELETE); }

SavedVariable::SavedVariable(const wchar_t *name) : name(name), present(false) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return;
  value.resize(size);
  value.resize(GetEnvironmentVariableW(name, &value[0], size));
  present = true;
}

SavedVariable::~SavedVariable() { Restore(); }

void SavedVariable::Restore() const { SetEnvironmentVariableW(name, present ? value.c_str() : nullptr); }

CurrentFolder::CurrentFolder(const std::string &folder) {
  wchar_t current[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, current);
  saved = current;
  EXPECT_TRUE(SetCurrentDirectoryA(folder.c_str())) << folder;
}

CurrentFolder::~CurrentFolder() { SetCurrentDirectoryW(saved.c_str()); }

KeyRestriction::KeyRestriction(HKEY root, const char *key, REGSAM access)
    : root(root), key(key), held(RestrictKey(root, key, access)) {}

KeyRestriction::~KeyRestriction() {
  if (held) UnrestrictKey(root, key);
}

UninstallerEntries::UninstallerEntries() {
  DeleteKeyTree(HKEY_CURRENT_USER, kHostKey);
  DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
}

UninstallerEntries::~UninstallerEntries() {
  for (const std::string &library : counted) DeleteValue(HKEY_LOCAL_MACHINE, kSharedDllsKey, library);
  DeleteKeyTree(HKEY_CURRENT_USER, kHostKey);
  DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
}

void UninstallerEntries::Count(const std::string &library) { counted.push_back(library); }

static WNDPROC barProcedure;
static std::vector<int> steps;
static std::mutex stepsMutex;

static LRESULT CALLBACK StepRecorder(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = CallWindowProcA(barProcedure, bar, message, wParam, lParam);
  if (message == PBM_STEPIT) {
    int position = (int)CallWindowProcA(barProcedure, bar, PBM_GETPOS, 0, 0);
    std::lock_guard<std::mutex> lock(stepsMutex);
    steps.push_back(position);
  }
  return result;
}

void RecordSteps(HWND dialog) {
  {
    std::lock_guard<std::mutex> lock(stepsMutex);
    steps.clear();
  }
  HWND bar = GetDlgItem(dialog, IDC_PROGRESS);
  ASSERT_NE(bar, (HWND)NULL);
  barProcedure = (WNDPROC)SetWindowLongPtrA(bar, GWLP_WNDPROC, (LONG_PTR)StepRecorder);
}

std::vector<int> RecordedSteps() {
  std::lock_guard<std::mutex> lock(stepsMutex);
  return steps;
}

void DrainMessages() {
  MSG message;
  while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
  }
}

} // namespace test

// The test program's stand-in for GetModuleFileNameA(NULL, ...): the
// program is wherever the test says, and a path too long for the buffer
// comes back cut, as the platform cuts it (MAX_PATH - 1 characters, a
// zero, and MAX_PATH as the result).
DWORD ProgramPath(char *buffer) {
  const std::string &path = test::programPath;
  if (path.size() >= MAX_PATH) {
    memcpy(buffer, path.data(), MAX_PATH - 1);
    buffer[MAX_PATH - 1] = 0;
    return MAX_PATH;
  }
  memcpy(buffer, path.c_str(), path.size() + 1);
  return (DWORD)path.size();
}

DWORD ProgramPathW(WCHAR *buffer) {
  const std::wstring &path = test::programPathW;
  if (path.size() >= MAX_PATH) {
    memcpy(buffer, path.data(), (MAX_PATH - 1) * sizeof(WCHAR));
    buffer[MAX_PATH - 1] = 0;
    return MAX_PATH;
  }
  memcpy(buffer, path.c_str(), (path.size() + 1) * sizeof(WCHAR));
  return (DWORD)path.size();
}
