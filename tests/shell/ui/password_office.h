// A real office for the password windows' tests: every catalogue table in a
// temporary data directory with a few people and a group, the data layer's
// boxes shown through the window prompt service (so ShowError lands in the
// test's ScriptedPrompts), and a password prompt answered from a script.
#pragma once

#include <string>
#include <vector>

#include "data/office/datadir.h"
#include "data/office/dpname.h"
#include "data/office/passwords.h"
#include "data/office/startup_prompts.h"
#include "name_office.h"
#include "storage/catalogue.h"
#include "storage/check.h"
#include "storage/errors.h"
#include "tests/support/temp_dir.h"
#include "toolkit/data_prompts.h"

// GETPASSWORD answered from a script (nothing: Cancel), keeping the
// questions it was asked.
using ScriptedPasswordPrompt = ScriptedPasswords;

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
