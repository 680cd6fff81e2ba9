// An office for the tests of schedule editing, copying, update memos and
// alarms: the message test's people (ALICE signed in, BOB, CAROL, the group
// *SALES and "* - ALL"), New York's time zone, the clock on a local time,
// and the "SCHED" table open.
#pragma once

#include <string>

#include "data/local_time.h"
#include "data/schedule/dpsched.h"
#include "tests/data/messages/message_fixture.h"
#include "tests/data/schedule/sched_fixture.h"

class SchedOfficeTest : public SchedOpenTest<MessageTest> {
 protected:
  void SetUp() override {
    SchedOpenTest::SetUp();
    StandOn(2027, 3, 15, 9, 0);
  }

  void StandOn(int year, int month, int day, int hour, int minute = 0) {
    now = FromLocal(year, month, day, hour, minute);
  }
  static SchedRecord Entry(int32_t owner, int32_t start, const std::string& text, int32_t end = 0,
                           int32_t alarm = 0) {
    SchedRecord r;
    r.SetOwner(owner);
    r.SetStart(start);
    r.SetEnd(end);
    r.SetAlarm(alarm);
    r.SetDescription(text);
    return r;
  }

  ZoneForTest zone{"America/New_York"};
};
