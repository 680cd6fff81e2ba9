// The entry dialog's OK: its checks and messages in order, adds and
// updates with the 40-line day, what a save does for someone else's
// schedule, the group question and the repeat generation.
#include "data/schedule/sched_entry_save.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/office/flags.h"
#include "data/schedule/sched_alarm.h"
#include "data/schedule/sched_time_text.h"
#include "data/schedule/sched_update_memo.h"
#include "storage/records/message.h"
#include "tests/data/schedule/sched_office_fixture.h"

namespace {

class EntrySaveTest : public SchedOfficeTest {
 protected:
  void SetUp() override {
    SchedOfficeTest::SetUp();
    context.owner = alice;
    context.ownerName = "ALICE";
    context.user = alice;
    context.currentDay = At(2027, 3, 15);
    context.ask = [this](const std::string& q) {
      questions.push_back(q);
      return answer;
    };
  }

  static EntryDialogValues Values(const std::string& description, const std::string& start = "",
                                  const std::string& end = "", const std::string& alarm = "",
                                  int32_t date = 0) {
    EntryDialogValues v;
    v.description = description;
    v.startText = start;
    v.endText = end;
    v.alarmText = alarm;
    v.date = date;
    return v;
  }

  // OK pressed: the message the dialog shows, or "" when it closed.
  std::string Ok(const EntryDialogValues& values) {
    int closed = SchedSaveEntry(sched, values, context, &result);
    if (closed) return "";
    return result.message.empty() ? "<error " + FormatAppError() + ">" : result.message;
  }

  void FillTo(int32_t owner, int lines) {
    for (int i = 0; i < lines; ++i) Add(Entry(owner, At(2027, 3, 15, 7) + 60 * i, "Filler"));
  }

  EntrySaveContext context;
  EntrySaveResult result;
  std::vector<std::string> questions;
  bool answer = false;
};

TEST_F(EntrySaveTest, ChecksComeInTheDialogsOrder) {
  EntryDialogValues v = Values("   ", "nonsense");
  v.date = At(1979, 12, 31);
  EXPECT_EQ(Ok(v), "Year must be between 1980 and 2037");
  v.date = 0;
  EXPECT_EQ(Ok(v), "Please enter a description.");
  v.description = "Dentist";
  EXPECT_EQ(Ok(v), "Must enter TIME:");
  v.startText = " 9:00AM";
  v.endText = " 9:00AM";
  EXPECT_EQ(Ok(v), "Start time must be earlier than End time.");
  v.endText = " 8:00AM";
  EXPECT_EQ(Ok(v), "Start time must be earlier than End time.");
  v.endText = "10:00AM";
  EXPECT_EQ(Ok(v), "");
  EXPECT_TRUE(result.written);
  EXPECT_EQ(EntryTimes(result.record), "3-15 09:00 to 10:00");
  EXPECT_EQ(result.record.Owner(), alice);
  EXPECT_NE(result.record.UniqueId(), 0);
}

TEST_F(EntrySaveTest, UntimedMidnightAndDaylightSavingEntriesAreStoredApart) {
  ASSERT_EQ(Ok(Values("Holiday", "", "10:00AM", " 7:00AM", At(2027, 3, 20))), "");
  // An untimed entry has no end.
  EXPECT_EQ(EntryTimes(result.record), "3-20 00:00 alarm 07:00");
  EXPECT_EQ(context.currentDay, At(2027, 3, 20)) << "the scheduler moves to the entry's day";

  ASSERT_EQ(Ok(Values("Midnight", "12:00AM")), "");
  EXPECT_EQ(EntryTimes(result.record), "3-20 00:00:01");
  EXPECT_EQ(TimeFieldText(result.record.Start()), "12:00AM");
  // Times on a daylight-saving day are wall-clock times.
  ASSERT_EQ(Ok(Values("Brunch", "11:00AM", "12:30PM", "10:45AM", At(2027, 3, 14))), "");
  EXPECT_EQ(EntryTimes(result.record), "3-14 11:00 to 12:30 alarm 10:45");
}

TEST_F(EntrySaveTest, AFullDayRefusesAddsAndUpdatesThatAddLines) {
  FillTo(alice, 39);
  // 39 lines: an entry with an end time still fits and makes 41.
  ASSERT_EQ(Ok(Values("Long one", " 1:00PM", " 2:00PM")), "");
  int32_t longOne = result.recordNumber;
  EXPECT_EQ(Lines(alice, At(2027, 3, 15)), 41);
  EXPECT_EQ(Ok(Values("One more", " 3:00PM")), "Maximum of 40 items reached for this date.");

  // Back to 40 lines, then an update that gives an entry an end time.
  ASSERT_EQ(SchedRemove(sched, longOne), 1);
  ASSERT_EQ(Ok(Values("Short one", " 1:00PM")), "");
  context.editing = result.recordNumber;
  EXPECT_EQ(Lines(alice, At(2027, 3, 15)), 40);
  EXPECT_EQ(Ok(Values("Short one", " 1:00PM", " 2:00PM")),
            "Maximum of 40 items reached for this date.");
  // An update that adds no line passes.
  ASSERT_EQ(Ok(Values("Short one, renamed", " 1:30PM")), "");
  EXPECT_TRUE(result.written);
  // Moving to another day's full day is refused too.
  for (int i = 0; i < 40; ++i) Add(Entry(alice, At(2027, 3, 16, 7) + 60 * i, "Other filler"));
  EXPECT_EQ(Ok(Values("Short one, renamed", " 1:30PM", "", "", At(2027, 3, 16))),
            "Maximum of 40 items reached for this date.");
}

TEST_F(EntrySaveTest, AnUnchangedEditWritesNothingAndOneDeletedMeanwhileIsAddedAgain) {
  ASSERT_EQ(Ok(Values("Dentist", " 9:00AM", "10:00AM", " 8:45AM")), "");
  context.editing = result.recordNumber;
  uint16_t count = result.record.ChangeCount();
  ASSERT_EQ(Ok(Values("Dentist", " 9:00AM", "10:00AM", " 8:45AM")), "");
  EXPECT_FALSE(result.written);
  EXPECT_EQ(Read(context.editing).ChangeCount(), count);
  ASSERT_EQ(Ok(Values("Dentist", " 9:00AM", "10:00AM", " 8:50AM")), "");
  EXPECT_TRUE(result.written);
  // An entry deleted meanwhile is added again.
  ASSERT_EQ(SchedRemove(sched, context.editing), 1);
  ASSERT_EQ(Ok(Values("Dentist", " 9:30AM")), "");
  EXPECT_TRUE(result.written);
  EXPECT_NE(result.recordNumber, context.editing);
  EXPECT_EQ(Lines(alice, At(2027, 3, 15)), 1);
}

TEST_F(EntrySaveTest, SavingIntoSomeoneElsesScheduleTellsThemButTheCommonScheduleNobody) {
  context.owner = bob;
  context.ownerName = "BOB";
  EntryDialogValues v = Values("Review", " 2:00PM", " 3:00PM", " 1:45PM");
  v.note = "Room 4";
  v.sendUpdate = true;
  ASSERT_EQ(Ok(v), "") << result.afterSave;
  EXPECT_TRUE(result.afterSave.empty()) << result.afterSave;
  EXPECT_EQ(Flag(bob) & kFlagScheduleChanged, kFlagScheduleChanged);
  std::vector<MessageRecord> memos = Stored();
  ASSERT_EQ(memos.size(), 1u);
  EXPECT_EQ(memos[0].To(), "BOB");
  EXPECT_EQ(FieldText(memos[0].bytes, records::message::kMemoText),
            UpdateMemoText(result.record, false));
  // The common schedule gets neither flag nor memo.
  context.owner = kCommonScheduleOwner;
  context.ownerName = "* COMMON";
  v = Values("Fire drill", "11:00AM");
  v.sendUpdate = true;
  ASSERT_EQ(Ok(v), "");
  EXPECT_TRUE(result.afterSave.empty()) << result.afterSave;
  EXPECT_EQ(Stored().size(), 1u);
  EXPECT_EQ(Flag(-1), 0);
  EXPECT_EQ(result.record.Owner(), kCommonScheduleOwner);
}

TEST_F(EntrySaveTest, OwnEntriesRaiseNoFlagAndFindTheirAlarm) {
  StandOn(2027, 3, 15, 9, 0);
  ASSERT_EQ(Ok(Values("Call Lang", "11:00AM", "", "10:50AM")), "");
  EXPECT_EQ(Flag(alice), 0);
  EXPECT_EQ(CurrentAlarm().description, "Call Lang");
  EXPECT_EQ(CurrentAlarm().hour, 10);
  CurrentAlarm() = AlarmState();
}

TEST_F(EntrySaveTest, EditingARepeatedEntryAsksOnlyWhenMoreThanItsDateChanged) {
  int32_t first = Add(InGroup(Entry(alice, At(2027, 3, 15, 9), "Weekly"), 5));
  int32_t second = Add(InGroup(Entry(alice, At(2027, 3, 22, 9), "Weekly"), 5));

  context.editing = first;
  ASSERT_EQ(Ok(Values("Weekly", " 9:00AM", "", "", At(2027, 3, 16))), "");
  EXPECT_TRUE(questions.empty());

  answer = true;
  ASSERT_EQ(Ok(Values("Weekly sync", " 9:00AM", "", "", At(2027, 3, 16))), "");
  EXPECT_EQ(questions, (std::vector<std::string>{"Change repeating items?"}));
  // The others keep their dates.
  EXPECT_EQ(Read(second).Description() + " " + EntryTimes(Read(second)),
            "Weekly sync 3-22 09:00 grouped");

  answer = false;
  ASSERT_EQ(Ok(Values("Weekly standup", "10:00AM")), "");
  EXPECT_EQ(Read(second).Description(), "Weekly sync") << "No changes the edited entry alone";
}

TEST_F(EntrySaveTest, ARepeatKindGeneratesAfterTheSave) {
  RepeatRules& rules = CurrentRepeatRules();
  rules.daily.every = 1;
  rules.daily.until = At(2027, 3, 17, 23, 59, 59);
  EntryDialogValues v = Values("Daily check", " 8:00AM");
  v.repeatKind = kRepeatDaily;
  ASSERT_EQ(Ok(v), "") << result.afterSave;
  EXPECT_EQ(result.repeats.added, 2);
  EXPECT_NE(result.record.RepeatGroup(), 0);
  EXPECT_EQ(Lines(alice, At(2027, 3, 16)), 1);
  EXPECT_EQ(Lines(alice, At(2027, 3, 17)), 1);
  EXPECT_EQ(Lines(alice, At(2027, 3, 18)), 0);
  rules = RepeatRules();
}

}  // namespace
