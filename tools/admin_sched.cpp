// dpadmin add-entry, add-todo and todo: filling a person's schedule and
// to-do list from a script, and showing a to-do list as the to-do window's
// day view would.
//
// They go through the same table modules as the program, so the day
// limits, unique numbers, repeat groups and carrying are the program's own,
// and the owner's workstation learns of a changed schedule through bit 4 of
// the flag file as it would from a colleague's edit.
#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "data/local_time.h"
#include "data/office/flags.h"
#include "data/schedule/dpsched.h"
#include "data/schedule/dptodo.h"
#include "data/schedule/sched_repeat.h"
#include "data/schedule/sched_time_text.h"
#include "storage/errors.h"
#include "tools/admin.h"
#include "tools/admin_office.h"
#include "tools/admin_sched_text.h"

namespace {

constexpr char kAddEntryUsage[] =
    "usage: dpadmin add-entry DIR USER DATE [TIME [END [ALARM]]] TEXT [--every DAYS --until DATE]";
constexpr char kAddTodoUsage[] = "usage: dpadmin add-todo DIR USER DATE [--priority P] TEXT";
constexpr char kTodoUsage[] = "usage: dpadmin todo DIR USER [DATE]";

// Takes "--name value" out of the arguments; false when the option is
// there without a value.
bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string* value,
                bool* given) {
  *given = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] != name) continue;
    if (i + 1 >= args.size()) return false;
    *value = args[i + 1];
    *given = true;
    args.erase(args.begin() + std::ptrdiff_t(i), args.begin() + std::ptrdiff_t(i) + 2);
    return true;
  }
  return true;
}

bool HasUnknownOption(const std::vector<std::string>& args) {
  for (const std::string& a : args)
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      Complain("unknown option: " + a);
      return true;
    }
  return false;
}

int BadTime(const std::string& text, int32_t day) {
  if (SkippedClockTime(text, day)) {
    Complain("no such time: " + text + " on " + FormatAdminDate(day) +
             ", the night the clocks go forward");
  } else {
    Complain("bad time: " + text + " (such as 9:30AM or 12:00PM)");
  }
  return kExitError;
}

int Refused(const std::string& message) {
  Complain(message);
  return kExitProblems;
}

int Failed() {
  Complain(FormatAppError());
  return kExitError;
}

// Why an add was refused, as the program's windows say it: the day's limit
// in its own words, or a duplicate entry; anything else is a failure.
int AddFailed(bool duplicate, const std::string& full) {
  if (AppErrorCode() == kAppMaxRecords) return Refused(full);
  if (duplicate) return Refused("Duplicate entry.");
  return Failed();
}

// The office of DIR opened, USER's owner number and the day of DATE, the
// first three arguments of add-entry and add-todo. An exit status other
// than 0 when one of them is wrong, having said why.
int OpenOwnerDay(const std::vector<std::string>& args, bool commonAllowed, OfficeSession& office,
                 int32_t* owner, int32_t* day) {
  if (!office.Open(args[0])) return kExitError;
  std::string ownerName;
  if (int status = AdminOwner(args[1], commonAllowed, owner, &ownerName)) return status;
  if (!ParseAdminDate(args[2], day)) return ComplainBadDate(args[2]);
  return kExitOk;
}

// The times of an entry as the entry dialog computes them. An empty start
// makes an untimed entry at 00:00:00; a start at 12:00AM is stored one
// second later so that the two stay apart.
int EntryTimes(const std::vector<std::string>& texts, int32_t day, SchedRecord* record) {
  std::string start = texts.size() > 0 ? texts[0] : "";
  std::string end = texts.size() > 1 ? texts[1] : "";
  std::string alarm = texts.size() > 2 ? texts[2] : "";
  int32_t t = 0;
  if (start.empty()) {
    if (!end.empty()) {
      Complain("an entry without a start time has no end time");
      return kExitError;
    }
    record->SetStart(day);
  } else {
    if (!ParseAdminTime(start, day, &t)) return BadTime(start, day);
    record->SetStart(t == day ? t + 1 : t);
  }
  if (!end.empty()) {
    if (!ParseAdminTime(end, day, &t)) return BadTime(end, day);
    if (t <= record->Start()) return Refused("Start time must be earlier than End time.");
    record->SetEnd(t);
  }
  if (!alarm.empty()) {
    if (!ParseAdminTime(alarm, day, &t)) return BadTime(alarm, day);
    record->SetAlarm(t);
  }
  return kExitOk;
}

// The repeat options, checked before anything is stored: a command that
// fails must leave nothing behind, not the first entry of a series it
// refused. rule->every and rule->until are filled; the start comes later.
int RepeatOptions(const std::string& every, const std::string& untilText, DailyRule* rule) {
  int days = 0;
  const auto [end, error] = std::from_chars(every.data(), every.data() + every.size(), days);
  std::string message;
  if (error != std::errc() || end != every.data() + every.size()) days = 0;
  if (!RepeatCheckEvery(days, &message)) return Refused(message);
  int32_t untilDay = 0;
  if (!ParseAdminDate(untilText, &untilDay)) return ComplainBadDate(untilText);
  if (!RepeatConfirmUntil(untilDay, &rule->until, &message)) return Refused(message);
  rule->every = days;
  return kExitOk;
}

int AddRepeats(SchedTable& sched, int32_t recordNumber, SchedRecord& entry, DailyRule rule) {
  rule.start = entry.Start();
  RepeatOutcome outcome;
  if (!RepeatDaily(sched, recordNumber, entry, rule, &outcome)) {
    Complain("the entry is stored, but its repeats could not be: " + FormatAppError());
    return kExitError;
  }
  std::printf("%d repeating item%s added.\n", outcome.added, outcome.added == 1 ? "" : "s");
  if (outcome.stoppedFull) std::printf("Stopped at a day that holds 40 lines.\n");
  for (int32_t moved : outcome.moved)
    std::printf("On %s the clocks go forward past that time: the entry is at %s.\n",
                FormatAdminDate(moved).c_str(), FormatAdminTime(moved).c_str());
  return kExitOk;
}

}  // namespace

int RunAddEntry(const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  std::string every, until;
  bool hasEvery = false, hasUntil = false;
  if (!TakeOption(args, "--every", &every, &hasEvery) ||
      !TakeOption(args, "--until", &until, &hasUntil) || HasUnknownOption(args) ||
      args.size() < 4 || args.size() > 7 || hasEvery != hasUntil) {
    Complain(kAddEntryUsage);
    return kExitError;
  }
  OfficeSession office;
  int32_t owner = 0;
  int32_t day = 0;
  if (int status = OpenOwnerDay(args, true, office, &owner, &day)) return status;
  std::string text;
  if (!FileText(WithStoredLineBreaks(args.back()), "TEXT", &text)) return kExitError;
  if (text.find_first_not_of(" \t\r") == std::string::npos)
    return Refused("Please enter a description.");
  if (!FitsField(text, records::sched::kDescription.width)) {
    Complain("a description holds at most 52 characters");
    return kExitError;
  }

  SchedRecord record;
  record.SetDescription(text);
  record.SetOwner(owner);
  std::vector<std::string> times(args.begin() + 3, args.end() - 1);
  if (int status = EntryTimes(times, day, &record)) return status;
  DailyRule rule;
  if (hasEvery)
    if (int status = RepeatOptions(every, until, &rule)) return status;

  SchedTable sched;
  if (!SchedOpen(sched)) return Failed();
  int32_t recordNumber = -1;
  int status = kExitOk;
  if (!SchedAdd(sched, record, &recordNumber)) {
    status = AddFailed(SchedDuplicate(), "Maximum of 40 items reached for this date.");
  } else {
    std::printf("Entry added.\n");
    if (hasEvery) status = AddRepeats(sched, recordNumber, record, rule);
  }
  SchedClose(sched);
  // The owner's workstation reloads its schedule and looks for the next
  // alarm again when it sees bit 4.
  if (recordNumber >= 0 && owner != kCommonScheduleOwner &&
      !SetFlag(kFlagScheduleChanged, true, owner)) {
    Complain("the entry is stored, but the flag file could not be written: " + FormatAppError());
    if (status == kExitOk) status = kExitError;
  }
  return status;
}

int RunAddTodo(const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  std::string priority = "1";
  bool hasPriority = false;
  if (!TakeOption(args, "--priority", &priority, &hasPriority) || HasUnknownOption(args) ||
      args.size() != 4) {
    Complain(kAddTodoUsage);
    return kExitError;
  }
  OfficeSession office;
  int32_t owner = 0;
  int32_t day = 0;
  if (int status = OpenOwnerDay(args, false, office, &owner, &day)) return status;
  std::string text;
  if (!FileText(WithStoredLineBreaks(args[3]), "TEXT", &text) ||
      !FileText(std::string(priority), "--priority", &priority))
    return kExitError;
  if (priority.find_first_not_of(' ') == std::string::npos) return Refused("Must enter PRIORITY:");
  if (const std::string problem = TodoPriorityProblem(priority); !problem.empty()) {
    Complain(problem);
    return kExitError;
  }
  if (!FitsField(text, records::todo::kText.width) ||
      (!text.empty() && static_cast<unsigned char>(text[0]) == kDeletedMark)) {
    Complain("a to-do text holds at most 245 characters");
    return kExitError;
  }
  TodoRecord record;
  record.SetOwner(owner);
  record.SetDate(day);
  record.SetPriority(priority);
  record.SetText(text);
  TodoTable todo;
  if (!TodoOpen(todo)) return Failed();
  int status = kExitOk;
  if (!TodoAdd(todo, record)) {
    status = AddFailed(TodoDuplicate(), "Maximum of 256 to-do items reached.");
  } else {
    std::printf("Item added.\n");
  }
  TodoClose(todo);
  return status;
}

int RunTodo(const std::vector<std::string>& args) {
  if (HasUnknownOption(args) || args.size() < 2 || args.size() > 3) {
    Complain(kTodoUsage);
    return kExitError;
  }
  OfficeSession office;
  if (!office.Open(args[0])) return kExitError;
  int32_t owner = 0;
  std::string ownerName;
  if (int status = AdminOwner(args[1], false, &owner, &ownerName)) return status;
  int32_t today = Today();
  int32_t day = today;
  if (args.size() == 3 && !ParseAdminDate(args[2], &day)) return ComplainBadDate(args[2]);
  TodoTable todo;
  if (!TodoOpen(todo)) return Failed();
  std::vector<TodoListEntry> entries;
  // Today's list carries the open items of earlier days.
  int ok = TodoCollect(todo, day, owner, day == today, kMaxTodoItems, &entries);
  TodoClose(todo);
  if (!ok) return Failed();
  std::printf("To-do list for:  %s, %s\n", Shown(ownerName).c_str(), FormatAdminDate(day).c_str());
  for (const TodoListEntry& e : entries) {
    TodoKey key = e.Key();
    std::string text = e.Text();
    text = text.substr(0, text.find('\r'));
    std::printf("%s\t%s\t%s\t%s\n", Shown(key.Priority()).c_str(), key.Done() ? "done" : "open",
                FormatAdminDate(key.Date()).c_str(), Shown(text).c_str());
  }
  return kExitOk;
}
