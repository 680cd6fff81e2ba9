#include "data/local_time.h"

#include <climits>
#include <cstdio>
#include <ctime>

#include "data/clock.h"

LocalTime ToLocal(int32_t time) {
  std::time_t t = time;
  std::tm local{};
  LocalTime out;
  if (!localtime_r(&t, &local)) return out;
  out.year = local.tm_year + 1900;
  out.month = local.tm_mon + 1;
  out.day = local.tm_mday;
  out.hour = local.tm_hour;
  out.minute = local.tm_min;
  out.second = local.tm_sec;
  out.weekday = local.tm_wday;
  return out;
}

int32_t FromLocal(int year, int month, int day, int hour, int minute, int second) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  // Let the zone say whether daylight saving is in force on that date.
  local.tm_isdst = -1;
  std::time_t t = std::mktime(&local);
  if (t == std::time_t(-1) || t < INT32_MIN || t > INT32_MAX) return -1;
  return int32_t(t);
}

int32_t DayOf(int32_t time) {
  if (time == 0) return 0;
  LocalTime l = ToLocal(time);
  return FromLocal(l.year, l.month, l.day);
}

int32_t Today() {
  return DayOf(ClockNow());
}

int32_t AddDays(int32_t time, int days) {
  LocalTime l = ToLocal(time);
  return FromLocal(l.year, l.month, l.day + days);
}

int32_t TimeOfDay(int32_t time) {
  LocalTime l = ToLocal(time);
  return l.hour * 3600 + l.minute * 60 + l.second;
}

int32_t MoveToDate(int32_t time, int32_t day) {
  if (time == 0) return 0;
  LocalTime clock = ToLocal(time);
  LocalTime date = ToLocal(day);
  return FromLocal(date.year, date.month, date.day, clock.hour, clock.minute, clock.second);
}

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
  return kDays[month - 1];
}

std::string ClockText(int hour, int minute, ClockForm form) {
  const bool morning = hour < 12;
  const char* half = "";
  switch (form) {
    case ClockForm::kField:
      half = morning ? "AM" : "PM";
      break;
    case ClockForm::kList:
    case ClockForm::kListPadded:
      half = morning ? "am" : "pm";
      break;
    case ClockForm::kCell:
      half = morning ? "a" : "p";
      break;
  }
  const bool padded = form == ClockForm::kField || form == ClockForm::kListPadded;
  char text[32];
  std::snprintf(text, sizeof text, padded ? "%2d:%02d%s" : "%d:%02d%s",
                hour % 12 == 0 ? 12 : hour % 12, minute, half);
  return text;
}

std::string LocalDateText(const LocalTime& date, bool padded) {
  char text[24];
  std::snprintf(text, sizeof text, padded ? "%2d-%02d-%02d" : "%d-%02d-%02d", date.month, date.day,
                date.year % 100);
  return text;
}
