// The alarm search and the due test: the earliest future alarm of today's
// own entries, shown once, and an alarm seen late passing over the next.
#include "data/schedule/sched_alarm.h"

#include <gtest/gtest.h>

#include "tests/data/schedule/sched_office_fixture.h"

namespace {

class AlarmTest : public SchedOfficeTest {
 protected:
  AlarmState Search(bool useOpenTable = true) {
    AlarmState state;
    EXPECT_EQ(SchedFindNextAlarm(useOpenTable ? &sched : nullptr, alice, &state), 1)
        << FormatAppError();
    return state;
  }
  void AddAlarm(int hour, int minute, const std::string& text, int32_t owner = 0) {
    Add(Entry(owner ? owner : alice, At(2027, 3, 15, hour, minute + 15), text, 0,
              At(2027, 3, 15, hour, minute)));
  }
};

TEST_F(AlarmTest, TheEarliestFutureAlarmOfTodayIsNext) {
  StandOn(2027, 3, 15, 9, 0);
  AddAlarm(10, 30, "Later");
  AddAlarm(8, 30, "Past");
  AddAlarm(10, 0, "Sooner");
  AddAlarm(9, 30, "Someone else's", bob);
  Add(Entry(kCommonScheduleOwner, At(2027, 3, 15, 9, 45), "Office", 0, At(2027, 3, 15, 9, 40)));
  Add(Entry(alice, At(2027, 3, 16, 9, 45), "Tomorrow", 0, At(2027, 3, 16, 9, 10)));
  AlarmState a = Search();
  ASSERT_TRUE(a.HasAlarm());
  EXPECT_EQ(a.hour, 10);
  EXPECT_EQ(a.minute, 0);
  EXPECT_EQ(a.description, "Sooner");
  EXPECT_EQ(a.startText, "10:15AM");
  EXPECT_EQ(a.endText, "");
  EXPECT_EQ(a.alarmText, "10:00AM");
  EXPECT_EQ(AlarmWindowTitle(a), "Alarm: 10:00AM");
  EXPECT_EQ(sched.open, true) << "the scheduler's table stays open";
}

TEST_F(AlarmTest, AnAlarmRingsOnceAndASlowUserMissesTheNext) {
  StandOn(2027, 3, 15, 9, 0);
  AddAlarm(10, 0, "Ten");
  AddAlarm(10, 30, "Half past");
  AlarmState a = Search(false);
  EXPECT_EQ(a.description, "Ten");
  EXPECT_FALSE(AlarmDue(a, At(2027, 3, 15, 9, 59, 59)));
  EXPECT_TRUE(AlarmDue(a, At(2027, 3, 15, 10, 0)));
  EXPECT_TRUE(AlarmDue(a, At(2027, 3, 15, 10, 45)));

  // Shown at 10:01: the search after OK finds 10:30.
  StandOn(2027, 3, 15, 10, 1);
  EXPECT_EQ(Search(false).description, "Half past");
  // Shown only at 10:45: 10:30 has passed and is never shown.
  StandOn(2027, 3, 15, 10, 45);
  AlarmState late = Search(false);
  EXPECT_FALSE(late.HasAlarm());
  EXPECT_FALSE(AlarmDue(late, At(2027, 3, 15, 23, 59)));
}

TEST_F(AlarmTest, EqualAlarmsRingForTheFirstInKeyOrderAndASearchKeepsThePendingFlag) {
  StandOn(2027, 3, 15, 9, 0);
  Add(Entry(alice, At(2027, 3, 15, 11), "Second", 0, At(2027, 3, 15, 10)));
  Add(Entry(alice, At(2027, 3, 15, 10, 30), "First", 0, At(2027, 3, 15, 10)));
  // A search keeps the pending flag.
  AlarmState state;
  state.pending = true;
  ASSERT_EQ(SchedFindNextAlarm(&sched, alice, &state), 1);
  EXPECT_TRUE(state.pending);
  EXPECT_EQ(state.description, "First");
}

TEST_F(AlarmTest, AnAlarmAtTheCurrentMinuteHasPassed) {
  StandOn(2027, 3, 15, 10, 0);
  AddAlarm(10, 0, "Now");
  EXPECT_FALSE(Search().HasAlarm());
}

TEST_F(AlarmTest, DueIsComparedToTheMinuteFieldByField) {
  AlarmState a;
  a.year = 2027;
  a.month = 3;
  a.day = 15;
  a.hour = 10;
  a.minute = 30;
  EXPECT_FALSE(AlarmDue(a, At(2027, 3, 15, 10, 29, 59)));
  EXPECT_TRUE(AlarmDue(a, At(2027, 3, 15, 10, 30, 0)));
  EXPECT_TRUE(AlarmDue(a, At(2027, 3, 16, 0, 0)));
  EXPECT_TRUE(AlarmDue(a, At(2028, 1, 1, 0, 0)));
  EXPECT_FALSE(AlarmDue(a, At(2027, 2, 28, 23, 59)));
  EXPECT_FALSE(AlarmDue(AlarmState(), At(2037, 12, 31, 23, 59)));
}

TEST_F(AlarmTest, AMidnightStartShowsAsTwelveInTheAlarmWindow) {
  StandOn(2027, 3, 15, 0, 0);
  Add(Entry(alice, At(2027, 3, 15), "Untimed with alarm", 0, At(2027, 3, 15, 6, 0)));
  AlarmState a = Search();
  EXPECT_EQ(a.startText, "12:00AM");
  EXPECT_EQ(a.alarmText, " 6:00AM");
}

}  // namespace
