// CC lists: who gets CC records for a group message, one recipient, more
// than 100 names, reading the names back. The lists of a group send, "* - ALL"
// among them, are read back in the message send tests.
#include "data/messages/dpcc.h"

#include <gtest/gtest.h>

#include "tests/data/messages/message_checks.h"
#include "tests/data/office/office_dir.h"

namespace {

using Names = std::vector<std::string>;

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
  void Start(const std::string& to, std::vector<int32_t> numbers) {
    Prepare(to, std::move(numbers));
    ASSERT_EQ(CCStart(list), 1);
  }
  // Writes the CC records of each copy (message number, recipient) of the
  // started list and ends it.
  void WriteAndEnd(std::initializer_list<std::pair<int32_t, const char*>> copies) {
    for (const auto& [message, recipient] : copies)
      ASSERT_EQ(CCWrite(list, message, recipient), 1) << recipient;
    ASSERT_EQ(CCEnd(list), 1);
  }

  Names CC(int32_t messageNumber) {
    Names cc;
    EXPECT_EQ(CCReadNames(messageNumber, &cc), 1);
    return cc;
  }

  NameTable names;
  CCList list;
};

TEST_F(CCTest, MessageToOnePersonOrOnePersonAndAGroupHasNoCCList) {
  int32_t alice = Add("Alice");
  Add("Bob");
  Prepare("*Solo", {alice});
  ClearAppError();
  EXPECT_TRUE(Fails(CCStart(list), 0));
  EXPECT_FALSE(list.started);
  EXPECT_EQ(OpenTableCount(), openAtStart + 1);  // only the name table
  WriteAndEnd({{10, "Alice"}});
  EXPECT_EQ(RecordCount(kCcTable), 0);
  EXPECT_TRUE(CC(10).empty());
  // Groups among the numbers are not recipients.
  Prepare("*Mixed", {alice, Add("*Sales")});
  EXPECT_EQ(CCStart(list), 0);
  EXPECT_FALSE(list.started);
}

TEST_F(CCTest, CCNamesComeInNameOrderAndLeaveOutOnlyTheRecipient) {
  std::vector<int32_t> chosen;
  for (std::string n : {"dave", "Alice", "carol", "Bob"}) chosen.push_back(Add(n));
  Add("Eve");  // not chosen
  Start("*Four", chosen);
  EXPECT_EQ(list.recipients, (Names{"Alice", "Bob", "carol", "dave"}));
  WriteAndEnd({{30, "CAROL"}});  // in any case
  EXPECT_EQ(CC(30), (Names{"Alice", "Bob", "dave"}));
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
  Start("*Everyone", chosen);
  EXPECT_TRUE(list.truncated);
  EXPECT_EQ(AppErrorCode(), kAppMaxRecords);
  ASSERT_EQ(list.recipients.size(), 100u);
  EXPECT_EQ(list.recipients.front(), "Person 000");
  EXPECT_EQ(list.recipients.back(), "Person 099");
  WriteAndEnd({{40, "Person 000"}, {41, "Person 100"}});
  EXPECT_EQ(CC(40).size(), 99u);
  EXPECT_EQ(CC(41).size(), 100u);
}

TEST_F(CCTest, FindAndNextWalkOneMessageOnly) {
  Start("*Three", {Add("Alice"), Add("Bob"), Add("Carol")});
  WriteAndEnd({{50, "Alice"}, {51, "Bob"}});
  CCTable cc;
  ASSERT_EQ(CCOpen(cc), 1);
  CCEntry entry;
  ASSERT_EQ(CCFind(cc, 50, &entry), 1);
  EXPECT_EQ(entry.Name(), "Bob");
  EXPECT_EQ(entry.MessageNumber(), 50);
  ASSERT_EQ(CCNext(cc, 50, &entry), 1);
  EXPECT_EQ(entry.Name(), "Carol");
  EXPECT_TRUE(Fails(CCNext(cc, 50, &entry), kAppEndOfFile));
  EXPECT_TRUE(Fails(CCFind(cc, 49, &entry), kAppNotFound));
  EXPECT_TRUE(Fails(CCFind(cc, 52, &entry), kAppNotFound));
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
  Prepare("*Pair", {Add("Alice"), Add("Bob")});
  ASSERT_EQ(std::remove(dir.File("CC.DAT").c_str()), 0);
  EXPECT_TRUE(Fails(CCStart(list), kAppNoSuchFile));
  EXPECT_FALSE(list.started);
  EXPECT_TRUE(list.recipients.empty());
}

}  // namespace
