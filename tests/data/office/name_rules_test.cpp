// Which names a person or group may be given: names that would break a
// recipient list, the gateway's mailbox or the name order are refused with
// a reason on adding and renaming, while such names already held by an
// older office stay readable and usable.
#include <gtest/gtest.h>

#include <string>

#include "data/office/dpname.h"
#include "storage/database.h"
#include "tests/data/office/office_dir.h"

namespace nm = records::name;

namespace {

class NameRulesTest : public OfficeDirTest {
 protected:
  void SetUp() override {
    OfficeDirTest::SetUp();
    ASSERT_EQ(NameOpen(names), 1);
  }
  void TearDown() override {
    if (names.open) NameClose(names);
    OfficeDirTest::TearDown();
  }

  // Writes a person record as an older office might hold it, past the
  // rules of NameAdd.
  void StoreAsOlderOffice(const std::string& name) {
    NameRecord record;
    SetFieldText(record.bytes, nm::kName, name.c_str());
    uint32_t number = 0;
    ASSERT_EQ(GetUniqueNumber(names.table, &number), 1);
    SetFieldU32(record.bytes, nm::kNumber, number);
    ASSERT_EQ(DbAppendRecord(names.table, record.bytes), 1) << name;
  }

  NameTable names;
};

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
    {"ALICE  ", "cannot end with a blank."},
    {"SMITH, JOHN", "cannot hold a comma"},
    {"*SALES,EAST", "cannot hold a comma"},
    {"AL\tICE", "control character such as a tab."},
    {"ALICE\n", "control character"},
    {"AL\x7F", "control character"},
    {"DPMAIL SERVER", "e-mail gateway."},
    {"dpmail server", "e-mail gateway."},
};

TEST_F(NameRulesTest, EachBrokenNameIsRefusedWithItsReasonAndNothingIsStored) {
  ASSERT_EQ(NameAdd(names, "ALICE"), 1);
  for (const Refused& c : kRefused) {
    SCOPED_TRACE("[" + c.name + "]");
    const std::string reason = NameProblem(c.name);
    EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    EXPECT_EQ(reason.back(), '.');
    EXPECT_FALSE(NameIsValid(c.name));
    ClearAppError();
    EXPECT_EQ(NameAdd(names, c.name), 0);
    EXPECT_EQ(AppErrorCode(), kAppInvalidName);
    EXPECT_EQ(AppErrorName(), c.name);
  }
  EXPECT_EQ(RecordCount(kNameTable), 1);
}

TEST_F(NameRulesTest, RenamingToABrokenNameIsRefusedAndTheOldNameStays) {
  ASSERT_EQ(NameAdd(names, "ALICE"), 1);
  ASSERT_EQ(NameAdd(names, "*SALES"), 1);
  for (const Refused& c : kRefused) {
    SCOPED_TRACE("[" + c.name + "]");
    const std::string from = c.name.starts_with("*") ? "*SALES" : "ALICE";
    ClearAppError();
    EXPECT_EQ(NameRename(names, from, c.name), 0);
    EXPECT_EQ(AppErrorCode(), kAppInvalidName);
    EXPECT_EQ(NameFind(names, from), 1);
  }
}

TEST_F(NameRulesTest, NamesWithinTheRulesAreTaken) {
  for (std::string good : {"NINETEEN CHARACTERS", "MARY ANN", "O'BRIEN", "*FRONT DESK", "DPMAIL",
                           "DPMAIL SERVER2", "Z\xD6" "E"}) {
    EXPECT_EQ(NameProblem(good), "") << good;
    EXPECT_EQ(NameAdd(names, good), 1) << good;
  }
  EXPECT_EQ(RecordCount(kNameTable), 7);
}

TEST_F(NameRulesTest, NamesAnOlderOfficeHoldsAreStillFoundListedAndUsed) {
  for (std::string old : {"SMITH, JOHN", "BOB ", "DPMAIL SERVER", "TAB\tBED"})
    StoreAsOlderOffice(old);
  ASSERT_EQ(NameAdd(names, "ALICE"), 1);
  for (std::string old : {"SMITH, JOHN", "BOB ", "DPMAIL SERVER", "TAB\tBED"}) {
    SCOPED_TRACE(old);
    NameEntry entry;
    ASSERT_EQ(NameFind(names, old, &entry), 1);
    NameRecord record;
    ASSERT_EQ(NameLookup(old, &record), 1);
    EXPECT_EQ(record.Name(), old);
    EXPECT_EQ(NameUpdate(record), 1);
    // Adding it again finds the record that is there.
    ASSERT_EQ(NameAdd(names, old), 1);
  }
  EXPECT_EQ(RecordCount(kNameTable), 5);
  int walked = 0;
  NameEntry entry;
  for (int ok = NameFirst(names, &entry); ok; ok = NameNext(names, &entry)) ++walked;
  EXPECT_EQ(walked, 5);
  EXPECT_EQ(NameRename(names, "SMITH, JOHN", "SMITH JOHN"), 1);
  EXPECT_EQ(NameFind(names, "SMITH JOHN"), 1);
}

}  // namespace
