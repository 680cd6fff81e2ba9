// dptodo: the "TODO" table of every person's to-do items.
//
// An item belongs to a date and stays on the list until it is marked done
// (status 251). The index X1 orders items by owner, date, priority text,
// text prefix and unique id; a day holds at most 256 items. An open item of
// a past day is shown on today's list instead of its own (carrying), which
// is what TodoCollect's two modes implement.
//
// Every function answers 1 or 0 and leaves the application error on 0, as
// dpsched does: 1022 (empty name) for the limit, 1018 (empty name) past the
// owner's or day's keys, index code 8 for a duplicate key (TodoDuplicate()).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/field_problem.h"
#include "data/schedule/day_record.h"
#include "data/table_handle.h"
#include "storage/catalogue.h"
#include "storage/records/todo.h"

constexpr int kMaxTodoItems = 256;
constexpr int kMaxTodoText = records::todo::kText.width - 1;          // 245
constexpr int kMaxTodoPriority = records::todo::kPriority.width - 1;  // 3
// Why a text cannot be an item's priority, as the sentence the user sees;
// empty when it can. A priority is 1 to 3 characters, not all blanks, and
// holds no control character (the to-do rows are the priority and the text
// between tabs, so a tab or line break in it would split a row).
std::string TodoPriorityProblem(std::string_view priority);

// A to-do record as stored (layout in storage/records/todo.h).
struct TodoRecord : DayRecordBytes<records::todo::kRecordSize, records::todo::kOwner,
                                   records::todo::kUniqueId, records::todo::kChangeCount> {
  std::string Text() const;
  int32_t Date() const;
  std::string Priority() const;
  uint8_t Status() const;
  bool Done() const { return Status() == records::todo::kStatusDone; }
  // Texts are cut to their field's width.
  void SetText(std::string_view text);
  void SetDate(int32_t day);
  void SetPriority(std::string_view priority);
  void SetStatus(uint8_t status);
};

// An entry of X1: record number, owner, date, priority, status, the first
// 23 characters of the text, unique id, change count.
struct TodoKey : DayKeyBytes<records::todo::x1::kLength, records::todo::x1::kOwner,
                             records::todo::x1::kUniqueId, records::todo::x1::kChangeCount> {
  int32_t Date() const;
  std::string Priority() const;
  uint8_t Status() const;
  bool Done() const { return Status() == records::todo::kStatusDone; }
  std::string Prefix() const;
};

TodoKey TodoKeyOf(const TodoRecord& record, int32_t recordNumber);

// One row of the to-do window's list (100 bytes): the item's key, then the
// first 52 characters of its text, NUL-terminated at the entry's last byte.
//
//   offset width content
//   0      47    the item's X1 key
//   47     53    text, at most 52 characters
namespace todo_list {
constexpr int kLength = 100;
constexpr Field kKey{0, records::todo::x1::kLength};
constexpr Field kText{47, 53};
static_assert(kText.End() == kLength);
}  // namespace todo_list

struct TodoListEntry {
  uint8_t bytes[todo_list::kLength] = {};
  TodoKey Key() const;
  int32_t RecordNumber() const;
  std::string Text() const;
};

struct TodoTable : TableHandle {
  TodoTable() : TableHandle(kTodoTable) {}
};

int TodoOpen(TodoTable& handle);
int TodoClose(TodoTable& handle);

bool TodoDuplicate();

int TodoRead(TodoTable& handle, int32_t recordNumber, TodoRecord* record);
// The first key of (owner, day), the day normalised first; 1018 when the
// owner has no item on that day.
int TodoFindFirst(TodoTable& handle, int32_t day, int32_t owner, TodoKey* key);
int TodoNext(TodoTable& handle, TodoKey* key);
int TodoFindKey(TodoTable& handle, const TodoKey& key, int32_t* recordNumber,
                TodoKey* found = nullptr);
// The items of (owner, day).
int TodoCount(TodoTable& handle, int32_t day, int32_t owner, int* count);

// Adds the item, refused with 1022 when its day holds 256 already. The
// date is normalised to its day; a unique id of 0 is replaced by a new one.
int TodoAdd(TodoTable& handle, TodoRecord& record, int32_t* recordNumber = nullptr);
// Replaces the stored item (change count raised) and moves its key.
// Refused with 1022 only when the item moves to another day (or owner) that
// already holds 256 items.
int TodoUpdate(TodoTable& handle, int32_t recordNumber, TodoRecord& record);
// Deletes the item; one already deleted counts as deleted.
int TodoRemove(TodoTable& handle, int32_t recordNumber);
// Adds a copy for another owner (date, priority, status and text kept,
// new unique id); a copy already there counts as made.
int TodoAddCopyFor(TodoTable& handle, const TodoRecord& record, int32_t newOwner);

// The rows of the to-do window for (owner, day), sorted by priority text,
// then text prefix, at most min(capacity, 256).
// Without carry-forward (a day other than today): the day's done items and,
// when the day lies after today, its open items.
// With carry-forward (today): every open item dated up to the day, and the
// done items of the day itself.
// Succeeds with what it holds when the list fills up.
int TodoCollect(TodoTable& handle, int32_t day, int32_t owner, bool carryForward, int capacity,
                std::vector<TodoListEntry>* entries);

// What a live to-do record holds that no item can, one problem a field: a
// text without its NUL inside its width, an owner that is neither -1 nor a
// number the name table issued (1 to nameLastIssued; a removed person's
// items stay under their number), a priority that is empty or without its
// NUL, and a unique id outside 1 to lastIssued (the table header's last
// issued number). Whether a unique id is used by one record only is the
// caller's to see across the table.
std::vector<FieldProblem> TodoRecordProblems(const TodoRecord& record, uint32_t lastIssued,
                                             uint32_t nameLastIssued);
