// The date, time and owner arguments of dpadmin's schedule and to-do
// commands, read the way the program's own fields read them: dates as
// month-day-year ("3-15-27", years 1980 to 2037), times as the time field
// shows them ("9:30AM", " 9:30PM", "12:00AM").
#pragma once

#include <cstdint>
#include <string>

// The day value of a date text read as a date field reads it; false for a
// blank text or anything a date field refuses (a bad form, a day the month
// does not have, a year outside 1980 to 2037).
bool ParseAdminDate(const std::string& text, int32_t* day);
// Says that the text is no date, with the form a date takes; answers the
// exit status for a bad argument.
int ComplainBadDate(const std::string& text);
// A time text on a day, in any form the time field accepts ("9:30AM",
// "930p", "14:00", "8"); false for anything else.
bool ParseAdminTime(const std::string& text, int32_t day, int32_t* time);
// "%d-%02d-%02d": month, day, last two digits of the year.
std::string FormatAdminDate(int32_t time);
// "%2d:%02d%s" with "AM" or "PM"; empty for 0.
std::string FormatAdminTime(int32_t time);

// The owner number of a schedule or to-do list: a person's name in any
// letter case, or "* COMMON" (-1) when common is allowed. *name gets the
// name as stored. Answers an exit status: 0 found; 1 no such person, or a
// group; 2 the name table could not be read. Prints why when not 0.
int AdminOwner(const std::string& text, bool commonAllowed, int32_t* owner, std::string* name);
