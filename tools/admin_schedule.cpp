// dpadmin schedule: one person's day (or the common schedule's) as the day
// view shows it: the time column, the bracket joining an entry's start and
// end, a mark on lines inside another entry's bracket as well, and the
// description. After two title lines ("Schedule for:  ANNE" and the date
// in words) each line is the time column (7 wide, empty for an untimed
// entry and for a time repeated from the line above), a blank, the bracket
// mark, '*' or a blank for the overlap, a blank and the description; end
// lines have no description.
//
// The bracket's code-page corners are written as '/' (top), '|' (bar) and
// '\' (bottom), so the listing reads the same on any terminal.
#include <cstdio>
#include <string>
#include <vector>

#include "data/datadir.h"
#include "data/dpname.h"
#include "data/dpsched.h"
#include "data/sched_calendar.h"
#include "data/sched_daylines.h"
#include "data/sched_time_text.h"
#include "storage/errors.h"
#include "tools/admin.h"

namespace {

char BracketMark(uint8_t bracket) {
  switch (bracket) {
    case kBracketTop:
      return '/';
    case kBracketBar:
      return '|';
    case kBracketBottom:
      return '\\';
    default:
      return ' ';
  }
}

std::string LineText(const std::vector<DayLine>& lines, size_t i) {
  const DayLine& l = lines[i];
  char head[32];
  std::snprintf(head, sizeof head, "%-7s %c%c ", DayLineTimeText(lines, i).c_str(),
                BracketMark(l.bracket), l.overlap ? '*' : ' ');
  std::string text = head + l.description;
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

int Failed(const std::string& what) {
  Complain(what + ": " + FormatAppError());
  return kExitError;
}

}  // namespace

int RunSchedule(const std::vector<std::string>& args) {
  if (args.size() != 3) {
    Complain("schedule takes a directory, a name (or \"* COMMON\") and a date such as 3-15-27");
    return kExitError;
  }
  const std::string dir = WithSlash(args[0]);
  int32_t day = 0;
  if (!ParseDateText(args[2], &day) || day == 0) {
    Complain(args[2] + ": not a date between 1-1-80 and 12-31-37 (month-day-year)");
    return kExitError;
  }
  if (!RequireDataDirectory(dir)) return kExitError;
  SetDataDirectory(dir);
  DbSetErrorReporter(TranslateEngineError);

  int32_t owner = kCommonScheduleOwner;
  std::string ownerName = kCommonScheduleName;
  if (!SameName(args[1], kCommonScheduleName)) {
    NameRecord person;
    ClearAppError();
    if (!NameLookup(args[1], &person)) {
      if (AppErrorCode() != kAppNotFound) return Failed("NAME");
      Complain(args[1] + ": no such name");
      return kExitProblems;
    }
    owner = person.Number();
    ownerName = person.Name();
  }

  SchedTable sched;
  if (!SchedOpen(sched)) return Failed("SCHED");
  std::vector<DayLine> lines;
  int ok = SchedBuildDayLines(sched, day, owner, nullptr, &lines);
  std::string failure = ok ? "" : FormatAppError();
  SchedClose(sched);
  if (!ok) {
    Complain("SCHED: " + failure);
    return kExitError;
  }

  std::printf("Schedule for:  %s\n%s\n", ownerName.c_str(), DayTitle(day).c_str());
  if (lines.empty()) std::printf("(no entries)\n");
  for (size_t i = 0; i < lines.size(); ++i) std::printf("%s\n", LineText(lines, i).c_str());
  return kExitOk;
}
