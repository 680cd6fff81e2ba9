// The View command while urgent messages wait: each press opens the first
// urgent message, and the urgent alert stays on while another waits.
#include "shell/view_urgent.h"

#include <gtest/gtest.h>

#include "tests/data/messages/message_fixture.h"
#include "tests/shell/recording_window.h"

namespace {

namespace msg = records::message;

class ViewUrgentTest : public MessageTest {
 protected:
  MessageRecord SendMemo(const std::string& to, const std::string& text, bool urgent) {
    MessageRecord r = Memo(to, text);
    if (urgent) SetFieldByte(r.bytes, msg::kFlags, msg::kFlagUrgent);
    now += 60;
    return Send(r, numbers[to]);
  }

  // BOB's workstation: his alert machine, started.
  PollAlert& Bob() {
    if (!bobAlerts) {
      PollAlertConfig config;
      config.flagPath = FlagFilePath(dir.Path(), bob);
      config.user = bob;
      AlarmHooks none;
      bobAlerts = std::make_unique<PollAlert>(config, window, none);
      bobAlerts->Start();
    }
    return *bobAlerts;
  }

  ViewChoice View() {
    ViewChoice choice;
    EXPECT_EQ(ChooseView(Bob(), messages, "BOB", bob, &choice), 1) << FormatAppError();
    return choice;
  }

  // BOB opens the message in its view window.
  void Open(const MessageEntry& entry) {
    BecomeUser("BOB", false);
    MessageRecord r;
    ASSERT_EQ(MsgMarkViewed(messages, entry, &r), 1) << FormatAppError();
  }

  RecordingWindow window;
  std::unique_ptr<PollAlert> bobAlerts;
};

TEST_F(ViewUrgentTest, TwoUrgentMessagesKeepTheUrgentAlertAfterTheFirstIsOpened) {
  SendMemo("BOB", "plain", false);
  MessageRecord first = SendMemo("BOB", "first urgent", true);
  SendMemo("CAROL", "not for bob", true);
  MessageRecord second = SendMemo("BOB", "second urgent", true);
  ASSERT_EQ(Flag(bob), kFlagNewMessage | kFlagUrgentMessage);
  ASSERT_EQ(Bob().Level(), 3);

  ViewChoice choice = View();
  ASSERT_EQ(choice.action, ViewAction::kOpenMessage);
  EXPECT_EQ(choice.entry.Number(), first.Number());
  EXPECT_EQ(Flag(bob), kFlagNewMessage | kFlagUrgentMessage);
  EXPECT_EQ(Bob().Level(), 3);
  EXPECT_TRUE(Bob().AlertRunning());
  Open(choice.entry);

  // The second press opens the other one; no urgent message is left, and
  // the alert falls back to the plain new message.
  choice = View();
  ASSERT_EQ(choice.action, ViewAction::kOpenMessage);
  EXPECT_EQ(choice.entry.Number(), second.Number());
  EXPECT_EQ(Flag(bob), kFlagNewMessage);
  EXPECT_EQ(Bob().Level(), 1);
  Open(choice.entry);

  // At level 1 View opens the New view and leaves the flag alone.
  choice = View();
  EXPECT_EQ(choice.action, ViewAction::kOpenNewView);
  EXPECT_EQ(Flag(bob), kFlagNewMessage);
  // CAROL's urgent message was never touched.
  EXPECT_EQ(Flag(carol), kFlagUrgentMessage);
}

TEST_F(ViewUrgentTest, AnUrgentFlagWithoutAnUrgentMessageOpensTheNewView) {
  // The urgent message was filed away from another workstation meanwhile.
  SendMemo("BOB", "urgent", true);
  ASSERT_EQ(Bob().Level(), 2);
  ASSERT_EQ(MsgMoveToFolder(messages, FirstIn(msg::kFolderNew, "BOB"), msg::kFolderArchive), 1);
  ViewChoice choice = View();
  EXPECT_EQ(choice.action, ViewAction::kOpenNewView);
  EXPECT_EQ(Flag(bob), 0);
  EXPECT_EQ(Bob().Level(), 0);
}

TEST_F(ViewUrgentTest, TheSearchStopsAtTheUsersOwnInbox) {
  // Names after BOB's in the index and urgent messages elsewhere are not his.
  SendMemo("CAROL", "urgent for carol", true);
  MessageRecord mine = SendMemo("BOB", "urgent for bob", true);
  UrgentMessages urgent;
  ASSERT_EQ(TakeUrgentMessage(messages, "bob", bob, &urgent), 1);
  ASSERT_TRUE(urgent.found);
  EXPECT_EQ(urgent.entry.Number(), mine.Number());
  EXPECT_FALSE(urgent.more);
}

}  // namespace
