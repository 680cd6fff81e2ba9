// A schedule as an iCalendar file (RFC 5545) and back, through libical.
//
// Export: every entry of one owner (a person, or the common schedule) is a
// VEVENT in the office's time zone, with its VTIMEZONE, its note as
// DESCRIPTION and its alarm as a VALARM; an untimed entry is an all-day
// event, and the entries of a repeat group are written one by one (each
// carries its group as X-DESKPOST-REPEAT-GROUP, which an import into
// DESKpost joins again).
//
// Import: the events of a file become entries. Timed events keep their
// instant (moved into the office's zone); all-day events give an untimed
// entry for each of their days; the first VALARM gives the alarm when it
// rings on the entry's day; a recurrence rule (RRULE, less EXDATE) is
// expanded into single entries sharing a repeat group. What the schedule
// cannot hold is refused, one line per event and reason: a year outside
// 1980 to 2037, a day already holding 40 lines, an event without a start
// or a summary, a character Windows-1252 has no byte for, an unknown time
// zone, text libical could not read. An event that is already in the
// schedule (same day, times and description) is passed over, so a file
// imported twice gives its entries once.
//
// Nothing here opens a file dialog or shows anything: the callers (dpadmin,
// the scheduler window) say what the summary says.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/schedule/dpsched.h"

// Repeats of one event beyond this many are refused, so a rule without an
// end cannot fill the table.
constexpr int kMaxIcsRepeats = 10000;

struct IcsRefusal {
  std::string event;   // the summary (UTF-8) and the date, "Board meeting (3-15-27)"
  std::string reason;  // "year outside 1980 to 2037", ...
};

// The entries an iCalendar text gives, before anything is stored.
struct IcsPlan {
  struct Entry {
    SchedRecord record;
    int series = -1;    // entries of one expanded rule or one exported group share it
    std::string event;  // as in IcsRefusal
  };
  std::vector<Entry> entries;
  std::vector<IcsRefusal> refused;
  int events = 0;  // VEVENTs read
};

// Reads the text for the owner. False when the text is not an iCalendar
// calendar at all (one refusal says so); events that cannot be taken are
// refused one by one and the others planned.
bool IcsReadEntries(std::string_view text, int32_t owner, IcsPlan* plan);

struct IcsImportResult {
  int events = 0;
  int added = 0;
  int alreadyThere = 0;
  std::vector<IcsRefusal> refused;
};

// Reads the text and stores its entries in the owner's schedule; 0 only
// on an engine failure (the entries added until then stay).
int SchedImportIcs(SchedTable& handle, int32_t owner, std::string_view text,
                   IcsImportResult* result);
// "3 entries added from 2 events.", then "1 already in the schedule." and
// "2 refused:" with one line per refusal, "  Board meeting (3-15-27): year
// outside 1980 to 2037".
std::string IcsImportSummary(const IcsImportResult& result);

// The owner's whole schedule as an iCalendar text; count gets the events.
// 0 on an engine failure.
int SchedExportIcs(SchedTable& handle, int32_t owner, const std::string& ownerName,
                   std::string* text, int* count);

// The same over files: the table is opened and closed around the work. A
// file that cannot be read fails with 1004, one that cannot be written
// with 1011, naming it.
int SchedExportIcsFile(int32_t owner, const std::string& ownerName, const std::string& path,
                       int* count);
int SchedImportIcsFile(int32_t owner, const std::string& path, IcsImportResult* result);
