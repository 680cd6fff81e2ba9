// dpadmin rename-name on a real office, run as another process: the renamed
// person's messages, the send-log copies of what was sent to them, the CC
// lists and group memberships go with the new name, the office checks
// clean afterwards, and a record held by another workstation stops the
// rename with a message saying which, after which a second run finishes it.
#include <algorithm>
#include <string>

#include "storage/records/message.h"
#include "storage/records/name.h"
#include "tests/support/lock_holder.h"
#include "tests/tools/admin_test.h"

namespace {

namespace msg = records::message;
namespace nm = records::name;

int Lines(const std::string& text) {
  return int(std::count(text.begin(), text.end(), '\n'));
}

class AdminRenameTest : public AdminTest {
 protected:
  // The office of the fault: six memos from Anne to Carol (records 0 to 5
  // of MESSAGE), a team memo with a CC list, and a memo Carol sent Bob.
  void SetUp() override {
    Expect({"create", office});
    Expect({"add-name", office, "ANNE", "BOB", "CAROL", "DAVE"});
    Expect({"add-group", office, "*TEAM", "CAROL", "DAVE"});
    KeepSendLog("ANNE");
    for (int i = 1; i <= 6; ++i)
      Expect({"send", office, "--from", "ANNE", "--to", "CAROL", "--kind", "memo", "--text",
              "memo " + std::to_string(i)});
    Expect({"send", office, "--from", "ANNE", "--to", "*TEAM", "--cc", "--kind", "memo", "--text",
            "team"});
    Expect({"send", office, "--from", "CAROL", "--to", "BOB", "--kind", "memo", "--text", "hello"});
  }

  void ExpectCarried() {
    DpadminRun listed = Run({"messages", office, "CAROLINE"});
    EXPECT_EQ(listed.status, 0) << ShowRun(listed);
    EXPECT_EQ(Lines(listed.out), 7) << listed.out;
    EXPECT_TRUE(Contains(listed.out, "memo 6")) << listed.out;
    EXPECT_TRUE(Contains(listed.out, "team")) << listed.out;
    DpadminRun flags = Run({"flags", office, "CAROLINE"});
    EXPECT_TRUE(Contains(flags.out, "new message")) << ShowRun(flags);
    // Bob still has what she sent him.
    DpadminRun bobs = Run({"messages", office, "BOB"});
    EXPECT_TRUE(Contains(bobs.out, "hello")) << ShowRun(bobs);
    DpadminRun members = Run({"members", office, "*TEAM"});
    EXPECT_TRUE(Contains(members.out, "CAROLINE")) << ShowRun(members);
    for (const char* table : {"MESSAGE", "SENDLOG", "CC"}) {
      DpadminRun dump = Run({"dump", office, table});
      EXPECT_FALSE(Contains(dump.out, "to=\"CAROL\"")) << table << "\n" << dump.out;
      EXPECT_FALSE(Contains(dump.out, "name=\"CAROL\"")) << table << "\n" << dump.out;
    }
    DpadminRun log = Run({"dump", office, "SENDLOG"});
    EXPECT_TRUE(Contains(log.out, "to=\"CAROLINE\"")) << log.out;
    DpadminRun cc = Run({"dump", office, "CC"});
    EXPECT_TRUE(Contains(cc.out, "name=\"CAROLINE\"")) << cc.out;
    ExpectCheckClean();
  }
};

TEST_F(AdminRenameTest, RenamedPersonKeepsMessagesSendLogCopiesAndGroups) {
  DpadminRun run = Run({"rename-name", office, "CAROL", "CAROLINE"});
  ASSERT_EQ(run.status, 0) << ShowRun(run);
  EXPECT_TRUE(Contains(run.out, "CAROL is now CAROLINE")) << run.out;
  // Her workstation's INI is out of reach: the administrator is told.
  EXPECT_TRUE(Contains(run.out, "set Name=CAROLINE in DPDESK.INI")) << run.out;
  ExpectCarried();
  DpadminRun old = Run({"messages", office, "CAROL"});
  EXPECT_NE(old.status, 0) << ShowRun(old);
}

TEST_F(AdminRenameTest, AMessageInUseStopsTheRenameAndASecondRunFinishesIt) {
  {
    // Another workstation has Carol's fourth memo open.
    const int64_t lockByte = msg::kHeaderSize + int64_t(3 + 1) * msg::kRecordSize - 1;
    LockHolder view(office + "MESSAGE.DAT", lockByte);
    ASSERT_TRUE(view.Held());
    DpadminRun run = Run({"rename-name", office, "CAROL", "CAROLINE"});
    EXPECT_NE(run.status, 0) << ShowRun(run);
    EXPECT_TRUE(Contains(run.err, "Record in use.")) << run.err;
    EXPECT_TRUE(Contains(run.err, "MESSAGE record 3")) << run.err;
    EXPECT_TRUE(Contains(run.err, "run rename-name again")) << run.err;
    EXPECT_FALSE(Contains(run.out, "is now")) << run.out;
    // She is still Carol, so the rename can be run again.
    DpadminRun names = Run({"names", office});
    EXPECT_TRUE(Contains(names.out, "CAROL ")) << names.out;
    EXPECT_FALSE(Contains(names.out, "CAROLINE")) << names.out;
  }
  DpadminRun again = Run({"rename-name", office, "CAROL", "CAROLINE"});
  ASSERT_EQ(again.status, 0) << ShowRun(again);
  ExpectCarried();
}

}  // namespace
