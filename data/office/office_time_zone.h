// The office's one time zone.
//
// Day values are local midnight and schedule times local clock times, taken
// apart and put together in the zone of the program that reads or stores
// them. An office is one place: DPDESK.CFG's TIMEZONE names its zone, and
// every program of the office (each workstation, dpadmin) makes it the
// process's zone when it opens the data directory, so an untimed entry
// stored under UTC shows on the same day in New York. Without TIMEZONE each
// program keeps the machine's own zone, as offices always did.
#pragma once

#include <string>

struct OfficeZoneResult {
  // False when TIMEZONE names a zone this machine's time zone database does
  // not hold; the application error is then set (kAppUnknownTimeZone) and
  // the machine's own zone stays in force.
  bool ok = true;
  // Set when the office's zone keeps other clocks than the machine's own:
  // the text to show the user at start-up.
  std::string warning;
};

// Reads TIMEZONE from "<directory>DPDESK.CFG" and makes it the process's
// zone; without one, the machine's own zone (again, after an office with
// one was opened before).
OfficeZoneResult ApplyOfficeTimeZone(const std::string& directory);

// Whether the name is a zone of the time zone database on this machine
// ("Europe/Paris", "UTC"); names that could reach outside it ("../x", "/x")
// are not.
bool KnownTimeZone(const std::string& name);
