// dpadmin on an office its user may only read: a directory and files
// without write permission (run as a user who is not their owner), and a
// read-only mount. Commands that only read work as anywhere else; commands
// that must write say that the data directory is read-only and change
// nothing.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/dpadmin_run.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::map<std::string, std::string> Snapshot(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& item : fs::recursive_directory_iterator(dir))
    if (item.is_regular_file()) files[item.path().string()] = ReadWholeFile(item.path().string());
  return files;
}

// Who runs the commands: root is let through any permission, so as root
// the commands run as nobody (through setpriv); anyone else runs them
// as themselves.
constexpr char kSetpriv[] = "/usr/bin/setpriv";
constexpr char kNobody[] = "65534";

enum class Way { kPermissions, kReadOnlyMount };

class AdminReadOnlyTest : public ::testing::TestWithParam<Way> {
 protected:
  void SetUp() override {
    // Every directory on the way must be open to the user who runs dpadmin.
    fs::permissions(scratch.Path(), fs::perms::all, fs::perm_options::add);
    made = scratch.File("made/");
    DpadminRun demo = RunDpadmin({"demo", made}, scratch.Path());
    ASSERT_EQ(demo.status, 0) << ShowRun(demo);
    if (GetParam() == Way::kPermissions) {
      office = made;
      for (const auto& item : fs::recursive_directory_iterator(office))
        fs::permissions(item.path(),
                        item.is_directory() ? fs::perms::owner_all | fs::perms::group_read |
                                                  fs::perms::group_exec | fs::perms::others_read |
                                                  fs::perms::others_exec
                                            : fs::perms::owner_read | fs::perms::owner_write |
                                                  fs::perms::group_read | fs::perms::others_read);
      fs::permissions(office, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
      if (geteuid() == 0 && access(kSetpriv, X_OK) != 0)
        GTEST_SKIP() << "running as root without " << kSetpriv << " to drop the rights";
    } else {
      office = scratch.File("share/");
      fs::create_directory(office);
      // The mount lives in a mount namespace of this test process (and the
      // commands it starts), so none is left behind on the machine.
      if (unshare(CLONE_NEWNS) != 0 ||
          mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        GTEST_SKIP() << "cannot have a mount namespace of its own (needs root): "
                     << std::strerror(errno);
      if (mount(made.c_str(), office.c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "cannot bind-mount the office (needs root): " << std::strerror(errno);
      mounted = true;
      if (mount(nullptr, office.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
        GTEST_SKIP() << "cannot make the mount read-only: " << std::strerror(errno);
    }
    before = Snapshot(made);
  }
  void TearDown() override {
    if (mounted) umount2(office.c_str(), MNT_DETACH);
    // Let the temporary directory be removed.
    for (const auto& item : fs::recursive_directory_iterator(made))
      fs::permissions(item.path(), fs::perms::owner_all, fs::perm_options::add);
  }

  DpadminRun Run(const std::vector<std::string>& args) {
    if (GetParam() == Way::kPermissions && geteuid() == 0) {
      std::vector<std::string> dropped = {"--reuid=" + std::string(kNobody),
                                          "--regid=" + std::string(kNobody), "--clear-groups",
                                          DPADMIN_PATH};
      dropped.insert(dropped.end(), args.begin(), args.end());
      return RunProgram(kSetpriv, dropped, scratch.Path());
    }
    return RunDpadmin(args, scratch.Path());
  }

  TempDir scratch;
  std::string made;    // where dpadmin made the office
  std::string office;  // what the commands are given
  bool mounted = false;
  std::map<std::string, std::string> before;
};

INSTANTIATE_TEST_SUITE_P(Ways, AdminReadOnlyTest,
                         ::testing::Values(Way::kPermissions, Way::kReadOnlyMount));

TEST_P(AdminReadOnlyTest, CommandsThatOnlyReadWork) {
  struct Case {
    std::vector<std::string> args;
    const char* shows;
  };
  const std::string exported = scratch.File("common.csv");
  const Case cases[] = {
      {{"names", office}, "ANNE"},
      {{"members", office, "*SALES"}, "BOB"},
      {{"messages", office, "ANNE"}, "Mr. Fischer"},
      {{"flags", office, "ANNE"}, "nothing waiting"},
      {{"phonelist", office}, "FISCHER, KARL"},
      {{"export-phone", office, "COMMON", exported}, ""},
      {{"dump", office, "FOLDER"}, "Customers"},
      {{"check", office}, "no problems found"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    DpadminRun run = Run(c.args);
    EXPECT_EQ(run.status, 0) << ShowRun(run);
    EXPECT_TRUE(Contains(run.out, c.shows)) << ShowRun(run);
  }
  EXPECT_TRUE(Contains(ReadWholeFile(exported), "FISCHER, KARL"));
  EXPECT_EQ(Snapshot(made), before);
}

TEST_P(AdminReadOnlyTest, CommandsThatMustWriteSayTheDataDirectoryIsReadOnly) {
  const std::vector<std::vector<std::string>> commands = {
      {"send", office, "--from", "ANNE", "--to", "BOB", "--kind", "memo", "--text", "Hello"},
      {"add-name", office, "ERIN"},
      {"add-phone", office, "COMMON", "--listname", "Newcomer", "--phone", "555-0101"},
      {"reindex", office, "NAME"},
  };
  for (const auto& args : commands) {
    SCOPED_TRACE(args[0]);
    DpadminRun run = Run(args);
    EXPECT_NE(run.status, 0) << ShowRun(run);
    EXPECT_TRUE(Contains(run.err, "the data directory is read-only")) << ShowRun(run);
  }
  EXPECT_EQ(Snapshot(made), before);
}

}  // namespace
