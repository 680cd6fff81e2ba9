#include "data/schedule/todo_marks.h"

#include "storage/records/todo.h"

int32_t TodoShownDay(int32_t date, bool done, int32_t today) {
  return !done && date < today ? today : date;
}

bool TodoMarksItsDay(int32_t date, bool done, int32_t today) {
  return done || date >= today;
}

int TodoMarkDone(TodoTable& handle, int32_t recordNumber, int32_t shownDay, TodoRecord* result) {
  TodoRecord record;
  if (!TodoRead(handle, recordNumber, &record)) return 0;
  if (!record.Done()) {
    // Completed on the day the list shows, so an item carried to today
    // stays on today's list with its mark instead of going back to its
    // old day.
    record.SetStatus(records::todo::kStatusDone);
    record.SetDate(shownDay);
    if (!TodoUpdate(handle, recordNumber, record)) return 0;
  }
  if (result) *result = record;
  return 1;
}

int TodoMarkOpen(TodoTable& handle, int32_t recordNumber, TodoRecord* result) {
  TodoRecord record;
  if (!TodoRead(handle, recordNumber, &record)) return 0;
  if (record.Done()) {
    record.SetStatus(records::todo::kStatusReopened);
    if (!TodoUpdate(handle, recordNumber, record)) return 0;
  }
  if (result) *result = record;
  return 1;
}

int TodoToggleDone(TodoTable& handle, int32_t recordNumber, int32_t shownDay, TodoRecord* result) {
  TodoRecord record;
  if (!TodoRead(handle, recordNumber, &record)) return 0;
  if (record.Done()) return TodoMarkOpen(handle, recordNumber, result);
  return TodoMarkDone(handle, recordNumber, shownDay, result);
}
