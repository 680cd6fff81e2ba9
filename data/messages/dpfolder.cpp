#include "data/messages/dpfolder.h"

#include <cstring>

#include "storage/errors.h"
#include "storage/records/message.h"

namespace fd = records::folder;

namespace {

constexpr int kByName = 0;    // X1: owner, name
constexpr int kByNumber = 1;  // X2: folder number

// The in-box and the archive of a message's folder field, and "none".
bool ReservedNumber(uint32_t number) {
  return number == 0 || number == 1 || number == 3;
}

bool ValidName(const std::string& name) {
  return !name.empty() && static_cast<unsigned char>(name[0]) != kDeletedMark &&
         FitsField(name, fd::kName.width);
}

int FailNotFound(std::string_view name) {
  SetAppError(kAppNotFound, name);
  return 0;
}

int FailInvalid(std::string_view name) {
  SetAppError(kAppInvalidName, name);
  return 0;
}

// Searches X1 without touching the error state.
int Search(FolderTable& handle, int32_t owner, std::string_view name, bool* found) {
  *found = false;
  if (!DbSetCurrentIndex(handle.table, kByName)) return 0;
  if (!FitsField(name, fd::kName.width)) return 1;
  uint8_t key[kEntryBufferSize] = {};
  SetFieldI32(key, fd::x1::kOwner, owner);
  SetFieldText(key, fd::x1::kName, std::string(name).c_str());
  int exact = 0;
  if (!DbFind(handle.table, key, &exact)) return 0;
  *found = exact != 0;
  return 1;
}

// Puts X1 on the folder's own entry.
int Position(FolderTable& handle, const FolderRecord& record, int32_t recordNumber) {
  if (!DbSetCurrentIndex(handle.table, kByName)) return 0;
  uint8_t entry[kEntryBufferSize];
  DbMakeEntry(handle.table, kByName, record.bytes, recordNumber, entry);
  int exact = 0;
  return DbFind(handle.table, entry, &exact);
}

int Stepped(FolderTable& handle, FolderEntry* entry) {
  if (AtEnd(handle.table)) return FailEndOfFile(handle.table);
  if (entry) DbCurrentEntry(handle.table, entry->bytes);
  return 1;
}

// The name field is always NUL-terminated, whatever the caller left in it.
FolderRecord Terminated(const FolderRecord& record) {
  FolderRecord copy = record;
  copy.bytes[fd::kName.End() - 1] = 0;
  return copy;
}

}  // namespace

std::string FolderRecord::Name() const {
  return FieldText(bytes, fd::kName);
}
int32_t FolderRecord::Owner() const {
  return FieldI32(bytes, fd::kOwner);
}
int32_t FolderRecord::Number() const {
  return FieldI32(bytes, fd::kNumber);
}

FolderRecord MakeFolderRecord(std::string_view name, int32_t owner) {
  FolderRecord record;
  SetFieldText(record.bytes, fd::kName, std::string(name).c_str());
  SetFieldI32(record.bytes, fd::kOwner, owner);
  return record;
}

int32_t FolderEntry::RecordNumber() const {
  return FieldI32(bytes, kEntryRecordNumber);
}
int32_t FolderEntry::Owner() const {
  return FieldI32(bytes, fd::x1::kOwner);
}
std::string FolderEntry::Name() const {
  return FieldText(bytes, fd::x1::kName);
}
int32_t FolderEntry::Number() const {
  return FieldI32(bytes, fd::x1::kNumber);
}

int FolderOpen(FolderTable& handle) {
  return HandleOpen(handle);
}

int FolderClose(FolderTable& handle) {
  return HandleClose(handle);
}

int FolderAdd(FolderTable& handle, FolderRecord& record) {
  if (!HandleReady(handle)) return 0;
  FolderRecord added = Terminated(record);
  std::string name = added.Name();
  if (!ValidName(name)) return FailInvalid(name);
  bool found = false;
  if (!Search(handle, added.Owner(), name, &found)) return 0;
  if (found) {
    SetAppError(kAppDuplicate, name);
    return 0;
  }
  // A fresh table counts from 1: the numbers that mean the in-box and the
  // archive in a message are passed over, or filing into the first folder
  // would put messages back into the in-box.
  uint32_t number = 0;
  do {
    if (!GetUniqueNumber(handle.table, &number)) return 0;
  } while (ReservedNumber(number));
  SetFieldU32(added.bytes, fd::kNumber, number);
  SetFieldByte(added.bytes, fd::kSpare, 0);
  int32_t recordNumber = -1;
  if (!DbAppendRecord(handle.table, added.bytes, &recordNumber)) {
    if (IdxGetError() == kIdxDuplicate) SetAppError(kAppDuplicate, name);
    return 0;
  }
  record = added;
  return Position(handle, added, recordNumber);
}

int FolderFind(FolderTable& handle, int32_t owner, std::string_view name, FolderEntry* entry) {
  if (!HandleReady(handle)) return 0;
  bool found = false;
  if (!Search(handle, owner, name, &found)) return 0;
  if (!found) return FailNotFound(name);
  if (entry) DbCurrentEntry(handle.table, entry->bytes);
  return 1;
}

int FolderFindNumber(FolderTable& handle, int32_t number, FolderRecord* record) {
  if (!HandleReady(handle)) return 0;
  if (!DbSetCurrentIndex(handle.table, kByNumber)) return 0;
  uint8_t key[kEntryBufferSize] = {};
  SetFieldI32(key, fd::x2::kNumber, number);
  int exact = 0;
  int ok = DbFind(handle.table, key, &exact);
  int32_t recordNumber = DbCurrentRecord(handle.table);
  if (ok && !exact) {
    DbSetCurrentIndex(handle.table, kByName);
    return FailNotFound(std::to_string(number));
  }
  if (!ok || !DbReadRecord(handle.table, recordNumber, record->bytes)) {
    DbSetCurrentIndex(handle.table, kByName);
    return 0;
  }
  if (record->Number() != number) {
    FailStaleEntry(handle.table);
    DbSetCurrentIndex(handle.table, kByName);
    return 0;
  }
  return Position(handle, *record, recordNumber);
}

int FolderReadCurrent(FolderTable& handle, FolderRecord* record) {
  if (!HandleReady(handle)) return 0;
  if (!DbSetCurrentIndex(handle.table, kByName)) return 0;
  if (AtEnd(handle.table)) return FailEndOfFile(handle.table);
  FolderEntry entry;
  DbCurrentEntry(handle.table, entry.bytes);
  if (!DbReadRecord(handle.table, entry.RecordNumber(), record->bytes)) return 0;
  if (record->Number() != entry.Number() || record->Owner() != entry.Owner() ||
      !SameName(record->Name(), entry.Name()))
    return FailStaleEntry(handle.table);
  return 1;
}

int FolderFirst(FolderTable& handle, FolderEntry* entry) {
  if (!HandleReady(handle)) return 0;
  if (!DbSetCurrentIndex(handle.table, kByName) || !DbFirst(handle.table)) return 0;
  return Stepped(handle, entry);
}

int FolderNext(FolderTable& handle, FolderEntry* entry) {
  if (!HandleReady(handle)) return 0;
  if (!DbSetCurrentIndex(handle.table, kByName) || !DbNext(handle.table)) return 0;
  return Stepped(handle, entry);
}

int FolderPrev(FolderTable& handle, FolderEntry* entry) {
  if (!HandleReady(handle)) return 0;
  if (!DbSetCurrentIndex(handle.table, kByName) || !DbPrev(handle.table)) return 0;
  if (BeforeFirst(handle.table)) return FailBeginningOfFile(handle.table);
  if (entry) DbCurrentEntry(handle.table, entry->bytes);
  return 1;
}

int FolderRename(FolderTable& handle, int32_t owner, std::string_view oldName,
                 const FolderRecord& newRecord) {
  if (!HandleReady(handle)) return 0;
  FolderRecord renamed = Terminated(newRecord);
  std::string newName = renamed.Name();
  if (!ValidName(newName)) return FailInvalid(newName);
  bool taken = false;
  if (!Search(handle, renamed.Owner(), newName, &taken)) return 0;
  FolderEntry other;
  if (taken) DbCurrentEntry(handle.table, other.bytes);
  FolderEntry old;
  if (!FolderFind(handle, owner, oldName, &old)) return 0;
  if (taken && other.RecordNumber() != old.RecordNumber()) {
    SetAppError(kAppDuplicate, newName);
    return 0;
  }
  FolderRecord stored;
  if (!FolderReadCurrent(handle, &stored)) return 0;
  // X2 is not re-keyed: the number must stay what it is.
  SetFieldI32(renamed.bytes, fd::kNumber, stored.Number());
  if (!DbRekeyRecord(handle.table, old.bytes, renamed.bytes)) {
    if (IdxGetError() == kIdxDuplicate) SetAppError(kAppDuplicate, newName);
    return 0;
  }
  return 1;
}

int FolderDelete(FolderTable& handle, int32_t owner, std::string_view name) {
  if (!HandleReady(handle)) return 0;
  bool found = false;
  if (!Search(handle, owner, name, &found)) return 0;
  if (!found) return 1;
  FolderRecord record;
  if (!FolderReadCurrent(handle, &record)) return 0;
  FolderEntry entry;
  DbCurrentEntry(handle.table, entry.bytes);
  if (!DbDeleteRecord(handle.table, record.bytes, entry.RecordNumber())) {
    if (DbGetError() == kDbRecordLocked) return FailRecordLocked(name);
    return 0;
  }
  return 1;
}

int FolderOfPerson(FolderTable& handle, int32_t person, int32_t number) {
  if (number == records::message::kFolderNew || number == records::message::kFolderArchive)
    return 1;
  FolderRecord record;
  if (number <= 0 || !FolderFindNumber(handle, number, &record)) {
    if (number <= 0 || AppErrorCode() == kAppNotFound) return FailNotFound(std::to_string(number));
    return 0;
  }
  if (record.Owner() != 0 && record.Owner() != person) return FailNotFound(std::to_string(number));
  return 1;
}
