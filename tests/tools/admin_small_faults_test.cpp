// Faults a new administrator meets in dpadmin, each caused through the real
// program against a real office: names that would break other things, and
// options and files that were taken without a word.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "data/messages/dpfolder.h"
#include "data/office/datadir.h"
#include "data/office/dpname.h"
#include "tests/tools/admin_test.h"

namespace {

class AdminSmallFaultsTest : public AdminTest {
 protected:
  void SetUp() override {
    Expect({"create", office});
    Expect({"add-name", office, "ALICE", "BOB"});
  }
  std::string Names() { return Expect({"names", office}); }
};

TEST_F(AdminSmallFaultsTest, AddNameAndAddGroupRefuseNamesThatBreakOtherThingsAndSayWhy) {
  struct Case {
    std::vector<std::string> args;
    std::string said;
  };
  const Case cases[] = {
      {{"add-name", "SMITH, JOHN"}, "cannot hold a comma"},
      {{"add-name", "ALICE "}, "cannot end with a blank."},
      {{"add-name", "TAB\tNAME"}, "control character such as a tab."},
      {{"add-name", "DPMAIL SERVER"}, "mailbox of the e-mail gateway."},
      {{"add-name", "Dpmail Server"}, "mailbox of the e-mail gateway."},
      {{"add-name", "TWENTY CHARACTERS XX"}, "at most 19 characters."},
      {{"add-name", " BLANK FIRST"}, "cannot begin with a blank."},
      {{"add-group", "*EAST,WEST", "ALICE"}, "cannot hold a comma"},
      {{"add-group", "*TWENTY CHARACTERS X", "ALICE"}, "at most 19 characters."},
  };
  const std::string before = Names();
  for (Case c : cases) {
    SCOPED_TRACE("[" + c.args[1] + "]");
    c.args.insert(c.args.begin() + 1, office);
    DpadminRun add = Run(c.args);
    EXPECT_EQ(add.status, 1) << ShowRun(add);
    EXPECT_TRUE(Contains(add.err, c.said)) << add.err;
  }
  EXPECT_EQ(Names(), before);
  Expect({"add-group", office, "*EAST WEST", "ALICE"});
}

TEST_F(AdminSmallFaultsTest, AFolderNumberThatNamesNoFolderIsAnError) {
  // ALICE's own folder and BOB's, as the program's Folders window adds them.
  SetDataDirectory(office);
  NameRecord alice, bob;
  ASSERT_EQ(NameLookup("ALICE", &alice), 1);
  ASSERT_EQ(NameLookup("BOB", &bob), 1);
  FolderTable folders;
  ASSERT_EQ(FolderOpen(folders), 1);
  FolderRecord own = MakeFolderRecord("Clients", alice.Number());
  FolderRecord others = MakeFolderRecord("Private", bob.Number());
  ASSERT_EQ(FolderAdd(folders, own), 1);
  ASSERT_EQ(FolderAdd(folders, others), 1);
  FolderClose(folders);
  SetDataDirectory("");
  const std::string ownNumber = std::to_string(own.Number());
  const std::string othersNumber = std::to_string(others.Number());
  for (const std::string& folder : {std::string("99"), othersNumber, std::string("nosuch")}) {
    SCOPED_TRACE(folder);
    DpadminRun listed = Run({"messages", office, "ALICE", "--folder", folder});
    EXPECT_EQ(listed.status, 1) << ShowRun(listed);
    EXPECT_TRUE(Contains(listed.err, "no folder " + folder)) << listed.err;
  }
  for (const std::string& folder :
       {std::string("1"), std::string("3"), ownNumber, std::string("new"), std::string("archive"),
        std::string("Clients")}) {
    SCOPED_TRACE(folder);
    DpadminRun listed = Run({"messages", office, "ALICE", "--folder", folder});
    EXPECT_EQ(listed.status, 0) << ShowRun(listed);
  }
}

TEST_F(AdminSmallFaultsTest, AttachOnAMemoOrPhoneMessageIsRefusedAndNothingIsSent) {
  const std::string file = scratch.File("report.txt");
  std::ofstream(file) << "figures\n";
  for (const char* kind : {"memo", "phone"}) {
    SCOPED_TRACE(kind);
    DpadminRun sent = Run({"send", office, "--from", "ALICE", "--to", "BOB", "--kind", kind,
                           "--text", "See the file", "--attach", file});
    EXPECT_NE(sent.status, 0) << ShowRun(sent);
    EXPECT_TRUE(Contains(sent.err, "--attach goes with --kind email only")) << sent.err;
  }
  EXPECT_EQ(Expect({"messages", office, "BOB"}), "");
  Expect({"send", office, "--from", "ALICE", "--to", "BOB", "--kind", "memo", "--text", "Hi"});
}

TEST_F(AdminSmallFaultsTest, AToDoPriorityOutsideItsValuesIsRefusedAndNothingIsAdded) {
  struct Case {
    std::string priority;
    std::string said;
  };
  const Case cases[] = {
      {"1000", "A priority is at most 3 characters."},
      {"\t1", "A priority cannot hold a control character such as a tab."},
      {"1\n", "A priority cannot hold a control character"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("[" + c.priority + "]");
    DpadminRun added =
        Run({"add-todo", office, "ALICE", "3-10-27", "--priority", c.priority, "Call the bank"});
    EXPECT_NE(added.status, 0) << ShowRun(added);
    EXPECT_TRUE(Contains(added.err, c.said)) << added.err;
  }
  const std::string empty = Expect({"todo", office, "ALICE", "3-10-27"});
  EXPECT_FALSE(Contains(empty, "Call the bank")) << empty;
  Expect({"add-todo", office, "ALICE", "3-10-27", "--priority", "A1", "Call the bank"});
  EXPECT_TRUE(Contains(Expect({"todo", office, "ALICE", "3-10-27"}), "Call the bank"));
}

TEST_F(AdminSmallFaultsTest, ASemicolonSeparatedPhoneListSaysTheSeparatorIsWrong) {
  const std::string csv = scratch.File("list.csv");
  std::ofstream(csv) << "Listname;Company;Phone\nSMITH, ANN;Acme;555-0100\n";
  DpadminRun imported = Run({"import-phone", office, "COMMON", csv});
  EXPECT_NE(imported.status, 0) << ShowRun(imported);
  EXPECT_TRUE(Contains(imported.err, "separated by semicolons; the separator must be a comma"))
      << imported.err;
}

TEST_F(AdminSmallFaultsTest, EmailToTheInternetSaysItWaitsForTheGateway) {
  const std::string local =
      Expect({"send", office, "--from", "ALICE", "--to", "BOB", "--kind", "email", "--subject",
              "Lunch", "--body", "At one.", "--email-from", "alice@example.com"});
  EXPECT_FALSE(Contains(local, "gateway")) << local;
  const std::string out =
      Expect({"send", office, "--from", "ALICE", "--to", "BOB, pat@example.com, lee@example.org",
              "--kind", "email", "--subject", "Prices", "--body", "See the list.", "--email-from",
              "alice@example.com"});
  EXPECT_TRUE(Contains(out,
                       "the mail to 2 Internet addresses waits in the DPMAIL SERVER "
                       "mailbox until the e-mail gateway sends it"))
      << out;
}

TEST_F(AdminSmallFaultsTest, CreateRefusesADataDirectoryWhosePathTheIniCannotHold) {
  // scratch.Path() ends in '/'; the directories' full paths are 78 and 79
  // characters long.
  const std::string base = scratch.Path();
  ASSERT_LT(base.size(), 70u);
  const std::string fits = base + std::string(78 - base.size(), 'a');
  const std::string tooLong = base + std::string(79 - base.size(), 'b');
  DpadminRun refused = Run({"create", tooLong});
  EXPECT_NE(refused.status, 0) << ShowRun(refused);
  EXPECT_TRUE(Contains(refused.err,
                       "path is 79 characters long; DPDESK.INI's Path holds at "
                       "most 78."))
      << refused.err;
  EXPECT_FALSE(std::filesystem::exists(tooLong));
  refused = Run({"create", tooLong + "/"});
  EXPECT_NE(refused.status, 0) << ShowRun(refused);
  DpadminRun made = Run({"create", fits + "/"});
  EXPECT_EQ(made.status, 0) << ShowRun(made);
}

TEST_F(AdminSmallFaultsTest, ANameTableThatCannotBeOpenedIsNotReportedAsNoSuchPerson) {
  DpadminRun missing = Run({"messages", office, "NOBODY"});
  EXPECT_NE(missing.status, 0) << ShowRun(missing);
  EXPECT_TRUE(Contains(missing.err, "no such person: NOBODY")) << missing.err;
  ASSERT_TRUE(std::filesystem::remove(office + "NAME.X1"));
  DpadminRun broken = Run({"messages", office, "ALICE"});
  EXPECT_NE(broken.status, 0) << ShowRun(broken);
  EXPECT_FALSE(Contains(broken.err, "no such person")) << broken.err;
  EXPECT_TRUE(Contains(broken.err, "cannot look up ALICE")) << broken.err;
  EXPECT_TRUE(Contains(broken.err, "NAME.X1")) << broken.err;
}

}  // namespace

// Day values are local midnight of whoever stores them: an untimed entry
// stored by dpadmin on a UTC server showed on the previous day in New York.
// With the office's TIMEZONE both programs keep New York's days.
class AdminTimeZoneTest : public AdminSmallFaultsTest {
 protected:
  void TearDown() override { unsetenv("TZ"); }
  void SetOfficeZone(const std::string& zone) {
    std::ofstream(office + "DPDESK.CFG") << "TIMEZONE=" << zone << "\r\n";
  }
  DpadminRun RunIn(const char* machineZone, const std::vector<std::string>& args) {
    setenv("TZ", machineZone, 1);
    return Run(args);
  }
};

TEST_F(AdminTimeZoneTest, AnUntimedEntryKeepsItsDayBetweenMachinesInOtherZones) {
  SetOfficeZone("America/New_York");
  DpadminRun added = RunIn("UTC", {"add-entry", office, "ALICE", "3-15-27", "Board day"});
  ASSERT_EQ(added.status, 0) << ShowRun(added);
  DpadminRun day = RunIn("America/Los_Angeles", {"schedule", office, "ALICE", "3-15-27"});
  EXPECT_EQ(day.status, 0) << ShowRun(day);
  EXPECT_TRUE(Contains(day.out, "Board day")) << day.out;
}

TEST_F(AdminTimeZoneTest, TheHourSkippedWhenTheClocksGoForwardIsRefused) {
  SetOfficeZone("America/New_York");
  DpadminRun skipped =
      RunIn("UTC", {"add-entry", office, "ALICE", "3-14-27", "2:30AM", "Night shift"});
  EXPECT_EQ(skipped.status, 2) << ShowRun(skipped);
  EXPECT_TRUE(Contains(skipped.err,
                       "no such time: 2:30AM on 3-14-27, the night the clocks go "
                       "forward"))
      << skipped.err;
  DpadminRun kept =
      RunIn("UTC", {"add-entry", office, "ALICE", "3-15-27", "2:30AM", "Night shift"});
  EXPECT_EQ(kept.status, 0) << ShowRun(kept);
  DpadminRun day = RunIn("UTC", {"schedule", office, "ALICE", "3-15-27"});
  EXPECT_TRUE(Contains(day.out, "2:30")) << day.out;
}

TEST_F(AdminTimeZoneTest, AnUnknownOfficeZoneIsRefusedAndNothingIsStored) {
  SetOfficeZone("Mars/Olympus");
  DpadminRun refused = RunIn("UTC", {"add-entry", office, "ALICE", "3-15-27", "Board day"});
  EXPECT_EQ(refused.status, 2) << ShowRun(refused);
  EXPECT_TRUE(Contains(refused.err, "Unknown time zone: Mars/Olympus (TIMEZONE in DPDESK.CFG)"))
      << refused.err;
  SetOfficeZone("UTC");
  DpadminRun day = RunIn("UTC", {"schedule", office, "ALICE", "3-15-27"});
  EXPECT_FALSE(Contains(day.out, "Board day")) << day.out;
}

TEST_F(AdminTimeZoneTest, ARepeatOverTheSkippedHourSaysWhereThatDaysEntryWent) {
  SetOfficeZone("America/New_York");
  DpadminRun added = RunIn("UTC", {"add-entry", office, "ALICE", "3-13-27", "2:30AM", "Night shift",
                                   "--every", "1", "--until", "3-15-27"});
  EXPECT_EQ(added.status, 0) << ShowRun(added);
  EXPECT_TRUE(Contains(added.out, "2 repeating items added.")) << added.out;
  EXPECT_TRUE(Contains(added.out,
                       "On 3-14-27 the clocks go forward past that time: the entry is at "
                       " 3:30AM."))
      << added.out;
  EXPECT_FALSE(Contains(added.out, "On 3-15-27")) << added.out;
}
