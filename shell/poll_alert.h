// The main window's heartbeat: one timer that polls the user's flag file,
// checks whether an alarm is due, and runs the alert (blinking buttons, a
// sound or beeps, a flashing caption) until the user looks.
//
// The machine knows nothing of widgets. The window forwards every timer
// tick to Tick() and carries out what the machine asks of it through
// AlertWindow; the machine asks the window only the facts it needs (is it
// minimised, in front, top-most). The flag file is read through
// data/flags.h and the alarm through data/sched_alarm.h, both replaceable
// for tests.
//
// The timer runs every 2000 ms, and every 500 ms while an alert runs; a
// poll happens every pollTicks 2-second ticks (the alert keeps that pace
// by polling on every fourth fast tick).
#pragma once

#include <climits>
#include <cstdint>
#include <functional>
#include <string>

#include "data/office/dpmain.h"
#include "shell/workstation_settings.h"

constexpr int kNormalTimerMs = 2000;
constexpr int kAlertTimerMs = 500;
// The first tick polls: the count starts at or past any interval.
constexpr int32_t kFirstPollCount = INT32_MAX;

// The Sound option of the user's record (name record byte 52).
enum SoundRepeat {
  kSoundOneTime = 0,
  kSoundNone = 1,
  kSoundEveryMinute = 2,
  kSoundEvery5Minutes = 3,
  kSoundEvery15Minutes = 4,
  kSoundEveryHalfHour = 5,
  kSoundEveryHour = 6,
};
// In 500 ms alert ticks; "One time", "None" and unknown values never repeat.
int64_t RepeatLimitTicks(int soundRepeat);

enum class AlertIcon { kNormal, kMessage, kAlarm, kUrgent };  // ICON_1, ICON_2, ICON_3, ICON_7
enum class BlinkColour { kGreen, kRed };
enum class BeepKind { kPlain, kExclamation };

constexpr char kLostShareMessage[] =
    "Warning: You have lost your network connection\nCheck to see if your server was rebooted or "
    "locked up for some reason. DESKpost will automatically shut down. You can reload it once you "
    "have re-established your network connection.";

// What the machine needs to know of the window at the moment.
struct WindowFacts {
  bool floating = false;  // the floating toolbar is showing
  bool minimised = false;
  bool foreground = false;  // the main window is the foreground window
  bool topMost = false;
  bool alwaysOnTop = false;  // the AlwaysOnTop setting
  int visibleModeless = 0;   // the program's registered modeless windows now visible
};

// The window as the machine drives it.
class AlertWindow {
 public:
  virtual ~AlertWindow() = default;
  virtual WindowFacts Facts() = 0;
  virtual void SetTimerInterval(int milliseconds) = 0;
  virtual void SetIcon(AlertIcon icon) = 0;
  // The View button's picture: the urgent one or the normal one.
  virtual void SetViewPicture(bool urgent) = 0;
  // One blink step of a button; the window alternates the lit and plain
  // look on each call.
  virtual void BlinkView(BlinkColour colour) = 0;
  virtual void BlinkScheduler() = 0;
  // Both buttons back to their plain look.
  virtual void StopBlinking() = 0;
  // One flash of the caption; StopFlashing leaves it plain.
  virtual void FlashCaption() = 0;
  virtual void StopFlashing() = 0;
  // Plays the file asynchronously; false when it cannot be played.
  virtual bool PlaySound(const std::string& file) = 0;
  virtual void Beep(BeepKind kind) = 0;
  // Shows the window without activating it, top-most when asked.
  virtual void ShowWithoutActivating(bool topMost) = 0;
  // Shows the minimised window minimised, without activating it.
  virtual void ShowMinimisedWithoutActivating() = 0;
  virtual void SetTopMost(bool topMost) = 0;
  // Writes the current time into an open, visible Take window's time field.
  virtual void RefreshTakeTime() = 0;
  // Shows the warning and ends the program with exit code 1 (after the
  // settings are written).
  virtual void LostShare(const std::string& message) = 0;
};

// What the machine needs of the data layer for alarms.
struct AlarmHooks {
  // Whether the next alarm is due now.
  std::function<bool()> due;
  // Finds the next alarm again.
  std::function<void()> search;
};
// The hooks over data/sched_alarm.h: CurrentAlarm(), AlarmDue with
// ClockNow(), and SchedFindNextAlarm for the user.
AlarmHooks ScheduleAlarmHooks(int32_t user);

struct PollAlertConfig {
  std::string flagPath;   // the user's own flag file
  int32_t user = 0;       // the user's name number (to clear bit 4)
  int32_t pollTicks = 8;  // 0: no polling
  bool notify = true;     // the Notify option; Off neither polls nor alerts for messages
  int soundRepeat = kSoundOneTime;
  std::string urgentSound;
  std::string messageSound;
  std::string alarmSound;
};

// The machine's settings for the started user: the flag file and number,
// the Sound and Notify options of the user's record, the sounds of the
// workstation and the poll interval (WorkstationPollTicks).
PollAlertConfig MakePollAlertConfig(const UserState& user, const WorkstationSettings& settings,
                                    int32_t pollTicks);

class PollAlert {
 public:
  PollAlert(PollAlertConfig config, AlertWindow& window, AlarmHooks alarms);

  // Start-up: runs the alarm search and the first tick, which polls.
  void Start();
  // One timer tick.
  void Tick();
  // Polls on the next tick and runs it now, as the View command's urgent
  // case asks.
  void PollAtOnce();
  // The Scheduler command has shown the pending alarm: it is no longer
  // pending, the alert ends unless a message keeps it, and the next alarm
  // is searched.
  void AlarmShown();
  // The Scheduler command has opened the schedule someone else changed:
  // the Scheduler button stops blinking for it.
  void ScheduleShown();
  // The options were applied: the Notify and Sound options of the user's
  // record take effect from the next tick.
  void SetUserOptions(bool notify, int soundRepeat);

  // 0 none, 1 new message, 2 or 3 urgent.
  int Level() const { return level_; }
  bool AlarmPending() const { return alarmPending_; }
  // Someone else changed the schedule and the user has not looked yet.
  bool ScheduleChanged() const { return scheduleChanged_; }
  bool AlertRunning() const { return alertRunning_; }
  bool NetworkLost() const { return networkLost_; }
  int LastFlagValue() const { return lastFlag_; }
  int TimerInterval() const { return alertRunning_ ? kAlertTimerMs : kNormalTimerMs; }

 private:
  void RunTick(bool pollNow);
  // False when the share was lost.
  bool Poll();
  // The icon and the View button's picture for the level and the alarm.
  void ShowLook();
  void StartAlert();
  void EndAlertIfIdle();
  void AlertTick();
  const std::string& SoundFile() const;

  PollAlertConfig config_;
  AlertWindow& window_;
  AlarmHooks alarms_;
  int64_t repeatLimit_;

  int lastFlag_ = 0;
  int level_ = 0;
  bool alarmPending_ = false;
  bool scheduleChanged_ = false;
  bool alertRunning_ = false;
  int64_t alertTicks_ = 0;
  int32_t pollCount_ = kFirstPollCount;
  bool networkLost_ = false;
  int takeTimeCount_ = 0;
};
