// An office on a read-only share, as a workstation that may not write there
// sees it: dpadmin's reading commands work as anywhere, and every change is
// refused as access denied, with nothing of the office changed. The office
// is made read-only by its permissions; as root, which permissions do not
// stop, the commands run as nobody through setpriv.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/tools/admin_test.h"

namespace {

namespace fs = std::filesystem;

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
    fs::copy_file(DPADMIN_PATH, program);
    SetWritable(false);
    for (const fs::directory_entry& e : fs::directory_iterator(office))
      if (e.is_regular_file()) before[e.path().filename()] = ReadWholeFile(e.path());
  }
  void TearDown() override { SetWritable(true); }

  void SetWritable(bool writable) {
    const fs::perms write =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(scratch.Path(), fs::perms::owner_all | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read |
                                        fs::perms::others_exec);
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(office))
      fs::permissions(e.path(), write, writable ? fs::perm_options::add : fs::perm_options::remove);
    fs::permissions(office, write, writable ? fs::perm_options::add : fs::perm_options::remove);
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
    EXPECT_TRUE(Contains(c.reads ? run.out : run.err, c.said)) << ShowRun(run);
  }
  for (const auto& [name, bytes] : before) EXPECT_EQ(ReadWholeFile(office + name), bytes) << name;
}

}  // namespace
