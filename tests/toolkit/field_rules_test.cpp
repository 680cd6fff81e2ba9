#include "toolkit/field_rules.h"

#include <gtest/gtest.h>

#include <ctime>
#include <iterator>
#include <vector>

namespace {

int32_t LocalMidnight(int year, int month, int day, int h = 0, int m = 0, int s = 0) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = h;
  tm.tm_min = m;
  tm.tm_sec = s;
  tm.tm_isdst = -1;
  return int32_t(std::mktime(&tm));
}

// Each table is pairs of what is typed and what the rule makes of it.
TEST(PhoneRules, SevenTenAndElevenDigitsAreGroupedWithHyphensOtherTextStaysAsTyped) {
  // clang-format off
  const char* const pairs[] = {"5551234", "555-1234",   "6175551234", "617-555-1234",
                               "16175551234", "1-617-555-1234",   "5551234   ", "555-1234",
                               "555 1234", "555 1234",   "55512345", "55512345",
                               "555123456", "555123456",   "555-1234 x12", "555-1234 x12",   "", "",
                               "5550199", "555-0199",   "555-123", "555-123"};
  // clang-format on
  for (size_t i = 0; i < std::size(pairs); i += 2)
    EXPECT_EQ(ReformatPhone(pairs[i]), pairs[i + 1]) << pairs[i];
}

// Short forms get their half of the day, out-of-range values wrap, and text
// that is no time stays unchanged.
TEST(TimeRules, ShortFormsAreCompletedAndOtherTextStays) {
  const char* const pairs[] = {
      "8",     " 8:00AM", "130",  " 1:30PM", "1730",  " 5:30PM", "0",     "12:00AM",
      "9p",    " 9:00PM", "11 a", "11:00AM", "12",    "12:00PM", "6:05",  " 6:05PM",
      "12:75", "12:15PM", "25",   " 1:00PM", "1:2:3", "1:2:3",   ":30",   ":30",
      "12345", "12345",   "noon", "noon",    "   ",   "   ",     "123:4", "123:4"};
  for (size_t i = 0; i < std::size(pairs); i += 2)
    EXPECT_EQ(NormaliseTime(pairs[i]), pairs[i + 1]) << pairs[i];
}

// Two-digit years from 1980 to 2037 give the local midnight of the day (or
// its last second, for an end of day); blanks give no date.
TEST(DateRules, TwoDigitYearsAreDatesBlanksNoneAndAnythingElseInvalid) {
  struct Case {
    const char* typed;
    int32_t value;
    bool endOfDay = false;
  } cases[] = {{"12-31-37", LocalMidnight(2037, 12, 31)},
               {"1-1-80", LocalMidnight(1980, 1, 1)},
               {"3/4/05", LocalMidnight(2005, 3, 4)},
               {"6-15-99", LocalMidnight(1999, 6, 15, 23, 59, 59), true},
               {"", 0},
               {"    ", 0}};
  for (const Case& c : cases) {
    int32_t v = -1;
    EXPECT_TRUE(ParseDate(c.typed, &v, c.endOfDay)) << c.typed;
    EXPECT_EQ(v, c.value) << c.typed;
  }
  for (const char* text :
       {"2-30-99", "1-1-38", "1-1-75", "1-1-1999", "13-1-99", "1-0-99", "1--99", "1-1", "abc"}) {
    int32_t v = 77;
    EXPECT_FALSE(ParseDate(text, &v)) << text;
    EXPECT_EQ(v, 77) << text;
  }
}

TEST(DateRules, ShownDatesReadBackToTheSameDay) {
  int32_t day = LocalMidnight(2004, 2, 29);
  EXPECT_EQ(FormatDate(day), "2-29-04");
  EXPECT_EQ(FormatDate(day, true), " 2-29-04");
  int32_t back = 0;
  ASSERT_TRUE(ParseDate(FormatDate(day), &back));
  EXPECT_EQ(back, day);
  EXPECT_EQ(FormatDate(0), "");
}

TEST(DateRules, ClockTimesShowTwelveHoursWithAmOrPm) {
  EXPECT_EQ(FormatClockTime(LocalMidnight(1999, 6, 15, 0, 5)), "12:05am");
  EXPECT_EQ(FormatClockTime(LocalMidnight(1999, 6, 15, 12, 0)), "12:00pm");
  EXPECT_EQ(FormatClockTime(LocalMidnight(1999, 6, 15, 9, 30), true), " 9:30am");
  EXPECT_EQ(FormatClockTime(0), "");
}

TEST(LineBreaks, StoredCarriageReturnsGainALineFeedForDisplayAndLoseItAgain) {
  EXPECT_EQ(StoredToDisplayLines("one\rtwo\r"), "one\r\ntwo\r\n");
  EXPECT_EQ(StoredToDisplayLines("a\r\nb\r\n"), "a\r\nb\r\n");  // already shown so
  EXPECT_EQ(DisplayToStoredLines("one\r\ntwo\r\n"), "one\rtwo\r");
  EXPECT_EQ(DisplayToStoredLines("one\ntwo"), "one\rtwo");
  EXPECT_EQ(DisplayToStoredLines(StoredToDisplayLines("a\r\rb")), "a\r\rb");
}

TEST(EditMenu, CutCopyDeleteNeedASelectionAndSelectAllNeedsSomethingUnselected) {
  const auto enabled = [](const EditMenuEnables& e) {
    return std::vector<bool>{e.undo, e.cut, e.copy, e.paste, e.del, e.selectAll};
  };
  EXPECT_EQ(enabled(EditMenuRules({})), (std::vector<bool>{0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(enabled(EditMenuRules({true, true, true, true})),
            (std::vector<bool>{1, 1, 1, 1, 1, 0}));
}

}  // namespace
