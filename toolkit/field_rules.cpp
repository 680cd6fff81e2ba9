#include "toolkit/field_rules.h"

#include <cctype>
#include <cstdio>
#include <ctime>

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string Printf(const char* format, int a, int b, const char* c) {
  char buf[32];
  std::snprintf(buf, sizeof buf, format, a, b, c);
  return buf;
}

bool LocalTime(int32_t value, std::tm* out) {
  std::time_t t = value;
  return localtime_r(&t, out) != nullptr;
}

}  // namespace

std::string ReformatPhone(std::string_view text) {
  std::string t(text);
  while (!t.empty() && t.back() == ' ') t.pop_back();
  for (char c : t) {
    if (!IsDigit(c)) return std::string(text);
  }
  switch (t.size()) {
    case 7:
      return t.substr(0, 3) + "-" + t.substr(3);
    case 10:
      return t.substr(0, 3) + "-" + t.substr(3, 3) + "-" + t.substr(6);
    case 11:
      return t.substr(0, 1) + "-" + t.substr(1, 3) + "-" + t.substr(4, 3) + "-" + t.substr(7);
    default:
      return std::string(text);
  }
}

std::string NormaliseTime(std::string_view text) {
  std::string t;
  for (char c : text) {
    if (c != ' ') t += c;
  }
  if (t.empty()) return std::string(text);

  size_t scanned = 0;
  int colons = 0;
  size_t lastColon = 0;
  while (scanned < t.size() && (IsDigit(t[scanned]) || t[scanned] == ':')) {
    if (t[scanned] == ':') {
      ++colons;
      lastColon = scanned;
    }
    ++scanned;
  }
  if (scanned == 0 || t[0] == ':' || colons > 1) return std::string(text);

  // 0 = not given, 1 = morning, 2 = afternoon.
  int half = 0;
  if (scanned < t.size()) {
    char c = t[scanned];
    if (c == 'A' || c == 'a') half = 1;
    if (c == 'P' || c == 'p') half = 2;
  }

  std::string digits = t.substr(0, scanned);
  int hours = 0, minutes = 0;
  if (colons == 1) {
    if ((lastColon != 1 && lastColon != 2) || scanned > 5) return std::string(text);
    hours = std::stoi(digits.substr(0, lastColon));
    std::string m = digits.substr(lastColon + 1);
    minutes = m.empty() ? 0 : std::stoi(m);
  } else {
    if (scanned > 4) return std::string(text);
    int n = std::stoi(digits);
    if (scanned <= 2) {
      hours = n;
    } else {
      hours = n / 100;
      minutes = n % 100;
    }
  }

  if (hours > 24) hours %= 24;
  if (hours > 12) {
    hours -= 12;
    half = 2;
  } else if (hours == 0) {
    hours = 12;
    half = 1;
  }
  if (minutes > 59) minutes %= 60;
  if (half == 0) half = (hours >= 7 && hours <= 11) ? 1 : 2;
  return Printf(half == 1 ? "%2d:%02dAM" : "%2d:%02dPM", hours, minutes, "");
}

std::string FormatDate(int32_t value, bool padded) {
  std::tm tm{};
  if (value == 0 || !LocalTime(value, &tm)) return "";
  char buf[32];
  std::snprintf(buf, sizeof buf, padded ? "%2d-%02d-%02d" : "%d-%02d-%02d", tm.tm_mon + 1,
                tm.tm_mday, tm.tm_year % 100);
  return buf;
}

std::string FormatClockTime(int32_t value, bool padded) {
  std::tm tm{};
  if (value == 0 || !LocalTime(value, &tm)) return "";
  int hour = tm.tm_hour % 12;
  if (hour == 0) hour = 12;
  return Printf(padded ? "%2d:%02d%s" : "%d:%02d%s", hour, tm.tm_min,
                tm.tm_hour < 12 ? "am" : "pm");
}

bool ParseDate(std::string_view text, int32_t* value, bool endOfDay) {
  size_t i = 0;
  bool blank = true;
  for (char c : text) {
    if (c != ' ') blank = false;
  }
  if (blank) {
    *value = 0;
    return true;
  }

  int numbers[3];
  for (int n = 0; n < 3; ++n) {
    // A number: blanks and digits, at most 4 characters, ended by exactly
    // one separator (anything that is neither).
    size_t start = i;
    while (i < text.size() && (text[i] == ' ' || IsDigit(text[i]))) ++i;
    size_t width = i - start;
    if (width == 0 || width > 4) return false;
    size_t d = start;
    while (d < i && !IsDigit(text[d])) ++d;
    if (d == i) return false;
    int v = 0;
    while (d < i && IsDigit(text[d])) v = v * 10 + (text[d++] - '0');
    numbers[n] = v;
    // The last number may end the text instead of a separator.
    if (i < text.size()) {
      ++i;
    } else if (n < 2) {
      return false;
    }
  }
  int month = numbers[0], day = numbers[1], year = numbers[2];
  if (month < 1 || month > 12 || day < 1 || day > 31) return false;
  if (year >= 70 && year <= 79) return false;
  year += 1900;
  if (year < 1970) year += 100;
  if (year >= 2038) return false;

  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = endOfDay ? 23 : 0;
  tm.tm_min = endOfDay ? 59 : 0;
  tm.tm_sec = endOfDay ? 59 : 0;
  tm.tm_isdst = -1;
  std::time_t t = std::mktime(&tm);
  if (t == std::time_t(-1) || tm.tm_mon != month - 1) return false;
  if (t < 0 || t > INT32_MAX) return false;
  *value = int32_t(t);
  return true;
}

std::string StoredToDisplayLines(std::string_view stored) {
  std::string out;
  for (size_t i = 0; i < stored.size(); ++i) {
    out += stored[i];
    // A CR already followed by LF is left as it is.
    if (stored[i] == '\r' && (i + 1 >= stored.size() || stored[i + 1] != '\n')) out += '\n';
  }
  return out;
}

std::string DisplayToStoredLines(std::string_view shown) {
  std::string out;
  for (size_t i = 0; i < shown.size(); ++i) {
    char c = shown[i];
    if (c == '\r' && i + 1 < shown.size() && shown[i + 1] == '\n') {
      out += '\r';
      ++i;
    } else if (c == '\n') {
      out += '\r';
    } else {
      out += c;
    }
  }
  return out;
}

EditMenuEnables EditMenuRules(const EditMenuState& s) {
  return EditMenuEnables{s.canUndo,          s.hasSelection, s.hasSelection,
                         s.clipboardHasText, s.hasSelection, !s.allSelected};
}
