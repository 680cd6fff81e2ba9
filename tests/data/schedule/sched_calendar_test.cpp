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

TEST_F(CalendarTest, WeekRowsOfTheExample) {
  // Monday 22 March: two at 9:00, one at 9:30; Tuesday: one at 9:00.
  Add(Entry(kAnne, 2027, 3, 22, 9, 0, "Mon A"));
  Add(Entry(kAnne, 2027, 3, 22, 9, 0, "Mon B"));
  Add(Entry(kAnne, 2027, 3, 22, 9, 30, "Mon C"));
  Add(Entry(kAnne, 2027, 3, 23, 9, 0, "Tue A"));
  WeekView week;
  ASSERT_EQ(SchedLoadWeek(sched, At(2027, 3, 24), kAnne, PresetHours{8, 17}, &week), 1);

  std::vector<std::pair<std::string, int>> rows;
  for (const WeekRow& r : week.rows)
    rows.emplace_back(
        std::to_string(r.timeOfDay / 3600) + ":" + std::to_string(r.timeOfDay / 60 % 60),
        r.occurrence);
  std::vector<std::pair<std::string, int>> expected = {
      {"8:0", 0}, {"9:0", 0}, {"9:0", 1}, {"9:30", 0}};
  for (int h = 10; h <= 17; ++h) expected.emplace_back(std::to_string(h) + ":0", 0);
  EXPECT_EQ(rows, expected);
  EXPECT_TRUE(week.rows[0].preset);
  EXPECT_FALSE(week.rows[1].preset);
  EXPECT_FALSE(week.rows[3].preset);
  EXPECT_TRUE(week.rows[4].preset);

  // The Time column shows 9:00 once.
  EXPECT_EQ(WeekRowTimeText(week, 0), " 8:00am");
  EXPECT_EQ(WeekRowTimeText(week, 1), " 9:00am");
  EXPECT_EQ(WeekRowTimeText(week, 2), "");
  EXPECT_EQ(WeekRowTimeText(week, 3), " 9:30am");
  EXPECT_EQ(WeekRowTimeText(week, 11), " 5:00pm");

  // Cells: Monday holds both 9:00 rows, Tuesday only the first.
  ASSERT_NE(WeekCellAt(week, 1, 1).line, nullptr);
  EXPECT_EQ(WeekCellAt(week, 1, 1).line->description, "Mon A");
  EXPECT_EQ(WeekCellAt(week, 2, 1).line->description, "Mon B");
  EXPECT_EQ(WeekCellAt(week, 3, 1).line->description, "Mon C");
  EXPECT_EQ(WeekCellAt(week, 1, 2).line->description, "Tue A");
  EXPECT_EQ(WeekCellAt(week, 2, 2).line, nullptr);
  EXPECT_EQ(WeekCellAt(week, 1, 0).line, nullptr);

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
  // Rows 8, 9 (Workshop), 10, 11, 12 (its end), 13.
  ASSERT_EQ(week.rows.size(), 6u);
  EXPECT_FALSE(WeekCellAt(week, 0, 1).bar);
  EXPECT_EQ(WeekCellAt(week, 1, 1).line->bracket, kBracketTop);
  EXPECT_TRUE(WeekCellAt(week, 2, 1).bar);
  EXPECT_TRUE(WeekCellAt(week, 3, 1).bar);
  EXPECT_EQ(WeekCellAt(week, 4, 1).line->bracket, kBracketBottom);
  EXPECT_FALSE(WeekCellAt(week, 5, 1).bar);
  EXPECT_FALSE(WeekCellAt(week, 3, 2).bar);
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
  std::vector<std::string> shown;
  for (size_t row = 0; row < week.rows.size(); ++row)
    if (const DayLine* line = WeekCellAt(week, row, 0).line) shown.push_back(line->description);
  EXPECT_EQ(shown, (std::vector<std::string>{"Quarter past, winter", "Half past, summer",
                                             "Half past, winter"}));
}

TEST_F(CalendarTest, UntimedEntriesMakeTheFirstRowWithoutATimeAndWeeksStayInTheYears) {
  Add(Entry(kAnne, 2027, 3, 22, -1, 0, "Holiday"));
  WeekView week;
  ASSERT_EQ(SchedLoadWeek(sched, At(2027, 3, 22), kAnne, PresetHours{0, 0}, &week), 1);
  ASSERT_EQ(week.rows.size(), 2u);
  EXPECT_EQ(week.rows[0].timeOfDay, 0);
  EXPECT_EQ(week.rows[1].timeOfDay, 1) << "hour 0 stands at one second past midnight";
  EXPECT_EQ(WeekRowTimeText(week, 0), "");
  EXPECT_EQ(WeekRowTimeText(week, 1), "12:00am");
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
