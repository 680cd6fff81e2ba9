// The folder table: numbers, names unique per owner in any case, finding
// by name and number, walking, renaming, deleting.
#include "data/messages/dpfolder.h"

#include <gtest/gtest.h>

#include "tests/data/messages/message_checks.h"
#include "tests/data/office/office_dir.h"
#include "tests/support/lock_holder.h"

namespace fd = records::folder;

namespace {

constexpr int32_t kCommon = 0;
constexpr int32_t kAlice = 5;
constexpr int32_t kBob = 6;

// Folders as the walk shows them: owner and name.
using Folders = std::vector<std::pair<int32_t, std::string>>;

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
  // The name of the folder of that number, or "" when there is none.
  std::string NameOf(int32_t number) {
    FolderRecord record;
    return FolderFindNumber(folders, number, &record) ? record.Name() : "";
  }
  int Rename(int32_t owner, const std::string& from, const std::string& to) {
    return FolderRename(folders, owner, from, MakeFolderRecord(to, owner));
  }

  Folders All() {
    Folders all;
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

TEST_F(FolderTest, NamesAreUniquePerOwnerInAnyCaseAndMustBeStorable) {
  Add("Clients", kCommon);
  Add("clients", kAlice);
  Add("Clients", kBob);
  // An empty name, and a first byte of 255, the deleted mark of a folder
  // record, cannot be stored.
  for (const auto& [name, owner, code] :
       {std::tuple{"CLIENTS", kCommon, kAppDuplicate}, std::tuple{"CLIENTS", kAlice, kAppDuplicate},
        std::tuple{"", kCommon, kAppInvalidName},
        std::tuple{"\xFFtude", kCommon, kAppInvalidName}}) {
    FolderRecord refused = MakeFolderRecord(name, owner);
    EXPECT_TRUE(Fails(FolderAdd(folders, refused), code,
                      code == kAppDuplicate ? std::optional<std::string>(name) : std::nullopt));
  }
  // Refused before anything was written: no deleted slot is left behind.
  EXPECT_EQ(RecordCount(kFolderTable), 3);
  EXPECT_EQ(All(), (Folders{{kCommon, "Clients"}, {kAlice, "clients"}, {kBob, "Clients"}}));
  // A name filling the whole field is cut to thirty.
  FolderRecord record;
  std::memset(record.bytes, 'A', fd::kName.width);
  SetFieldI32(record.bytes, fd::kOwner, kCommon);
  ASSERT_EQ(FolderAdd(folders, record), 1);
  EXPECT_EQ(record.Name(), std::string(30, 'A'));
  EXPECT_EQ(FolderFind(folders, kCommon, std::string(30, 'a')), 1);
}

TEST_F(FolderTest, FindIsByOwnerAndNameInAnyCaseAndByNumberLeavesTheWalkThere) {
  int32_t number = Add("Clients", kAlice);
  FolderEntry entry;
  ASSERT_EQ(FolderFind(folders, kAlice, "CLIENTS", &entry), 1);
  EXPECT_EQ(entry.Number(), number);
  EXPECT_EQ(entry.Name(), "Clients");
  EXPECT_TRUE(Fails(FolderFind(folders, kCommon, "Clients"), kAppNotFound, "Clients"));
  Add("A", kCommon);
  int32_t b = Add("B", kCommon);
  Add("C", kCommon);
  EXPECT_EQ(NameOf(b), "B");
  ASSERT_EQ(FolderNext(folders, &entry), 1);
  EXPECT_EQ(entry.Name(), "C");
  FolderRecord record;
  EXPECT_TRUE(Fails(FolderFindNumber(folders, 99, &record), kAppNotFound));
}

TEST_F(FolderTest, WalkGoesByOwnerThenName) {
  EXPECT_TRUE(Fails(FolderFirst(folders), kAppEndOfFile));
  Add("Zoo", kAlice);
  Add("beta", kCommon);
  Add("Alpha", kCommon);
  Add("Mine", kBob);
  EXPECT_EQ(All(),
            (Folders{{kCommon, "Alpha"}, {kCommon, "beta"}, {kAlice, "Zoo"}, {kBob, "Mine"}}));
  EXPECT_EQ(AppErrorCode(), kAppEndOfFile);
  FolderRecord record;
  EXPECT_TRUE(Fails(FolderReadCurrent(folders, &record), kAppEndOfFile));
  ASSERT_EQ(FolderFirst(folders), 1);
  EXPECT_TRUE(Fails(FolderPrev(folders), kAppBeginningOfFile));
}

TEST_F(FolderTest, RenameKeepsTheNumberAndRefusesANameTheOwnerHasAlready) {
  int32_t number = Add("Clients", kAlice);
  FolderRecord renamed = MakeFolderRecord("Customers", kAlice);
  SetFieldI32(renamed.bytes, fd::kNumber, 777);  // the number is not the caller's to change
  ASSERT_EQ(FolderRename(folders, kAlice, "clients", renamed), 1);
  EXPECT_EQ(NameOf(number), "Customers");
  EXPECT_EQ(FolderFind(folders, kAlice, "Clients"), 0);
  EXPECT_EQ(NameOf(777), "");
  // A rename may change only the letter case; a missing folder is not found.
  ASSERT_EQ(Rename(kAlice, "customers", "CUSTOMERS"), 1);
  EXPECT_EQ(All(), (Folders{{kAlice, "CUSTOMERS"}}));
  EXPECT_TRUE(Fails(Rename(kAlice, "Nothing", "Something"), kAppNotFound));
  Add("Clients", kAlice);
  Add("Old", kCommon);
  EXPECT_TRUE(Fails(Rename(kAlice, "Clients", "Customers"), kAppDuplicate));
  // Another owner's folder of that name is no obstacle.
  EXPECT_EQ(Rename(kCommon, "Old", "Customers"), 1);
  EXPECT_EQ(All(), (Folders{{kCommon, "Customers"}, {kAlice, "Clients"}, {kAlice, "CUSTOMERS"}}));
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
  EXPECT_TRUE(Fails(FolderFindNumber(folders, number, &record), kAppNotFound));
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
  EXPECT_TRUE(Fails(FolderDelete(folders, kCommon, "Clients"), kAppLockError));
  EXPECT_EQ(DbGetError(), kDbRecordLocked);
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

TEST_F(FolderTest, APersonHasTheInboxTheArchiveTheirOwnAndCommonFoldersOnly) {
  const int32_t common = Add("Clients", kCommon);
  const int32_t own = Add("Private", kAlice);
  const int32_t others = Add("Private", kAlice + 1);
  for (int32_t number : {1, 3, common, own}) EXPECT_EQ(FolderOfPerson(folders, kAlice, number), 1);
  for (int32_t number : {others, others + 1, 99, 0, -1})
    EXPECT_TRUE(
        Fails(FolderOfPerson(folders, kAlice, number), kAppNotFound, std::to_string(number)));
}

}  // namespace
