#include "shell/poll_alert.h"

#include <climits>

#include "data/clock.h"
#include "data/office/flags.h"
#include "data/schedule/sched_alarm.h"
#include "storage/records/name.h"

namespace {

// The alert's first three fast ticks carry its sound or beeps.
constexpr int64_t kSoundTicks = 4;
// Polls during an alert come on every fourth 500 ms tick: a 2-second pace.
constexpr int64_t kTicksPerPoll = 4;
// The Take window's clock is refreshed when more than ten half seconds
// have gone by.
constexpr int kTakeTimeHalfSeconds = 10;

}  // namespace

int64_t RepeatLimitTicks(int soundRepeat) {
  switch (soundRepeat) {
    case kSoundEveryMinute:
      return 120;
    case kSoundEvery5Minutes:
      return 600;
    case kSoundEvery15Minutes:
      return 1800;
    case kSoundEveryHalfHour:
      return 3600;
    case kSoundEveryHour:
      return 7200;
    default:
      return INT32_MAX;
  }
}

AlarmHooks ScheduleAlarmHooks(int32_t user) {
  AlarmHooks hooks;
  hooks.due = [] {
    AlarmState& alarm = CurrentAlarm();
    if (!AlarmDue(alarm, ClockNow())) return false;
    alarm.pending = true;
    return true;
  };
  hooks.search = [user] {
    CurrentAlarm().pending = false;
    // A search that fails leaves no alarm; the next schedule change or
    // alarm shown searches again.
    SchedFindNextAlarm(nullptr, user, &CurrentAlarm());
  };
  return hooks;
}

PollAlertConfig MakePollAlertConfig(const UserState& user, const WorkstationSettings& settings,
                                    int32_t pollTicks) {
  namespace n = records::name;
  PollAlertConfig config;
  config.flagPath = user.flagPath;
  config.user = user.number;
  config.pollTicks = pollTicks;
  // Only the value that means Off silences the workstation: a damaged
  // option byte must not hide messages.
  config.notify = FieldByte(user.record.bytes, n::kNotify) != 1;
  config.soundRepeat = FieldByte(user.record.bytes, n::kSoundRepeat);
  config.urgentSound = settings.urgentSound;
  config.messageSound = settings.messageSound;
  config.alarmSound = settings.alarmSound;
  return config;
}

PollAlert::PollAlert(PollAlertConfig config, AlertWindow& window, AlarmHooks alarms)
    : config_(std::move(config)),
      window_(window),
      alarms_(std::move(alarms)),
      repeatLimit_(RepeatLimitTicks(config_.soundRepeat)) {}

void PollAlert::SetUserOptions(bool notify, int soundRepeat) {
  config_.notify = notify;
  config_.soundRepeat = soundRepeat;
  repeatLimit_ = RepeatLimitTicks(soundRepeat);
}

void PollAlert::Start() {
  if (alarms_.search) alarms_.search();
  Tick();
}

void PollAlert::PollAtOnce() {
  pollCount_ = kFirstPollCount;
  RunTick(true);
}

void PollAlert::Tick() {
  RunTick(false);
}

void PollAlert::RunTick(bool pollNow) {
  // 1. The Take window's clock.
  takeTimeCount_ += alertRunning_ ? 1 : 4;
  if (takeTimeCount_ > kTakeTimeHalfSeconds) {
    takeTimeCount_ = 0;
    window_.RefreshTakeTime();
  }

  // 2. Poll the flag file.
  if (!networkLost_ && config_.notify && config_.pollTicks > 0 &&
      (pollNow || !alertRunning_ || alertTicks_ % kTicksPerPoll == 0)) {
    // The count is held at the interval so a huge interval cannot wrap it.
    if (pollCount_ < config_.pollTicks) ++pollCount_;
    if (pollCount_ >= config_.pollTicks) {
      pollCount_ = 0;
      if (!Poll()) return;
    }
  }
  if (networkLost_) return;

  // 3. A due alarm.
  if (!alarmPending_ && alarms_.due && alarms_.due()) {
    alarmPending_ = true;
    StartAlert();
  }

  // 4. Someone changed the schedule: the next alarm may be another one.
  if (!alarmPending_ && (lastFlag_ & kFlagScheduleChanged)) {
    if (alarms_.search) alarms_.search();
    // A flag that cannot be cleared now is seen again at the next poll.
    SetFlag(kFlagScheduleChanged, false, config_.user);
    lastFlag_ &= ~kFlagScheduleChanged;
    // The Scheduler button blinks until the user opens the scheduler; it
    // makes no sound, the change is no call to drop everything.
    scheduleChanged_ = true;
  }

  // 5. New and urgent messages.
  if (config_.notify) {
    const int messageBits = lastFlag_ & (kFlagNewMessage | kFlagUrgentMessage);
    if (messageBits == 0) {
      if (level_ != 0) {
        level_ = 0;
        EndAlertIfIdle();
      }
    } else if (messageBits != level_) {
      level_ = messageBits;
      StartAlert();
    }
  }

  // 6. The alert itself, or the Scheduler button's blink alone.
  if (alarmPending_ || level_ != 0) {
    AlertTick();
  } else if (scheduleChanged_) {
    window_.BlinkScheduler();
  }
}

bool PollAlert::Poll() {
  const int value = GetFlagValue(config_.flagPath);
  if (value == 0) {
    const SystemReason why = FlagFailure(config_.flagPath);
    // A missing file only means no news; any other failure to examine it
    // means the share itself is gone.
    if (why != SystemReason::kNone && why != SystemReason::kNotFound) {
      networkLost_ = true;
      window_.LostShare(kLostShareMessage);
      return false;
    }
  }
  lastFlag_ = value;
  return true;
}

void PollAlert::ShowLook() {
  AlertIcon icon = AlertIcon::kNormal;
  if (level_ >= 2) {
    icon = AlertIcon::kUrgent;
  } else if (level_ == 1 && !alarmPending_) {
    icon = AlertIcon::kMessage;
  } else if (alarmPending_ && level_ == 0) {
    icon = AlertIcon::kAlarm;
  }
  window_.SetIcon(icon);
  window_.SetViewPicture(level_ >= 2);
}

void PollAlert::StartAlert() {
  ShowLook();
  // With the Sound option "None" the count starts past the sound ticks.
  alertTicks_ = config_.soundRepeat == kSoundNone ? kSoundTicks + 1 : 0;
  if (alertRunning_) return;
  alertRunning_ = true;
  WindowFacts facts = window_.Facts();
  if (facts.floating || facts.minimised) {
    window_.ShowWithoutActivating(level_ >= 2 || facts.visibleModeless == 1);
  }
  window_.SetTimerInterval(kAlertTimerMs);
}

void PollAlert::EndAlertIfIdle() {
  if (!alertRunning_) return;
  if (alarmPending_) {
    // The alarm still rings; only the message part of the look goes.
    ShowLook();
    window_.StopBlinking();
    return;
  }
  alertRunning_ = false;
  window_.SetIcon(AlertIcon::kNormal);
  window_.SetViewPicture(false);
  window_.StopBlinking();
  window_.StopFlashing();
  window_.SetTimerInterval(kNormalTimerMs);
  WindowFacts facts = window_.Facts();
  if (facts.minimised) window_.ShowMinimisedWithoutActivating();
  if (facts.floating) window_.SetTopMost(facts.alwaysOnTop);
}

void PollAlert::AlertTick() {
  WindowFacts facts = window_.Facts();
  if (facts.minimised) {
    window_.FlashCaption();
  } else {
    if (level_ != 0) window_.BlinkView(level_ >= 2 ? BlinkColour::kRed : BlinkColour::kGreen);
    if (alarmPending_ || scheduleChanged_) window_.BlinkScheduler();
    if (!facts.foreground && !facts.topMost) window_.FlashCaption();
  }
  ++alertTicks_;
  if (alertTicks_ < kSoundTicks) {
    const std::string& file = SoundFile();
    if (alertTicks_ == 1 && !file.empty() && window_.PlaySound(file)) {
      alertTicks_ = kSoundTicks;
    } else {
      window_.Beep(level_ >= 2 ? BeepKind::kExclamation : BeepKind::kPlain);
    }
  }
  if (alertTicks_ > repeatLimit_) alertTicks_ = 0;
}

const std::string& PollAlert::SoundFile() const {
  if (level_ >= 2) return config_.urgentSound;
  if (level_ == 1) return config_.messageSound;
  return config_.alarmSound;
}

void PollAlert::AlarmShown() {
  if (!alarmPending_) return;
  alarmPending_ = false;
  if (level_ == 0) {
    EndAlertIfIdle();
  } else {
    // The message alert goes on, with its own icon and without the
    // Scheduler button's blink.
    ShowLook();
    window_.StopBlinking();
  }
  if (alarms_.search) alarms_.search();
}

void PollAlert::ScheduleShown() {
  if (!scheduleChanged_) return;
  scheduleChanged_ = false;
  // A pending alarm keeps the button blinking; a message alert blinks
  // View again on its next tick.
  if (!alarmPending_) window_.StopBlinking();
}
