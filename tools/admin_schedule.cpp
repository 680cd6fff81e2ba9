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

#include "data/schedule/dpsched.h"
#include "data/schedule/sched_calendar.h"
#include "data/schedule/sched_daylines.h"
#include "storage/errors.h"
#include "tools/admin.h"
#include "tools/admin_office.h"
#include "tools/admin_sched_text.h"

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

}  // namespace

int RunSchedule(const std::vector<std::string>& args) {
  if (args.size() != 3) {
    Complain("usage: dpadmin schedule DIR USER DATE");
    return kExitError;
  }
  int32_t day = 0;
  if (!ParseAdminDate(args[2], &day)) return ComplainBadDate(args[2]);
  OfficeSession office;
  if (!office.Open(args[0])) return kExitError;
  int32_t owner = 0;
  std::string ownerName;
  if (int status = AdminOwner(args[1], true, &owner, &ownerName)) return status;

  SchedTable sched;
  if (!SchedOpen(sched)) {
    ComplainAppError("SCHED");
    return kExitError;
  }
  std::vector<DayLine> lines;
  int ok = SchedBuildDayLines(sched, day, owner, nullptr, &lines);
  std::string failure = ok ? "" : FormatAppError();
  SchedClose(sched);
  if (!ok) {
    Complain("SCHED: " + failure);
    return kExitError;
  }

  std::printf("Schedule for:  %s\n%s\n", Shown(ownerName).c_str(), DayTitle(day).c_str());
  if (lines.empty()) std::printf("(no entries)\n");
  for (size_t i = 0; i < lines.size(); ++i) std::printf("%s\n", Shown(LineText(lines, i)).c_str());
  return kExitOk;
}
