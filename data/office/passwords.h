// Passwords and access rights: who may open whose messages, phone list,
// schedule and to-do list.
//
// Three kinds, all in the shared name table: the master password (the
// administrator's; opens everything; while it is empty passwords are off
// for the whole office) and the phone password (the receptionist's; opens
// other people's messages only) in the table header, and each person's own
// password in the person's record together with the areas it guards.
// Passwords are stored as typed and compared without regard to case.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "storage/records/name.h"

// Areas, as bits of a person's protected areas.
constexpr int kAreaMessages = 1;
constexpr int kAreaPhoneList = 2;
constexpr int kAreaScheduler = 4;
constexpr int kAreaTodo = 8;
// The user-password dialog itself: always counted as protected.
constexpr int kAreaUserPassword = 16;
constexpr uint8_t kStoredAreas = kAreaMessages | kAreaPhoneList | kAreaScheduler | kAreaTodo;
constexpr size_t kMaxPasswordLength = 19;

// Results of the password check.
enum PasswordResult {
  kPasswordRefused = 0,    // wrong password, or cancelled
  kPasswordOwn = 1,        // the person's own password (or none, for area 16)
  kPasswordPhone = 2,      // the phone password, messages only
  kPasswordMaster = 3,     // the master password
  kPasswordNotNeeded = 4,  // no password needed
};

// Groups and pseudo-names (beginning with '*') are checked in the group
// form: they have no password of their own.
enum class PasswordForm { kPerson, kGroup };
PasswordForm PasswordFormFor(std::string_view name);

// Asks for a password (the GETPASSWORD dialog, captioned "Enter Password",
// the prompt as its title, at most 19 hidden characters); nothing when
// cancelled.
class PasswordPrompt {
 public:
  virtual ~PasswordPrompt() = default;
  virtual std::optional<std::string> Ask(const std::string& prompt) = 0;
};

// Asks nobody: a password that is needed is refused. For callers without
// a window to ask from, the gallery and the tests.
class NoPasswords : public PasswordPrompt {
 public:
  std::optional<std::string> Ask(const std::string&) override { return std::nullopt; }
};

struct OfficePasswords {
  std::string master;
  std::string phone;
  // Passwords are on for the office.
  bool MasterSet() const { return !master.empty(); }
  // The phone password has an effect of its own: set, and not the master
  // password.
  bool PhoneSet() const;
};

bool SamePassword(std::string_view a, std::string_view b);

// Reads both office passwords from the name table header.
int ReadOfficePasswords(OfficePasswords* passwords);
// Stores the master password (and, when asked, the phone password with the
// same text, as the first setting of a master password does) under the
// header lock. Text beyond 19 characters is cut.
int WriteMasterPassword(std::string_view master, bool phoneToo);
int WritePhonePassword(std::string_view phone);

struct UserPassword {
  std::string password;  // empty: the person has none
  uint8_t areas = 0;     // protected areas, bits 1 to 8
};
// A person's password and protected areas; 1017 for an unknown name.
int ReadUserPassword(std::string_view name, UserPassword* user);
// The same, from a person's record already read (a group has none).
struct NameRecord;
UserPassword UserPasswordOf(const NameRecord& person);
// Store into the person's record found by name, holding the record's lock
// for the change; a record another workstation is editing is refused with
// 1012 and left unchanged.
int WriteUserPassword(std::string_view name, std::string_view password);
int WriteProtectedAreas(std::string_view name, uint8_t areas);

// The password check of a name for an area. Failures to read the name table
// are shown (ShowError) and answer 0.
int CheckPassword(std::string_view name, PasswordForm form, int area, PasswordPrompt& prompt);

// The check used when a person already chosen is opened again: true at once
// when the name is remembered for the area, otherwise the check, remembering
// the name when no password was needed. False when refused.
bool CheckArea(std::string_view name, int area, PasswordPrompt& prompt);
// Forgets the remembered names (whenever a password dialog opens).
void ForgetPasswordCache();

// Set while a person's messages are shown because the phone password opened
// them: the message list then offers phone messages only.
bool PhonePasswordMode();
void SetPhonePasswordMode(bool on);
