// dpadmin's schedule and to-do commands, run as a separate process against
// the demo office: a scripted workload leaves a directory that checks
// clean, the day limit and bad arguments are refused with the right exit
// status, the to-do list shows what the to-do window's day view would,
// dpadmin schedule shows a day filled through the schedule table as the day
// view does (brackets and overlaps, the common schedule, the refusals), and
// a schedule exported with export-ics and imported into another person's
// gives the same days, refusals listed and the colleague's flag raised.
#include <ctime>
#include <fstream>
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
  // The day as dpadmin schedule shows it, without its first line (whose).
  std::string Day(const std::string& who, const std::string& date) {
    const std::string out = Expect({"schedule", office, who, date});
    return out.substr(out.find('\n') + 1);
  }
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
  EXPECT_TRUE(Contains(Expect({"add-entry", office, "BOB", "5-03-27", "Weekly", "--every", "7",
                               "--until", "6-30-27"}),
                       "8 repeating items added."));
  ExpectCheckClean();
}

TEST_F(DpadminSchedTest, AFullDayRefusesTheEntryAndTheOwnerIsFlagged) {
  for (int i = 0; i < 40; ++i)
    Expect({"add-entry", office, "ANNE", "3-15-27", "Item " + std::to_string(i)});
  EXPECT_TRUE(Contains(Exits(1, {"add-entry", office, "ANNE", "3-15-27", "One too many"}).err,
                       "Maximum of 40 items reached for this date."));
  EXPECT_EQ(GetFlagValue(FlagFilePath(office, NumberOf("ANNE"))) & kFlagScheduleChanged,
            kFlagScheduleChanged);
  ExpectCheckClean();
}

TEST_F(DpadminSchedTest, BadArgumentsAreUsageErrorsAndUnknownOwnersAndFilesAreRefused) {
  struct Case {
    std::vector<std::string> args;  // the office goes after the command
    int status;
    const char* says = "";  // in either output
  } cases[] = {
      {{"add-entry", "ANNE", "2-30-27", "No such day"}, 2},
      {{"add-entry", "ANNE", "3-15-27", "nine", "Bad time"}, 2},
      {{"add-entry", "ANNE", "3-15-27", "Too", "many", "times", "given", "x"}, 2},
      {{"add-entry", "ANNE", "3-15-27", std::string(53, 'x')}, 2},
      {{"add-entry", "ZED", "3-15-27", "Nobody"}, 1},
      {{"add-entry", "*SALES", "3-15-27", "A group"}, 1},
      {{"add-todo", "* COMMON", "3-15-27", "No common to-do list"}, 1},
      {{"add-entry", "ANNE", "3-15-27", "   "}, 1},
      {{"add-todo", "ANNE", "3-15-27", "--priority", " ", "x"}, 1},
      {{"add-entry", "ANNE", "3-15-27", "9:00AM", "9:00AM", "Zero"},
       1,
       "Start time must be earlier than End time."},
      {{"todo"}, 2},
      {{"export-ics", "ANNE"}, 2, "usage: dpadmin export-ics"},
      {{"import-ics"}, 2, "usage: dpadmin import-ics"},
      {{"export-ics", "NOBODY", scratch.File("x.ics")}, 1, "NOBODY"},
      {{"import-ics", "*SALES", scratch.File("x.ics")}, 1, "*SALES"},
      {{"import-ics", "ANNE", scratch.File("missing.ics")}, 2, "missing.ics"},
      {{"export-ics", "ANNE", scratch.File("no/such/dir.ics")}, 2, "dir.ics"},
  };
  for (Case& c : cases) {
    c.args.insert(c.args.begin() + 1, office);
    DpadminRun run = Exits(c.status, c.args);
    EXPECT_TRUE(Contains(run.out + run.err, c.says));
  }
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

TEST_F(DpadminSchedTest, AnExportedScheduleImportsIntoAnotherOneAlike) {
  struct Case {
    const char* from;
    const char* to;
  } cases[] = {{"ANNE", "CAROL"}, {"* COMMON", "DAVE"}};
  for (const Case& c : cases) {
    Expect(
        {"add-entry", office, c.from, "3-15-27", "9:00AM", "10:30AM", "8:50AM", "Budget review"});
    Expect({"add-entry", office, c.from, "3-15-27", "Office closed at 4"});
    Expect({"add-entry", office, c.from, "3-15-27", "1:00PM", "Weekly lunch", "--every", "7",
            "--until", "3-29-27"});
    const std::string file = scratch.File("out.ics");
    Expect({"export-ics", office, c.from, file});
    const std::string before = Day(c.to, "3-22-27");
    EXPECT_TRUE(Contains(Expect({"import-ics", office, c.to, file}), " entries added from "));
    for (const char* date : {"3-15-27", "3-22-27", "3-29-27"})
      EXPECT_EQ(Day(c.to, date), Day(c.from, date)) << c.from << " " << date;
    EXPECT_NE(before, Day(c.to, "3-22-27"));
    // Again: nothing doubles.
    EXPECT_TRUE(Contains(Expect({"import-ics", office, c.to, file}), "0 entries added"));
  }
  ExpectCheckClean();
}

TEST_F(DpadminSchedTest, AnIcsImportListsItsRefusalsAndFlagsTheColleague) {
  const std::string file = scratch.File("in.ics");
  std::ofstream(file, std::ios::binary)
      << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//\r\n"
         "BEGIN:VEVENT\r\nUID:1@t\r\nSUMMARY:Kept\r\nDTSTART;VALUE=DATE:20270401\r\nEND:VEVENT\r\n"
         "BEGIN:VEVENT\r\nUID:2@t\r\nSUMMARY:Too late\r\nDTSTART;VALUE=DATE:20380101\r\n"
         "END:VEVENT\r\nEND:VCALENDAR\r\n";
  EXPECT_EQ(Exits(1, {"import-ics", office, "BOB", file}).out,
            "1 entry added from 2 events.\n1 refused:\n"
            "  Too late (1-01-38): year outside 1980 to 2037\n");
  SetDataDirectory(office);
  const int flag = GetFlagValue(FlagFilePath(office, NumberOf("BOB")));
  SetDataDirectory("");
  EXPECT_NE(flag & kFlagScheduleChanged, 0);
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

  DpadminRun Schedule(const std::string& user, const std::string& date, int status = 0) {
    return Exits(status, {"schedule", office, user, date});
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
  EXPECT_EQ(Schedule("* COMMON", "3-15-27").out,
            "Schedule for:  * COMMON\n"
            "Monday, March 15, 2027\n"
            " 9:00am    Coffee\n"
            "           Fire drill\n");
  EXPECT_EQ(Schedule("bob", "3-15-27").out,
            "Schedule for:  BOB\nMonday, March 15, 2027\n(no entries)\n");
}

TEST_F(AdminScheduleTest, UnknownNamesAreRefusedAndBadUsageExplained) {
  SchedClose(sched);
  DpadminRun run = Schedule("ZELDA", "3-15-27", 1);
  EXPECT_TRUE(Contains(run.err, "ZELDA"));
  EXPECT_EQ(run.out, "");
  for (const char* date : {"2-30-27", "1-1-38", "3-15", ""})
    EXPECT_TRUE(Contains(Schedule("ANNE", date, 2).err, "bad date"));
  Schedule("*SALES", "3-15-27", 1);
  Exits(2, {"schedule", office, "ANNE"});
  EXPECT_TRUE(Contains(Exits(2, {"schedule", scratch.Path() + "nowhere/", "ANNE", "3-15-27"}).err,
                       "no such directory"));
}

}  // namespace
