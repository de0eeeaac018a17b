// Loading the library where no usable host is loaded: one message box, a
// refused load, and the host module never pulled in as a side effect. The
// cases run in this order in one process, which starts without any host.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "window_watch.h"

namespace {

std::vector<std::string> LoadExpectingRefusal() {
  window_watch::BoxCloser boxes("tessarim");
  HMODULE library = LoadLibraryA("tessarim.dll");
  std::vector<std::string> texts = boxes.Texts();
  EXPECT_EQ(library, nullptr) << "the load must be refused";
  if (library != nullptr) FreeLibrary(library);
  return texts;
}

TEST(LoadWithoutHost, NoHostModuleShowsOneBoxAndRefuses) {
  ASSERT_EQ(GetModuleHandleA("quorvant.dll"), nullptr);
  std::vector<std::string> texts = LoadExpectingRefusal();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0], "Requires the Quorvant REXX interpreter");
  EXPECT_EQ(GetModuleHandleA("quorvant.dll"), nullptr) << "the library must not load the host";
}

TEST(LoadWithoutHost, HostWithoutBindingEntryShowsNewerHostBox) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  while (n > 0 && path[n - 1] != '\\') --n;
  lstrcpyA(path + n, "old-host\\quorvant.dll");
  HMODULE old_host = LoadLibraryA(path);
  ASSERT_NE(old_host, nullptr);
  ASSERT_EQ(GetProcAddress(old_host, "RexxGetQuorvantFuncs"), nullptr);
  std::vector<std::string> texts = LoadExpectingRefusal();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0], "Requires a later version of the Quorvant REXX interpreter");
  FreeLibrary(old_host);
}

} // namespace
