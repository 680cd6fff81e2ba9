#include "data/schedule/sched_calendar.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "data/clock.h"
#include "data/local_time.h"
#include "data/schedule/sched_time_text.h"
#include "storage/errors.h"

namespace sc = records::sched;

namespace {

bool WalkEnded() {
  return AppErrorCode() == kAppEndOfFile && DbGetError() == kDbOk;
}

bool YearInRange(int year) {
  return year >= kFirstYear && year <= kLastYear;
}

int RefuseDate(int32_t day) {
  SetAppError(kAppNotFound, DateText(day));
  return 0;
}

int32_t FirstOfMonth(int32_t day) {
  LocalTime l = ToLocal(day);
  return FromLocal(l.year, l.month, 1);
}

// The (time of day, occurrence) of every line of a day, in line order.
// A time's occurrence counts every earlier line at that wall-clock time,
// not only the line before: on the night the clocks go back, 1:30 daylight
// time, 1:15 and 1:30 standard time stand in that order, and the second
// 1:30 must not take the first one's row.
std::vector<WeekSlot> Slots(const std::vector<DayLine>& lines) {
  std::vector<WeekSlot> out;
  for (size_t i = 0; i < lines.size(); ++i) {
    const int32_t tod = TimeOfDay(lines[i].time);
    const auto occurrence =
        std::count_if(out.begin(), out.end(), [tod](const WeekSlot& s) { return s.first == tod; });
    out.emplace_back(tod, int(occurrence));
  }
  return out;
}

}  // namespace

// ---- Calendar ----

int MonthCalendar::CellOf(int day) const {
  for (int i = 0; i < kCalendarCells; ++i)
    if (cells[i].day == day && day != 0) return i;
  return -1;
}

int32_t MonthCalendar::DayOfCell(int cell) const {
  if (cell < 0 || cell >= kCalendarCells || cells[cell].day == 0) return 0;
  return FromLocal(year, month, cells[cell].day);
}

MonthCalendar CalendarOfMonth(int32_t day, int32_t today) {
  MonthCalendar c;
  LocalTime l = ToLocal(day);
  c.year = l.year;
  c.month = l.month;
  int first = ToLocal(FromLocal(l.year, l.month, 1)).weekday;
  int days = DaysInMonth(l.year, l.month);
  LocalTime t = ToLocal(today);
  for (int d = 1; d <= days; ++d) {
    CalendarCell& cell = c.cells[first + d - 1];
    cell.day = uint8_t(d);
    if (today != 0 && t.year == l.year && t.month == l.month && t.day == d) cell.mark = kMarkToday;
  }
  return c;
}

namespace {

// Walks the owner's keys that start from first to before next and calls
// visit for each; a visit answering 0 fails the walk.
template <typename Visit>
int WalkMonthKeys(SchedTable& handle, int32_t owner, int32_t first, int32_t next, Visit visit) {
  SchedKey probe;
  SetFieldI32(probe.bytes, sc::x1::kOwner, owner);
  SetFieldI32(probe.bytes, sc::x1::kStart, first);
  SchedKey key;
  ClearAppError();
  int ok = SchedFindKey(handle, probe, nullptr, &key);
  while (ok && key.Owner() == owner && key.Start() < next) {
    if (!visit(key)) return 0;
    ClearAppError();
    ok = SchedNext(handle, &key);
  }
  if (!ok && !WalkEnded()) return 0;
  ClearAppError();
  return 1;
}

// A day with entries is marked so, unless it is today.
void MarkEntries(MonthCalendar& calendar, int dayOfMonth) {
  int cell = calendar.CellOf(dayOfMonth);
  if (cell >= 0 && calendar.cells[cell].mark != kMarkToday)
    calendar.cells[cell].mark = kMarkEntries;
}

}  // namespace

int SchedMarkCalendar(SchedTable& handle, int32_t owner, MonthCalendar* calendar) {
  int32_t first = FromLocal(calendar->year, calendar->month, 1);
  int32_t next = FromLocal(calendar->year, calendar->month + 1, 1);
  return WalkMonthKeys(handle, owner, first, next, [calendar](const SchedKey& key) {
    MarkEntries(*calendar, ToLocal(key.Start()).day);
    return 1;
  });
}

std::string CalendarCellText(const CalendarCell& cell) {
  if (cell.day == 0) return {};
  return std::to_string(cell.day) + (cell.mark == kMarkToday ? "*" : " ");
}

std::string MonthTitle(int32_t day) {
  LocalTime l = ToLocal(day);
  char text[48];
  std::snprintf(text, sizeof text, "%s, %4d", MonthName(l.month), l.year);
  return text;
}

std::string DayTitle(int32_t day) {
  LocalTime l = ToLocal(day);
  char text[64];
  std::snprintf(text, sizeof text, "%s, %s %d, %4d", WeekdayName(l.weekday), MonthName(l.month),
                l.day, l.year);
  return text;
}

bool MonthInRange(int32_t day) {
  return YearInRange(ToLocal(day).year);
}

// ---- Month view ----

int SchedLoadMonth(SchedTable& handle, int32_t day, int32_t owner, MonthView* view) {
  if (!MonthInRange(day)) return RefuseDate(day);
  view->calendar = CalendarOfMonth(day, Today());
  for (auto& d : view->days) d.clear();
  int32_t first = FirstOfMonth(day);
  LocalTime l = ToLocal(first);
  int32_t next = FromLocal(l.year, l.month + 1, 1);

  return WalkMonthKeys(handle, owner, first, next, [&handle, view](const SchedKey& key) {
    int dayOfMonth = ToLocal(key.Start()).day;
    std::vector<DayLine>& kept = view->days[dayOfMonth];
    if (int(kept.size()) >= kMonthEntriesPerDay) return 1;
    SchedRecord record;
    if (SchedRead(handle, key.RecordNumber(), &record)) {
      DayLine line;
      line.key = key;
      line.time = key.Start();
      line.end = key.End();
      line.description = record.Description();
      kept.push_back(line);
      MarkEntries(view->calendar, dayOfMonth);
    } else if (DbGetError() == kDbRecordDeleted) {
      DbClearError();  // deleted meanwhile at another workstation
    } else {
      return 0;
    }
    return 1;
  });
}

std::string MonthEntryText(const DayLine& line) {
  // One trip through the time zone gives both the date, for the untimed
  // test (the line at its day's midnight), and the clock time.
  const LocalTime l = ToLocal(line.time);
  if (line.time != 0 && line.time == FromLocal(l.year, l.month, l.day)) return line.description;
  return ClockText(l.hour, l.minute, ClockForm::kCell) + " " + line.description;
}

// ---- Week view ----

int32_t WeekStart(int32_t day) {
  return AddDays(day, -ToLocal(day).weekday);
}

bool WeekInRange(int32_t day) {
  int32_t sunday = WeekStart(day);
  return YearInRange(ToLocal(sunday).year) && YearInRange(ToLocal(AddDays(sunday, 6)).year);
}

void BuildWeekRows(WeekView& view, PresetHours hours) {
  std::vector<WeekRow> rows;
  auto has = [&rows](int32_t tod, int occurrence) {
    return std::any_of(rows.begin(), rows.end(), [&](const WeekRow& r) {
      return r.timeOfDay == tod && r.occurrence == occurrence;
    });
  };
  for (int d = 0; d < 7; ++d) {
    view.lineSlots[size_t(d)] = Slots(view.lines[size_t(d)]);
    for (const auto& [tod, occurrence] : view.lineSlots[size_t(d)])
      if (!has(tod, occurrence)) rows.push_back({tod, occurrence, false});
  }
  for (int h = hours.first; h <= hours.last; ++h) {
    int32_t tod = h == 0 ? 1 : h * 3600;
    if (!has(tod, 0)) rows.push_back({tod, 0, true});
  }
  std::stable_sort(rows.begin(), rows.end(), [](const WeekRow& a, const WeekRow& b) {
    return a.timeOfDay != b.timeOfDay ? a.timeOfDay < b.timeOfDay : a.occurrence < b.occurrence;
  });
  if (rows.size() > size_t(kMaxWeekRows)) rows.resize(kMaxWeekRows);
  view.rows = std::move(rows);
}

int SchedLoadWeek(SchedTable& handle, int32_t day, int32_t owner, PresetHours hours,
                  WeekView* view) {
  if (!WeekInRange(day)) return RefuseDate(day);
  int32_t sunday = WeekStart(day);
  for (int d = 0; d < 7; ++d) {
    view->days[d] = AddDays(sunday, d);
    if (!SchedBuildDayLines(handle, view->days[d], owner, nullptr, &view->lines[d])) return 0;
  }
  BuildWeekRows(*view, hours);
  return 1;
}

WeekCell WeekCellAt(const WeekView& view, size_t row, int weekday) {
  WeekCell cell;
  if (row >= view.rows.size() || weekday < 0 || weekday > 6) return cell;
  const WeekRow& r = view.rows[row];
  const std::vector<DayLine>& lines = view.lines[size_t(weekday)];
  const std::vector<WeekSlot>& slots = view.lineSlots[size_t(weekday)];
  const WeekSlot wanted(r.timeOfDay, r.occurrence);
  // Not a binary search: on the night the clocks go back, a later line can
  // stand at an earlier wall-clock time.
  const DayLine* previous = nullptr;
  for (size_t i = 0; i < lines.size() && i < slots.size(); ++i) {
    if (slots[i] == wanted) {
      cell.line = &lines[i];
      return cell;
    }
    if (slots[i] < wanted) previous = &lines[i];
  }
  cell.bar = previous && (previous->bracket == kBracketTop || previous->bracket == kBracketBar ||
                          previous->overlap);
  return cell;
}

std::string WeekRowTimeText(const WeekView& view, size_t row) {
  if (row >= view.rows.size()) return {};
  int32_t tod = view.rows[row].timeOfDay;
  if (tod == 0) return {};
  if (row > 0 && view.rows[row - 1].timeOfDay == tod) return {};
  return ClockText(tod / 3600, tod / 60 % 60, ClockForm::kListPadded);
}

int32_t WeekRowTime(const WeekView& view, size_t row, int weekday) {
  if (row >= view.rows.size() || weekday < 0 || weekday > 6) return 0;
  int32_t tod = view.rows[row].timeOfDay;
  LocalTime d = ToLocal(view.days[weekday]);
  return FromLocal(d.year, d.month, d.day, tod / 3600, tod / 60 % 60, tod % 60);
}

std::string WeekTitle(const WeekView& view) {
  LocalTime first = ToLocal(view.days[0]);
  LocalTime last = ToLocal(view.days[6]);
  char text[80];
  std::snprintf(text, sizeof text, "%s %d - %s %d, %4d", MonthName(first.month), first.day,
                MonthName(last.month), last.day, last.year);
  return text;
}

std::string WeekHeading(const WeekView& view, int weekday) {
  if (weekday < 0 || weekday > 6) return {};
  return WeekdayAbbrev(weekday) + " " + std::to_string(ToLocal(view.days[weekday]).day);
}
