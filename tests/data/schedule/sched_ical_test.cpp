// Schedules as iCalendar files, checked against an outside reader and
// writer (Python's icalendar module): an exported schedule read back with
// its summaries, zoned times, alarms and repeats as single events; a file
// written by Python imported with what it cannot hold refused and
// summarised; a file imported twice gives its entries once; broken input
// and missing files.
#include "data/schedule/sched_ical.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "data/schedule/sched_repeat.h"
#include "storage/errors.h"
#include "tests/data/schedule/sched_fixture.h"

namespace {

constexpr int32_t kBob = 2;
constexpr int32_t kAnne = 1;
constexpr char kPython[] = "/usr/bin/python3";

class SchedIcalTest : public SchedTableTest {
 protected:
  // Runs a Python script in the test's folder; its standard output.
  std::string Python(const std::string& script) {
    const std::string file = dir.File("script.py");
    const std::string out = dir.File("script.out");
    std::ofstream(file, std::ios::binary) << "import os\nos.chdir('" + dir.Path() + "')\n" + script;
    const std::string command =
        std::string(kPython) + " " + file + " > " + out + " 2> " + dir.File("script.err");
    EXPECT_EQ(std::system(command.c_str()), 0) << ReadWholeFile(dir.File("script.err"));
    return ReadWholeFile(out);
  }

  std::string Export(int32_t owner, const std::string& name) {
    std::string text;
    int count = 0;
    EXPECT_EQ(SchedExportIcs(sched, owner, name, &text, &count), 1);
    return text;
  }
};

// A calendar of one event with the given properties and components.
std::string OneEvent(const std::string& lines) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//\r\nBEGIN:VEVENT\r\n" + lines +
         "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

// Each exported event as Python's reader sees it, one line each.
constexpr char kReadBack[] = R"(
import icalendar
cal = icalendar.Calendar.from_ical(open('export.ics', 'rb').read())
print('zones', ','.join(str(z['TZID']) for z in cal.walk('VTIMEZONE')))
for e in cal.walk('VEVENT'):
    s = e.decoded('DTSTART')
    kind = 'date' if not hasattr(s, 'hour') else 'time'
    start = s.isoformat()
    end = e.decoded('DTEND').isoformat() if 'DTEND' in e else '-'
    tzid = e['DTSTART'].params.get('TZID', '-')
    alarms = [int(a.decoded('TRIGGER').total_seconds()) for a in e.walk('VALARM')]
    alarm = str(alarms[0]) if alarms else '-'
    group = str(e.get('X-DESKPOST-REPEAT-GROUP', '-'))
    note = e.get('DESCRIPTION', '-').replace('\n', '|')
    print('|'.join([str(e['SUMMARY']), kind, start, end, tzid, alarm, group, note]))
)";

TEST_F(SchedIcalTest, AnExportedScheduleReadsBackInAnOutsideReader) {
  SchedRecord meeting = Entry(kBob, 2027, 3, 15, 9, 30, "Board meeting", 11);
  meeting.SetAlarm(At(2027, 3, 15, 9, 15));
  meeting.SetNote("Room 4\rBring the figures");
  Add(meeting);
  Add(Entry(kBob, 2027, 3, 16, -1, 0, "Caf\xe9 opening"));  // untimed, Windows-1252 e acute
  SchedRecord midnight = Entry(kBob, 2027, 3, 17, 0, 0, "Night shift");
  midnight.SetStart(midnight.Start() + 1);  // a timed entry at 12:00AM
  Add(midnight);
  // A repeat group: every day from 1 April to 3 April.
  SchedRecord daily = Entry(kBob, 2027, 4, 1, 8, 0, "Stand-up");
  daily.SetAlarm(At(2027, 4, 1, 7, 55));
  const int32_t first = Add(daily);
  ASSERT_EQ(RepeatDaily(sched, first, daily, {daily.Start(), At(2027, 4, 3, 23, 59, 59), 1}), 1);
  Add(Entry(kAnne, 2027, 3, 15, 10, 0, "Not Bob's"));
  const int32_t group = daily.RepeatGroup();

  std::ofstream(dir.File("export.ics"), std::ios::binary) << Export(kBob, "BOB");
  std::istringstream lines(Python(kReadBack));
  std::vector<std::string> got;
  for (std::string line; std::getline(lines, line);) got.push_back(line);
  const std::string g = std::to_string(group);
  const std::vector<std::string> expected = {
      "zones America/New_York",
      "Board meeting|time|2027-03-15T09:30:00-04:00|2027-03-15T11:00:00-04:00|America/New_York|"
      "-900|-|Room 4|Bring the figures",
      "Caf\xc3\xa9 opening|date|2027-03-16|2027-03-17|-|-|-|-",
      "Night shift|time|2027-03-17T00:00:00-04:00|-|America/New_York|-|-|-",
      "Stand-up|time|2027-04-01T08:00:00-04:00|-|America/New_York|-300|" + g + "|-",
      "Stand-up|time|2027-04-02T08:00:00-04:00|-|America/New_York|-300|" + g + "|-",
      "Stand-up|time|2027-04-03T08:00:00-04:00|-|America/New_York|-300|" + g + "|-",
  };
  EXPECT_EQ(got, expected);
}

TEST_F(SchedIcalTest, TheCommonScheduleExportsAndAnEmptyOneIsAnEmptyCalendar) {
  SchedRecord fireworks = Entry(kCommonScheduleOwner, 2027, 7, 4, 21, 0, "Fireworks");
  fireworks.SetAlarm(At(2027, 7, 4, 20, 30));
  const int32_t id = SchedAdd(sched, fireworks) ? fireworks.UniqueId() : 0;
  Add(Entry(kCommonScheduleOwner, 2027, 7, 4, -1, 0, "Independence Day"));
  std::string text;
  int count = -1;
  ASSERT_EQ(SchedExportIcs(sched, kCommonScheduleOwner, "* COMMON", &text, &count), 1);
  EXPECT_EQ(count, 2);
  EXPECT_NE(text.find("SUMMARY:Independence Day"), std::string::npos);
  // Every event has a UID of its own; a display alarm says what it is for.
  EXPECT_NE(text.find("UID:deskpost-common-" + std::to_string(id) + "@deskpost.invalid"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("ACTION:DISPLAY\r\nDESCRIPTION:Fireworks\r\nTRIGGER:-PT30M"),
            std::string::npos)
      << text;
  ASSERT_EQ(SchedExportIcs(sched, 3, "CAROL", &text, &count), 1);
  EXPECT_EQ(count, 0);
  EXPECT_NE(text.find("BEGIN:VCALENDAR"), std::string::npos);
  EXPECT_EQ(text.find("BEGIN:VEVENT"), std::string::npos);
}

// Python's writer makes the file; the import takes what the schedule can
// hold and names the rest.
constexpr char kWriter[] = R"(
import icalendar, datetime
from dateutil import tz
cal = icalendar.Calendar()
cal.add('prodid', '-//outside//writer//')
cal.add('version', '2.0')
n = 0
def event(summary, start, end=None, **props):
    global n
    n += 1
    e = icalendar.Event()
    if summary is not None:
        e.add('summary', summary)
    e.add('uid', 'e%d@outside' % n)
    if start is not None:
        e.add('dtstart', start)
    if end is not None:
        e.add('dtend', end)
    for k, v in props.items():
        e.add(k, v)
    cal.add_component(e)
    return e
paris = tz.gettz('Europe/Paris')
lunch = event('Lunch in Paris', datetime.datetime(2027, 3, 15, 12, 30, tzinfo=paris),
              datetime.datetime(2027, 3, 15, 13, 30, tzinfo=paris), description='Table for two\nBy the window')
alarm = icalendar.Alarm()
alarm.add('action', 'DISPLAY')
alarm.add('trigger', datetime.timedelta(minutes=-20))
lunch.add_component(alarm)
event('Call Tokyo', datetime.datetime(2027, 3, 16, 1, 0, tzinfo=datetime.timezone.utc))
event('Floating', datetime.datetime(2027, 3, 17, 14, 0), duration=datetime.timedelta(minutes=45))
event('Offsite', datetime.date(2027, 3, 18), datetime.date(2027, 3, 20))
event('Weekly review', datetime.datetime(2027, 3, 1, 16, 0), datetime.datetime(2027, 3, 1, 17, 0),
      rrule={'freq': 'weekly', 'count': 5}, exdate=datetime.datetime(2027, 3, 15, 16, 0))
event('Old news', datetime.datetime(1975, 6, 1, 9, 0))
event('Far future', datetime.date(2040, 1, 1))
event('Year end', datetime.datetime(2037, 12, 30, 9, 0), rrule={'freq': 'daily', 'count': 4})
event(None, datetime.datetime(2027, 3, 22, 9, 0))
event('No start', None)
event('Party \U0001F389', datetime.datetime(2027, 3, 23, 9, 0))
for i in range(41):
    event('Slot %02d' % i, datetime.datetime(2027, 3, 24, 8, 0) + datetime.timedelta(minutes=i))
text = cal.to_ical().decode()
# A line that cannot be read as a date.
text = text.replace('END:VCALENDAR', 'BEGIN:VEVENT\r\nUID:broken@outside\r\nSUMMARY:Broken\r\nDTSTART:notadate\r\nEND:VEVENT\r\nEND:VCALENDAR')
open('outside.ics', 'w', newline='').write(text)
)";

TEST_F(SchedIcalTest, AFileFromAnOutsideWriterIsImportedAndWhatCannotBeHeldIsNamed) {
  Python(kWriter);
  IcsImportResult result;
  ASSERT_EQ(SchedImportIcsFile(kBob, dir.File("outside.ics"), &result), 1) << FormatAppError();

  // What was stored, as local New York times.
  std::map<std::string, std::vector<std::string>> stored;
  for (const SchedRecord& r : EntriesOf(sched, kBob))
    stored[r.Description()].push_back(EntryTimes(r) +
                                      (r.Note().empty() ? "" : " note " + r.Note()));
  using Lines = std::vector<std::string>;
  // 12:30 in Paris is 7:30 in New York (Paris has not changed its clocks
  // yet on 15 March 2027, New York has).
  EXPECT_EQ(stored["Lunch in Paris"],
            Lines{"3-15 07:30 to 08:30 alarm 07:10 note Table for two\rBy the window"});
  EXPECT_EQ(stored["Call Tokyo"], Lines{"3-15 21:00"});
  EXPECT_EQ(stored["Floating"], Lines{"3-17 14:00 to 14:45"});
  EXPECT_EQ(stored["Offsite"], (Lines{"3-18 00:00 grouped", "3-19 00:00 grouped"}));
  EXPECT_EQ(stored["Weekly review"],
            (Lines{"3-1 16:00 to 17:00 grouped", "3-8 16:00 to 17:00 grouped",
                   "3-22 16:00 to 17:00 grouped", "3-29 16:00 to 17:00 grouped"}));
  EXPECT_EQ(stored["Year end"], (Lines{"12-30 09:00 grouped", "12-31 09:00 grouped"}));
  int slots = 0;
  for (const auto& [text, lines] : stored)
    if (text.rfind("Slot ", 0) == 0) slots += int(lines.size());
  EXPECT_EQ(slots, 40);

  std::vector<std::string> refused;
  for (const IcsRefusal& r : result.refused) refused.push_back(r.event + ": " + r.reason);
  const std::vector<std::string> expected = {
      "Old news (6-01-75): year outside 1980 to 2037",
      "Far future (1-01-40): year outside 1980 to 2037",
      "Year end: repeats after 2037 left out",
      "(no summary) (3-22-27): no summary",
      "No start: no start time",
      "Party \xF0\x9F\x8E\x89 (3-23-27): a character the schedule cannot hold: \xF0\x9F\x8E\x89",
      "Broken: malformed: Can't parse as DATE-TIME value in DTSTART property. Removing entire "
      "property: notadate",
      "Slot 40 (3-24-27): the day already holds 40 lines",
  };
  EXPECT_EQ(refused.size(), expected.size()) << IcsImportSummary(result);
  for (const std::string& e : expected)
    EXPECT_NE(std::find(refused.begin(), refused.end(), e), refused.end()) << e;
  EXPECT_EQ(result.events, 53);
  EXPECT_EQ(result.added, 1 + 1 + 1 + 2 + 4 + 2 + 40);
  const std::string summary = IcsImportSummary(result);
  EXPECT_EQ(summary.substr(0, summary.find('\n')), "51 entries added from 53 events.");
  EXPECT_NE(summary.find("\n8 refused:\n  "), std::string::npos);

  // Again: nothing new.
  IcsImportResult again;
  ASSERT_EQ(SchedImportIcsFile(kBob, dir.File("outside.ics"), &again), 1);
  EXPECT_EQ(again.added, 0);
  EXPECT_EQ(again.alreadyThere, 51);
}

TEST_F(SchedIcalTest, AnExportImportedForAnotherPersonKeepsEntriesAndJoinsTheGroupAgain) {
  SchedRecord daily = Entry(kBob, 2027, 5, 3, 10, 0, "Rounds", 11);
  daily.SetAlarm(At(2027, 5, 3, 9, 50));
  const int32_t first = Add(daily);
  ASSERT_EQ(RepeatDaily(sched, first, daily, {daily.Start(), At(2027, 5, 5, 23, 59, 59), 1}), 1);
  Add(Entry(kBob, 2027, 5, 4, -1, 0, "Inventory"));
  IcsImportResult result;
  ASSERT_EQ(SchedImportIcs(sched, kAnne, Export(kBob, "BOB"), &result), 1);
  EXPECT_EQ(result.added, 4);
  EXPECT_TRUE(result.refused.empty());
  const std::vector<SchedRecord> bob = EntriesOf(sched, kBob), anne = EntriesOf(sched, kAnne);
  ASSERT_EQ(anne.size(), bob.size());
  for (size_t i = 0; i < bob.size(); ++i) {
    EXPECT_EQ(anne[i].Description() + " " + EntryTimes(anne[i]),
              bob[i].Description() + " " + EntryTimes(bob[i]));
    EXPECT_NE(anne[i].UniqueId(), bob[i].UniqueId());
  }
  // Anne's three rounds share one group of her own.
  EXPECT_EQ(anne[0].RepeatGroup(), anne[2].RepeatGroup());
  EXPECT_NE(anne[0].RepeatGroup(), daily.RepeatGroup());
}

// A rule without an end gives at most the cap of entries, and says so.
TEST_F(SchedIcalTest, ARuleGivesAtMostTheCapOfEntries) {
  struct Case {
    const char* rule;
    size_t planned;
    const char* refusal;
  } cases[] = {
      {"FREQ=DAILY;COUNT=10000", 10000, nullptr},
      {"FREQ=DAILY;COUNT=10001", 10000, "more than 10000 repeats"},
      {"FREQ=DAILY", 10000, "more than 10000 repeats"},
      {"FREQ=YEARLY", 48, "repeats after 2037 left out"},
  };
  for (const Case& c : cases) {
    IcsPlan plan;
    ASSERT_TRUE(
        IcsReadEntries(OneEvent("UID:r@t\r\nSUMMARY:Rule\r\nDTSTART:19900101T150000Z\r\nRRULE:" +
                                std::string(c.rule) + "\r\n"),
                       kBob, &plan));
    EXPECT_EQ(plan.entries.size(), c.planned) << c.rule;
    if (c.refusal) {
      ASSERT_EQ(plan.refused.size(), 1u) << c.rule;
      EXPECT_EQ(plan.refused[0].reason, c.refusal) << c.rule;
    } else {
      EXPECT_TRUE(plan.refused.empty()) << c.rule;
    }
  }
}

// One event a case, hand-written as other programs write them: the entry
// it gives as EntryTimes() shows it, or why it is refused.
TEST_F(SchedIcalTest, SingleEventsAreTakenOrRefusedByTheirRules) {
  struct Case {
    const char* what;
    const char* lines;  // the VEVENT's properties and components
    const char* shown;
  } cases[] = {
      {"zoned", "DTSTART;TZID=Europe/London:20270610T140000\r\n", "6-10 09:00"},
      {"unknown zone", "DTSTART;TZID=Atlantis/Capital:20270610T140000\r\n",
       "refused: unknown time zone Atlantis/Capital"},
      {"duration", "DTSTART:20270610T140000\r\nDURATION:PT90M\r\n", "6-10 14:00 to 15:30"},
      {"end on the next day is left out", "DTSTART:20270610T230000\r\nDTEND:20270611T010000\r\n",
       "6-10 23:00"},
      {"end before start is left out", "DTSTART:20270610T140000\r\nDTEND:20270610T130000\r\n",
       "6-10 14:00"},
      {"timed midnight", "DTSTART:20270610T000000\r\n", "6-10 00:00:01"},
      {"alarm after the end",
       "DTSTART:20270610T140000\r\nDTEND:20270610T150000\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
       "TRIGGER;RELATED=END:PT5M\r\nEND:VALARM\r\n",
       "6-10 14:00 to 15:00 alarm 15:05"},
      {"alarm at a time",
       "DTSTART:20270610T140000\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
       "TRIGGER;VALUE=DATE-TIME:20270610T170000Z\r\nEND:VALARM\r\n",
       "6-10 14:00 alarm 13:00"},
      {"alarm on the day before is left out",
       "DTSTART:20270610T080000\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-P1D\r\n"
       "END:VALARM\r\n",
       "6-10 08:00"},
      {"excluded",
       "DTSTART:20270610T080000\r\nRRULE:FREQ=DAILY;COUNT=2\r\n"
       "EXDATE:20270611T080000\r\n",
       "6-10 08:00"},
  };
  for (const Case& c : cases) {
    IcsPlan plan;
    ASSERT_TRUE(
        IcsReadEntries(OneEvent("UID:1@t\r\nSUMMARY:Case\r\n" + std::string(c.lines)), kBob, &plan))
        << c.what;
    std::string shown;
    for (const auto& e : plan.entries)
      shown += EntryTimes(e.record) +
               (e.record.Owner() == kBob && e.record.Description() == "Case" ? "" : " not Bob's");
    for (const IcsRefusal& r : plan.refused) shown += "refused: " + r.reason;
    EXPECT_EQ(shown, c.shown) << c.what;
  }
}

// Calendars one after another in one text are all read.
TEST_F(SchedIcalTest, CalendarsOneAfterAnotherAreAllRead) {
  std::string text;
  for (const std::string name : {"First", "Second"})
    text +=
        OneEvent("UID:" + name + "@t\r\nSUMMARY:" + name + "\r\nDTSTART;VALUE=DATE:20270501\r\n");
  IcsImportResult result;
  ASSERT_EQ(SchedImportIcs(sched, kBob, text, &result), 1);
  EXPECT_EQ(result.events, 2);
  EXPECT_EQ(result.added, 2);
}

TEST_F(SchedIcalTest, TextThatIsNotACalendarIsRefusedWhole) {
  const char* texts[] = {"", "hello", "BEGIN:VEVENT\r\nSUMMARY:x\r\nEND:VEVENT\r\n",
                         "BEGIN:VTODO\r\nEND:VTODO\r\n"};
  for (const char* text : texts) {
    IcsImportResult result;
    ASSERT_EQ(SchedImportIcs(sched, kBob, text, &result), 1);
    EXPECT_EQ(result.added, 0) << text;
    ASSERT_EQ(result.refused.size(), 1u) << text;
    EXPECT_EQ(result.refused[0].reason, "not an iCalendar file") << text;
  }
  EXPECT_TRUE(EntriesOf(sched, kBob).empty());
}

TEST_F(SchedIcalTest, FilesThatCannotBeReadOrWrittenAreNamed) {
  IcsImportResult result;
  EXPECT_EQ(SchedImportIcsFile(kBob, dir.File("missing.ics"), &result), 0);
  EXPECT_EQ(AppErrorCode(), kAppNoSuchFile);
  EXPECT_EQ(AppErrorName(), dir.File("missing.ics"));
  SchedClose(sched);
  int count = 0;
  const std::string nowhere = dir.File("no-such-folder/out.ics");
  EXPECT_EQ(SchedExportIcsFile(kBob, "BOB", nowhere, &count), 0);
  EXPECT_EQ(AppErrorCode(), kAppWriteError);
  EXPECT_EQ(AppErrorName(), nowhere);
}

}  // namespace
