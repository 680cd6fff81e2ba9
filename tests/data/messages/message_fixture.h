// An office for the message tests: a data directory with its DPE and
// SENDLOG folders, a few people and a group, a user who sends, and a clock
// the test sets.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "data/clock.h"
#include "data/messages/dpmess.h"
#include "data/messages/dpnote.h"
#include "data/messages/message_user.h"
#include "data/office/dpname.h"
#include "data/office/flags.h"
#include "tests/data/messages/message_checks.h"
#include "tests/data/office/office_dir.h"

class MessageTest : public OfficeDirTest {
 protected:
  void SetUp() override {
    OfficeDirTest::SetUp();
    ASSERT_EQ(::mkdir(dir.File("DPE").c_str(), 0777), 0);
    ASSERT_EQ(::mkdir(dir.File("SENDLOG").c_str(), 0777), 0);
    SetClock([this] { return now; });
    numbers = AddNames({"* - ALL", "*SALES", "ALICE", "BOB", "CAROL"});
    alice = numbers["ALICE"];
    bob = numbers["BOB"];
    carol = numbers["CAROL"];
    BecomeUser("ALICE", false);
    ASSERT_EQ(MsgOpen(messages), 1);
    checksAtStart = CheckFailureCount();
  }
  void TearDown() override {
    // A failed internal check is a fault unless the test caused it.
    EXPECT_EQ(CheckFailureCount() - checksAtStart, expectedChecks);
    if (messages.open) MsgClose(messages);
    if (work.IsOpen()) DbCloseWorkTable(work);
    SetMessageUser(MessageUser());
    SetClock(nullptr);
    OfficeDirTest::TearDown();
  }

  void BecomeUser(const std::string& name, bool sendLog) {
    SetMessageUser({name, numbers[name], sendLog});
  }

  static MessageRecord Record(uint8_t kind, const std::string& to, const std::string& from) {
    MessageRecord r;
    SetFieldByte(r.bytes, records::message::kKind, kind);
    SetFieldText(r.bytes, records::message::kTo, to.c_str());
    SetFieldText(r.bytes, records::message::kFrom, from.c_str());
    return r;
  }
  static MessageRecord Memo(const std::string& to, const std::string& text,
                            const std::string& from = "ALICE") {
    MessageRecord r = Record(records::message::kKindMemo, to, from);
    SetFieldText(r.bytes, records::message::kMemoText, text.c_str());
    return r;
  }
  static MessageRecord Phone(const std::string& to, const std::string& caller,
                             const std::string& company, const std::string& phone,
                             const std::string& text) {
    MessageRecord r = Record(records::message::kKindPhone, to, caller);
    SetFieldText(r.bytes, records::message::kCompany, company.c_str());
    SetFieldText(r.bytes, records::message::kPhone, phone.c_str());
    SetFieldText(r.bytes, records::message::kPhoneText, text.c_str());
    return r;
  }
  static MessageRecord Email(const std::string& to, const std::string& address,
                             const std::string& subject) {
    MessageRecord r = Record(records::message::kKindEmail, to, address);
    SetFieldText(r.bytes, records::message::kSenderAddress, address.c_str());
    SetFieldText(r.bytes, records::message::kSubject, subject.c_str());
    return r;
  }

  // Sends to one person the way the Take window does.
  MessageRecord Send(MessageRecord r, int32_t number) {
    EXPECT_EQ(MsgSendOne(&messages, r, number, CurrentMessageUser().sendLog, 1), 1)
        << FormatAppError();
    return r;
  }

  int Flag(int32_t user) { return GetFlagValue(FlagFilePath(dir.Path(), user)); }

  // Every live record of a table, in record order.
  std::vector<MessageRecord> Records(const TableDef& def) { return LiveRecords(dir.Path(), def); }
  std::vector<MessageRecord> Stored() { return Records(kMessageTable); }
  std::vector<MessageRecord> Logged() { return Records(kSendLogTable); }

  MessageEntry FirstIn(int32_t folder, const std::string& name) {
    MessageEntry entry;
    EXPECT_EQ(MsgFindFirst(messages, folder, name, &entry), 1) << FormatAppError();
    return entry;
  }

  MessageRecord ReadBack(const MessageEntry& entry) {
    MessageRecord r;
    EXPECT_EQ(MsgRead(messages, entry.RecordNumber(), &r), 1);
    return r;
  }

  std::string NoteText(int32_t number) {
    std::string text;
    if (!NoteRead(number, &text)) return "<no note>";
    return text;
  }

  // The rows of a message list work table.
  std::vector<MessageEntry> ListRows() {
    std::vector<MessageEntry> rows;
    uint8_t row[records::message::list_row::kLength];
    for (int32_t i = 0; DbReadCached(work, i, row); ++i) {
      MessageEntry e;
      std::memcpy(e.bytes, row, sizeof e.bytes);
      rows.push_back(e);
    }
    return rows;
  }
  std::vector<MessageEntry> Query(const MessageCriteria& criteria) {
    EXPECT_EQ(MsgQuery(messages, criteria, work), 1) << FormatAppError();
    std::vector<MessageEntry> rows = ListRows();
    EXPECT_EQ(work.scratch, int32_t(rows.size()));
    return rows;
  }

  unsigned checksAtStart = 0;
  unsigned expectedChecks = 0;
  int32_t now = 1000000000;
  std::map<std::string, int32_t> numbers;
  int32_t alice = 0, bob = 0, carol = 0;
  MessageTable messages;
  Table work{"W1", records::message::list_row::kLength};
};
