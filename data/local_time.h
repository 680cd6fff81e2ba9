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
