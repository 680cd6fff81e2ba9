// Faults a new administrator meets in dpadmin, each caused through the real
// program against a real office: names that would break other things, and
// options and files that were taken without a word.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/dpadmin_run.h"
#include "tests/support/temp_dir.h"

namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class AdminSmallFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    office = scratch.File("office/");
    DpadminRun made = Run({"create", office});
    ASSERT_EQ(made.status, 0) << ShowRun(made);
    Expect({"add-name", office, "ALICE", "BOB"});
  }

  DpadminRun Run(const std::vector<std::string>& args, const std::string& input = {}) {
    return RunDpadmin(args, scratch.Path(), input);
  }
  std::string Expect(const std::vector<std::string>& args) {
    DpadminRun run = Run(args);
    EXPECT_EQ(run.status, 0) << args[0] << "\n" << ShowRun(run);
    return run.out;
  }
  std::string Names() { return Expect({"names", office}); }

  TempDir scratch;
  std::string office;
};

TEST_F(AdminSmallFaultsTest, AddNameRefusesNamesThatBreakOtherThingsAndSaysWhy) {
  struct Case {
    std::string name;
    std::string said;
  };
  const Case cases[] = {
      {"SMITH, JOHN", "cannot hold a comma"},
      {"ALICE ", "cannot end with a blank."},
      {"TAB\tNAME", "control character such as a tab."},
      {"DPMAIL SERVER", "mailbox of the e-mail gateway."},
      {"Dpmail Server", "mailbox of the e-mail gateway."},
      {"TWENTY CHARACTERS XX", "at most 19 characters."},
      {" BLANK FIRST", "cannot begin with a blank."},
  };
  const std::string before = Names();
  for (const Case& c : cases) {
    SCOPED_TRACE("[" + c.name + "]");
    DpadminRun add = Run({"add-name", office, c.name});
    EXPECT_EQ(add.status, 1) << ShowRun(add);
    EXPECT_TRUE(Contains(add.err, c.said)) << add.err;
  }
  EXPECT_EQ(Names(), before);
}

TEST_F(AdminSmallFaultsTest, AddGroupRefusesABrokenGroupNameAndSaysWhy) {
  const std::string before = Names();
  DpadminRun add = Run({"add-group", office, "*EAST,WEST", "ALICE"});
  EXPECT_EQ(add.status, 1) << ShowRun(add);
  EXPECT_TRUE(Contains(add.err, "cannot hold a comma")) << add.err;
  add = Run({"add-group", office, "*TWENTY CHARACTERS X", "ALICE"});
  EXPECT_EQ(add.status, 1) << ShowRun(add);
  EXPECT_TRUE(Contains(add.err, "at most 19 characters.")) << add.err;
  EXPECT_EQ(Names(), before);
  Expect({"add-group", office, "*EAST WEST", "ALICE"});
}

}  // namespace
