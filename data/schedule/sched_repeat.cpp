#include "data/schedule/sched_repeat.h"

#include <algorithm>

#include "data/local_time.h"
#include "storage/errors.h"

namespace {

// Adds one generated entry on the candidate's date. Answers 1 to go on
// (added, or already there), 0 to stop; *full tells a full day.
int AddOn(SchedTable& handle, const SchedRecord& entry, int32_t start, RepeatOutcome& outcome) {
  int32_t day = DayOf(start);
  SchedRecord copy = entry;
  copy.SetStart(start);
  copy.SetEnd(MoveToDate(entry.End(), day));
  copy.SetAlarm(MoveToDate(entry.Alarm(), day));
  copy.SetUniqueId(0);
  copy.SetChangeCount(0);
  if (SchedAdd(handle, copy)) {
    ++outcome.added;
    if (TimeOfDay(start) != TimeOfDay(entry.Start())) outcome.moved.push_back(start);
    return 1;
  }
  if (SchedDuplicate()) {
    ClearAppError();
    return 1;
  }
  if (AppErrorCode() == kAppMaxRecords) outcome.stoppedFull = true;
  return 0;
}

// How a generation ends: stopping at a full day is a normal end, with what
// was added kept and nothing to tell; any other stop is a failure.
int Finish(const RepeatOutcome& outcome, RepeatOutcome* out, int ok) {
  if (out) *out = outcome;
  if (ok) return 1;
  if (outcome.stoppedFull) {
    ClearAppError();
    return 1;
  }
  return 0;
}

// Months are walked as (year, month) pairs up to the until date's month,
// whose year counts as 2037 at most.
struct MonthWalk {
  int year;
  int month;
  int lastYear;
  int lastMonth;
  bool Done() const { return year > lastYear || (year == lastYear && month > lastMonth); }
  void Next() {
    if (++month > 12) {
      month = 1;
      ++year;
    }
  }
};

MonthWalk WalkFor(int32_t start, int32_t until) {
  LocalTime s = ToLocal(start);
  LocalTime u = ToLocal(until);
  return MonthWalk{s.year, s.month, std::min(u.year, 2037), u.month};
}

int WeekdayOfFirst(int year, int month) {
  return ToLocal(FromLocal(year, month, 1, 12)).weekday;
}

const char* const kOccurrenceNames[5] = {"1st", "2nd", "3rd", "4th", "Last"};

}  // namespace

RepeatRules& CurrentRepeatRules() {
  static RepeatRules rules;
  return rules;
}

int RepeatEnsureGroup(SchedTable& handle, int32_t recordNumber, SchedRecord& entry) {
  if (!HandleReady(handle)) return 0;
  if (entry.RepeatGroup() != 0) return 1;
  uint32_t number = 0;
  if (!GetUniqueNumber(handle.table, &number)) return 0;
  SchedRecord grouped = entry;
  grouped.SetRepeatGroup(int32_t(number));
  if (!SchedUpdate(handle, recordNumber, grouped)) return 0;
  entry = grouped;
  return 1;
}

int RepeatDaily(SchedTable& handle, int32_t recordNumber, SchedRecord& entry, const DailyRule& rule,
                RepeatOutcome* out) {
  RepeatOutcome outcome;
  if (rule.until < rule.start || rule.every < 1) return Finish(outcome, out, 1);
  if (!RepeatEnsureGroup(handle, recordNumber, entry)) return Finish(outcome, out, 0);
  // Whole days are counted on the calendar, not as 86400 seconds, so the
  // entries keep their clock time across a daylight-saving change and an
  // untimed entry stays at midnight.
  LocalTime s = ToLocal(rule.start);
  for (int k = 1;; ++k) {
    int32_t t = FromLocal(s.year, s.month, s.day + k * rule.every, s.hour, s.minute, s.second);
    if (t <= rule.start || t > rule.until || t > kLastTimeValue) break;
    if (!AddOn(handle, entry, t, outcome)) return Finish(outcome, out, 0);
  }
  return Finish(outcome, out, 1);
}

int RepeatNthWeekday(SchedTable& handle, int32_t recordNumber, SchedRecord& entry,
                     const NthWeekdayRule& rule, RepeatOutcome* out) {
  RepeatOutcome outcome;
  if (rule.until < rule.start) return Finish(outcome, out, 1);
  if (!RepeatEnsureGroup(handle, recordNumber, entry)) return Finish(outcome, out, 0);
  LocalTime s = ToLocal(rule.start);
  for (MonthWalk m = WalkFor(rule.start, rule.until); !m.Done(); m.Next()) {
    if (rule.singleMonth && m.month != rule.month) continue;
    int first = WeekdayOfFirst(m.year, m.month);
    int length = DaysInMonth(m.year, m.month);
    for (int weekday = 0; weekday < 7; ++weekday) {
      if (!rule.weekday[weekday]) continue;
      int firstDay = 1 + (weekday - first + 7) % 7;
      int count = (length - firstDay) / 7 + 1;  // four or five
      for (int occurrence = 0; occurrence < 5; ++occurrence) {
        if (!rule.occurrence[occurrence]) continue;
        int nth = occurrence;
        if (occurrence == kOccurrenceLast) {
          nth = count - 1;
          // In a month of four such days the last is the 4th: once is enough.
          if (count == 4 && rule.occurrence[3]) continue;
        }
        int32_t t = FromLocal(m.year, m.month, firstDay + 7 * nth, s.hour, s.minute, s.second);
        if (t <= rule.start || t >= rule.until || t > kLastTimeValue) continue;
        if (!AddOn(handle, entry, t, outcome)) return Finish(outcome, out, 0);
      }
    }
  }
  return Finish(outcome, out, 1);
}

int RepeatDayOfMonth(SchedTable& handle, int32_t recordNumber, SchedRecord& entry,
                     const DayOfMonthRule& rule, RepeatOutcome* out) {
  RepeatOutcome outcome;
  if (rule.until < rule.start) return Finish(outcome, out, 1);
  if (!RepeatEnsureGroup(handle, recordNumber, entry)) return Finish(outcome, out, 0);
  LocalTime s = ToLocal(rule.start);
  // Whole months are walked: the day may lie before the start in the first
  // month, or after the until date in the last.
  for (MonthWalk m = WalkFor(rule.start, rule.until); !m.Done(); m.Next()) {
    if (!rule.month[m.month - 1]) continue;
    // 31 April would be 1 May: a month without the day is passed over.
    if (rule.day < 1 || rule.day > DaysInMonth(m.year, m.month)) continue;
    int32_t t = FromLocal(m.year, m.month, rule.day, s.hour, s.minute, s.second);
    if (t == rule.start || t <= 0 || t > kLastTimeValue) continue;
    if (!AddOn(handle, entry, t, outcome)) return Finish(outcome, out, 0);
  }
  return Finish(outcome, out, 1);
}

int RepeatGenerate(SchedTable& handle, int32_t recordNumber, SchedRecord& entry, int kind,
                   RepeatRules& rules, RepeatOutcome* outcome) {
  switch (kind) {
    case kRepeatDaily:
      rules.daily.start = entry.Start();
      return RepeatDaily(handle, recordNumber, entry, rules.daily, outcome);
    case kRepeatWeekly:
      rules.nthWeekday.start = entry.Start();
      return RepeatNthWeekday(handle, recordNumber, entry, rules.nthWeekday, outcome);
    case kRepeatMonthly:
      rules.dayOfMonth.start = entry.Start();
      return RepeatDayOfMonth(handle, recordNumber, entry, rules.dayOfMonth, outcome);
    case kRepeatYearly:
      if (rules.yearlyMode == kYearlyByDate) {
        rules.dayOfMonth.start = entry.Start();
        return RepeatDayOfMonth(handle, recordNumber, entry, rules.dayOfMonth, outcome);
      }
      rules.nthWeekday.start = entry.Start();
      return RepeatNthWeekday(handle, recordNumber, entry, rules.nthWeekday, outcome);
    default:
      if (outcome) *outcome = RepeatOutcome{};
      return 1;
  }
}

bool RepeatEditConcernsGroup(const SchedRecord& stored, const SchedRecord& edited) {
  // 0 (none) and a time of day are told apart: adding or dropping an end
  // time or an alarm counts.
  auto clock = [](int32_t time) { return time == 0 ? -1 : TimeOfDay(time); };
  return clock(stored.Start()) != clock(edited.Start()) ||
         clock(stored.End()) != clock(edited.End()) ||
         clock(stored.Alarm()) != clock(edited.Alarm()) ||
         stored.Description() != edited.Description() || stored.Note() != edited.Note();
}

int32_t RepeatDefaultUntil(int32_t start, int32_t selectedDay) {
  // 366 days on, counted on the calendar so that a daylight-saving change
  // in between cannot move the date shown by a day.
  return AddDays(start != 0 ? start : selectedDay, 366);
}

int RepeatConfirmUntil(int32_t untilDay, int32_t* until, std::string* message) {
  LocalTime d = ToLocal(untilDay);
  if (d.year < 1980 || d.year > 2037) {
    *message = "Invalid date.";
    return 0;
  }
  *until = FromLocal(d.year, d.month, d.day, 23, 59, 59);
  return 1;
}

int RepeatOccurrenceOfDay(int dayOfMonth) {
  return (dayOfMonth - 1) / 7;
}

const char* RepeatOccurrenceName(int occurrence) {
  if (occurrence < 0 || occurrence > kOccurrenceLast) return "";
  return kOccurrenceNames[occurrence];
}

std::string RepeatDayName(int day) {
  const char* suffix = "th";
  if (day % 10 == 1 && day != 11) suffix = "st";
  if (day % 10 == 2 && day != 12) suffix = "nd";
  if (day % 10 == 3 && day != 13) suffix = "rd";
  return std::to_string(day) + suffix;
}

std::string RepeatJoinNames(const char* const* names, const bool* ticked, int count) {
  std::string text;
  size_t lastComma = std::string::npos;
  int taken = 0;
  for (int i = 0; i < count; ++i) {
    if (!ticked[i]) continue;
    if (taken++) {
      lastComma = text.size();
      text += ",";
    }
    text += names[i];
  }
  if (lastComma != std::string::npos) text.replace(lastComma, 1, " and ");
  return text;
}

int RepeatCheckEvery(int every, std::string* message) {
  if (every >= 1 && every <= kMaxRepeatEvery) return 1;
  *message = "Day must be between 1 and 999";
  return 0;
}

int RepeatCheckDayOfMonth(int day, std::string* message) {
  if (day >= 1 && day <= 31) return 1;
  *message = "Day must be between 1 and 31";
  return 0;
}
