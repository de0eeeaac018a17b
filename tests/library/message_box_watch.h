// Watches for message boxes with a given caption from a second thread,
// records each box's text and closes it with OK, as a person would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct MessageBoxWatch {
  const char *caption;
  volatile LONG stop;
  HANDLE thread;
  HANDLE running;
  CRITICAL_SECTION lock;
  std::vector<std::string> texts;
};

inline DWORD WINAPI WatchMessageBoxes(LPVOID parameter) {
  auto *watch = static_cast<MessageBoxWatch *>(parameter);
  SetEvent(watch->running);
  HWND last = nullptr;
  while (!watch->stop) {
    HWND box = FindWindowA("#32770", watch->caption);
    if (box != nullptr && box != last) {
      char text[512] = "";
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
      EnterCriticalSection(&watch->lock);
      watch->texts.push_back(text);
      LeaveCriticalSection(&watch->lock);
      PostMessageA(box, WM_COMMAND, IDOK, 0);
      last = box;
    } else if (box == nullptr) {
      last = nullptr;
    }
    Sleep(20);
  }
  return 0;
}

inline void StartWatch(MessageBoxWatch *watch, const char *caption) {
  watch->caption = caption;
  watch->stop = 0;
  InitializeCriticalSection(&watch->lock);
  watch->running = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  watch->thread = CreateThread(nullptr, 0, WatchMessageBoxes, watch, 0, nullptr);
  // A thread still starting up waits for the loader lock, which a library's
  // load-time routine holds while its box is up: wait until it runs.
  WaitForSingleObject(watch->running, INFINITE);
  CloseHandle(watch->running);
}

// Stops the watcher and returns the texts of the boxes it closed.
inline std::vector<std::string> StopWatch(MessageBoxWatch *watch) {
  InterlockedExchange(&watch->stop, 1);
  WaitForSingleObject(watch->thread, INFINITE);
  CloseHandle(watch->thread);
  DeleteCriticalSection(&watch->lock);
  return watch->texts;
}
