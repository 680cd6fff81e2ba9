// Renaming a person: the name goes with their messages, the send-log copies
// of what was sent to them, the CC lists naming them and the phone list
// defaults that are theirs, and a rename stopped by a record in use can be
// run again to finish it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "data/messages/dpcc.h"
#include "data/messages/dpmess.h"
#include "data/office/dpname.h"
#include "storage/errors.h"
#include "storage/records/cc.h"
#include "storage/records/name.h"
#include "tests/data/messages/message_fixture.h"
#include "tests/support/lock_holder.h"

namespace msg = records::message;
namespace nm = records::name;
namespace cr = records::cc;

namespace {

class RenameTest : public MessageTest {
 protected:
  void SetUp() override {
    MessageTest::SetUp();
    if (HasFatalFailure()) return;
    NameTable names;
    ASSERT_EQ(NameOpen(names), 1);
    NameRecord sales;
    ASSERT_EQ(NameFind(names, "*SALES"), 1);
    ASSERT_EQ(NameReadCurrent(names, &sales), 1);
    ASSERT_EQ(SetGroupMembers(sales, {bob, carol}), 1);
    ASSERT_EQ(NameWriteCurrent(names, sales), 1);
    NameClose(names);
    // Bob keeps Carol's phone list as his default; Alice named it in other
    // letters and without its number, which start-up finds all the same.
    SetPhoneDefault("BOB", "CAROL", carol);
    SetPhoneDefault("ALICE", "carol", 0);

    // Alice keeps a send log: two memos to Carol, one of them archived,
    // and a memo to Sales with a CC list.
    BecomeUser("ALICE", true);
    Send(Memo("CAROL", "First."), carol);
    Send(Memo("CAROL", "Second."), carol);
    ASSERT_EQ(MsgMoveToFolder(messages, FirstIn(msg::kFolderNew, "CAROL"), msg::kFolderArchive), 1);
    MessageRecord team = Memo("*SALES", "To the team.");
    ASSERT_EQ(MsgSendToGroup(messages, team, {bob, carol}, true), 1) << FormatAppError();
    // Carol keeps a send log too and writes to Bob.
    BecomeUser("CAROL", true);
    Send(Memo("BOB", "From Carol.", "CAROL"), bob);
    BecomeUser("ALICE", true);
  }

  void SetPhoneDefault(const std::string& person, const std::string& owner, int32_t number) {
    NameRecord r;
    ASSERT_EQ(NameLookup(person, &r), 1);
    SetFieldText(r.bytes, nm::kPhoneListName, owner.c_str());
    SetFieldI32(r.bytes, nm::kPhoneListNumber, number);
    ASSERT_EQ(NameUpdate(r), 1);
  }

  int Rename(const std::string& from, const std::string& to) {
    NameTable names;
    EXPECT_EQ(NameOpen(names), 1);
    int ok = NameRename(names, from, to);
    // Closing must not hide what the rename left.
    int code = AppErrorCode();
    std::string name = AppErrorName();
    std::string engineName;
    int engine = DbGetError(&engineName);
    NameClose(names);
    // The engine's error goes back first: its reporter sets an application
    // error of its own.
    DbSetError(engine, engineName);
    SetAppError(code, name);
    return ok;
  }

  // The to names of every live record of the table.
  std::vector<std::string> Tos(const TableDef& def) { return ToNames(Records(def)); }

  std::vector<std::string> CcNames() {
    std::vector<std::string> out;
    Table t(kCcTable);
    int32_t count = 0;
    EXPECT_EQ(DbOpenTable(t, dir.Path()), 1);
    EXPECT_EQ(DbRecordCount(t, &count), 1);
    uint8_t record[cr::kRecordSize];
    for (int32_t i = 0; i < count; ++i)
      if (DbReadRecord(t, i, record)) out.push_back(FieldText(record, cr::kName));
    DbCloseTable(t);
    DbClearError();
    ClearAppError();
    return out;
  }

  static int Count(const std::vector<std::string>& names, const std::string& name) {
    return int(std::count(names.begin(), names.end(), name));
  }

  // How many messages each folder lists for the name, found through the
  // index as a message list finds them.
  int Listed(int32_t folder, const std::string& name) {
    MessageCriteria c;
    c.folder = folder;
    c.person = name;
    return int(Query(c).size());
  }

  // A person's default phone list: its owner's name and number.
  std::string PhoneDefault(const std::string& person) {
    NameRecord r;
    EXPECT_EQ(NameLookup(person, &r), 1) << person;
    return FieldText(r.bytes, nm::kPhoneListName) + " " +
           std::to_string(FieldI32(r.bytes, nm::kPhoneListNumber));
  }

  // The record numbers another workstation may hold while she is renamed.
  int32_t MessageToCarol() { return FirstIn(msg::kFolderNew, "CAROL").RecordNumber(); }
  int32_t SendLogToCarol() { return IndexOf(Tos(kSendLogTable), "CAROL"); }
  int32_t CcNamingCarol() { return IndexOf(CcNames(), "CAROL"); }
  int32_t NameRecordOf(const std::string& name) {
    NameTable names;
    NameEntry entry;
    EXPECT_EQ(NameOpen(names), 1);
    EXPECT_EQ(NameFind(names, name, &entry), 1);
    NameClose(names);
    return entry.RecordNumber();
  }
  static int32_t IndexOf(const std::vector<std::string>& names, const std::string& name) {
    auto at = std::find(names.begin(), names.end(), name);
    return at == names.end() ? -1 : int32_t(at - names.begin());
  }

  // Everything that still names Carol under her old name.
  int LeftUnderOldName() {
    return Count(Tos(kMessageTable), "CAROL") + Count(Tos(kSendLogTable), "CAROL") +
           Count(CcNames(), "CAROL");
  }
};

TEST_F(RenameTest, APersonsMessagesSendLogCopiesAndCcListsGoWithTheNewName) {
  ASSERT_EQ(Rename("CAROL", "CAROLINE"), 1) << FormatAppError();

  EXPECT_EQ(Listed(msg::kFolderNew, "CAROLINE"), 2);  // "Second." and the team memo
  EXPECT_EQ(Listed(msg::kFolderArchive, "CAROLINE"), 1);
  EXPECT_EQ(Listed(msg::kFolderNew, "CAROL"), 0);
  EXPECT_EQ(LeftUnderOldName(), 0);
  EXPECT_EQ(Count(Tos(kMessageTable), "CAROLINE"), 3);
  // Alice's send-log copies of what she sent Carol.
  EXPECT_EQ(Count(Tos(kSendLogTable), "CAROLINE"), 3);
  // Bob's copy of the team memo names the other recipient by her new name.
  EXPECT_EQ(Count(CcNames(), "CAROLINE"), 1);
  EXPECT_EQ(Count(CcNames(), "BOB"), 1);

  // What Carol sent stays hers: found by her unchanged number.
  auto sentByCarol = [&](const std::vector<MessageRecord>& records) {
    std::vector<std::string> to;
    for (const MessageRecord& r : records)
      if (r.Sender() == carol) to.push_back(r.To());
    return to;
  };
  EXPECT_EQ(sentByCarol(Stored()), std::vector<std::string>{"BOB"});
  EXPECT_EQ(sentByCarol(Logged()), std::vector<std::string>{"BOB"});

  // Her number, her group membership and the defaults naming her follow.
  NameRecord caroline;
  ASSERT_EQ(NameLookup("CAROLINE", &caroline), 1);
  EXPECT_EQ(caroline.Number(), carol);
  NameRecord sales;
  ASSERT_EQ(NameLookup("*SALES", &sales), 1);
  EXPECT_EQ(GroupMembers(sales), (std::vector<int32_t>{bob, carol}));
  EXPECT_EQ(PhoneDefault("BOB"), "CAROLINE " + std::to_string(carol));
  EXPECT_EQ(PhoneDefault("ALICE"), "CAROLINE " + std::to_string(carol));
}

TEST_F(RenameTest, ANameTakenByAnotherPersonIsRefusedBeforeAnythingIsCarried) {
  EXPECT_EQ(Rename("CAROL", "bob"), 0);
  EXPECT_EQ(AppErrorCode(), kAppDuplicate);
  EXPECT_EQ(Count(Tos(kMessageTable), "CAROL"), 3);
  EXPECT_EQ(Count(Tos(kSendLogTable), "CAROL"), 3);
  EXPECT_EQ(Count(CcNames(), "CAROL"), 1);
  EXPECT_EQ(PhoneDefault("BOB"), "CAROL " + std::to_string(carol));
}

TEST_F(RenameTest, AGroupsRenameLeavesTheMessagesOfItsMembersAlone) {
  ASSERT_EQ(Rename("*SALES", "*MARKETING"), 1) << FormatAppError();
  EXPECT_EQ(Count(Tos(kMessageTable), "CAROL"), 3);
  EXPECT_EQ(Count(Tos(kMessageTable), "BOB"), 2);
  NameRecord group;
  ASSERT_EQ(NameLookup("*MARKETING", &group), 1);
  EXPECT_EQ(GroupMembers(group), (std::vector<int32_t>{bob, carol}));
}

TEST_F(RenameTest, ATableThatCannotBeOpenedStopsTheRenameUnderTheOldName) {
  ASSERT_EQ(::unlink(dir.File("CC.DAT").c_str()), 0);
  EXPECT_EQ(Rename("CAROL", "CAROLINE"), 0);
  EXPECT_NE(AppErrorCode(), 0);
  ClearAppError();
  NameRecord r;
  EXPECT_EQ(NameLookup("CAROL", &r), 1);
  EXPECT_TRUE(Fails(NameLookup("CAROLINE", &r), kAppNotFound));
  DbClearError();
}

TEST_F(RenameTest, AMessageDeletedAtAnotherDeskWhileTheRenameRunsNeedsNothing) {
  // The record is marked deleted as another desk's delete leaves it, while
  // this desk still has its entry from the walk.
  const int32_t gone = FirstIn(msg::kFolderNew, "CAROL").RecordNumber();
  {
    std::fstream file(dir.File("MESSAGE.DAT"), std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(msg::kHeaderSize + int64_t(gone) * msg::kRecordSize + msg::kMark.offset);
    file.put(char(0xFF));
  }
  ASSERT_EQ(Rename("CAROL", "CAROLINE"), 1) << FormatAppError();
  EXPECT_EQ(DbGetError(), 0);
  EXPECT_EQ(LeftUnderOldName(), 0);
  EXPECT_EQ(Count(Tos(kMessageTable), "CAROLINE"), 2);
  NameRecord r;
  EXPECT_EQ(NameLookup("CAROLINE", &r), 1);
}

TEST_F(RenameTest, ARecordInUseStopsTheRenameUnderTheOldNameAndASecondRunFinishesIt) {
  const struct {
    const char* what;
    const TableDef* table;
    int headerSize, recordSize;
    std::function<int32_t()> held;  // the record another workstation holds
    const char* named;              // part of the application error's name
  } cases[] = {
      {"a message to her", &kMessageTable, msg::kHeaderSize, msg::kRecordSize,
       [this] { return MessageToCarol(); }, "MESSAGE"},
      {"a send-log copy to her", &kSendLogTable, msg::kHeaderSize, msg::kRecordSize,
       [this] { return SendLogToCarol(); }, "SENDLOG"},
      {"a CC list naming her", &kCcTable, cr::kHeaderSize, cr::kRecordSize,
       [this] { return CcNamingCarol(); }, "CC"},
      {"Bob's settings with her phone list", &kNameTable, nm::kHeaderSize, nm::kRecordSize,
       [this] { return NameRecordOf("BOB"); }, "NAME"},
      {"her own name record", &kNameTable, nm::kHeaderSize, nm::kRecordSize,
       [this] { return NameRecordOf("CAROL"); }, "CAROL"},
  };
  // Each case renames back and forth so that it starts from Carol again.
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const int32_t held = c.held();
    ASSERT_GE(held, 0);
    {
      LockHolder holder(dir.File(std::string(c.table->name) + ".DAT"),
                        RecordLockByte(c.headerSize, c.recordSize, held));
      ASSERT_TRUE(holder.Held());
      EXPECT_EQ(Rename("CAROL", "CAROLINE"), 0);
      EXPECT_EQ(DbGetError(), kDbRecordLocked);
      EXPECT_EQ(AppErrorCode(), kAppLockError);
      EXPECT_NE(AppErrorName().find(c.named), std::string::npos) << AppErrorName();
      // She is still Carol; whatever was carried waits under the new name.
      NameRecord still;
      EXPECT_EQ(NameLookup("CAROL", &still), 1);
      EXPECT_EQ(NameLookup("CAROLINE", &still), 0);
      DbClearError();
      ClearAppError();
    }
    ASSERT_EQ(Rename("CAROL", "CAROLINE"), 1) << FormatAppError();
    EXPECT_EQ(LeftUnderOldName(), 0);
    EXPECT_EQ(Count(Tos(kMessageTable), "CAROLINE"), 3);
    EXPECT_EQ(Count(Tos(kSendLogTable), "CAROLINE"), 3);
    EXPECT_EQ(Count(CcNames(), "CAROLINE"), 1);
    EXPECT_EQ(Listed(msg::kFolderNew, "CAROLINE"), 2);
    EXPECT_EQ(PhoneDefault("BOB"), "CAROLINE " + std::to_string(carol));
    ASSERT_EQ(Rename("CAROLINE", "CAROL"), 1) << FormatAppError();
    ASSERT_EQ(Count(Tos(kMessageTable), "CAROL"), 3);
  }
}

}  // namespace
