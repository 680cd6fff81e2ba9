#include "data/office/passwords.h"

#include <vector>

#include "data/office/dpmain.h"
#include "data/office/dpname.h"
#include "data/table_handle.h"
#include "storage/text_compare.h"

namespace nm = records::name;

namespace {

constexpr char kPasswordPrompt[] = "Password:";
constexpr const char* kNoPasswordNames[] = {"COMMON", "* COMMON"};
constexpr int kCachedAreas[] = {kAreaMessages, kAreaPhoneList, kAreaScheduler, kAreaTodo};

struct PasswordState {
  std::string remembered[4];
  bool phoneMode = false;
};

PasswordState& State() {
  static PasswordState state;
  return state;
}

int CacheSlot(int area) {
  for (int i = 0; i < 4; ++i) {
    if (kCachedAreas[i] == area) return i;
  }
  return -1;
}

std::string Cut(std::string_view text) {
  std::string s(text.substr(0, text.find('\0')));
  if (s.size() > kMaxPasswordLength) s.resize(kMaxPasswordLength);
  return s;
}

// Reads the header, lets the change run and writes the header back, all
// under the append lock, so two administrators cannot undo each other.
template <typename Change>
int ChangeHeader(Change change) {
  NameTable names;
  if (!NameOpen(names)) return 0;
  int ok = 0;
  if (DbLockHeader(names.table)) {
    std::vector<uint8_t> header(static_cast<size_t>(nm::kHeaderSize));
    if (DbReadHeader(names.table, header.data())) {
      change(header.data());
      SetFieldByte(header.data(), nm::kPasswordsWritten, 1);
      ok = DbWriteHeader(names.table, header.data());
    }
    DbUnlockHeader(names.table);
  }
  NameClose(names);
  return ok;
}

// Finds the person, locks the record, reads it afresh, lets the change run
// and writes it back.
template <typename Change>
int ChangePerson(std::string_view name, Change change) {
  NameTable names;
  if (!NameOpen(names)) return 0;
  NameEntry entry;
  int ok = NameFind(names, name, &entry);
  if (ok) {
    if (!DbLockRecord(names.table, entry.RecordNumber())) {
      ok = FailRecordLocked(name);
    } else {
      NameRecord record;
      ok = NameReadCurrent(names, &record);
      if (ok && record.IsGroup()) {
        // A group's bytes past its name are its members.
        SetAppError(kAppInvalidName, name);
        ok = 0;
      }
      if (ok) {
        change(record.bytes);
        ok = NameWriteCurrent(names, record);
      }
      DbUnlockRecord(names.table, entry.RecordNumber());
    }
  }
  NameClose(names);
  return ok;
}

}  // namespace

PasswordForm PasswordFormFor(std::string_view name) {
  return !name.empty() && name.front() == nm::kGroupPrefix ? PasswordForm::kGroup
                                                           : PasswordForm::kPerson;
}

bool SamePassword(std::string_view a, std::string_view b) {
  return StrICmp(std::string(a).c_str(), std::string(b).c_str()) == 0;
}

bool OfficePasswords::PhoneSet() const {
  // An empty phone password would let an empty answer through.
  return !phone.empty() && !SamePassword(phone, master);
}

int ReadOfficePasswords(OfficePasswords* passwords) {
  NameTable names;
  if (!NameOpen(names)) return 0;
  std::vector<uint8_t> header(static_cast<size_t>(nm::kHeaderSize));
  int ok = DbReadHeader(names.table, header.data());
  NameClose(names);
  if (!ok) return 0;
  passwords->master = FieldText(header.data(), nm::kMasterPassword);
  passwords->phone = FieldText(header.data(), nm::kPhonePassword);
  return 1;
}

int WriteMasterPassword(std::string_view master, bool phoneToo) {
  const std::string text = Cut(master);
  return ChangeHeader([&](uint8_t* header) {
    SetFieldText(header, nm::kMasterPassword, text.c_str());
    if (phoneToo) SetFieldText(header, nm::kPhonePassword, text.c_str());
  });
}

int WritePhonePassword(std::string_view phone) {
  const std::string text = Cut(phone);
  return ChangeHeader(
      [&](uint8_t* header) { SetFieldText(header, nm::kPhonePassword, text.c_str()); });
}

UserPassword UserPasswordOf(const NameRecord& person) {
  // A group's bytes past the name are its members.
  if (person.IsGroup()) return UserPassword();
  return {FieldText(person.bytes, nm::kPassword), FieldByte(person.bytes, nm::kProtectedAreas)};
}

int ReadUserPassword(std::string_view name, UserPassword* user) {
  NameRecord record;
  if (!NameLookup(name, &record)) return 0;
  *user = UserPasswordOf(record);
  return 1;
}

int WriteUserPassword(std::string_view name, std::string_view password) {
  const std::string text = Cut(password);
  return ChangePerson(name,
                      [&](uint8_t* record) { SetFieldText(record, nm::kPassword, text.c_str()); });
}

int WriteProtectedAreas(std::string_view name, uint8_t areas) {
  return ChangePerson(name, [&](uint8_t* record) {
    SetFieldByte(record, nm::kProtectedAreas, uint8_t(areas & kStoredAreas));
  });
}

int CheckPassword(std::string_view name, PasswordForm form, int area, PasswordPrompt& prompt) {
  for (const char* open : kNoPasswordNames) {
    if (name == open) return kPasswordNotNeeded;
  }
  OfficePasswords office;
  if (!ReadOfficePasswords(&office)) {
    ShowError();
    return kPasswordRefused;
  }
  UserPassword user;
  if (form == PasswordForm::kPerson) {
    NameRecord record;
    if (!NameLookup(name, &record)) {
      ShowError();
      return kPasswordRefused;
    }
    // A group asked for as a person has no password of its own.
    if (record.IsGroup()) {
      form = PasswordForm::kGroup;
    } else {
      user.password = FieldText(record.bytes, nm::kPassword);
      user.areas = FieldByte(record.bytes, nm::kProtectedAreas);
    }
  }
  if (!office.MasterSet()) return kPasswordNotNeeded;
  if (form == PasswordForm::kPerson) {
    if (user.password.empty()) {
      return area == kAreaUserPassword ? kPasswordOwn : kPasswordNotNeeded;
    }
    if ((area & (user.areas | kAreaUserPassword)) == 0) return kPasswordNotNeeded;
  }
  std::optional<std::string> typed = prompt.Ask(kPasswordPrompt);
  if (!typed) return kPasswordRefused;
  const std::string answer = Cut(*typed);
  if (SamePassword(answer, office.master)) return kPasswordMaster;
  if (office.PhoneSet() && SamePassword(answer, office.phone) && (area & kAreaMessages)) {
    return kPasswordPhone;
  }
  if (form == PasswordForm::kGroup) return kPasswordRefused;
  return SamePassword(answer, user.password) ? kPasswordOwn : kPasswordRefused;
}

bool CheckArea(std::string_view name, int area, PasswordPrompt& prompt) {
  const int slot = CacheSlot(area);
  PasswordState& s = State();
  if (slot >= 0 && !s.remembered[slot].empty() && SameName(s.remembered[slot], name)) {
    return true;
  }
  const int result = CheckPassword(name, PasswordFormFor(name), area, prompt);
  if (result == kPasswordNotNeeded && slot >= 0) s.remembered[slot] = std::string(name);
  return result != kPasswordRefused;
}

void ForgetPasswordCache() {
  for (std::string& name : State().remembered) name.clear();
}

bool PhonePasswordMode() {
  return State().phoneMode;
}

void SetPhonePasswordMode(bool on) {
  State().phoneMode = on;
}
