// Messages: storing and sending to people and groups, CC lists, send-log
// copies and their notes, moving, deleting with everything attached, and
// marking a message viewed.
#include "data/messages/dpmess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>

#include "data/messages/dpcc.h"
#include "data/messages/dpmess_internal.h"
#include "data/messages/email_file.h"
#include "tests/data/messages/message_fixture.h"
#include "tests/support/lock_holder.h"

namespace msg = records::message;

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

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

std::vector<std::string> ToNames(const std::vector<MessageRecord>& records) {
  std::vector<std::string> names;
  for (const MessageRecord& r : records) names.push_back(r.To());
  return names;
}

using MessageSendTest = MessageTest;

TEST_F(MessageSendTest, ASendToEverybodyStoresOneCopyPerPersonAndTheSendersRaisesNoFlag) {
  MessageRecord memo = Memo("* - ALL", "Lunch is served.");
  GroupSendResult result;
  ASSERT_EQ(MsgSendToGroup(messages, memo, {}, false, &result), 1) << FormatAppError();
  EXPECT_EQ(result.stored, 3);
  std::vector<MessageRecord> copies = Stored();
  EXPECT_EQ(ToNames(copies), (std::vector<std::string>{"ALICE", "BOB", "CAROL"}));
  std::set<int32_t> numbersSeen;
  for (const MessageRecord& r : copies) {
    numbersSeen.insert(r.Number());
    EXPECT_EQ(r.Folder(), msg::kFolderNew);
    EXPECT_EQ(r.Sender(), alice);
    EXPECT_EQ(r.Time(), now);
    EXPECT_TRUE(r.Flags() & msg::kFlagNotViewed);
  }
  EXPECT_EQ(numbersSeen.size(), 3u);
  EXPECT_EQ(Flag(alice), 0);
  EXPECT_EQ(Flag(bob), kFlagNewMessage);
  EXPECT_EQ(Flag(carol), kFlagNewMessage);
}

TEST_F(MessageSendTest, StoringStampsTheTimeWhenNoneIsGivenAndRaisesTheRecipientsBit) {
  MessageRecord taken = Memo("BOB", "Taken earlier.");
  SetFieldI32(taken.bytes, msg::kTime, 900000000);
  SetFieldI32(taken.bytes, msg::kViewedTime, 5);
  SetFieldI32(taken.bytes, msg::kViewer, 7);
  SetFieldByte(taken.bytes, msg::kFlags, msg::kFlagUrgent);
  taken = Send(taken, bob);
  EXPECT_EQ(taken.Time(), 900000000);
  EXPECT_EQ(taken.ViewedTime(), 0);
  EXPECT_EQ(taken.Viewer(), 0);
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
}

TEST_F(MessageSendTest, AGroupMessageGivesEveryCopyAndEverySendLogCopyItsOwnNote) {
  BecomeUser("ALICE", true);
  const std::string longText(900, 'x');
  const int32_t callers = NewNote(longText);
  MessageRecord memo = Memo("*SALES", "See the long text.");
  SetFieldI32(memo.bytes, msg::kLongTextNote, callers);
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
  MessageRecord memo = Memo("*SALES", "Long.");
  SetFieldI32(memo.bytes, msg::kLongTextNote, callers);
  ASSERT_EQ(MsgGroupSend(messages, memo, {bob, carol}, false), 1) << FormatAppError();
  std::vector<MessageRecord> copies = Stored();
  ASSERT_EQ(copies.size(), 2u);
  EXPECT_EQ(copies[0].LongTextNote(), callers);
  EXPECT_NE(copies[1].LongTextNote(), callers);
  EXPECT_EQ(NoteText(copies[1].LongTextNote()), std::string(600, 'y'));
}

TEST_F(MessageSendTest, TheCCListNamesTheOthersEverybodyOrNobodyForOneRecipient) {
  MessageRecord memo = Memo("*SALES", "Meeting at ten.");
  ASSERT_EQ(MsgSendToGroup(messages, memo, {bob, carol}, true), 1) << FormatAppError();
  memo = Memo("* - ALL", "Fire drill.");
  ASSERT_EQ(MsgSendToGroup(messages, memo, {}, true), 1) << FormatAppError();
  memo = Memo("*SALES", "Only Bob.");
  ASSERT_EQ(MsgSendToGroup(messages, memo, {bob}, true), 1) << FormatAppError();
  std::vector<MessageRecord> copies = Stored();
  ASSERT_EQ(copies.size(), 6u);
  for (size_t i = 0; i < 5; ++i) {
    const MessageRecord& r = copies[i];
    EXPECT_TRUE(r.Flags() & msg::kFlagCcList);
    std::vector<std::string> cc;
    ASSERT_EQ(CCReadNames(r.Number(), &cc), 1);
    std::string other = i >= 2 ? "* - ALL" : r.To() == "BOB" ? "CAROL" : "BOB";
    EXPECT_EQ(cc, std::vector<std::string>{other}) << i;
  }
  EXPECT_FALSE(copies[5].Flags() & msg::kFlagCcList);
  std::vector<std::string> none;
  ASSERT_EQ(CCReadNames(copies[5].Number(), &none), 1);
  EXPECT_TRUE(none.empty());
}

TEST_F(MessageSendTest, AGroupSendWithoutRecipientsSucceedsAndLeavesNoNoteBehind) {
  const int32_t callers = NewNote("text");
  MessageRecord memo = Memo("*SALES", "Nobody.");
  SetFieldI32(memo.bytes, msg::kLongTextNote, callers);
  ASSERT_EQ(MsgSendToGroup(messages, memo, {}, true), 1) << FormatAppError();
  EXPECT_TRUE(Stored().empty());
  EXPECT_EQ(memo.LongTextNote(), callers);
  EXPECT_EQ(NoteText(callers), "text");
  // The duplicate made for the copies went again: only the caller's part
  // is alive.
  EXPECT_EQ(Records(kNoteTable).size(), 1u);
}

TEST_F(MessageSendTest, CopiesThatCannotBeStoredDoNotStopTheGroupAndGetNoSendLogCopy) {
  BecomeUser("ALICE", true);
  FastTicks fast;
  // Another workstation holds the message table's append lock throughout.
  LockHolder holder(dir.File("MESSAGE.DAT"), 0);
  ASSERT_TRUE(holder.Held());
  MessageRecord memo = Memo("*SALES", "Will not arrive.");
  GroupSendResult result;
  EXPECT_EQ(MsgSendToGroup(messages, memo, {bob, carol}, false, &result), 0);
  EXPECT_EQ(result.failed, 2);  // both recipients were tried
  EXPECT_EQ(result.stored, 0);
  EXPECT_NE(AppErrorCode(), 0);
  holder.Release();
  EXPECT_TRUE(Stored().empty());
  EXPECT_TRUE(Logged().empty());
  EXPECT_EQ(Flag(bob), 0);
}

TEST_F(MessageSendTest, SendingToANameRefusesAGroupAndGivesTheCopyItsOwnNoteAndViceVersa) {
  const int32_t callers = NewNote("the whole text");
  MessageRecord memo = Memo("", "Short.");
  SetFieldI32(memo.bytes, msg::kLongTextNote, callers);
  EXPECT_EQ(MsgSendToName(messages, memo, "*SALES", 0), 0);
  EXPECT_EQ(AppErrorCode(), kAppInvalidName);
  EXPECT_EQ(AppErrorName(), "*SALES");
  ASSERT_EQ(MsgSendToName(messages, memo, "BOB", bob), 1) << FormatAppError();
  std::vector<MessageRecord> copies = Stored();
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(copies[0].To(), "BOB");
  EXPECT_NE(copies[0].LongTextNote(), callers);
  EXPECT_EQ(NoteText(copies[0].LongTextNote()), "the whole text");
  EXPECT_EQ(NoteText(callers), "the whole text");
  // Sending to a group refuses a person's name.
  memo = Memo("BOB", "Not a group.");
  ClearAppError();
  EXPECT_EQ(MsgSendToGroup(messages, memo, {bob}, false), 0);
  EXPECT_EQ(AppErrorCode(), kAppInvalidName);
  EXPECT_EQ(Stored().size(), 1u);
}

// A copy that cannot be stored takes its duplicate of the long text with
// it: the caller keeps its own note, and no note is left over.
TEST_F(MessageSendTest, ACopyThatCannotBeStoredLeavesNoNoteOfItsOwn) {
  FastTicks fast;
  LockHolder holder(dir.File("MESSAGE.DAT"), 0);  // another workstation appends
  ASSERT_TRUE(holder.Held());
  const int32_t callers = NewNote("the whole text");
  MessageRecord memo = Memo("", "Short.");
  SetFieldI32(memo.bytes, msg::kLongTextNote, callers);
  EXPECT_EQ(MsgSendToName(messages, memo, "BOB", bob), 0);
  holder.Release();
  EXPECT_TRUE(Stored().empty());
  EXPECT_EQ(memo.LongTextNote(), callers);
  EXPECT_EQ(Records(kNoteTable).size(), 1u);
  EXPECT_EQ(NoteText(callers), "the whole text");
}

TEST_F(MessageSendTest, SendOneOpensTheTableItselfWhenGivenNone) {
  MessageRecord memo = Memo("BOB", "Hello.");
  ASSERT_EQ(MsgSendOne(nullptr, memo, bob, true, 1), 1) << FormatAppError();
  EXPECT_EQ(Stored().size(), 1u);
  EXPECT_EQ(Logged().size(), 1u);
}

TEST_F(MessageSendTest, ASendLogCopyThatCannotBeStoredFailsTheSendAndLeavesNoNote) {
  BecomeUser("ALICE", true);
  FastTicks fast;
  // Another workstation holds the send log's append lock throughout.
  LockHolder holder(dir.File("SENDLOG.DAT"), 0);
  ASSERT_TRUE(holder.Held());
  const int32_t callers = NewNote("long text");
  MessageRecord memo = Memo("", "Logged?");
  SetFieldI32(memo.bytes, msg::kLongTextNote, callers);
  EXPECT_EQ(MsgSendToName(messages, memo, "BOB", bob), 0);
  EXPECT_EQ(AppErrorCode(), kAppLockError);
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

using MessageChangeTest = MessageTest;

// The row still says folder 1 after the first move; the second goes from
// where the message is now, and the archive clears not-viewed though the
// message was never opened.
TEST_F(MessageChangeTest, AMoveFromAnOldListRowFindsTheMessageAndTheArchiveClearsNotViewed) {
  Send(Memo("BOB", "Moved twice."), bob);
  MessageEntry row = FirstIn(msg::kFolderNew, "BOB");
  ASSERT_TRUE(row.Flags() & msg::kFlagNotViewed);
  ASSERT_EQ(MsgMoveToFolder(messages, row, 77), 1);
  ASSERT_EQ(MsgMoveToFolder(messages, row, msg::kFolderArchive), 1) << FormatAppError();
  EXPECT_EQ(MsgFindFirst(messages, msg::kFolderNew, "BOB"), 0);
  EXPECT_EQ(AppErrorCode(), kAppNotFound);
  EXPECT_EQ(MsgFindFirst(messages, 77, "BOB"), 0);
  MessageEntry archived = FirstIn(msg::kFolderArchive, "bob");
  EXPECT_FALSE(archived.Flags() & msg::kFlagNotViewed);
  MessageRecord r = ReadBack(archived);
  EXPECT_EQ(r.Folder(), msg::kFolderArchive);
  EXPECT_FALSE(r.Flags() & msg::kFlagNotViewed);
}

TEST_F(MessageChangeTest, AFolderHoldingAMessageForAnyoneIsFoundInUse) {
  // Folders 76 and 78 lie either side of the one in use.
  EXPECT_EQ(MsgFindInFolder(messages, 77), 0);
  EXPECT_EQ(AppErrorCode(), kAppNotFound);
  Send(Memo("BOB", "Filed."), bob);
  ASSERT_EQ(MsgMoveToFolder(messages, FirstIn(msg::kFolderNew, "BOB"), 77), 1);
  MessageEntry found;
  ASSERT_EQ(MsgFindInFolder(messages, 77, &found), 1) << FormatAppError();
  EXPECT_EQ(found.To(), "BOB");
  EXPECT_EQ(found.Folder(), 77);
  EXPECT_EQ(MsgFindInFolder(messages, 76), 0);
  EXPECT_EQ(MsgFindInFolder(messages, 78), 0);
  EXPECT_EQ(AppErrorName(), "78");
}

TEST_F(MessageChangeTest, ADeletedMessageCountsAsMovedAndDeletedButNotAsTouched) {
  Send(Memo("BOB", "Gone."), bob);
  MessageEntry entry = FirstIn(msg::kFolderNew, "BOB");
  ASSERT_EQ(MsgDelete(messages, entry), 1) << FormatAppError();
  EXPECT_TRUE(Stored().empty());
  // Nothing to report: the application error stays, the engine's is cleared.
  SetAppError(kAppNotFound, "before");
  EXPECT_EQ(MsgMoveToFolder(messages, entry, msg::kFolderArchive), 1);
  EXPECT_EQ(DbGetError(), kDbOk);
  EXPECT_EQ(AppErrorCode(), kAppNotFound);
  EXPECT_EQ(AppErrorName(), "before");
  EXPECT_EQ(MsgDelete(messages, entry), 1) << FormatAppError();
  EXPECT_EQ(DbGetError(), kDbOk);
  // A change made by a view has nothing left to change.
  MessageRecord r = Memo("BOB", "Gone.");
  EXPECT_EQ(MsgTouch(messages, entry, r), 0);
  EXPECT_EQ(DbGetError(), kDbRecordDeleted);
}

TEST_F(MessageChangeTest, DeletingRemovesTheLongTextButKeepsAttachedNoteAndLog) {
  MessageRecord memo = Memo("BOB", "With notes.");
  const int32_t longText = NewNote("long");
  const int32_t attached = NewNote("attached");
  const int32_t log = NewNote("log");
  SetFieldI32(memo.bytes, msg::kLongTextNote, longText);
  SetFieldI32(memo.bytes, msg::kAttachedNote, attached);
  SetFieldI32(memo.bytes, msg::kLogNote, log);
  Send(memo, bob);
  ASSERT_EQ(MsgDelete(messages, FirstIn(msg::kFolderNew, "BOB")), 1) << FormatAppError();
  EXPECT_EQ(NoteText(longText), "<no note>");
  EXPECT_EQ(NoteText(attached), "attached");
  EXPECT_EQ(NoteText(log), "log");
}

TEST_F(MessageChangeTest, DeletingAnEmailRemovesItsFileAttachmentsAndRawText) {
  MessageRecord mail = Email("BOB", "x@example.com", "Files");
  SetFieldText(mail.bytes, msg::kRawStem, "in000042");
  mail = Send(mail, bob);
  const std::string dpe = dir.File("DPE/");
  WriteFile(EmailFilePath(mail.Number(), false), EmailFile({"0000abcd", "0000abce"}, "body"));
  WriteFile(dpe + "0000abcd.ATT", "one");
  WriteFile(dpe + "0000abce.ATT", "two");
  WriteFile(dpe + "0000abcf.ATT", "not this one's");
  WriteFile(dpe + "in000042.RAW", "raw");
  ASSERT_EQ(MsgDelete(messages, FirstIn(msg::kFolderNew, "BOB")), 1) << FormatAppError();
  EXPECT_FALSE(FileExists(EmailFilePath(mail.Number(), false)));
  EXPECT_FALSE(FileExists(dpe + "0000abcd.ATT"));
  EXPECT_FALSE(FileExists(dpe + "0000abce.ATT"));
  EXPECT_FALSE(FileExists(dpe + "in000042.RAW"));
  EXPECT_TRUE(FileExists(dpe + "0000abcf.ATT"));
}

TEST_F(MessageChangeTest, AStoredNameOfAnotherFormIsNeverUsedAsAPath) {
  MessageRecord mail = Email("BOB", "x@example.com", "Trap");
  SetFieldText(mail.bytes, msg::kRawStem, "../precious");
  mail = Send(mail, bob);
  WriteFile(dir.File("precious.RAW"), "keep");
  WriteFile(dir.File("victim.ATT"), "keep");
  WriteFile(dir.File("DPE/0000abcd.ATT"), "mine");
  WriteFile(EmailFilePath(mail.Number(), false), EmailFile({"../victim", "0000abcd"}, "body"));
  EXPECT_EQ(MsgDelete(messages, FirstIn(msg::kFolderNew, "BOB")), 0);
  EXPECT_EQ(AppErrorCode(), kAppInvalidName);
  EXPECT_EQ(AppErrorName(), "../victim");
  EXPECT_TRUE(FileExists(dir.File("victim.ATT")));
  EXPECT_TRUE(FileExists(dir.File("precious.RAW")));
  // The message and everything of the proper form are gone.
  EXPECT_TRUE(Stored().empty());
  EXPECT_FALSE(FileExists(dir.File("DPE/0000abcd.ATT")));
  EXPECT_FALSE(FileExists(EmailFilePath(mail.Number(), false)));
}

// Another workstation has the message open: it is not deleted, moved or
// marked viewed, and the application error is left as it was.
TEST_F(MessageChangeTest, AMessageLockedElsewhereIsNotChangedAndKeepsTheApplicationError) {
  Send(Memo("BOB", "Open elsewhere."), bob);
  MessageEntry entry = FirstIn(msg::kFolderNew, "BOB");
  const int64_t lockByte =
      msg::kHeaderSize + int64_t(entry.RecordNumber() + 1) * msg::kRecordSize - 1;
  LockHolder view(dir.File("MESSAGE.DAT"), lockByte);
  ASSERT_TRUE(view.Held());
  SetAppError(kAppEndOfFile, "earlier");
  EXPECT_EQ(MsgDelete(messages, entry), 0);
  EXPECT_EQ(DbGetError(), kDbRecordLocked);
  EXPECT_EQ(AppErrorCode(), kAppEndOfFile);
  EXPECT_EQ(AppErrorName(), "earlier");
  EXPECT_EQ(MsgMoveToFolder(messages, entry, msg::kFolderArchive), 0);
  EXPECT_EQ(DbGetError(), kDbRecordLocked);
  BecomeUser("BOB", false);
  MessageRecord seen;
  EXPECT_EQ(MsgMarkViewed(messages, entry, &seen), 0);
  EXPECT_EQ(DbGetError(), kDbRecordLocked);
  view.Release();
  EXPECT_EQ(ReadBack(entry).ViewedTime(), 0);
  EXPECT_EQ(ReadBack(entry).Folder(), msg::kFolderNew);
  EXPECT_EQ(Stored().size(), 1u);
  EXPECT_EQ(MsgDelete(messages, entry), 1) << FormatAppError();
}

TEST_F(MessageChangeTest, TouchingRaisesTheChangeCountAndTheEntryFollowsTheFlags) {
  Send(Memo("BOB", "Edit me."), bob);
  MessageEntry entry = FirstIn(msg::kFolderNew, "BOB");
  MessageRecord r = ReadBack(entry);
  SetFieldByte(r.bytes, msg::kFlags, msg::kFlagUrgent);
  SetFieldText(r.bytes, msg::kFrom, "ANNE");
  ASSERT_EQ(MsgTouch(messages, entry, r), 1) << FormatAppError();
  MessageEntry after = FirstIn(msg::kFolderNew, "BOB");
  EXPECT_EQ(after.ChangeCount(), 1);
  EXPECT_EQ(after.Flags(), msg::kFlagUrgent);
  EXPECT_EQ(after.From(), "ANNE");
  EXPECT_EQ(ReadBack(after).ChangeCount(), 1);
}

TEST_F(MessageChangeTest, APlainWriteMayNotChangeWhatTheIndexesHold) {
  Send(Memo("BOB", "Plain."), bob);
  MessageEntry entry = FirstIn(msg::kFolderNew, "BOB");
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
}

TEST_F(MessageChangeTest, TheSendLogCopyOfAnEmailGoesWithItsOwnFile) {
  BecomeUser("ALICE", true);
  MessageRecord mail = Send(Email("BOB", "alice@example.com", "Logged"), bob);
  WriteFile(EmailFilePath(mail.Number(), true), EmailFile({"0000beef"}, "sent"));
  WriteFile(EmailFilePath(mail.Number(), false), EmailFile({"0000bee0"}, "sent"));
  WriteFile(dir.File("DPE/0000beef.ATT"), "log's");
  WriteFile(dir.File("DPE/0000bee0.ATT"), "bob's");
  SendLogTable log;
  ASSERT_EQ(SendLogOpen(log), 1);
  MessageRecord logged = Logged().at(0);
  ASSERT_EQ(SendLogMoveToFolder(log, SendLogEntryOf(logged, 0), msg::kFolderArchive), 1);
  ASSERT_EQ(SendLogDelete(log, SendLogEntryOf(logged, 0)), 1) << FormatAppError();
  SendLogClose(log);
  EXPECT_TRUE(Logged().empty());
  EXPECT_FALSE(FileExists(EmailFilePath(mail.Number(), true)));
  EXPECT_FALSE(FileExists(dir.File("DPE/0000beef.ATT")));
  EXPECT_TRUE(FileExists(EmailFilePath(mail.Number(), false)));
  EXPECT_TRUE(FileExists(dir.File("DPE/0000bee0.ATT")));
}

// ---- Viewing ----

using MessageViewTest = MessageTest;

TEST_F(MessageViewTest, OpeningStampsTheViewerClearsTheFlagsAndUpdatesTheSendLogCopy) {
  BecomeUser("ALICE", true);
  MessageRecord memo = Memo("BOB", "Read me.");
  SetFieldByte(memo.bytes, msg::kFlags, msg::kFlagUrgent);
  Send(memo, bob);
  BecomeUser("BOB", false);
  now += 300;
  MessageRecord seen;
  bool changed = false;
  ASSERT_EQ(MsgMarkViewed(messages, FirstIn(msg::kFolderNew, "BOB"), &seen, &changed), 1)
      << FormatAppError();
  EXPECT_TRUE(changed);
  EXPECT_EQ(seen.ViewedTime(), now);
  EXPECT_EQ(seen.Viewer(), bob);
  EXPECT_EQ(seen.Flags() & (msg::kFlagNotViewed | msg::kFlagUrgent), 0);
  EXPECT_EQ(seen.ChangeCount(), 1);
  MessageEntry entry = FirstIn(msg::kFolderNew, "BOB");
  EXPECT_EQ(entry.Flags(), 0);
  EXPECT_EQ(entry.ChangeCount(), 1);
  MessageRecord logged = Logged().at(0);
  EXPECT_EQ(logged.ViewedTime(), now);
  EXPECT_EQ(logged.Viewer(), bob);

  // Opening it again keeps the first time.
  const int32_t first = now;
  now += 600;
  ASSERT_EQ(MsgMarkViewed(messages, entry, &seen, &changed), 1);
  EXPECT_FALSE(changed);
  EXPECT_EQ(seen.ViewedTime(), first);
  EXPECT_EQ(Logged().at(0).ViewedTime(), first);
}

TEST_F(MessageViewTest, TheSendLogCopyIsFoundAfterTheSenderArchivedIt) {
  BecomeUser("ALICE", true);
  Send(Memo("BOB", "Archived log."), bob);
  SendLogTable log;
  ASSERT_EQ(SendLogOpen(log), 1);
  ASSERT_EQ(SendLogMoveToFolder(log, SendLogEntryOf(Logged().at(0), 0), msg::kFolderArchive), 1);
  SendLogClose(log);
  BecomeUser("BOB", false);
  MessageRecord seen;
  ASSERT_EQ(MsgMarkViewed(messages, FirstIn(msg::kFolderNew, "BOB"), &seen), 1) << FormatAppError();
  MessageRecord logged = Logged().at(0);
  EXPECT_EQ(logged.Folder(), msg::kFolderArchive);
  EXPECT_EQ(logged.ViewedTime(), now);
}

// The message is stamped first; a send log that cannot be opened then
// fails the viewing rather than leave the sender's copy silently behind.
TEST_F(MessageViewTest, ASendLogThatCannotBeOpenedFailsTheViewingOfAStampedMessage) {
  BecomeUser("ALICE", true);
  Send(Memo("BOB", "Logged."), bob);
  ASSERT_EQ(std::remove(dir.File("SENDLOG.DAT").c_str()), 0);
  BecomeUser("BOB", false);
  MessageRecord seen;
  EXPECT_EQ(MsgMarkViewed(messages, FirstIn(msg::kFolderNew, "BOB"), &seen), 0);
  EXPECT_EQ(AppErrorCode(), kAppNoSuchFile);
  EXPECT_EQ(ReadBack(FirstIn(msg::kFolderNew, "BOB")).ViewedTime(), now);
}

TEST_F(MessageViewTest, SomeoneElseOpeningStampsItAndTheRecipientStillClearsTheFlags) {
  Send(Memo("BOB", "Carol peeks."), bob);
  BecomeUser("CAROL", false);
  MessageRecord seen;
  bool changed = false;
  ASSERT_EQ(MsgMarkViewed(messages, FirstIn(msg::kFolderNew, "BOB"), &seen), 1);
  EXPECT_EQ(seen.Viewer(), carol);
  EXPECT_TRUE(seen.Flags() & msg::kFlagNotViewed);
  BecomeUser("BOB", false);
  ASSERT_EQ(MsgMarkViewed(messages, FirstIn(msg::kFolderNew, "BOB"), &seen, &changed), 1)
      << FormatAppError();
  EXPECT_TRUE(changed);
  EXPECT_EQ(seen.Viewer(), carol);
  EXPECT_EQ(seen.Flags() & msg::kFlagNotViewed, 0);
  EXPECT_EQ(FirstIn(msg::kFolderNew, "BOB").Flags(), 0);
  // Mail for the gateway is never stamped viewed.
  Send(Email(kMailServerName, "alice@example.com", "Out"), kMailServerNumber);
  changed = true;
  ASSERT_EQ(MsgMarkViewed(messages, FirstIn(msg::kFolderNew, kMailServerName), &seen, &changed), 1);
  EXPECT_FALSE(changed);
  EXPECT_EQ(seen.ViewedTime(), 0);
}

}  // namespace
