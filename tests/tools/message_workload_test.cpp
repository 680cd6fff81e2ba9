// An office's day of messages: several hundred sends to people and groups
// (with long texts, CC lists, send-log copies and e-mail files), moves,
// views and deletes by changing users, after which dpadmin finds every
// table and index consistent and nothing is left without its owner.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "data/clock.h"
#include "data/messages/attachments.h"
#include "data/messages/dpmess.h"
#include "data/messages/dpnote.h"
#include "data/messages/email_file.h"
#include "data/messages/message_user.h"
#include "data/office/datadir.h"
#include "data/office/dpname.h"
#include "storage/catalogue.h"
#include "storage/check.h"
#include "storage/errors.h"
#include "storage/records/note.h"
#include "tests/support/dpadmin_run.h"
#include "tests/support/temp_dir.h"

namespace {

namespace msg = records::message;

class MessageWorkloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DbSetErrorReporter(TranslateEngineError);
    DpadminRun made = RunDpadmin({"create", dir.Path()}, scratch.Path());
    ASSERT_EQ(made.status, 0) << ShowRun(made);
    SetDataDirectory(dir.Path());
    SetClock([this] { return now; });
    checksAtStart = CheckFailureCount();
  }
  void TearDown() override {
    SetMessageUser(MessageUser());
    SetClock(nullptr);
    SetDataDirectory("");
    DbSetErrorReporter(nullptr);
  }

  // Every live record of a table.
  template <typename Visit>
  void EachRecord(const TableDef& def, Visit visit) {
    Table t(def);
    int32_t count = 0;
    ASSERT_EQ(DbOpenTable(t, dir.Path()), 1);
    ASSERT_EQ(DbRecordCount(t, &count), 1);
    std::vector<uint8_t> record(size_t(def.recordSize));
    for (int32_t i = 0; i < count; ++i)
      if (DbReadRecord(t, i, record.data())) visit(record.data());
    DbCloseTable(t);
    DbClearError();
    ClearAppError();
  }

  TempDir dir;
  TempDir scratch;
  int32_t now = 1000000000;
  unsigned checksAtStart = 0;
};

TEST_F(MessageWorkloadTest, AfterHundredsOfSendsMovesViewsAndDeletesEverythingChecksClean) {
  std::vector<std::string> people = {"ANN", "BEN", "CARA", "DAN", "EVE", "FAY", "GUS", "HAL"};
  std::map<std::string, int32_t> number;
  {
    NameTable names;
    ASSERT_EQ(NameOpen(names), 1);
    for (const std::string& name : people) {
      ASSERT_EQ(NameAdd(names, name), 1);
      NameEntry e;
      ASSERT_EQ(NameFind(names, name, &e), 1);
      number[name] = e.Number();
    }
    ASSERT_EQ(NameAdd(names, "* - ALL"), 1);
    ASSERT_EQ(NameAdd(names, "*TEAM"), 1);
    NameClose(names);
  }
  std::mt19937 random(20261206);
  auto pick = [&](size_t n) { return size_t(random() % n); };
  auto someone = [&] { return people[pick(people.size())]; };
  const std::string attachment = scratch.File("quote.txt");
  std::ofstream(attachment) << "price list";

  MessageTable messages;
  ASSERT_EQ(MsgOpen(messages), 1);
  Table work("W1", msg::list_row::kLength);
  // A random row of every folder for a person, or false when there is none.
  auto anyMessageOf = [&](const std::string& person, MessageEntry* entry) {
    MessageCriteria all;
    all.folder = 0;
    all.person = person;
    EXPECT_EQ(MsgQuery(messages, all, work), 1) << FormatAppError();
    if (work.scratch <= 0) return false;
    uint8_t row[msg::list_row::kLength];
    EXPECT_EQ(DbReadCached(work, int32_t(pick(size_t(work.scratch))), row), 1);
    std::memcpy(entry->bytes, row, sizeof entry->bytes);
    return true;
  };

  int sends = 0, moves = 0, deletes = 0, views = 0, logChanges = 0;
  for (int step = 0; step < 400; ++step) {
    now += 1 + int32_t(pick(600));
    const std::string user = someone();
    SetMessageUser({user, number[user], pick(2) == 0});
    const int what = int(pick(10));
    if (what <= 4) {
      // A memo, phone message or e-mail to one person or to a group.
      MessageRecord r;
      const uint8_t kinds[] = {msg::kKindMemo, msg::kKindPhone, msg::kKindEmail};
      const uint8_t kind = kinds[pick(3)];
      SetFieldByte(r.bytes, msg::kKind, kind);
      SetFieldText(r.bytes, msg::kFrom, user.c_str());
      SetFieldByte(r.bytes, msg::kFlags, pick(5) == 0 ? msg::kFlagUrgent : 0);
      int32_t callers = 0;
      if (kind != msg::kKindEmail && pick(3) == 0) {
        ASSERT_EQ(NoteNew(&callers), 1);
        ASSERT_EQ(NoteWrite(callers, std::string(300 + pick(3000), 'x')), 1);
        SetFieldI32(r.bytes, msg::kLongTextNote, callers);
      }
      if (kind == msg::kKindEmail || pick(3) != 0) {
        const std::string to = someone();
        ASSERT_EQ(MsgSendToName(messages, r, to, number[to]), 1) << FormatAppError();
        if (kind == msg::kKindEmail) {
          EmailHeader header;
          header.SetTo(to);
          header.SetFrom(user);
          if (pick(2) == 0) {
            ASSERT_EQ(AttachmentAdd(header, attachment), 1);
          }
          ASSERT_EQ(EmailWrite(header, "body of the mail\r\n", r.Number()), 1);
          if (CurrentMessageUser().sendLog) {
            ASSERT_EQ(
                EmailCopyFile(EmailFilePath(r.Number(), false), EmailFilePath(r.Number(), true)),
                1);
          }
        }
      } else {
        std::vector<int32_t> chosen;
        for (const std::string& p : people)
          if (pick(2) == 0) chosen.push_back(number[p]);
        SetFieldText(r.bytes, msg::kTo, pick(4) == 0 ? "* - ALL" : "*TEAM");
        ASSERT_EQ(MsgSendToGroup(messages, r, chosen, pick(2) == 0), 1) << FormatAppError();
      }
      // The copies have notes of their own; the sender's goes, as the
      // window that made it would let it go.
      if (callers != 0) {
        NoteTable notes;
        ASSERT_EQ(NoteOpen(notes), 1);
        ASSERT_EQ(NoteDelete(notes, callers), 1);
        NoteClose(notes);
      }
      ++sends;
    } else if (what <= 6) {
      MessageEntry entry;
      if (!anyMessageOf(someone(), &entry)) continue;
      const int32_t folders[] = {msg::kFolderArchive, msg::kFolderNew, 77};
      ASSERT_EQ(MsgMoveToFolder(messages, entry, folders[pick(3)]), 1) << FormatAppError();
      ++moves;
    } else if (what == 7) {
      MessageEntry entry;
      if (!anyMessageOf(user, &entry)) continue;
      MessageRecord seen;
      ASSERT_EQ(MsgMarkViewed(messages, entry, &seen), 1) << FormatAppError();
      ++views;
    } else if (what == 8) {
      MessageEntry entry;
      if (!anyMessageOf(someone(), &entry)) continue;
      ASSERT_EQ(MsgDelete(messages, entry), 1) << FormatAppError();
      ++deletes;
    } else {
      SendLogTable log;
      ASSERT_EQ(SendLogOpen(log), 1);
      Table logWork("Wc1", records::sendlog::kListRowLength);
      MessageCriteria mine;
      mine.folder = pick(2) == 0 ? msg::kFolderNew : msg::kFolderArchive;
      ASSERT_EQ(SendLogQuery(log, mine, logWork), 1) << FormatAppError();
      if (logWork.scratch > 0) {
        SendLogEntry entry;
        ASSERT_EQ(DbReadCached(logWork, int32_t(pick(size_t(logWork.scratch))), entry.bytes), 1);
        if (pick(2) == 0) {
          ASSERT_EQ(SendLogMoveToFolder(log, entry, msg::kFolderArchive), 1) << FormatAppError();
        } else {
          ASSERT_EQ(SendLogDelete(log, entry), 1) << FormatAppError();
        }
        ++logChanges;
      }
      DbCloseWorkTable(logWork);
      SendLogClose(log);
    }
  }
  DbCloseWorkTable(work);
  MsgClose(messages);
  EXPECT_EQ(OpenTableCount(), 0);
  EXPECT_EQ(CheckFailureCount(), checksAtStart);
  EXPECT_GT(sends, 100);
  EXPECT_GT(moves, 30);
  EXPECT_GT(deletes, 10);
  EXPECT_GT(views, 10);
  EXPECT_GT(logChanges, 10);

  DpadminRun check = RunDpadmin({"check", dir.Path()}, scratch.Path());
  EXPECT_EQ(check.status, 0) << ShowRun(check);

  // Every long-text note of a live message or send-log copy is its own; the
  // e-mail files of both are gathered.
  std::set<int32_t> owned;
  std::set<std::string> files;
  for (bool sendLog : {false, true}) {
    EachRecord(sendLog ? kSendLogTable : kMessageTable, [&](const uint8_t* record) {
      const int32_t note = FieldI32(record, msg::kLongTextNote);
      if (note != 0) {
        EXPECT_TRUE(owned.insert(note).second) << "note " << note << " shared";
      }
      if (FieldByte(record, msg::kKind) == msg::kKindEmail)
        files.insert(EmailFilePath(FieldI32(record, msg::kNumber), sendLog));
    });
  }
  for (int32_t note : owned) {
    std::string text;
    EXPECT_EQ(NoteRead(note, &text), 1) << "note " << note << " missing";
  }
  // And no note is left behind without a message.
  EachRecord(kNoteTable, [&](const uint8_t* part) {
    int32_t note = FieldI32(part, records::note::kNumber);
    EXPECT_TRUE(owned.count(note)) << "note " << note << " has no message";
  });
  // A live e-mail file belongs to a live message or send-log copy.
  for (const char* folder : {"DPE/", "SENDLOG/"}) {
    std::string list = dir.File(folder);
    for (int32_t n = 1; n < 2000; ++n) {
      std::string path = list + std::to_string(n) + ".DPE";
      if (FileExists(path)) {
        EXPECT_TRUE(files.count(path)) << path << " has no message";
      }
    }
  }
}

}  // namespace
