#include "data/phone/dpphone.h"

#include <cstring>

#include "data/messages/dpnote.h"
#include "data/office/dpname.h"
#include "storage/check.h"
#include "storage/errors.h"

namespace ph = records::phone;

namespace {

PhoneList& Current() {
  static PhoneList list;
  return list;
}

int FailNotFound(std::string_view name) {
  SetAppError(kAppNotFound, name);
  return 0;
}

int FailDuplicate(std::string_view name) {
  SetAppError(kAppDuplicate, name);
  return 0;
}

// The search key of (list, Listname, Phone 1); texts that could not be in
// a key are cut, and then simply not found.
void MakeKey(uint8_t* key, int32_t list, std::string_view listname, std::string_view phone1) {
  std::memset(key, 0, kEntryBufferSize);
  SetFieldI32(key, ph::x1::kList, list);
  SetFieldText(key, ph::x1::kListname, std::string(listname).c_str());
  SetFieldText(key, ph::x1::kPhone1, std::string(phone1).c_str());
}

int CurrentEntry(PhoneTable& handle, PhoneEntry* entry) {
  return DbCurrentEntry(handle.table, entry->bytes);
}

// Positions X1 on the key; *exact says whether an entry has that key.
int Seek(PhoneTable& handle, const uint8_t* key, bool* exact) {
  *exact = false;
  if (!DbSetCurrentIndex(handle.table, 0)) return 0;
  int found = 0;
  if (!DbFind(handle.table, key, &found)) return 0;
  *exact = found != 0 && !AtEnd(handle.table);
  return 1;
}

// The Listname field is always NUL-terminated, whatever the caller left.
void Terminate(PhoneRecord& record) {
  record.bytes[ph::kListname.End() - 1] = 0;
}

bool ValidListname(const std::string& listname) {
  return !listname.empty() && static_cast<unsigned char>(listname[0]) != kDeletedMark;
}

int DeleteNoteOf(int32_t note) {
  if (note == 0) return 1;
  NoteTable notes;
  if (!NoteOpen(notes)) return 0;
  int ok = NoteDelete(notes, note);
  NoteClose(notes);
  return ok;
}

// Puts X1 back on a remembered entry (or at the end when there was none).
void Restore(PhoneTable& handle, bool had, const PhoneEntry& saved) {
  DbSetCurrentIndex(handle.table, 0);
  if (!had) return;
  int exact = 0;
  DbFind(handle.table, saved.bytes, &exact);
}

}  // namespace

std::string PhoneRecord::Text(Field field) const {
  return FieldText(bytes, field);
}
void PhoneRecord::SetText(Field field, std::string_view text) {
  SetFieldText(bytes, field, std::string(text).c_str());
}
std::string PhoneRecord::Listname() const {
  return Text(ph::kListname);
}
std::string PhoneRecord::Phone1() const {
  return Text(ph::kPhone1);
}
int32_t PhoneRecord::Note() const {
  return FieldI32(bytes, ph::kNote);
}
int32_t PhoneRecord::EntryNumber() const {
  return FieldI32(bytes, ph::kEntryNumber);
}
int32_t PhoneRecord::List() const {
  return FieldI32(bytes, ph::kList);
}
uint16_t PhoneRecord::ChangeCount() const {
  return FieldU16(bytes, ph::kChangeCount);
}

int32_t PhoneEntry::RecordNumber() const {
  return FieldI32(bytes, kEntryRecordNumber);
}
std::string PhoneEntry::Listname() const {
  return FieldText(bytes, ph::x1::kListname);
}
std::string PhoneEntry::Phone1() const {
  return FieldText(bytes, ph::x1::kPhone1);
}
int32_t PhoneEntry::EntryNumber() const {
  return FieldI32(bytes, ph::x1::kEntryNumber);
}
int32_t PhoneEntry::List() const {
  return FieldI32(bytes, ph::x1::kList);
}
uint16_t PhoneEntry::ChangeCount() const {
  return FieldU16(bytes, ph::x1::kChangeCount);
}

const PhoneList& PhoneCurrentList() {
  return Current();
}

void PhoneSetCurrentList(const PhoneList& list) {
  Current() = list;
}

int PhoneListForName(std::string_view name, PhoneList* list) {
  std::string_view trimmed = name;
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.remove_suffix(1);
  if (trimmed.empty() || trimmed.front() == '*' || SameName(trimmed, ph::kCommonListName)) {
    *list = PhoneList{};
    return 1;
  }
  NameRecord record;
  if (!NameLookup(trimmed, &record)) return 0;
  list->number = record.Number();
  list->name = record.Name();
  return 1;
}

int PhoneOpen(PhoneTable& handle) {
  return HandleOpen(handle);
}

int PhoneClose(PhoneTable& handle) {
  return HandleClose(handle);
}

int PhoneRead(PhoneTable& handle, int32_t recordNumber, PhoneRecord* record) {
  if (!HandleReady(handle)) return 0;
  return DbReadRecord(handle.table, recordNumber, record->bytes);
}

int PhoneWrite(PhoneTable& handle, int32_t recordNumber, const PhoneRecord& record) {
  if (!HandleReady(handle)) return 0;
  return DbWriteRecord(handle.table, recordNumber, record.bytes);
}

int PhoneAdd(PhoneTable& handle, PhoneRecord& record, int32_t* recordNumber) {
  if (!HandleReady(handle)) return 0;
  PhoneRecord added = record;
  Terminate(added);
  const std::string listname = added.Listname();
  if (!ValidListname(listname)) {
    SetAppError(kAppInvalidName, listname);
    return 0;
  }
  if (added.EntryNumber() == 0) {
    uint32_t number = 0;
    if (!GetUniqueNumber(handle.table, &number)) return 0;
    SetFieldU32(added.bytes, ph::kEntryNumber, number);
  }
  int32_t at = -1;
  if (!DbAppendRecord(handle.table, added.bytes, &at)) {
    if (IdxGetError() == kIdxDuplicate) return FailDuplicate(listname);
    return 0;
  }
  record = added;
  if (recordNumber) *recordNumber = at;
  uint8_t entry[kEntryBufferSize];
  DbMakeEntry(handle.table, 0, added.bytes, at, entry);
  bool exact = false;
  return Seek(handle, entry, &exact);
}

int PhoneUpdate(PhoneTable& handle, const PhoneEntry& old, PhoneRecord& record) {
  if (!HandleReady(handle)) return 0;
  PhoneRecord updated = record;
  Terminate(updated);
  const std::string listname = updated.Listname();
  if (!ValidListname(listname)) {
    SetAppError(kAppInvalidName, listname);
    return 0;
  }
  SetFieldU16(updated.bytes, ph::kChangeCount, uint16_t(updated.ChangeCount() + 1));
  if (!DbSetCurrentIndex(handle.table, 0)) return 0;
  if (!DbRekeyRecord(handle.table, old.bytes, updated.bytes)) {
    if (IdxGetError() == kIdxDuplicate) return FailDuplicate(listname);
    if (IdxGetError() == kIdxNotFound) return FailNotFound(old.Listname());
    return 0;
  }
  record = updated;
  return 1;
}

int PhoneDelete(PhoneTable& handle, int32_t recordNumber) {
  if (!HandleReady(handle)) return 0;
  PhoneRecord record;
  if (!DbReadRecord(handle.table, recordNumber, record.bytes)) {
    if (DbGetError() != kDbRecordDeleted) return 0;
    DbClearError();
    ClearAppError();
    return 1;
  }
  if (!DbDeleteRecord(handle.table, record.bytes, recordNumber)) {
    if (DbGetError() == kDbRecordLocked) return FailRecordLocked(record.Listname());
    return 0;
  }
  return DeleteNoteOf(record.Note());
}

int PhoneFind(PhoneTable& handle, int32_t list, std::string_view listname, std::string_view phone1,
              PhoneEntry* entry) {
  if (!HandleReady(handle)) return 0;
  uint8_t key[kEntryBufferSize];
  MakeKey(key, list, listname, phone1);
  bool exact = false;
  if (!Seek(handle, key, &exact)) return 0;
  if (exact) {
    if (entry) CurrentEntry(handle, entry);
    return 1;
  }
  PhoneEntry landed;
  if (AtEnd(handle.table) || !CurrentEntry(handle, &landed) || landed.List() != list) {
    // Past the list's last entry: its neighbour before is the nearest.
    DbPrev(handle.table);
  }
  return FailNotFound(listname);
}

int PhoneFindKey(PhoneTable& handle, const PhoneEntry& key, PhoneEntry* entry) {
  if (!HandleReady(handle)) return 0;
  bool exact = false;
  if (!Seek(handle, key.bytes, &exact)) return 0;
  if (!exact) return FailNotFound(key.Listname());
  if (entry) CurrentEntry(handle, entry);
  return 1;
}

int PhoneFirstOfList(PhoneTable& handle, int32_t list, PhoneEntry* entry) {
  if (!HandleReady(handle)) return 0;
  uint8_t key[kEntryBufferSize];
  MakeKey(key, list, "", "");
  bool exact = false;
  if (!Seek(handle, key, &exact)) return 0;
  PhoneEntry landed;
  if (AtEnd(handle.table) || !CurrentEntry(handle, &landed) || landed.List() != list)
    return FailEndOfFile(handle.table);
  if (entry) *entry = landed;
  return 1;
}

int PhoneNextInList(PhoneTable& handle, int32_t list, PhoneEntry* entry) {
  if (!HandleReady(handle)) return 0;
  if (!DbSetCurrentIndex(handle.table, 0) || !DbNext(handle.table)) return 0;
  PhoneEntry landed;
  if (AtEnd(handle.table) || !CurrentEntry(handle, &landed) || landed.List() != list)
    return FailEndOfFile(handle.table);
  if (entry) *entry = landed;
  return 1;
}

int PhonePrevInList(PhoneTable& handle, int32_t list, PhoneEntry* entry) {
  if (!HandleReady(handle)) return 0;
  if (!DbSetCurrentIndex(handle.table, 0) || !DbPrev(handle.table)) return 0;
  PhoneEntry landed;
  if (BeforeFirst(handle.table) || !CurrentEntry(handle, &landed) || landed.List() != list)
    return FailBeginningOfFile(handle.table);
  if (entry) *entry = landed;
  return 1;
}

int PhoneCopyToList(PhoneTable& handle, int32_t recordNumber, int32_t targetList, bool overwrite) {
  if (!HandleReady(handle)) return 0;
  Table& table = handle.table;
  if (!DbSetCurrentIndex(table, 0)) return 0;
  PhoneEntry saved;
  const bool had = !AtEnd(table) && DbCurrentEntry(table, saved.bytes);

  PhoneRecord copy;
  if (!DbReadRecord(table, recordNumber, copy.bytes)) return 0;
  const std::string listname = copy.Listname();
  uint8_t key[kEntryBufferSize];
  MakeKey(key, targetList, listname, copy.Phone1());
  bool exists = false;
  if (!Seek(handle, key, &exists)) return 0;
  PhoneEntry target;
  if (exists) CurrentEntry(handle, &target);
  if (exists && !overwrite) {
    Restore(handle, had, saved);
    return FailDuplicate(listname);
  }
  if (exists && target.RecordNumber() == recordNumber) {
    // The entry itself: a new number would cut it off from its categories
    // and its note copy would leave the old note behind.
    Restore(handle, had, saved);
    return 1;
  }

  SetFieldI32(copy.bytes, ph::kList, targetList);
  uint32_t number = 0;
  if (!GetUniqueNumber(table, &number)) return 0;
  SetFieldU32(copy.bytes, ph::kEntryNumber, number);
  const int32_t sourceNote = copy.Note();
  if (sourceNote != 0) {
    int32_t noteCopy = 0;
    if (!NoteDuplicate(sourceNote, &noteCopy)) return 0;
    SetFieldI32(copy.bytes, ph::kNote, noteCopy);
  }

  int ok = 0;
  int32_t replacedNote = 0;
  if (exists) {
    if (!DbLockRecord(table, target.RecordNumber())) {
      DbSetLockedError();
      ok = FailRecordLocked(listname);
    } else {
      PhoneRecord old;
      ok = DbReadRecord(table, target.RecordNumber(), old.bytes);
      if (ok) {
        replacedNote = old.Note();
        // Other workstations see the entry has changed, as after an edit.
        SetFieldU16(copy.bytes, ph::kChangeCount, uint16_t(old.ChangeCount() + 1));
        ok = DbRekeyRecord(table, target.bytes, copy.bytes);
      }
      DbUnlockRecord(table, target.RecordNumber());
    }
  } else {
    SetFieldU16(copy.bytes, ph::kChangeCount, 0);
    ok = DbAppendRecord(table, copy.bytes);
    if (!ok && IdxGetError() == kIdxDuplicate) FailDuplicate(listname);
  }
  if (!ok) {
    // No stray note copy is left behind; the failure's error is kept.
    const AppError kept = CurrentAppError();
    DeleteNoteOf(copy.Note());
    RestoreAppError(kept);
    Restore(handle, had, saved);
    return 0;
  }
  // The overwritten entry's own note is no longer anybody's.
  if (replacedNote != 0 && replacedNote != sourceNote) DeleteNoteOf(replacedNote);
  Restore(handle, had, saved);
  return 1;
}
