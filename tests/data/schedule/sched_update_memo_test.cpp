// The update memo's text and its road into the owner's in-box, and copying
// an entry to other people, one by name or all the tagged ones.
#include "data/schedule/sched_update_memo.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "storage/records/message.h"
#include "tests/data/schedule/sched_office_fixture.h"

namespace msg = records::message;

namespace {

class UpdateMemoTest : public SchedOfficeTest {
 protected:
  std::vector<std::string> Owned(int32_t owner) {
    std::vector<std::string> out;
    for (const SchedRecord& r : EntriesOf(sched, owner))
      out.push_back(r.Description() + (r.RepeatGroup() ? " (group)" : ""));
    return out;
  }
  std::vector<std::string> MemosTo(const std::string& name) {
    std::vector<std::string> out;
    for (const MessageRecord& r : Stored())
      if (r.To() == name && r.Kind() == msg::kKindMemo)
        out.push_back(FieldText(r.bytes, msg::kMemoText));
    return out;
  }
  std::vector<std::string> informed;
  std::function<void(const std::string&)> inform = [this](const std::string& m) {
    informed.push_back(m);
  };
};

TEST_F(UpdateMemoTest, TheMemoTextTellsDateTimesAlarmTextNoteAndRepeats) {
  SchedRecord e = Entry(bob, At(2027, 3, 15, 9, 0), "Board meeting", At(2027, 3, 15, 10, 30),
                        At(2027, 3, 15, 8, 45));
  e.SetNote("Bring the slides");
  e.SetRepeatGroup(12);
  EXPECT_EQ(UpdateMemoText(e, false),
            "Automatic notification of schedule update:\r\r"
            "Date:  3-15-27\r"
            "Time:  9:00AM - 10:30AM\r"
            "Alarm set for:  8:45AM\r"
            "Board meeting\r\r"
            "Bring the slides\r\r"
            "*This item also has repeating items.");
  // A plain entry; repeats told by the caller; an untimed entry.
  e = Entry(bob, At(2027, 11, 2, 14, 5), "Dentist");
  EXPECT_EQ(UpdateMemoText(e, false),
            "Automatic notification of schedule update:\r\r"
            "Date: 11-02-27\r"
            "Time:  2:05PM\r"
            "Dentist");
  EXPECT_EQ(UpdateMemoText(e, true),
            UpdateMemoText(e, false) + "\r\r*This item also has repeating items.");
  SchedRecord untimed = Entry(bob, At(2027, 11, 2), "Holiday");
  EXPECT_EQ(UpdateMemoText(untimed, false),
            "Automatic notification of schedule update:\r\rDate: 11-02-27\rTime: \rHoliday");
}

TEST_F(UpdateMemoTest, MemoGoesToTheOwnersInBoxWithASendLogCopy) {
  SchedRecord e = Entry(bob, At(2027, 3, 15, 9, 0), "Dentist");
  ASSERT_EQ(SendUpdateMemo(e, false, "BOB", bob), 1) << FormatAppError();
  std::vector<MessageRecord> stored = Stored();
  ASSERT_EQ(stored.size(), 1u);
  const MessageRecord& m = stored[0];
  EXPECT_EQ(std::tuple(int(m.Kind()), m.To(), m.From(), int(m.Folder()), m.Sender()),
            std::tuple(int(msg::kKindMemo), "BOB", "ALICE", int(msg::kFolderNew), alice));
  EXPECT_EQ(FieldText(stored[0].bytes, msg::kMemoText), UpdateMemoText(e, false));
  EXPECT_EQ(Logged().size(), 1u);
  EXPECT_EQ(Flag(bob) & kFlagNewMessage, kFlagNewMessage);
  // The common schedule is nobody's in-box.
  ASSERT_EQ(SendUpdateMemo(e, false, "* COMMON", kCommonScheduleOwner), 1);
  EXPECT_EQ(Stored().size(), 1u);
}

TEST_F(UpdateMemoTest, CopyToANamedPersonWithMemo) {
  int32_t n = Add(Entry(alice, At(2027, 3, 15, 9), "Planning"));
  SchedCopyRequest request{n, alice, "bob", {}, true, false};
  ASSERT_EQ(SchedCopyToRecipients(sched, request, inform), 1) << FormatAppError();
  EXPECT_TRUE(informed.empty());
  EXPECT_EQ(Owned(bob), (std::vector<std::string>{"Planning"}));
  EXPECT_EQ(Owned(alice), (std::vector<std::string>{"Planning"}));
  EXPECT_EQ(MemosTo("BOB").size(), 1u);
  // To the schedule's own owner nothing happens.
  request.recipient = "ALICE";
  ASSERT_EQ(SchedCopyToRecipients(sched, request, inform), 1);
  EXPECT_EQ(Owned(alice).size(), 1u);
  // Nobody chosen.
  request.recipient = "";
  ASSERT_EQ(SchedCopyToRecipients(sched, request, inform), 1);
  EXPECT_EQ(informed, (std::vector<std::string>{"Please select recipient(s)"}));
  // Somebody unknown.
  request.recipient = "ZELDA";
  EXPECT_EQ(SchedCopyToRecipients(sched, request, inform), 0);
  EXPECT_EQ(AppErrorCode(), kAppNotFound);
  // A copy into the common schedule sends no memo.
  request.recipient = "* COMMON";
  ASSERT_EQ(SchedCopyToRecipients(sched, request, inform), 1) << FormatAppError();
  EXPECT_EQ(Owned(kCommonScheduleOwner), (std::vector<std::string>{"Planning"}));
  EXPECT_EQ(Stored().size(), 1u);
}

TEST_F(UpdateMemoTest, CopyToTheTaggedNamesSkipsGroupsAndTheOwner) {
  int32_t n = Add(Entry(alice, At(2027, 3, 15, 9), "Planning"));
  SchedCopyRequest request{
      n,    alice, kTaggedRecipient, {numbers["*SALES"], bob, carol, alice, numbers["* - ALL"]},
      true, false};
  ASSERT_EQ(SchedCopyToRecipients(sched, request, inform), 1) << FormatAppError();
  // "* - ALL" is taken, but gets no memo.
  std::vector<size_t> copies;
  for (int32_t owner : {bob, carol, alice, numbers["*SALES"], numbers["* - ALL"]})
    copies.push_back(Owned(owner).size());
  EXPECT_EQ(copies, (std::vector<size_t>{1, 1, 1, 0, 1}));
  EXPECT_EQ(MemosTo("BOB").size(), 1u);
  EXPECT_EQ(MemosTo("CAROL").size(), 1u);
  EXPECT_EQ(Stored().size(), 2u);
}

TEST_F(UpdateMemoTest, ARepeatedEntryCopiedAloneLosesItsGroup) {
  int32_t n = Add(InGroup(Entry(alice, At(2027, 3, 15, 9), "Weekly"), 77));
  Add(InGroup(Entry(alice, At(2027, 3, 22, 9), "Weekly"), 77));
  SchedCopyRequest request{n, alice, "BOB", {}, true, false};
  ASSERT_EQ(SchedCopyToRecipients(sched, request, inform), 1);
  EXPECT_EQ(Owned(bob), (std::vector<std::string>{"Weekly"}));
  ASSERT_EQ(MemosTo("BOB").size(), 1u);
  EXPECT_EQ(MemosTo("BOB")[0].find("repeating"), std::string::npos);

  request.recipient = "CAROL";
  request.copyRepeats = true;
  ASSERT_EQ(SchedCopyToRecipients(sched, request, inform), 1);
  EXPECT_EQ(Owned(carol), (std::vector<std::string>{"Weekly (group)", "Weekly (group)"}));
  ASSERT_EQ(MemosTo("CAROL").size(), 1u);
  EXPECT_NE(MemosTo("CAROL")[0].find("*This item also has repeating items."), std::string::npos);
}

TEST_F(UpdateMemoTest, AFullDayIsToldPerTaggedNameAndTheOthersStillGetTheirCopy) {
  for (int i = 0; i < 40; ++i) Add(Entry(bob, At(2027, 3, 15, 7) + 60 * i, "Filler"));
  int32_t n = Add(Entry(alice, At(2027, 3, 15, 9), "Planning"));
  SchedCopyRequest request{n, alice, kTaggedRecipient, {bob, carol}, false, false};
  ASSERT_EQ(SchedCopyToRecipients(sched, request, inform), 1) << FormatAppError();
  EXPECT_EQ(informed, (std::vector<std::string>{"Maximum of 40 schedule items reached for BOB"}));
  EXPECT_EQ(Owned(carol).size(), 1u);
  informed.clear();
  request.recipient = "BOB";
  ASSERT_EQ(SchedCopyToRecipients(sched, request, inform), 1);
  EXPECT_EQ(informed, (std::vector<std::string>{"Maximum of 40 schedule items reached."}));
  EXPECT_TRUE(Stored().empty()) << "no memos were asked for";
}

}  // namespace
