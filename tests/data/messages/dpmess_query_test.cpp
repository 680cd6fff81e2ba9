// Message lists: which messages a view lists and in what order, date
// ranges, kinds, the text rules in entry and record mode, long texts and
// e-mail bodies, and the send log.
#include <gtest/gtest.h>

#include <tuple>

#include "data/messages/dpmess.h"
#include "data/messages/email_file.h"
#include "tests/data/messages/message_fixture.h"

namespace msg = records::message;

namespace {

using Times = std::vector<int32_t>;

class MessageQueryTest : public MessageTest {
 protected:
  // Sends a memo at a given time.
  MessageRecord SendAt(int32_t time, MessageRecord r, int32_t number) {
    SetFieldI32(r.bytes, msg::kTime, time);
    return Send(r, number);
  }

  static Times TimesOf(const std::vector<MessageEntry>& rows) {
    Times times;
    for (const MessageEntry& e : rows) times.push_back(e.Time());
    return times;
  }
  Times QueryTimes(const MessageCriteria& c) { return TimesOf(Query(c)); }

  static MessageCriteria Folder(int32_t folder, const std::string& person = "*",
                                bool newestFirst = false) {
    MessageCriteria c;
    c.folder = folder;
    c.person = person;
    c.newestFirst = newestFirst;
    return c;
  }

  void WriteBody(int32_t number, bool sendLog, const std::string& body) {
    WriteWholeFile(EmailFilePath(number, sendLog),
                   std::string(size_t(records::email::kHeaderSize), '\0') + body);
  }

  const int32_t t0 = 1000000000;
};

TEST_F(MessageQueryTest, AReverseQueryOfTheInboxForEverybodyListsTheNewestFirst) {
  SendAt(t0, Memo("BOB", "1"), bob);
  SendAt(t0 + 30, Memo("CAROL", "2"), carol);
  SendAt(t0 + 20, Memo("BOB", "3"), bob);
  SendAt(t0 + 10, Memo("ALICE", "4"), alice);
  EXPECT_EQ(QueryTimes(Folder(msg::kFolderNew, "*", true)), (Times{t0 + 30, t0 + 20, t0 + 10, t0}));
  EXPECT_EQ(QueryTimes(Folder(msg::kFolderNew)), (Times{t0, t0 + 10, t0 + 20, t0 + 30}));
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
  EXPECT_EQ(QueryTimes(Folder(msg::kFolderNew, "bob")), (Times{t0 + 10, t0 + 20}));
  std::vector<MessageEntry> rows = Query(Folder(msg::kFolderNew, "bob", true));
  EXPECT_EQ(TimesOf(rows), (Times{t0 + 20, t0 + 10}));
  EXPECT_EQ(rows.at(0).To() + rows.at(1).To(), "BOBBOB");
}

TEST_F(MessageQueryTest, AFolderListsNothingOfOtherFolders) {
  SendAt(t0, Memo("BOB", "new"), bob);
  SendAt(t0 + 1, Memo("BOB", "archived"), bob);
  SendAt(t0 + 2, Memo("CAROL", "filed"), carol);
  ASSERT_EQ(MsgMoveToFolder(messages, Query(Folder(1, "BOB")).at(1), msg::kFolderArchive), 1);
  ASSERT_EQ(MsgMoveToFolder(messages, FirstIn(1, "CAROL"), 77), 1);
  for (bool reverse : {false, true}) {
    EXPECT_EQ(QueryTimes(Folder(msg::kFolderNew, "*", reverse)), Times{t0});
    EXPECT_EQ(QueryTimes(Folder(msg::kFolderArchive, "*", reverse)), Times{t0 + 1});
    EXPECT_EQ(QueryTimes(Folder(77, "*", reverse)), Times{t0 + 2});
    EXPECT_TRUE(Query(Folder(2, "*", reverse)).empty());
  }
  // An in-box empty for one person is empty in either order whatever lies after it.
  ASSERT_EQ(MsgMoveToFolder(messages, FirstIn(1, "BOB"), msg::kFolderArchive), 1);
  for (bool reverse : {false, true})
    EXPECT_TRUE(Query(Folder(msg::kFolderNew, "BOB", reverse)).empty());
}

TEST_F(MessageQueryTest, ANewestFirstListForEverybodyIncludesNamesBeyondPlainLetters) {
  SendAt(t0, Memo("\xC9MILE", "accented"), AddNames({"\xC9MILE"})["\xC9MILE"]);
  SendAt(t0 + 1, Memo("BOB", "plain"), bob);
  std::vector<MessageEntry> rows = Query(Folder(msg::kFolderNew, "*", true));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].To() + "," + rows[1].To(), "BOB,\xC9MILE");
}

TEST_F(MessageQueryTest, ADateRangeIncludesBothEndsInEveryWalk) {
  for (int i = 0; i < 4; ++i)
    SendAt(t0 + 100 * i, Memo(i % 2 ? "BOB" : "CAROL", "m"), i % 2 ? bob : carol);
  SendAt(t0 + 150, Memo("BOB", "filed"), bob);
  ASSERT_EQ(MsgMoveToFolder(messages, Query(Folder(1, "BOB")).at(1), msg::kFolderArchive), 1);
  // Folder 0 is every folder: the archived message at +150 too; an end of 0 is open.
  const struct {
    int32_t folder;
    const char* person;
    int32_t start, end;
    Times times;
  } cases[] = {
      {msg::kFolderNew, "*", t0 + 100, t0 + 200, {t0 + 100, t0 + 200}},
      {msg::kFolderNew, "BOB", t0 + 100, t0 + 200, {t0 + 100}},
      {0, "*", t0 + 100, t0 + 200, {t0 + 100, t0 + 150, t0 + 200}},
      {0, "BOB", t0 + 100, t0 + 200, {t0 + 100, t0 + 150}},
      {0, "*", t0 + 100, 0, {t0 + 100, t0 + 150, t0 + 200, t0 + 300}},
      {0, "*", 0, t0 + 100, {t0, t0 + 100}},
  };
  for (bool reverse : {false, true}) {
    for (const auto& c : cases) {
      MessageCriteria criteria = Folder(c.folder, c.person, reverse);
      criteria.start = c.start;
      criteria.end = c.end;
      Times expected = c.times;
      if (reverse) std::reverse(expected.begin(), expected.end());
      EXPECT_EQ(QueryTimes(criteria), expected) << c.folder << c.person << " " << reverse;
    }
  }
}

TEST_F(MessageQueryTest, OnlyTheChosenKindsAreListed) {
  SendAt(t0, Phone("BOB", "JOE", "ACME", "555-1234", "Call back."), bob);
  SendAt(t0 + 1, Memo("BOB", "memo"), bob);
  SendAt(t0 + 2, Email("BOB", "joe@acme.com", "Hello"), bob);
  MessageCriteria c = Folder(msg::kFolderNew, "BOB");
  c.memo = false;
  c.email = false;
  EXPECT_EQ(QueryTimes(c), Times{t0});  // the phone message
  c.phone = false;
  c.email = true;
  EXPECT_EQ(QueryTimes(c), Times{t0 + 2});  // the e-mail
  // Across every folder too.
  c.folder = 0;
  c.memo = true;
  EXPECT_EQ(QueryTimes(c), (Times{t0 + 1, t0 + 2}));
}

TEST_F(MessageQueryTest, TextsMatchAnywhereInTheFieldIgnoringCaseAndTrailingBlanks) {
  SendAt(t0, Phone("BOB", "Joe Smith", "Acme Tools", "555-1234", "Wants a quote."), bob);
  SendAt(t0 + 1, Phone("BOB", "Ann Lee", "Widgets Inc", "555-9999", "Call back."), bob);
  SendAt(t0 + 2, Memo("BOB", "Quote is ready.", "JOE"), bob);
  for (int32_t folder : {msg::kFolderNew, 0}) {
    MessageCriteria c = Folder(folder, "BOB");
    c.companyText = "acme  ";
    EXPECT_EQ(QueryTimes(c), (Times{t0, t0 + 2}));  // memos have no company
    c.companyText = "";
    c.fromText = "JOE";
    EXPECT_EQ(QueryTimes(c), (Times{t0, t0 + 2}));
    c.text = "QUOTE";
    EXPECT_EQ(QueryTimes(c), (Times{t0, t0 + 2}));
    c.phoneText = "9999";
    EXPECT_EQ(QueryTimes(c), (Times{t0 + 2}));
    c = Folder(folder, "BOB");
    c.text = "   ";  // blank: matches everything
    EXPECT_EQ(Query(c).size(), 3u);
    // Whole-field matching wants the whole field, case aside (the memo has
    // no company to test).
    c.exact = true;
    c.text = "";
    c.companyText = "ACME TOOLS ";
    EXPECT_EQ(QueryTimes(c), (Times{t0, t0 + 2}));
    c.companyText = "acme";
    EXPECT_EQ(QueryTimes(c), Times{t0 + 2});
  }
}

TEST_F(MessageQueryTest, TheTextOfALongMessageOrAnEmailIsSearchedInItsNoteOrItsFile) {
  std::string longText = std::string(300, 'a') + " the needle " + std::string(3000, 'b');
  MessageRecord phone = Phone("BOB", "Joe", "Acme", "555", longText.substr(0, 260).c_str());
  SetFieldI32(phone.bytes, msg::kLongTextNote, NewNote(longText));
  SendAt(t0, phone, bob);
  SendAt(t0 + 1, Memo("BOB", "no needle here? yes: needle"), bob);
  SendAt(t0 + 2, Memo("BOB", "nothing"), bob);
  MessageCriteria c = Folder(msg::kFolderNew, "BOB");
  c.text = "NEEDLE";
  EXPECT_EQ(QueryTimes(c), (Times{t0, t0 + 1}));
  // An e-mail matches on its address, subject or body; the last has no
  // e-mail file at all, so no body to match.
  WriteBody(SendAt(t0 + 3, Email("BOB", "joe@acme.com", "Prices"), bob).Number(), false,
            "Dear Bob,\r\nattached are the new prices.\r\n");
  WriteBody(SendAt(t0 + 4, Email("BOB", "ann@widgets.com", "Hello"), bob).Number(), false,
            "The PRICES went up.\r\n");
  SendAt(t0 + 5, Email("BOB", "sue@acme.com", "Hi"), bob);
  c.text = "";
  c.fromText = "ACME.COM";
  EXPECT_EQ(QueryTimes(c), (Times{t0 + 3, t0 + 5}));
  c.fromText = "";
  c.text = "prices";
  EXPECT_EQ(QueryTimes(c), (Times{t0 + 3, t0 + 4}));
  c.text = "went up";
  EXPECT_EQ(QueryTimes(c), Times{t0 + 4});
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
  EXPECT_EQ(TimesOf(ListRows()), (Times{t0, t0 + 2, t0 + 4}));
  // A sender criterion keeps only that sender's messages.
  BecomeUser("CAROL", false);
  SendAt(t0 + 9, Memo("BOB", "from carol"), bob);
  c = Folder(msg::kFolderNew, "BOB");
  c.sender = carol;
  EXPECT_EQ(QueryTimes(c), Times{t0 + 9});
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
  auto listed = [&](const MessageCriteria& c) {
    EXPECT_EQ(SendLogQuery(log, c, logWork), 1) << FormatAppError();
    return logWork.scratch;
  };
  MessageCriteria c = Folder(msg::kFolderNew, "*", true);
  ASSERT_EQ(listed(c), 2);
  SendLogEntry row;
  ASSERT_EQ(DbReadCached(logWork, 0, row.bytes), 1);
  EXPECT_EQ(std::tuple(row.Time(), row.To(), row.Sender()), std::tuple(t0 + 10, "CAROL", alice));
  ASSERT_EQ(DbReadCached(logWork, 1, row.bytes), 1);
  EXPECT_EQ(row.Time(), t0);

  // The To text of a send-log search, and an e-mail body from the send log.
  c.toText = "car";
  EXPECT_EQ(listed(c), 1);
  WriteBody(Logged().at(1).Number(), true, "kept in the send log");
  c.toText = "";
  c.text = "send log";
  EXPECT_EQ(listed(c), 1);
  c.text = "";
  c.folder = msg::kFolderArchive;
  EXPECT_EQ(listed(c), 0);
  DbCloseWorkTable(logWork);
  SendLogClose(log);
}

// What the queries above do not show: the field's own trailing blanks go
// too, a leading blank counts, and a text longer than the field is no match.
TEST_F(MessageQueryTest, TheTextRules) {
  EXPECT_FALSE(MessageTextMatches("acme co", "the acme", false));
  EXPECT_TRUE(MessageTextMatches("Acme ", "ACME   ", true));
  EXPECT_FALSE(MessageTextMatches(" acme", "acme", true));
}

}  // namespace
