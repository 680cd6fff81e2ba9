// Repeating schedule entries: the rules the repeat dialogs fill in and the
// generators that turn a saved entry and a rule into plain schedule
// entries sharing the entry's repeat group.
//
// No rule is stored: the generated entries are ordinary records whose
// repeat group number links them to the entry they were made from. The
// group number is taken from the "SCHED" counter the first time an entry
// is repeated and written into that entry before any copy is made, so a
// rule that yields nothing (until before start) takes no number at all.
//
// A generation passes over dates whose entry is already there (a duplicate
// key) and stops at the first date it cannot fill: a full day (1022) ends
// it quietly with what it has added; an engine failure ends it with 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/schedule/dpsched.h"

// The repeat kinds, by the numbers of their radio buttons; 0 is none.
constexpr int kRepeatNone = 0;
constexpr int kRepeatDaily = 350;
constexpr int kRepeatWeekly = 351;
constexpr int kRepeatMonthly = 352;
constexpr int kRepeatYearly = 353;
// The yearly kind's two modes.
constexpr int kYearlyByDate = 353;
constexpr int kYearlyByDay = 354;

constexpr int kMaxRepeatEvery = 999;
// The occurrences of a weekday in a month: 1st to 4th, then the last.
constexpr int kOccurrenceLast = 4;

struct DailyRule {
  int32_t start = 0;
  int32_t until = 0;  // 23:59:59 of the last date once confirmed
  int every = 1;      // days between entries, 1 to 999
};

// The weekly kind, and the yearly kind repeating by day.
struct NthWeekdayRule {
  int32_t start = 0;
  int32_t until = 0;
  bool occurrence[5] = {};  // 1st, 2nd, 3rd, 4th, last
  bool weekday[7] = {};     // Sunday first
  bool singleMonth = false;
  int month = 1;  // 1 to 12, only with singleMonth
};

// The monthly kind, and the yearly kind repeating by date.
struct DayOfMonthRule {
  int32_t start = 0;
  int32_t until = 0;
  int day = 1;          // 1 to 31
  bool month[12] = {};  // January first
};

// The three rules and the yearly mode, kept for the whole run of the
// program: the dialogs fill them in on OK and the generators read them.
struct RepeatRules {
  DailyRule daily;
  NthWeekdayRule nthWeekday;
  DayOfMonthRule dayOfMonth;
  int yearlyMode = kYearlyByDate;
};
RepeatRules& CurrentRepeatRules();

// What a generation did.
struct RepeatOutcome {
  int added = 0;             // entries added
  bool stoppedFull = false;  // ended at a day that holds 40 lines
  // The added entries whose clock time their date does not have (the hour
  // skipped when the clocks go forward): the C library puts them past the
  // gap, and the caller says so rather than move them silently.
  std::vector<int32_t> moved;
};

// Gives the entry stored at recordNumber a repeat group when it has none:
// a new number from the table's counter, written into the record and the
// stored entry.
int RepeatEnsureGroup(SchedTable& handle, int32_t recordNumber, SchedRecord& entry);

// The generators, with the saved entry (stored at recordNumber) as
// template. The rule's start is taken as given; RepeatGenerate sets it to
// the entry's start first, as saving an entry does.
int RepeatDaily(SchedTable& handle, int32_t recordNumber, SchedRecord& entry, const DailyRule& rule,
                RepeatOutcome* outcome = nullptr);
int RepeatNthWeekday(SchedTable& handle, int32_t recordNumber, SchedRecord& entry,
                     const NthWeekdayRule& rule, RepeatOutcome* outcome = nullptr);
int RepeatDayOfMonth(SchedTable& handle, int32_t recordNumber, SchedRecord& entry,
                     const DayOfMonthRule& rule, RepeatOutcome* outcome = nullptr);
// Runs the generator of the kind (the yearly kind by the rules' yearly
// mode) after setting that rule's start to the entry's start.
int RepeatGenerate(SchedTable& handle, int32_t recordNumber, SchedRecord& entry, int kind,
                   RepeatRules& rules, RepeatOutcome* outcome = nullptr);

// Whether an edit of a repeated entry is one to offer to the whole group
// ("Change repeating items?"): the start's clock time, the end or alarm
// time, the description or the note differ from the stored entry. A change
// of date alone does not count.
bool RepeatEditConcernsGroup(const SchedRecord& stored, const SchedRecord& edited);

// ---- The dialogs' fixed rules, for the windows to bind ----

// The until date a dialog opens with: the start plus 366 days (31622400
// seconds), or the selected day plus 366 days when the start is 0.
int32_t RepeatDefaultUntil(int32_t start, int32_t selectedDay);
// The until date on OK: moved to the end of its date (86399 seconds on);
// 0 with "Invalid date." when its year lies outside 1980 to 2037.
int RepeatConfirmUntil(int32_t untilDay, int32_t* until, std::string* message);
// The occurrence a day of the month falls in: (day - 1) / 7, 0 for "1st",
// 4 for "Last".
int RepeatOccurrenceOfDay(int dayOfMonth);
// "1st", "2nd", "3rd", "4th", "Last".
const char* RepeatOccurrenceName(int occurrence);
// "1st" to "31st".
std::string RepeatDayName(int day);
// Names joined by "," with the last comma replaced by " and ":
// "1st,2nd and Last", "Monday and Friday".
std::string RepeatJoinNames(const char* const* names, const bool* ticked, int count);
// The day field's checks: 1 to 999 for the daily rule, 1 to 31 for the
// day of a month; 0 with the dialog's message otherwise.
int RepeatCheckEvery(int every, std::string* message);
int RepeatCheckDayOfMonth(int day, std::string* message);
