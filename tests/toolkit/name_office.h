// A shared data directory for the name windows' tests: every catalogue
// table made empty by the real engine in a temporary directory, which
// becomes the process's data directory, with the data layer's boxes going
// through the window prompt service (so ScriptedPrompts sees the engine's
// errors), and helpers to add people and groups. ScriptedPasswords comes
// with the shared window office.
#pragma once

#include <QTest>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "data/office/datadir.h"
#include "data/office/dpname.h"
#include "data/office/empty_office.h"
#include "data/office/passwords.h"
#include "data/office/startup_prompts.h"
#include "storage/catalogue.h"
#include "storage/errors.h"
#include "storage/lockwait.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_office.h"
#include "toolkit/data_prompts.h"

class NameOffice {
 public:
  NameOffice() {
    DbSetErrorReporter(TranslateEngineError);
    DbSetLockRetry(nullptr);
    IdxSetLockRetry(nullptr);
    CreateCatalogueTables(dir.Path());
    SetDataDirectory(dir.Path());
    SetPrompts(&dataPrompts);
    ClearAppError();
  }
  ~NameOffice() {
    SetPrompts(nullptr);
    SetDataDirectory("");
    DbSetErrorReporter(nullptr);
  }

  // Adds a person or group and answers its name number (0 on failure).
  int32_t Add(const std::string& name) {
    NameTable h;
    if (!NameOpen(h)) return 0;
    NameEntry entry;
    const int ok = NameAdd(h, name) && NameFind(h, name, &entry);
    NameClose(h);
    return ok ? entry.Number() : 0;
  }
  // Adds count people "P000", "P001", ... and answers their numbers.
  std::vector<int32_t> AddPeople(int count, const char* prefix = "P") {
    std::vector<int32_t> numbers;
    for (int i = 0; i < count; ++i) {
      char name[20];
      std::snprintf(name, sizeof name, "%s%03d", prefix, i);
      numbers.push_back(Add(name));
    }
    return numbers;
  }
  bool SetMembers(const std::string& group, const std::vector<int32_t>& members) {
    NameTable h;
    if (!NameOpen(h)) return false;
    NameRecord record;
    const int ok = NameFind(h, group) && NameReadCurrent(h, &record) &&
                   SetGroupMembers(record, members) && NameWriteCurrent(h, record);
    NameClose(h);
    return ok != 0;
  }
  std::vector<int32_t> Members(const std::string& group) {
    NameRecord record;
    if (!NameLookup(group, &record)) return {};
    return GroupMembers(record);
  }
  bool Exists(const std::string& name) {
    NameRecord record;
    return NameLookup(name, &record) != 0;
  }
  int32_t Number(const std::string& name) {
    NameRecord record;
    return NameLookup(name, &record) ? record.Number() : 0;
  }

  TempDir dir;
  WindowDataPrompts dataPrompts;
};
