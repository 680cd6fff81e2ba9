// The ics target: an iCalendar text of arbitrary bytes read by the import
// (libical's parser, then the conversion to schedule entries), without
// storing anything.
//
// Beyond "no crash": every planned entry is one a schedule can hold (a
// description of 1 to 52 characters without its line breaks, a start in
// 1980 to 2037, an end later than the start on its day, an alarm on its
// day, the owner asked for), no event gives more entries than the repeat
// cap allows, and every refusal names a reason.
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

#include "data/local_time.h"
#include "data/schedule/sched_ical.h"
#include "fuzz/harness.h"

namespace {

constexpr int32_t kOwner = 7;

std::string Problem(const IcsPlan::Entry& e) {
  const SchedRecord& r = e.record;
  const std::string d = r.Description();
  if (d.empty() || d.size() > size_t(kMaxSchedDescription)) return "description length";
  if (d.find_first_of("\r\n") != std::string::npos) return "line break in the description";
  if (r.Owner() != kOwner) return "owner";
  const int year = ToLocal(r.Start()).year;
  if (year < 1980 || year > 2037) return "start year " + std::to_string(year);
  if (r.End() != 0 && (r.End() <= r.Start() || DayOf(r.End()) != DayOf(r.Start())))
    return "end not later on the same day";
  if (r.Alarm() != 0 && DayOf(r.Alarm()) != DayOf(r.Start())) return "alarm on another day";
  if (r.Note().size() > size_t(kMaxSchedNote)) return "note length";
  return "";
}

std::string Check(const uint8_t* data, size_t size);

}  // namespace

std::string RunIcsInput(const uint8_t* data, size_t size) {
  // The office's zone is fixed, so a finding replays alike everywhere; the
  // caller's comes back afterwards.
  const char* old = std::getenv("TZ");
  const std::string before = old ? old : "";
  setenv("TZ", "America/New_York", 1);
  tzset();
  const std::string problem = Check(data, size);
  if (old) {
    setenv("TZ", before.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
  return problem;
}

namespace {

std::string Check(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  IcsPlan plan;
  IcsReadEntries(text, kOwner, &plan);
  for (const IcsPlan::Entry& e : plan.entries) {
    const std::string problem = Problem(e);
    if (!problem.empty()) return "planned entry " + e.event + ": " + problem;
  }
  // Each event gives at most the repeat cap (all-day events one a day).
  if (plan.entries.size() > size_t(plan.events + 1) * size_t(kMaxIcsRepeats) * 2)
    return "more entries than the events allow";
  for (const IcsRefusal& r : plan.refused)
    if (r.reason.empty()) return "a refusal without a reason";
  return "";
}

}  // namespace
