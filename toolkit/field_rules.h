// The input conventions of the field controls as plain text rules, with no
// window code, so they can be checked on their own: phone numbers are
// reformatted and times normalised when a field is left, dates are shown and
// read as month-day-year with a two-digit year, and stored multi-line text
// uses a single carriage return where the edit control wants CR LF.
//
// Text here is the single-byte text of the record buffers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The phone field's text after it was left: 7, 10 or 11 digits are grouped
// with hyphens (NNN-NNNN, NNN-NNN-NNNN, N-NNN-NNN-NNNN); trailing blanks are
// dropped first; anything else is given back unchanged.
std::string ReformatPhone(std::string_view text);

// The time and date texts are the scheduler's (data/sched_time_text.h):
// one set of rules for every field, list and record that shows or reads a
// time, under the names the field controls use.

// The time field's text after it was left, written " 8:00AM" style; text
// that does not read as a time is given back unchanged.
std::string NormaliseTime(std::string_view text);

// "%d-%02d-%02d" (month, day, two-digit year) of a time value in local time;
// padded gives "%2d-%02d-%02d". 0 shows as an empty text.
std::string FormatDate(int32_t value, bool padded = false);
// "%d:%02d%s" with "am"/"pm" of a time value in local time; padded gives
// "%2d:%02d%s". 0 shows as an empty text.
std::string FormatClockTime(int32_t value, bool padded = false);

// Reads a month-day-year date. A text of blanks only is valid and gives 0.
// The value is 00:00:00 local time of the date, or 23:59:59 with endOfDay.
// Years are two digits: 80 to 99 mean 1980 to 1999, 00 to 37 mean 2000 to
// 2037; anything else, a day the month does not have, and text after the
// year are invalid. Answers false for an invalid date and leaves *value
// alone.
bool ParseDate(std::string_view text, int32_t* value, bool endOfDay = false);

// Stored line breaks (a single CR) to the CR LF the edit control shows.
std::string StoredToDisplayLines(std::string_view stored);
// The edit control's CR LF (or a lone LF) back to the stored single CR.
std::string DisplayToStoredLines(std::string_view shown);

// The enable rules of the edit context menu.
struct EditMenuState {
  bool hasSelection = false;
  bool allSelected = false;
  bool canUndo = false;
  bool clipboardHasText = false;
};
struct EditMenuEnables {
  bool undo, cut, copy, paste, del, selectAll;
};
EditMenuEnables EditMenuRules(const EditMenuState& s);
