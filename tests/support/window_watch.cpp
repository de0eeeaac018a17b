#include "window_watch.h"

namespace window_watch {

namespace {

constexpr DWORD kPollMilliseconds = 20;
// A box that OK has not closed by then is taken as a new one.
constexpr DWORD kBoxCloseMilliseconds = 10000;

bool Matches(HWND dialog, const DialogQuery &query) {
  if (!IsWindowVisible(dialog)) return false;
  if (query.control != 0 && GetDlgItem(dialog, query.control) == nullptr) return false;
  DWORD owner = 0;
  GetWindowThreadProcessId(dialog, &owner);
  return query.process == 0 || owner == query.process;
}

} // namespace

HWND FindDialog(const DialogQuery &query) {
  HWND dialog = nullptr;
  while ((dialog = FindWindowExA(nullptr, dialog, "#32770", query.caption)) != nullptr) {
    if (Matches(dialog, query)) return dialog;
  }
  return nullptr;
}

HWND WaitForDialog(const DialogQuery &query, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND dialog = FindDialog(query)) return dialog;
    if (GetTickCount() - start > milliseconds) return nullptr;
    Sleep(kPollMilliseconds);
  }
}

std::string ControlText(HWND dialog, int control) {
  char text[1024] = "";
  GetDlgItemTextA(dialog, control, text, sizeof text);
  return text;
}

HWND FocusOf(DWORD thread) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(thread, &info);
  return info.hwndFocus;
}

BoxCloser::BoxCloser(const char *caption) : caption_(caption) {
  InitializeCriticalSection(&lock_);
  running_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
  // A thread still starting takes the loader lock, which a library's
  // load-time routine holds while its box is up: wait until it runs.
  WaitForSingleObject(running_, INFINITE);
  CloseHandle(running_);
}

BoxCloser::~BoxCloser() {
  InterlockedExchange(&stop_, 1);
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  DeleteCriticalSection(&lock_);
}

std::vector<std::string> BoxCloser::Texts() {
  EnterCriticalSection(&lock_);
  std::vector<std::string> texts = texts_;
  LeaveCriticalSection(&lock_);
  return texts;
}

DWORD WINAPI BoxCloser::Watch(LPVOID parameter) {
  auto *closer = static_cast<BoxCloser *>(parameter);
  SetEvent(closer->running_);
  while (!closer->stop_) {
    HWND box = FindDialog({closer->caption_});
    if (box == nullptr) {
      Sleep(kPollMilliseconds);
      continue;
    }
    std::string text = ControlText(box);
    EnterCriticalSection(&closer->lock_);
    closer->texts_.push_back(text);
    LeaveCriticalSection(&closer->lock_);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    // One box is counted once: wait until it is gone.
    const DWORD start = GetTickCount();
    while (IsWindow(box) && !closer->stop_ && GetTickCount() - start < kBoxCloseMilliseconds)
      Sleep(kPollMilliseconds);
  }
  return 0;
}

} // namespace window_watch
