#include "data/office/dpname.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "data/messages/name_carry.h"
#include "storage/errors.h"
#include "storage/records/keys.h"

namespace nm = records::name;

namespace {

constexpr const char* kModemPrefix = "ATDT";

// A search key for X1: only the name counts.
void MakeKey(std::string_view name, uint8_t* key) {
  std::memset(key, 0, kEntryBufferSize);
  SetFieldText(key, nm::x1::kName, std::string(name).c_str());
}

void CopyEntry(Table& t, NameEntry* entry) {
  if (entry) DbCurrentEntry(t, entry->bytes);
}

// Whether the table can hold the name at all: no name may begin below '*'
// (the index orders groups first by that byte); an empty name begins with
// its NUL.
bool StorableName(std::string_view name) {
  return FitsField(name, nm::kName.width) && !name.empty() &&
         static_cast<unsigned char>(name[0]) >= static_cast<unsigned char>(nm::kGroupPrefix);
}

// Whether a name may be given anew (added, or the new side of a rename).
bool ValidName(std::string_view name) {
  return NameProblem(name).empty();
}

bool IsGroupName(std::string_view name) {
  return !name.empty() && name[0] == nm::kGroupPrefix;
}

bool IsEverybody(std::string_view name) {
  return SameName(name, nm::kEverybody);
}

// Searches without touching the error state: *found tells whether the name
// is there. A name that cannot be in the table is simply not found.
int Search(NameTable& handle, std::string_view name, bool* found) {
  *found = false;
  if (!FitsField(name, nm::kName.width)) return 1;
  uint8_t key[kEntryBufferSize];
  MakeKey(name, key);
  int exact = 0;
  if (!DbFind(handle.table, key, &exact)) return 0;
  *found = exact != 0;
  return 1;
}

int FailNotFound(std::string_view name) {
  SetAppError(kAppNotFound, name);
  return 0;
}

// After a step: copies the entry, or fails at the end.
int Stepped(NameTable& handle, NameEntry* entry) {
  if (AtEnd(handle.table)) return FailEndOfFile(handle.table);
  CopyEntry(handle.table, entry);
  return 1;
}

// Whether oldName can take newName: the new name is free, or only a change
// of letter case of the same record. Leaves the handle on the old name.
int CheckRenameTarget(NameTable& handle, std::string_view oldName, std::string_view newName,
                      NameEntry* old) {
  NameEntry other;
  bool taken = false;
  if (!Search(handle, newName, &taken)) return 0;
  if (taken) DbCurrentEntry(handle.table, other.bytes);
  if (!NameFind(handle, oldName, old)) return 0;
  if (taken && other.RecordNumber() != old->RecordNumber()) {
    SetAppError(kAppDuplicate, newName);
    return 0;
  }
  return 1;
}

// Whether a name record is a person's whose default phone list is the
// renamed person's under the old name. Start-up finds the default list by
// its name alone, so the name decides, whatever number stands beside it.
bool NamesPhoneList(const NameRecord& record, std::string_view oldName) {
  return !record.IsGroup() && SameName(FieldText(record.bytes, nm::kPhoneListName), oldName);
}

// Every person whose default phone list is the renamed person's keeps that
// list's owner as name and number; both are written as the options dialog
// writes them. Only the records that change are locked, each for its own
// write, and checked again under the lock; the name they are indexed by
// does not change.
int CarryPhoneListDefaults(NameTable& handle, int32_t number, std::string_view oldName,
                           std::string_view newName) {
  Table& table = handle.table;
  std::vector<int32_t> holders;
  if (!DbFirst(table)) return 0;
  NameEntry entry;
  NameRecord record;
  while (!AtEnd(table)) {
    DbCurrentEntry(table, entry.bytes);
    if (!DbReadRecord(table, entry.RecordNumber(), record.bytes)) return 0;
    if (NamesPhoneList(record, oldName)) holders.push_back(entry.RecordNumber());
    if (!DbNext(table)) return 0;
  }
  for (int32_t recordNumber : holders) {
    if (!DbLockRecord(table, recordNumber)) {
      DbSetLockedError();
      return FailRecordLocked("NAME record " + std::to_string(recordNumber));
    }
    int ok = DbReadRecord(table, recordNumber, record.bytes);
    if (!ok && DbGetError() == kDbRecordDeleted) {
      // Removed meanwhile: nobody's default any more.
      DbClearError();
      ok = 1;
    } else if (ok && NamesPhoneList(record, oldName)) {
      SetFieldText(record.bytes, nm::kPhoneListName, std::string(newName).c_str());
      SetFieldI32(record.bytes, nm::kPhoneListNumber, number);
      ok = DbWriteRecord(table, recordNumber, record.bytes);
    }
    DbUnlockRecord(table, recordNumber);
    if (!ok) return 0;
  }
  return 1;
}

}  // namespace

std::string NameRecord::Name() const {
  return FieldText(bytes, nm::kName);
}
int32_t NameRecord::Number() const {
  return FieldI32(bytes, nm::kNumber);
}
bool NameRecord::IsGroup() const {
  return bytes[nm::kName.offset] == nm::kGroupPrefix;
}

int32_t NameEntry::RecordNumber() const {
  return FieldI32(bytes, kEntryRecordNumber);
}
std::string NameEntry::Name() const {
  return FieldText(bytes, nm::x1::kName);
}
int32_t NameEntry::Number() const {
  return FieldI32(bytes, nm::x1::kNumber);
}

int NameOpen(NameTable& handle) {
  return HandleOpen(handle);
}

int NameClose(NameTable& handle) {
  return HandleClose(handle);
}

int NameFind(NameTable& handle, std::string_view name, NameEntry* entry) {
  if (!HandleReady(handle)) return 0;
  bool found = false;
  if (!Search(handle, name, &found)) return 0;
  if (!found) return FailNotFound(name);
  CopyEntry(handle.table, entry);
  return 1;
}

int NameFindNumber(NameTable& handle, int32_t number, NameEntry* entry) {
  if (!HandleReady(handle)) return 0;
  // The index holds the number but is ordered by name: walk it.
  if (!DbFirst(handle.table)) return 0;
  NameEntry current;
  while (!AtEnd(handle.table)) {
    DbCurrentEntry(handle.table, current.bytes);
    if (current.Number() == number) {
      if (entry) *entry = current;
      return 1;
    }
    if (!DbNext(handle.table)) return 0;
  }
  return FailNotFound(std::to_string(number));
}

int NameReadCurrent(NameTable& handle, NameRecord* record) {
  if (!HandleReady(handle)) return 0;
  if (AtEnd(handle.table)) return FailEndOfFile(handle.table);
  NameEntry entry;
  DbCurrentEntry(handle.table, entry.bytes);
  if (!DbReadRecord(handle.table, entry.RecordNumber(), record->bytes)) return 0;
  if (record->Number() != entry.Number() || !SameName(record->Name(), entry.Name()))
    return FailStaleEntry(handle.table);
  return 1;
}

int NameWriteCurrent(NameTable& handle, const NameRecord& record) {
  if (!HandleReady(handle)) return 0;
  if (AtEnd(handle.table)) return FailEndOfFile(handle.table);
  NameEntry entry;
  DbCurrentEntry(handle.table, entry.bytes);
  // Writing another name or number here would leave the index pointing at
  // a record that no longer carries its key.
  if (record.Number() != entry.Number() || record.Name() != entry.Name())
    return FailNotFound(record.Name());
  return DbWriteRecord(handle.table, entry.RecordNumber(), record.bytes);
}

int NameFirst(NameTable& handle, NameEntry* entry) {
  if (!HandleReady(handle)) return 0;
  if (!DbFirst(handle.table)) return 0;
  return Stepped(handle, entry);
}

int NameNext(NameTable& handle, NameEntry* entry) {
  if (!HandleReady(handle)) return 0;
  if (!DbNext(handle.table)) return 0;
  return Stepped(handle, entry);
}

int NamePrev(NameTable& handle, NameEntry* entry) {
  if (!HandleReady(handle)) return 0;
  if (!DbPrev(handle.table)) return 0;
  if (BeforeFirst(handle.table)) return FailBeginningOfFile(handle.table);
  CopyEntry(handle.table, entry);
  return 1;
}

int NameLookup(std::string_view name, NameRecord* record) {
  NameTable handle;
  if (!NameOpen(handle)) return 0;
  int ok = NameFind(handle, name) && NameReadCurrent(handle, record);
  NameClose(handle);
  return ok;
}

int NameUpdate(const NameRecord& record) {
  NameTable handle;
  if (!NameOpen(handle)) return 0;
  int ok = NameFind(handle, record.Name()) && NameWriteCurrent(handle, record);
  NameClose(handle);
  return ok;
}

int NameAdd(NameTable& handle, std::string_view name) {
  if (!HandleReady(handle)) return 0;
  if (!StorableName(name)) {
    SetAppError(kAppInvalidName, name);
    return 0;
  }
  // A name already there is used as it is, even one that could not be
  // added today.
  bool found = false;
  if (!Search(handle, name, &found)) return 0;
  if (found) return 1;
  if (!ValidName(name)) {
    SetAppError(kAppInvalidName, name);
    return 0;
  }
  NameRecord record;
  SetFieldText(record.bytes, nm::kName, std::string(name).c_str());
  if (!IsGroupName(name)) {
    SetFieldText(record.bytes, nm::kModemPrefix, kModemPrefix);
    SetFieldByte(record.bytes, nm::kAddedHere, nm::kAddedHereValue);
  }
  uint32_t number = 0;
  if (!GetUniqueNumber(handle.table, &number)) return 0;
  SetFieldU32(record.bytes, nm::kNumber, number);
  if (!DbAppendRecord(handle.table, record.bytes)) {
    // Another workstation added the same name between the search and the
    // append: the name is there, which is what was asked.
    if (IdxGetError() != kIdxDuplicate) return 0;
  }
  if (!Search(handle, name, &found)) return 0;
  return found ? 1 : FailNotFound(name);
}

std::string NameProblem(std::string_view name) {
  if (name.empty()) return "A name cannot be empty.";
  if (!FitsField(name, nm::kName.width))
    return "A name is at most " + std::to_string(kMaxNameLength) + " characters.";
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return "A name cannot hold a control character such as a tab.";
  }
  if (name.front() == ' ') return "A name cannot begin with a blank.";
  if (static_cast<unsigned char>(name.front()) < static_cast<unsigned char>(nm::kGroupPrefix))
    return "A name cannot begin with any of ! \" # $ % & ' ( ).";
  if (name.back() == ' ') return "A name cannot end with a blank.";
  if (name.find(',') != std::string_view::npos)
    return "A name cannot hold a comma, which separates the names of a recipient list.";
  if (SameName(name, nm::kMailServer)) return "DPMAIL SERVER is the mailbox of the e-mail gateway.";
  return std::string();
}

bool NameIsValid(std::string_view name) {
  return ValidName(name);
}

int NameRename(NameTable& handle, std::string_view oldName, std::string_view newName) {
  if (!HandleReady(handle)) return 0;
  if (IsEverybody(oldName) || IsEverybody(newName) || !ValidName(newName)) {
    SetAppError(kAppInvalidName, IsEverybody(oldName) ? oldName : newName);
    return 0;
  }
  // A person's settings and a group's members share the same bytes: one
  // cannot become the other by a change of name.
  if (IsGroupName(oldName) != IsGroupName(newName)) {
    SetAppError(kAppInvalidName, newName);
    return 0;
  }
  NameEntry old;
  if (!CheckRenameTarget(handle, oldName, newName, &old)) return 0;
  // A person's name is also text in the message tables and in the phone
  // list defaults of everybody's settings. Those are carried first and the
  // name record last: a rename stopped half way (a record in use, a full
  // disk) leaves the person under the old name, so running it again finds
  // the records carried already under the new name and carries the rest.
  // Renaming the name first would leave the rest behind for good, since
  // nothing would know the old name any more. A group's name is text
  // nowhere else: messages to a group are stored under each member's name.
  if (!IsGroupName(oldName)) {
    if (!CarryNameInMessages(oldName, newName)) return 0;
    if (!CarryPhoneListDefaults(handle, old.Number(), oldName, newName)) return 0;
    // The walk moved the handle. A new name taken at another desk
    // meanwhile fails the re-key below as a duplicate.
    if (!NameFind(handle, oldName, &old)) return 0;
  }
  if (!DbLockRecord(handle.table, old.RecordNumber())) {
    DbSetLockedError();
    return FailRecordLocked(oldName);
  }
  NameRecord record;
  int ok = NameReadCurrent(handle, &record);
  if (ok) {
    SetFieldText(record.bytes, nm::kName, std::string(newName).c_str());
    ok = DbRekeyRecord(handle.table, old.bytes, record.bytes);
    if (!ok && IdxGetError() == kIdxDuplicate) SetAppError(kAppDuplicate, newName);
  }
  DbUnlockRecord(handle.table, old.RecordNumber());
  return ok;
}

int NameRemove(NameTable& handle, std::string_view name) {
  if (!HandleReady(handle)) return 0;
  if (IsEverybody(name)) return 1;
  bool found = false;
  if (!Search(handle, name, &found)) return 0;
  if (!found) return 1;
  NameRecord record;
  if (!NameReadCurrent(handle, &record)) return 0;
  NameEntry entry;
  DbCurrentEntry(handle.table, entry.bytes);
  if (!DbDeleteRecord(handle.table, record.bytes, entry.RecordNumber())) {
    if (DbGetError() == kDbRecordLocked) return FailRecordLocked(name);
    return 0;
  }
  return 1;
}

std::vector<int32_t> GroupMembers(const NameRecord& group) {
  std::vector<int32_t> members;
  for (int i = 0; i < nm::kMaxMembers; ++i) {
    int32_t number = FieldI32(group.bytes, nm::Member(i));
    if (number != 0) members.push_back(number);
  }
  return members;
}

bool IsGroupMember(const NameRecord& group, int32_t number) {
  if (number == 0) return false;
  for (int i = 0; i < nm::kMaxMembers; ++i)
    if (FieldI32(group.bytes, nm::Member(i)) == number) return true;
  return false;
}

int SetGroupMembers(NameRecord& group, const std::vector<int32_t>& members) {
  std::vector<int32_t> kept;
  for (int32_t number : members)
    if (number != 0 && std::find(kept.begin(), kept.end(), number) == kept.end())
      kept.push_back(number);
  if (kept.size() > size_t(nm::kMaxMembers)) {
    SetAppError(kAppMaxRecords, group.Name());
    return 0;
  }
  for (int i = 0; i < nm::kMaxMembers; ++i)
    SetFieldI32(group.bytes, nm::Member(i), size_t(i) < kept.size() ? kept[size_t(i)] : 0);
  return 1;
}

namespace {

using field_check::Issued;
using field_check::NumberRange;

void CheckText(const NameRecord& record, Field f, const char* field,
               std::vector<FieldProblem>* out) {
  field_check::Text(record.bytes, f, field, out);
}

void CheckByte(const NameRecord& record, Field f, const char* field, int highest,
               std::vector<FieldProblem>* out) {
  field_check::Byte(record.bytes, f, field, highest, out);
}

}  // namespace

std::vector<FieldProblem> NameRecordProblems(const NameRecord& record, uint32_t lastIssued) {
  std::vector<FieldProblem> out;
  field_check::Mark(record.bytes, nm::kMark, &out);
  CheckText(record, nm::kName, "name", &out);
  const uint8_t first = record.bytes[nm::kName.offset];
  if (first == 0)
    out.push_back({"name", "empty"});
  else if (first < uint8_t(nm::kGroupPrefix))
    out.push_back({"name", "begins with byte " + std::to_string(first) + ", below '*'"});
  field_check::OwnNumber(record.bytes, nm::kNumber, "name number", lastIssued, &out);
  if (record.IsGroup()) {
    for (int i = 0; i < nm::kMaxMembers; ++i) {
      const int32_t member = FieldI32(record.bytes, nm::Member(i));
      if (member != 0 && !Issued(member, lastIssued))
        out.push_back({"member " + std::to_string(i + 1), std::to_string(member) +
                                                              ", not a number the table issued (" +
                                                              NumberRange(lastIssued) + ")"});
    }
    return out;
  }
  CheckText(record, nm::kPassword, "user password", &out);
  CheckText(record, nm::kInitials, "initials", &out);
  CheckByte(record, nm::kDefaultKind, "default message type", 2, &out);
  CheckByte(record, nm::kListOrder, "message list order", 1, &out);
  CheckByte(record, nm::kSoundRepeat, "alert sound repeat", 6, &out);
  CheckByte(record, nm::kNotify, "notify", 1, &out);
  if (const int v = FieldByte(record.bytes, nm::kAddedHere); v != 0 && v != nm::kAddedHereValue)
    out.push_back({"added here", std::to_string(v) + ", not 0 or 2"});
  CheckByte(record, nm::kModemPort, "modem port", 3, &out);
  CheckText(record, nm::kModemPrefix, "modem prefix", &out);
  CheckText(record, nm::kModemSuffix, "modem suffix", &out);
  CheckByte(record, nm::kSendLog, "send log", 1, &out);
  CheckByte(record, nm::kFromSearch, "FROM search", 1, &out);
  CheckText(record, nm::kPhoneListName, "phone list owner name", &out);
  if (const int32_t owner = FieldI32(record.bytes, nm::kPhoneListNumber);
      owner != 0 && !Issued(owner, lastIssued))
    out.push_back({"phone list owner number", std::to_string(owner) +
                                                  ", neither 0 (COMMON) nor a number the table "
                                                  "issued (" +
                                                  NumberRange(lastIssued) + ")"});
  CheckByte(record, nm::kAllCaps, "All Caps", 1, &out);
  CheckByte(record, nm::kNoLongDistanceOne, "long-distance 1", 1, &out);
  CheckByte(record, nm::kSignature, "default signature", 2, &out);
  CheckText(record, nm::kEmailFrom, "Email from", &out);
  CheckByte(record, nm::kAutoFormat, "Auto format E-mails", 1, &out);
  CheckByte(record, nm::kProtectedAreas, "protected areas", 31, &out);
  return out;
}
