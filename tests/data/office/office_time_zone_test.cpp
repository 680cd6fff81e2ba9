// The office's time zone: DPDESK.CFG's TIMEZONE becomes the zone of every
// program that opens the office, a workstation whose clock keeps another zone
// is told so at start-up, and a zone the machine does not know stops the
// start with a clear message.
#include "data/office/office_time_zone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "data/local_time.h"
#include "tests/data/office/startup_fixture.h"

namespace {

// Runs each test with the machine's own zone set to UTC, as on a server
// where dpadmin runs, and puts the process's zone back afterwards.
class OfficeZoneTest : public StartupTest {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
    setenv("TZ", "UTC", 1);
    tzset();
    AddName("ANNE");
  }
  void TearDown() override {
    StartupTest::TearDown();
    ApplyOfficeTimeZone(dir.Path() + "none/");
  }
  void SetOfficeZone(const std::string& zone) {
    WriteWholeFile(dir.Path() + "DPDESK.CFG", "DOMAIN=example.com\r\nTIMEZONE=" + zone + "\r\n");
  }
};

TEST_F(OfficeZoneTest, TheOfficeZoneGivesDayValuesAndTheStartSaysTheClockDiffers) {
  // 1:00 UTC on 16 March 2027 is still the 15th in New York.
  const int32_t lateEvening = 1805158800;
  ASSERT_EQ(ToLocal(lateEvening).day, 16);

  SetOfficeZone("America/New_York");
  ASSERT_EQ(StartUser(dir.Path(), "ANNE", ""), 1) << FormatAppError();
  EXPECT_EQ(ToLocal(lateEvening).day, 15);
  EXPECT_EQ(ToLocal(DayOf(lateEvening)).hour, 0);
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_NE(prompts.shown[0].find("keeps the time zone UTC, but the office keeps America/New_York"),
            std::string::npos)
      << prompts.shown[0];
}

TEST_F(OfficeZoneTest, ASameZoneByAnotherNameOrNoZoneSaysNothing) {
  for (std::string zone : {"Etc/UTC", ""}) {
    SCOPED_TRACE(zone);
    prompts.shown.clear();
    SetOfficeZone(zone);
    ASSERT_EQ(StartUser(dir.Path(), "ANNE", ""), 1) << FormatAppError();
    EXPECT_TRUE(prompts.shown.empty()) << prompts.shown[0];
    StopUser();
  }
}

TEST_F(OfficeZoneTest, AnOfficeWithoutAZoneLeavesTheMachinesZone) {
  SetOfficeZone("Asia/Tokyo");
  ASSERT_EQ(ApplyOfficeTimeZone(dir.Path()).ok, true);
  EXPECT_EQ(ToLocal(0).hour, 9);
  SetOfficeZone("");
  ASSERT_EQ(ApplyOfficeTimeZone(dir.Path()).ok, true);
  EXPECT_EQ(ToLocal(0).hour, 0);
}

TEST_F(OfficeZoneTest, AZoneTheMachineDoesNotKnowStopsTheStart) {
  for (std::string zone : {"Mars/Olympus", "../../etc/passwd", "/etc/localtime", "America"}) {
    SCOPED_TRACE(zone);
    EXPECT_FALSE(KnownTimeZone(zone));
    prompts.shown.clear();
    SetOfficeZone(zone);
    EXPECT_EQ(StartUser(dir.Path(), "ANNE", ""), 0);
    EXPECT_FALSE(DataDirectoryOpen());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0],
              "DESKpost|Unknown time zone: " + zone + " (TIMEZONE in DPDESK.CFG)");
    // The machine's zone stays in force.
    EXPECT_EQ(ToLocal(0).hour, 0);
  }
}

}  // namespace
