#include "toolkit/field_rules.h"

#include "data/schedule/sched_time_text.h"

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
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
  return NormaliseTimeText(text);
}

std::string FormatDate(int32_t value, bool padded) {
  return DateText(value, padded);
}

std::string FormatClockTime(int32_t value, bool padded) {
  // Lists show a time of 0 as 12:00am; a field shows no value at all.
  return value == 0 ? std::string() : ListTimeText(value, padded);
}

bool ParseDate(std::string_view text, int32_t* value, bool endOfDay) {
  // A refused date keeps the field's stored value, so the dialog can say
  // the date is invalid without having lost the one it had.
  int32_t day = 0;
  if (!ParseDateText(text, &day, endOfDay)) return false;
  *value = day;
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
