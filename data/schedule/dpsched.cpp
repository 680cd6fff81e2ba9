#include "data/schedule/dpsched.h"

#include <climits>
#include <set>

#include "data/local_time.h"
#include "data/schedule/day_table.h"
#include "storage/check.h"
#include "storage/errors.h"
#include "storage/records/keys.h"

namespace sc = records::sched;

namespace {

constexpr std::string_view kTableName = "SCHED";

using day_table::FailEnd;
using day_table::FailFull;
using day_table::Seek;
using day_table::Step;

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

SchedKey DayProbe(int32_t owner, int32_t day) {
  SchedKey probe;
  SetFieldI32(probe.bytes, sc::x1::kOwner, owner);
  SetFieldI32(probe.bytes, sc::x1::kStart, day);
  return probe;
}

// SchedRead on the handle, for the shared record helpers.
auto ReaderOf(SchedTable& handle) {
  return [&handle](int32_t recordNumber, SchedRecord* record) {
    return SchedRead(handle, recordNumber, record);
  };
}

// The probe below every key of the owner.
SchedKey OwnerProbe(int32_t owner) {
  SchedKey probe = DayProbe(owner, INT32_MIN);
  SetFieldI32(probe.bytes, sc::x1::kUniqueId, INT32_MIN);
  return probe;
}

// Reads a record as SchedRead does; a deleted record sets *gone instead of
// failing.
int ReadOrGone(SchedTable& handle, int32_t recordNumber, SchedRecord* record, bool* gone) {
  return day_table::ReadOrGone(ReaderOf(handle), recordNumber, record, gone);
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
  if (!Seek(handle.table, DayProbe(owner, first), &key, &end)) return 0;
  while (!end && key.Owner() == owner && key.Start() < next) {
    visit(key);
    if (!Step(handle.table, &key, &end)) return 0;
  }
  return 1;
}

int LinesOf(int32_t end) {
  return end != 0 ? 2 : 1;
}

// Rewrites the stored record under its old key and lock byte.
int Rewrite(SchedTable& handle, const SchedKey& oldKey, const SchedRecord& record) {
  return day_table::Rewrite(handle.table, oldKey.RecordNumber(), oldKey.bytes, record.bytes,
                            kTableName, record.Description());
}

}  // namespace

std::string SchedRecord::Description() const {
  return FieldText(bytes, sc::kDescription);
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
void SchedRecord::SetDescription(std::string_view text) {
  SetFieldText(bytes, sc::kDescription, std::string(text).c_str());
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

SchedKey SchedKeyOf(const SchedRecord& record, int32_t recordNumber) {
  return day_table::KeyOf<SchedKey>(record, recordNumber, BuildSchedX1);
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
  if (!Seek(handle.table, DayProbe(owner, first), &found, &end)) return 0;
  if (end || found.Owner() != owner || found.Start() >= AddDays(first, 1)) return FailEnd();
  if (key) *key = found;
  return 1;
}

int SchedNext(SchedTable& handle, SchedKey* key) {
  return day_table::Next(handle, key);
}

int SchedFindKey(SchedTable& handle, const SchedKey& key, int32_t* recordNumber, SchedKey* found) {
  return day_table::FindKey(handle, key, recordNumber, found);
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
  return day_table::Append(handle.table, record, record.Description(), recordNumber);
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
  return day_table::Replace(handle.table, recordNumber, stored,
                            SchedKeyOf(stored, recordNumber).bytes, record, kTableName,
                            record.Description());
}

int SchedRemove(SchedTable& handle, int32_t recordNumber) {
  return day_table::Remove<SchedRecord>(handle, recordNumber, ReaderOf(handle), kTableName);
}

int SchedAddCopyFor(SchedTable& handle, const SchedRecord& record, int32_t newOwner) {
  return day_table::AddCopyFor(handle, record, newOwner,
                               [&handle](SchedRecord& copy) { return SchedAdd(handle, copy); });
}

int SchedCopyGroup(SchedTable& handle, int32_t fromOwner, int32_t toOwner, int32_t repeatGroup) {
  if (!HandleReady(handle)) return 0;
  // A copy into the same schedule would be met again further on and
  // copied again without end.
  if (!DP_CHECK(fromOwner != toOwner) || !DP_CHECK(repeatGroup != 0)) return 0;
  SchedKey key;
  bool end = false;
  if (!Seek(handle.table, OwnerProbe(fromOwner), &key, &end)) return 0;
  while (!end && key.Owner() == fromOwner) {
    if (key.RepeatGroup() == repeatGroup) {
      SchedRecord record;
      if (!ReadKeyed(handle, key, &record) || !SchedAddCopyFor(handle, record, toOwner)) return 0;
      // The copy changed the index: find the key just handled again.
      SchedKey again;
      if (!Seek(handle.table, key, &again, &end)) return 0;
      if (end) break;
      if (!SameKey(again, key)) {
        // Deleted by someone else meanwhile: "again" is already the next.
        key = again;
        continue;
      }
    }
    if (!Step(handle.table, &key, &end)) return 0;
  }
  return 1;
}

int SchedRemoveGroup(SchedTable& handle, int32_t owner, int32_t repeatGroup, int32_t fromStart) {
  if (!HandleReady(handle)) return 0;
  if (!DP_CHECK(repeatGroup != 0)) return 0;
  SchedKey key;
  bool end = false;
  if (!Seek(handle.table, OwnerProbe(owner), &key, &end)) return 0;
  while (!end && key.Owner() == owner) {
    if (key.RepeatGroup() == repeatGroup && key.Start() >= fromStart) {
      SchedRecord record;
      bool gone = false;
      if (!ReadKeyed(handle, key, &record, &gone)) return 0;
      // A record deleted by another workstation since its key was read has
      // lost its key too, so the search below finds the next one.
      if (!gone &&
          !day_table::DeleteStored(handle.table, record.bytes, key.RecordNumber(), kTableName))
        return 0;
      // Go on from the first key not below the one deleted.
      SchedKey deleted = key;
      if (!Seek(handle.table, deleted, &key, &end)) return 0;
      // A key that outlives its deleted record would be met for ever.
      if (!end && SameKey(key, deleted)) return FailStaleEntry(handle.table);
      continue;
    }
    if (!Step(handle.table, &key, &end)) return 0;
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
  if (!Seek(handle.table, OwnerProbe(owner), &key, &end)) return 0;
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
      if (!Seek(handle.table, key, &key, &end)) return 0;
      continue;
    }
    if (!Step(handle.table, &key, &end)) return 0;
  }
  return 1;
}
