// dpadmin schedule, run as its own process on a demo office whose schedule
// was filled through the schedule table: a person's day with brackets and
// overlaps, the common schedule, and the refusals.
#include <gtest/gtest.h>

#include <string>

#include "data/local_time.h"
#include "data/office/datadir.h"
#include "data/office/dpname.h"
#include "data/schedule/dpsched.h"
#include "storage/errors.h"
#include "tests/data/schedule/sched_fixture.h"
#include "tests/support/dpadmin_run.h"
#include "tests/support/temp_dir.h"

namespace {

class AdminScheduleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    office = scratch.Path() + "office/";
    DpadminRun demo = RunDpadmin({"demo", office}, scratch.Path());
    ASSERT_EQ(demo.status, 0) << ShowRun(demo);
    SetDataDirectory(office);
    NameRecord anne;
    ASSERT_EQ(NameLookup("ANNE", &anne), 1);
    anneNumber = anne.Number();
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
    return RunDpadmin({"schedule", office, user, date}, scratch.Path());
  }

  ZoneForTest zone{"America/New_York"};
  TempDir scratch;
  std::string office;
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
  run = RunDpadmin({"schedule", office, "ANNE"}, scratch.Path());
  EXPECT_EQ(run.status, 2);
  run = RunDpadmin({"schedule", scratch.Path() + "nowhere/", "ANNE", "3-15-27"}, scratch.Path());
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("no such directory"), std::string::npos) << run.err;
}

}  // namespace
