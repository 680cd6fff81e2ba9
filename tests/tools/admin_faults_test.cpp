// dpadmin against bad input, damaged files and full disks, run as a
// separate process on real offices: what a command answers must be what the
// files hold afterwards, and a command that fails leaves nothing behind.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "storage/file.h"
#include "tests/support/dpadmin_run.h"
#include "tests/support/temp_dir.h"

namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class AdminFaultsTest : public ::testing::Test {
 protected:
  DpadminRun Run(const std::vector<std::string>& args, const std::string& input = "") {
    return RunDpadmin(args, scratch.Path(), input);
  }
  // The demo office: people ANNE, BOB, ..., messages, phone entries.
  void MakeDemo() {
    DpadminRun made = Run({"demo", office});
    ASSERT_EQ(made.status, 0) << ShowRun(made);
  }
  void Write(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  void ExpectCheckClean() {
    DpadminRun check = Run({"check", office});
    EXPECT_EQ(check.status, 0) << ShowRun(check);
  }

  TempDir scratch;
  TempDir data;
  std::string office = data.Path();
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
  DpadminRun run = Run({"create", office, "--force"});
  ASSERT_EQ(run.status, 0) << ShowRun(run);
  for (const std::string line : {"NAME.DAT: emptied (", "MESSAGE.DAT: emptied (",
                                 "NAME.X1: emptied", "DPE/1.DPE: removed", "5.nam: removed"})
    EXPECT_TRUE(Contains(run.out, "  " + line)) << line << "\n" << run.out;
  EXPECT_FALSE(Contains(run.out, "CAT.DAT:")) << "CAT.DAT was not there\n" << run.out;
  // The list comes before the work is done.
  EXPECT_LT(run.out.find("NAME.DAT"), run.out.find("data directory created")) << run.out;
  EXPECT_FALSE(FileExists(office + "DPE/1.DPE"));
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

}  // namespace
