#include "toolkit/field_rules.h"

#include <gtest/gtest.h>

#include <ctime>

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

TEST(PhoneRules, SevenTenAndElevenDigitsAreGroupedWithHyphens) {
  EXPECT_EQ(ReformatPhone("5551234"), "555-1234");
  EXPECT_EQ(ReformatPhone("6175551234"), "617-555-1234");
  EXPECT_EQ(ReformatPhone("16175551234"), "1-617-555-1234");
  EXPECT_EQ(ReformatPhone("5551234   "), "555-1234");
}

TEST(PhoneRules, OtherTextStaysAsTyped) {
  EXPECT_EQ(ReformatPhone("555 1234"), "555 1234");
  EXPECT_EQ(ReformatPhone("55512345"), "55512345");
  EXPECT_EQ(ReformatPhone("555123456"), "555123456");
  EXPECT_EQ(ReformatPhone("555-1234 x12"), "555-1234 x12");
  EXPECT_EQ(ReformatPhone(""), "");
}

TEST(TimeRules, ShortFormsGetTheirHalfOfTheDay) {
  EXPECT_EQ(NormaliseTime("8"), " 8:00AM");
  EXPECT_EQ(NormaliseTime("130"), " 1:30PM");
  EXPECT_EQ(NormaliseTime("1730"), " 5:30PM");
  EXPECT_EQ(NormaliseTime("0"), "12:00AM");
  EXPECT_EQ(NormaliseTime("9p"), " 9:00PM");
  EXPECT_EQ(NormaliseTime("11 a"), "11:00AM");
  EXPECT_EQ(NormaliseTime("12"), "12:00PM");
  EXPECT_EQ(NormaliseTime("6:05"), " 6:05PM");
}

TEST(TimeRules, OutOfRangeValuesWrap) {
  EXPECT_EQ(NormaliseTime("12:75"), "12:15PM");
  EXPECT_EQ(NormaliseTime("25"), " 1:00PM");
}

TEST(TimeRules, TextThatIsNoTimeStaysUnchanged) {
  EXPECT_EQ(NormaliseTime("1:2:3"), "1:2:3");
  EXPECT_EQ(NormaliseTime(":30"), ":30");
  EXPECT_EQ(NormaliseTime("12345"), "12345");
  EXPECT_EQ(NormaliseTime("noon"), "noon");
  EXPECT_EQ(NormaliseTime("   "), "   ");
  EXPECT_EQ(NormaliseTime("123:4"), "123:4");
}

TEST(DateRules, TwoDigitYearsFrom1980To2037AreAccepted) {
  int32_t v = -1;
  ASSERT_TRUE(ParseDate("12-31-37", &v));
  EXPECT_EQ(v, LocalMidnight(2037, 12, 31));
  ASSERT_TRUE(ParseDate("1-1-80", &v));
  EXPECT_EQ(v, LocalMidnight(1980, 1, 1));
  ASSERT_TRUE(ParseDate("3/4/05", &v));
  EXPECT_EQ(v, LocalMidnight(2005, 3, 4));
}

TEST(DateRules, ImpossibleDatesAndOtherYearsAreInvalid) {
  int32_t v = 77;
  EXPECT_FALSE(ParseDate("2-30-99", &v));
  EXPECT_FALSE(ParseDate("1-1-38", &v));
  EXPECT_FALSE(ParseDate("1-1-75", &v));
  EXPECT_FALSE(ParseDate("1-1-1999", &v));
  EXPECT_FALSE(ParseDate("13-1-99", &v));
  EXPECT_FALSE(ParseDate("1-0-99", &v));
  EXPECT_FALSE(ParseDate("1--99", &v));
  EXPECT_FALSE(ParseDate("1-1", &v));
  EXPECT_FALSE(ParseDate("abc", &v));
  EXPECT_EQ(v, 77);
}

TEST(DateRules, BlanksAreNoDate) {
  int32_t v = 5;
  EXPECT_TRUE(ParseDate("", &v));
  EXPECT_EQ(v, 0);
  v = 5;
  EXPECT_TRUE(ParseDate("    ", &v));
  EXPECT_EQ(v, 0);
}

TEST(DateRules, EndOfDayIsTheLastSecondOfTheDate) {
  int32_t v = 0;
  ASSERT_TRUE(ParseDate("6-15-99", &v, true));
  EXPECT_EQ(v, LocalMidnight(1999, 6, 15, 23, 59, 59));
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
  EXPECT_EQ(DisplayToStoredLines("one\r\ntwo\r\n"), "one\rtwo\r");
  EXPECT_EQ(DisplayToStoredLines("one\ntwo"), "one\rtwo");
  EXPECT_EQ(DisplayToStoredLines(StoredToDisplayLines("a\r\rb")), "a\r\rb");
}

TEST(EditMenu, CutCopyDeleteNeedASelectionAndSelectAllNeedsSomethingUnselected) {
  EditMenuEnables none = EditMenuRules({});
  EXPECT_FALSE(none.cut);
  EXPECT_FALSE(none.copy);
  EXPECT_FALSE(none.del);
  EXPECT_FALSE(none.paste);
  EXPECT_FALSE(none.undo);
  EXPECT_TRUE(none.selectAll);
  EditMenuEnables all = EditMenuRules({true, true, true, true});
  EXPECT_TRUE(all.cut && all.copy && all.del && all.paste && all.undo);
  EXPECT_FALSE(all.selectAll);
}

}  // namespace
