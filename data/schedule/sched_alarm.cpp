#include "data/schedule/sched_alarm.h"

#include <tuple>

#include "data/clock.h"
#include "data/local_time.h"
#include "data/schedule/sched_time_text.h"
#include "storage/errors.h"

AlarmState& CurrentAlarm() {
  static AlarmState state;
  return state;
}

namespace {

int Search(SchedTable& handle, int32_t user, AlarmState* state) {
  const int32_t now = ClockNow();
  const int32_t today = DayOf(now);
  const int32_t tomorrow = AddDays(today, 1);
  SchedKey key;
  SchedKey best;
  bool found = false;
  ClearAppError();
  int ok = SchedFindFirst(handle, today, user, &key);
  while (ok && key.Owner() == user && key.Start() < tomorrow) {
    // Strictly earlier wins, so of equal alarms the first in key order stays.
    if (key.Alarm() != 0 && key.Alarm() > now && (!found || key.Alarm() < best.Alarm())) {
      best = key;
      found = true;
    }
    ClearAppError();
    ok = SchedNext(handle, &key);
  }
  if (!ok && !(AppErrorCode() == kAppEndOfFile && DbGetError() == kDbOk)) return 0;
  ClearAppError();
  if (!found) return 1;

  SchedRecord record;
  if (!SchedRead(handle, best.RecordNumber(), &record)) {
    // Deleted a moment ago at another workstation: it rings no more.
    if (DbGetError() != kDbRecordDeleted) return 0;
    DbClearError();
    return 1;
  }
  LocalTime at = ToLocal(best.Alarm());
  state->year = at.year;
  state->month = at.month;
  state->day = at.day;
  state->hour = at.hour;
  state->minute = at.minute;
  state->startText = TimeFieldText(record.Start(), true);
  state->endText = TimeFieldText(record.End());
  state->alarmText = TimeFieldText(record.Alarm(), true);
  state->description = record.Description();
  return 1;
}

}  // namespace

int SchedFindNextAlarm(SchedTable* handle, int32_t user, AlarmState* state) {
  bool pending = state->pending;
  *state = AlarmState();
  state->pending = pending;
  SchedTable own;
  SchedTable* table = handle && handle->open ? handle : &own;
  if (table == &own && !SchedOpen(own)) return 0;
  int ok = Search(*table, user, state);
  if (!ok) {
    bool keepPending = state->pending;
    *state = AlarmState();
    state->pending = keepPending;
  }
  if (table == &own) {
    const AppError kept = CurrentAppError();
    SchedClose(own);
    if (!ok) RestoreAppError(kept);
  }
  return ok;
}

bool AlarmDue(const AlarmState& state, int32_t now) {
  if (!state.HasAlarm()) return false;
  LocalTime n = ToLocal(now);
  return std::tie(n.year, n.month, n.day, n.hour, n.minute) >=
         std::tie(state.year, state.month, state.day, state.hour, state.minute);
}

std::string AlarmWindowTitle(const AlarmState& state) {
  return "Alarm: " + state.alarmText;
}
