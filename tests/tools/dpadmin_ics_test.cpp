// dpadmin export-ics and import-ics as separate processes on the demo
// office: a schedule exported and imported into another person's gives the
// same day, the common schedule too, refusals give exit status 1 with the
// reasons, a colleague's workstation hears of the change, and bad
// arguments and files are refused.
#include <fstream>
#include <string>
#include <vector>

#include "data/office/flags.h"
#include "tests/tools/admin_test.h"

namespace {

class DpadminIcsTest : public AdminTest {
 protected:
  void SetUp() override { Expect({"demo", office}); }
  // The day as dpadmin schedule shows it, without its first line (whose).
  std::string Day(const std::string& who, const std::string& date) {
    const std::string out = Expect({"schedule", office, who, date});
    return out.substr(out.find('\n') + 1);
  }
};

TEST_F(DpadminIcsTest, AnExportedScheduleImportsIntoAnotherOneAlike) {
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
    const std::string imported = Expect({"import-ics", office, c.to, file});
    EXPECT_TRUE(Contains(imported, " entries added from ")) << imported;
    for (const char* date : {"3-15-27", "3-22-27", "3-29-27"})
      EXPECT_EQ(Day(c.to, date), Day(c.from, date)) << c.from << " " << date;
    EXPECT_NE(before, Day(c.to, "3-22-27"));
    // Again: nothing doubles.
    DpadminRun again = Run({"import-ics", office, c.to, file});
    EXPECT_EQ(again.status, 0) << ShowRun(again);
    EXPECT_NE(again.out.find("0 entries added"), std::string::npos) << again.out;
  }
  ExpectCheckClean();
}

TEST_F(DpadminIcsTest, RefusalsAreListedAndTheColleagueIsFlagged) {
  const std::string file = scratch.File("in.ics");
  std::ofstream(file, std::ios::binary)
      << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//\r\n"
         "BEGIN:VEVENT\r\nUID:1@t\r\nSUMMARY:Kept\r\nDTSTART;VALUE=DATE:20270401\r\nEND:VEVENT\r\n"
         "BEGIN:VEVENT\r\nUID:2@t\r\nSUMMARY:Too late\r\nDTSTART;VALUE=DATE:20380101\r\n"
         "END:VEVENT\r\nEND:VCALENDAR\r\n";
  DpadminRun run = Run({"import-ics", office, "BOB", file});
  EXPECT_EQ(run.status, 1) << ShowRun(run);
  EXPECT_EQ(run.out,
            "1 entry added from 2 events.\n1 refused:\n"
            "  Too late (1-01-38): year outside 1980 to 2037\n");
  SetDataDirectory(office);
  const int flag = GetFlagValue(FlagFilePath(office, NumberOf("BOB")));
  SetDataDirectory("");
  EXPECT_NE(flag & kFlagScheduleChanged, 0);
}

TEST_F(DpadminIcsTest, BadArgumentsAndFilesAreRefused) {
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* says;
  } cases[] = {
      {{"export-ics", office, "ANNE"}, 2, "usage: dpadmin export-ics"},
      {{"import-ics", office}, 2, "usage: dpadmin import-ics"},
      {{"export-ics", office, "NOBODY", scratch.File("x.ics")}, 1, "NOBODY"},
      {{"import-ics", office, "*SALES", scratch.File("x.ics")}, 1, "*SALES"},
      {{"import-ics", office, "ANNE", scratch.File("missing.ics")}, 2, "missing.ics"},
      {{"export-ics", office, "ANNE", scratch.File("no/such/dir.ics")}, 2, "dir.ics"},
  };
  for (const Case& c : cases) {
    DpadminRun run = Run(c.args);
    EXPECT_EQ(run.status, c.status) << ShowRun(run);
    EXPECT_NE((run.out + run.err).find(c.says), std::string::npos) << ShowRun(run);
  }
}

}  // namespace
