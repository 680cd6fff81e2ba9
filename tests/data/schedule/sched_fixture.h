// A data directory for the schedule and to-do tests: the office's tables,
// the local time zone fixed to New York (so daylight-saving days fall on
// known dates: 14 March and 7 November 2027), and the clock standing on a
// chosen local time.
#pragma once

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "data/clock.h"
#include "data/local_time.h"
#include "data/schedule/dpsched.h"
#include "data/schedule/dptodo.h"
#include "tests/data/office/office_dir.h"
#include "tests/support/todo_item.h"

// Sets TZ for the life of the object and puts the old value back.
class ZoneForTest {
 public:
  explicit ZoneForTest(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneForTest() {
    if (old_)
      setenv("TZ", old_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> old_;
};

// A local date and time.
inline int32_t At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return FromLocal(year, month, day, hour, minute, second);
}

// An entry's times as local text: "3-15 09:30" (with ":ss" when the
// seconds are not zero), then " to 10:00" and " alarm 09:15" when it has an
// end and an alarm, and " grouped" when it belongs to a repeat group.
inline std::string EntryTimes(const SchedRecord& r) {
  auto clock = [](int32_t t, bool date) {
    const LocalTime l = ToLocal(t);
    char text[32];
    std::snprintf(text, sizeof text, "%d-%d ", l.month, l.day);
    std::string out = date ? text : "";
    std::snprintf(text, sizeof text, l.second ? "%02d:%02d:%02d" : "%02d:%02d", l.hour, l.minute,
                  l.second);
    return out + text;
  };
  return clock(r.Start(), true) + (r.End() ? " to " + clock(r.End(), false) : "") +
         (r.Alarm() ? " alarm " + clock(r.Alarm(), false) : "") +
         (r.RepeatGroup() ? " grouped" : "");
}

// The records of a person's entries, in key order.
inline std::vector<SchedRecord> EntriesOf(SchedTable& sched, int32_t owner) {
  std::vector<SchedRecord> out;
  SchedKey probe, key;
  SetFieldI32(probe.bytes, records::sched::x1::kOwner, owner);
  SetFieldI32(probe.bytes, records::sched::x1::kStart, INT32_MIN);
  for (int ok = SchedFindKey(sched, probe, nullptr, &key); ok && key.Owner() == owner;
       ok = SchedNext(sched, &key)) {
    out.emplace_back();
    EXPECT_EQ(SchedRead(sched, key.RecordNumber(), &out.back()), 1);
  }
  return out;
}

// The entry as one of a repeat group.
inline SchedRecord InGroup(SchedRecord r, int32_t group) {
  r.SetRepeatGroup(group);
  return r;
}

class SchedDirTest : public OfficeDirTest {
 protected:
  void SetUp() override {
    OfficeDirTest::SetUp();
    StandOn(2027, 3, 10, 8, 0);
  }
  void TearDown() override {
    SetClock(nullptr);
    OfficeDirTest::TearDown();
  }

  // Makes the clock stand on a local date and time.
  void StandOn(int year, int month, int day, int hour = 8, int minute = 0) {
    int32_t now = FromLocal(year, month, day, hour, minute);
    SetClock([now] { return now; });
  }

  // A schedule entry; hour -1 makes it untimed (00:00:00 of the date).
  static SchedRecord Entry(int32_t owner, int year, int month, int day, int hour, int minute,
                           const std::string& text, int endHour = -1) {
    SchedRecord r;
    r.SetDescription(text);
    r.SetOwner(owner);
    r.SetStart(hour < 0 ? At(year, month, day) : At(year, month, day, hour, minute));
    if (endHour >= 0) r.SetEnd(At(year, month, day, endHour, 0));
    return r;
  }

  ZoneForTest zone{"America/New_York"};
};

// The same over any office fixture, with "SCHED" open for the whole test
// and entries added to it.
template <class Office>
class SchedOpenTest : public Office {
 protected:
  void SetUp() override {
    Office::SetUp();
    ASSERT_EQ(SchedOpen(sched), 1);
  }
  void TearDown() override {
    if (sched.open) SchedClose(sched);
    Office::TearDown();
  }

  int32_t Add(SchedRecord record) {
    int32_t number = -1;
    EXPECT_EQ(SchedAdd(sched, record, &number), 1) << record.Description();
    return number;
  }

  SchedRecord Read(int32_t number) {
    SchedRecord r;
    EXPECT_EQ(SchedRead(sched, number, &r), 1) << number;
    return r;
  }

  // How many lines the person's day takes.
  int Lines(int32_t owner, int32_t day) {
    int count = -1;
    EXPECT_EQ(SchedCountLines(sched, day, owner, &count), 1);
    return count;
  }

  SchedTable sched;
};
using SchedTableTest = SchedOpenTest<SchedDirTest>;

// The to-do table open for the whole test over an office fixture, and
// items added to it.
template <class Office>
class TodoOpenTest : public Office {
 protected:
  void SetUp() override {
    Office::SetUp();
    ASSERT_EQ(TodoOpen(todo), 1);
  }
  void TearDown() override {
    if (todo.open) TodoClose(todo);
    Office::TearDown();
  }

  // Adds an item; its record number, and the record as stored in *stored.
  int32_t AddItem(int32_t owner, int32_t date, const std::string& priority, const std::string& text,
                  bool done = false, TodoRecord* stored = nullptr) {
    TodoRecord r = TodoItem(owner, date, priority, text, done);
    int32_t number = -1;
    EXPECT_EQ(TodoAdd(todo, r, &number), 1) << text;
    if (stored) *stored = r;
    return number;
  }

  TodoTable todo;
};
