// Printed schedules: a person's day, weeks and month (or the office's
// common schedule) laid out on the page templates daily.wmf (continued on
// daily2.wmf), weekly.wmf and monthly.wmf of the data directory.
//
// The tables are read through the data layer; the data directory must be
// the one the process has started on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/schedule/sched_daylines.h"
#include "printing/template_page.h"

struct ScheduleRequest {
  std::string dataDirectory;  // ending in '/'
  int32_t owner = 0;          // a name number, or -1 for the common schedule
  std::string ownerName;      // Windows-1252, as the name table holds it
  int32_t day = 0;            // the day printed (any time of it)
  int32_t today = 0;          // marked on a day's calendars
  PresetHours presets;        // the empty hours a day shows
};

// The day on daily.wmf, then on daily2.wmf as long as items or to-do items
// are left. The schedule items of the day (with the empty preset hours)
// and the to-do list of the day (today's with the open items of earlier
// days) go into TIME, SCHDITEMS, TODAY and TODO.
PrintOutcome PrintDailySchedule(PrintTarget& target, const ScheduleRequest& request);

// One page of weekly.wmf for each week (Monday to Sunday) from the week of
// from to the week holding to. A Sunday belongs to the week after it.
PrintOutcome PrintWeeklySchedule(PrintTarget& target, const ScheduleRequest& request, int32_t from,
                                 int32_t to);

// The month of the request's day on one page of monthly.wmf.
PrintOutcome PrintMonthlySchedule(PrintTarget& target, const ScheduleRequest& request);

// The Monday of the printed week a day belongs to: a Sunday counts as the
// start of the week after it.
int32_t PrintWeekMonday(int32_t day);
