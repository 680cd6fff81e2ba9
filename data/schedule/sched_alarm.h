// The signed-in user's alarm: which entry of today rings next, and whether
// it is due.
//
// Only the user's own schedule of the current day is searched; entries of
// the common schedule and of other people never ring here. There is no
// snooze: after an alarm has been shown the search looks only past the
// current time, so every alarm is shown once, and one that comes due while
// an earlier alarm waits unseen is passed over.
#pragma once

#include <cstdint>
#include <string>

#include "data/schedule/dpsched.h"

constexpr int kNoAlarmYear = 3000;

struct AlarmState {
  // When the next alarm rings, local time to the minute; year 3000 is none.
  int year = kNoAlarmYear;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  // What the alarm window shows: time texts of the entry's start (a start
  // at midnight shows 12:00AM), end and alarm, and its description.
  std::string startText;
  std::string endText;
  std::string alarmText;
  std::string description;
  // The alarm came due and has not been shown yet.
  bool pending = false;

  bool HasAlarm() const { return year != kNoAlarmYear; }
};

// The program's alarm state.
AlarmState& CurrentAlarm();

// Finds the user's next alarm: of today's entries (by the clock), the one
// whose alarm is later than now and earliest; of equal alarms the first in
// key order. The state is set to none first, so a failed search leaves no
// alarm. With an open handle (the scheduler's) it is used; otherwise
// "SCHED" is opened for the search and closed again. The pending flag is
// left as it was.
int SchedFindNextAlarm(SchedTable* handle, int32_t user, AlarmState* state);

// Whether the alarm is due at the time: the local year, month, day, hour
// and minute of now are the alarm's or past them. Never without an alarm.
bool AlarmDue(const AlarmState& state, int32_t now);

// "Alarm: %s" with the alarm time text: the alarm window's title.
std::string AlarmWindowTitle(const AlarmState& state);
