// dpsetup --add, run as its own process against an office made by dpadmin:
// it adds the INI file's user once, and says clearly when the INI file's
// "Path" is not a DESKpost data directory.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/support/dpadmin_run.h"
#include "tests/support/temp_dir.h"

namespace {

#ifdef DPSETUP_PATH
DpadminRun RunDpsetup(const std::vector<std::string>& args, const std::string& scratch) {
  return RunProgram(DPSETUP_PATH, args, scratch);
}
#endif

class DpsetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef DPSETUP_PATH
    GTEST_SKIP() << "dpsetup is not built here";
#else
    office = scratch.Path() + "office/";
    ASSERT_EQ(mkdir(office.c_str(), 0755), 0);
    DpadminRun made = RunDpadmin({"create", office}, scratch.Path());
    ASSERT_EQ(made.status, 0) << ShowRun(made);
    DpadminRun added = RunDpadmin({"add-name", office, "Baker Tom"}, scratch.Path());
    ASSERT_EQ(added.status, 0) << ShowRun(added);
#endif
  }

  std::string WriteIni(const std::string& path, const std::string& name) {
    const std::string ini = scratch.Path() + "DPDESK.INI";
    std::ofstream(ini) << "[DESKpost]\nPath=" << path << "\nName=" << name << "\n";
    return ini;
  }

  std::string Names() {
    return RunDpadmin({"names", office}, scratch.Path()).out;
  }

  TempDir scratch;
  std::string office;
};

#ifdef DPSETUP_PATH

TEST_F(DpsetupTest, AddsTheMissingUserToTheNameListOnce) {
  const std::string ini = WriteIni(office, "Carter Ann");
  DpadminRun first = RunDpsetup({"--add", ini}, scratch.Path());
  EXPECT_EQ(first.status, 0) << ShowRun(first);
  EXPECT_EQ(first.out, "Added to the DESKpost name list.\n");
  EXPECT_NE(Names().find("Carter Ann"), std::string::npos) << Names();

  const std::string before = Names();
  DpadminRun again = RunDpsetup({"--add", WriteIni(office, "CARTER ANN")}, scratch.Path());
  EXPECT_EQ(again.status, 0) << ShowRun(again);
  EXPECT_EQ(again.out, "Already in the DESKpost name list.\n");
  EXPECT_EQ(Names(), before);
}

TEST_F(DpsetupTest, APathWithoutTheTrailingSlashWorks) {
  DpadminRun run = RunDpsetup(
      {"--add", WriteIni(office.substr(0, office.size() - 1), "Dunn Peter")}, scratch.Path());
  EXPECT_EQ(run.status, 0) << ShowRun(run);
  EXPECT_NE(Names().find("Dunn Peter"), std::string::npos);
}

TEST_F(DpsetupTest, ADirectoryThatIsNotADeskpostDirectoryIsReported) {
  const std::string elsewhere = scratch.Path() + "elsewhere/";
  ASSERT_EQ(mkdir(elsewhere.c_str(), 0755), 0);
  DpadminRun run = RunDpsetup({"--add", WriteIni(elsewhere, "Carter Ann")}, scratch.Path());
  EXPECT_EQ(run.status, 1) << ShowRun(run);
  EXPECT_NE(run.err.find("Could not find DESKpost in this location"), std::string::npos)
      << ShowRun(run);
  // Nothing was made there.
  EXPECT_NE(access((elsewhere + "NAME.DAT").c_str(), F_OK), 0);
}

TEST_F(DpsetupTest, AGroupNameIsNotAddedAsAUser) {
  DpadminRun run = RunDpsetup({"--add", WriteIni(office, "*Sales")}, scratch.Path());
  EXPECT_EQ(run.status, 1) << ShowRun(run);
  EXPECT_NE(run.err.find("is a group, not a person"), std::string::npos) << ShowRun(run);
  EXPECT_EQ(Names().find("*Sales"), std::string::npos);
}

TEST_F(DpsetupTest, AnIniFileWithoutTheSettingsIsReported) {
  const std::string ini = scratch.Path() + "EMPTY.INI";
  std::ofstream(ini) << "[DESKpost]\n";
  DpadminRun run = RunDpsetup({"--add", ini}, scratch.Path());
  EXPECT_EQ(run.status, 1) << ShowRun(run);
  EXPECT_NE(run.err.find("Unable to read Path in DPDESK.INI"), std::string::npos) << ShowRun(run);
}

TEST_F(DpsetupTest, AWrongCommandLineShowsTheUsage) {
  DpadminRun run = RunDpsetup({"--add"}, scratch.Path());
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("usage: dpsetup"), std::string::npos);
}

#endif

}  // namespace
