#include "data/schedule/sched_time_text.h"

#include <cctype>

#include "data/local_time.h"

namespace {

constexpr const char* kMonthNames[] = {"January",   "February", "March",    "April",
                                       "May",       "June",     "July",     "August",
                                       "September", "October",  "November", "December"};
constexpr const char* kWeekdayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                         "Thursday", "Friday", "Saturday"};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::string TimeFieldText(int32_t time, bool midnightShown) {
  if (time == 0) return {};
  LocalTime c = ToLocal(time);
  if (!midnightShown && c.hour == 0 && c.minute == 0 && c.second == 0) return {};
  return ClockText(c.hour, c.minute, ClockForm::kField);
}

std::string ListTimeText(int32_t time, bool padded) {
  LocalTime c = ToLocal(time);
  return ClockText(c.hour, c.minute, padded ? ClockForm::kListPadded : ClockForm::kList);
}

std::string NormaliseTimeText(std::string_view typed) {
  std::string text;
  for (char c : typed)
    if (c != ' ') text += c;
  if (text.empty()) return std::string(typed);

  size_t scanned = 0;
  int colons = 0;
  size_t colonAt = 0;
  while (scanned < text.size() && (IsDigit(text[scanned]) || text[scanned] == ':')) {
    if (text[scanned] == ':') {
      ++colons;
      colonAt = scanned;
    }
    ++scanned;
  }
  if (scanned == 0 || text[0] == ':' || colons > 1) return std::string(typed);

  // The letter right after the number says the half of the day; the rest
  // of the text is not looked at.
  enum { kUnsaid, kMorning, kAfternoon } half = kUnsaid;
  if (scanned < text.size()) {
    char c = text[scanned];
    if (c == 'A' || c == 'a') half = kMorning;
    if (c == 'P' || c == 'p') half = kAfternoon;
  }

  auto number = [&](size_t from, size_t to) {
    int v = 0;
    for (size_t i = from; i < to; ++i) v = v * 10 + (text[i] - '0');
    return v;
  };
  int hour = 0;
  int minute = 0;
  if (colons == 1) {
    if ((colonAt != 1 && colonAt != 2) || scanned > 5) return std::string(typed);
    hour = number(0, colonAt);
    minute = number(colonAt + 1, scanned);
  } else if (scanned <= 2) {
    hour = number(0, scanned);
  } else if (scanned <= 4) {
    hour = number(0, scanned - 2);
    minute = number(scanned - 2, scanned);
  } else {
    return std::string(typed);
  }

  // 24:00 is midnight, the start of the day as the field keeps it (taken
  // as 24 - 12, it read as noon).
  if (hour >= 24) hour %= 24;
  // A 24-hour clock time says its half itself.
  if (hour > 12) {
    hour -= 12;
    half = kAfternoon;
  } else if (hour == 0) {
    hour = 12;
    half = kMorning;
  }
  if (minute > 59) minute %= 60;
  // Without a letter, office hours are assumed: 7 to 11 before noon, 12 and
  // 1 to 6 after it.
  if (half == kUnsaid) half = hour >= 7 && hour <= 11 ? kMorning : kAfternoon;

  // Back to the 24-hour clock: 12 before noon is hour 0.
  return ClockText(hour % 12 + (half == kAfternoon ? 12 : 0), minute, ClockForm::kField);
}

namespace {

// The hour (0 to 23) and minute of a text in the time field's form.
bool ReadClock(std::string_view text, int* hour, int* minute) {
  // Exactly the field's form: hour in two places (a blank before one
  // digit), ':', two digits of minutes, "AM" or "PM".
  if (text.size() != 7 || text[2] != ':') return false;
  if (!(text[0] == ' ' || IsDigit(text[0])) || !IsDigit(text[1]) || !IsDigit(text[3]) ||
      !IsDigit(text[4]))
    return false;
  int h = (text[0] == ' ' ? 0 : text[0] - '0') * 10 + (text[1] - '0');
  int m = (text[3] - '0') * 10 + (text[4] - '0');
  std::string_view half = text.substr(5);
  if (h < 1 || h > 12 || m > 59 || (half != "AM" && half != "PM")) return false;
  if (half == "AM")
    h = h == 12 ? 0 : h;
  else if (h != 12)
    h += 12;
  *hour = h;
  *minute = m;
  return true;
}

// The clock time on the date of day; 0 when the date has no such time.
int32_t ClockOnDay(int32_t day, int hour, int minute) {
  LocalTime d = ToLocal(day);
  int32_t t = FromLocal(d.year, d.month, d.day, hour, minute);
  if (t == -1) return 0;
  // The C library moves a skipped clock time past the gap; taken apart
  // again it then shows another hour.
  LocalTime back = ToLocal(t);
  if (back.hour != hour || back.minute != minute) return 0;
  return t;
}

}  // namespace

int32_t ReadTimeText(std::string_view text, int32_t day) {
  int hour = 0;
  int minute = 0;
  if (!ReadClock(text, &hour, &minute)) return 0;
  return ClockOnDay(day, hour, minute);
}

bool SkippedClockTime(std::string_view typed, int32_t day) {
  int hour = 0;
  int minute = 0;
  if (!ReadClock(NormaliseTimeText(typed), &hour, &minute)) return false;
  LocalTime d = ToLocal(day);
  return FromLocal(d.year, d.month, d.day, hour, minute) != -1 &&
         ClockOnDay(day, hour, minute) == 0;
}

int32_t ParseTypedTime(std::string_view typed, int32_t day) {
  return ReadTimeText(NormaliseTimeText(typed), day);
}

std::string DateText(int32_t time, bool padded) {
  if (time == 0) return {};
  return LocalDateText(ToLocal(time), padded);
}

bool ParseDateText(std::string_view text, int32_t* day, bool endOfDay) {
  *day = 0;
  if (text.find_first_not_of(' ') == std::string_view::npos) return true;

  // Three numbers, each a run of digits and blanks of at most 4 characters
  // holding a digit; a single separator (neither digit nor blank) between
  // them. A number's value runs from its first digit to the next non-digit.
  int values[3] = {};
  size_t at = 0;
  for (int n = 0; n < 3; ++n) {
    size_t from = at;
    while (at < text.size() && (IsDigit(text[at]) || text[at] == ' ')) ++at;
    if (at - from > 4) return false;
    size_t digit = from;
    while (digit < at && text[digit] == ' ') ++digit;
    if (digit == at) return false;
    int v = 0;
    while (digit < at && IsDigit(text[digit])) v = v * 10 + (text[digit++] - '0');
    values[n] = v;
    if (n < 2) {
      if (at >= text.size()) return false;
      ++at;  // the separator
    }
  }
  if (at != text.size()) return false;

  int month = values[0];
  int dayOfMonth = values[1];
  int year = values[2];
  if (month < 1 || month > 12 || dayOfMonth < 1 || dayOfMonth > 31) return false;
  // Two digits only: a three-digit "123" is no year 2023.
  if (year > 99 || (year >= 70 && year <= 79)) return false;
  year += year < 70 ? 2000 : 1900;
  if (year > kLastYear) return false;

  int32_t t = endOfDay ? FromLocal(year, month, dayOfMonth, 23, 59, 59)
                       : FromLocal(year, month, dayOfMonth);
  if (t == -1) return false;
  // 30 February rolls into March: no such day.
  if (ToLocal(t).month != month) return false;
  *day = t;
  return true;
}

bool InDateRange(int32_t time) {
  int year = ToLocal(time).year;
  return year >= kFirstYear && year <= kLastYear;
}

const char* MonthName(int month) {
  return month >= 1 && month <= 12 ? kMonthNames[month - 1] : "";
}

const char* WeekdayName(int weekday) {
  return weekday >= 0 && weekday <= 6 ? kWeekdayNames[weekday] : "";
}

std::string MonthAbbrev(int month) {
  return std::string(MonthName(month)).substr(0, 3);
}

std::string WeekdayAbbrev(int weekday) {
  return std::string(WeekdayName(weekday)).substr(0, 3);
}
