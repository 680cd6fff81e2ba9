// The carrying rule of the to-do list and its done marks.
//
// An open item of a past day is shown on today's list, not on its own day,
// until it is marked done; marking it done moves it to the day the list
// shows, so an item carried to today is completed today and stays there.
// Marking a done item open again keeps its date, so one of a past day goes
// back to being carried.
#pragma once

#include <cstdint>

#include "data/schedule/dptodo.h"

// The day an item is shown on, today being the given day value: today for
// an open item of an earlier day, its own date otherwise.
int32_t TodoShownDay(int32_t date, bool done, int32_t today);
// Whether a day's calendar cell is marked for the item: a done item marks
// its date; an open one only when dated today or later.
bool TodoMarksItsDay(int32_t date, bool done, int32_t today);

// Tag/Untag: an open item becomes done and moves to shownDay; a done item
// becomes open again (status blank) on its own date. The item is updated
// in the table and the record as stored is given back.
int TodoToggleDone(TodoTable& handle, int32_t recordNumber, int32_t shownDay,
                   TodoRecord* result = nullptr);
int TodoMarkDone(TodoTable& handle, int32_t recordNumber, int32_t shownDay,
                 TodoRecord* result = nullptr);
int TodoMarkOpen(TodoTable& handle, int32_t recordNumber, TodoRecord* result = nullptr);
