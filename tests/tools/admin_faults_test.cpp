// dpadmin against bad input, damaged files and full disks, run as a
// separate process on real offices: what a command answers must be what the
// files hold afterwards, and a command that fails leaves nothing behind.
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "storage/records/phone.h"
#include "tests/support/file_size_limit.h"
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
  void Write(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
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
  DpadminRun run = Run({"create", office});
  EXPECT_EQ(run.status, 1) << ShowRun(run);
  EXPECT_TRUE(Contains(run.err, "--force")) << run.err;
  EXPECT_TRUE(Contains(run.err, "NAME.DAT")) << run.err;
  EXPECT_FALSE(Contains(run.out, "created")) << run.out;
  EXPECT_EQ(ReadWholeFile(office + "NAME.DAT"), names);
  EXPECT_EQ(ReadWholeFile(office + "MESSAGE.DAT"), messages);
}

// Any one file of an office, alone in a directory, is enough to refuse.
TEST_F(AdminFaultsTest, CreateRefusesADirectoryHoldingAnyFileOfAnOffice) {
  for (const std::string file : {"NAME.DAT", "MESSAGE.DAT", "PHONE.X1", "MESSAGE.X2", "SCHED.DAT",
                                 "DPE/12.DPE", "SENDLOG/3.TXT", "7.nam", "DP.EXE"}) {
    SCOPED_TRACE(file);
    TempDir dir;
    Write(dir.File(file), "what the office had");
    DpadminRun run = Run({"create", dir.Path()});
    EXPECT_EQ(run.status, 1) << ShowRun(run);
    EXPECT_EQ(ReadWholeFile(dir.File(file)), "what the office had");
    EXPECT_FALSE(FileExists(dir.File("CAT.DAT"))) << "create went ahead";
  }
}

TEST_F(AdminFaultsTest, CreateOnAnEmptyOrForeignDirectoryGoesAhead) {
  Write(office + "notes.txt", "not an office's file");
  Write(office + "DPDESK.CFG", "POLLTIME=3\n");
  DpadminRun run = Run({"create", office});
  ASSERT_EQ(run.status, 0) << ShowRun(run);
  EXPECT_EQ(ReadWholeFile(office + "DPDESK.CFG"), "POLLTIME=3\n");
  ExpectCheckClean();
}

TEST_F(AdminFaultsTest, CreateWithForceListsWhatItEmptiesAndRemoves) {
  MakeDemo();
  std::filesystem::remove(office + "DP.EXE");
  std::filesystem::remove(office + "CAT.DAT");
  Write(office + "DPE/1.DPE", "an old e-mail");
  Write(office + "5.nam", "");
  Write(office + "DPDESK.CFG", "POLLTIME=3\n");
  DpadminRun run = Run({"create", office, "--force"});
  ASSERT_EQ(run.status, 0) << ShowRun(run);
  EXPECT_TRUE(
      Contains(run.out, office + ": --force makes the data directory afresh, destroying:\n"))
      << run.out;
  for (const std::string line : {"NAME.DAT: emptied (", "MESSAGE.DAT: emptied (",
                                 "NAME.X1: emptied", "DPE/1.DPE: removed", "5.nam: removed"})
    EXPECT_TRUE(Contains(run.out, "  " + line)) << line << "\n" << run.out;
  EXPECT_FALSE(Contains(run.out, "CAT.DAT:")) << "CAT.DAT was not there\n" << run.out;
  // The list comes before the work is done.
  EXPECT_LT(run.out.find("NAME.DAT"), run.out.find("data directory created")) << run.out;
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
  DpadminRun send =
      Run({"send", office, "--from", "ANNE", "--to", "BOB", "--kind", "memo", "--text", "twice?"});
  ASSERT_EQ(send.status, 1) << ShowRun(send);
  EXPECT_TRUE(Contains(send.err, "not stored")) << send.err;
  DpadminRun reindex = Run({"reindex", office, "MESSAGE"});
  ASSERT_EQ(reindex.status, 0) << ShowRun(reindex);
  DpadminRun after = Run({"messages", office, "BOB"});
  EXPECT_FALSE(Contains(after.out, "twice?")) << "a retry would deliver it twice\n" << after.out;
  EXPECT_EQ(after.out, before);
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
  EXPECT_TRUE(Contains(send.err, "Error writing file: MESSAGE (the disk is full)")) << send.err;
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
  Write(csv, PhoneRows(10));
  // Room for three more records and half of a fourth.
  DpadminRun import = RunWithFileSizeLimit({"import-phone", office, "COMMON", csv},
                                           rlim_t(before + 3 * ph::kRecordSize + 512));
  EXPECT_NE(import.status, 0) << ShowRun(import);
  EXPECT_TRUE(Contains(import.err, "the disk is full")) << import.err;
  EXPECT_EQ(int64_t(ReadWholeFile(office + "PHONE.DAT").size()), before + 3 * ph::kRecordSize)
      << "a torn record was left behind";
  ExpectCheckClean();
  // With room again, the row that failed goes in once, and no record
  // appears that no list shows.
  DpadminRun add =
      Run({"add-phone", office, "COMMON", "--listname", "Supplier 3", "--phone", "555-0113"});
  ASSERT_EQ(add.status, 0) << ShowRun(add);
  ExpectCheckClean();
  DpadminRun reindex = Run({"reindex", office, "PHONE"});
  EXPECT_EQ(reindex.status, 0) << ShowRun(reindex);
  EXPECT_EQ(int64_t(ReadWholeFile(office + "PHONE.DAT").size()), before + 4 * ph::kRecordSize);
}

TEST_F(AdminFaultsTest, ReindexCutsOffTheBytesCheckReportsAsLeftOver) {
  MakeDemo();
  const std::string whole = TearAPhoneRecord();
  DpadminRun check = Run({"check", office, "PHONE"});
  EXPECT_EQ(check.status, 1) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "512 bytes left over")) << check.out;
  DpadminRun reindex = Run({"reindex", office, "PHONE"});
  ASSERT_EQ(reindex.status, 0) << ShowRun(reindex);
  EXPECT_TRUE(Contains(reindex.out, "cut off 512 bytes")) << reindex.out;
  EXPECT_EQ(ReadWholeFile(office + "PHONE.DAT"), whole);
  ExpectCheckClean();
  DpadminRun add =
      Run({"add-phone", office, "COMMON", "--listname", "Newcomer", "--phone", "555-0199"});
  ASSERT_EQ(add.status, 0) << ShowRun(add);
  ExpectCheckClean();
  EXPECT_EQ(Run({"reindex", office, "PHONE"}).status, 0);
}

// A torn record the append passes over before anyone reindexed: it must
// not become a whole record that no list shows and that collides with
// the record it was a copy of.
TEST_F(AdminFaultsTest, AnAddAfterATornRecordLeavesNoHiddenDuplicate) {
  MakeDemo();
  TearAPhoneRecord();
  DpadminRun add =
      Run({"add-phone", office, "COMMON", "--listname", "Newcomer", "--phone", "555-0199"});
  ASSERT_EQ(add.status, 0) << ShowRun(add);
  ExpectCheckClean();
  DpadminRun reindex = Run({"reindex", office, "PHONE"});
  EXPECT_EQ(reindex.status, 0) << ShowRun(reindex);
}

// ---- a command that fails leaves nothing behind ----

TEST_F(AdminFaultsTest, AnEntryWithRepeatOptionsThatAreRefusedIsNotStored) {
  MakeDemo();
  struct Case {
    std::string every, until, says;
  };
  const Case cases[] = {
      {"0", "6-30-27", "Day must be between 1 and 999"},
      {"-1", "6-30-27", "Day must be between 1 and 999"},
      {"1000", "6-30-27", "Day must be between 1 and 999"},
      {"7x", "6-30-27", "Day must be between 1 and 999"},
      {"seven", "6-30-27", "Day must be between 1 and 999"},
      {"7", "1-01-38", "bad date"},
      {"7", "12-31-2040", "bad date"},
      {"7", "2-30-27", "bad date"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("--every " + c.every + " --until " + c.until);
    const auto before = Snapshot(office);
    DpadminRun add = Run({"add-entry", office, "BOB", "5-03-27", "9:00AM", "Weekly", "--every",
                          c.every, "--until", c.until});
    EXPECT_NE(add.status, 0) << ShowRun(add);
    EXPECT_TRUE(Contains(add.err, c.says)) << add.err;
    EXPECT_FALSE(Contains(add.out, "Entry added")) << add.out;
    EXPECT_TRUE(Snapshot(office) == before) << "the refused command changed the office";
  }
  DpadminRun day = Run({"schedule", office, "BOB", "5-03-27"});
  EXPECT_TRUE(Contains(day.out, "(no entries)")) << day.out;
  // The same entry with sound options goes in with its repeats.
  DpadminRun add = Run({"add-entry", office, "BOB", "5-03-27", "9:00AM", "Weekly", "--every", "7",
                        "--until", "5-31-27"});
  ASSERT_EQ(add.status, 0) << ShowRun(add);
  EXPECT_TRUE(Contains(add.out, "4 repeating items added")) << add.out;
}

TEST_F(AdminFaultsTest, AddNameWithOneBadNameAddsNoneOfThem) {
  MakeDemo();
  for (const std::string bad : {"*NOT A PERSON", "TWENTY CHARACTERS XX", " BLANK FIRST", ""}) {
    SCOPED_TRACE("\"" + bad + "\"");
    const auto before = Snapshot(office);
    DpadminRun add = Run({"add-name", office, "FRANK", bad, "GRACE"});
    EXPECT_EQ(add.status, 1) << ShowRun(add);
    EXPECT_TRUE(Snapshot(office) == before) << Run({"names", office}).out;
  }
  DpadminRun add = Run({"add-name", office, "FRANK", "GRACE"});
  EXPECT_EQ(add.status, 0) << ShowRun(add);
}

TEST_F(AdminFaultsTest, AGroupThatCannotHoldItsMembersIsNotMade) {
  MakeDemo();
  std::vector<std::string> add = {"add-name", office};
  for (int i = 0; i < 101; ++i) add.push_back("PERSON " + std::to_string(100 + i));
  DpadminRun added = Run(add);
  ASSERT_EQ(added.status, 0) << ShowRun(added);
  std::vector<std::string> group = {"add-group", office, "*EVERYONE"};
  group.insert(group.end(), add.begin() + 2, add.end());
  const auto before = Snapshot(office);
  DpadminRun made = Run(group);
  EXPECT_EQ(made.status, 1) << ShowRun(made);
  EXPECT_TRUE(Contains(made.err, "cannot hold them all")) << made.err;
  EXPECT_TRUE(Snapshot(office) == before) << "the group was made without its members";
  group.pop_back();
  made = Run(group);
  EXPECT_EQ(made.status, 0) << ShowRun(made);
  EXPECT_TRUE(Contains(made.out, "100 members")) << made.out;
}

}  // namespace
