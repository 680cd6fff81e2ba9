#include "data/schedule/dptodo.h"

#include <climits>
#include <cstring>

#include "data/local_time.h"
#include "data/schedule/day_table.h"
#include "storage/check.h"
#include "storage/errors.h"
#include "storage/records/keys.h"

namespace td = records::todo;

namespace {

constexpr std::string_view kTableName = "TODO";

using day_table::FailEnd;
using day_table::FailFull;
using day_table::Seek;
using day_table::Step;

// The text's first byte doubles as the record mark, and the priority is
// never empty (the list sorts by it).
int CheckRecord(const TodoRecord& record) {
  if (record.bytes[td::kText.offset] != kDeletedMark && record.bytes[td::kPriority.offset] != 0)
    return 1;
  SetAppError(kAppInvalidName, "TODO");
  return 0;
}

void Terminate(TodoRecord& record) {
  record.bytes[td::kText.End() - 1] = 0;
  record.bytes[td::kPriority.End() - 1] = 0;
}

TodoKey DayProbe(int32_t owner, int32_t day) {
  TodoKey probe;
  SetFieldI32(probe.bytes, td::x1::kOwner, owner);
  SetFieldI32(probe.bytes, td::x1::kDate, day);
  return probe;
}

int ReadKeyed(TodoTable& handle, const TodoKey& key, TodoRecord* record) {
  if (!TodoRead(handle, key.RecordNumber(), record)) return 0;
  if (record->Owner() != key.Owner() || record->UniqueId() != key.UniqueId() ||
      record->Date() != key.Date())
    return FailStaleEntry(handle.table);
  return 1;
}

// Where a new row goes: after every row of a lower or equal priority and
// text prefix, both compared byte for byte.
size_t InsertionPoint(const std::vector<TodoListEntry>& rows, const TodoKey& key) {
  auto below = [&](const TodoKey& a) {
    int r = CompareText(a.bytes + td::x1::kPriority.offset, key.bytes + td::x1::kPriority.offset,
                        size_t(td::x1::kPriority.width));
    if (r == 0)
      r = CompareText(a.bytes + td::x1::kPrefix.offset, key.bytes + td::x1::kPrefix.offset,
                      size_t(td::x1::kPrefix.width));
    return r <= 0;
  };
  size_t at = rows.size();
  while (at > 0 && !below(rows[at - 1].Key())) --at;
  return at;
}

}  // namespace

std::string TodoRecord::Text() const {
  return FieldText(bytes, td::kText);
}
int32_t TodoRecord::Date() const {
  return FieldI32(bytes, td::kDate);
}
std::string TodoRecord::Priority() const {
  return FieldText(bytes, td::kPriority);
}
uint8_t TodoRecord::Status() const {
  return FieldByte(bytes, td::kStatus);
}
void TodoRecord::SetText(std::string_view text) {
  SetFieldText(bytes, td::kText, std::string(text).c_str());
}
void TodoRecord::SetDate(int32_t day) {
  SetFieldI32(bytes, td::kDate, day);
}
std::string TodoPriorityProblem(std::string_view priority) {
  if (priority.find_first_not_of(' ') == std::string_view::npos) return "Must enter PRIORITY:";
  if (priority.size() > size_t(kMaxTodoPriority))
    return "A priority is at most " + std::to_string(kMaxTodoPriority) + " characters.";
  for (char c : priority) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F)
      return "A priority cannot hold a control character such as a tab.";
  }
  return std::string();
}

void TodoRecord::SetPriority(std::string_view priority) {
  SetFieldText(bytes, td::kPriority, std::string(priority).c_str());
}
void TodoRecord::SetStatus(uint8_t status) {
  SetFieldByte(bytes, td::kStatus, status);
}

int32_t TodoKey::Date() const {
  return FieldI32(bytes, td::x1::kDate);
}
std::string TodoKey::Priority() const {
  return FieldText(bytes, td::x1::kPriority);
}
uint8_t TodoKey::Status() const {
  return FieldByte(bytes, td::x1::kStatus);
}
std::string TodoKey::Prefix() const {
  return FieldText(bytes, td::x1::kPrefix);
}

TodoKey TodoKeyOf(const TodoRecord& record, int32_t recordNumber) {
  return day_table::KeyOf<TodoKey>(record, recordNumber, BuildTodoX1);
}

TodoKey TodoListEntry::Key() const {
  TodoKey key;
  std::memcpy(key.bytes, bytes + todo_list::kKey.offset, sizeof key.bytes);
  return key;
}
int32_t TodoListEntry::RecordNumber() const {
  return FieldI32(bytes, kEntryRecordNumber);
}
std::string TodoListEntry::Text() const {
  return FieldText(bytes, todo_list::kText);
}

int TodoOpen(TodoTable& handle) {
  return HandleOpen(handle);
}

int TodoClose(TodoTable& handle) {
  return HandleClose(handle);
}

bool TodoDuplicate() {
  return AppErrorCode() == kAppDuplicate;
}

int TodoRead(TodoTable& handle, int32_t recordNumber, TodoRecord* record) {
  if (!HandleReady(handle)) return 0;
  if (!DbReadRecord(handle.table, recordNumber, record->bytes)) return 0;
  Terminate(*record);
  return 1;
}

int TodoFindFirst(TodoTable& handle, int32_t day, int32_t owner, TodoKey* key) {
  if (!HandleReady(handle)) return 0;
  int32_t first = DayOf(day);
  TodoKey found;
  bool end = false;
  if (!Seek(handle.table, DayProbe(owner, first), &found, &end)) return 0;
  if (end || found.Owner() != owner || found.Date() != first) return FailEnd();
  if (key) *key = found;
  return 1;
}

int TodoNext(TodoTable& handle, TodoKey* key) {
  return day_table::Next(handle, key);
}

int TodoFindKey(TodoTable& handle, const TodoKey& key, int32_t* recordNumber, TodoKey* found) {
  return day_table::FindKey(handle, key, recordNumber, found);
}

int TodoCount(TodoTable& handle, int32_t day, int32_t owner, int* count) {
  if (!HandleReady(handle)) return 0;
  int32_t first = DayOf(day);
  int n = 0;
  TodoKey key;
  bool end = false;
  if (!Seek(handle.table, DayProbe(owner, first), &key, &end)) return 0;
  while (!end && key.Owner() == owner && key.Date() == first) {
    ++n;
    if (!Step(handle.table, &key, &end)) return 0;
  }
  *count = n;
  return 1;
}

int TodoAdd(TodoTable& handle, TodoRecord& record, int32_t* recordNumber) {
  if (!HandleReady(handle)) return 0;
  if (!CheckRecord(record)) return 0;
  Terminate(record);
  // Items are found by their day's key run, so the date is kept a day.
  record.SetDate(DayOf(record.Date()));
  int count = 0;
  if (!TodoCount(handle, record.Date(), record.Owner(), &count)) return 0;
  if (count >= kMaxTodoItems) return FailFull();
  return day_table::Append(handle.table, record, record.Priority(), recordNumber);
}

int TodoUpdate(TodoTable& handle, int32_t recordNumber, TodoRecord& record) {
  if (!HandleReady(handle)) return 0;
  if (!CheckRecord(record)) return 0;
  Terminate(record);
  record.SetDate(DayOf(record.Date()));
  TodoRecord stored;
  if (!TodoRead(handle, recordNumber, &stored)) return 0;
  // An item that stays on its day leaves the day's count as it is; one
  // moving to a full day would make it 257.
  bool sameDay = stored.Owner() == record.Owner() && stored.Date() == record.Date();
  if (!sameDay) {
    int count = 0;
    if (!TodoCount(handle, record.Date(), record.Owner(), &count)) return 0;
    if (count >= kMaxTodoItems) return FailFull();
  }
  return day_table::Replace(handle.table, recordNumber, stored,
                            TodoKeyOf(stored, recordNumber).bytes, record, kTableName,
                            record.Priority());
}

int TodoRemove(TodoTable& handle, int32_t recordNumber) {
  auto read = [&handle](int32_t number, TodoRecord* record) {
    return TodoRead(handle, number, record);
  };
  return day_table::Remove<TodoRecord>(handle, recordNumber, read, kTableName);
}

int TodoAddCopyFor(TodoTable& handle, const TodoRecord& record, int32_t newOwner) {
  return day_table::AddCopyFor(handle, record, newOwner,
                               [&handle](TodoRecord& copy) { return TodoAdd(handle, copy); });
}

int TodoCollect(TodoTable& handle, int32_t day, int32_t owner, bool carryForward, int capacity,
                std::vector<TodoListEntry>* entries) {
  if (!HandleReady(handle)) return 0;
  entries->clear();
  int32_t shown = DayOf(day);
  int32_t today = Today();
  int limit = capacity < kMaxTodoItems ? capacity : kMaxTodoItems;
  // Today's list starts at the owner's first item, since open items of
  // every earlier day are carried to it.
  TodoKey key;
  bool end = false;
  if (!Seek(handle.table, DayProbe(owner, carryForward ? INT32_MIN : shown), &key, &end)) return 0;
  while (!end && key.Owner() == owner && key.Date() <= shown) {
    bool taken;
    if (carryForward)
      taken = !key.Done() || key.Date() == shown;
    else
      taken = key.Date() == shown && (key.Done() || key.Date() > today);
    if (taken) {
      // A full list ends the collection with what it holds.
      if (int(entries->size()) >= limit) break;
      TodoRecord record;
      if (!ReadKeyed(handle, key, &record)) return 0;
      TodoListEntry row;
      std::memcpy(row.bytes + todo_list::kKey.offset, key.bytes, sizeof key.bytes);
      SetFieldText(row.bytes, todo_list::kText, record.Text().c_str());
      entries->insert(entries->begin() + std::ptrdiff_t(InsertionPoint(*entries, key)), row);
      // The walk of the index is where it was: reading a record does not
      // move it.
    }
    if (!Step(handle.table, &key, &end)) return 0;
  }
  return 1;
}
