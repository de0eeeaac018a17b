// Finding the dialogs and message boxes a test waits for, and closing boxes
// as a person would, for every Windows test and the lifecycle test's probe.
// No gtest dependency: a caller reports a window that never came itself.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace window_watch {

// A message box's text is its static control with this id.
constexpr int kMessageBoxText = 0xFFFF;

// A visible top-level dialog with this caption; the others narrow it.
struct DialogQuery {
  const char *caption;
  DWORD process = 0; // owned by this process; 0: any
  int control = 0;   // holding a control with this id; 0: any
};

HWND FindDialog(const DialogQuery &query);
// Null when no such dialog showed within `milliseconds`.
HWND WaitForDialog(const DialogQuery &query, DWORD milliseconds);
std::string ControlText(HWND dialog, int control = kMessageBoxText);
// The window that has the keyboard focus in a thread's windows.
HWND FocusOf(DWORD thread);

// From a thread of its own, presses OK on every box with this caption,
// once each, and keeps each box's text. Running once the constructor
// returns: a box shown under the loader lock (by a library's load-time
// routine) is closed too, since the watcher no longer needs that lock.
class BoxCloser {
 public:
  explicit BoxCloser(const char *caption);
  ~BoxCloser(); // stops watching
  BoxCloser(const BoxCloser &) = delete;
  BoxCloser &operator=(const BoxCloser &) = delete;
  // The texts of the boxes closed so far, in order.
  std::vector<std::string> Texts();

 private:
  static DWORD WINAPI Watch(LPVOID closer);
  const char *caption_;
  volatile LONG stop_ = 0;
  HANDLE running_;
  HANDLE thread_;
  CRITICAL_SECTION lock_;
  std::vector<std::string> texts_;
};

} // namespace window_watch
