// The alert machine over the real schedule: alarms of the user's own
// entries ring when due, and an entry another person adds to the user's
// schedule is found through bit 4 of the flag file.
#include <gtest/gtest.h>

#include "data/office/flags.h"
#include "data/schedule/sched_alarm.h"
#include "shell/poll_alert.h"
#include "tests/data/schedule/sched_office_fixture.h"
#include "tests/shell/recording_window.h"

namespace {

namespace n = records::name;

class AlarmAlertTest : public SchedOfficeTest {
 protected:
  void SetUp() override {
    SchedOfficeTest::SetUp();
    CurrentAlarm() = AlarmState();
    user.number = alice;
    user.flagPath = FlagFilePath(dir.Path(), alice);
    settings.alarmSound = "bell.wav";
  }
  void TearDown() override {
    CurrentAlarm() = AlarmState();
    SchedOfficeTest::TearDown();
  }
  PollAlert& Alice() {
    if (!machine) {
      machine = std::make_unique<PollAlert>(MakePollAlertConfig(user, settings, 8), window,
                                            ScheduleAlarmHooks(alice));
      machine->Start();
    }
    return *machine;
  }

  UserState user;
  WorkstationSettings settings;
  RecordingWindow window;
  std::unique_ptr<PollAlert> machine;
};

TEST_F(AlarmAlertTest, AnAlarmRingsAtItsMinuteAndTheNextIsFoundWhenItIsShown) {
  Add(Entry(alice, At(2027, 3, 15, 10, 15), "Dentist", 0, At(2027, 3, 15, 10, 0)));
  Add(Entry(alice, At(2027, 3, 15, 11, 15), "Lunch", 0, At(2027, 3, 15, 11, 0)));
  StandOn(2027, 3, 15, 9, 59);
  Alice().Tick();
  EXPECT_FALSE(Alice().AlarmPending());

  StandOn(2027, 3, 15, 10, 0);
  Alice().Tick();
  EXPECT_TRUE(Alice().AlarmPending());
  EXPECT_TRUE(CurrentAlarm().pending);
  EXPECT_EQ(CurrentAlarm().description, "Dentist");
  EXPECT_EQ(window.Count("sound bell.wav"), 1);
  EXPECT_EQ(window.timer, 500);
  Alice().Tick();
  EXPECT_EQ(window.Count("blink scheduler"), 2);

  StandOn(2027, 3, 15, 10, 2);
  Alice().AlarmShown();
  EXPECT_FALSE(Alice().AlertRunning());
  EXPECT_EQ(window.timer, 2000);
  EXPECT_FALSE(CurrentAlarm().pending);
  EXPECT_EQ(CurrentAlarm().description, "Lunch");
}

TEST_F(AlarmAlertTest, AnEntryAddedBySomeoneElseRingsAfterTheNextPoll) {
  StandOn(2027, 3, 15, 9, 0);
  Alice();
  EXPECT_FALSE(CurrentAlarm().HasAlarm());
  // BOB's workstation stores an entry in ALICE's schedule and raises bit 4.
  Add(Entry(alice, At(2027, 3, 15, 9, 30), "Meeting", 0, At(2027, 3, 15, 9, 20)));
  ASSERT_EQ(SetFlag(kFlagScheduleChanged, true, alice), 1);
  for (int i = 0; i < 8; ++i) Alice().Tick();
  EXPECT_EQ(CurrentAlarm().description, "Meeting");
  EXPECT_EQ(Flag(alice), 0);
  EXPECT_FALSE(Alice().AlarmPending());

  StandOn(2027, 3, 15, 9, 20);
  Alice().Tick();
  EXPECT_TRUE(Alice().AlarmPending());
}

TEST_F(AlarmAlertTest, NotifyOffNeitherPollsNorAlertsForMessagesButAlarmsStillRing) {
  SetFieldByte(user.record.bytes, n::kNotify, 1);
  Add(Entry(alice, At(2027, 3, 15, 9, 15), "Call", 0, At(2027, 3, 15, 9, 5)));
  ASSERT_EQ(SetFlag(kFlagUrgentMessage, true, alice), 1);
  for (int i = 0; i < 20; ++i) Alice().Tick();
  EXPECT_EQ(Alice().Level(), 0);
  StandOn(2027, 3, 15, 9, 5);
  Alice().Tick();
  EXPECT_TRUE(Alice().AlarmPending());
}

TEST(PollAlertConfig, TheUsersOptionsAndTheWorkstationsSoundsAreTaken) {
  UserState user;
  user.number = 12;
  user.flagPath = "/office/12.nam";
  SetFieldByte(user.record.bytes, n::kSoundRepeat, kSoundEvery15Minutes);
  WorkstationSettings settings;
  settings.urgentSound = "siren.wav";
  PollAlertConfig c = MakePollAlertConfig(user, settings, 3);
  EXPECT_EQ(c.flagPath, "/office/12.nam");
  EXPECT_EQ(c.user, 12);
  EXPECT_EQ(c.pollTicks, 3);
  EXPECT_TRUE(c.notify);
  EXPECT_EQ(c.soundRepeat, kSoundEvery15Minutes);
  EXPECT_EQ(c.urgentSound, "siren.wav");
  // Only 1 means Off.
  SetFieldByte(user.record.bytes, n::kNotify, 1);
  EXPECT_FALSE(MakePollAlertConfig(user, settings, 3).notify);
  SetFieldByte(user.record.bytes, n::kNotify, 200);
  EXPECT_TRUE(MakePollAlertConfig(user, settings, 3).notify);
}

}  // namespace
