// dpsetup --add, run as its own process against an office made by dpadmin:
// it adds the INI file's user once, and says clearly when the INI file's
// "Path" is not a DESKpost data directory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/support/dpadmin_run.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(DpsetupTest, AddsTheIniFilesUserOnceAndSaysWhyItCannot) {
#ifndef DPSETUP_PATH
  GTEST_SKIP() << "dpsetup is not built here";
#else
  TempDir scratch;
  const std::string office = scratch.Path() + "office/", elsewhere = scratch.File("elsewhere/");
  ASSERT_EQ(mkdir(elsewhere.c_str(), 0755), 0);
  const auto names = [&] { return RunDpadmin({"names", office}, scratch.Path()).out; };
  ASSERT_EQ(RunDpadmin({"create", office}, scratch.Path()).status, 0);
  ASSERT_EQ(RunDpadmin({"add-name", office, "Baker Tom"}, scratch.Path()).status, 0);
  struct Case {
    std::string path;  // the INI file's Path; none at all when empty
    const char* name;
    int status;
    const char* said;  // the whole output, or part of the errors
    bool added;
  } cases[] = {
      {office, "Carter Ann", 0, "Added to the DESKpost name list.\n", true},
      {office, "CARTER ANN", 0, "Already in the DESKpost name list.\n", false},
      {office.substr(0, office.size() - 1), "Dunn Peter", 0, "Added to the DESKpost name list.\n",
       true},
      {elsewhere, "Evans Sue", 1, "Could not find DESKpost in this location", false},
      {office, "*Sales", 1, "is a group, not a person", false},
      {"", "Fox Ian", 1, "Unable to read Path in DPDESK.INI", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + " " + c.name);
    const std::string ini = scratch.File("DPDESK.INI"), before = names();
    std::ofstream(ini) << "[DESKpost]\n"
                       << (c.path.empty() ? "" : "Path=" + c.path + "\nName=" + c.name + "\n");
    DpadminRun run = RunProgram(DPSETUP_PATH, {"--add", ini}, scratch.Path());
    EXPECT_EQ(run.status, c.status) << ShowRun(run);
    EXPECT_TRUE(c.status == 0 ? run.out == c.said : run.err.find(c.said) != std::string::npos)
        << ShowRun(run);
    EXPECT_EQ(names().find(c.name) != std::string::npos, c.added) << names();
    EXPECT_TRUE(c.added || names() == before) << names();
  }
  EXPECT_NE(access((elsewhere + "NAME.DAT").c_str(), F_OK), 0) << "an office was made there";
  DpadminRun usage = RunProgram(DPSETUP_PATH, {"--add"}, scratch.Path());
  EXPECT_EQ(usage.status, 2);
  EXPECT_NE(usage.err.find("usage: dpsetup"), std::string::npos) << usage.err;
#endif
}

}  // namespace
