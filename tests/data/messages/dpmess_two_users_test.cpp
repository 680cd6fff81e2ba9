// Two workstations on one data directory, each a process started the way
// the program starts: a message goes from one user to the other, raises
// the recipient's flag, is listed and opened there, and the sender's send
// log shows when it was read.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "data/clock.h"
#include "data/messages/dpmess.h"
#include "data/messages/message_user.h"
#include "data/office/dpmain.h"
#include "data/office/flags.h"
#include "tests/data/office/startup_fixture.h"

namespace msg = records::message;
namespace nm = records::name;

namespace {

constexpr int32_t kViewedAt = 1500000000;

bool Say(int fd, char c) {
  return write(fd, &c, 1) == 1;
}
bool Hear(int fd, char expected) {
  char c = 0;
  return read(fd, &c, 1) == 1 && c == expected;
}

// Workstation A: Alice sends Bob a memo, keeps a send-log copy, and after
// Bob has read it looks at her send log. Its exit code names what it found
// wrong: 10 no start, 11 not sent, 12 no word from Bob, 13 no send-log
// copy listed, 14 the copy not stamped viewed.
int RunAlice(const std::string& directory, int32_t bob, int tell, int hear) {
  if (!StartUser(directory, "ALICE")) return 10;
  MessageTable messages;
  MessageRecord memo;
  SetFieldByte(memo.bytes, msg::kKind, msg::kKindMemo);
  SetFieldText(memo.bytes, msg::kTo, "BOB");
  SetFieldText(memo.bytes, msg::kFrom, "ALICE");
  SetFieldText(memo.bytes, msg::kMemoText, "The report is on your desk.");
  bool sent = MsgOpen(messages) &&
              MsgSendOne(&messages, memo, bob, CurrentMessageUser().sendLog, msg::kFolderNew);
  if (messages.open) MsgClose(messages);
  if (!sent) return 11;
  if (!Say(tell, 's') || !Hear(hear, 'v')) return 12;

  SendLogTable log;
  Table rows(CurrentUser().workTableNames[kWorkC], records::sendlog::kListRowLength);
  MessageCriteria mine;
  mine.folder = msg::kFolderNew;
  SendLogEntry entry;
  MessageRecord copy;
  bool read = SendLogOpen(log) && SendLogQuery(log, mine, rows) && rows.scratch == 1 &&
              DbReadCached(rows, 0, entry.bytes) &&
              DbReadRecord(log.table, entry.RecordNumber(), copy.bytes);
  DbCloseWorkTable(rows);
  if (log.open) SendLogClose(log);
  StopUser();
  if (!read || entry.Number() != memo.Number()) return 13;
  if (entry.ViewedTime() != kViewedAt || copy.ViewedTime() != kViewedAt || copy.Viewer() == 0)
    return 14;
  return 0;
}

// Alice's process and our ends of the pipes to it: on any way out of the
// test the pipes close and the process is gone.
struct Workstation {
  pid_t pid = -1;
  int tell = -1, hear = -1;
  ~Workstation() {
    if (tell >= 0) close(tell);
    if (hear >= 0) close(hear);
    if (pid > 0 && kill(pid, SIGKILL) == 0) waitpid(pid, nullptr, 0);
  }
};

using TwoWorkstationsTest = StartupTest;

TEST_F(TwoWorkstationsTest, AMessageIsSentFlaggedListedViewedAndTheSenderSeesWhen) {
  AddName("ALICE");
  const int32_t bob = AddName("BOB");
  ChangePerson("ALICE", [](NameRecord& r) { SetFieldByte(r.bytes, nm::kSendLog, 1); });
  int toBob[2], toAlice[2];
  ASSERT_EQ(pipe(toBob), 0);
  ASSERT_EQ(pipe(toAlice), 0);
  Workstation a;
  a.pid = fork();
  ASSERT_GE(a.pid, 0);
  if (a.pid == 0) {
    close(toBob[0]);
    close(toAlice[1]);
    _exit(RunAlice(dir.Path(), bob, toBob[1], toAlice[0]));
  }
  // Only the other side keeps its ends, so a workstation that ends early
  // is heard as the end of its pipe rather than waited for.
  close(toBob[1]);
  close(toAlice[0]);
  a.hear = toBob[0];
  a.tell = toAlice[1];

  // Workstation B: Bob.
  ASSERT_TRUE(Hear(a.hear, 's'));
  SetClock([] { return kViewedAt; });
  struct ClockBack {
    ~ClockBack() { SetClock(nullptr); }
  } clockBack;
  ASSERT_EQ(StartUser(dir.Path(), "BOB"), 1) << FormatAppError();
  EXPECT_TRUE(GetFlagValue(CurrentUser().flagPath) & kFlagNewMessage);

  MessageTable messages;
  ASSERT_EQ(MsgOpen(messages), 1);
  MessageCriteria mine;
  mine.folder = msg::kFolderNew;
  mine.person = "BOB";
  ASSERT_EQ(MsgQuery(messages, mine, MessageWorkTable()), 1) << FormatAppError();
  ASSERT_EQ(MessageWorkTable().scratch, 1);
  uint8_t row[msg::list_row::kLength];
  ASSERT_EQ(DbReadCached(MessageWorkTable(), 0, row), 1);
  MessageEntry entry;
  std::memcpy(entry.bytes, row, sizeof entry.bytes);
  EXPECT_EQ(entry.From(), "ALICE");
  MessageRecord seen;
  ASSERT_EQ(MsgMarkViewed(messages, entry, &seen), 1) << FormatAppError();
  EXPECT_EQ(seen.ViewedTime(), kViewedAt);
  MsgClose(messages);
  ASSERT_TRUE(Say(a.tell, 'v'));

  int status = 0;
  ASSERT_EQ(waitpid(a.pid, &status, 0), a.pid);
  a.pid = -1;
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
