// The folder table: numbers, names unique per owner in any case, finding
// by name and number, walking, renaming, deleting.
#include "data/messages/dpfolder.h"

#include <gtest/gtest.h>

#include "tests/data/office/office_dir.h"
#include "tests/support/lock_holder.h"

namespace fd = records::folder;

namespace {

constexpr int32_t kCommon = 0;
constexpr int32_t kAlice = 5;
constexpr int32_t kBob = 6;

class FolderTest : public OfficeDirTest {
 protected:
  void SetUp() override {
    OfficeDirTest::SetUp();
    ASSERT_EQ(FolderOpen(folders), 1);
  }
  void TearDown() override {
    if (folders.open) FolderClose(folders);
    OfficeDirTest::TearDown();
  }

  int32_t Add(const std::string& name, int32_t owner) {
    FolderRecord record = MakeFolderRecord(name, owner);
    EXPECT_EQ(FolderAdd(folders, record), 1) << name;
    return record.Number();
  }

  std::vector<std::pair<int32_t, std::string>> All() {
    std::vector<std::pair<int32_t, std::string>> all;
    FolderEntry entry;
    for (int ok = FolderFirst(folders, &entry); ok; ok = FolderNext(folders, &entry))
      all.emplace_back(entry.Owner(), entry.Name());
    return all;
  }

  FolderTable folders;
};

TEST_F(FolderTest, NumbersPassOverTheInboxAndTheArchiveAndAddStandsOnTheNewFolder) {
  EXPECT_EQ(Add("Clients", kCommon), 2);
  EXPECT_EQ(Add("Suppliers", kCommon), 4);
  EXPECT_EQ(Add("Private", kAlice), 5);
  FolderRecord record;
  ASSERT_EQ(FolderReadCurrent(folders, &record), 1);
  EXPECT_EQ(record.Name(), "Private");
  ASSERT_EQ(FolderFindNumber(folders, 4, &record), 1);
  EXPECT_EQ(record.Name(), "Suppliers");
  EXPECT_EQ(record.Owner(), kCommon);
  EXPECT_EQ(record.bytes[fd::kSpare.offset], 0);
}

TEST_F(FolderTest, NamesAreUniquePerOwnerInAnyCase) {
  Add("Clients", kCommon);
  Add("clients", kAlice);
  Add("Clients", kBob);
  for (int32_t owner : {kCommon, kAlice}) {
    FolderRecord duplicate = MakeFolderRecord("CLIENTS", owner);
    ClearAppError();
    EXPECT_EQ(FolderAdd(folders, duplicate), 0);
    EXPECT_EQ(AppErrorCode(), kAppDuplicate);
    EXPECT_EQ(AppErrorName(), "CLIENTS");
  }
  // Refused before anything was written: no deleted slot is left behind.
  EXPECT_EQ(RecordCount(kFolderTable), 3);
  EXPECT_EQ(All(), (std::vector<std::pair<int32_t, std::string>>{
                       {kCommon, "Clients"}, {kAlice, "clients"}, {kBob, "Clients"}}));
}

TEST_F(FolderTest, NamesThatCannotBeStoredAreRefused) {
  FolderRecord empty = MakeFolderRecord("", kCommon);
  EXPECT_EQ(FolderAdd(folders, empty), 0);
  EXPECT_EQ(AppErrorCode(), kAppInvalidName);
  // A first byte of 255 is the deleted mark of a folder record.
  FolderRecord marked = MakeFolderRecord("\xFFtude", kCommon);
  ClearAppError();
  EXPECT_EQ(FolderAdd(folders, marked), 0);
  EXPECT_EQ(AppErrorCode(), kAppInvalidName);
  EXPECT_EQ(RecordCount(kFolderTable), 0);
  // A name filling the whole field is cut to thirty.
  FolderRecord record;
  std::memset(record.bytes, 'A', fd::kName.width);
  SetFieldI32(record.bytes, fd::kOwner, kCommon);
  ASSERT_EQ(FolderAdd(folders, record), 1);
  EXPECT_EQ(record.Name(), std::string(30, 'A'));
  FolderEntry entry;
  EXPECT_EQ(FolderFind(folders, kCommon, std::string(30, 'a'), &entry), 1);
}

TEST_F(FolderTest, FindIsByOwnerAndNameWithoutRegardToCase) {
  int32_t number = Add("Clients", kAlice);
  FolderEntry entry;
  ASSERT_EQ(FolderFind(folders, kAlice, "CLIENTS", &entry), 1);
  EXPECT_EQ(entry.Number(), number);
  EXPECT_EQ(entry.Name(), "Clients");
  EXPECT_EQ(FolderFind(folders, kCommon, "Clients"), 0);
  EXPECT_EQ(AppErrorCode(), kAppNotFound);
  EXPECT_EQ(AppErrorName(), "Clients");
}

TEST_F(FolderTest, FindNumberLeavesTheWalkOnThatFolder) {
  Add("A", kCommon);
  int32_t b = Add("B", kCommon);
  Add("C", kCommon);
  FolderRecord record;
  ASSERT_EQ(FolderFindNumber(folders, b, &record), 1);
  EXPECT_EQ(record.Name(), "B");
  FolderEntry next;
  ASSERT_EQ(FolderNext(folders, &next), 1);
  EXPECT_EQ(next.Name(), "C");
  EXPECT_EQ(FolderFindNumber(folders, 99, &record), 0);
  EXPECT_EQ(AppErrorCode(), kAppNotFound);
}

TEST_F(FolderTest, WalkGoesByOwnerThenName) {
  EXPECT_EQ(FolderFirst(folders), 0);
  EXPECT_EQ(AppErrorCode(), kAppEndOfFile);
  Add("Zoo", kAlice);
  Add("beta", kCommon);
  Add("Alpha", kCommon);
  Add("Mine", kBob);
  EXPECT_EQ(All(), (std::vector<std::pair<int32_t, std::string>>{
                       {kCommon, "Alpha"}, {kCommon, "beta"}, {kAlice, "Zoo"}, {kBob, "Mine"}}));
  EXPECT_EQ(AppErrorCode(), kAppEndOfFile);
  FolderRecord record;
  EXPECT_EQ(FolderReadCurrent(folders, &record), 0);
  EXPECT_EQ(AppErrorCode(), kAppEndOfFile);
  ASSERT_EQ(FolderFirst(folders), 1);
  EXPECT_EQ(FolderPrev(folders), 0);
  EXPECT_EQ(AppErrorCode(), kAppBeginningOfFile);
}

TEST_F(FolderTest, RenameKeepsTheNumber) {
  int32_t number = Add("Clients", kAlice);
  FolderRecord renamed = MakeFolderRecord("Customers", kAlice);
  SetFieldI32(renamed.bytes, fd::kNumber, 777);  // the number is not the caller's to change
  ASSERT_EQ(FolderRename(folders, kAlice, "clients", renamed), 1);
  FolderRecord record;
  ASSERT_EQ(FolderFindNumber(folders, number, &record), 1);
  EXPECT_EQ(record.Name(), "Customers");
  EXPECT_EQ(FolderFind(folders, kAlice, "Clients"), 0);
  EXPECT_EQ(FolderFindNumber(folders, 777, &record), 0);
  // A rename may change only the letter case; a missing folder is not found.
  ASSERT_EQ(FolderRename(folders, kAlice, "customers", MakeFolderRecord("CUSTOMERS", kAlice)), 1);
  EXPECT_EQ(All(), (std::vector<std::pair<int32_t, std::string>>{{kAlice, "CUSTOMERS"}}));
  EXPECT_EQ(FolderRename(folders, kAlice, "Nothing", MakeFolderRecord("Something", kAlice)), 0);
  EXPECT_EQ(AppErrorCode(), kAppNotFound);
}

TEST_F(FolderTest, RenameOntoAnotherFolderOfTheOwnerIsRefused) {
  Add("Clients", kAlice);
  Add("Customers", kAlice);
  Add("Old", kCommon);
  EXPECT_EQ(FolderRename(folders, kAlice, "Clients", MakeFolderRecord("CUSTOMERS", kAlice)), 0);
  EXPECT_EQ(AppErrorCode(), kAppDuplicate);
  // Another owner's folder of that name is no obstacle.
  EXPECT_EQ(FolderRename(folders, kCommon, "Old", MakeFolderRecord("Customers", kCommon)), 1);
  EXPECT_EQ(All(), (std::vector<std::pair<int32_t, std::string>>{
                       {kCommon, "Customers"}, {kAlice, "Clients"}, {kAlice, "Customers"}}));
}

TEST_F(FolderTest, DeletedFolderIsGoneByNameAndByNumberAndAMissingOneSucceeds) {
  int32_t number = Add("Clients", kAlice);
  Add("Other", kAlice);
  Add("Clients", kCommon);
  ClearAppError();
  EXPECT_EQ(FolderDelete(folders, kBob, "Clients"), 1);
  EXPECT_EQ(FolderDelete(folders, kCommon, "Nothing"), 1);
  EXPECT_EQ(AppErrorCode(), 0);
  EXPECT_EQ(FolderFind(folders, kCommon, "Clients"), 1);
  ASSERT_EQ(FolderDelete(folders, kAlice, "CLIENTS"), 1);
  EXPECT_EQ(FolderFind(folders, kAlice, "Clients"), 0);
  FolderRecord record;
  EXPECT_EQ(FolderFindNumber(folders, number, &record), 0);
  EXPECT_EQ(AppErrorCode(), kAppNotFound);
  // Its number is not given out again.
  EXPECT_GT(Add("Clients", kAlice), number);
}

TEST_F(FolderTest, DeleteFailsWhileAnotherWorkstationHoldsTheFolder) {
  Add("Clients", kCommon);
  FolderEntry entry;
  ASSERT_EQ(FolderFind(folders, kCommon, "Clients", &entry), 1);
  int64_t lockByte = fd::kHeaderSize + int64_t(entry.RecordNumber() + 1) * fd::kRecordSize - 1;
  LockHolder editor(dir.File("FOLDER.DAT"), lockByte);
  ASSERT_TRUE(editor.Held());
  EXPECT_EQ(FolderDelete(folders, kCommon, "Clients"), 0);
  EXPECT_EQ(DbGetError(), kDbRecordLocked);
  EXPECT_EQ(AppErrorCode(), kAppLockError);
  editor.Release();
  EXPECT_EQ(FolderDelete(folders, kCommon, "Clients"), 1);
}

TEST_F(FolderTest, FolderAddedThroughOneHandleIsSeenThroughAnother) {
  FolderTable other;
  ASSERT_EQ(FolderOpen(other), 1);
  ASSERT_EQ(FolderFirst(other), 0);
  int32_t number = Add("Shared", kCommon);
  FolderRecord record;
  EXPECT_EQ(FolderFindNumber(other, number, &record), 1);
  EXPECT_EQ(record.Name(), "Shared");
  FolderClose(other);
}

}  // namespace

TEST_F(FolderTest, APersonHasTheInboxTheArchiveTheirOwnAndCommonFoldersOnly) {
  const int32_t common = Add("Clients", kCommon);
  const int32_t own = Add("Private", kAlice);
  const int32_t others = Add("Private", kAlice + 1);
  struct Case {
    int32_t number;
    int expected;
  };
  const Case cases[] = {{1, 1},          {3, 1},  {common, 1}, {own, 1}, {others, 0},
                        {others + 1, 0}, {99, 0}, {0, 0},      {-1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    ClearAppError();
    EXPECT_EQ(FolderOfPerson(folders, kAlice, c.number), c.expected);
    if (!c.expected) {
      EXPECT_EQ(AppErrorCode(), kAppNotFound);
      EXPECT_EQ(AppErrorName(), std::to_string(c.number));
    }
  }
}
