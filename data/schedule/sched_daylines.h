// Day lines: the rows the day view draws for one person's day, and the unit
// the week view, the month view and the printed schedule are built from.
//
// An entry without an end time gives one line at its start; an entry with
// an end time gives a start line and an end line, and a bracket drawn down
// the description column joins the two: a top corner on the start line, a
// bar on every line between, a bottom corner on the end line. A line that
// lies inside the bracket of another entry as well carries the overlap flag.
// With preset hours the day also shows an empty slot for every hour of the
// working day at which no line stands, so a new entry can be put there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/schedule/dpsched.h"

// Bracket characters as the office's code page draws them.
constexpr uint8_t kBracketNone = ' ';
constexpr uint8_t kBracketTop = 218;
constexpr uint8_t kBracketBar = 179;
constexpr uint8_t kBracketBottom = 192;

// A day never holds more lines than this, preset slots included.
constexpr int kMaxBuiltDayLines = 64;

struct DayLine {
  // The entry's key; all zero for an empty slot.
  SchedKey key;
  // Where the line stands: the entry's start, its end for an end line, the
  // slot's hour.
  int32_t time = 0;
  // The entry's end time on a start line, 0 otherwise.
  int32_t end = 0;
  // -1 on a start line and on a slot; on an end line the record number of
  // its entry.
  int32_t endOf = -1;
  uint8_t bracket = kBracketNone;
  bool overlap = false;
  // The entry's whole description on a start line; empty otherwise.
  std::string description;

  bool IsSlot() const { return key.UniqueId() == 0 && key.Start() == 0; }
  bool IsEndLine() const { return endOf != -1; }
};

// The working day's hours, shown as empty slots. Hour 0 stands at 00:00:01,
// where a timed midnight entry is stored.
struct PresetHours {
  int first = 8;
  int last = 17;
};
// The hours as the options give them: a first hour above 23 is taken as 8,
// a last hour below the first as the first, and one above 23 as 23 (an
// hour 24 would be a slot on the next day).
PresetHours PresetHoursFromOptions(int presetStart, int presetEnd);

// Puts a line among the others in order of time, then description byte for
// byte; it goes after the lines equal to it.
void InsertDayLine(std::vector<DayLine>& lines, DayLine line);
// Adds an empty slot at each preset hour of the day at which no line
// stands exactly, as long as the day holds fewer than 64 lines. The hours
// are wall-clock hours of the day's date. Answers the number added.
int AddPresetSlots(std::vector<DayLine>& lines, int32_t day, PresetHours hours);
// Draws the brackets: for each start line with an end time, in order, a
// top corner on it, then on each following line the overlap flag when it
// already carries a bracket and a bar, until its own end line, which gets
// the bottom corner.
void DrawBrackets(std::vector<DayLine>& lines);

// The day lines of (owner, day): start and end lines of the entries, the
// preset slots when presets are given, and the brackets. Entries are taken
// in key order while fewer than 40 lines are held; an entry's end line
// always comes with its start line, so a day of 39 lines and an entry with
// an end time shows all 41. An entry deleted by another workstation while
// the day is read is left out. slotsAdded, when given, gets the number of
// preset slots.
int SchedBuildDayLines(SchedTable& handle, int32_t day, int32_t owner, const PresetHours* presets,
                       std::vector<DayLine>* lines, int* slotsAdded = nullptr);

// The text of the day view's time column for line i: nothing for a line at
// exactly 00:00:00 of its day (an untimed entry) and for a line at the same
// time as the one above, else "%2d:%02d%s" with "am" or "pm".
std::string DayLineTimeText(const std::vector<DayLine>& lines, size_t i);
// Whether line i is untimed (drawn on pale yellow).
bool IsUntimedLine(const DayLine& line);
