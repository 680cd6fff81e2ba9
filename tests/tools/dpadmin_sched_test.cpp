// dpadmin's schedule and to-do commands, run as a separate process against
// the demo office: a scripted workload leaves a directory that checks
// clean, the day limit and bad arguments are refused with the right exit
// status, the to-do list shows what the to-do window's day view would, and
// dpadmin schedule shows a day filled through the schedule table as the day
// view does (brackets and overlaps, the common schedule, the refusals).
#include <ctime>
#include <string>
#include <vector>

#include "data/local_time.h"
#include "data/office/flags.h"
#include "data/schedule/dpsched.h"
#include "storage/errors.h"
#include "tests/data/schedule/sched_fixture.h"
#include "tests/tools/admin_test.h"

namespace {

// A date in the commands' month-day-year form, days from today.
std::string DateFromToday(int days) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  local.tm_mday += days;
  local.tm_hour = 12;
  local.tm_isdst = -1;
  std::mktime(&local);
  char text[40];
  std::snprintf(text, sizeof text, "%d-%02d-%02d", local.tm_mon + 1, local.tm_mday,
                local.tm_year % 100);
  return text;
}

class DpadminSchedTest : public AdminTest {
 protected:
  void SetUp() override { Expect({"demo", office}); }
};

TEST_F(DpadminSchedTest, AScriptedWorkloadOfEntriesRepeatsAndToDoItemsChecksClean) {
  const std::vector<std::vector<std::string>> script = {
      {"add-entry", office, "ANNE", "3-15-27", "9:30AM", "10:45AM", "8:45AM", "Fischer"},
      {"add-entry", office, "anne", "3-15-27", "Untimed day note"},
      {"add-entry", office, "ANNE", "3-15-27", "12:00AM", "Just after midnight"},
      {"add-entry", office, "BOB", "3-01-27", "8:00AM", "8:15AM", "Stand-up", "--every", "1",
       "--until", "4-30-27"},
      {"add-entry", office, "CAROL", "1-31-27", "2:00PM", "Month end", "--every", "7", "--until",
       "12-31-27"},
      {"add-entry", office, "* COMMON", "3-17-27", "Office closed"},
      {"add-entry", office, "DAVE", "11-06-27", "9:00AM", "", "8:50AM", "Across the clock change",
       "--every", "1", "--until", "11-09-27"},
      {"add-todo", office, "ANNE", "3-10-27", "Call the printer"},
      {"add-todo", office, "ANNE", "3-10-27", "--priority", "10", "Order paper"},
      {"add-todo", office, "BOB", "3-11-27", "--priority", "A", "Two lines\nof text"},
  };
  for (const auto& args : script) Expect(args);
  const std::string repeats = Expect(
      {"add-entry", office, "BOB", "5-03-27", "Weekly", "--every", "7", "--until", "6-30-27"});
  EXPECT_TRUE(Contains(repeats, "8 repeating items added.")) << repeats;
  ExpectCheckClean();
}

TEST_F(DpadminSchedTest, AFullDayRefusesTheEntryAndTheOwnerIsFlagged) {
  for (int i = 0; i < 40; ++i)
    Expect({"add-entry", office, "ANNE", "3-15-27", "Item " + std::to_string(i)});
  DpadminRun full = Run({"add-entry", office, "ANNE", "3-15-27", "One too many"});
  EXPECT_EQ(full.status, 1) << ShowRun(full);
  EXPECT_NE(full.err.find("Maximum of 40 items reached for this date."), std::string::npos);
  EXPECT_EQ(GetFlagValue(FlagFilePath(office, NumberOf("ANNE"))) & kFlagScheduleChanged,
            kFlagScheduleChanged);
  ExpectCheckClean();
}

TEST_F(DpadminSchedTest, BadArgumentsAreUsageErrorsAndUnknownOwnersAreRefused) {
  const std::pair<std::vector<std::string>, int> cases[] = {
      {{"add-entry", "ANNE", "2-30-27", "No such day"}, 2},
      {{"add-entry", "ANNE", "3-15-45", "Past 2037"}, 2},
      {{"add-entry", "ANNE", "3-15-27", "nine", "Bad time"}, 2},
      {{"add-entry", "ANNE", "3-15-27", "Too", "many", "times", "given", "x"}, 2},
      {{"add-entry", "ANNE", "3-15-27", std::string(53, 'x')}, 2},
      {{"add-entry", "ZED", "3-15-27", "Nobody"}, 1},
      {{"add-entry", "*SALES", "3-15-27", "A group"}, 1},
      {{"add-todo", "* COMMON", "3-15-27", "No common to-do list"}, 1},
      {{"add-entry", "ANNE", "3-15-27", "   "}, 1},
      {{"add-todo", "ANNE", "3-15-27", "--priority", " ", "x"}, 1},
      {{"todo"}, 2}};
  for (auto [args, status] : cases) {
    args.insert(args.begin() + 1, office);
    EXPECT_EQ(Run(args).status, status) << args.back();
  }
  DpadminRun early = Run({"add-entry", office, "ANNE", "3-15-27", "9:00AM", "9:00AM", "Zero"});
  EXPECT_EQ(early.status, 1);
  EXPECT_TRUE(Contains(early.err, "Start time must be earlier than End time."));
  ExpectCheckClean();
}

TEST_F(DpadminSchedTest, TheToDoListOfTodayCarriesOpenItemsAndSortsPrioritiesAsText) {
  const std::string today = DateFromToday(0);
  const std::string earlier = DateFromToday(-3);
  Expect({"add-todo", office, "BOB", today, "--priority", "2", "Two"});
  Expect({"add-todo", office, "BOB", today, "--priority", "10", "Ten"});
  Expect({"add-todo", office, "BOB", earlier, "--priority", "1", "Carried"});
  EXPECT_EQ(Expect({"todo", office, "bob"}), "To-do list for:  BOB, " + today + "\n1\topen\t" +
                                                 earlier + "\tCarried\n10\topen\t" + today +
                                                 "\tTen\n2\topen\t" + today + "\tTwo\n");
  EXPECT_EQ(Expect({"todo", office, "BOB", earlier}), "To-do list for:  BOB, " + earlier + "\n");
}

// The same office with its schedule table open in this process.
class AdminScheduleTest : public DpadminSchedTest {
 protected:
  void SetUp() override {
    DpadminSchedTest::SetUp();
    anneNumber = NumberOf("ANNE");
    SetDataDirectory(office);
    ASSERT_EQ(SchedOpen(sched), 1);
  }
  void TearDown() override {
    if (sched.open) SchedClose(sched);
    SetDataDirectory("");
  }

  void Add(int32_t owner, int day, int hour, int minute, const std::string& text, int endHour = -1,
           int endMinute = 0) {
    SchedRecord r;
    r.SetOwner(owner);
    r.SetDescription(text);
    r.SetStart(hour < 0 ? FromLocal(2027, 3, day) : FromLocal(2027, 3, day, hour, minute));
    if (endHour >= 0) r.SetEnd(FromLocal(2027, 3, day, endHour, endMinute));
    ASSERT_EQ(SchedAdd(sched, r), 1) << FormatAppError();
  }

  DpadminRun Schedule(const std::string& user, const std::string& date) {
    return Run({"schedule", office, user, date});
  }

  ZoneForTest zone{"America/New_York"};
  int32_t anneNumber = 0;
  SchedTable sched;
};

TEST_F(AdminScheduleTest, APersonsDayAsTheDayViewShowsIt) {
  Add(anneNumber, 15, 10, 0, "Board", 12);
  Add(anneNumber, 15, 11, 0, "Call Lang");
  Add(anneNumber, 15, 10, 30, "Review", 11, 30);
  Add(anneNumber, 15, -1, 0, "Holiday in Madrid");
  Add(anneNumber, 16, 9, 0, "Tomorrow");
  SchedClose(sched);
  DpadminRun run = Schedule("anne", "3-15-27");
  ASSERT_EQ(run.status, 0) << ShowRun(run);
  EXPECT_EQ(run.out,
            "Schedule for:  ANNE\n"
            "Monday, March 15, 2027\n"
            "           Holiday in Madrid\n"
            "10:00am /  Board\n"
            "10:30am /  Review\n"
            "11:00am |* Call Lang\n"
            "11:30am \\*\n"
            "12:00pm \\\n");
  EXPECT_EQ(run.err, "");
}

TEST_F(AdminScheduleTest, TheCommonScheduleAndAnEmptyDay) {
  Add(kCommonScheduleOwner, 15, 9, 0, "Fire drill");
  Add(kCommonScheduleOwner, 15, 9, 0, "Coffee");
  SchedClose(sched);
  DpadminRun run = Schedule("* COMMON", "3-15-27");
  ASSERT_EQ(run.status, 0) << ShowRun(run);
  EXPECT_EQ(run.out,
            "Schedule for:  * COMMON\n"
            "Monday, March 15, 2027\n"
            " 9:00am    Coffee\n"
            "           Fire drill\n");
  run = Schedule("bob", "3-15-27");
  ASSERT_EQ(run.status, 0) << ShowRun(run);
  EXPECT_EQ(run.out, "Schedule for:  BOB\nMonday, March 15, 2027\n(no entries)\n");
}

TEST_F(AdminScheduleTest, UnknownNamesAreRefusedAndBadUsageExplained) {
  SchedClose(sched);
  DpadminRun run = Schedule("ZELDA", "3-15-27");
  EXPECT_EQ(run.status, 1) << ShowRun(run);
  EXPECT_NE(run.err.find("ZELDA"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
  for (const char* date : {"2-30-27", "1-1-38", "3-15", ""}) {
    run = Schedule("ANNE", date);
    EXPECT_EQ(run.status, 2) << date << ShowRun(run);
    EXPECT_NE(run.err.find("bad date"), std::string::npos) << run.err;
  }
  run = Schedule("*SALES", "3-15-27");
  EXPECT_EQ(run.status, 1) << ShowRun(run);
  run = Run({"schedule", office, "ANNE"});
  EXPECT_EQ(run.status, 2);
  run = Run({"schedule", scratch.Path() + "nowhere/", "ANNE", "3-15-27"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("no such directory"), std::string::npos) << run.err;
}

}  // namespace
