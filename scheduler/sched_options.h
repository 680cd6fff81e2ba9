// The scheduler's and the to-do list's settings of the workstation's INI
// file (section "DESKpost"), read the first time the scheduler opens, and
// whose schedule is shown first.
#pragma once

#include <cstdint>
#include <string>

#include "data/schedule/sched_daylines.h"

struct SchedOptions {
  bool autoRefresh = true;  // AutoRefresh: reload when the window is activated again
  bool sendUpdate = true;   // SchedSendUpdate: the update-memo box's default
  bool usePresets = false;  // UsePresets: the day view shows the preset hours
  PresetHours presets;      // PresetStart, PresetEnd
  std::string defaultSchedule;
  bool schedDelete = true;  // SchedDelete
  bool todoDelete = true;   // TodoDelete
  bool noShading = false;   // NoShading
};

SchedOptions ReadSchedOptions(const std::string& iniPath);
// UsePresets, written back when the day view closes; false when the file
// cannot be written.
bool WriteUsePresets(const std::string& iniPath, bool on);

// A schedule's owner: a name number and the name shown in the title.
struct ScheduleOwner {
  int32_t number = 0;
  std::string name;
};

// The owner the option DefaultSchedule names: upper-cased, "* - ALL" and
// "* COMMON" the common schedule, any other name looked up in the name
// table. False with the message "Could not find default schedule user: %s"
// when it is not there (owner left as it was).
bool DefaultScheduleOwner(const std::string& option, ScheduleOwner* owner, std::string* message);
