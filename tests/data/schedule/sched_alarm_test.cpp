// The alarm search and the due test: the earliest future alarm of today's
// own entries, shown once, and an alarm seen late passing over the next.
#include "data/schedule/sched_alarm.h"

#include <gtest/gtest.h>

#include <tuple>

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
  // The alarm as the window shows it: "[y-m-d h:m] start-end alarm text".
  static std::string Shown(const AlarmState& a) {
    return "[" + std::to_string(a.year) + "-" + std::to_string(a.month) + "-" +
           std::to_string(a.day) + " " + std::to_string(a.hour) + ":" + std::to_string(a.minute) +
           "] " + a.startText + "-" + a.endText + " " + a.alarmText + " " + a.description;
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
  EXPECT_EQ(Shown(a), "[2027-3-15 10:0] 10:15AM- 10:00AM Sooner");
  EXPECT_EQ(AlarmWindowTitle(a), "Alarm: 10:00AM");
  EXPECT_EQ(sched.open, true) << "the scheduler's table stays open";
}

TEST_F(AlarmTest, AnAlarmRingsOnceAndASlowUserMissesTheNext) {
  StandOn(2027, 3, 15, 9, 0);
  AddAlarm(10, 0, "Ten");
  AddAlarm(10, 30, "Half past");
  EXPECT_EQ(Search(false).description, "Ten");
  // Shown at 10:01: the search after OK finds 10:30.
  StandOn(2027, 3, 15, 10, 1);
  EXPECT_EQ(Search(false).description, "Half past");
  // Shown only at 10:45: 10:30 has passed and is never shown.
  StandOn(2027, 3, 15, 10, 45);
  EXPECT_FALSE(Search(false).HasAlarm());
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
  std::tie(a.year, a.month, a.day, a.hour, a.minute) = std::tuple(2027, 3, 15, 10, 30);
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
  EXPECT_EQ(Shown(Search()), "[2027-3-15 6:0] 12:00AM-  6:00AM Untimed with alarm");
}

}  // namespace
