// dpsched: the "SCHED" table of every person's schedule entries, and the
// office-wide schedule under owner -1 ("* COMMON").
//
// Entries are plain records; the index X1 orders them by owner, start,
// description prefix and unique id, so one person's day is a contiguous
// run of keys beginning at (owner, day). A day holds at most 40 day lines:
// an entry without an end time takes one line, one with an end time two.
// Repeated entries share a repeat group number; the group operations here
// walk the owner's keys and restart their walk after every write, since
// other workstations may change the index between steps.
//
// Every function answers 1 or 0 and leaves the application error on 0:
// 1022 with an empty name when the day's limit refuses a record, 1018 with
// an empty name when a search runs past the owner's or the day's keys,
// index code 8 (SchedDuplicate() tells) for a key that is already there,
// 1015 for an index entry whose record does not carry it, engine failures
// as the reporter translates them.
#pragma once

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/field_problem.h"
#include "data/schedule/day_record.h"
#include "data/table_handle.h"
#include "storage/catalogue.h"
#include "storage/records/sched.h"

constexpr int kMaxDayLines = 40;
constexpr int32_t kCommonScheduleOwner = records::sched::kCommonOwner;  // -1
constexpr const char* kCommonScheduleName = "* COMMON";
constexpr int kMaxSchedDescription = records::sched::kDescription.width - 1;  // 52
constexpr int kMaxSchedNote = records::sched::kNote.width - 1;                // 181

// A schedule record as stored (layout in storage/records/sched.h).
struct SchedRecord : DayRecordBytes<records::sched::kRecordSize, records::sched::kOwner,
                                    records::sched::kUniqueId, records::sched::kChangeCount> {
  std::string Description() const;
  int32_t Start() const;
  int32_t End() const;
  int32_t Alarm() const;
  std::string Note() const;
  int32_t RepeatGroup() const;
  // Texts are cut to their field's width; the description to 52 bytes.
  void SetDescription(std::string_view text);
  void SetStart(int32_t time);
  void SetEnd(int32_t time);
  void SetAlarm(int32_t time);
  void SetNote(std::string_view text);
  void SetRepeatGroup(int32_t group);
};

// An entry of X1: record number, owner, start, end, alarm, the first 19
// characters of the description, repeat group, unique id, change count.
struct SchedKey : DayKeyBytes<records::sched::x1::kLength, records::sched::x1::kOwner,
                              records::sched::x1::kUniqueId, records::sched::x1::kChangeCount> {
  int32_t Start() const;
  int32_t End() const;
  int32_t Alarm() const;
  std::string Prefix() const;
  int32_t RepeatGroup() const;
};

// The key the index holds for a record stored at recordNumber.
SchedKey SchedKeyOf(const SchedRecord& record, int32_t recordNumber);

struct SchedTable : TableHandle {
  SchedTable() : TableHandle(kSchedTable) {}
};

int SchedOpen(SchedTable& handle);
int SchedClose(SchedTable& handle);

// Whether the last failure was a key refused as a duplicate by the index.
bool SchedDuplicate();

// Reads a record. A deleted record fails with engine code 8.
int SchedRead(SchedTable& handle, int32_t recordNumber, SchedRecord* record);
// The first key of (owner, day); the day is normalised to its 00:00:00
// first. 1018 when the owner has no entry on that day.
int SchedFindFirst(SchedTable& handle, int32_t day, int32_t owner, SchedKey* key);
// The next key in index order, whoever's it is; 1018 at the end.
int SchedNext(SchedTable& handle, SchedKey* key);
// Positions at the first key not below the given one (its record number
// is not compared); 1018 when there is none. found gets that key.
int SchedFindKey(SchedTable& handle, const SchedKey& key, int32_t* recordNumber,
                 SchedKey* found = nullptr);
// The day lines of (owner, day): one per entry, one more per entry with an
// end time. 0 for an empty day.
int SchedCountLines(SchedTable& handle, int32_t day, int32_t owner, int* count);

// Adds the record, refused with 1022 when its day already holds 40 or more
// lines (so 39 lines and an entry with an end time give 41). A unique id of
// 0 is replaced by a new one from the table's counter, written back into
// the record. recordNumber gets the new record's number.
int SchedAdd(SchedTable& handle, SchedRecord& record, int32_t* recordNumber = nullptr);
// Replaces the stored record with this one (change count raised, written
// back into the record) and moves its key. Refused with 1022 when the new
// day already holds 40 lines and the update would add lines to it: moving
// to such a day, or giving an entry of it an end time. An update that does
// not add lines to its day always passes.
int SchedUpdate(SchedTable& handle, int32_t recordNumber, SchedRecord& record);
// Deletes the record; one that is already deleted counts as deleted. A
// record held by another workstation fails with engine code 9 and 1012.
int SchedRemove(SchedTable& handle, int32_t recordNumber);
// Adds a copy of the record for another owner, with a new unique id. A
// copy that is already there counts as made.
int SchedAddCopyFor(SchedTable& handle, const SchedRecord& record, int32_t newOwner);
// Copies every entry of fromOwner in the repeat group to toOwner.
int SchedCopyGroup(SchedTable& handle, int32_t fromOwner, int32_t toOwner, int32_t repeatGroup);
// Deletes every entry of the owner in the repeat group; entries copied to
// other people keep theirs. With fromStart, only the entries starting then
// or later go (an entry and the ones after it).
int SchedRemoveGroup(SchedTable& handle, int32_t owner, int32_t repeatGroup,
                     int32_t fromStart = INT32_MIN);
// Carries an edited entry to every entry of its group (the entry itself
// too): each keeps its own date, record number, unique id and change count
// and takes the edited entry's clock times, description, note and alarm.
// The record must have a repeat group.
int SchedChangeGroup(SchedTable& handle, const SchedRecord& edited);

// What a live schedule record holds that no schedule entry can, one
// problem a field: a description that is empty or without its NUL inside
// its width, an owner that is neither -1 (the common schedule) nor a number
// the name table issued (1 to nameLastIssued; a removed person's entries
// stay under their number), an end that is not 0 and not later than the
// start or not within a day of it, an alarm that is not 0 and not within a
// day of the start, a note without its NUL, a repeat group that is neither
// 0 nor a number the table issued, and a unique id outside 1 to lastIssued
// (the table header's last issued number). Whether a unique id is used by
// one record only is the caller's to see across the table.
std::vector<FieldProblem> SchedRecordProblems(const SchedRecord& record, uint32_t lastIssued,
                                              uint32_t nameLastIssued);
