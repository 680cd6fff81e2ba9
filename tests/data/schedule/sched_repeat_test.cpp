// Repeating entries: what each generator adds for the rules of the repeat
// dialogs, the repeat group number, a generation stopping at a full day,
// which edits concern the group, and daylight-saving days.
#include "data/schedule/sched_repeat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/data/schedule/sched_fixture.h"
#include "tests/support/lock_holder.h"

namespace {

constexpr int32_t kAlice = 5;

class RepeatTest : public SchedTableTest {
 protected:
  // Saves the entry to repeat; number is its record number.
  SchedRecord Save(SchedRecord record) {
    EXPECT_EQ(SchedAdd(sched, record, &number), 1);
    return record;
  }

  // Every start of a person's entries, in key order.
  std::vector<int32_t> Starts(int32_t owner = kAlice) {
    std::vector<int32_t> starts;
    for (const SchedRecord& r : EntriesOf(sched, owner)) starts.push_back(r.Start());
    return starts;
  }

  // The until date as the dialog confirms it: the end of that date.
  static int32_t Until(int year, int month, int day) {
    int32_t until = 0;
    std::string message;
    EXPECT_EQ(RepeatConfirmUntil(At(year, month, day), &until, &message), 1);
    return until;
  }

  // The starts of 2027 a case expects, as "month-day" at the case's hour.
  static std::vector<int32_t> StartsOn(std::initializer_list<std::pair<int, int>> days, int hour) {
    std::vector<int32_t> starts;
    for (const auto& [month, day] : days) starts.push_back(At(2027, month, day, hour));
    return starts;
  }

  int32_t number = -1;
};

TEST_F(RepeatTest, DailyEveryDayFrom10To12MarchAddsThe11thAnd12th) {
  SchedRecord entry = Save(Entry(kAlice, 2027, 3, 10, 9, 0, "Stand-up", 10));
  DailyRule rule{entry.Start(), Until(2027, 3, 12), 1};
  RepeatOutcome outcome;
  ASSERT_EQ(RepeatDaily(sched, number, entry, rule, &outcome), 1);
  EXPECT_EQ(outcome.added, 2);
  EXPECT_EQ(Starts(),
            (std::vector<int32_t>{At(2027, 3, 10, 9), At(2027, 3, 11, 9), At(2027, 3, 12, 9)}));
  // The repeated entry stays where it was and carries the group, as do
  // the copies, each with its own unique id and its end on its own date.
  const SchedRecord stored = Read(number);
  EXPECT_NE(stored.RepeatGroup(), 0);
  EXPECT_EQ(entry.RepeatGroup(), stored.RepeatGroup());
  SchedKey key;
  ASSERT_EQ(SchedFindFirst(sched, At(2027, 3, 12), kAlice, &key), 1);
  EXPECT_EQ(key.RepeatGroup(), stored.RepeatGroup());
  EXPECT_NE(key.UniqueId(), stored.UniqueId());
  EXPECT_EQ(key.End(), At(2027, 3, 12, 10));
}

TEST_F(RepeatTest, UntilBeforeTheStartGeneratesNothingAndTakesNoGroupNumber) {
  SchedRecord entry = Save(Entry(kAlice, 2027, 3, 10, 9, 0, "Stand-up"));
  int32_t firstId = entry.UniqueId();
  DailyRule rule{entry.Start(), Until(2027, 3, 9), 1};
  ASSERT_EQ(RepeatDaily(sched, number, entry, rule), 1);
  DayOfMonthRule monthly{entry.Start(), Until(2027, 3, 9), 5, {}};
  monthly.month[2] = true;
  ASSERT_EQ(RepeatDayOfMonth(sched, number, entry, monthly), 1);
  EXPECT_EQ(Read(number).RepeatGroup(), 0);
  EXPECT_EQ(Starts().size(), 1u);
  // The table's counter was not touched: the next entry takes the next id.
  SchedRecord next = Save(Entry(kAlice, 2027, 3, 11, 9, 0, "Next"));
  EXPECT_EQ(next.UniqueId(), firstId + 1);
}

TEST_F(RepeatTest, MonthlyAddsTheDayInEveryTickedMonthThatHasIt) {
  const struct {
    int32_t owner;
    int month, day, hour;  // the entry's date and hour
    int ruleDay, untilMonth;
    std::vector<int> months;  // ticked; none: all
    std::vector<int32_t> starts;
  } cases[] = {
      // Day 31 skips the shorter months.
      {kAlice, 1, 31, 14, 31, 8, {}, StartsOn({{1, 31}, {3, 31}, {5, 31}, {7, 31}, {8, 31}}, 14)},
      // The first month's day may lie before the entry's own date.
      {6, 3, 20, 9, 5, 4, {3, 4}, StartsOn({{3, 5}, {3, 20}, {4, 5}}, 9)},
      {7, 3, 10, 8, 1, 5, {}, StartsOn({{3, 1}, {3, 10}, {4, 1}, {5, 1}}, 8)},
  };
  for (const auto& c : cases) {
    SchedRecord entry = Save(Entry(c.owner, 2027, c.month, c.day, c.hour, 0, "Monthly"));
    DayOfMonthRule rule{entry.Start(), Until(2027, c.untilMonth, 30), c.ruleDay, {}};
    for (int m = 1; m <= 12; ++m)
      rule.month[m - 1] = c.months.empty() || std::count(c.months.begin(), c.months.end(), m);
    ASSERT_EQ(RepeatDayOfMonth(sched, number, entry, rule), 1);
    EXPECT_EQ(Starts(c.owner), c.starts) << c.owner;
  }
}

// Mondays: February 2027 has four (1, 8, 15, 22), March five (1, 8, 15, 22,
// 29). The 4th and the last are one entry in a month of four and two in a
// month of five; the entry's own weekday never doubles the entry itself.
TEST_F(RepeatTest, WeeklyRulesPickTheirMondaysAndNeverDoubleTheEntry) {
  const struct {
    int32_t owner;
    int month, day;  // the entry's date
    std::vector<int> occurrences;
    int added;
    std::vector<int32_t> starts;
  } cases[] = {
      {kAlice, 1, 31, {3, kOccurrenceLast}, 3, StartsOn({{1, 31}, {2, 22}, {3, 22}, {3, 29}}, 10)},
      {6, 2, 1, {0}, 1, StartsOn({{2, 1}, {3, 1}}, 10)},
  };
  for (const auto& c : cases) {
    SchedRecord entry = Save(Entry(c.owner, 2027, c.month, c.day, 10, 0, "Report"));
    NthWeekdayRule rule;
    rule.start = entry.Start();
    rule.until = Until(2027, 3, 31);
    for (int o : c.occurrences) rule.occurrence[o] = true;
    rule.weekday[1] = true;
    RepeatOutcome outcome;
    ASSERT_EQ(RepeatNthWeekday(sched, number, entry, rule, &outcome), 1);
    EXPECT_EQ(outcome.added, c.added);
    EXPECT_EQ(Starts(c.owner), c.starts) << c.owner;
  }
}

TEST_F(RepeatTest, YearlyLastMondayOfMayAddsOnlyThoseDates) {
  SchedRecord entry = Save(Entry(kAlice, 2027, 3, 10, -1, 0, "Memorial Day"));
  RepeatRules rules;
  rules.yearlyMode = kYearlyByDay;
  rules.nthWeekday.until = Until(2029, 12, 31);
  rules.nthWeekday.occurrence[kOccurrenceLast] = true;
  rules.nthWeekday.weekday[1] = true;
  rules.nthWeekday.singleMonth = true;
  rules.nthWeekday.month = 5;
  RepeatOutcome outcome;
  ASSERT_EQ(RepeatGenerate(sched, number, entry, kRepeatYearly, rules, &outcome), 1);
  EXPECT_EQ(outcome.added, 3);
  // No repeat kind: nothing to do, and that is success.
  ASSERT_EQ(RepeatGenerate(sched, number, entry, kRepeatNone, rules, &outcome), 1);
  EXPECT_EQ(outcome.added, 0);
  EXPECT_EQ(Starts(), (std::vector<int32_t>{At(2027, 3, 10), At(2027, 5, 31), At(2028, 5, 29),
                                            At(2029, 5, 28)}));
}

TEST_F(RepeatTest, AGenerationStopsQuietlyAtAFullDayKeepingWhatItAdded) {
  for (int i = 0; i < kMaxDayLines; ++i) {
    SchedRecord filler = Entry(kAlice, 2027, 3, 12, 7, i, "Filler " + std::to_string(i));
    ASSERT_EQ(SchedAdd(sched, filler), 1);
  }
  SchedRecord entry = Save(Entry(kAlice, 2027, 3, 10, 9, 0, "Stand-up"));
  DailyRule rule{entry.Start(), Until(2027, 3, 14), 1};
  RepeatOutcome outcome;
  ClearAppError();
  EXPECT_EQ(RepeatDaily(sched, number, entry, rule, &outcome), 1);
  EXPECT_TRUE(outcome.stoppedFull);
  EXPECT_EQ(outcome.added, 1);
  EXPECT_EQ(AppErrorCode(), 0);
  EXPECT_EQ(Lines(kAlice, At(2027, 3, 13)), 0);
  EXPECT_EQ(Lines(kAlice, At(2027, 3, 11)), 1);
  // The repeated entry keeps its group.
  EXPECT_NE(Read(number).RepeatGroup(), 0);
}

TEST_F(RepeatTest, AGenerationThatFailsOtherwiseAnswersFailure) {
  SchedRecord entry = Save(Entry(kAlice, 2027, 3, 10, 9, 0, "Stand-up"));
  DailyRule rule{entry.Start(), Until(2027, 3, 12), 1};
  FastTicks fast;
  // Another workstation holds the table's append lock throughout.
  LockHolder holder(dir.File("SCHED.DAT"), 0);
  ASSERT_TRUE(holder.Held());
  RepeatOutcome outcome;
  EXPECT_EQ(RepeatDaily(sched, number, entry, rule, &outcome), 0);
  EXPECT_NE(AppErrorCode(), 0);
  EXPECT_FALSE(outcome.stoppedFull);
  holder.Release();
  EXPECT_EQ(Starts().size(), 1u);
  // A handle never opened takes no group number.
  SchedTable closed;
  unsigned before = CheckFailureCount();
  EXPECT_EQ(RepeatEnsureGroup(closed, number, entry), 0);
  EXPECT_GT(CheckFailureCount(), before);
  EXPECT_EQ(entry.RepeatGroup(), 0);
}

TEST_F(RepeatTest, ADateOnlyEditDoesNotConcernTheGroupButATimeOrTextEditDoes) {
  SchedRecord stored = Entry(kAlice, 2027, 3, 10, 9, 0, "Stand-up", 10);
  SchedRecord edited = stored;
  edited.SetStart(At(2027, 3, 11, 9));
  edited.SetEnd(At(2027, 3, 11, 10));
  EXPECT_FALSE(RepeatEditConcernsGroup(stored, edited));
  edited.SetStart(At(2027, 3, 11, 9, 30));
  EXPECT_TRUE(RepeatEditConcernsGroup(stored, edited));
  edited = stored;
  edited.SetAlarm(At(2027, 3, 10, 8, 45));
  EXPECT_TRUE(RepeatEditConcernsGroup(stored, edited));
  edited = stored;
  edited.SetNote("Bring the figures");
  EXPECT_TRUE(RepeatEditConcernsGroup(stored, edited));
}

TEST_F(RepeatTest, DailyAcrossTheSpringChangeKeepsTheClockTimeAndUntimedStaysUntimed) {
  // Clocks go forward at 2:00 on Sunday 14 March 2027 in New York.
  SchedRecord timed = Entry(kAlice, 2027, 3, 13, 9, 0, "Timed", 10);
  timed.SetAlarm(At(2027, 3, 13, 8, 30));
  SchedRecord entry = Save(timed);
  DailyRule rule{entry.Start(), Until(2027, 3, 15), 1};
  ASSERT_EQ(RepeatDaily(sched, number, entry, rule), 1);
  SchedKey key;
  ASSERT_EQ(SchedFindFirst(sched, At(2027, 3, 15), kAlice, &key), 1);
  EXPECT_EQ(key.Start(), At(2027, 3, 15, 9));
  EXPECT_EQ(key.End(), At(2027, 3, 15, 10));
  EXPECT_EQ(key.Alarm(), At(2027, 3, 15, 8, 30));

  SchedRecord untimed = Save(Entry(kAlice, 2027, 11, 6, -1, 0, "All day"));
  // Clocks go back on Sunday 7 November: 86400 seconds after midnight of
  // the 7th would still be the 7th.
  DailyRule autumn{untimed.Start(), Until(2027, 11, 9), 1};
  ASSERT_EQ(RepeatDaily(sched, number, untimed, autumn), 1);
  for (int day = 7; day <= 9; ++day) {
    ASSERT_EQ(SchedFindFirst(sched, At(2027, 11, day), kAlice, &key), 1) << day;
    EXPECT_EQ(key.Start(), At(2027, 11, day)) << day;
  }
}

TEST_F(RepeatTest, MonthlyAcrossTheChangeBuildsEachStartFromItsLocalDate) {
  SchedRecord entry = Save(Entry(kAlice, 2027, 2, 14, 23, 30, "Late", 23));
  entry.SetEnd(At(2027, 2, 14, 23, 45));
  ASSERT_EQ(SchedUpdate(sched, number, entry), 1);
  DayOfMonthRule rule{entry.Start(), Until(2027, 3, 31), 14, {}};
  rule.month[2] = true;
  ASSERT_EQ(RepeatDayOfMonth(sched, number, entry, rule), 1);
  SchedKey key;
  ASSERT_EQ(SchedFindFirst(sched, At(2027, 3, 14), kAlice, &key), 1);
  EXPECT_EQ(key.Start(), At(2027, 3, 14, 23, 30));
  EXPECT_EQ(key.End(), At(2027, 3, 14, 23, 45));
}

TEST(RepeatDialogRules, NamesOccurrencesAndChecks) {
  const std::pair<int, const char*> dayNames[] = {
      {1, "1st"},   {2, "2nd"},   {3, "3rd"},   {11, "11th"}, {12, "12th"}, {13, "13th"},
      {21, "21st"}, {22, "22nd"}, {23, "23rd"}, {24, "24th"}, {31, "31st"}};
  for (const auto& [day, name] : dayNames) EXPECT_EQ(RepeatDayName(day), name) << day;
  EXPECT_STREQ(RepeatOccurrenceName(RepeatOccurrenceOfDay(7)), "1st");
  EXPECT_STREQ(RepeatOccurrenceName(RepeatOccurrenceOfDay(28)), "4th");
  EXPECT_STREQ(RepeatOccurrenceName(RepeatOccurrenceOfDay(29)), "Last");
  EXPECT_STREQ(RepeatOccurrenceName(RepeatOccurrenceOfDay(31)), "Last");

  const char* const occurrences[5] = {"1st", "2nd", "3rd", "4th", "Last"};
  const bool ticked[5] = {true, true, false, false, true};
  EXPECT_EQ(RepeatJoinNames(occurrences, ticked, 5), "1st,2nd and Last");
  const char* const days[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                               "Thursday", "Friday", "Saturday"};
  const bool two[7] = {false, true, false, false, false, true, false};
  EXPECT_EQ(RepeatJoinNames(days, two, 7), "Monday and Friday");
  const bool one[7] = {false, false, false, true, false, false, false};
  EXPECT_EQ(RepeatJoinNames(days, one, 7), "Wednesday");

  std::string message;
  EXPECT_EQ(RepeatCheckEvery(0, &message), 0);
  EXPECT_EQ(message, "Day must be between 1 and 999");
  EXPECT_EQ(RepeatCheckEvery(999, &message), 1);
  EXPECT_EQ(RepeatCheckDayOfMonth(32, &message), 0);
  EXPECT_EQ(message, "Day must be between 1 and 31");
  // The until date must lie between 1980 and 2037.
  ZoneForTest zone("America/New_York");
  int32_t until = 0;
  EXPECT_EQ(RepeatConfirmUntil(FromLocal(1979, 12, 31), &until, &message), 0);
  EXPECT_EQ(message, "Invalid date.");
  EXPECT_EQ(RepeatConfirmUntil(FromLocal(2038, 1, 1), &until, &message), 0);
  ASSERT_EQ(RepeatConfirmUntil(FromLocal(1980, 1, 1), &until, &message), 1);
  ASSERT_EQ(RepeatConfirmUntil(FromLocal(2037, 12, 31), &until, &message), 1);
  EXPECT_EQ(until, FromLocal(2037, 12, 31, 23, 59, 59));
  // A year on, counted on the calendar.
  EXPECT_EQ(RepeatDefaultUntil(FromLocal(2027, 3, 10, 9), 0), FromLocal(2028, 3, 10));
  EXPECT_EQ(RepeatDefaultUntil(0, FromLocal(2027, 3, 10)), FromLocal(2028, 3, 10));
}

}  // namespace
