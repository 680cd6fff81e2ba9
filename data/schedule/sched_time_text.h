// Dates and clock times of the scheduler as the user reads and types them.
//
// Every conversion between a time value and a date or clock time goes
// through local time (data/local_time.h), so the hours a text names are the
// wall clock's, on daylight-saving change days too; the texts themselves
// are put together there too (ClockText, LocalDateText).
//
//   time field text   " 9:30AM", "12:00PM"   ("%2d:%02dAM" / "%2d:%02dPM")
//   list time text    "9:30am"                ("%d:%02d%s", "am" / "pm")
//   date text         "3-15-27"               (month, day, two-digit year)
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The years a date may have.
constexpr int kFirstYear = 1980;
constexpr int kLastYear = 2037;

// ---- Time texts ----

// The time field's text: "%2d:%02dAM" or "%2d:%02dPM", hour 1 to 12. A
// time of 0 gives "", and so does 00:00:00 exactly (an untimed entry's
// start) unless midnightShown, which the alarm window uses.
std::string TimeFieldText(int32_t time, bool midnightShown = false);
// "%d:%02d%s" with "am" or "pm", as lists and titles show a time; with
// padded, "%2d:%02d%s" (the day view's time column).
std::string ListTimeText(int32_t time, bool padded = false);

// What a time field does to the typed text when the field is left: the
// time in the field's form (" 8:00AM" for "8", " 9:30PM" for "930p",
// " 2:00PM" for "14:00"), or the text unchanged when it is not one of the
// forms a time may be typed in.
std::string NormaliseTimeText(std::string_view typed);
// The clock time a time field's text names, on the date of day; 0 for a
// blank text, one not in the field's form, or a clock time the date does
// not have (the hour skipped when the clocks go forward: it is refused
// rather than moved). "12:00AM" is 00:00:00.
int32_t ReadTimeText(std::string_view text, int32_t day);
// The typed text normalised and read: 0 when it names no time.
int32_t ParseTypedTime(std::string_view typed, int32_t day);
// Whether the typed text is a clock time that the date of day skips, so a
// refusal can say why.
bool SkippedClockTime(std::string_view typed, int32_t day);

// ---- Date texts ----

// "%d-%02d-%02d": month, day, last two digits of the year; "" for 0. With
// padded the month takes two places ("%2d-%02d-%02d").
std::string DateText(int32_t time, bool padded = false);

// Reads a month-day-year date as a date field does. True with *day set to
// the day value (or to 23:59:59 of that date with endOfDay), or to 0 for a
// text of blanks only; false for a text that is no date between 1980 and
// 2037 (2-30-99, 1-1-38, 1-1-75 and 1-1-1999 are none).
bool ParseDateText(std::string_view text, int32_t* day, bool endOfDay = false);

// Whether a time value's local year lies in 1980 to 2037.
bool InDateRange(int32_t time);

// "January" to "December" (month 1 to 12), "Sunday" to "Saturday" (0 to 6)
// and their three-letter forms "Jan", "Sun".
const char* MonthName(int month);
const char* WeekdayName(int weekday);
std::string MonthAbbrev(int month);
std::string WeekdayAbbrev(int weekday);
