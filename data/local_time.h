// Local dates and clock times of the time values stored in schedule and
// to-do records.
//
// A time value is the 32-bit count of seconds since 1 January 1970 UTC; a
// day value is the time value of 00:00:00 local time of its date. Every
// conversion between the two goes through the local time zone, so on the
// days a daylight-saving change happens a day is 23 or 25 hours long and
// "the same time tomorrow" is not 86400 seconds away. Code that moves an
// entry to another date therefore rebuilds it from the local date and its
// own local clock time, never by adding seconds.
#pragma once

#include <cstdint>
#include <string>

// A time value taken apart in local time. month 1 to 12, day 1 to 31,
// weekday 0 (Sunday) to 6.
struct LocalTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int weekday = 0;
};

// The latest time any generated or entered value may take: 2037-12-31
// 23:59:59 UTC.
constexpr int32_t kLastTimeValue = 2145916799;

// Takes a time value apart in local time.
LocalTime ToLocal(int32_t time);
// The time value of a local date and clock time. Out-of-range fields carry
// over the way the C library's mktime does (day 32 of January is 1
// February). A result outside the 32-bit range gives -1.
int32_t FromLocal(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// 00:00:00 local time of the time's date; 0 stays 0.
int32_t DayOf(int32_t time);
// The day value of the clock's current time (data/clock.h).
int32_t Today();
// The day value n calendar days after (or before) the day of the time.
int32_t AddDays(int32_t time, int days);
// Seconds since local midnight of the time's own date.
int32_t TimeOfDay(int32_t time);
// The time's local clock time on another date: the date of day, the hour,
// minute and second of time. 0 stays 0.
int32_t MoveToDate(int32_t time, int32_t day);

// Days in a month of a year (month 1 to 12).
int DaysInMonth(int year, int month);

// ---- Texts ----
//
// Every date and 12-hour clock time the program writes is put together
// here, so that a form has one writer whichever window, list, note or
// command shows it.

// The forms of a clock time; the hour shows as 1 to 12, hour 0 as 12.
enum class ClockForm {
  kField,       // " 9:30AM": "%2d:%02d" and "AM" or "PM" (time fields)
  kList,        // "9:30am": "%d:%02d" and "am" or "pm" (lists and titles)
  kListPadded,  // " 9:30am": "%2d:%02d" and "am" or "pm" (time columns)
  kCell,        // "9:30a": "%d:%02d" and "a" or "p" (the month's cells)
};
// The clock time of an hour (0 to 23) and minute in the form.
std::string ClockText(int hour, int minute, ClockForm form);
// "%d-%02d-%02d": month, day, last two digits of the year; with padded the
// month takes two places ("%2d-%02d-%02d").
std::string LocalDateText(const LocalTime& date, bool padded = false);
