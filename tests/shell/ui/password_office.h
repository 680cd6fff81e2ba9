// A real office for the password windows' tests: the name windows' office
// (every catalogue table in a temporary data directory, the data layer's
// boxes shown through the window prompt service) with a few people and a
// group, and a password prompt answered from a script.
#pragma once

#include <string>

#include "data/office/dpname.h"
#include "data/office/passwords.h"
#include "name_office.h"

// GETPASSWORD answered from a script (nothing: Cancel), keeping the
// questions it was asked.
using ScriptedPasswordPrompt = ScriptedPasswords;

class PasswordOffice : public NameOffice {
 public:
  PasswordOffice() {
    for (const char* name : {"Baker Tom", "Carter Ann", "*Sales"}) ok = ok && Add(name) != 0;
    ClearAppError();
    ForgetPasswordCache();
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

  bool ok = true;
};
