// A complete data directory made by the real engine (every catalogue table,
// CAT.DAT with the directory version, the DP.EXE marker), scripted answers
// for the start-up's boxes and questions, and helpers to add people.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/office/dpmain.h"
#include "data/office/startup_prompts.h"
#include "tests/data/office/office_dir.h"

// Records every box; answers questions from the script.
class ScriptedPrompts : public StartupPrompts {
 public:
  void Inform(const std::string& caption, const std::string& text) override {
    shown.push_back(caption + "|" + text);
  }
  bool AskRetryCancel(const std::string& caption, const std::string& text) override {
    shown.push_back(caption + "|" + text);
    return retry;
  }
  bool NameError(const std::string& text) override {
    shown.push_back("NAME_ERROR|" + text);
    return runSetup;
  }
  std::vector<std::string> shown;
  bool retry = false;
  bool runSetup = false;
};

class RecordingLauncher : public SetupLauncher {
 public:
  bool Launch(const std::string& program, const std::string& argument) override {
    started.push_back(program + " " + argument);
    return true;
  }
  std::vector<std::string> started;
};

// Makes an empty data directory the way the installation does.
inline void MakeDataDirectory(const std::string& dir) {
  ASSERT_TRUE(CreateEmptyOffice(dir));
}

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetPrompts(&prompts);
    SetLauncher(&launcher);
    SetCheckHandler([this](const char* module, unsigned line) {
      checks.push_back(std::string(module) + ":" + std::to_string(line));
    });
    MakeDataDirectory(dir.Path());
    ClearAppError();
  }
  void TearDown() override {
    if (CurrentUser().started) StopUser();
    CloseDataDirectory();
    EXPECT_EQ(OpenTableCount(), 0);
    SetPrompts(nullptr);
    SetLauncher(nullptr);
    SetCheckHandler(nullptr);
    DbSetErrorReporter(nullptr);
    DbSetLockRetry(nullptr);
    IdxSetLockRetry(nullptr);
  }

  // Adds a person (or group) to the name table while no user is started;
  // returns the name number.
  int32_t AddName(const std::string& name) {
    SetDataDirectory(dir.Path());
    DbSetErrorReporter(TranslateEngineError);
    NameTable names;
    NameEntry entry;
    int32_t number = -1;
    if (NameOpen(names)) {
      if (NameAdd(names, name) && NameFind(names, name, &entry)) number = entry.Number();
      NameClose(names);
    }
    if (!DataDirectoryOpen()) SetDataDirectory("");
    EXPECT_GT(number, 0) << name << ": " << FormatAppError();
    return number;
  }

  // Reads, changes and writes back a person's record.
  template <typename Change>
  void ChangePerson(const std::string& name, Change change) {
    SetDataDirectory(dir.Path());
    DbSetErrorReporter(TranslateEngineError);
    NameRecord record;
    ASSERT_EQ(NameLookup(name, &record), 1) << FormatAppError();
    change(record);
    ASSERT_EQ(NameUpdate(record), 1) << FormatAppError();
    if (!DataDirectoryOpen()) SetDataDirectory("");
  }

  TempDir dir;
  ScriptedPrompts prompts;
  RecordingLauncher launcher;
  std::vector<std::string> checks;
};
