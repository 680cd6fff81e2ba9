// CC lists: who gets CC records for a group message, "* - ALL", one
// recipient, more than 100 names, reading the names back.
#include "data/messages/dpcc.h"

#include <gtest/gtest.h>

#include "tests/data/office/office_dir.h"

namespace {

class CCTest : public OfficeDirTest {
 protected:
  void SetUp() override {
    OfficeDirTest::SetUp();
    ASSERT_EQ(NameOpen(names), 1);
  }
  void TearDown() override {
    if (list.started) CCEnd(list);
    if (names.open) NameClose(names);
    OfficeDirTest::TearDown();
  }

  int32_t Add(const std::string& name) {
    EXPECT_EQ(NameAdd(names, name), 1) << name;
    NameEntry entry;
    EXPECT_EQ(NameFind(names, name, &entry), 1);
    return entry.Number();
  }

  void Prepare(const std::string& to, std::vector<int32_t> numbers) {
    list.names = &names;
    list.to = to;
    list.numbers = std::move(numbers);
  }

  std::vector<std::string> CC(int32_t messageNumber) {
    std::vector<std::string> cc;
    EXPECT_EQ(CCReadNames(messageNumber, &cc), 1);
    return cc;
  }

  NameTable names;
  CCList list;
};

TEST_F(CCTest, EachCopyOfATwoPersonMessageNamesTheOther) {
  int32_t alice = Add("Alice");
  int32_t bob = Add("Bob");
  Add("Carol");
  Prepare("*Pair", {alice, bob});
  ASSERT_EQ(CCStart(list), 1);
  EXPECT_TRUE(list.started);
  ASSERT_EQ(CCWrite(list, 10, "Alice"), 1);
  ASSERT_EQ(CCWrite(list, 11, "Bob"), 1);
  ASSERT_EQ(CCEnd(list), 1);
  EXPECT_EQ(CC(10), std::vector<std::string>{"Bob"});
  EXPECT_EQ(CC(11), std::vector<std::string>{"Alice"});
  EXPECT_EQ(RecordCount(kCcTable), 2);
}

TEST_F(CCTest, MessageToOnePersonOrOnePersonAndAGroupHasNoCCList) {
  int32_t alice = Add("Alice");
  Add("Bob");
  Prepare("*Solo", {alice});
  ClearAppError();
  EXPECT_EQ(CCStart(list), 0);
  EXPECT_EQ(AppErrorCode(), 0);
  EXPECT_FALSE(list.started);
  EXPECT_EQ(OpenTableCount(), openAtStart + 1);  // only the name table
  EXPECT_EQ(CCWrite(list, 10, "Alice"), 1);
  EXPECT_EQ(CCEnd(list), 1);
  EXPECT_EQ(RecordCount(kCcTable), 0);
  EXPECT_TRUE(CC(10).empty());
  // Groups among the numbers are not recipients.
  int32_t sales = Add("*Sales");
  Prepare("*Mixed", {alice, sales});
  EXPECT_EQ(CCStart(list), 0);
  EXPECT_FALSE(list.started);
}

TEST_F(CCTest, MessageToEverybodyGetsTheSingleNameEverybody) {
  Add("* - ALL");
  Add("Alice");
  Add("Bob");
  Add("Carol");
  Prepare("* - ALL", {1});
  ASSERT_EQ(CCStart(list), 1);
  EXPECT_EQ(list.recipients, std::vector<std::string>{"* - ALL"});
  for (int32_t message : {20, 21, 22})
    ASSERT_EQ(CCWrite(list, message, message == 20 ? "Alice" : "Bob"), 1);
  CCEnd(list);
  EXPECT_EQ(CC(20), std::vector<std::string>{"* - ALL"});
  EXPECT_EQ(CC(22), std::vector<std::string>{"* - ALL"});
}

TEST_F(CCTest, CCNamesComeInNameOrderAndLeaveOutOnlyTheRecipient) {
  std::vector<int32_t> chosen;
  for (std::string n : {"dave", "Alice", "carol", "Bob"}) chosen.push_back(Add(n));
  Add("Eve");  // not chosen
  Prepare("*Four", chosen);
  ASSERT_EQ(CCStart(list), 1);
  EXPECT_EQ(list.recipients, (std::vector<std::string>{"Alice", "Bob", "carol", "dave"}));
  ASSERT_EQ(CCWrite(list, 30, "CAROL"), 1);  // in any case
  CCEnd(list);
  EXPECT_EQ(CC(30), (std::vector<std::string>{"Alice", "Bob", "dave"}));
}

TEST_F(CCTest, AHundredNamesFitAndMoreKeepTheFirstHundredAndReport) {
  std::vector<int32_t> chosen;
  char name[16];
  for (int i = 0; i < 101; ++i) {
    std::snprintf(name, sizeof name, "Person %03d", i);
    chosen.push_back(Add(name));
  }
  Prepare("*Hundred", std::vector<int32_t>(chosen.begin(), chosen.end() - 1));
  ClearAppError();
  ASSERT_EQ(CCStart(list), 1);
  EXPECT_FALSE(list.truncated);
  EXPECT_EQ(AppErrorCode(), 0);
  EXPECT_EQ(list.recipients.size(), 100u);
  CCEnd(list);
  Prepare("*Everyone", chosen);
  ASSERT_EQ(CCStart(list), 1);
  EXPECT_TRUE(list.truncated);
  EXPECT_EQ(AppErrorCode(), kAppMaxRecords);
  ASSERT_EQ(list.recipients.size(), 100u);
  EXPECT_EQ(list.recipients.front(), "Person 000");
  EXPECT_EQ(list.recipients.back(), "Person 099");
  ASSERT_EQ(CCWrite(list, 40, "Person 000"), 1);
  ASSERT_EQ(CCWrite(list, 41, "Person 100"), 1);
  CCEnd(list);
  EXPECT_EQ(CC(40).size(), 99u);
  EXPECT_EQ(CC(41).size(), 100u);
}

TEST_F(CCTest, FindAndNextWalkOneMessageOnly) {
  int32_t a = Add("Alice");
  int32_t b = Add("Bob");
  int32_t c = Add("Carol");
  Prepare("*Three", {a, b, c});
  ASSERT_EQ(CCStart(list), 1);
  ASSERT_EQ(CCWrite(list, 50, "Alice"), 1);
  ASSERT_EQ(CCWrite(list, 51, "Bob"), 1);
  CCEnd(list);
  CCTable cc;
  ASSERT_EQ(CCOpen(cc), 1);
  CCEntry entry;
  ASSERT_EQ(CCFind(cc, 50, &entry), 1);
  EXPECT_EQ(entry.Name(), "Bob");
  EXPECT_EQ(entry.MessageNumber(), 50);
  ASSERT_EQ(CCNext(cc, 50, &entry), 1);
  EXPECT_EQ(entry.Name(), "Carol");
  EXPECT_EQ(CCNext(cc, 50, &entry), 0);
  EXPECT_EQ(AppErrorCode(), kAppEndOfFile);
  EXPECT_EQ(CCFind(cc, 49, &entry), 0);
  EXPECT_EQ(AppErrorCode(), kAppNotFound);
  EXPECT_EQ(CCFind(cc, 52, &entry), 0);
  EXPECT_EQ(AppErrorCode(), kAppNotFound);
  CCClose(cc);
}

TEST_F(CCTest, StartWithoutAnOpenNameTableIsACheckFailureAndWithoutTheCCTableAFailure) {
  NameTable closed;
  list.names = &closed;
  list.to = "*Group";
  list.numbers = {1};
  unsigned before = CheckFailureCount();
  EXPECT_EQ(CCStart(list), 0);
  EXPECT_GT(CheckFailureCount(), before);
  Prepare("*Group", {});
  EXPECT_EQ(CCStart(list), 0);
  EXPECT_FALSE(list.started);
  // A missing CC table fails the start.
  int32_t a = Add("Alice");
  int32_t b = Add("Bob");
  ASSERT_EQ(std::remove(dir.File("CC.DAT").c_str()), 0);
  Prepare("*Pair", {a, b});
  EXPECT_EQ(CCStart(list), 0);
  EXPECT_EQ(AppErrorCode(), kAppNoSuchFile);
  EXPECT_FALSE(list.started);
  EXPECT_TRUE(list.recipients.empty());
}

}  // namespace
