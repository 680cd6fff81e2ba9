// DPDESK.CFG, the office-wide settings, and how its poll time meets the
// workstation's own PollTime.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "data/office/office_config.h"
#include "data/office/profile.h"
#include "tests/support/temp_dir.h"

namespace {

// (A file that is there is read at the end of the next test.)
TEST(OfficeConfig, AMissingFileSetsNothing) {
  TempDir dir;
  OfficeConfig missing = ReadOfficeConfig(dir.Path());
  EXPECT_EQ(missing.domain, "");
  EXPECT_FALSE(missing.pollTicks);
}

TEST(OfficeConfig, LinesAreReadWithTheirRules) {
  const std::optional<int32_t> none;
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += char((i * 37) & 0xff);
  const std::string d64(64, 'd');
  const struct {
    std::string text;
    std::string domain;
    std::optional<int32_t> pollTicks;
  } cases[] = {
      // Blanks, control characters and everything above 'z' are dropped.
      {" domain = ac\tme{|}~.ex\x7f\xe9"
       "ample \r\n",
       "acme.example", none},
      {"P O L L T I M E = 1 0", "", 5},
      // The NETBIOS line is skipped in any case; lines without key or value too.
      {"netbios = 1\nNetBios=1\n", "", none},
      {"=acme\nDOMAIN=\nDOMAIN\nPOLLTIME=\n", "", none},
      // A domain of 65 characters is ignored.
      {"DOMAIN=" + d64, d64, none},
      {"DOMAIN=first\nDOMAIN=" + d64 + "e", "first", none},
      // Poll time 0 stops polling; 2 to 100000 set half the seconds.
      {"POLLTIME=0", "", 0},
      {"POLLTIME=1", "", none},
      {"POLLTIME=2", "", 1},
      {"polltime=31", "", 15},
      {"POLLTIME=100000", "", 50000},
      {"POLLTIME=100001", "", none},
      {"POLLTIME=-4", "", none},
      {"POLLTIME=99999999999999999999999", "", none},
      // Not a number: ignored rather than stopping polling.
      {"POLLTIME=abc", "", none},
      {"POLLTIME=10s", "", none},
      {"POLLTIME=20\nPOLLTIME=x", "", 10},
      // Only the first eighty characters of a line count.
      {"POLLTIME=" + std::string(71, ' ') + "4", "", none},
      {"POLLTIME=" + std::string(70, ' ') + "4", "", 2},
      {"DOMAIN=a" + std::string(200, ' ') + "POLLTIME=10", "a", none},
      {junk, "", none},
  };
  for (const auto& c : cases) {
    OfficeConfig config = ParseOfficeConfig(c.text);
    EXPECT_EQ(config.pollTicks, c.pollTicks) << c.text;
    if (c.text != junk) {
      EXPECT_EQ(config.domain, c.domain) << c.text;
    }
  }
  // The rest of a long line is dropped, not read as a line of its own.
  TempDir dir;
  std::ofstream(dir.File("DPDESK.CFG")) << "DOMAIN=a" << std::string(200, ' ') << "POLLTIME=10\n"
                                        << "DOMAIN=b\n";
  OfficeConfig config = ReadOfficeConfig(dir.Path());
  EXPECT_FALSE(config.pollTicks);
  EXPECT_EQ(config.domain, "b");
}

TEST(PollInterval, TheIniPollTimeWinsAndOneStopsPolling) {
  TempDir dir;
  OfficeConfig none;
  OfficeConfig cfg10 = ParseOfficeConfig("POLLTIME=10");
  OfficeConfig cfg0 = ParseOfficeConfig("POLLTIME=0");
  OfficeConfig cfg1 = ParseOfficeConfig("POLLTIME=1");
  EXPECT_EQ(PollIntervalTicks(none, std::nullopt), kDefaultPollTicks);
  EXPECT_EQ(PollIntervalTicks(cfg1, std::nullopt), kDefaultPollTicks);
  EXPECT_EQ(PollIntervalTicks(cfg0, std::nullopt), 0);
  EXPECT_EQ(PollIntervalTicks(cfg10, std::nullopt), 5);
  EXPECT_EQ(PollIntervalTicks(cfg10, 1), 0);
  EXPECT_EQ(PollIntervalTicks(cfg0, 60), 30);
  EXPECT_EQ(PollIntervalTicks(cfg10, 100001), 5);
  EXPECT_EQ(PollIntervalTicks(cfg10, -3), 5);

  std::string ini = dir.File("DPDESK.INI");
  EXPECT_FALSE(ReadIniPollTime(ini));
  ASSERT_TRUE(ProfileWriteString(ini, "DESKpost", "PollTime", " 1 "));
  EXPECT_EQ(ReadIniPollTime(ini), 1);
  ASSERT_TRUE(ProfileWriteString(ini, "DESKpost", "PollTime", "often"));
  EXPECT_FALSE(ReadIniPollTime(ini));
}

}  // namespace
