// The name table: adding people and groups, names that differ only in case,
// the names refused with their reasons (and those an older office holds),
// walking in name order, renaming, removing, numbers that are never
// reissued, records held by another workstation.
#include "data/office/dpname.h"

#include <gtest/gtest.h>

#include "data/office/datadir.h"
#include "storage/database.h"
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

  // The name of the entry the handle stands on.
  std::string Current() {
    NameRecord record;
    EXPECT_EQ(NameReadCurrent(names, &record), 1) << FormatAppError();
    return record.Name();
  }

  NameTable names;
};

TEST_F(NameTest, NewPersonAndNewGroupRecordsAndTheHandleStandsOnTheNewName) {
  Add("Alice");
  Add("*Sales");
  EXPECT_EQ(Current(), "*Sales");
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
  for (std::string n : {"Alice", "ALICE", "alice"}) Add(n);
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

struct Refused {
  std::string name;
  std::string reason;  // a part of the sentence given
};

const Refused kRefused[] = {
    {"", "cannot be empty."},
    {"TWENTY CHARACTERS XX", "at most 19 characters."},
    {" ALICE", "cannot begin with a blank."},
    {"(ALICE)", "cannot begin with any of"},
    {"ALICE ", "cannot end with a blank."},
    {"SMITH, JOHN", "cannot hold a comma"},
    {"*SALES,EAST", "cannot hold a comma"},
    {"AL\tICE", "control character such as a tab."},
    {"AL\x7F", "control character"},
    {"DPMAIL SERVER", "e-mail gateway."},
    {"dpmail server", "e-mail gateway."},
};

// Names that would break a recipient list, the gateway's mailbox or the
// name order are refused, with a reason, on adding and on renaming.
TEST_F(NameTest, EachBrokenNameIsRefusedWithItsReasonAndNothingIsStoredOrRenamed) {
  Add("ALICE");
  Add("*SALES");
  for (const Refused& c : kRefused) {
    SCOPED_TRACE("[" + c.name + "]");
    const std::string reason = NameProblem(c.name);
    EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    EXPECT_EQ(reason.back(), '.');
    EXPECT_FALSE(NameIsValid(c.name));
    EXPECT_TRUE(Fails(NameAdd(names, c.name), kAppInvalidName, c.name));
    const std::string from = c.name.starts_with("*") ? "*SALES" : "ALICE";
    EXPECT_TRUE(Fails(NameRename(names, from, c.name), kAppInvalidName));
    EXPECT_EQ(NameFind(names, from), 1);
  }
  EXPECT_EQ(RecordCount(kNameTable), 2);
}

TEST_F(NameTest, NamesWithinTheRulesAreTakenAndALongNameIsNotTheNameItBeginsWith) {
  for (std::string good :
       {"NINETEEN CHARACTERS", "MARY ANN", "O'BRIEN", "*FRONT DESK", "DPMAIL", "DPMAIL SERVER2",
        "Z\xD6"
        "E",
        "*", "+Plus"}) {
    EXPECT_EQ(NameProblem(good), "") << good;
    Add(good);
  }
  EXPECT_EQ(RecordCount(kNameTable), 9);
  EXPECT_TRUE(Fails(NameFind(names, "NINETEEN CHARACTERS2"), kAppNotFound));
  EXPECT_EQ(NameRemove(names, "NINETEEN CHARACTERS2"), 1);
  EXPECT_EQ(NameFind(names, "NINETEEN CHARACTERS"), 1);
}

// Names the rules now refuse, written as an older office may hold them.
TEST_F(NameTest, NamesAnOlderOfficeHoldsAreStillFoundListedAndUsed) {
  const std::vector<std::string> old = {"SMITH, JOHN", "BOB ", "DPMAIL SERVER", "TAB\tBED"};
  for (const std::string& name : old) {
    NameRecord record;
    SetFieldText(record.bytes, nm::kName, name.c_str());
    uint32_t number = 0;
    ASSERT_EQ(GetUniqueNumber(names.table, &number), 1);
    SetFieldU32(record.bytes, nm::kNumber, number);
    ASSERT_EQ(DbAppendRecord(names.table, record.bytes), 1) << name;
  }
  Add("ALICE");
  for (const std::string& name : old) {
    SCOPED_TRACE(name);
    ASSERT_EQ(NameFind(names, name), 1);
    NameRecord record = Lookup(name);
    EXPECT_EQ(record.Name(), name);
    EXPECT_EQ(NameUpdate(record), 1);
    Add(name);  // finds the record that is there
  }
  EXPECT_EQ(RecordCount(kNameTable), 5);
  EXPECT_EQ(AllNames().size(), 5u);
  EXPECT_EQ(NameRename(names, "SMITH, JOHN", "SMITH JOHN"), 1);
  EXPECT_EQ(NameFind(names, "SMITH JOHN"), 1);
}

TEST_F(NameTest, MissingNameOrNumberIsNotFoundAndAFoundNumberPositions) {
  Add("Carol");
  Add("Alice");
  EXPECT_TRUE(Fails(NameFind(names, "Bob"), kAppNotFound, "Bob"));
  EXPECT_TRUE(Fails(NameFindNumber(names, 7), kAppNotFound));
  NameRecord record;
  EXPECT_TRUE(Fails(NameLookup("Bob", &record), kAppNotFound));
  NameEntry entry;
  ASSERT_EQ(NameFindNumber(names, 1, &entry), 1);
  EXPECT_EQ(entry.Name(), "Carol");
  EXPECT_EQ(Current(), "Carol");
}

TEST_F(NameTest, WalkGoesInNameOrderGroupsFirstAndStopsAtBothEnds) {
  NameRecord record;
  EXPECT_TRUE(Fails(NameFirst(names), kAppEndOfFile));
  EXPECT_TRUE(Fails(NamePrev(names), kAppBeginningOfFile));
  for (std::string n : {"bob", "* - ALL", "Alice", "*Sales", "carol"}) Add(n);
  // A fresh handle stands nowhere: reading is end of file.
  NameClose(names);
  ASSERT_EQ(NameOpen(names), 1);
  EXPECT_TRUE(Fails(NameReadCurrent(names, &record), kAppEndOfFile));
  EXPECT_EQ(AllNames(), (std::vector<std::string>{"* - ALL", "*Sales", "Alice", "bob", "carol"}));
  EXPECT_TRUE(Fails(0, kAppEndOfFile, "NAME"));  // where the walk stopped
  // At the end, reading or writing the current entry is end of file too.
  EXPECT_TRUE(Fails(NameReadCurrent(names, &record), kAppEndOfFile));
  EXPECT_TRUE(Fails(NameWriteCurrent(names, record), kAppEndOfFile));
  NameEntry entry;
  ASSERT_EQ(NameFind(names, "*Sales"), 1);
  ASSERT_EQ(NamePrev(names, &entry), 1);
  EXPECT_EQ(entry.Name(), "* - ALL");
  EXPECT_TRUE(Fails(NamePrev(names, &entry), kAppBeginningOfFile));
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
  ASSERT_EQ(NameFind(names, "Alice"), 1);
  EXPECT_TRUE(Fails(NameWriteCurrent(names, Lookup("Bob")), kAppNotFound));
  EXPECT_EQ(Lookup("Alice").Number(), 1);
  // An update of a name removed and added again leaves the new person alone.
  ASSERT_EQ(NameRemove(names, "Alice"), 1);
  Add("Alice");
  SetFieldText(alice.bytes, nm::kInitials, "OLD");
  EXPECT_TRUE(Fails(NameUpdate(alice), kAppNotFound));
  NameRecord now = Lookup("Alice");
  EXPECT_EQ(now.Number(), 3);
  EXPECT_EQ(FieldText(now.bytes, nm::kInitials), "");
}

TEST_F(NameTest, RemovingIsInAnyCaseAMissingNameSucceedsEverybodyStaysAndNoNumberReturns) {
  for (std::string n : {"* - ALL", "Alice", "Bob"}) Add(n);
  ASSERT_EQ(NameRemove(names, "ALICE"), 1);
  EXPECT_TRUE(Fails(NameFind(names, "Alice"), kAppNotFound));
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
  for (std::string n : {"Alice", "Bob", "*Sales"}) Add(n);
  NameRecord sales = Lookup("*Sales");
  ASSERT_EQ(SetGroupMembers(sales, {1, 2}), 1);
  ASSERT_EQ(NameUpdate(sales), 1);
  NameRecord alice = Lookup("Alice");
  SetFieldText(alice.bytes, nm::kEmailFrom, "alice@example.com");
  ASSERT_EQ(NameUpdate(alice), 1);
  ASSERT_EQ(NameRename(names, "Alice", "Alice Smith"), 1);
  ASSERT_EQ(NameRename(names, "bob", "BOB"), 1);
  ASSERT_EQ(NameRename(names, "*sales", "*Marketing"), 1);
  EXPECT_EQ(Current(), "*Marketing");
  EXPECT_EQ(AllNames(), (std::vector<std::string>{"*Marketing", "Alice Smith", "BOB"}));
  NameRecord marketing = Lookup("*Marketing");
  EXPECT_EQ(marketing.Number(), sales.Number());
  EXPECT_EQ(GroupMembers(marketing), (std::vector<int32_t>{1, 2}));
  NameRecord renamed = Lookup("Alice Smith");
  EXPECT_EQ(renamed.Number(), 1);
  EXPECT_EQ(FieldText(renamed.bytes, nm::kEmailFrom), "alice@example.com");
}

TEST_F(NameTest, RefusedRenamesChangeNothing) {
  const struct {
    const char* from;
    const char* to;
    int code;
  } cases[] = {
      {"* - ALL", "*Everyone", kAppInvalidName},  // everybody keeps its name
      {"*Sales", "* - all", kAppInvalidName},     // nothing becomes everybody
      {"Alice", "*Alice", kAppInvalidName},       // a person cannot become a group
      {"*Sales", "Sales", kAppInvalidName},       // nor a group a person
  };
  for (std::string n : {"* - ALL", "*Sales", "Alice", "Bob"}) Add(n);
  for (const auto& c : cases)
    EXPECT_TRUE(Fails(NameRename(names, c.from, c.to), c.code)) << c.from << " -> " << c.to;
  EXPECT_TRUE(Fails(NameRename(names, "Nobody", "Somebody"), kAppNotFound, "Nobody"));
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
  LockHolder editor(dir.File("NAME.DAT"),
                    RecordLockByte(nm::kHeaderSize, nm::kRecordSize, bob.RecordNumber()));
  ASSERT_TRUE(editor.Held());
  for (const char* name : {"Alice", "Bob"}) {
    EXPECT_TRUE(Fails(NameRemove(names, name), kAppLockError)) << name;
    EXPECT_EQ(DbGetError(), kDbRecordLocked);
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
  EXPECT_TRUE(Fails(NameReadCurrent(names, &record), kAppIndexCorrupt, "NAME.X1"));
}

TEST_F(NameTest, AClosedHandleIsACheckFailureAndAMissingTableTheEngineError) {
  NameTable closed;
  unsigned before = CheckFailureCount();
  EXPECT_EQ(NameFind(closed, "Alice"), 0);
  EXPECT_EQ(NameAdd(closed, "Alice"), 0);
  EXPECT_GT(CheckFailureCount(), before);
  NameClose(names);
  ASSERT_EQ(std::remove(dir.File("NAME.DAT").c_str()), 0);
  EXPECT_TRUE(Fails(NameOpen(names), kAppNoSuchFile, dir.File("NAME.DAT")));
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
  EXPECT_TRUE(Fails(SetGroupMembers(group, many), kAppMaxRecords));
  EXPECT_EQ(GroupMembers(group).size(), 100u);
  EXPECT_FALSE(IsGroupMember(group, 101));
}

}  // namespace
