// DPDESK.CFG, the office-wide settings, and how its poll time meets the
// workstation's own PollTime.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "data/office/office_config.h"
#include "data/office/profile.h"
#include "tests/support/temp_dir.h"

namespace {

OfficeConfig Parse(const std::string& text) {
  return ParseOfficeConfig(text);
}

TEST(OfficeConfig, AMissingFileIsNoErrorAndSetsNothing) {
  TempDir dir;
  OfficeConfig config = ReadOfficeConfig(dir.Path());
  EXPECT_EQ(config.domain, "");
  EXPECT_FALSE(config.pollTicks);
}

TEST(OfficeConfig, ReadsTheFileInTheDataDirectory) {
  TempDir dir;
  std::ofstream(dir.File("DPDESK.CFG")) << "NETBIOS=1\r\nDOMAIN=acme.example\r\nPOLLTIME=10\r\n";
  OfficeConfig config = ReadOfficeConfig(dir.Path());
  EXPECT_EQ(config.domain, "acme.example");
  EXPECT_EQ(config.pollTicks, 5);
}

TEST(OfficeConfig, BlanksControlCharactersAndEverythingAboveZAreDropped) {
  OfficeConfig config = Parse(
      " domain = ac\tme{|}~.ex\x7f\xe9"
      "ample \r\n");
  EXPECT_EQ(config.domain, "acme.example");
  EXPECT_EQ(Parse("P O L L T I M E = 1 0").pollTicks, 5);
}

TEST(OfficeConfig, NetbiosLineIsSkippedInAnyCase) {
  OfficeConfig config = Parse("netbios = 1\nNetBios=1\n");
  EXPECT_EQ(config.domain, "");
  EXPECT_FALSE(config.pollTicks);
}

TEST(OfficeConfig, LinesWithoutKeyOrValueAreSkipped) {
  OfficeConfig config = Parse("=acme\nDOMAIN=\nDOMAIN\nPOLLTIME=\n");
  EXPECT_EQ(config.domain, "");
  EXPECT_FALSE(config.pollTicks);
}

TEST(OfficeConfig, ADomainOfSixtyFiveCharactersIsIgnored) {
  const std::string d64(64, 'd');
  EXPECT_EQ(Parse("DOMAIN=" + d64).domain, d64);
  EXPECT_EQ(Parse("DOMAIN=first\nDOMAIN=" + d64 + "e").domain, "first");
}

TEST(OfficeConfig, PollTimeZeroStopsPollingAndTwoToAHundredThousandSetHalfTheSeconds) {
  EXPECT_EQ(Parse("POLLTIME=0").pollTicks, 0);
  EXPECT_FALSE(Parse("POLLTIME=1").pollTicks);
  EXPECT_EQ(Parse("POLLTIME=2").pollTicks, 1);
  EXPECT_EQ(Parse("polltime=31").pollTicks, 15);
  EXPECT_EQ(Parse("POLLTIME=100000").pollTicks, 50000);
  EXPECT_FALSE(Parse("POLLTIME=100001").pollTicks);
  EXPECT_FALSE(Parse("POLLTIME=-4").pollTicks);
  EXPECT_FALSE(Parse("POLLTIME=99999999999999999999999").pollTicks);
}

TEST(OfficeConfig, APollTimeThatIsNotANumberIsIgnoredRatherThanStoppingPolling) {
  EXPECT_FALSE(Parse("POLLTIME=abc").pollTicks);
  EXPECT_FALSE(Parse("POLLTIME=10s").pollTicks);
  EXPECT_EQ(Parse("POLLTIME=20\nPOLLTIME=x").pollTicks, 10);
}

TEST(OfficeConfig, OnlyTheFirstEightyCharactersOfALineCount) {
  // The 4 lies beyond character 80, so the value is empty.
  EXPECT_FALSE(Parse("POLLTIME=" + std::string(71, ' ') + "4").pollTicks);
  EXPECT_EQ(Parse("POLLTIME=" + std::string(70, ' ') + "4").pollTicks, 2);
  // The rest of a long line is dropped, not read as a line of its own.
  TempDir dir;
  std::ofstream(dir.File("DPDESK.CFG")) << "DOMAIN=a" << std::string(200, ' ') << "POLLTIME=10\n"
                                        << "DOMAIN=b\n";
  OfficeConfig config = ReadOfficeConfig(dir.Path());
  EXPECT_FALSE(config.pollTicks);
  EXPECT_EQ(config.domain, "b");
  EXPECT_FALSE(Parse("DOMAIN=a" + std::string(200, ' ') + "POLLTIME=10").pollTicks);
}

TEST(OfficeConfig, BinaryJunkSetsNothing) {
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += char((i * 37) & 0xff);
  OfficeConfig config = Parse(junk);
  EXPECT_FALSE(config.pollTicks);
}

TEST(PollInterval, TheIniPollTimeWinsAndOneStopsPolling) {
  TempDir dir;
  OfficeConfig none;
  OfficeConfig cfg10 = Parse("POLLTIME=10");
  OfficeConfig cfg0 = Parse("POLLTIME=0");
  OfficeConfig cfg1 = Parse("POLLTIME=1");
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
