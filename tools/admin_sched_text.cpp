#include "tools/admin_sched_text.h"

#include <cctype>
#include <cstdio>

#include "data/dpname.h"
#include "data/dpsched.h"
#include "data/local_time.h"
#include "storage/errors.h"
#include "tools/admin.h"
#include "tools/admin_office.h"

namespace {

bool Digits(const std::string& text, size_t from, size_t count) {
  if (from + count > text.size()) return false;
  for (size_t i = from; i < from + count; ++i)
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  return true;
}

std::string Upper(std::string text) {
  for (char& c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

bool ParseAdminDate(const std::string& text, int32_t* day) {
  int month = 0, dayOfMonth = 0, year = 0, used = 0;
  if (std::sscanf(text.c_str(), "%2d-%2d-%4d%n", &month, &dayOfMonth, &year, &used) != 3 ||
      size_t(used) != text.size())
    return false;
  size_t yearDigits = text.size() - text.rfind('-') - 1;
  if (yearDigits == 2)
    year += year >= 80 ? 1900 : 2000;
  else if (yearDigits != 4)
    return false;
  if (year < 1980 || year > 2037 || month < 1 || month > 12 || dayOfMonth < 1 ||
      dayOfMonth > DaysInMonth(year, month))
    return false;
  *day = FromLocal(year, month, dayOfMonth);
  return *day != -1;
}

bool ParseAdminTime(const std::string& text, int32_t day, int32_t* time) {
  std::string t = Upper(text);
  size_t start = t.find_first_not_of(' ');
  if (start == std::string::npos) return false;
  t = t.substr(start);
  size_t colon = t.find(':');
  if (colon != 1 && colon != 2) return false;
  if (!Digits(t, 0, colon) || !Digits(t, colon + 1, 2)) return false;
  int hour = std::stoi(t.substr(0, colon));
  int minute = std::stoi(t.substr(colon + 1, 2));
  std::string suffix = t.substr(colon + 3);
  if (!suffix.empty() && suffix[0] == ' ') suffix.erase(0, 1);
  if ((suffix != "AM" && suffix != "PM") || hour < 1 || hour > 12 || minute > 59) return false;
  if (suffix == "AM" && hour == 12) hour = 0;
  if (suffix == "PM" && hour != 12) hour += 12;
  LocalTime d = ToLocal(day);
  *time = FromLocal(d.year, d.month, d.day, hour, minute);
  return *time != -1;
}

std::string FormatAdminDate(int32_t time) {
  LocalTime l = ToLocal(time);
  char text[40];
  std::snprintf(text, sizeof text, "%d-%02d-%02d", l.month, l.day, l.year % 100);
  return text;
}

std::string FormatAdminTime(int32_t time) {
  if (time == 0) return "";
  LocalTime l = ToLocal(time);
  int hour = l.hour % 12 == 0 ? 12 : l.hour % 12;
  char text[40];
  std::snprintf(text, sizeof text, "%2d:%02d%s", hour, l.minute, l.hour < 12 ? "AM" : "PM");
  return text;
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
