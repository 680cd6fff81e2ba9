// The name table: adding people and groups, names that differ only in case,
// refused names, walking in name order, renaming, removing, numbers that are
// never reissued, records held by another workstation.
#include "data/office/dpname.h"

#include <gtest/gtest.h>

#include "data/office/datadir.h"
#include "tests/data/office/office_dir.h"
#include "tests/support/lock_holder.h"

namespace nm = records::name;

namespace {

class NameTest : public OfficeDirTest {
 protected:
  void SetUp() override {
    OfficeDirTest::SetUp();
    ASSERT_EQ(NameOpen(names), 1);
  }
  void TearDown() override {
    if (names.open) NameClose(names);
    OfficeDirTest::TearDown();
  }

  void Add(const std::string& name) { ASSERT_EQ(NameAdd(names, name), 1) << name; }

  NameRecord Lookup(const std::string& name) {
    NameRecord record;
    EXPECT_EQ(NameLookup(name, &record), 1) << name;
    return record;
  }

  std::vector<std::string> AllNames() {
    std::vector<std::string> all;
    NameEntry entry;
    for (int ok = NameFirst(names, &entry); ok; ok = NameNext(names, &entry))
      all.push_back(entry.Name());
    return all;
  }

  NameTable names;
};

TEST_F(NameTest, NewPersonAndNewGroupRecordsAndTheHandleStandsOnTheNewName) {
  Add("Alice");
  Add("*Sales");
  NameRecord current;
  ASSERT_EQ(NameReadCurrent(names, &current), 1);
  EXPECT_EQ(current.Name(), "*Sales");
  // A person: number, modem prefix, the added mark; everything else zero.
  NameRecord expected;
  SetFieldText(expected.bytes, nm::kName, "Alice");
  SetFieldI32(expected.bytes, nm::kNumber, 1);
  SetFieldText(expected.bytes, nm::kModemPrefix, "ATDT");
  SetFieldByte(expected.bytes, nm::kAddedHere, nm::kAddedHereValue);
  NameRecord alice = Lookup("Alice");
  EXPECT_FALSE(alice.IsGroup());
  EXPECT_EQ(0, memcmp(alice.bytes, expected.bytes, sizeof expected.bytes));
  // A group has no person settings.
  NameRecord sales = Lookup("*sales");
  EXPECT_TRUE(sales.IsGroup());
  EXPECT_EQ(FieldText(sales.bytes, nm::kModemPrefix), "");
  EXPECT_EQ(FieldByte(sales.bytes, nm::kAddedHere), 0);
  EXPECT_TRUE(GroupMembers(sales).empty());
}

TEST_F(NameTest, NameDifferingOnlyInAsciiCaseIsTheSameName) {
  Add("Alice");
  Add("ALICE");
  Add("alice");
  EXPECT_EQ(RecordCount(kNameTable), 1);
  EXPECT_EQ(Lookup("aLiCe").Name(), "Alice");
  EXPECT_EQ(Lookup("aLiCe").Number(), 1);
  // Windows-1252 text is kept as bytes; a capital outside ASCII is another name.
  const std::string zoe = "Zo\xEB M\xFCller";
  Add(zoe);
  EXPECT_EQ(Lookup(zoe).Name(), zoe);
  Add("ZO\xCB M\xDCLLER");
  EXPECT_EQ(RecordCount(kNameTable), 3);
}

TEST_F(NameTest, NamesBeginningBelowStarOrLongerThanTheFieldAreRefusedNotCut) {
  for (std::string bad : {" X", "", ")Paren", "\tTab", "Nineteen characters2"}) {
    ClearAppError();
    EXPECT_EQ(NameAdd(names, bad), 0) << bad;
    EXPECT_EQ(AppErrorCode(), kAppInvalidName) << bad;
    EXPECT_EQ(AppErrorName(), bad);
  }
  EXPECT_EQ(RecordCount(kNameTable), 0);
  Add("*");
  Add("+Plus");
  Add("Nineteen characters");
  // A long name is not the 19-byte name it begins with.
  ClearAppError();
  EXPECT_EQ(NameFind(names, "Nineteen characters2"), 0);
  EXPECT_EQ(AppErrorCode(), kAppNotFound);
  EXPECT_EQ(NameRemove(names, "Nineteen characters2"), 1);
  EXPECT_EQ(NameFind(names, "Nineteen characters"), 1);
}

TEST_F(NameTest, MissingNameOrNumberIsNotFoundAndAFoundNumberPositions) {
  Add("Carol");
  Add("Alice");
  EXPECT_EQ(NameFind(names, "Bob"), 0);
  EXPECT_EQ(AppErrorCode(), kAppNotFound);
  EXPECT_EQ(AppErrorName(), "Bob");
  ClearAppError();
  EXPECT_EQ(NameFindNumber(names, 7), 0);
  EXPECT_EQ(AppErrorCode(), kAppNotFound);
  ClearAppError();
  NameRecord record;
  EXPECT_EQ(NameLookup("Bob", &record), 0);
  EXPECT_EQ(AppErrorCode(), kAppNotFound);
  NameEntry entry;
  ASSERT_EQ(NameFindNumber(names, 1, &entry), 1);
  EXPECT_EQ(entry.Name(), "Carol");
  ASSERT_EQ(NameReadCurrent(names, &record), 1);
  EXPECT_EQ(record.Name(), "Carol");
}

TEST_F(NameTest, WalkGoesInNameOrderGroupsFirstAndStopsAtBothEnds) {
  NameRecord record;
  EXPECT_EQ(NameFirst(names), 0);
  EXPECT_EQ(AppErrorCode(), kAppEndOfFile);
  ClearAppError();
  EXPECT_EQ(NamePrev(names), 0);
  EXPECT_EQ(AppErrorCode(), kAppBeginningOfFile);
  for (std::string n : {"bob", "* - ALL", "Alice", "*Sales", "carol"}) Add(n);
  // A fresh handle stands nowhere: reading is end of file.
  NameClose(names);
  ASSERT_EQ(NameOpen(names), 1);
  EXPECT_EQ(NameReadCurrent(names, &record), 0);
  EXPECT_EQ(AppErrorCode(), kAppEndOfFile);
  EXPECT_EQ(AllNames(), (std::vector<std::string>{"* - ALL", "*Sales", "Alice", "bob", "carol"}));
  EXPECT_EQ(AppErrorCode(), kAppEndOfFile);
  EXPECT_EQ(AppErrorName(), "NAME");
  // At the end, reading or writing the current entry is end of file too.
  EXPECT_EQ(NameReadCurrent(names, &record), 0);
  EXPECT_EQ(AppErrorCode(), kAppEndOfFile);
  ClearAppError();
  EXPECT_EQ(NameWriteCurrent(names, record), 0);
  EXPECT_EQ(AppErrorCode(), kAppEndOfFile);
  NameEntry entry;
  ASSERT_EQ(NameFind(names, "*Sales"), 1);
  ASSERT_EQ(NamePrev(names, &entry), 1);
  EXPECT_EQ(entry.Name(), "* - ALL");
  EXPECT_EQ(NamePrev(names, &entry), 0);
  EXPECT_EQ(AppErrorCode(), kAppBeginningOfFile);
}

TEST_F(NameTest, UpdateWritesTheSettingsOfThatPersonOnly) {
  Add("Alice");
  Add("Bob");
  NameRecord alice = Lookup("Alice");
  SetFieldText(alice.bytes, nm::kInitials, "ALC");
  SetFieldByte(alice.bytes, nm::kSendLog, 1);
  ASSERT_EQ(NameUpdate(alice), 1);
  NameRecord again = Lookup("alice");
  EXPECT_EQ(FieldText(again.bytes, nm::kInitials), "ALC");
  EXPECT_EQ(FieldByte(again.bytes, nm::kSendLog), 1);
  // Writing a record of another name where Alice stands is refused.
  NameRecord bob = Lookup("Bob");
  ASSERT_EQ(NameFind(names, "Alice"), 1);
  EXPECT_EQ(NameWriteCurrent(names, bob), 0);
  EXPECT_EQ(AppErrorCode(), kAppNotFound);
  EXPECT_EQ(Lookup("Alice").Number(), 1);
  // An update of a name removed and added again leaves the new person alone.
  ASSERT_EQ(NameRemove(names, "Alice"), 1);
  Add("Alice");
  SetFieldText(alice.bytes, nm::kInitials, "OLD");
  ClearAppError();
  EXPECT_EQ(NameUpdate(alice), 0);
  EXPECT_EQ(AppErrorCode(), kAppNotFound);
  NameRecord now = Lookup("Alice");
  EXPECT_EQ(now.Number(), 3);
  EXPECT_EQ(FieldText(now.bytes, nm::kInitials), "");
}

TEST_F(NameTest, RemovingIsInAnyCaseAMissingNameSucceedsEverybodyStaysAndNoNumberReturns) {
  Add("* - ALL");
  Add("Alice");
  Add("Bob");
  ASSERT_EQ(NameRemove(names, "ALICE"), 1);
  EXPECT_EQ(NameFind(names, "Alice"), 0);
  ClearAppError();
  EXPECT_EQ(NameRemove(names, "Nobody"), 1);
  EXPECT_EQ(AppErrorCode(), 0);
  EXPECT_EQ(NameRemove(names, "* - all"), 1);
  EXPECT_EQ(AllNames(), (std::vector<std::string>{"* - ALL", "Bob"}));
  // Numbers of removed names are never issued again, the highest included.
  ASSERT_EQ(NameRemove(names, "Bob"), 1);
  Add("Carol");
  EXPECT_EQ(Lookup("Carol").Number(), 4);
}

TEST_F(NameTest, RenamedNamesKeepNumberMembersAndSettings) {
  Add("Alice");
  Add("Bob");
  Add("*Sales");
  NameRecord sales = Lookup("*Sales");
  ASSERT_EQ(SetGroupMembers(sales, {1, 2}), 1);
  ASSERT_EQ(NameUpdate(sales), 1);
  NameRecord alice = Lookup("Alice");
  SetFieldText(alice.bytes, nm::kEmailFrom, "alice@example.com");
  ASSERT_EQ(NameUpdate(alice), 1);
  ASSERT_EQ(NameRename(names, "Alice", "Alice Smith"), 1);
  ASSERT_EQ(NameRename(names, "bob", "BOB"), 1);
  ASSERT_EQ(NameRename(names, "*sales", "*Marketing"), 1);
  // The handle stands on the new name.
  NameRecord current;
  ASSERT_EQ(NameReadCurrent(names, &current), 1);
  EXPECT_EQ(current.Name(), "*Marketing");
  EXPECT_EQ(AllNames(), (std::vector<std::string>{"*Marketing", "Alice Smith", "BOB"}));
  NameRecord marketing = Lookup("*Marketing");
  EXPECT_EQ(marketing.Number(), sales.Number());
  EXPECT_EQ(GroupMembers(marketing), (std::vector<int32_t>{1, 2}));
  NameRecord renamed = Lookup("Alice Smith");
  EXPECT_EQ(renamed.Number(), 1);
  EXPECT_EQ(FieldText(renamed.bytes, nm::kEmailFrom), "alice@example.com");
}

TEST_F(NameTest, RefusedRenamesChangeNothing) {
  struct Case {
    const char* from;
    const char* to;
    int code;
  };
  const Case cases[] = {
      {"* - ALL", "*Everyone", kAppInvalidName},  // everybody keeps its name
      {"*Sales", "* - all", kAppInvalidName},     // nothing becomes everybody
      {"Alice", " Alice", kAppInvalidName},       // an invalid name
      {"Alice", "*Alice", kAppInvalidName},       // a person cannot become a group
      {"*Sales", "Sales", kAppInvalidName},       // nor a group a person
      {"Alice", "BOB", kAppDuplicate},            // onto another name
      {"Nobody", "Somebody", kAppNotFound},
  };
  for (std::string n : {"* - ALL", "*Sales", "Alice", "Bob"}) Add(n);
  for (const Case& c : cases) {
    ClearAppError();
    EXPECT_EQ(NameRename(names, c.from, c.to), 0) << c.from << " -> " << c.to;
    EXPECT_EQ(AppErrorCode(), c.code) << c.from << " -> " << c.to;
  }
  EXPECT_EQ(AppErrorName(), "Nobody");
  EXPECT_EQ(AllNames(), (std::vector<std::string>{"* - ALL", "*Sales", "Alice", "Bob"}));
  EXPECT_EQ(Lookup("Alice").Number(), 3);
}

TEST_F(NameTest, RemoveFailsWhileAnotherHandleOrWorkstationHoldsTheRecord) {
  Add("Alice");
  Add("Bob");
  NameTable other;
  ASSERT_EQ(NameOpen(other), 1);
  NameEntry alice, bob;
  ASSERT_EQ(NameFind(other, "Alice", &alice), 1);
  ASSERT_EQ(DbLockRecord(other.table, alice.RecordNumber()), 1);
  ASSERT_EQ(NameFind(names, "Bob", &bob), 1);
  LockHolder editor(
      dir.File("NAME.DAT"),
      int64_t(nm::kHeaderSize) + int64_t(bob.RecordNumber() + 1) * nm::kRecordSize - 1);
  ASSERT_TRUE(editor.Held());
  for (const char* name : {"Alice", "Bob"}) {
    ClearAppError();
    EXPECT_EQ(NameRemove(names, name), 0) << name;
    EXPECT_EQ(DbGetError(), kDbRecordLocked);
    EXPECT_EQ(AppErrorCode(), kAppLockError);
    EXPECT_EQ(NameFind(names, name), 1);
  }
  DbUnlockRecord(other.table, alice.RecordNumber());
  NameClose(other);
  editor.Release();
  EXPECT_EQ(NameRemove(names, "Alice"), 1);
  EXPECT_EQ(NameRemove(names, "Bob"), 1);
  EXPECT_EQ(NameFind(names, "Alice"), 0);
}

TEST_F(NameTest, EntryWhoseRecordCarriesAnotherNameIsCorrupt) {
  Add("Alice");
  NameEntry entry;
  ASSERT_EQ(NameFind(names, "Alice", &entry), 1);
  // Another program changed the name in the record without the index.
  NameRecord record = Lookup("Alice");
  SetFieldText(record.bytes, nm::kName, "Mallory");
  ASSERT_EQ(DbWriteRecord(names.table, entry.RecordNumber(), record.bytes), 1);
  ASSERT_EQ(NameFind(names, "Alice"), 1);
  NameRecord read;
  EXPECT_EQ(NameReadCurrent(names, &read), 0);
  EXPECT_EQ(AppErrorCode(), kAppIndexCorrupt);
  EXPECT_EQ(AppErrorName(), "NAME.X1");
}

TEST_F(NameTest, AClosedHandleIsACheckFailureAndAMissingTableTheEngineError) {
  NameTable closed;
  unsigned before = CheckFailureCount();
  EXPECT_EQ(NameFind(closed, "Alice"), 0);
  EXPECT_EQ(NameAdd(closed, "Alice"), 0);
  EXPECT_GT(CheckFailureCount(), before);
  NameClose(names);
  ASSERT_EQ(std::remove(dir.File("NAME.DAT").c_str()), 0);
  EXPECT_EQ(NameOpen(names), 0);
  EXPECT_EQ(AppErrorCode(), kAppNoSuchFile);
  EXPECT_EQ(AppErrorName(), dir.File("NAME.DAT"));
  EXPECT_FALSE(names.open);
}

TEST(GroupMembersTest, RepeatsAndZerosAreDroppedFreeSlotsClearedAndAHundredIsTheMost) {
  NameRecord group;
  SetFieldText(group.bytes, nm::kName, "*Team");
  ASSERT_EQ(SetGroupMembers(group, std::vector<int32_t>(100, 9)), 1);
  ASSERT_EQ(SetGroupMembers(group, {4, 0, 5, 4}), 1);
  EXPECT_EQ(GroupMembers(group), (std::vector<int32_t>{4, 5}));
  EXPECT_TRUE(IsGroupMember(group, 5));
  EXPECT_FALSE(IsGroupMember(group, 9));
  EXPECT_FALSE(IsGroupMember(group, 0));
  std::vector<int32_t> many;
  for (int i = 1; i <= 100; ++i) many.push_back(i);
  ASSERT_EQ(SetGroupMembers(group, many), 1);
  EXPECT_EQ(GroupMembers(group).size(), 100u);
  many.push_back(101);
  EXPECT_EQ(SetGroupMembers(group, many), 0);
  EXPECT_EQ(AppErrorCode(), kAppMaxRecords);
  EXPECT_EQ(GroupMembers(group).size(), 100u);
  EXPECT_FALSE(IsGroupMember(group, 101));
}

}  // namespace
