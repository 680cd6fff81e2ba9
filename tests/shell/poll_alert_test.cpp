// The poll and alert machine driven tick by tick against real flag files in
// a temporary data directory, with a window that records what it is asked
// to do; and over the real schedule: alarms of the user's own entries ring
// when due, and an entry another person adds to the user's schedule is
// found through bit 4 of the flag file.
#include "shell/poll_alert.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "data/office/datadir.h"
#include "data/office/flags.h"
#include "data/schedule/sched_alarm.h"
#include "storage/errors.h"
#include "tests/data/schedule/sched_office_fixture.h"
#include "tests/shell/recording_window.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int32_t kUser = 5;

using Effects = std::vector<std::string>;

class PollAlertTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::mkdir(share.c_str(), 0777), 0);
    SetDataDirectory(share);
    config.flagPath = FlagFilePath(share, kUser);
    config.user = kUser;
    config.pollTicks = 8;
    alarms.due = [this] { return alarmDue; };
    alarms.search = [this] { ++alarmSearches; };
  }
  void TearDown() override {
    SetDataDirectory("");
    ClearAppError();
  }

  PollAlert& Machine() {
    if (!machine) machine = std::make_unique<PollAlert>(config, window, alarms);
    return *machine;
  }
  void Start() {
    window.NextTick();
    Machine().Start();
  }
  void Tick(int times = 1) {
    for (int i = 0; i < times; ++i) {
      window.NextTick();
      Machine().Tick();
    }
  }
  void PollAtOnce() {
    window.NextTick();
    Machine().PollAtOnce();
  }
  void AlarmShown() {
    window.NextTick();
    Machine().AlarmShown();
  }
  // Sets the flag file to the value as another workstation would.
  void Flag(int bit) { ASSERT_EQ(SetFlag(bit, true, kUser), 1) << FormatAppError(); }
  void Clear(int bit) { ASSERT_EQ(SetFlag(bit, false, kUser), 1) << FormatAppError(); }
  int FlagNow() { return GetFlagValue(config.flagPath); }

  TempDir dir;
  std::string share = dir.File("share/");
  PollAlertConfig config;
  AlarmHooks alarms;
  bool alarmDue = false;
  int alarmSearches = 0;
  RecordingWindow window;
  std::unique_ptr<PollAlert> machine;
};

TEST_F(PollAlertTest, WithoutAFlagFileNothingHappensButTheTakeWindowsClock) {
  Start();
  Tick(8);
  // Normal ticks add four half seconds: every third tick passes ten.
  EXPECT_EQ(window.takeTimeRefreshes, 3);
  Tick(32);
  EXPECT_EQ(Machine().Level(), 0);
  EXPECT_FALSE(Machine().AlertRunning());
  for (const auto& tick : window.ticks) EXPECT_EQ(tick, Effects{});
  EXPECT_EQ(Machine().TimerInterval(), 2000);
  EXPECT_EQ(alarmSearches, 1);  // at start only
}

TEST_F(PollAlertTest, TheFirstTickPollsAndAMessageStartsTheAlertWithItsSound) {
  config.messageSound = "ding.wav";
  config.urgentSound = "siren.wav";
  // An urgent message blinks red, raises the window and plays the urgent sound.
  const struct {
    int flag, level;
    Effects start, tick;
  } cases[] = {{kFlagNewMessage,
                1,
                {"icon ICON_2", "view normal", "show", "timer 500", "blink view green", "flash",
                 "sound ding.wav"},
                {"blink view green", "flash"}},
               {kFlagUrgentMessage,
                2,
                {"icon ICON_7", "view urgent", "show top-most", "timer 500", "blink view red",
                 "flash", "sound siren.wav"},
                {"blink view red", "flash"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.level);
    machine.reset();
    window.ticks.clear();
    Flag(c.flag);
    Start();
    EXPECT_EQ(Machine().Level(), c.level);
    EXPECT_EQ(window.Last(), c.start);
    // The sound played: no beeps after it, the blinking goes on.
    Tick(5);
    for (size_t i = 1; i < window.ticks.size(); ++i) EXPECT_EQ(window.ticks[i], c.tick);
    // A one-time sound sounds only once.
    Tick(20000);
    EXPECT_EQ(window.Count(c.start.back()), 1);
    Clear(c.flag);
  }
}

TEST_F(PollAlertTest, AnAlertWithoutASoundGivesThreeBeepsHalfASecondApart) {
  Flag(kFlagNewMessage);
  Start();
  Tick(20);
  EXPECT_EQ(window.TicksWith("beep"), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(window.Count("blink view green"), 21);
  // Urgent beeps are exclamations.
  machine.reset();
  window.ticks.clear();
  Clear(kFlagNewMessage);
  Flag(kFlagUrgentMessage);
  Start();
  Tick(3);
  EXPECT_EQ(window.TicksWith("beep exclamation"), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(window.Count("beep"), 0);
}

TEST_F(PollAlertTest, ASoundThatCannotPlayFallsBackToBeeps) {
  config.messageSound = "missing.wav";
  window.soundPlays = false;
  Flag(kFlagNewMessage);
  Start();
  Tick(5);
  EXPECT_EQ(window.TicksWith("sound missing.wav"), (std::vector<int>{1}));
  EXPECT_EQ(window.TicksWith("beep"), (std::vector<int>{1, 2, 3}));
}

TEST_F(PollAlertTest, AnUrgentMessageArrivingDuringAnAlertRestartsItsSound) {
  config.messageSound = "ding.wav";
  config.urgentSound = "siren.wav";
  Flag(kFlagNewMessage);
  Start();
  Tick(10);
  Flag(kFlagUrgentMessage);
  // Polls run on every fourth fast tick and every eighth of those.
  Tick(40);
  EXPECT_EQ(Machine().Level(), 3);
  EXPECT_EQ(window.Count("sound siren.wav"), 1);
  EXPECT_EQ(window.Count("icon ICON_7"), 1);
  EXPECT_EQ(window.Count("timer 500"), 1);  // the alert was already running
}

TEST_F(PollAlertTest, TheAlertEndsWhenTheMessagesHaveBeenSeen) {
  Flag(kFlagNewMessage);
  Start();
  Tick(3);
  Clear(kFlagNewMessage);  // the user opened the New view
  PollAtOnce();
  EXPECT_EQ(Machine().Level(), 0);
  EXPECT_FALSE(Machine().AlertRunning());
  EXPECT_EQ(window.Last(), (Effects{"icon ICON_1", "view normal", "stop blinking", "stop flashing",
                                    "timer 2000", "not top-most"}));
  Tick(20);
  EXPECT_EQ(window.Last(), Effects{});
}

// Where the window is decides how the alert shows: what the first poll
// asks, what each tick after it asks, and what the alert's end asks.
TEST_F(PollAlertTest, WhereTheWindowIsDecidesHowTheAlertShows) {
  const struct {
    const char* what;
    WindowFacts facts;
    int flag;
    Effects start, tick, end;
  } cases[] = {
      // Top-most: the caption does not flash; the end puts it back above others.
      {"always on top",
       {.floating = true, .topMost = true, .alwaysOnTop = true},
       kFlagNewMessage,
       {"icon ICON_2", "view normal", "show", "timer 500", "blink view green", "beep"},
       {"blink view green", "beep"},
       {"icon ICON_1", "view normal", "stop blinking", "stop flashing", "timer 2000", "top-most"}},
      // Minimised: only the caption flashes, and the end leaves it minimised.
      {"minimised",
       {.minimised = true},
       kFlagNewMessage,
       {"icon ICON_2", "view normal", "show", "timer 500", "flash", "beep"},
       {"flash", "beep"},
       {"icon ICON_1", "view normal", "stop blinking", "stop flashing", "timer 2000",
        "show minimised"}},
      // The full application in front blinks without flashing or raising.
      {"full and in front",
       {.foreground = true, .visibleModeless = 1},
       kFlagUrgentMessage,
       {"icon ICON_7", "view urgent", "timer 500", "blink view red", "beep exclamation"},
       {"blink view red", "beep exclamation"},
       {"icon ICON_1", "view normal", "stop blinking", "stop flashing", "timer 2000"}},
      // One visible modeless window raises the toolbar for any message.
      {"a modeless window",
       {.floating = true, .visibleModeless = 1},
       kFlagNewMessage,
       {"icon ICON_2", "view normal", "show top-most", "timer 500", "blink view green", "flash",
        "beep"},
       {"blink view green", "flash", "beep"},
       {"icon ICON_1", "view normal", "stop blinking", "stop flashing", "timer 2000",
        "not top-most"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    machine.reset();
    window.facts = c.facts;
    Flag(c.flag);
    Start();
    EXPECT_EQ(window.Last(), c.start);
    Tick();
    EXPECT_EQ(window.Last(), c.tick);
    Clear(c.flag);
    PollAtOnce();
    EXPECT_EQ(window.Last(), c.end);
  }
}

TEST_F(PollAlertTest, SoundNoneBlinksAndFlashesButNeverSounds) {
  config.soundRepeat = kSoundNone;
  config.messageSound = "ding.wav";
  Flag(kFlagNewMessage);
  Start();
  Tick(3000);
  Flag(kFlagUrgentMessage);
  Tick(100);
  EXPECT_EQ(Machine().Level(), 3);
  EXPECT_EQ(window.Count("sound ding.wav"), 0);
  EXPECT_EQ(window.Count("beep"), 0);
  EXPECT_EQ(window.Count("beep exclamation"), 0);
  EXPECT_EQ(window.Count("blink view green") + window.Count("blink view red"), 3101);
  EXPECT_EQ(window.Count("flash"), 3101);
}

TEST_F(PollAlertTest, EveryMinuteRepeatsTheSoundOrTheThreeBeepsWithinAMinute) {
  config.soundRepeat = kSoundEveryMinute;
  config.messageSound = "ding.wav";
  Flag(kFlagNewMessage);
  Start();
  Tick(599);  // five minutes of 500 ms ticks
  std::vector<int> at = window.TicksWith("sound ding.wav");
  ASSERT_GE(at.size(), 5u);
  for (size_t i = 1; i < at.size(); ++i) {
    EXPECT_LE(at[i] - at[i - 1], 121);
    EXPECT_GE(at[i] - at[i - 1], 110);
  }
  // Without a sound file the three beeps come again.
  machine.reset();
  window.ticks.clear();
  config.messageSound = "";
  Start();
  Tick(130);
  at = window.TicksWith("beep");
  ASSERT_EQ(at.size(), 6u);
  EXPECT_EQ(at[3] - at[0], 121);
}

TEST_F(PollAlertTest, TheRepeatLimitsFollowTheSoundOption) {
  // A damaged option byte (7) does not make the alert nag.
  const std::pair<int, int32_t> limits[] = {
      {kSoundOneTime, INT32_MAX},  {kSoundEvery5Minutes, 600}, {kSoundEvery15Minutes, 1800},
      {kSoundEveryHalfHour, 3600}, {kSoundEveryHour, 7200},    {7, INT32_MAX}};
  for (auto [option, ticks] : limits) EXPECT_EQ(RepeatLimitTicks(option), ticks) << option;
}

TEST_F(PollAlertTest, AFlagSetAfterAPollIsSeenAtTheNextPoll) {
  Start();
  Flag(kFlagNewMessage);
  Tick(7);
  EXPECT_EQ(Machine().Level(), 0);
  Tick();
  EXPECT_EQ(Machine().Level(), 1);
}

TEST_F(PollAlertTest, DuringAnAlertPollsKeepTheirTwoSecondPace) {
  config.pollTicks = 2;
  Flag(kFlagNewMessage);
  Start();
  // Polls now come on fast ticks 4, 8, ...: every other one reads the file.
  Clear(kFlagNewMessage);
  Tick(7);
  EXPECT_EQ(Machine().Level(), 1);
  Tick();
  EXPECT_EQ(Machine().Level(), 0);
}

// Notify off is AlarmAlertTest's.
TEST_F(PollAlertTest, NoPollingWithIntervalZero) {
  Flag(kFlagUrgentMessage);
  config.pollTicks = 0;
  Start();
  Tick(100);
  EXPECT_EQ(Machine().Level(), 0);
  EXPECT_EQ(window.Count("blink view red"), 0);
}

TEST_F(PollAlertTest, AScheduleChangeSearchesTheAlarmAgainAndClearsOnlyItsBit) {
  Start();
  EXPECT_EQ(alarmSearches, 1);
  Flag(kFlagScheduleChanged);
  Flag(kFlagNewMessage);
  Tick(8);
  EXPECT_EQ(alarmSearches, 2);
  EXPECT_EQ(FlagNow(), kFlagNewMessage);
  EXPECT_EQ(Machine().LastFlagValue(), kFlagNewMessage);
  EXPECT_EQ(Machine().Level(), 1);
  Tick(100);
  EXPECT_EQ(alarmSearches, 2);
}

TEST_F(PollAlertTest, AScheduleChangeBlinksTheSchedulerQuietlyUntilTheSchedulerIsOpened) {
  Start();
  Flag(kFlagScheduleChanged);
  Tick(8);
  EXPECT_TRUE(Machine().ScheduleChanged());
  EXPECT_FALSE(Machine().AlertRunning());
  Tick(10);
  EXPECT_EQ(window.Count("blink scheduler"), 11);
  EXPECT_EQ(window.Count("beep"), 0);
  EXPECT_EQ(window.Count("timer 500"), 0);
  window.NextTick();
  Machine().ScheduleShown();
  EXPECT_EQ(window.Last(), Effects{"stop blinking"});
  Tick(10);
  EXPECT_EQ(window.Count("blink scheduler"), 11);
  EXPECT_FALSE(Machine().ScheduleChanged());
}

TEST_F(PollAlertTest, ADueAlarmBlinksTheSchedulerUntilItIsShown) {
  config.alarmSound = "bell.wav";
  Start();
  alarmDue = true;
  Tick();
  EXPECT_TRUE(Machine().AlarmPending());
  EXPECT_EQ(window.Last(), (Effects{"icon ICON_3", "view normal", "show", "timer 500",
                                    "blink scheduler", "flash", "sound bell.wav"}));
  // A schedule change waits while the alarm is pending.
  Flag(kFlagScheduleChanged);
  Tick(40);
  EXPECT_EQ(FlagNow(), kFlagScheduleChanged);
  EXPECT_EQ(alarmSearches, 1);

  alarmDue = false;
  AlarmShown();
  EXPECT_FALSE(Machine().AlarmPending());
  EXPECT_FALSE(Machine().AlertRunning());
  EXPECT_EQ(alarmSearches, 2);
  Tick(40);
  EXPECT_EQ(FlagNow(), 0);
}

TEST_F(PollAlertTest, AnAlarmShownDuringAMessageAlertLeavesTheMessageAlert) {
  config.messageSound = "ding.wav";
  Flag(kFlagNewMessage);
  alarmDue = true;
  Start();
  EXPECT_EQ(window.Count("icon ICON_1"), 1);  // message and alarm together
  alarmDue = false;
  AlarmShown();
  EXPECT_TRUE(Machine().AlertRunning());
  EXPECT_EQ(window.Last(), (Effects{"icon ICON_2", "view normal", "stop blinking"}));
  Tick();
  EXPECT_EQ(window.Last(), (Effects{"blink view green", "flash"}));
}

TEST_F(PollAlertTest, MessagesSeenWhileAnAlarmRingsLeaveTheAlarmsLook) {
  Flag(kFlagNewMessage);
  alarmDue = true;
  Start();
  Tick();
  Clear(kFlagNewMessage);
  PollAtOnce();
  EXPECT_TRUE(Machine().AlertRunning());
  // The message part of the look goes; the scheduler blinks and beeps on.
  EXPECT_EQ(window.Last(), (Effects{"icon ICON_3", "view normal", "stop blinking",
                                    "blink scheduler", "flash", "beep"}));
}

TEST_F(PollAlertTest, AVanishedFlagFileIsNoNewsButAnUnreachableShareEndsTheProgram) {
  Flag(kFlagNewMessage);
  Start();
  Clear(kFlagNewMessage);  // the flag file is gone
  Tick(32);
  EXPECT_EQ(Machine().Level(), 0);
  EXPECT_FALSE(Machine().NetworkLost());

  // The share's directory can no longer be reached: a path that loops.
  ASSERT_EQ(::rmdir(share.c_str()), 0);
  ASSERT_EQ(::symlink("share", dir.File("share").c_str()), 0);
  Tick(7);
  EXPECT_FALSE(Machine().NetworkLost());
  Tick();
  EXPECT_TRUE(Machine().NetworkLost());
  EXPECT_EQ(window.Last(), Effects{"lost share"});
  EXPECT_EQ(window.lostShareMessage,
            "Warning: You have lost your network connection\nCheck to see if your server was "
            "rebooted or locked up for some reason. DESKpost will automatically shut down. You can "
            "reload it once you have re-established your network connection.");
  // Nothing more is polled or shown.
  Tick(20);
  EXPECT_EQ(window.Count("lost share"), 1);
  ::unlink(dir.File("share").c_str());
}

// ---- Alarms over the real schedule ----

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
