// A data directory for the e-mail tests: the office tables, the DPE and
// SENDLOG folders, and a clock the test sets.
#pragma once

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <set>
#include <string>

#include "data/clock.h"
#include "data/messages/email_error.h"
#include "data/messages/email_file.h"
#include "tests/data/office/office_dir.h"

class EmailDirTest : public OfficeDirTest {
 protected:
  void SetUp() override {
    OfficeDirTest::SetUp();
    ASSERT_EQ(::mkdir(dir.File("DPE").c_str(), 0777), 0);
    ASSERT_EQ(::mkdir(dir.File("SENDLOG").c_str(), 0777), 0);
    SetClock([this] { return now; });
    ClearEmailError();
  }
  void TearDown() override {
    SetClock(nullptr);
    OfficeDirTest::TearDown();
  }

  // The names of the files in a folder of the data directory.
  std::set<std::string> FilesIn(const std::string& folder) const {
    std::set<std::string> names;
    if (DIR* d = ::opendir(dir.File(folder).c_str())) {
      while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name != "." && name != "..") names.insert(name);
      }
      ::closedir(d);
    }
    return names;
  }

  // Each test starts its stored names at a clock value of its own, above
  // every earlier test's, since the name counter only ever rises.
  int32_t now = 0x60000000;
};
