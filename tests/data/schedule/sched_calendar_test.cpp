// The week rows and cells, the month view's five entries a day, and the
// small calendar's cells and marks.
#include "data/schedule/sched_calendar.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/data/schedule/sched_fixture.h"

namespace {

constexpr int32_t kAnne = 7;

using CalendarTest = SchedTableTest;
using Rows = std::vector<std::string>;

// The week's rows as "time|Sun|Mon|...|Sat": the Time column's text with
// "*" on a preset row, then each cell's description ("T" after a bracket's
// top, "L" after its bottom), or ":" where a bracket's bar passes.
Rows Grid(const WeekView& week) {
  Rows rows;
  for (size_t row = 0; row < week.rows.size(); ++row) {
    std::string text = WeekRowTimeText(week, row) + (week.rows[row].preset ? "*" : "");
    for (int day = 0; day < 7; ++day) {
      const WeekCell cell = WeekCellAt(week, row, day);
      const DayLine* l = cell.line;
      text += "|" + (l          ? l->description + (l->bracket == kBracketTop      ? "T"
                                                    : l->bracket == kBracketBottom ? "L"
                                                                                   : "")
                     : cell.bar ? ":"
                                : "");
    }
    rows.push_back(text);
  }
  return rows;
}

TEST_F(CalendarTest, WeekRowsOfTheExample) {
  // Monday 22 March: two at 9:00, one at 9:30; Tuesday: one at 9:00.
  Add(Entry(kAnne, 2027, 3, 22, 9, 0, "Mon A"));
  Add(Entry(kAnne, 2027, 3, 22, 9, 0, "Mon B"));
  Add(Entry(kAnne, 2027, 3, 22, 9, 30, "Mon C"));
  Add(Entry(kAnne, 2027, 3, 23, 9, 0, "Tue A"));
  WeekView week;
  ASSERT_EQ(SchedLoadWeek(sched, At(2027, 3, 24), kAnne, PresetHours{8, 17}, &week), 1);
  // The Time column shows 9:00 once.
  Rows expected = {" 8:00am*|||||||", " 9:00am||Mon A|Tue A||||", "||Mon B|||||",
                   " 9:30am||Mon C|||||"};
  for (const char* hour :
       {"10:00am", "11:00am", "12:00pm", " 1:00pm", " 2:00pm", " 3:00pm", " 4:00pm", " 5:00pm"})
    expected.push_back(std::string(hour) + "*|||||||");
  EXPECT_EQ(Grid(week), expected);
  EXPECT_EQ(week.rows[2].timeOfDay, 9 * 3600);
  EXPECT_EQ(week.rows[2].occurrence, 1);

  EXPECT_EQ(WeekTitle(week), "March 21 - March 27, 2027");
  EXPECT_EQ(WeekHeading(week, 0), "Sun 21");
  EXPECT_EQ(WeekHeading(week, 6), "Sat 27");
  EXPECT_EQ(WeekRowTime(week, 2, 5), At(2027, 3, 26, 9, 0));
  EXPECT_EQ(WeekRowTime(week, 2, 0), At(2027, 3, 21, 9, 0));  // Sunday
  EXPECT_EQ(WeekRowTime(week, 2, 6), At(2027, 3, 27, 9, 0));  // Saturday
}

TEST_F(CalendarTest, WeekCellsCarryABracketDownThroughEmptyRows) {
  Add(Entry(kAnne, 2027, 3, 22, 9, 0, "Workshop", 12));
  Add(Entry(kAnne, 2027, 3, 23, 10, 0, "Other day"));
  WeekView week;
  ASSERT_EQ(SchedLoadWeek(sched, At(2027, 3, 22), kAnne, PresetHours{8, 13}, &week), 1);
  EXPECT_EQ(Grid(week),
            (Rows{" 8:00am*|||||||", " 9:00am||WorkshopT|||||", "10:00am||:|Other day||||",
                  "11:00am*||:|||||", "12:00pm||L|||||", " 1:00pm*|||||||"}));
}

TEST_F(CalendarTest, OnTheNightTheClocksGoBackEveryEntryOfTheRepeatedHourHasItsCell) {
  // 7 November 2027: 1:00 to 2:00 comes twice, first daylight time, then
  // standard time. In time order: 1:30 EDT, 1:15 EST, 1:30 EST.
  const int32_t midnight = At(2027, 11, 7);
  const std::pair<int32_t, const char*> entries[] = {{midnight + 5400, "Half past, summer"},
                                                     {midnight + 8100, "Quarter past, winter"},
                                                     {midnight + 9000, "Half past, winter"}};
  for (const auto& [start, text] : entries) {
    SchedRecord r = Entry(kAnne, 2027, 11, 7, 0, 0, text);
    r.SetStart(start);
    Add(r);
  }
  WeekView week;
  ASSERT_EQ(SchedLoadWeek(sched, midnight, kAnne, PresetHours{8, 9}, &week), 1);
  EXPECT_EQ(Grid(week),
            (Rows{" 1:15am|Quarter past, winter||||||", " 1:30am|Half past, summer||||||",
                  "|Half past, winter||||||", " 8:00am*|||||||", " 9:00am*|||||||"}));
}

TEST_F(CalendarTest, UntimedEntriesMakeTheFirstRowWithoutATimeAndWeeksStayInTheYears) {
  Add(Entry(kAnne, 2027, 3, 22, -1, 0, "Holiday"));
  WeekView week;
  ASSERT_EQ(SchedLoadWeek(sched, At(2027, 3, 22), kAnne, PresetHours{0, 0}, &week), 1);
  EXPECT_EQ(Grid(week), (Rows{"||Holiday|||||", "12:00am*|||||||"}));
  EXPECT_EQ(week.rows[1].timeOfDay, 1) << "hour 0 stands at one second past midnight";
  // Weeks leaving the years are refused.
  EXPECT_TRUE(WeekInRange(At(2037, 12, 26)));
  // The week of 31 December 2037 ends in 2038.
  EXPECT_FALSE(WeekInRange(At(2037, 12, 31)));
  EXPECT_EQ(SchedLoadWeek(sched, At(2037, 12, 31), kAnne, PresetHours{}, &week), 0);
  EXPECT_FALSE(WeekInRange(At(1980, 1, 1))) << "its Sunday is 30 December 1979";
  MonthView month;
  EXPECT_EQ(SchedLoadMonth(sched, At(2037, 12, 31), kAnne, &month), 1);
  EXPECT_EQ(SchedLoadMonth(sched, At(1979, 12, 31), kAnne, &month), 0);
}

TEST_F(CalendarTest, AMonthDayKeepsItsFirstFiveEntries) {
  StandOn(2027, 3, 10);
  for (int i = 0; i < 6; ++i) Add(Entry(kAnne, 2027, 3, 15, 9 + i, 0, "Item " + std::to_string(i)));
  Add(Entry(kAnne, 2027, 3, 1, -1, 0, "First"));
  Add(Entry(kAnne, 2027, 3, 31, 23, 0, "Last"));
  Add(Entry(kAnne, 2027, 4, 1, -1, 0, "April"));
  Add(Entry(kAnne, 2027, 2, 28, 23, 0, "February"));
  Add(Entry(kAnne + 1, 2027, 3, 16, 9, 0, "Someone else"));
  MonthView month;
  ASSERT_EQ(SchedLoadMonth(sched, At(2027, 3, 20), kAnne, &month), 1);
  ASSERT_EQ(month.days[15].size(), 5u);
  EXPECT_EQ(month.days[15][4].description, "Item 4");
  EXPECT_EQ(MonthEntryText(month.days[15][0]), "9:00a Item 0");
  EXPECT_EQ(MonthEntryText(month.days[15][4]), "1:00p Item 4");
  ASSERT_EQ(month.days[1].size(), 1u);
  EXPECT_EQ(MonthEntryText(month.days[1][0]), "First");
  ASSERT_EQ(month.days[31].size(), 1u);
  EXPECT_TRUE(month.days[16].empty());
  EXPECT_TRUE(month.days[28].empty());

  // 1 March 2027 is a Monday: cell 1.
  const MonthCalendar& c = month.calendar;
  EXPECT_EQ(c.cells[0].day, 0);
  EXPECT_EQ(c.cells[1].day, 1);
  EXPECT_EQ(c.CellOf(31), 31);
  EXPECT_EQ(c.cells[32].day, 0);
  EXPECT_EQ(c.cells[c.CellOf(10)].mark, kMarkToday);
  EXPECT_EQ(c.cells[c.CellOf(15)].mark, kMarkEntries);
  EXPECT_EQ(c.cells[c.CellOf(1)].mark, kMarkEntries);
  EXPECT_EQ(c.cells[c.CellOf(16)].mark, kMarkNone);
  EXPECT_EQ(c.DayOfCell(c.CellOf(15)), At(2027, 3, 15));
  EXPECT_EQ(c.DayOfCell(0), 0);  // a blank cell is no day
  EXPECT_EQ(MonthTitle(At(2027, 3, 20)), "March, 2027");

  // 1 August 2027 is a Sunday: its entry marks the first cell.
  Add(Entry(kAnne, 2027, 8, 1, 9, 0, "Sunday the first"));
  ASSERT_EQ(SchedLoadMonth(sched, At(2027, 8, 5), kAnne, &month), 1);
  EXPECT_EQ(month.calendar.cells[0].day, 1);
  EXPECT_EQ(month.calendar.cells[0].mark, kMarkEntries);
}

TEST_F(CalendarTest, MiniCalendarMarksDaysWithEntriesButTodayStaysToday) {
  StandOn(2027, 3, 15, 14);
  Add(Entry(kAnne, 2027, 3, 15, 9, 0, "Today's"));
  Add(Entry(kAnne, 2027, 3, 20, -1, 0, "Saturday"));
  MonthCalendar c = CalendarOfMonth(At(2027, 3, 2), Today());
  ASSERT_EQ(SchedMarkCalendar(sched, kAnne, &c), 1);
  int marked = 0;
  for (const CalendarCell& cell : c.cells) marked += cell.mark != kMarkNone;
  EXPECT_EQ(marked, 2);
  EXPECT_EQ(c.cells[c.CellOf(15)].mark, kMarkToday);
  EXPECT_EQ(c.cells[c.CellOf(20)].mark, kMarkEntries);
  EXPECT_EQ(CalendarCellText(c.cells[c.CellOf(15)]), "15*");
  EXPECT_EQ(CalendarCellText(c.cells[c.CellOf(20)]), "20 ");
  EXPECT_EQ(CalendarCellText(c.cells[0]), "");
  EXPECT_EQ(DayTitle(At(2027, 3, 15)), "Monday, March 15, 2027");

  // Another month has no today.
  MonthCalendar april = CalendarOfMonth(At(2027, 4, 1), Today());
  for (const CalendarCell& cell : april.cells) EXPECT_EQ(cell.mark, kMarkNone);
  EXPECT_EQ(april.cells[4].day, 1) << "1 April 2027 is a Thursday";
}

}  // namespace
