// dpadmin against bad input, damaged files, full disks and read-only shares,
// run as a separate process on real offices: what a command answers must be
// what the files hold afterwards, a command that fails leaves nothing behind
// and says why, and the faults a new administrator met (names that would
// break other things, options and files taken without a word, days that
// moved between time zones) are refused or kept right.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "data/messages/dpfolder.h"
#include "data/office/datadir.h"
#include "data/office/dpname.h"
#include "storage/records/phone.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/file_text.h"
#include "tests/tools/admin_test.h"

namespace {

namespace ph = records::phone;

// Every file of a directory tree with its content, to show that a command
// changed nothing.
std::map<std::string, std::string> Snapshot(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& item : std::filesystem::recursive_directory_iterator(dir))
    if (item.is_regular_file()) files[item.path().string()] = ReadWholeFile(item.path().string());
  return files;
}

class AdminFaultsTest : public AdminTest {
 protected:
  // The demo office: people ANNE, BOB, ..., messages, phone entries.
  void MakeDemo() { Expect({"demo", office}); }
  // dpadmin in a process whose files may not grow past limit bytes, so its
  // writes fail as they do on a full disk.
  DpadminRun RunWithFileSizeLimit(const std::vector<std::string>& args, rlim_t limit) {
    DpadminRun run;
    run.status = WithFileSizeLimit(limit, [&] {
      const DpadminRun limited = Run(args);
      std::ofstream(scratch.File("limited.err")) << limited.err;
      return limited.status;
    });
    run.err = ReadWholeFile(scratch.File("limited.err"));
    return run;
  }
  // What an append cut short by a full disk leaves: the first 512 bytes of
  // a record (a copy of the last one, with its key). Answers the file before.
  std::string TearAPhoneRecord() {
    const std::string whole = Records("PHONE");
    std::ofstream(office + "PHONE.DAT", std::ios::binary | std::ios::app)
        << whole.substr(whole.size() - ph::kRecordSize, 512);
    return whole;
  }
};

// ---- create on a directory that holds an office ----

TEST_F(AdminFaultsTest, CreateRefusesAnOfficeThatLostItsMarkerAndCatalogue) {
  MakeDemo();
  std::filesystem::remove(office + "DP.EXE");
  std::filesystem::remove(office + "CAT.DAT");
  const std::string names = ReadWholeFile(office + "NAME.DAT");
  const std::string messages = ReadWholeFile(office + "MESSAGE.DAT");
  DpadminRun run = Exits(1, {"create", office});
  EXPECT_TRUE(Contains(run.err, "--force"));
  EXPECT_TRUE(Contains(run.err, "NAME.DAT"));
  EXPECT_FALSE(Contains(run.out, "created"));
  EXPECT_EQ(ReadWholeFile(office + "NAME.DAT"), names);
  EXPECT_EQ(ReadWholeFile(office + "MESSAGE.DAT"), messages);
}

// Any one file of an office, alone in a directory, is enough to refuse.
TEST_F(AdminFaultsTest, CreateRefusesADirectoryHoldingAnyFileOfAnOffice) {
  for (const std::string file : {"NAME.DAT", "MESSAGE.DAT", "PHONE.X1", "MESSAGE.X2", "SCHED.DAT",
                                 "DPE/12.DPE", "SENDLOG/3.TXT", "7.nam", "DP.EXE"}) {
    SCOPED_TRACE(file);
    TempDir dir;
    WriteWholeFile(dir.File(file), "what the office had");
    Exits(1, {"create", dir.Path()});
    EXPECT_EQ(ReadWholeFile(dir.File(file)), "what the office had");
    EXPECT_FALSE(FileExists(dir.File("CAT.DAT"))) << "create went ahead";
  }
}

TEST_F(AdminFaultsTest, CreateOnAnEmptyOrForeignDirectoryGoesAhead) {
  WriteWholeFile(office + "notes.txt", "not an office's file");
  WriteWholeFile(office + "DPDESK.CFG", "POLLTIME=3\n");
  Expect({"create", office});
  EXPECT_EQ(ReadWholeFile(office + "DPDESK.CFG"), "POLLTIME=3\n");
  ExpectCheckClean();
}

TEST_F(AdminFaultsTest, CreateWithForceListsWhatItEmptiesAndRemoves) {
  MakeDemo();
  std::filesystem::remove(office + "DP.EXE");
  std::filesystem::remove(office + "CAT.DAT");
  WriteWholeFile(office + "DPE/1.DPE", "an old e-mail");
  WriteWholeFile(office + "5.nam", "");
  WriteWholeFile(office + "DPDESK.CFG", "POLLTIME=3\n");
  const std::string out = Expect({"create", office, "--force"});
  EXPECT_TRUE(Contains(out, office + ": --force makes the data directory afresh, destroying:\n"));
  for (const std::string line : {"NAME.DAT: emptied (", "MESSAGE.DAT: emptied (",
                                 "NAME.X1: emptied", "DPE/1.DPE: removed", "5.nam: removed"})
    EXPECT_TRUE(Contains(out, "  " + line));
  EXPECT_FALSE(Contains(out, "CAT.DAT:")) << "CAT.DAT was not there";
  // The list comes before the work is done.
  EXPECT_LT(out.find("NAME.DAT"), out.find("data directory created")) << out;
  EXPECT_EQ(Records("NAME").size(), size_t(FindTableDef("NAME")->headerSize));
  EXPECT_EQ(Records("MESSAGE").size(), size_t(FindTableDef("MESSAGE")->headerSize));
  // New message 1 must not find the old message 1's body, nor new user 5
  // the old user's flag; the office's settings stay.
  EXPECT_FALSE(FileExists(office + "DPE/1.DPE"));
  EXPECT_FALSE(FileExists(office + "5.nam"));
  EXPECT_EQ(ReadWholeFile(office + "DPDESK.CFG"), "POLLTIME=3\n");
  ExpectCheckClean();
}

// ---- a send the index refuses ----

TEST_F(AdminFaultsTest, ASendReportedAsNotStoredDoesNotComeBackAfterAReindex) {
  MakeDemo();
  const std::string before = Run({"messages", office, "BOB"}).out;
  std::filesystem::resize_file(office + "MESSAGE.X1",
                               std::filesystem::file_size(office + "MESSAGE.X1") / 2);
  EXPECT_TRUE(Contains(Exits(1, {"send", office, "--from", "ANNE", "--to", "BOB", "--kind", "memo",
                                 "--text", "twice?"})
                           .err,
                       "not stored"));
  Expect({"reindex", office, "MESSAGE"});
  // A retry would deliver it twice.
  EXPECT_EQ(Run({"messages", office, "BOB"}).out, before);
  ExpectCheckClean();
}

// ---- a full disk ----

// The send's clean-up after the failed copy must not lose why it failed.
TEST_F(AdminFaultsTest, ASendStoppedByAFullDiskSaysTheDiskIsFull) {
  MakeDemo();
  const std::string before = Run({"messages", office, "BOB"}).out;
  DpadminRun send = RunWithFileSizeLimit(
      {"send", office, "--from", "ANNE", "--to", "BOB", "--kind", "memo", "--text", "Room?"},
      rlim_t(ReadWholeFile(office + "MESSAGE.DAT").size() + 100));
  EXPECT_NE(send.status, 0) << ShowRun(send);
  EXPECT_TRUE(Contains(send.err, "Error writing file: MESSAGE (the disk is full)"));
  EXPECT_EQ(Run({"messages", office, "BOB"}).out, before);
  ExpectCheckClean();
}

std::string PhoneRows(int count) {
  std::string csv = "Listname,Phone 1\n";
  for (int i = 0; i < count; ++i)
    csv += "Supplier " + std::to_string(i) + ",555-01" + std::to_string(10 + i) + "\n";
  return csv;
}

TEST_F(AdminFaultsTest, AnImportStoppedByAFullDiskLeavesWholeRecordsAndSaysTheDiskIsFull) {
  MakeDemo();
  const int64_t before = int64_t(ReadWholeFile(office + "PHONE.DAT").size());
  const std::string csv = scratch.File("rows.csv");
  WriteWholeFile(csv, PhoneRows(10));
  // Room for three more records and half of a fourth.
  DpadminRun import = RunWithFileSizeLimit({"import-phone", office, "COMMON", csv},
                                           rlim_t(before + 3 * ph::kRecordSize + 512));
  EXPECT_NE(import.status, 0) << ShowRun(import);
  EXPECT_TRUE(Contains(import.err, "the disk is full"));
  EXPECT_EQ(int64_t(ReadWholeFile(office + "PHONE.DAT").size()), before + 3 * ph::kRecordSize)
      << "a torn record was left behind";
  ExpectCheckClean();
  // With room again, the row that failed goes in once, and no record
  // appears that no list shows.
  Expect({"add-phone", office, "COMMON", "--listname", "Supplier 3", "--phone", "555-0113"});
  ExpectCheckClean();
  Expect({"reindex", office, "PHONE"});
  EXPECT_EQ(int64_t(ReadWholeFile(office + "PHONE.DAT").size()), before + 4 * ph::kRecordSize);
}

TEST_F(AdminFaultsTest, ReindexCutsOffTheBytesCheckReportsAsLeftOver) {
  MakeDemo();
  const std::string whole = TearAPhoneRecord();
  EXPECT_TRUE(Contains(Exits(1, {"check", office, "PHONE"}).out, "512 bytes left over"));
  EXPECT_TRUE(Contains(Expect({"reindex", office, "PHONE"}), "cut off 512 bytes"));
  EXPECT_EQ(ReadWholeFile(office + "PHONE.DAT"), whole);
  ExpectCheckClean();
}

// A torn record the append passes over before anyone reindexed: it must
// not become a whole record that no list shows and that collides with
// the record it was a copy of.
TEST_F(AdminFaultsTest, AnAddAfterATornRecordLeavesNoHiddenDuplicate) {
  MakeDemo();
  TearAPhoneRecord();
  Expect({"add-phone", office, "COMMON", "--listname", "Newcomer", "--phone", "555-0199"});
  ExpectCheckClean();
  Expect({"reindex", office, "PHONE"});
}

// ---- a command that fails leaves nothing behind ----

TEST_F(AdminFaultsTest, AnEntryWithRepeatOptionsThatAreRefusedIsNotStored) {
  MakeDemo();
  struct Case {
    std::string every, until, says;
  };
  const Case cases[] = {
      {"0", "6-30-27", "Day must be between 1 and 999"},
      {"1000", "6-30-27", "Day must be between 1 and 999"},
      {"7x", "6-30-27", "Day must be between 1 and 999"},
      {"7", "1-01-38", "bad date"},
      {"7", "2-30-27", "bad date"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("--every " + c.every + " --until " + c.until);
    const auto before = Snapshot(office);
    DpadminRun add = Run({"add-entry", office, "BOB", "5-03-27", "9:00AM", "Weekly", "--every",
                          c.every, "--until", c.until});
    EXPECT_NE(add.status, 0) << ShowRun(add);
    EXPECT_TRUE(Contains(add.err, c.says));
    EXPECT_FALSE(Contains(add.out, "Entry added"));
    EXPECT_TRUE(Snapshot(office) == before) << "the refused command changed the office";
  }
  EXPECT_TRUE(Contains(Run({"schedule", office, "BOB", "5-03-27"}).out, "(no entries)"));
  // The same entry with sound options goes in with its repeats.
  EXPECT_TRUE(Contains(Expect({"add-entry", office, "BOB", "5-03-27", "9:00AM", "Weekly", "--every",
                               "7", "--until", "5-31-27"}),
                       "4 repeating items added"));
}

TEST_F(AdminFaultsTest, AGroupThatCannotHoldItsMembersIsNotMade) {
  MakeDemo();
  std::vector<std::string> add = {"add-name", office};
  for (int i = 0; i < 101; ++i) add.push_back("PERSON " + std::to_string(100 + i));
  Expect(add);
  std::vector<std::string> group = {"add-group", office, "*EVERYONE"};
  group.insert(group.end(), add.begin() + 2, add.end());
  const auto before = Snapshot(office);
  EXPECT_TRUE(Contains(Exits(1, group).err, "cannot hold them all"));
  EXPECT_TRUE(Snapshot(office) == before) << "the group was made without its members";
  group.pop_back();
  EXPECT_TRUE(Contains(Expect(group), "100 members"));
}

// ---- faults a new administrator met ----

class AdminSmallFaultsTest : public AdminTest {
 protected:
  void SetUp() override {
    Expect({"create", office});
    Expect({"add-name", office, "ALICE", "BOB"});
  }
};

// A bad name among good ones adds none of them, and says why.
TEST_F(AdminSmallFaultsTest, AddNameAndAddGroupRefuseNamesThatBreakOtherThingsAndSayWhy) {
  struct Case {
    std::vector<std::string> args;
    std::string said;
  };
  const Case cases[] = {
      {{"add-name", "SMITH, JOHN"}, "cannot hold a comma"},
      {{"add-name", "ALICE "}, "cannot end with a blank."},
      {{"add-name", "TAB\tNAME"}, "control character such as a tab."},
      {{"add-name", "Dpmail Server"}, "mailbox of the e-mail gateway."},
      {{"add-name", "TWENTY CHARACTERS XX"}, "at most 19 characters."},
      {{"add-name", " BLANK FIRST"}, "cannot begin with a blank."},
      {{"add-name", "*NOT A PERSON"}, "a name beginning with '*' is a group; use add-group"},
      {{"add-name", ""}, ""},
      {{"add-group", "*EAST,WEST", "ALICE"}, "cannot hold a comma"},
      {{"add-group", "*TWENTY CHARACTERS X", "ALICE"}, "at most 19 characters."},
  };
  for (Case c : cases) {
    SCOPED_TRACE("[" + c.args[1] + "]");
    if (c.args[0] == "add-name") c.args = {"add-name", "FRANK", c.args[1], "GRACE"};
    c.args.insert(c.args.begin() + 1, office);
    const auto before = Snapshot(office);
    EXPECT_TRUE(Contains(Exits(1, c.args).err, c.said));
    EXPECT_TRUE(Snapshot(office) == before) << "the refused command changed the office";
  }
  Expect({"add-group", office, "*EAST WEST", "ALICE"});
  Expect({"add-name", office, "FRANK", "GRACE"});
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
  for (const std::string& folder : {std::string("99"), othersNumber, std::string("nosuch")})
    EXPECT_TRUE(Contains(Exits(1, {"messages", office, "ALICE", "--folder", folder}).err,
                         "no folder " + folder));
  for (const std::string& folder :
       {std::string("1"), std::string("3"), ownNumber, std::string("new"), std::string("archive"),
        std::string("Clients")})
    Expect({"messages", office, "ALICE", "--folder", folder});
}

TEST_F(AdminSmallFaultsTest, AttachOnAMemoOrPhoneMessageIsRefusedAndNothingIsSent) {
  const std::string file = scratch.File("report.txt");
  std::ofstream(file) << "figures\n";
  for (const char* kind : {"memo", "phone"})
    EXPECT_TRUE(Contains(Exits(2, {"send", office, "--from", "ALICE", "--to", "BOB", "--kind", kind,
                                   "--text", "See the file", "--attach", file})
                             .err,
                         "--attach goes with --kind email only"));
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
  for (const Case& c : cases)
    EXPECT_TRUE(Contains(Exits(2, {"add-todo", office, "ALICE", "3-10-27", "--priority", c.priority,
                                   "Call the bank"})
                             .err,
                         c.said));
  EXPECT_FALSE(Contains(Expect({"todo", office, "ALICE", "3-10-27"}), "Call the bank"));
  Expect({"add-todo", office, "ALICE", "3-10-27", "--priority", "A1", "Call the bank"});
  EXPECT_TRUE(Contains(Expect({"todo", office, "ALICE", "3-10-27"}), "Call the bank"));
}

TEST_F(AdminSmallFaultsTest, EmailToTheInternetSaysItWaitsForTheGateway) {
  const std::string local =
      Expect({"send", office, "--from", "ALICE", "--to", "BOB", "--kind", "email", "--subject",
              "Lunch", "--body", "At one.", "--email-from", "alice@example.com"});
  EXPECT_FALSE(Contains(local, "gateway"));
  const std::string out =
      Expect({"send", office, "--from", "ALICE", "--to", "BOB, pat@example.com, lee@example.org",
              "--kind", "email", "--subject", "Prices", "--body", "See the list.", "--email-from",
              "alice@example.com"});
  EXPECT_TRUE(Contains(out,
                       "the mail to 2 Internet addresses waits in the DPMAIL SERVER "
                       "mailbox until the e-mail gateway sends it"));
}

TEST_F(AdminSmallFaultsTest, CreateRefusesADataDirectoryWhosePathTheIniCannotHold) {
  // scratch.Path() ends in '/'; the directories' full paths are 78 and 79
  // characters long.
  const std::string base = scratch.Path();
  ASSERT_LT(base.size(), 70u);
  const std::string fits = base + std::string(78 - base.size(), 'a');
  const std::string tooLong = base + std::string(79 - base.size(), 'b');
  EXPECT_TRUE(Contains(Exits(2, {"create", tooLong}).err,
                       "path is 79 characters long; DPDESK.INI's Path holds at most 78."));
  EXPECT_FALSE(std::filesystem::exists(tooLong));
  Exits(2, {"create", tooLong + "/"});
  Expect({"create", fits + "/"});
}

TEST_F(AdminSmallFaultsTest, ANameTableThatCannotBeOpenedIsNotReportedAsNoSuchPerson) {
  EXPECT_TRUE(Contains(Exits(1, {"messages", office, "NOBODY"}).err, "no such person: NOBODY"));
  ASSERT_TRUE(std::filesystem::remove(office + "NAME.X1"));
  const std::string broken = Exits(1, {"messages", office, "ALICE"}).err;
  EXPECT_FALSE(Contains(broken, "no such person"));
  EXPECT_TRUE(Contains(broken, "cannot look up ALICE"));
  EXPECT_TRUE(Contains(broken, "NAME.X1"));
}

// Day values are local midnight of whoever stores them: an untimed entry
// stored by dpadmin on a UTC server showed on the previous day in New York.
// With the office's TIMEZONE both programs keep New York's days.
class AdminTimeZoneTest : public AdminSmallFaultsTest {
 protected:
  void TearDown() override { unsetenv("TZ"); }
  // dpadmin on a machine in the zone given, for an office in New York.
  DpadminRun ExitsIn(const char* machineZone, int status, const std::vector<std::string>& args,
                     const std::string& officeZone = "America/New_York") {
    std::ofstream(office + "DPDESK.CFG") << "TIMEZONE=" << officeZone << "\r\n";
    setenv("TZ", machineZone, 1);
    return Exits(status, args);
  }
};

TEST_F(AdminTimeZoneTest, AnUntimedEntryKeepsItsDayBetweenMachinesInOtherZones) {
  ExitsIn("UTC", 0, {"add-entry", office, "ALICE", "3-15-27", "Board day"});
  EXPECT_TRUE(
      Contains(ExitsIn("America/Los_Angeles", 0, {"schedule", office, "ALICE", "3-15-27"}).out,
               "Board day"));
}

TEST_F(AdminTimeZoneTest, TheHourSkippedWhenTheClocksGoForwardIsRefused) {
  EXPECT_TRUE(Contains(
      ExitsIn("UTC", 2, {"add-entry", office, "ALICE", "3-14-27", "2:30AM", "Night shift"}).err,
      "no such time: 2:30AM on 3-14-27, the night the clocks go forward"));
  ExitsIn("UTC", 0, {"add-entry", office, "ALICE", "3-15-27", "2:30AM", "Night shift"});
  EXPECT_TRUE(Contains(ExitsIn("UTC", 0, {"schedule", office, "ALICE", "3-15-27"}).out, "2:30"));
}

TEST_F(AdminTimeZoneTest, AnUnknownOfficeZoneIsRefusedAndNothingIsStored) {
  EXPECT_TRUE(Contains(
      ExitsIn("UTC", 2, {"add-entry", office, "ALICE", "3-15-27", "Board day"}, "Mars/Olympus").err,
      "Unknown time zone: Mars/Olympus (TIMEZONE in DPDESK.CFG)"));
  EXPECT_FALSE(Contains(ExitsIn("UTC", 0, {"schedule", office, "ALICE", "3-15-27"}, "UTC").out,
                        "Board day"));
}

TEST_F(AdminTimeZoneTest, ARepeatOverTheSkippedHourSaysWhereThatDaysEntryWent) {
  const std::string out = ExitsIn("UTC", 0,
                                  {"add-entry", office, "ALICE", "3-13-27", "2:30AM", "Night shift",
                                   "--every", "1", "--until", "3-15-27"})
                              .out;
  EXPECT_TRUE(Contains(out, "2 repeating items added."));
  EXPECT_TRUE(
      Contains(out, "On 3-14-27 the clocks go forward past that time: the entry is at  3:30AM."));
  EXPECT_FALSE(Contains(out, "On 3-15-27"));
}

// ---- an office on a read-only share ----

// As a workstation that may not write there sees it: dpadmin's reading
// commands work as anywhere, and every change is refused as access denied,
// with nothing of the office changed. The office is made read-only by its
// permissions; as root, which permissions do not stop, the commands run as
// nobody through setpriv.
class AdminReadOnlyTest : public AdminTest {
 protected:
  void SetUp() override {
    Expect({"create", office});
    Expect({"add-name", office, "ANNE", "BOB"});
    Expect({"send", office, "--from", "ANNE", "--to", "BOB", "--kind", "memo", "--text",
            "Budget figures by Friday"});
    // The program goes beside the office, where nobody may run it whatever
    // the build tree's permissions.
    program = scratch.File("dpadmin");
    std::filesystem::copy_file(DPADMIN_PATH, program);
    SetWritable(false);
    for (const std::filesystem::directory_entry& e : std::filesystem::directory_iterator(office))
      if (e.is_regular_file()) before[e.path().filename()] = ReadWholeFile(e.path());
  }
  void TearDown() override { SetWritable(true); }

  void SetWritable(bool writable) {
    const std::filesystem::perms write = std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_write |
                                         std::filesystem::perms::others_write;
    std::filesystem::permissions(scratch.Path(), std::filesystem::perms::owner_all |
                                                     std::filesystem::perms::group_read |
                                                     std::filesystem::perms::group_exec |
                                                     std::filesystem::perms::others_read |
                                                     std::filesystem::perms::others_exec);
    for (const std::filesystem::directory_entry& e :
         std::filesystem::recursive_directory_iterator(office))
      std::filesystem::permissions(
          e.path(), write,
          writable ? std::filesystem::perm_options::add : std::filesystem::perm_options::remove);
    std::filesystem::permissions(
        office, write,
        writable ? std::filesystem::perm_options::add : std::filesystem::perm_options::remove);
  }

  DpadminRun RunReadOnly(const std::vector<std::string>& args) {
    if (geteuid() != 0) return RunProgram(program, args, scratch.Path());
    std::vector<std::string> all = {"--reuid=nobody", "--regid=nogroup", "--clear-groups", program};
    all.insert(all.end(), args.begin(), args.end());
    return RunProgram("/usr/bin/setpriv", all, scratch.Path());
  }

  std::string program;
  std::map<std::string, std::string> before;
};

TEST_F(AdminReadOnlyTest, ReadingWorksAndEveryChangeIsRefusedAsAccessDenied) {
  struct Case {
    std::vector<std::string> args;
    bool reads;
    const char* said;  // in the output for a reading, in the errors for a change
  };
  const Case cases[] = {
      {{"names", office}, true, "BOB"},
      {{"messages", office, "BOB"}, true, "memo from ANNE: Budget figures by Friday"},
      {{"check", office}, true, "no problems found"},
      {{"send", office, "--from", "BOB", "--to", "ANNE", "--kind", "memo", "--text", "Done"},
       false,
       "Access denied writing file: MESSAGE (the data directory is read-only here)"},
      {{"add-name", office, "CAROL"},
       false,
       "Access denied writing file: NAME (the data directory is read-only here)"},
      {{"add-phone", office, "COMMON", "--listname", "FISCHER, KARL"},
       false,
       "Access denied writing file: PHONE (the data directory is read-only here)"},
      {{"add-entry", office, "ANNE", "7-7-36", "Budget review"},
       false,
       "Access denied writing file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    const DpadminRun run = RunReadOnly(c.args);
    EXPECT_EQ(run.status == 0, c.reads) << ShowRun(run);
    EXPECT_TRUE(Contains(c.reads ? run.out : run.err, c.said));
  }
  for (const auto& [name, bytes] : before) EXPECT_EQ(ReadWholeFile(office + name), bytes) << name;
}

}  // namespace
