// Message lists: which messages a view lists and in what order, date
// ranges, kinds, the text rules in entry and record mode, long texts and
// e-mail bodies, and the send log.
#include <gtest/gtest.h>

#include <fstream>

#include "data/messages/dpmess.h"
#include "data/messages/email_file.h"
#include "tests/data/messages/message_fixture.h"

namespace msg = records::message;

namespace {

class MessageQueryTest : public MessageTest {
 protected:
  // Sends a memo at a given time.
  MessageRecord SendAt(int32_t time, MessageRecord r, int32_t number) {
    SetFieldI32(r.bytes, msg::kTime, time);
    return Send(r, number);
  }

  static std::vector<int32_t> Times(const std::vector<MessageEntry>& rows) {
    std::vector<int32_t> times;
    for (const MessageEntry& e : rows) times.push_back(e.Time());
    return times;
  }
  static std::vector<std::string> Tos(const std::vector<MessageEntry>& rows) {
    std::vector<std::string> tos;
    for (const MessageEntry& e : rows) tos.push_back(e.To());
    return tos;
  }

  static MessageCriteria Folder(int32_t folder, const std::string& person = "*") {
    MessageCriteria c;
    c.folder = folder;
    c.person = person;
    return c;
  }

  void WriteBody(int32_t number, bool sendLog, const std::string& body) {
    std::ofstream out(EmailFilePath(number, sendLog), std::ios::binary | std::ios::trunc);
    out << std::string(size_t(records::email::kHeaderSize), '\0') << body;
  }

  const int32_t t0 = 1000000000;
};

TEST_F(MessageQueryTest, AReverseQueryOfTheInboxForEverybodyListsTheNewestFirst) {
  SendAt(t0, Memo("BOB", "1"), bob);
  SendAt(t0 + 30, Memo("CAROL", "2"), carol);
  SendAt(t0 + 20, Memo("BOB", "3"), bob);
  SendAt(t0 + 10, Memo("ALICE", "4"), alice);
  MessageCriteria c = Folder(msg::kFolderNew);
  c.newestFirst = true;
  EXPECT_EQ(Times(Query(c)), (std::vector<int32_t>{t0 + 30, t0 + 20, t0 + 10, t0}));
  c.newestFirst = false;
  EXPECT_EQ(Times(Query(c)), (std::vector<int32_t>{t0, t0 + 10, t0 + 20, t0 + 30}));
  // A row is the message's entry followed by zeros.
  uint8_t row[msg::list_row::kLength];
  ASSERT_EQ(DbReadCached(work, 0, row), 1);
  MessageEntry expected = FirstIn(msg::kFolderNew, "BOB");
  EXPECT_EQ(std::memcmp(row, expected.bytes, msg::x1::kLength), 0);
  for (int i = msg::x1::kLength; i < msg::list_row::kLength; ++i) EXPECT_EQ(row[i], 0) << i;
}

TEST_F(MessageQueryTest, APersonsFolderListsOnlyTheirMessagesInTimeOrderEitherWay) {
  SendAt(t0 + 20, Memo("BOB", "b2"), bob);
  SendAt(t0 + 10, Memo("BOB", "b1"), bob);
  SendAt(t0 + 15, Memo("CAROL", "c"), carol);
  SendAt(t0 + 5, Memo("ALICE", "a"), alice);
  MessageCriteria c = Folder(msg::kFolderNew, "bob");
  EXPECT_EQ(Times(Query(c)), (std::vector<int32_t>{t0 + 10, t0 + 20}));
  c.newestFirst = true;
  EXPECT_EQ(Times(Query(c)), (std::vector<int32_t>{t0 + 20, t0 + 10}));
  EXPECT_EQ(Tos(Query(c)), (std::vector<std::string>{"BOB", "BOB"}));
}

TEST_F(MessageQueryTest, AFolderListsNothingOfOtherFolders) {
  SendAt(t0, Memo("BOB", "new"), bob);
  SendAt(t0 + 1, Memo("BOB", "archived"), bob);
  SendAt(t0 + 2, Memo("CAROL", "filed"), carol);
  ASSERT_EQ(MsgMoveToFolder(messages, Query(Folder(1, "BOB")).at(1), msg::kFolderArchive), 1);
  ASSERT_EQ(MsgMoveToFolder(messages, FirstIn(1, "CAROL"), 77), 1);
  for (bool reverse : {false, true}) {
    MessageCriteria c = Folder(msg::kFolderNew);
    c.newestFirst = reverse;
    EXPECT_EQ(Times(Query(c)), std::vector<int32_t>{t0});
    c.folder = msg::kFolderArchive;
    EXPECT_EQ(Times(Query(c)), std::vector<int32_t>{t0 + 1});
    c.folder = 77;
    EXPECT_EQ(Times(Query(c)), std::vector<int32_t>{t0 + 2});
    c.folder = 2;
    EXPECT_TRUE(Query(c).empty());
  }
  // An in-box empty for one person is empty in either order whatever lies after it.
  ASSERT_EQ(MsgMoveToFolder(messages, FirstIn(1, "BOB"), msg::kFolderArchive), 1);
  for (bool reverse : {false, true}) {
    MessageCriteria c = Folder(msg::kFolderNew, "BOB");
    c.newestFirst = reverse;
    EXPECT_TRUE(Query(c).empty());
  }
}

TEST_F(MessageQueryTest, ANewestFirstListForEverybodyIncludesNamesBeyondPlainLetters) {
  SendAt(t0, Memo("\xC9MILE", "accented"), AddNames({"\xC9MILE"})["\xC9MILE"]);
  SendAt(t0 + 1, Memo("BOB", "plain"), bob);
  MessageCriteria c = Folder(msg::kFolderNew);
  c.newestFirst = true;
  EXPECT_EQ(Tos(Query(c)), (std::vector<std::string>{"BOB", "\xC9MILE"}));
}

TEST_F(MessageQueryTest, ADateRangeIncludesBothEndsInEveryWalk) {
  for (int i = 0; i < 4; ++i)
    SendAt(t0 + 100 * i, Memo(i % 2 ? "BOB" : "CAROL", "m"), i % 2 ? bob : carol);
  SendAt(t0 + 150, Memo("BOB", "filed"), bob);
  ASSERT_EQ(MsgMoveToFolder(messages, Query(Folder(1, "BOB")).at(1), msg::kFolderArchive), 1);
  for (bool reverse : {false, true}) {
    auto ordered = [reverse](std::vector<int32_t> v) {
      if (reverse) std::reverse(v.begin(), v.end());
      return v;
    };
    MessageCriteria c = Folder(msg::kFolderNew);
    c.start = t0 + 100;
    c.end = t0 + 200;
    c.newestFirst = reverse;
    EXPECT_EQ(Times(Query(c)), ordered({t0 + 100, t0 + 200})) << reverse;
    c.person = "BOB";
    EXPECT_EQ(Times(Query(c)), ordered({t0 + 100})) << reverse;
    // Every folder: the archived message at +150 too.
    c.folder = 0;
    c.person = "*";
    EXPECT_EQ(Times(Query(c)), ordered({t0 + 100, t0 + 150, t0 + 200})) << reverse;
    c.person = "BOB";
    EXPECT_EQ(Times(Query(c)), ordered({t0 + 100, t0 + 150})) << reverse;
    // An open end.
    c.person = "*";
    c.end = 0;
    EXPECT_EQ(Times(Query(c)), ordered({t0 + 100, t0 + 150, t0 + 200, t0 + 300})) << reverse;
    c.start = 0;
    c.end = t0 + 100;
    EXPECT_EQ(Times(Query(c)), ordered({t0, t0 + 100})) << reverse;
  }
}

TEST_F(MessageQueryTest, OnlyTheChosenKindsAreListed) {
  SendAt(t0, Phone("BOB", "JOE", "ACME", "555-1234", "Call back."), bob);
  SendAt(t0 + 1, Memo("BOB", "memo"), bob);
  SendAt(t0 + 2, Email("BOB", "joe@acme.com", "Hello"), bob);
  MessageCriteria c = Folder(msg::kFolderNew, "BOB");
  c.memo = false;
  c.email = false;
  ASSERT_EQ(Query(c).size(), 1u);
  EXPECT_EQ(Query(c)[0].Kind(), msg::kKindPhone);
  c.phone = false;
  c.email = true;
  ASSERT_EQ(Query(c).size(), 1u);
  EXPECT_EQ(Query(c)[0].Kind(), msg::kKindEmail);
  // Across every folder too.
  c.folder = 0;
  c.memo = true;
  EXPECT_EQ(Query(c).size(), 2u);
}

TEST_F(MessageQueryTest, TextsMatchAnywhereInTheFieldIgnoringCaseAndTrailingBlanks) {
  SendAt(t0, Phone("BOB", "Joe Smith", "Acme Tools", "555-1234", "Wants a quote."), bob);
  SendAt(t0 + 1, Phone("BOB", "Ann Lee", "Widgets Inc", "555-9999", "Call back."), bob);
  SendAt(t0 + 2, Memo("BOB", "Quote is ready.", "JOE"), bob);
  for (int32_t folder : {msg::kFolderNew, 0}) {
    MessageCriteria c = Folder(folder, "BOB");
    c.companyText = "acme  ";
    EXPECT_EQ(Times(Query(c)), (std::vector<int32_t>{t0, t0 + 2}));  // memos have no company
    c.companyText = "";
    c.fromText = "JOE";
    EXPECT_EQ(Times(Query(c)), (std::vector<int32_t>{t0, t0 + 2}));
    c.text = "QUOTE";
    EXPECT_EQ(Times(Query(c)), (std::vector<int32_t>{t0, t0 + 2}));
    c.phoneText = "9999";
    EXPECT_EQ(Times(Query(c)), (std::vector<int32_t>{t0 + 2}));
    c = Folder(folder, "BOB");
    c.text = "   ";  // blank: matches everything
    EXPECT_EQ(Query(c).size(), 3u);
    // Whole-field matching wants the whole field, case aside (the memo has
    // no company to test).
    c.exact = true;
    c.text = "";
    c.companyText = "ACME TOOLS ";
    EXPECT_EQ(Times(Query(c)), (std::vector<int32_t>{t0, t0 + 2}));
    c.companyText = "acme";
    EXPECT_EQ(Times(Query(c)), std::vector<int32_t>{t0 + 2});
  }
}

TEST_F(MessageQueryTest, TheTextOfALongMessageIsSearchedInItsLongTextNote) {
  std::string longText = std::string(300, 'a') + " the needle " + std::string(3000, 'b');
  MessageRecord phone = Phone("BOB", "Joe", "Acme", "555", longText.substr(0, 260).c_str());
  SetFieldI32(phone.bytes, msg::kLongTextNote, NewNote(longText));
  SendAt(t0, phone, bob);
  SendAt(t0 + 1, Memo("BOB", "no needle here? yes: needle"), bob);
  SendAt(t0 + 2, Memo("BOB", "nothing"), bob);
  MessageCriteria c = Folder(msg::kFolderNew, "BOB");
  c.text = "NEEDLE";
  EXPECT_EQ(Times(Query(c)), (std::vector<int32_t>{t0, t0 + 1}));
}

TEST_F(MessageQueryTest, AnEmailMatchesOnItsAddressSubjectOrBodyFile) {
  MessageRecord a = SendAt(t0, Email("BOB", "joe@acme.com", "Prices"), bob);
  MessageRecord b = SendAt(t0 + 1, Email("BOB", "ann@widgets.com", "Hello"), bob);
  MessageRecord c3 = SendAt(t0 + 2, Email("BOB", "sue@acme.com", "Hi"), bob);
  WriteBody(a.Number(), false, "Dear Bob,\r\nattached are the new prices.\r\n");
  WriteBody(b.Number(), false, "The PRICES went up.\r\n");
  // c3 has no e-mail file at all: it has no body to match.
  (void)c3;
  MessageCriteria c = Folder(msg::kFolderNew, "BOB");
  c.fromText = "ACME.COM";
  EXPECT_EQ(Times(Query(c)), (std::vector<int32_t>{t0, t0 + 2}));
  c.fromText = "";
  c.text = "prices";
  EXPECT_EQ(Times(Query(c)), (std::vector<int32_t>{t0, t0 + 1}));
  c.text = "went up";
  EXPECT_EQ(Times(Query(c)), std::vector<int32_t>{t0 + 1});
  c.fromText = "widgets";
  c.text = "dear bob";
  EXPECT_TRUE(Query(c).empty());
}

TEST_F(MessageQueryTest, TheListsOwnFilterSeesEachEntryAndCanEndTheList) {
  for (int i = 0; i < 5; ++i) SendAt(t0 + i, Memo("BOB", "m"), bob);
  int seen = 0;
  EntryFilter firstThree = [&](const uint8_t*) { return ++seen <= 3 ? 1 : -1; };
  ASSERT_EQ(MsgQuery(messages, Folder(msg::kFolderNew, "BOB"), work, firstThree), 1);
  EXPECT_EQ(work.scratch, 3);
  EntryFilter evenTimes = [](const uint8_t* entry) {
    return FieldI32(entry, msg::x1::kTime) % 2 == 0 ? 1 : 0;
  };
  MessageCriteria c = Folder(msg::kFolderNew, "BOB");
  c.text = "m";  // record mode: the filter still sees X1 entries
  ASSERT_EQ(MsgQuery(messages, c, work, evenTimes), 1);
  EXPECT_EQ(Times(ListRows()), (std::vector<int32_t>{t0, t0 + 2, t0 + 4}));
  // A sender criterion keeps only that sender's messages.
  BecomeUser("CAROL", false);
  SendAt(t0 + 9, Memo("BOB", "from carol"), bob);
  c = Folder(msg::kFolderNew, "BOB");
  c.sender = carol;
  EXPECT_EQ(Times(Query(c)), std::vector<int32_t>{t0 + 9});
}

TEST_F(MessageQueryTest, TheSendLogListsTheUsersOwnCopiesWithTheirRows) {
  BecomeUser("ALICE", true);
  SendAt(t0, Memo("BOB", "one"), bob);
  SendAt(t0 + 10, Email("CAROL", "alice@x.com", "two"), carol);
  BecomeUser("CAROL", true);
  SendAt(t0 + 5, Memo("BOB", "carol's"), bob);
  BecomeUser("ALICE", true);

  SendLogTable log;
  ASSERT_EQ(SendLogOpen(log), 1);
  Table logWork("Wc1", records::sendlog::kListRowLength);
  MessageCriteria c = Folder(msg::kFolderNew);
  c.newestFirst = true;
  ASSERT_EQ(SendLogQuery(log, c, logWork), 1) << FormatAppError();
  ASSERT_EQ(logWork.scratch, 2);
  SendLogEntry row;
  ASSERT_EQ(DbReadCached(logWork, 0, row.bytes), 1);
  EXPECT_EQ(row.Time(), t0 + 10);
  EXPECT_EQ(row.To(), "CAROL");
  EXPECT_EQ(row.Sender(), alice);
  ASSERT_EQ(DbReadCached(logWork, 1, row.bytes), 1);
  EXPECT_EQ(row.Time(), t0);

  // The To text of a send-log search, and an e-mail body from the send log.
  c.toText = "car";
  ASSERT_EQ(SendLogQuery(log, c, logWork), 1);
  EXPECT_EQ(logWork.scratch, 1);
  WriteBody(Logged().at(1).Number(), true, "kept in the send log");
  c.toText = "";
  c.text = "send log";
  ASSERT_EQ(SendLogQuery(log, c, logWork), 1);
  EXPECT_EQ(logWork.scratch, 1);
  c.text = "";
  c.folder = msg::kFolderArchive;
  ASSERT_EQ(SendLogQuery(log, c, logWork), 1);
  EXPECT_EQ(logWork.scratch, 0);
  DbCloseWorkTable(logWork);
  SendLogClose(log);
}

TEST_F(MessageQueryTest, TheTextRules) {
  EXPECT_TRUE(MessageTextMatches("", "anything", false));
  EXPECT_TRUE(MessageTextMatches("   ", "anything", true));
  EXPECT_TRUE(MessageTextMatches("ACME  ", "the acme co", false));
  EXPECT_FALSE(MessageTextMatches("acme co", "the acme", false));
  EXPECT_TRUE(MessageTextMatches("Acme ", "ACME   ", true));
  EXPECT_FALSE(MessageTextMatches("acme", "acme tools", true));
  EXPECT_FALSE(MessageTextMatches(" acme", "acme", true));
}

}  // namespace
