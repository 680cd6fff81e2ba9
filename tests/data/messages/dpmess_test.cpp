// Messages: storing and sending to people and groups, CC lists, send-log
// copies and their notes, moving, deleting with everything attached, and
// marking a message viewed.
#include "data/messages/dpmess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <tuple>

#include "data/messages/dpcc.h"
#include "data/messages/dpmess_internal.h"
#include "data/messages/email_file.h"
#include "tests/data/messages/message_checks.h"
#include "tests/data/messages/message_fixture.h"
#include "tests/support/lock_holder.h"

namespace msg = records::message;

namespace {

using Names = std::vector<std::string>;

// An e-mail file whose attachment table names the stored files given.
std::string EmailFile(const std::vector<std::string>& stored, const std::string& body) {
  namespace em = records::email;
  std::string header(size_t(em::kHeaderSize), '\0');
  for (size_t i = 0; i < stored.size(); ++i) {
    size_t at = size_t(em::Attachment(int(i)).offset);
    header.replace(at + size_t(em::entry::kOwnName.offset), 8, "FILE.TXT");
    header.replace(at + size_t(em::entry::kStoredName.offset), stored[i].size(), stored[i]);
  }
  return header + body;
}

MessageRecord WithLongText(MessageRecord r, int32_t note) {
  SetFieldI32(r.bytes, msg::kLongTextNote, note);
  return r;
}

using MessageSendTest = MessageTest;

TEST_F(MessageSendTest, ASendToEverybodyStoresOneCopyPerPersonAndTheSendersRaisesNoFlag) {
  MessageRecord memo = Memo("* - ALL", "Lunch is served.");
  GroupSendResult result;
  ASSERT_EQ(MsgSendToGroup(messages, memo, {}, false, &result), 1) << FormatAppError();
  EXPECT_EQ(result.stored, 3);
  std::vector<MessageRecord> copies = Stored();
  EXPECT_EQ(ToNames(copies), (Names{"ALICE", "BOB", "CAROL"}));
  std::set<int32_t> numbersSeen;
  for (const MessageRecord& r : copies) {
    numbersSeen.insert(r.Number());
    EXPECT_EQ(std::tuple(r.Folder(), r.Sender(), r.Time(), r.Flags() & msg::kFlagNotViewed),
              std::tuple(msg::kFolderNew, alice, now, int(msg::kFlagNotViewed)))
        << r.To();
  }
  EXPECT_EQ(numbersSeen.size(), 3u);
  EXPECT_EQ(std::tuple(Flag(alice), Flag(bob), Flag(carol)),
            std::tuple(0, kFlagNewMessage, kFlagNewMessage));
}

TEST_F(MessageSendTest, StoringStampsTheTimeWhenNoneIsGivenAndRaisesTheRecipientsBit) {
  MessageRecord taken = Memo("BOB", "Taken earlier.");
  SetFieldI32(taken.bytes, msg::kTime, 900000000);
  SetFieldI32(taken.bytes, msg::kViewedTime, 5);
  SetFieldI32(taken.bytes, msg::kViewer, 7);
  SetFieldByte(taken.bytes, msg::kFlags, msg::kFlagUrgent);
  taken = Send(taken, bob);
  EXPECT_EQ(std::tuple(taken.Time(), taken.ViewedTime(), taken.Viewer()),
            std::tuple(900000000, 0, 0));
  // An urgent message raises the urgent bit only.
  EXPECT_EQ(Flag(bob), kFlagUrgentMessage);
  MessageRecord fresh = Send(Memo("BOB", "Now."), bob);
  EXPECT_EQ(fresh.Time(), now);
  EXPECT_GT(fresh.Number(), taken.Number());
  EXPECT_EQ(Flag(bob), kFlagUrgentMessage | kFlagNewMessage);
  // A message to oneself is stored and raises nothing.
  Send(Memo("ALICE", "Remember the dentist."), alice);
  EXPECT_EQ(Stored().size(), 3u);
  EXPECT_EQ(Flag(alice), 0);
  // Given no table, a send opens it itself.
  MessageRecord memo = Memo("BOB", "Hello.");
  ASSERT_EQ(MsgSendOne(nullptr, memo, bob, true, 1), 1) << FormatAppError();
  EXPECT_EQ(Stored().size(), 4u);
  EXPECT_EQ(Logged().size(), 1u);
}

TEST_F(MessageSendTest, AGroupMessageGivesEveryCopyAndEverySendLogCopyItsOwnNote) {
  BecomeUser("ALICE", true);
  const std::string longText(900, 'x');
  const int32_t callers = NewNote(longText);
  MessageRecord memo = WithLongText(Memo("*SALES", "See the long text."), callers);
  ASSERT_EQ(MsgSendToGroup(messages, memo, {bob, carol}, false), 1) << FormatAppError();

  std::set<int32_t> notes{callers};
  std::vector<MessageRecord> copies = Stored();
  std::vector<MessageRecord> logged = Logged();
  ASSERT_EQ(copies.size(), 2u);
  ASSERT_EQ(logged.size(), 2u);
  for (const auto* set : {&copies, &logged}) {
    for (const MessageRecord& r : *set) {
      EXPECT_TRUE(notes.insert(r.LongTextNote()).second) << "note shared: " << r.LongTextNote();
      EXPECT_EQ(NoteText(r.LongTextNote()), longText);
    }
  }
  // The caller keeps its own note, untouched.
  EXPECT_EQ(NoteText(callers), longText);
  // The send-log copies are the messages as sent.
  EXPECT_EQ(ToNames(logged), ToNames(copies));
  EXPECT_EQ(logged[0].Number(), copies[0].Number());
}

TEST_F(MessageSendTest, TheTakeWindowsGroupSendHandsItsNoteToTheFirstCopy) {
  const int32_t callers = NewNote(std::string(600, 'y'));
  MessageRecord memo = WithLongText(Memo("*SALES", "Long."), callers);
  ASSERT_EQ(MsgGroupSend(messages, memo, {bob, carol}, false), 1) << FormatAppError();
  std::vector<MessageRecord> copies = Stored();
  ASSERT_EQ(copies.size(), 2u);
  EXPECT_EQ(copies[0].LongTextNote(), callers);
  EXPECT_NE(copies[1].LongTextNote(), callers);
  EXPECT_EQ(NoteText(copies[1].LongTextNote()), std::string(600, 'y'));
}

TEST_F(MessageSendTest, TheCCListNamesTheOthersEverybodyOrNobodyForOneRecipient) {
  for (const auto& [to, numbers] : {std::pair{"*SALES", std::vector<int32_t>{bob, carol}},
                                    std::pair{"* - ALL", std::vector<int32_t>{}},
                                    std::pair{"*SALES", std::vector<int32_t>{bob}}}) {
    MessageRecord memo = Memo(to, "Meeting at ten.");
    ASSERT_EQ(MsgSendToGroup(messages, memo, numbers, true), 1) << FormatAppError();
  }
  std::vector<MessageRecord> copies = Stored();
  ASSERT_EQ(copies.size(), 6u);
  for (size_t i = 0; i < 6; ++i) {
    const MessageRecord& r = copies[i];
    Names cc;
    ASSERT_EQ(CCReadNames(r.Number(), &cc), 1);
    Names others = i == 5   ? Names{}
                   : i >= 2 ? Names{"* - ALL"}
                            : Names{r.To() == "BOB" ? "CAROL" : "BOB"};
    EXPECT_EQ(cc, others) << i;
    EXPECT_EQ(bool(r.Flags() & msg::kFlagCcList), i < 5) << i;
  }
}

TEST_F(MessageSendTest, AGroupSendWithoutRecipientsSucceedsAndLeavesNoNoteBehind) {
  const int32_t callers = NewNote("text");
  MessageRecord memo = WithLongText(Memo("*SALES", "Nobody."), callers);
  ASSERT_EQ(MsgSendToGroup(messages, memo, {}, true), 1) << FormatAppError();
  EXPECT_TRUE(Stored().empty());
  EXPECT_EQ(memo.LongTextNote(), callers);
  EXPECT_EQ(NoteText(callers), "text");
  // The duplicate made for the copies went again: only the caller's part
  // is alive.
  EXPECT_EQ(Records(kNoteTable).size(), 1u);
}

// Another workstation holds the message table's append lock throughout:
// both recipients of a group are tried, nothing is logged, and a copy
// takes its duplicate of the long text with it, the caller keeping its own.
TEST_F(MessageSendTest, CopiesThatCannotBeStoredDoNotStopTheGroupAndLeaveNothingBehind) {
  BecomeUser("ALICE", true);
  FastTicks fast;
  LockHolder holder(dir.File("MESSAGE.DAT"), 0);
  ASSERT_TRUE(holder.Held());
  MessageRecord memo = Memo("*SALES", "Will not arrive.");
  GroupSendResult result;
  EXPECT_EQ(MsgSendToGroup(messages, memo, {bob, carol}, false, &result), 0);
  EXPECT_EQ(std::tuple(result.failed, result.stored), std::tuple(2, 0));
  EXPECT_NE(AppErrorCode(), 0);
  const int32_t callers = NewNote("the whole text");
  memo = WithLongText(Memo("", "Short."), callers);
  EXPECT_EQ(MsgSendToName(messages, memo, "BOB", bob), 0);
  holder.Release();
  EXPECT_TRUE(Stored().empty());
  EXPECT_TRUE(Logged().empty());
  EXPECT_EQ(Flag(bob), 0);
  EXPECT_EQ(memo.LongTextNote(), callers);
  EXPECT_EQ(Records(kNoteTable).size(), 1u);
  EXPECT_EQ(NoteText(callers), "the whole text");
}

TEST_F(MessageSendTest, SendingToANameRefusesAGroupAndGivesTheCopyItsOwnNoteAndViceVersa) {
  const int32_t callers = NewNote("the whole text");
  MessageRecord memo = WithLongText(Memo("", "Short."), callers);
  EXPECT_TRUE(Fails(MsgSendToName(messages, memo, "*SALES", 0), kAppInvalidName, "*SALES"));
  ASSERT_EQ(MsgSendToName(messages, memo, "BOB", bob), 1) << FormatAppError();
  std::vector<MessageRecord> copies = Stored();
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(copies[0].To(), "BOB");
  EXPECT_NE(copies[0].LongTextNote(), callers);
  EXPECT_EQ(NoteText(copies[0].LongTextNote()), "the whole text");
  EXPECT_EQ(NoteText(callers), "the whole text");
  // Sending to a group refuses a person's name.
  memo = Memo("BOB", "Not a group.");
  EXPECT_TRUE(Fails(MsgSendToGroup(messages, memo, {bob}, false), kAppInvalidName));
  EXPECT_EQ(Stored().size(), 1u);
}

TEST_F(MessageSendTest, ASendLogCopyThatCannotBeStoredFailsTheSendAndLeavesNoNote) {
  BecomeUser("ALICE", true);
  FastTicks fast;
  // Another workstation holds the send log's append lock throughout.
  LockHolder holder(dir.File("SENDLOG.DAT"), 0);
  ASSERT_TRUE(holder.Held());
  MessageRecord memo = WithLongText(Memo("", "Logged?"), NewNote("long text"));
  EXPECT_TRUE(Fails(MsgSendToName(messages, memo, "BOB", bob), kAppLockError));
  EXPECT_EQ(SendLogAdd(memo), 0);
  holder.Release();
  // Bob has his copy, the log has none, and no note of a log copy is left.
  EXPECT_EQ(Stored().size(), 1u);
  EXPECT_TRUE(Logged().empty());
  EXPECT_EQ(Records(kNoteTable).size(), 2u);
  // A send-log handle never opened is a failed check, not a copy.
  SendLogTable closed;
  EXPECT_EQ(dpmess::SendLogAppend(closed, memo), 0);
  expectedChecks = 1;
}

// ---- Moving, touching, deleting ----

class MessageChangeTest : public MessageTest {
 protected:
  // Those of the files of the data directory that exist.
  Names Existing(const Names& names) {
    Names existing;
    for (const std::string& name : names)
      if (FileExists(dir.File(name))) existing.push_back(name);
    return existing;
  }
  MessageEntry Bobs() { return FirstIn(msg::kFolderNew, "BOB"); }
  static std::string DpeName(const MessageRecord& r, bool sendLog = false) {
    return (sendLog ? "SENDLOG/" : "DPE/") + std::to_string(r.Number()) + ".DPE";
  }
};

// The row still says folder 1 after the first move; the second goes from
// where the message is now, and the archive clears not-viewed though the
// message was never opened.
TEST_F(MessageChangeTest, AMoveFromAnOldListRowFindsTheMessageAndTheArchiveClearsNotViewed) {
  Send(Memo("BOB", "Moved twice."), bob);
  MessageEntry row = Bobs();
  ASSERT_TRUE(row.Flags() & msg::kFlagNotViewed);
  ASSERT_EQ(MsgMoveToFolder(messages, row, 77), 1);
  ASSERT_EQ(MsgMoveToFolder(messages, row, msg::kFolderArchive), 1) << FormatAppError();
  EXPECT_TRUE(Fails(MsgFindFirst(messages, msg::kFolderNew, "BOB"), kAppNotFound));
  EXPECT_EQ(MsgFindFirst(messages, 77, "BOB"), 0);
  MessageEntry archived = FirstIn(msg::kFolderArchive, "bob");
  EXPECT_FALSE(archived.Flags() & msg::kFlagNotViewed);
  MessageRecord r = ReadBack(archived);
  EXPECT_EQ(r.Folder(), msg::kFolderArchive);
  EXPECT_FALSE(r.Flags() & msg::kFlagNotViewed);
}

TEST_F(MessageChangeTest, AFolderHoldingAMessageForAnyoneIsFoundInUse) {
  // Folders 76 and 78 lie either side of the one in use.
  EXPECT_TRUE(Fails(MsgFindInFolder(messages, 77), kAppNotFound));
  Send(Memo("BOB", "Filed."), bob);
  ASSERT_EQ(MsgMoveToFolder(messages, Bobs(), 77), 1);
  MessageEntry found;
  ASSERT_EQ(MsgFindInFolder(messages, 77, &found), 1) << FormatAppError();
  EXPECT_EQ(found.To(), "BOB");
  EXPECT_EQ(found.Folder(), 77);
  EXPECT_EQ(MsgFindInFolder(messages, 76), 0);
  EXPECT_TRUE(Fails(MsgFindInFolder(messages, 78), kAppNotFound, "78"));
}

TEST_F(MessageChangeTest, ADeletedMessageCountsAsMovedAndDeletedButNotAsTouched) {
  Send(Memo("BOB", "Gone."), bob);
  MessageEntry entry = Bobs();
  ASSERT_EQ(MsgDelete(messages, entry), 1) << FormatAppError();
  EXPECT_TRUE(Stored().empty());
  // Nothing to report: the application error stays, the engine's is cleared.
  SetAppError(kAppNotFound, "before");
  EXPECT_EQ(MsgMoveToFolder(messages, entry, msg::kFolderArchive), 1);
  EXPECT_EQ(DbGetError(), kDbOk);
  EXPECT_EQ(MsgDelete(messages, entry), 1) << FormatAppError();
  EXPECT_EQ(DbGetError(), kDbOk);
  EXPECT_EQ(std::tuple(AppErrorCode(), AppErrorName()), std::tuple(kAppNotFound, "before"));
  // A change made by a view has nothing left to change.
  MessageRecord r = Memo("BOB", "Gone.");
  EXPECT_EQ(MsgTouch(messages, entry, r), 0);
  EXPECT_EQ(DbGetError(), kDbRecordDeleted);
}

TEST_F(MessageChangeTest, DeletingRemovesTheLongTextButKeepsAttachedNoteAndLog) {
  const int32_t longText = NewNote("long");
  const int32_t attached = NewNote("attached");
  const int32_t log = NewNote("log");
  MessageRecord memo = WithLongText(Memo("BOB", "With notes."), longText);
  SetFieldI32(memo.bytes, msg::kAttachedNote, attached);
  SetFieldI32(memo.bytes, msg::kLogNote, log);
  Send(memo, bob);
  ASSERT_EQ(MsgDelete(messages, Bobs()), 1) << FormatAppError();
  EXPECT_EQ(NoteText(longText), "<no note>");
  EXPECT_EQ(NoteText(attached), "attached");
  EXPECT_EQ(NoteText(log), "log");
}

// An e-mail goes with its file, attachments and raw text; a stored name of
// another form is never used as a path, though all else still goes.
TEST_F(MessageChangeTest, DeletingAnEmailRemovesItsFilesButNeverANameOfAnotherForm) {
  for (const char* name : {"DPE/0000abcd.ATT", "DPE/0000abce.ATT", "DPE/0000abcf.ATT",
                           "DPE/in000042.RAW", "precious.RAW", "victim.ATT"})
    WriteWholeFile(dir.File(name), "keep");
  const struct {
    const char* rawStem;
    Names stored;
  } mails[] = {{"in000042", {"0000abcd", "0000abce"}}, {"../precious", {"../victim", "0000abcf"}}};
  std::vector<MessageRecord> sent;
  for (const auto& m : mails) {
    MessageRecord mail = Email("BOB", "x@example.com", "Files");
    SetFieldText(mail.bytes, msg::kRawStem, m.rawStem);
    sent.push_back(Send(mail, bob));
    WriteWholeFile(dir.File(DpeName(sent.back())), EmailFile(m.stored, "body"));
  }
  ASSERT_EQ(MsgDelete(messages, Bobs()), 1) << FormatAppError();
  EXPECT_EQ(Existing({DpeName(sent[0]), "DPE/0000abcd.ATT", "DPE/0000abce.ATT", "DPE/0000abcf.ATT",
                      "DPE/in000042.RAW"}),
            Names{"DPE/0000abcf.ATT"});
  EXPECT_TRUE(Fails(MsgDelete(messages, Bobs()), kAppInvalidName, "../victim"));
  EXPECT_TRUE(Stored().empty());
  EXPECT_EQ(Existing({DpeName(sent[1]), "DPE/0000abcf.ATT", "precious.RAW", "victim.ATT"}),
            (Names{"precious.RAW", "victim.ATT"}));
}

// Another workstation has the message open: it is not deleted, moved or
// marked viewed, and the application error is left as it was.
TEST_F(MessageChangeTest, AMessageLockedElsewhereIsNotChangedAndKeepsTheApplicationError) {
  Send(Memo("BOB", "Open elsewhere."), bob);
  MessageEntry entry = Bobs();
  const int64_t lockByte =
      msg::kHeaderSize + int64_t(entry.RecordNumber() + 1) * msg::kRecordSize - 1;
  LockHolder view(dir.File("MESSAGE.DAT"), lockByte);
  ASSERT_TRUE(view.Held());
  BecomeUser("BOB", false);
  MessageRecord seen;
  const std::function<int()> changes[] = {
      [&] { return MsgDelete(messages, entry); },
      [&] { return MsgMoveToFolder(messages, entry, msg::kFolderArchive); },
      [&] { return MsgMarkViewed(messages, entry, &seen); }};
  for (const auto& change : changes) {
    SetAppError(kAppEndOfFile, "earlier");
    EXPECT_TRUE(Fails(change(), kAppEndOfFile, "earlier"));
    EXPECT_EQ(DbGetError(), kDbRecordLocked);
  }
  view.Release();
  EXPECT_EQ(ReadBack(entry).ViewedTime(), 0);
  EXPECT_EQ(ReadBack(entry).Folder(), msg::kFolderNew);
  EXPECT_EQ(Stored().size(), 1u);
  EXPECT_EQ(MsgDelete(messages, entry), 1) << FormatAppError();
}

// A plain write stays in place, so it may not change what the indexes
// hold; a touch may, and the entry follows it.
TEST_F(MessageChangeTest, APlainWriteKeepsTheIndexesAndATouchRaisesTheChangeCount) {
  Send(Memo("BOB", "Edit me."), bob);
  MessageEntry entry = Bobs();
  MessageRecord r = ReadBack(entry);
  SetFieldI32(r.bytes, msg::kAttachedNote, 12);
  ASSERT_EQ(MsgWrite(messages, entry.RecordNumber(), r), 1);
  EXPECT_EQ(ReadBack(entry).bytes[msg::kAttachedNote.offset], 12);
  SetFieldI32(r.bytes, msg::kFolder, msg::kFolderArchive);
  EXPECT_EQ(MsgWrite(messages, entry.RecordNumber(), r), 0);
  EXPECT_EQ(ReadBack(entry).Folder(), msg::kFolderNew);
  // Nor is anything written through a handle never opened.
  MessageTable closed;
  EXPECT_EQ(MsgWrite(closed, entry.RecordNumber(), ReadBack(entry)), 0);
  EXPECT_EQ(MsgRead(closed, entry.RecordNumber(), &r), 0);
  expectedChecks = 3;
  r = ReadBack(entry);
  SetFieldByte(r.bytes, msg::kFlags, msg::kFlagUrgent);
  SetFieldText(r.bytes, msg::kFrom, "ANNE");
  ASSERT_EQ(MsgTouch(messages, entry, r), 1) << FormatAppError();
  MessageEntry after = Bobs();
  EXPECT_EQ(
      std::tuple(after.ChangeCount(), after.Flags(), after.From(), ReadBack(after).ChangeCount()),
      std::tuple(1, msg::kFlagUrgent, "ANNE", 1));
}

// ---- Viewing ----

using MessageViewTest = MessageChangeTest;

TEST_F(MessageViewTest, OpeningStampsTheViewerClearsTheFlagsAndUpdatesTheSendLogCopy) {
  BecomeUser("ALICE", true);
  MessageRecord memo = Memo("BOB", "Read me.");
  SetFieldByte(memo.bytes, msg::kFlags, msg::kFlagUrgent);
  Send(memo, bob);
  BecomeUser("BOB", false);
  now += 300;
  MessageRecord seen;
  bool changed = false;
  ASSERT_EQ(MsgMarkViewed(messages, Bobs(), &seen, &changed), 1) << FormatAppError();
  EXPECT_TRUE(changed);
  EXPECT_EQ(std::tuple(seen.ViewedTime(), seen.Viewer(), seen.Flags(), seen.ChangeCount()),
            std::tuple(now, bob, 0, 1));
  MessageEntry entry = Bobs();
  EXPECT_EQ(std::tuple(entry.Flags(), entry.ChangeCount()), std::tuple(0, 1));
  MessageRecord logged = Logged().at(0);
  EXPECT_EQ(std::tuple(logged.ViewedTime(), logged.Viewer()), std::tuple(now, bob));

  // Opening it again keeps the first time.
  const int32_t first = now;
  now += 600;
  ASSERT_EQ(MsgMarkViewed(messages, entry, &seen, &changed), 1);
  EXPECT_FALSE(changed);
  EXPECT_EQ(seen.ViewedTime(), first);
  EXPECT_EQ(Logged().at(0).ViewedTime(), first);
}

// The sender may archive the send-log copy before the message is read; a
// copy of an e-mail has a file of its own, which goes with it.
TEST_F(MessageViewTest, AnArchivedSendLogCopyIsStampedAndGoesWithItsOwnFile) {
  BecomeUser("ALICE", true);
  MessageRecord mail = Send(Email("BOB", "alice@example.com", "Logged"), bob);
  WriteWholeFile(dir.File(DpeName(mail, true)), EmailFile({"0000beef"}, "sent"));
  WriteWholeFile(dir.File(DpeName(mail)), EmailFile({"0000bee0"}, "sent"));
  WriteWholeFile(dir.File("DPE/0000beef.ATT"), "log's");
  WriteWholeFile(dir.File("DPE/0000bee0.ATT"), "bob's");
  SendLogTable log;
  ASSERT_EQ(SendLogOpen(log), 1);
  ASSERT_EQ(SendLogMoveToFolder(log, SendLogEntryOf(Logged().at(0), 0), msg::kFolderArchive), 1);
  BecomeUser("BOB", false);
  MessageRecord seen;
  ASSERT_EQ(MsgMarkViewed(messages, Bobs(), &seen), 1) << FormatAppError();
  MessageRecord logged = Logged().at(0);
  EXPECT_EQ(std::tuple(logged.Folder(), logged.ViewedTime()), std::tuple(msg::kFolderArchive, now));
  ASSERT_EQ(SendLogDelete(log, SendLogEntryOf(logged, 0)), 1) << FormatAppError();
  SendLogClose(log);
  EXPECT_TRUE(Logged().empty());
  EXPECT_EQ(Existing({DpeName(mail, true), "DPE/0000beef.ATT", DpeName(mail), "DPE/0000bee0.ATT"}),
            (Names{DpeName(mail), "DPE/0000bee0.ATT"}));
}

// The message is stamped first; a send log that cannot be opened then
// fails the viewing rather than leave the sender's copy silently behind.
TEST_F(MessageViewTest, ASendLogThatCannotBeOpenedFailsTheViewingOfAStampedMessage) {
  BecomeUser("ALICE", true);
  Send(Memo("BOB", "Logged."), bob);
  ASSERT_EQ(std::remove(dir.File("SENDLOG.DAT").c_str()), 0);
  BecomeUser("BOB", false);
  MessageRecord seen;
  EXPECT_TRUE(Fails(MsgMarkViewed(messages, Bobs(), &seen), kAppNoSuchFile));
  EXPECT_EQ(ReadBack(Bobs()).ViewedTime(), now);
}

TEST_F(MessageViewTest, SomeoneElseOpeningStampsItAndTheRecipientStillClearsTheFlags) {
  Send(Memo("BOB", "Carol peeks."), bob);
  BecomeUser("CAROL", false);
  MessageRecord seen;
  bool changed = false;
  ASSERT_EQ(MsgMarkViewed(messages, Bobs(), &seen), 1);
  EXPECT_EQ(seen.Viewer(), carol);
  EXPECT_TRUE(seen.Flags() & msg::kFlagNotViewed);
  BecomeUser("BOB", false);
  ASSERT_EQ(MsgMarkViewed(messages, Bobs(), &seen, &changed), 1) << FormatAppError();
  EXPECT_TRUE(changed);
  EXPECT_EQ(seen.Viewer(), carol);
  EXPECT_EQ(seen.Flags() & msg::kFlagNotViewed, 0);
  EXPECT_EQ(Bobs().Flags(), 0);
  // Mail for the gateway is never stamped viewed.
  Send(Email(kMailServerName, "alice@example.com", "Out"), kMailServerNumber);
  changed = true;
  ASSERT_EQ(MsgMarkViewed(messages, FirstIn(msg::kFolderNew, kMailServerName), &seen, &changed), 1);
  EXPECT_FALSE(changed);
  EXPECT_EQ(seen.ViewedTime(), 0);
}

}  // namespace
