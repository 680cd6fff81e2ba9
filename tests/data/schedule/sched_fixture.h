// A data directory for the schedule and to-do tests: the office's tables,
// the local time zone fixed to New York (so daylight-saving days fall on
// known dates: 14 March and 7 November 2027), and the clock standing on a
// chosen local time.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "data/clock.h"
#include "data/local_time.h"
#include "data/schedule/dpsched.h"
#include "tests/data/office/office_dir.h"

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

  static int32_t At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return FromLocal(year, month, day, hour, minute, second);
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

// The same with "SCHED" open for the whole test, and entries added to it.
class SchedTableTest : public SchedDirTest {
 protected:
  void SetUp() override {
    SchedDirTest::SetUp();
    ASSERT_EQ(SchedOpen(sched), 1);
  }
  void TearDown() override {
    if (sched.open) SchedClose(sched);
    SchedDirTest::TearDown();
  }

  int32_t Add(SchedRecord record) {
    int32_t number = -1;
    EXPECT_EQ(SchedAdd(sched, record, &number), 1) << record.Description();
    return number;
  }

  SchedTable sched;
};
