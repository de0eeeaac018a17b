// A live uninstall dialog in the test's own process, with the program
// placed in a scratch folder, no script unless a test gives the sequence a
// temporary folder, and the registry entries of the uninstaller cleared.
#pragma once

#include <gtest/gtest.h>

#include "support.h"
#include "uninstaller.h"

class UninstallTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Makes the dialog the sequence works on, as the entry routine does.
  void CreateMainWindow();
  // A fresh dialog for the next case of a table, nothing left queued.
  void RecreateMainWindow();
  // Places the program at `folder`\UTessarim.exe; returns the library's path.
  std::string PlaceProgram(const std::string &folder);
  // The library file and the three registry entries that name it.
  void Install(const std::string &library);
  // Lets the sequence write its script to `folder` (created here).
  void UseTempFolder(const std::string &folder);
  // Points COMSPEC at a program that does not exist: scripts are written
  // but never started. StartScripts, and the test's end, put COMSPEC back.
  void StartNoScripts();
  void StartScripts();
  bool PriorityRaised();

  std::string scratch_;
  // Put back, and cleared, after TearDown whatever way the test ended.
  test::SavedVariable temp_{L"TMP"}, comspec_{L"COMSPEC"};
  test::UninstallerEntries entries_;
};
