// What the schedule and to-do tables share.
//
// Both keep every person's entries under index X1 by owner, then a date,
// then the entry's own fields and unique id. A walk goes along X1 and ends
// at the owner's or the day's last key with 1018 under an empty name; a
// full day refuses with 1022 under an empty name; a stored record is
// rewritten under its lock byte and its key moved in the same step. The
// record and key types here are SchedRecord / SchedKey and TodoRecord /
// TodoKey: records with Owner, UniqueId and ChangeCount, keys with their
// bytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "data/table_handle.h"
#include "storage/errors.h"
#include "storage/records/keys.h"

namespace day_table {

// Fails with 1018 under an empty name: the walk left the owner or the day.
int FailEnd();
// Fails with 1022 under an empty name: the day is full.
int FailFull();
// After a refused write: a duplicate key is told apart from other failures
// by its own code, under the record's name.
int FailedWrite(std::string_view recordName);

// Deletes a stored record. One held by another workstation fails with
// engine code 9 and 1012 under the table's name.
int DeleteStored(Table& table, const uint8_t* record, int32_t recordNumber,
                 std::string_view tableName);
// Rewrites the stored record under its old key, holding its lock byte so
// that no other workstation rewrites it at the same time.
int Rewrite(Table& table, int32_t recordNumber, const uint8_t* oldKey, const uint8_t* record,
            std::string_view tableName, std::string_view recordName);

// Where a walk stands: *end when past the last key, else *key is the key
// it stands on. 0 only for an engine failure.
template <typename Key>
int Here(Table& table, Key* key, bool* end) {
  *end = AtEnd(table);
  if (!*end) DbCurrentEntry(table, key->bytes);
  return 1;
}

// Positions at the first key not below the probe.
template <typename Key>
int Seek(Table& table, const Key& probe, Key* key, bool* end) {
  int exact = 0;
  if (!DbSetCurrentIndex(table, 0) || !DbFind(table, probe.bytes, &exact)) return 0;
  return Here(table, key, end);
}

// Steps to the next key.
template <typename Key>
int Step(Table& table, Key* key, bool* end) {
  if (!DbSetCurrentIndex(table, 0) || !DbNext(table)) return 0;
  return Here(table, key, end);
}

// The next key in index order, whoever's it is; 1018 at the end.
template <typename Key>
int Next(TableHandle& handle, Key* key) {
  if (!HandleReady(handle)) return 0;
  Key found;
  bool end = false;
  if (!Step(handle.table, &found, &end)) return 0;
  if (end) return FailEnd();
  if (key) *key = found;
  return 1;
}

// The first key not below the given one; 1018 when there is none.
template <typename Key>
int FindKey(TableHandle& handle, const Key& key, int32_t* recordNumber, Key* found) {
  if (!HandleReady(handle)) return 0;
  Key here;
  bool end = false;
  if (!Seek(handle.table, key, &here, &end)) return 0;
  if (end) return FailEnd();
  if (recordNumber) *recordNumber = here.RecordNumber();
  if (found) *found = here;
  return 1;
}

// The key the index holds for a record stored at recordNumber, as build
// makes it.
template <typename Key, typename Record>
Key KeyOf(const Record& record, int32_t recordNumber,
          void (*build)(const uint8_t*, uint8_t*, int32_t)) {
  Key key;
  uint8_t entry[kEntryBufferSize];
  build(record.bytes, entry, recordNumber);
  std::memcpy(key.bytes, entry, sizeof key.bytes);
  return key;
}

// Reads a record with read while keeping the error state a later success
// should not be blamed for; a deleted record sets *gone instead of failing.
template <typename Record, typename Read>
int ReadOrGone(Read read, int32_t recordNumber, Record* record, bool* gone) {
  *gone = false;
  const AppError kept = CurrentAppError();
  if (read(recordNumber, record)) return 1;
  if (DbGetError() != kDbRecordDeleted) return 0;
  DbClearError();
  RestoreAppError(kept);
  *gone = true;
  return 1;
}

// Deletes the record read with read; one already deleted counts as deleted.
template <typename Record, typename Read>
int Remove(TableHandle& handle, int32_t recordNumber, Read read, std::string_view tableName) {
  if (!HandleReady(handle)) return 0;
  Record stored;
  bool gone = false;
  if (!ReadOrGone(read, recordNumber, &stored, &gone)) return 0;
  if (gone) return 1;
  return DeleteStored(handle.table, stored.bytes, recordNumber, tableName);
}

// Appends a new record, giving it a unique id from the table's counter
// when it has none (written back into the record). recordNumber gets the
// new record's number.
template <typename Record>
int Append(Table& table, Record& record, std::string_view recordName, int32_t* recordNumber) {
  if (record.UniqueId() == 0) {
    uint32_t number = 0;
    if (!GetUniqueNumber(table, &number)) return 0;
    record.SetUniqueId(int32_t(number));
  }
  int32_t added = -1;
  if (!DbAppendRecord(table, record.bytes, &added)) return FailedWrite(recordName);
  if (recordNumber) *recordNumber = added;
  return 1;
}

// Replaces the stored record at recordNumber with record: the unique id
// kept when the record has none, the change count one up (both written
// back into the record), the key moved from the stored record's.
template <typename Record>
int Replace(Table& table, int32_t recordNumber, const Record& stored, const uint8_t* storedKey,
            Record& record, std::string_view tableName, std::string_view recordName) {
  if (record.UniqueId() == 0) record.SetUniqueId(stored.UniqueId());
  record.SetChangeCount(uint16_t(stored.ChangeCount() + 1));
  return Rewrite(table, recordNumber, storedKey, record.bytes, tableName, recordName);
}

// Adds a copy of the record for another owner with a new unique id, through
// add; a copy already there counts as made.
template <typename Record, typename Add>
int AddCopyFor(TableHandle& handle, const Record& record, int32_t newOwner, Add add) {
  if (!HandleReady(handle)) return 0;
  Record copy = record;
  copy.SetOwner(newOwner);
  copy.SetUniqueId(0);
  copy.SetChangeCount(0);
  if (add(copy)) return 1;
  if (AppErrorCode() != kAppDuplicate) return 0;
  ClearAppError();
  return 1;
}

}  // namespace day_table
