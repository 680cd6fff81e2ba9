// SHOWALARM ("Alarm: %s" with the alarm's time): the entry's start and end
// times and its description, and OK. There is no snooze: once it closes
// the next alarm is searched past the current time, so an alarm shows once.
#pragma once

#include "data/schedule/sched_alarm.h"
#include "toolkit/base_dialog.h"

class ShowAlarmDialog : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdStart = 101;
  static constexpr int kIdEnd = 102;
  static constexpr int kIdDescription = 103;
  ShowAlarmDialog(QWidget* owner, const AlarmState& alarm);
};
