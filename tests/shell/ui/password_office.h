// A real office for the password windows' tests: every catalogue table in a
// temporary data directory with a few people and a group, the data layer's
// boxes shown through the window prompt service (so ShowError lands in the
// test's ScriptedPrompts), and a password prompt answered from a script.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "data/datadir.h"
#include "data/dpname.h"
#include "data/passwords.h"
#include "data/startup_prompts.h"
#include "storage/catalogue.h"
#include "storage/check.h"
#include "storage/errors.h"
#include "tests/support/temp_dir.h"
#include "toolkit/data_prompts.h"

// Answers GETPASSWORD from a script (nothing: Cancel) and keeps the
// questions it was asked.
class ScriptedPasswordPrompt : public PasswordPrompt {
 public:
  void Answer(const std::string& text) { answers.push_back(text); }
  void Cancel() { answers.push_back(std::nullopt); }
  std::optional<std::string> Ask(const std::string& prompt) override {
    asked.push_back(prompt);
    if (answers.empty()) return std::nullopt;
    std::optional<std::string> answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<std::optional<std::string>> answers;
  std::vector<std::string> asked;
};

class PasswordOffice {
 public:
  PasswordOffice() {
    DbSetErrorReporter(TranslateEngineError);
    const TableDef* const* tables = CatalogueTables();
    for (int i = 0; i < kCatalogueSize; ++i) {
      Table t(*tables[i]);
      ok = ok && DbCreateTable(t, dir.Path(), tables[i]->version) == 1;
    }
    SetDataDirectory(dir.Path());
    SetPrompts(&windowPrompts);
    NameTable names;
    ok = ok && NameOpen(names);
    for (const char* name : {"Baker, Tom", "Carter, Ann", "*Sales"}) {
      ok = ok && NameAdd(names, name);
    }
    NameClose(names);
    ClearAppError();
    ForgetPasswordCache();
  }
  ~PasswordOffice() {
    SetPrompts(nullptr);
    SetDataDirectory("");
    DbSetErrorReporter(nullptr);
  }

  OfficePasswords Office() {
    OfficePasswords office;
    ReadOfficePasswords(&office);
    return office;
  }
  UserPassword User(const std::string& name) {
    UserPassword user;
    ReadUserPassword(name, &user);
    return user;
  }

  TempDir dir;
  WindowDataPrompts windowPrompts;
  bool ok = true;
};
