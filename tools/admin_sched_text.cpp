#include "tools/admin_sched_text.h"

#include <cctype>

#include "data/local_time.h"
#include "data/office/dpname.h"
#include "data/schedule/dpsched.h"
#include "data/schedule/sched_time_text.h"
#include "storage/errors.h"
#include "tools/admin.h"
#include "tools/admin_office.h"

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

bool ParseAdminDate(const std::string& text, int32_t* day) {
  // A blank date reads as "none" in a date field; here a date is required.
  return ParseDateText(text, day) && *day != 0;
}

bool ParseAdminTime(const std::string& text, int32_t day, int32_t* time) {
  *time = ParseTypedTime(text, day);
  return *time != 0;
}

int ComplainBadDate(const std::string& text) {
  Complain("bad date: " + text + " (month-day-year from 1980 to 2037, such as 3-15-27)");
  return kExitError;
}

std::string FormatAdminDate(int32_t time) {
  return DateText(time);
}

std::string FormatAdminTime(int32_t time) {
  return time == 0 ? std::string() : TimeFieldText(time, true);
}

int AdminOwner(const std::string& text, bool commonAllowed, int32_t* owner, std::string* name) {
  if (commonAllowed && Upper(text) == kCommonScheduleName) {
    *owner = kCommonScheduleOwner;
    *name = kCommonScheduleName;
    return kExitOk;
  }
  if (!text.empty() && text[0] == '*') {
    Complain(text + ": a group has no schedule or to-do list of its own");
    return kExitProblems;
  }
  std::string fileName;
  if (!FileText(text, "USER", &fileName)) return kExitError;
  NameRecord record;
  if (!NameLookup(fileName, &record)) {
    if (AppErrorCode() == kAppNotFound) {
      Complain(text + ": no such person");
      return kExitProblems;
    }
    Complain(FormatAppError());
    return kExitError;
  }
  *owner = record.Number();
  *name = record.Name();
  return kExitOk;
}
