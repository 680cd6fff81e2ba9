// The week and month layouts of a schedule and the small month calendar
// beside the day view: what each row, cell and mark holds, without the
// drawing.
//
// A week is Sunday to Saturday, laid out as rows of (time of day,
// occurrence): the second entry at 9:00 on any day of the week makes a
// second 9:00 row for the whole week, so entries at the same time stand
// side by side. A month is six weeks of seven cells, Sunday first; each
// day of the month keeps its first five entries.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "data/schedule/dpsched.h"
#include "data/schedule/sched_daylines.h"

// ---- The mini calendar and the month grid ----

constexpr int kCalendarCells = 42;
constexpr uint8_t kMarkNone = 0;
constexpr uint8_t kMarkEntries = 1;
constexpr uint8_t kMarkToday = 2;

// A cell: the day of the month (0 outside the month) and its mark.
struct CalendarCell {
  uint8_t day = 0;
  uint8_t mark = kMarkNone;
};

struct MonthCalendar {
  int year = 0;
  int month = 0;
  std::array<CalendarCell, kCalendarCells> cells{};
  // The cell of a day of the month, -1 for none.
  int CellOf(int day) const;
  // The day value of a cell, 0 outside the month.
  int32_t DayOfCell(int cell) const;
};

// The month of the day's date laid out: the 1st in the cell of its
// weekday, today's cell (when in that month) marked 2.
MonthCalendar CalendarOfMonth(int32_t day, int32_t today);
// Marks 1 on every day of the calendar's month that holds an entry of the
// owner, except today's cell.
int SchedMarkCalendar(SchedTable& handle, int32_t owner, MonthCalendar* calendar);
// "%d*" for today, "%d " for another day, "" outside the month.
std::string CalendarCellText(const CalendarCell& cell);
// "%s, %4d": month name and year (above the calendar and the month view).
std::string MonthTitle(int32_t day);
// "%s, %s %d, %4d": weekday, month, day and year (above the day's list).
std::string DayTitle(int32_t day);

// Whether the day's month lies in 1980 to 2037, so the views can show it.
bool MonthInRange(int32_t day);

// ---- The month view ----

constexpr int kMonthEntriesPerDay = 5;

struct MonthView {
  MonthCalendar calendar;
  // Per day of the month (index 1 to 31): its first five entries in key
  // order, as start lines.
  std::array<std::vector<DayLine>, 32> days;
};

// Loads the month of the day's date for the owner; today from the clock.
// A month outside 1980 to 2037 is refused with 1017 under the date.
int SchedLoadMonth(SchedTable& handle, int32_t day, int32_t owner, MonthView* view);
// A kept entry as its cell shows it: "%d:%02d%c %s" with "a" or "p" for a
// timed entry, the description alone for an untimed one.
std::string MonthEntryText(const DayLine& line);

// ---- The week view ----

constexpr int kMaxWeekRows = 304;

struct WeekRow {
  int32_t timeOfDay = 0;  // seconds past midnight by the wall clock
  int occurrence = 0;     // 0 for the first line of a day at that time
  bool preset = false;    // added for a preset hour, holds no line
};

// Where a line stands in the week: its (time of day, occurrence) row.
using WeekSlot = std::pair<int32_t, int>;

struct WeekView {
  std::array<int32_t, 7> days{};  // Sunday to Saturday, day values
  std::array<std::vector<DayLine>, 7> lines;
  std::vector<WeekRow> rows;
  // Each line's slot, worked out once with the rows: a cell is looked up
  // for every row and day, and a line's time of day goes through the time
  // zone.
  std::array<std::vector<WeekSlot>, 7> lineSlots;
};

// What a day's cell of a row shows: the line standing there, or none and
// perhaps a bar that carries a bracket on through the cell.
struct WeekCell {
  const DayLine* line = nullptr;
  bool bar = false;
};

// The Sunday on or before the day.
int32_t WeekStart(int32_t day);
// Whether the week's Sunday and Saturday both lie in 1980 to 2037.
bool WeekInRange(int32_t day);
// The rows of the week from its day lines: every (time of day, occurrence)
// that some day has, then a preset row for each hour of the preset hours
// that is not there yet (hour 0 at one second past midnight), in order of
// time and occurrence, at most 304.
void BuildWeekRows(WeekView& view, PresetHours hours);
// Builds each day's lines (without slots) and the rows. A week leaving
// 1980 to 2037 is refused with 1017 under the date.
int SchedLoadWeek(SchedTable& handle, int32_t day, int32_t owner, PresetHours hours,
                  WeekView* view);
// The cell of a row on one weekday, from the slots BuildWeekRows keeps.
WeekCell WeekCellAt(const WeekView& view, size_t row, int weekday);
// The time column of a row: nothing for the untimed row (midnight exactly)
// and for a row at the same time as the one above, else "%2d:%02d%s".
std::string WeekRowTimeText(const WeekView& view, size_t row);
// The day of a row on one weekday at the row's time, for a new entry put
// into an empty cell.
int32_t WeekRowTime(const WeekView& view, size_t row, int weekday);
// "%s %d - %s %d, %4d": first day's month and day, last day's month, day
// and year.
std::string WeekTitle(const WeekView& view);
// "%s %d": weekday abbreviation and day of the month.
std::string WeekHeading(const WeekView& view, int weekday);
