// The one form of an installation folder, for the installer: every path it
// writes must name the folder as the uninstaller started from it will find
// its own path, and as Windows opens it. So the folder is absolute, on a
// drive, every name in it one that the file system keeps as it is, with no
// trailing backslash, in its long form. What cannot be brought to that form
// is refused with a verdict before anything is written.
#include <windows.h>

#include "contract.h"

namespace {

constexpr WCHAR kSuperscriptOne = 0xB9;
constexpr WCHAR kSuperscriptTwo = 0xB2;
constexpr WCHAR kSuperscriptThree = 0xB3;

// Names that Windows keeps for devices in every folder, whatever their
// extension; COM and LPT with a digit follow below.
const WCHAR *const kDeviceNames[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};

bool IsLetter(WCHAR c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool IsSlash(WCHAR c) { return c == L'\\' || c == L'/'; }

WCHAR Upper(WCHAR c) { return c >= L'a' && c <= L'z' ? static_cast<WCHAR>(c - L'a' + L'A') : c; }

// Whether the first `length` units of `name` are `word`, letter case ignored.
bool NameIs(const WCHAR *name, DWORD length, const WCHAR *word) {
  DWORD i = 0;
  for (; i < length && word[i] != 0; ++i) {
    if (Upper(name[i]) != word[i]) return false;
  }
  return i == length && word[i] == 0;
}

// Whether a name of `length` units names a device: its part before the
// first dot, blanks before that dot not counted, is a device's name.
bool IsDeviceName(const WCHAR *name, DWORD length) {
  DWORD base = 0;
  while (base < length && name[base] != L'.') ++base;
  while (base > 0 && name[base - 1] == L' ') --base;
  for (const WCHAR *device : kDeviceNames) {
    if (NameIs(name, base, device)) return true;
  }
  if (base != 4 || !(NameIs(name, 3, L"COM") || NameIs(name, 3, L"LPT"))) return false;
  WCHAR digit = name[3];
  return (digit >= L'0' && digit <= L'9') || digit == kSuperscriptOne || digit == kSuperscriptTwo ||
         digit == kSuperscriptThree;
}

bool IsForbidden(WCHAR c) {
  return c < 32 || c == L':' || c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L'?' || c == L'*';
}

// The verdict on one folder name of `length` (at least 1) units. The file
// system drops a trailing dot or blank, so such a name would be written in
// one form and opened in another.
Verdict JudgeName(const WCHAR *name, DWORD length) {
  for (DWORD i = 0; i < length; ++i) {
    if (IsForbidden(name[i])) return kFolderBadName;
  }
  if (name[length - 1] == L'.' || name[length - 1] == L' ') return kFolderBadName;
  return IsDeviceName(name, length) ? kFolderDeviceName : kFolderAccepted;
}

// The raw text, judged before anything resolves it: a drive letter, a
// colon and a slash first, and no device, long-path or network form.
Verdict JudgeGiven(const WCHAR *given, DWORD length) {
  if (length >= 2 && IsSlash(given[0]) && IsSlash(given[1])) return kFolderNotOnDrive;
  if (length < 3 || !IsLetter(given[0]) || given[1] != L':' || !IsSlash(given[2])) return kFolderRelative;
  if (length >= kPathBufferSize) return kFolderTooLong;
  for (DWORD i = 2; i < length; ++i) {
    if (IsForbidden(given[i])) return kFolderBadName;
  }
  // A folder name before the last that ends in a dot or a blank (not . or
  // ..): making the path absolute may drop the ending, so it is judged as
  // given. The last name's ending is dropped as Windows drops it on every
  // open, so C:\X. names C:\X.
  DWORD start = 3;
  for (DWORD end = 3; end < length; ++end) {
    if (!IsSlash(given[end])) continue;
    DWORD n = end - start;
    bool dots =
        (n == 1 && given[start] == L'.') || (n == 2 && given[start] == L'.' && given[start + 1] == L'.');
    if (n > 0 && !dots && (given[end - 1] == L'.' || given[end - 1] == L' ')) return kFolderBadName;
    start = end + 1;
  }
  return kFolderAccepted;
}

// Copies the absolute `full` path into `folder` name by name, each judged,
// empty names left out and no trailing backslash; its length goes to
// *length.
Verdict CopyNames(const WCHAR *full, WCHAR *folder, DWORD *length) {
  // GetFullPathNameW turns a device name into \\.\NAME.
  if (IsSlash(full[0])) return kFolderDeviceName;
  if (!IsLetter(full[0]) || full[1] != L':' || full[2] != L'\\') return kFolderRelative;
  DWORD out = 3;
  for (DWORD i = 0; i < 3; ++i) folder[i] = full[i];
  for (DWORD start = 3; full[start] != 0;) {
    DWORD end = start;
    while (full[end] != 0 && full[end] != L'\\') ++end;
    if (end > start) {
      Verdict verdict = JudgeName(full + start, end - start);
      if (verdict != kFolderAccepted) return verdict;
      if (out > 3) folder[out++] = L'\\';
      for (DWORD i = start; i < end; ++i) folder[out++] = full[i];
    }
    start = full[end] == 0 ? end : end + 1;
  }
  folder[out] = 0;
  *length = out;
  return out == 3 ? kFolderDriveRoot : kFolderAccepted;
}

// The first `existing` units of `folder` exist: they take their long form,
// and the rest follows them.
Verdict LongForm(WCHAR *folder, DWORD existing, DWORD length) {
  WCHAR part[kPathBufferSize];
  for (DWORD i = 0; i < existing; ++i) part[i] = folder[i];
  part[existing] = 0;
  WCHAR longPart[kPathBufferSize];
  DWORD longLength = GetLongPathNameW(part, longPart, kPathBufferSize);
  if (longLength == 0) return kFolderAccepted;
  if (longLength + length - existing >= kPathBufferSize) return kFolderTooLong;
  WCHAR rest[kPathBufferSize];
  DWORD restLength = length - existing;
  for (DWORD i = 0; i <= restLength; ++i) rest[i] = folder[existing + i];
  for (DWORD i = 0; i < longLength; ++i) folder[i] = longPart[i];
  for (DWORD i = 0; i <= restLength; ++i) folder[longLength + i] = rest[i];
  return kFolderAccepted;
}

// Finds the deepest folder of `folder` that exists: a file on the way
// refuses it.
Verdict DeepestFolder(WCHAR *folder, DWORD length, DWORD *existing) {
  *existing = 0;
  for (DWORD end = 4; end <= length; ++end) {
    if (end < length && folder[end] != L'\\') continue;
    WCHAR kept = folder[end];
    folder[end] = 0;
    DWORD attributes = GetFileAttributesW(folder);
    folder[end] = kept;
    if (attributes == INVALID_FILE_ATTRIBUTES) break;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return kFolderFileInTheWay;
    *existing = end;
  }
  return kFolderAccepted;
}

Verdict MakeCanonical(const WCHAR *given, WCHAR *folder) {
  Verdict verdict = JudgeGiven(given, static_cast<DWORD>(lstrlenW(given)));
  if (verdict != kFolderAccepted) return verdict;
  WCHAR full[kPathBufferSize];
  DWORD fullLength = GetFullPathNameW(given, kPathBufferSize, full, nullptr);
  if (fullLength == 0 || fullLength >= kPathBufferSize) return kFolderTooLong;
  DWORD length = 0;
  verdict = CopyNames(full, folder, &length);
  if (verdict != kFolderAccepted) return verdict;
  WCHAR root[] = {folder[0], L':', L'\\', 0};
  UINT driveType = GetDriveTypeW(root);
  if (driveType == DRIVE_UNKNOWN || driveType == DRIVE_NO_ROOT_DIR) return kFolderNoDrive;
  DWORD existing = 0;
  verdict = DeepestFolder(folder, length, &existing);
  if (verdict != kFolderAccepted || existing == 0) return verdict;
  return LongForm(folder, existing, length);
}

// Where the text after /D= starts on the installer's command line, found
// as NSIS finds it: the program's name skipped, then switches one by one,
// each a word or a quoted text, until /D= (which runs to the end of the
// line). nullptr without /D=.
const WCHAR *FolderSwitch(const WCHAR *line) {
  WCHAR seek = L' ';
  if (*line == L'"') {
    seek = L'"';
    ++line;
  }
  while (*line != 0 && *line != seek) ++line;
  if (*line != 0) ++line;
  while (*line != 0) {
    while (*line == L' ') ++line;
    seek = L' ';
    if (*line == L'"') {
      seek = L'"';
      ++line;
    }
    if (*line == L'/') {
      ++line;
      if (line[0] == L'D' && line[1] == L'=') return line + 2;
    }
    while (*line != 0 && *line != seek) ++line;
    if (*line == L'"') ++line;
  }
  return nullptr;
}

} // namespace

// The canonical form of `given` in `folder` (kPathBufferSize units), or a
// verdict that refuses it, leaving `folder` unusable.
extern "C" int WINAPI CanonicalFolder(const WCHAR *given, WCHAR *folder) {
  return MakeCanonical(given, folder);
}

// The folder given by /D= on the installer's own command line: -1 without
// /D=; otherwise the verdict on it, and in `folder` (kPathBufferSize units)
// its canonical form, or on a refusal the text as given (cut to fit), for
// the message. NSIS itself replaces a /D= it cannot use with its default
// folder, so that only the raw line tells what was asked for.
extern "C" int WINAPI GivenFolder(WCHAR *folder) {
  const WCHAR *given = FolderSwitch(GetCommandLineW());
  if (given == nullptr) return -1;
  Verdict verdict = MakeCanonical(given, folder);
  if (verdict != kFolderAccepted) lstrcpynW(folder, given, kPathBufferSize);
  return verdict;
}
