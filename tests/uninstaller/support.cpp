#include "support.h"

#include <commctrl.h>

#include <algorithm>
#include <gtest/gtest.h>

#include "uninstaller.h"

namespace test {

namespace {

std::string g_program_path;
std::wstring g_program_path_w;

// The whole content of an open file, which it closes; "<missing>" when the
// file could not be opened.
std::string ReadAndClose(HANDLE file) {
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string content;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) content.append(chunk, got);
  CloseHandle(file);
  return content;
}

HKEY OpenForWrite(HKEY root, const char *key) {
  HKEY opened = nullptr;
  EXPECT_EQ(RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr),
            ERROR_SUCCESS)
      << key;
  return opened;
}

bool SetKeyAccess(HKEY root, const char *key, REGSAM access) {
  HKEY opened;
  if (RegOpenKeyExA(root, key, 0, WRITE_DAC, &opened) != ERROR_SUCCESS) return false;
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
  char aclBytes[256];
  PACL acl = reinterpret_cast<PACL>(aclBytes);
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

WNDPROC g_bar_procedure;
std::vector<int> g_steps;
std::mutex g_steps_mutex;

LRESULT CALLBACK StepRecorder(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = CallWindowProcA(g_bar_procedure, bar, message, wParam, lParam);
  if (message == PBM_STEPIT) {
    int position = static_cast<int>(CallWindowProcA(g_bar_procedure, bar, PBM_GETPOS, 0, 0));
    std::lock_guard<std::mutex> lock(g_steps_mutex);
    g_steps.push_back(position);
  }
  return result;
}

} // namespace

const char kDialogCaption[] = "Uninstall Math Intrinsics Add-on Library";
const char kWarningCaption[] = "Can't delete the file named:";
const char kSharedDllsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kHostKey[] = "Software\\Quorvant";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessarim";

std::string Ansi(const std::wstring &text) {
  if (text.empty()) return std::string();
  int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                 nullptr);
  std::string ansi(size, '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &ansi[0], size, nullptr,
                      nullptr);
  return ansi;
}

std::wstring Wide(const std::string &ansi) {
  if (ansi.empty()) return std::wstring();
  int size = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(size, L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), static_cast<int>(ansi.size()), &wide[0], size);
  return wide;
}

void SetProgramPath(const std::string &path) {
  g_program_path = path;
  g_program_path_w = Wide(path);
}

void SetProgramPathW(const std::wstring &path) {
  g_program_path_w = path;
  g_program_path = Ansi(path);
}

std::string MakeScratch(const std::string &name) {
  CreateDirectoryA("C:\\tessarim-tests", nullptr);
  std::string folder = "C:\\tessarim-tests\\" + name;
  RemoveTree(folder);
  EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
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
    CreateDirectoryA(folder.c_str(), nullptr);
    folder += "\\";
  }
  return folder;
}

void PutFile(const std::string &path, const std::string &content) {
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_EQ(written, content.size());
}

std::string ReadWholeFile(const std::string &path) {
  return ReadAndClose(CreateFileA(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
}

std::string ReadWholeFileW(const std::wstring &path) {
  return ReadAndClose(CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
}

HWND WaitForDialog(const PROCESS_INFORMATION &process, HWND *focus) {
  HWND dialog = window_watch::WaitForDialog({kDialogCaption, process.dwProcessId}, 30000);
  EXPECT_TRUE(dialog != nullptr) << "the dialog did not appear";
  if (dialog == nullptr) return nullptr;
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

void PutString(HKEY root, const char *key, const std::string &name, const std::string &data) {
  HKEY opened = OpenForWrite(root, key);
  EXPECT_EQ(RegSetValueExA(opened, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(data.c_str()),
                           static_cast<DWORD>(data.size()) + 1),
            ERROR_SUCCESS);
  RegCloseKey(opened);
}

void PutBinary(HKEY root, const char *key, const std::string &name, const std::string &data) {
  HKEY opened = OpenForWrite(root, key);
  EXPECT_EQ(RegSetValueExA(opened, name.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE *>(data.data()),
                           static_cast<DWORD>(data.size())),
            ERROR_SUCCESS);
  RegCloseKey(opened);
}

bool HasValue(HKEY root, const char *key, const std::string &name) {
  HKEY opened;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  LONG result = RegQueryValueExA(opened, name.c_str(), nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(opened);
  return result == ERROR_SUCCESS;
}

std::string GetData(HKEY root, const char *key, const std::string &name) {
  HKEY opened;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return "<no key>";
  char data[1024];
  DWORD size = sizeof data;
  LONG result =
      RegQueryValueExA(opened, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE *>(data), &size);
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

bool RestrictKey(HKEY root, const char *key, REGSAM access) { return SetKeyAccess(root, key, access); }

void UnrestrictKey(HKEY root, const char *key) { SetKeyAccess(root, key, KEY_ALL_ACCESS | DELETE); }

SavedVariable::SavedVariable(const wchar_t *variable) : name(variable), present(false) {
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

KeyRestriction::KeyRestriction(HKEY restricted_root, const char *restricted_key, REGSAM access)
    : root(restricted_root), key(restricted_key), held(RestrictKey(root, key, access)) {}

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

void RecordSteps(HWND dialog) {
  {
    std::lock_guard<std::mutex> lock(g_steps_mutex);
    g_steps.clear();
  }
  HWND bar = GetDlgItem(dialog, IDC_PROGRESS);
  ASSERT_NE(bar, nullptr);
  g_bar_procedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StepRecorder)));
}

std::vector<int> RecordedSteps() {
  std::lock_guard<std::mutex> lock(g_steps_mutex);
  return g_steps;
}

void DrainMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

} // namespace test

// The test program's stand-in for GetModuleFileNameA(NULL, ...): the
// program is wherever the test says, and a path too long for the buffer
// comes back cut, as the platform cuts it (MAX_PATH - 1 characters, a
// zero, and MAX_PATH as the result).
DWORD ProgramPath(char *buffer) {
  const std::string &path = test::g_program_path;
  if (path.size() >= MAX_PATH) {
    memcpy(buffer, path.data(), MAX_PATH - 1);
    buffer[MAX_PATH - 1] = 0;
    return MAX_PATH;
  }
  memcpy(buffer, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}

DWORD ProgramPathW(WCHAR *buffer) {
  const std::wstring &path = test::g_program_path_w;
  if (path.size() >= MAX_PATH) {
    memcpy(buffer, path.data(), (MAX_PATH - 1) * sizeof(WCHAR));
    buffer[MAX_PATH - 1] = 0;
    return MAX_PATH;
  }
  memcpy(buffer, path.c_str(), (path.size() + 1) * sizeof(WCHAR));
  return static_cast<DWORD>(path.size());
}
