#include "data/schedule/dpsched.h"

#include <climits>
#include <cstring>
#include <set>

#include "data/local_time.h"
#include "storage/check.h"
#include "storage/errors.h"
#include "storage/records/keys.h"

namespace sc = records::sched;

namespace {

// Fails with 1018 under an empty name: the walk left the owner or the day.
int FailEnd() {
  SetAppError(kAppEndOfFile, "");
  return 0;
}

// Fails with 1022 under an empty name: the day is full.
int FailFull() {
  SetAppError(kAppMaxRecords, "");
  return 0;
}

// A duplicate key is told apart from other failures by its own code.
int FailedWrite(const SchedRecord& record) {
  if (IdxGetError() == kIdxDuplicate && DbGetError() == kDbOk)
    SetAppError(kAppDuplicate, record.Description());
  return 0;
}

// A description is never empty and never starts with the deletion mark.
int CheckDescription(const SchedRecord& record) {
  if (record.bytes[sc::kDescription.offset] != 0 &&
      record.bytes[sc::kDescription.offset] != kDeletedMark)
    return 1;
  SetAppError(kAppInvalidName, "SCHED");
  return 0;
}

// The record every read hands on: text fields always NUL-terminated.
void Terminate(SchedRecord& record) {
  record.bytes[sc::kDescription.End() - 1] = 0;
  record.bytes[sc::kNote.End() - 1] = 0;
}

// Where a walk stands: *end when past the last key, else *key is the
// key it stands on. 0 only for an engine failure.
int Here(SchedTable& handle, SchedKey* key, bool* end) {
  *end = AtEnd(handle.table);
  if (!*end) DbCurrentEntry(handle.table, key->bytes);
  return 1;
}

// Positions at the first key not below the probe.
int Seek(SchedTable& handle, const SchedKey& probe, SchedKey* key, bool* end) {
  int exact = 0;
  if (!DbSetCurrentIndex(handle.table, 0) || !DbFind(handle.table, probe.bytes, &exact)) return 0;
  return Here(handle, key, end);
}

// Steps to the next key.
int Step(SchedTable& handle, SchedKey* key, bool* end) {
  if (!DbSetCurrentIndex(handle.table, 0) || !DbNext(handle.table)) return 0;
  return Here(handle, key, end);
}

SchedKey DayProbe(int32_t owner, int32_t day) {
  SchedKey probe;
  SetFieldI32(probe.bytes, sc::x1::kOwner, owner);
  SetFieldI32(probe.bytes, sc::x1::kStart, day);
  return probe;
}

// The probe below every key of the owner.
SchedKey OwnerProbe(int32_t owner) {
  SchedKey probe = DayProbe(owner, INT32_MIN);
  SetFieldI32(probe.bytes, sc::x1::kUniqueId, INT32_MIN);
  return probe;
}

// Reads a record while keeping the error state a later success should
// not be blamed for; a deleted record sets *gone instead of failing.
int ReadOrGone(SchedTable& handle, int32_t recordNumber, SchedRecord* record, bool* gone) {
  *gone = false;
  int code = AppErrorCode();
  std::string name = AppErrorName();
  if (SchedRead(handle, recordNumber, record)) return 1;
  if (DbGetError() != kDbRecordDeleted) return 0;
  DbClearError();
  SetAppError(code, name);
  *gone = true;
  return 1;
}

bool SameKey(const SchedKey& a, const SchedKey& b) {
  return a.Owner() == b.Owner() && a.Start() == b.Start() && a.UniqueId() == b.UniqueId();
}

// Reads the record a key names and checks that it carries that key. With
// gone, a record deleted meanwhile sets *gone instead of failing.
int ReadKeyed(SchedTable& handle, const SchedKey& key, SchedRecord* record, bool* gone = nullptr) {
  if (gone) {
    if (!ReadOrGone(handle, key.RecordNumber(), record, gone)) return 0;
    if (*gone) return 1;
  } else if (!SchedRead(handle, key.RecordNumber(), record)) {
    return 0;
  }
  if (record->Owner() != key.Owner() || record->UniqueId() != key.UniqueId() ||
      record->Start() != key.Start())
    return FailStaleEntry(handle.table);
  return 1;
}

// Walks the keys of (owner, day) and calls visit for each.
template <typename Visit>
int WalkDay(SchedTable& handle, int32_t day, int32_t owner, Visit visit) {
  int32_t first = DayOf(day);
  int32_t next = AddDays(first, 1);
  SchedKey key;
  bool end = false;
  if (!Seek(handle, DayProbe(owner, first), &key, &end)) return 0;
  while (!end && key.Owner() == owner && key.Start() < next) {
    visit(key);
    if (!Step(handle, &key, &end)) return 0;
  }
  return 1;
}

int LinesOf(int32_t end) {
  return end != 0 ? 2 : 1;
}

// Rewrites the stored record under its old key, holding its lock byte so
// that no other workstation rewrites it at the same time.
int Rewrite(SchedTable& handle, const SchedKey& oldKey, const SchedRecord& record) {
  int32_t recordNumber = oldKey.RecordNumber();
  if (!DbLockRecord(handle.table, recordNumber)) {
    DbSetLockedError();
    return FailRecordLocked("SCHED");
  }
  int ok =
      DbSetCurrentIndex(handle.table, 0) && DbRekeyRecord(handle.table, oldKey.bytes, record.bytes);
  if (!ok) FailedWrite(record);
  DbUnlockRecord(handle.table, recordNumber);
  return ok;
}

}  // namespace

std::string SchedRecord::Description() const {
  return FieldText(bytes, sc::kDescription);
}
int32_t SchedRecord::Owner() const {
  return FieldI32(bytes, sc::kOwner);
}
int32_t SchedRecord::Start() const {
  return FieldI32(bytes, sc::kStart);
}
int32_t SchedRecord::End() const {
  return FieldI32(bytes, sc::kEnd);
}
int32_t SchedRecord::Alarm() const {
  return FieldI32(bytes, sc::kAlarm);
}
std::string SchedRecord::Note() const {
  return FieldText(bytes, sc::kNote);
}
int32_t SchedRecord::RepeatGroup() const {
  return FieldI32(bytes, sc::kRepeatGroup);
}
int32_t SchedRecord::UniqueId() const {
  return FieldI32(bytes, sc::kUniqueId);
}
uint16_t SchedRecord::ChangeCount() const {
  return FieldU16(bytes, sc::kChangeCount);
}
void SchedRecord::SetDescription(std::string_view text) {
  SetFieldText(bytes, sc::kDescription, std::string(text).c_str());
}
void SchedRecord::SetOwner(int32_t owner) {
  SetFieldI32(bytes, sc::kOwner, owner);
}
void SchedRecord::SetStart(int32_t time) {
  SetFieldI32(bytes, sc::kStart, time);
}
void SchedRecord::SetEnd(int32_t time) {
  SetFieldI32(bytes, sc::kEnd, time);
}
void SchedRecord::SetAlarm(int32_t time) {
  SetFieldI32(bytes, sc::kAlarm, time);
}
void SchedRecord::SetNote(std::string_view text) {
  SetFieldText(bytes, sc::kNote, std::string(text).c_str());
}
void SchedRecord::SetRepeatGroup(int32_t group) {
  SetFieldI32(bytes, sc::kRepeatGroup, group);
}
void SchedRecord::SetUniqueId(int32_t id) {
  SetFieldI32(bytes, sc::kUniqueId, id);
}
void SchedRecord::SetChangeCount(uint16_t count) {
  SetFieldU16(bytes, sc::kChangeCount, count);
}

int32_t SchedKey::RecordNumber() const {
  return FieldI32(bytes, kEntryRecordNumber);
}
int32_t SchedKey::Owner() const {
  return FieldI32(bytes, sc::x1::kOwner);
}
int32_t SchedKey::Start() const {
  return FieldI32(bytes, sc::x1::kStart);
}
int32_t SchedKey::End() const {
  return FieldI32(bytes, sc::x1::kEnd);
}
int32_t SchedKey::Alarm() const {
  return FieldI32(bytes, sc::x1::kAlarm);
}
std::string SchedKey::Prefix() const {
  return FieldText(bytes, sc::x1::kPrefix);
}
int32_t SchedKey::RepeatGroup() const {
  return FieldI32(bytes, sc::x1::kRepeatGroup);
}
int32_t SchedKey::UniqueId() const {
  return FieldI32(bytes, sc::x1::kUniqueId);
}
uint16_t SchedKey::ChangeCount() const {
  return FieldU16(bytes, sc::x1::kChangeCount);
}

SchedKey SchedKeyOf(const SchedRecord& record, int32_t recordNumber) {
  SchedKey key;
  uint8_t entry[kEntryBufferSize];
  BuildSchedX1(record.bytes, entry, recordNumber);
  std::memcpy(key.bytes, entry, sizeof key.bytes);
  return key;
}

int SchedOpen(SchedTable& handle) {
  return HandleOpen(handle);
}

int SchedClose(SchedTable& handle) {
  return HandleClose(handle);
}

bool SchedDuplicate() {
  return AppErrorCode() == kAppDuplicate;
}

int SchedRead(SchedTable& handle, int32_t recordNumber, SchedRecord* record) {
  if (!HandleReady(handle)) return 0;
  if (!DbReadRecord(handle.table, recordNumber, record->bytes)) return 0;
  Terminate(*record);
  return 1;
}

int SchedFindFirst(SchedTable& handle, int32_t day, int32_t owner, SchedKey* key) {
  if (!HandleReady(handle)) return 0;
  int32_t first = DayOf(day);
  SchedKey found;
  bool end = false;
  if (!Seek(handle, DayProbe(owner, first), &found, &end)) return 0;
  if (end || found.Owner() != owner || found.Start() >= AddDays(first, 1)) return FailEnd();
  if (key) *key = found;
  return 1;
}

int SchedNext(SchedTable& handle, SchedKey* key) {
  if (!HandleReady(handle)) return 0;
  SchedKey found;
  bool end = false;
  if (!Step(handle, &found, &end)) return 0;
  if (end) return FailEnd();
  if (key) *key = found;
  return 1;
}

int SchedFindKey(SchedTable& handle, const SchedKey& key, int32_t* recordNumber, SchedKey* found) {
  if (!HandleReady(handle)) return 0;
  SchedKey here;
  bool end = false;
  if (!Seek(handle, key, &here, &end)) return 0;
  if (end) return FailEnd();
  if (recordNumber) *recordNumber = here.RecordNumber();
  if (found) *found = here;
  return 1;
}

int SchedCountLines(SchedTable& handle, int32_t day, int32_t owner, int* count) {
  if (!HandleReady(handle)) return 0;
  int lines = 0;
  int ok = WalkDay(handle, day, owner, [&](const SchedKey& key) { lines += LinesOf(key.End()); });
  *count = lines;
  return ok;
}

int SchedAdd(SchedTable& handle, SchedRecord& record, int32_t* recordNumber) {
  if (!HandleReady(handle)) return 0;
  if (!CheckDescription(record)) return 0;
  Terminate(record);
  int lines = 0;
  if (!SchedCountLines(handle, record.Start(), record.Owner(), &lines)) return 0;
  // Only the lines already there count, so a day of 39 lines still takes
  // an entry with an end time.
  if (lines >= kMaxDayLines) return FailFull();
  if (record.UniqueId() == 0) {
    uint32_t number = 0;
    if (!GetUniqueNumber(handle.table, &number)) return 0;
    record.SetUniqueId(int32_t(number));
  }
  int32_t added = -1;
  if (!DbAppendRecord(handle.table, record.bytes, &added)) return FailedWrite(record);
  if (recordNumber) *recordNumber = added;
  return 1;
}

int SchedUpdate(SchedTable& handle, int32_t recordNumber, SchedRecord& record) {
  if (!HandleReady(handle)) return 0;
  if (!CheckDescription(record)) return 0;
  Terminate(record);
  SchedRecord stored;
  if (!SchedRead(handle, recordNumber, &stored)) return 0;
  int lines = 0;
  if (!SchedCountLines(handle, record.Start(), record.Owner(), &lines)) return 0;
  // A full day refuses only what would add to it: the entry moving in, or
  // one of its entries gaining an end time. An edit that leaves the day's
  // lines as they are always passes, even on a day of 40 or 41 lines.
  bool sameDay = stored.Owner() == record.Owner() && DayOf(stored.Start()) == DayOf(record.Start());
  bool addsLines = !sameDay || LinesOf(record.End()) > LinesOf(stored.End());
  if (addsLines && lines >= kMaxDayLines) return FailFull();
  if (record.UniqueId() == 0) record.SetUniqueId(stored.UniqueId());
  record.SetChangeCount(uint16_t(stored.ChangeCount() + 1));
  return Rewrite(handle, SchedKeyOf(stored, recordNumber), record);
}

int SchedRemove(SchedTable& handle, int32_t recordNumber) {
  if (!HandleReady(handle)) return 0;
  SchedRecord stored;
  bool gone = false;
  if (!ReadOrGone(handle, recordNumber, &stored, &gone)) return 0;
  if (gone) return 1;
  if (!DbDeleteRecord(handle.table, stored.bytes, recordNumber)) {
    if (DbGetError() == kDbRecordLocked) return FailRecordLocked("SCHED");
    return 0;
  }
  return 1;
}

int SchedAddCopyFor(SchedTable& handle, const SchedRecord& record, int32_t newOwner) {
  if (!HandleReady(handle)) return 0;
  SchedRecord copy = record;
  copy.SetOwner(newOwner);
  copy.SetUniqueId(0);
  copy.SetChangeCount(0);
  if (SchedAdd(handle, copy)) return 1;
  if (!SchedDuplicate()) return 0;
  ClearAppError();
  return 1;
}

int SchedCopyGroup(SchedTable& handle, int32_t fromOwner, int32_t toOwner, int32_t repeatGroup) {
  if (!HandleReady(handle)) return 0;
  // A copy into the same schedule would be met again further on and
  // copied again without end.
  if (!DP_CHECK(fromOwner != toOwner) || !DP_CHECK(repeatGroup != 0)) return 0;
  SchedKey key;
  bool end = false;
  if (!Seek(handle, OwnerProbe(fromOwner), &key, &end)) return 0;
  while (!end && key.Owner() == fromOwner) {
    if (key.RepeatGroup() == repeatGroup) {
      SchedRecord record;
      if (!ReadKeyed(handle, key, &record) || !SchedAddCopyFor(handle, record, toOwner)) return 0;
      // The copy changed the index: find the key just handled again.
      SchedKey again;
      if (!Seek(handle, key, &again, &end)) return 0;
      if (end) break;
      if (!SameKey(again, key)) {
        // Deleted by someone else meanwhile: "again" is already the next.
        key = again;
        continue;
      }
    }
    if (!Step(handle, &key, &end)) return 0;
  }
  return 1;
}

int SchedRemoveGroup(SchedTable& handle, int32_t owner, int32_t repeatGroup) {
  if (!HandleReady(handle)) return 0;
  if (!DP_CHECK(repeatGroup != 0)) return 0;
  SchedKey key;
  bool end = false;
  if (!Seek(handle, OwnerProbe(owner), &key, &end)) return 0;
  while (!end && key.Owner() == owner) {
    if (key.RepeatGroup() == repeatGroup) {
      SchedRecord record;
      bool gone = false;
      if (!ReadKeyed(handle, key, &record, &gone)) return 0;
      // A record deleted by another workstation since its key was read has
      // lost its key too, so the search below finds the next one.
      if (!gone && !DbDeleteRecord(handle.table, record.bytes, key.RecordNumber())) {
        if (DbGetError() == kDbRecordLocked) return FailRecordLocked("SCHED");
        return 0;
      }
      // Go on from the first key not below the one deleted.
      SchedKey deleted = key;
      if (!Seek(handle, deleted, &key, &end)) return 0;
      // A key that outlives its deleted record would be met for ever.
      if (!end && SameKey(key, deleted)) return FailStaleEntry(handle.table);
      continue;
    }
    if (!Step(handle, &key, &end)) return 0;
  }
  return 1;
}

int SchedChangeGroup(SchedTable& handle, const SchedRecord& edited) {
  if (!HandleReady(handle)) return 0;
  int32_t group = edited.RepeatGroup();
  if (!DP_CHECK(group != 0)) return 0;
  if (!CheckDescription(edited)) return 0;
  int32_t owner = edited.Owner();
  // A rewritten entry keeps its date but takes the edited clock time, so
  // its key may move past entries not handled yet. The walk therefore goes
  // on from where the old key stood and passes over what it has handled.
  std::set<int32_t> handled;
  SchedKey key;
  bool end = false;
  if (!Seek(handle, OwnerProbe(owner), &key, &end)) return 0;
  while (!end && key.Owner() == owner) {
    if (key.RepeatGroup() == group && !handled.count(key.UniqueId())) {
      handled.insert(key.UniqueId());
      int32_t day = DayOf(key.Start());
      SchedRecord copy = edited;
      copy.SetStart(MoveToDate(edited.Start(), day));
      copy.SetEnd(MoveToDate(edited.End(), day));
      copy.SetAlarm(MoveToDate(edited.Alarm(), day));
      copy.SetUniqueId(key.UniqueId());
      copy.SetChangeCount(uint16_t(key.ChangeCount() + 1));
      Terminate(copy);
      if (!Rewrite(handle, key, copy)) {
        if (!SchedDuplicate()) return 0;
        ClearAppError();
      }
      if (!Seek(handle, key, &key, &end)) return 0;
      continue;
    }
    if (!Step(handle, &key, &end)) return 0;
  }
  return 1;
}
