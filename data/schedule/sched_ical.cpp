#include "data/schedule/sched_ical.h"

#include <libical/ical.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "data/clock.h"
#include "data/cp1252.h"
#include "data/local_time.h"
#include "data/schedule/sched_repeat.h"
#include "storage/errors.h"

namespace sr = records::sched;

namespace {

constexpr int kFirstYear = 1980;
constexpr int kLastYear = 2037;
// Rules are walked at most this far, so a rule whose occurrences all lie
// before 1980 or are excluded cannot keep the import busy.
constexpr int kMaxRuleSteps = 100000;
constexpr char kGroupProperty[] = "X-DESKPOST-REPEAT-GROUP";
constexpr char kOutOfRange[] = "year outside 1980 to 2037";

// Frees a libical component when it goes.
struct Component {
  icalcomponent* c = nullptr;
  explicit Component(icalcomponent* component) : c(component) {}
  ~Component() {
    if (c) icalcomponent_free(c);
  }
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;
};

// The name of the zone the process keeps its clocks in (the office's, set
// when the data directory was opened): TZ, else the link /etc/localtime.
std::string ProcessZoneName() {
  if (const char* tz = std::getenv("TZ")) {
    std::string name = tz;
    if (!name.empty() && name[0] == ':') name.erase(0, 1);
    return name;
  }
  char target[512] = {};
  const ssize_t n = readlink("/etc/localtime", target, sizeof target - 1);
  if (n <= 0) return "";
  const std::string path(target, size_t(n));
  const std::string marker = "zoneinfo/";
  const size_t at = path.find(marker);
  return at == std::string::npos ? "" : path.substr(at + marker.size());
}

bool InRange(int64_t t) {
  if (t < INT32_MIN || t > INT32_MAX) return false;
  const int year = ToLocal(int32_t(t)).year;
  return year >= kFirstYear && year <= kLastYear;
}

std::string Utf8(const std::string& bytes) {
  return Cp1252ToUtf8(bytes);
}

// Stored line breaks (CR, or CR LF) as the file's "\n".
std::string FileLines(const std::string& stored) {
  std::string out;
  for (size_t i = 0; i < stored.size(); ++i) {
    if (stored[i] == '\r') {
      out += '\n';
      if (i + 1 < stored.size() && stored[i + 1] == '\n') ++i;
    } else {
      out += stored[i];
    }
  }
  return out;
}

// The file's line breaks as the note keeps them: one CR each.
std::string StoredLines(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i] == '\n' ? '\r' : text[i];
  }
  return out;
}

// The date as the program shows it; a time the schedule cannot hold by
// the file's own date.
std::string DateText(int64_t t, const icaltimetype& fileTime) {
  if (InRange(t)) return LocalDateText(ToLocal(int32_t(t)));
  LocalTime date;
  date.year = fileTime.year;
  date.month = fileTime.month;
  date.day = fileTime.day;
  return LocalDateText(date);
}

// ---- reading ------------------------------------------------------------

class EventReader {
 public:
  // seriesCount numbers the series of the whole calendar.
  EventReader(icalcomponent* calendar, int32_t owner, IcsPlan* plan, int* seriesCount)
      : calendar_(calendar), owner_(owner), plan_(plan), seriesCount_(*seriesCount) {}

  void Read(icalcomponent* event, std::map<std::string, int>* groups) {
    ++plan_->events;
    const char* summary = icalcomponent_get_summary(event);
    name_ = summary ? summary : "";
    if (icalproperty* error = icalcomponent_get_first_property(event, ICAL_XLICERROR_PROPERTY)) {
      const char* text = icalproperty_get_xlicerror(error);
      return Refuse(std::string("malformed: ") + (text ? text : "unreadable text"));
    }
    icalproperty* startProp = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
    if (!startProp) return Refuse("no start time");
    const icaltimetype start = icalproperty_get_dtstart(startProp);
    if (icaltime_is_null_time(start) || !icaltime_is_valid_time(start))
      return Refuse("no start time");
    std::string zoneProblem;
    int64_t first = 0;
    if (!ToTime(start, startProp, &first, &zoneProblem)) return Refuse(zoneProblem);
    when_ = first;
    fileTime_ = start;
    if (name_.find_first_not_of(" \t\r\n") == std::string::npos) return Refuse("no summary");
    std::string description, bad;
    if (!Utf8ToCp1252(name_, &description, &bad))
      return Refuse("a character the schedule cannot hold: " + bad);
    std::string note;
    if (const char* text = icalcomponent_get_description(event)) {
      if (!Utf8ToCp1252(text, &note, &bad))
        return Refuse("a character the schedule cannot hold: " + bad);
    }
    // A description keeps its first line; the rest goes before the note.
    const size_t lineEnd = description.find_first_of("\r\n");
    if (lineEnd != std::string::npos) description.erase(lineEnd);

    const bool allDay = start.is_date;
    int64_t length = 0;  // seconds from start to end; 0 for none
    if (icalproperty* endProp = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY)) {
      const icaltimetype end = icalproperty_get_dtend(endProp);
      int64_t endTime = 0;
      if (!icaltime_is_null_time(end) && ToTime(end, endProp, &endTime, &zoneProblem))
        length = endTime - first;
    } else if (icalproperty* d = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY)) {
      length = icaldurationtype_as_int(icalproperty_get_duration(d));
    }
    bool hasAlarm = false;
    int64_t alarmOffset = 0;
    AlarmOffset(event, length, &hasAlarm, &alarmOffset);

    int series = -1;
    if (icalproperty* g = icalcomponent_get_first_property(event, ICAL_X_PROPERTY)) {
      for (; g; g = icalcomponent_get_next_property(event, ICAL_X_PROPERTY)) {
        const char* xname = icalproperty_get_x_name(g);
        const char* value = icalproperty_get_x(g);
        if (xname && value && std::string(xname) == kGroupProperty) {
          auto [it, added] = groups->emplace(value, int(groups->size()) + 1000000);
          series = it->second;
        }
      }
    }

    std::vector<int64_t> starts;
    icalproperty* ruleProp = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
    if (ruleProp) {
      series = ++seriesCount_;
      Expand(event, start, startProp, icalproperty_get_rrule(ruleProp), &starts);
    } else {
      starts.push_back(first);
    }

    SchedRecord base;
    base.SetOwner(owner_);
    base.SetDescription(description);
    base.SetNote(StoredLines(note));
    for (int64_t s : starts) {
      when_ = s;
      if (!InRange(s)) {
        Refuse(kOutOfRange);
        continue;
      }
      if (allDay) {
        // Each day of the event (DTEND is the day after the last).
        const int days = length > 86400 ? int((length + 3600) / 86400) : 1;
        const int daySeries = days > 1 && series < 0 ? ++seriesCount_ : series;
        int32_t day = DayOf(int32_t(s));
        for (int i = 0; i < days; ++i, day = AddDays(day, 1)) {
          if (!InRange(day)) {
            when_ = day;
            Refuse(kOutOfRange);
            break;
          }
          SchedRecord r = base;
          r.SetStart(day);
          Plan(r, daySeries);
        }
        continue;
      }
      SchedRecord r = base;
      const int32_t t = int32_t(s);
      // A timed entry at midnight is kept one second later, apart from the
      // untimed ones.
      r.SetStart(t == DayOf(t) ? t + 1 : t);
      const int64_t end = s + length;
      if (length > 0 && end <= INT32_MAX && DayOf(int32_t(end)) == DayOf(t) && end > r.Start())
        r.SetEnd(int32_t(end));
      const int64_t alarm = s + alarmOffset;
      if (hasAlarm && alarm >= INT32_MIN && alarm <= INT32_MAX && alarm != 0 &&
          DayOf(int32_t(alarm)) == DayOf(t))
        r.SetAlarm(int32_t(alarm));
      Plan(r, series);
    }
  }

 private:
  void Refuse(const std::string& reason) { plan_->refused.push_back({Label(), reason}); }
  std::string Label() const {
    std::string label = name_.empty() ? "(no summary)" : name_;
    if (when_ != INT64_MIN) label += " (" + DateText(when_, fileTime_) + ")";
    return label;
  }
  void Plan(const SchedRecord& r, int series) { plan_->entries.push_back({r, series, Label()}); }

  // A time of the file as seconds: dates at the office's midnight, UTC as
  // it is, a TZID by its VTIMEZONE in the file or the zone of that name,
  // a floating time as the office's clock time.
  bool ToTime(icaltimetype t, icalproperty* prop, int64_t* out, std::string* problem) const {
    if (t.is_date) {
      *out = FromLocal(t.year, t.month, t.day);
      return true;
    }
    if (icaltime_is_utc(t)) {
      *out = icaltime_as_timet_with_zone(t, icaltimezone_get_utc_timezone());
      return true;
    }
    icalparameter* tzid =
        prop ? icalproperty_get_first_parameter(prop, ICAL_TZID_PARAMETER) : nullptr;
    if (!tzid) {
      if (t.year < 1900 || t.year > 2200) {
        *out = INT64_MIN / 2;
        return true;
      }
      *out = FromLocal(t.year, t.month, t.day, t.hour, t.minute, t.second);
      return true;
    }
    const char* id = icalparameter_get_tzid(tzid);
    icaltimezone* zone = id ? icalcomponent_get_timezone(calendar_, id) : nullptr;
    if (!zone && id) zone = icaltimezone_get_builtin_timezone(id);
    if (!zone && id) zone = icaltimezone_get_builtin_timezone_from_tzid(id);
    if (!zone) {
      *problem = std::string("unknown time zone ") + (id ? id : "");
      return false;
    }
    *out = icaltime_as_timet_with_zone(t, zone);
    return true;
  }

  // The first VALARM's trigger as seconds from the start.
  void AlarmOffset(icalcomponent* event, int64_t length, bool* has, int64_t* offset) const {
    icalcomponent* alarm = icalcomponent_get_first_component(event, ICAL_VALARM_COMPONENT);
    if (!alarm) return;
    icalproperty* trigger = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
    if (!trigger) return;
    const icaltriggertype trig = icalproperty_get_trigger(trigger);
    if (!icaltime_is_null_time(trig.time)) {
      int64_t at = 0;
      std::string problem;
      if (!ToTime(trig.time, trigger, &at, &problem)) return;
      *offset = at - when_;
      *has = true;
      return;
    }
    *offset = icaldurationtype_as_int(trig.duration);
    icalparameter* related = icalproperty_get_first_parameter(trigger, ICAL_RELATED_PARAMETER);
    if (related && icalparameter_get_related(related) == ICAL_RELATED_END) *offset += length;
    *has = true;
  }

  void Expand(icalcomponent* event, icaltimetype start, icalproperty* startProp,
              icalrecurrencetype rule, std::vector<int64_t>* starts) {
    std::set<int64_t> excluded;
    for (icalproperty* ex = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); ex;
         ex = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
      int64_t t = 0;
      std::string problem;
      icaltimetype exTime = icalproperty_get_exdate(ex);
      if (!icaltime_is_null_time(exTime) &&
          ToTime(exTime, icalproperty_get_first_parameter(ex, ICAL_TZID_PARAMETER) ? ex : startProp,
                 &t, &problem))
        excluded.insert(t);
    }
    icalrecur_iterator* it = icalrecur_iterator_new(rule, start);
    if (!it) {
      Refuse("malformed: a recurrence rule that cannot be followed");
      return;
    }
    int outside = 0;
    int beyond = 0;
    bool after = false;
    for (int step = 0; step < kMaxRuleSteps; ++step) {
      const icaltimetype next = icalrecur_iterator_next(it);
      if (icaltime_is_null_time(next)) break;
      // The schedule ends with 2037: the rule is followed no further.
      if (next.year > kLastYear) {
        after = true;
        break;
      }
      int64_t t = 0;
      std::string problem;
      if (!ToTime(next, startProp, &t, &problem)) break;
      if (excluded.count(t)) continue;
      if (!InRange(t)) {
        ++outside;
        continue;
      }
      if (int(starts->size()) >= kMaxIcsRepeats) {
        ++beyond;
        break;
      }
      starts->push_back(t);
    }
    icalrecur_iterator_free(it);
    if (outside > 0) {
      when_ = INT64_MIN;
      Refuse(std::to_string(outside) + " repeat" + (outside == 1 ? "" : "s") + " with a " +
             kOutOfRange);
    }
    if (after) {
      when_ = INT64_MIN;
      Refuse("repeats after 2037 left out");
    }
    if (beyond > 0) {
      when_ = INT64_MIN;
      Refuse("more than " + std::to_string(kMaxIcsRepeats) + " repeats");
    }
  }

  icalcomponent* calendar_;
  int32_t owner_;
  IcsPlan* plan_;
  std::string name_;
  int64_t when_ = INT64_MIN;
  icaltimetype fileTime_ = icaltime_null_time();
  int& seriesCount_;
};

void ReadCalendar(icalcomponent* calendar, int32_t owner, IcsPlan* plan) {
  std::map<std::string, int> groups;
  int seriesCount = 0;
  for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
       e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
    EventReader one(calendar, owner, plan, &seriesCount);
    one.Read(e, &groups);
  }
}

// ---- storing ------------------------------------------------------------

// Whether the owner's day holds an entry with the same start, end and
// description.
int AlreadyThere(SchedTable& handle, const SchedRecord& r, bool* there) {
  *there = false;
  SchedKey key;
  if (!SchedFindFirst(handle, DayOf(r.Start()), r.Owner(), &key)) {
    if (AppErrorCode() == kAppEndOfFile) return 1;
    return 0;
  }
  const int32_t day = DayOf(r.Start());
  while (key.Owner() == r.Owner() && DayOf(key.Start()) == day) {
    if (key.Start() == r.Start() && key.End() == r.End()) {
      SchedRecord stored;
      if (SchedRead(handle, key.RecordNumber(), &stored) &&
          stored.Description() == r.Description()) {
        *there = true;
        return 1;
      }
    }
    if (!SchedNext(handle, &key)) return AppErrorCode() == kAppEndOfFile ? 1 : 0;
  }
  return 1;
}

// ---- writing ------------------------------------------------------------

icaltimetype FileTime(int32_t t, icaltimezone* zone) {
  if (!zone) return icaltime_from_timet_with_zone(t, 0, icaltimezone_get_utc_timezone());
  // The clock time in the zone, written with a TZID parameter: the value
  // itself carries no zone (libical would mark it UTC).
  icaltimetype tt = icaltime_from_timet_with_zone(t, 0, zone);
  tt.zone = nullptr;
  return tt;
}

icalproperty* WithZone(icalproperty* p, const std::string& tzid, bool dated) {
  if (!tzid.empty() && !dated) icalproperty_add_parameter(p, icalparameter_new_tzid(tzid.c_str()));
  return p;
}

icaltimetype DateOnly(int32_t day) {
  const LocalTime lt = ToLocal(day);
  icaltimetype d = icaltime_null_date();
  d.year = lt.year;
  d.month = lt.month;
  d.day = lt.day;
  d.is_date = 1;
  return d;
}

}  // namespace

bool IcsReadEntries(std::string_view text, int32_t owner, IcsPlan* plan) {
  const std::string copy(text);
  Component root(icalparser_parse_string(copy.c_str()));
  if (!root.c) {
    plan->refused.push_back({"the file", "not an iCalendar file"});
    return false;
  }
  const icalcomponent_kind kind = icalcomponent_isa(root.c);
  if (kind == ICAL_VCALENDAR_COMPONENT) {
    ReadCalendar(root.c, owner, plan);
    return true;
  }
  if (kind == ICAL_XROOT_COMPONENT) {
    bool any = false;
    for (icalcomponent* c = icalcomponent_get_first_component(root.c, ICAL_VCALENDAR_COMPONENT); c;
         c = icalcomponent_get_next_component(root.c, ICAL_VCALENDAR_COMPONENT)) {
      ReadCalendar(c, owner, plan);
      any = true;
    }
    if (any) return true;
  }
  plan->refused.push_back({"the file", "not an iCalendar file"});
  return false;
}

int SchedImportIcs(SchedTable& handle, int32_t owner, std::string_view text,
                   IcsImportResult* result) {
  IcsPlan plan;
  IcsReadEntries(text, owner, &plan);
  result->events += plan.events;
  result->refused.insert(result->refused.end(), plan.refused.begin(), plan.refused.end());
  // The repeat group each series of the file was given.
  std::map<int, int32_t> groups;
  for (IcsPlan::Entry& e : plan.entries) {
    bool there = false;
    if (!AlreadyThere(handle, e.record, &there)) return 0;
    if (there) {
      ++result->alreadyThere;
      continue;
    }
    auto group = groups.find(e.series);
    if (e.series >= 0 && group != groups.end()) e.record.SetRepeatGroup(group->second);
    int32_t recordNumber = -1;
    if (!SchedAdd(handle, e.record, &recordNumber)) {
      if (AppErrorCode() == kAppMaxRecords) {
        result->refused.push_back({e.event, "the day already holds 40 lines"});
        continue;
      }
      if (SchedDuplicate()) {
        ++result->alreadyThere;
        continue;
      }
      return 0;
    }
    ++result->added;
    // The first entry of a series stored takes a new repeat group; the
    // others join it.
    if (e.series >= 0 && group == groups.end()) {
      if (!RepeatEnsureGroup(handle, recordNumber, e.record)) return 0;
      groups[e.series] = e.record.RepeatGroup();
    }
  }
  return 1;
}

std::string IcsImportSummary(const IcsImportResult& r) {
  std::ostringstream out;
  out << r.added << (r.added == 1 ? " entry" : " entries") << " added from " << r.events
      << (r.events == 1 ? " event." : " events.") << "\n";
  if (r.alreadyThere > 0) out << r.alreadyThere << " already in the schedule.\n";
  if (!r.refused.empty()) {
    out << r.refused.size() << " refused:\n";
    for (const IcsRefusal& x : r.refused) out << "  " << x.event << ": " << x.reason << "\n";
  }
  return out.str();
}

int SchedExportIcs(SchedTable& handle, int32_t owner, const std::string& ownerName,
                   std::string* text, int* count) {
  *count = 0;
  Component calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
  icalcomponent_add_property(calendar.c, icalproperty_new_version("2.0"));
  icalcomponent_add_property(calendar.c, icalproperty_new_prodid("-//DESKpost//Schedule//EN"));
  icalproperty* calName = icalproperty_new_x(Utf8(ownerName).c_str());
  icalproperty_set_x_name(calName, "X-WR-CALNAME");
  icalcomponent_add_property(calendar.c, calName);

  // The office's zone, when this machine knows it by name; else UTC.
  std::string tzid = ProcessZoneName();
  icaltimezone* zone = nullptr;
  if (!tzid.empty() && tzid != "UTC" && tzid != "Etc/UTC")
    zone = icaltimezone_get_builtin_timezone(tzid.c_str());
  if (zone) {
    icalcomponent* vtz = icalcomponent_new_clone(icaltimezone_get_component(zone));
    if (icalproperty* id = icalcomponent_get_first_property(vtz, ICAL_TZID_PROPERTY))
      icalproperty_set_tzid(id, tzid.c_str());
    icalcomponent_add_component(calendar.c, vtz);
  } else {
    tzid.clear();
  }

  SchedKey from;
  SetFieldI32(from.bytes, sr::x1::kOwner, owner);
  SetFieldI32(from.bytes, sr::x1::kStart, INT32_MIN);
  SchedKey key;
  int32_t recordNumber = 0;
  bool more = SchedFindKey(handle, from, &recordNumber, &key);
  if (!more && AppErrorCode() != kAppEndOfFile) return 0;
  const icaltimetype stamp =
      icaltime_from_timet_with_zone(ClockNow(), 0, icaltimezone_get_utc_timezone());
  while (more && key.Owner() == owner) {
    SchedRecord r;
    if (!SchedRead(handle, key.RecordNumber(), &r)) return 0;
    icalcomponent* ev = icalcomponent_new(ICAL_VEVENT_COMPONENT);
    const std::string uid =
        "deskpost-" +
        (owner == kCommonScheduleOwner ? std::string("common") : std::to_string(owner)) + "-" +
        std::to_string(r.UniqueId()) + "@deskpost.invalid";
    icalcomponent_add_property(ev, icalproperty_new_uid(uid.c_str()));
    icalcomponent_add_property(ev, icalproperty_new_dtstamp(stamp));
    icalcomponent_add_property(ev, icalproperty_new_summary(Utf8(r.Description()).c_str()));
    if (!r.Note().empty())
      icalcomponent_add_property(ev,
                                 icalproperty_new_description(Utf8(FileLines(r.Note())).c_str()));
    const int32_t day = DayOf(r.Start());
    int32_t start = r.Start();
    if (start == day) {
      icalcomponent_add_property(ev, icalproperty_new_dtstart(DateOnly(day)));
      icalcomponent_add_property(ev, icalproperty_new_dtend(DateOnly(AddDays(day, 1))));
    } else {
      if (start == day + 1) start = day;  // a timed entry at midnight
      icalcomponent_add_property(
          ev, WithZone(icalproperty_new_dtstart(FileTime(start, zone)), tzid, false));
      if (r.End() != 0)
        icalcomponent_add_property(
            ev, WithZone(icalproperty_new_dtend(FileTime(r.End(), zone)), tzid, false));
    }
    if (r.Alarm() != 0) {
      icalcomponent* alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
      icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
      icalcomponent_add_property(alarm,
                                 icalproperty_new_description(Utf8(r.Description()).c_str()));
      icaltriggertype trigger;
      trigger.time = icaltime_null_time();
      trigger.duration = icaldurationtype_from_int(r.Alarm() - start);
      icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
      icalcomponent_add_component(ev, alarm);
    }
    if (r.RepeatGroup() != 0) {
      icalproperty* group = icalproperty_new_x(std::to_string(r.RepeatGroup()).c_str());
      icalproperty_set_x_name(group, kGroupProperty);
      icalcomponent_add_property(ev, group);
    }
    icalcomponent_add_component(calendar.c, ev);
    ++*count;
    more = SchedNext(handle, &key);
    if (!more && AppErrorCode() != kAppEndOfFile) return 0;
  }
  ClearAppError();
  char* out = icalcomponent_as_ical_string_r(calendar.c);
  *text = out ? out : "";
  std::free(out);
  return 1;
}

int SchedExportIcsFile(int32_t owner, const std::string& ownerName, const std::string& path,
                       int* count) {
  SchedTable handle;
  if (!SchedOpen(handle)) return 0;
  std::string text;
  const int ok = SchedExportIcs(handle, owner, ownerName, &text, count);
  const AppError kept = CurrentAppError();
  SchedClose(handle);
  if (!ok) {
    RestoreAppError(kept);
    return 0;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    SetAppError(kAppWriteError, path);
    return 0;
  }
  return 1;
}

int SchedImportIcsFile(int32_t owner, const std::string& path, IcsImportResult* result) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    SetAppError(kAppNoSuchFile, path);
    return 0;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    SetAppError(kAppReadError, path);
    return 0;
  }
  SchedTable handle;
  if (!SchedOpen(handle)) return 0;
  const int ok = SchedImportIcs(handle, owner, text.str(), result);
  const AppError kept = CurrentAppError();
  SchedClose(handle);
  if (!ok) RestoreAppError(kept);
  return ok;
}
