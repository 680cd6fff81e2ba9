#include "data/schedule/sched_time_text.h"

#include "data/local_time.h"
#include "gtest/gtest.h"
#include "tests/data/schedule/sched_fixture.h"

namespace {

class TimeTextTest : public ::testing::Test {
 protected:
  ZoneForTest zone_{"America/New_York"};
  int32_t day_ = FromLocal(2027, 3, 15);
};

TEST_F(TimeTextTest, TypedTimesBecomeTheFieldsForm) {
  EXPECT_EQ(NormaliseTimeText("8"), " 8:00AM");
  EXPECT_EQ(NormaliseTimeText("130"), " 1:30PM");
  EXPECT_EQ(NormaliseTimeText("1730"), " 5:30PM");
  EXPECT_EQ(NormaliseTimeText("0"), "12:00AM");
  EXPECT_EQ(NormaliseTimeText("9p"), " 9:00PM");
  EXPECT_EQ(NormaliseTimeText("9:30AM"), " 9:30AM");
  EXPECT_EQ(NormaliseTimeText("9:30 am"), " 9:30AM");
  EXPECT_EQ(NormaliseTimeText(" 9 : 30 p"), " 9:30PM");
  EXPECT_EQ(NormaliseTimeText("930p"), " 9:30PM");
  EXPECT_EQ(NormaliseTimeText("14:00"), " 2:00PM");
  EXPECT_EQ(NormaliseTimeText("12"), "12:00PM");
  EXPECT_EQ(NormaliseTimeText("12a"), "12:00AM");
  EXPECT_EQ(NormaliseTimeText("12:30am"), "12:30AM");
  EXPECT_EQ(NormaliseTimeText("7"), " 7:00AM");
  EXPECT_EQ(NormaliseTimeText("6"), " 6:00PM");
  EXPECT_EQ(NormaliseTimeText("11:59"), "11:59AM");
  // Out-of-range hours and minutes wrap.
  EXPECT_EQ(NormaliseTimeText("12:75"), "12:15PM");
  EXPECT_EQ(NormaliseTimeText("25"), " 1:00PM");
  EXPECT_EQ(NormaliseTimeText("24"), "12:00AM");
  EXPECT_EQ(NormaliseTimeText("24:30"), "12:30AM");
  EXPECT_EQ(NormaliseTimeText("0030"), "12:30AM");
}

TEST_F(TimeTextTest, TextsThatAreNoTimeStayAsTyped) {
  for (const char* t : {"1:2:3", ":30", "noon", "12345", "123:45", "12:345", "   ", ""})
    EXPECT_EQ(NormaliseTimeText(t), t) << t;
}

TEST_F(TimeTextTest, FieldTextIsReadOnTheEntrysDate) {
  EXPECT_EQ(ReadTimeText(" 9:30AM", day_), FromLocal(2027, 3, 15, 9, 30));
  EXPECT_EQ(ReadTimeText(" 9:30PM", day_), FromLocal(2027, 3, 15, 21, 30));
  EXPECT_EQ(ReadTimeText("12:00AM", day_), day_);
  EXPECT_EQ(ReadTimeText("12:15PM", day_), FromLocal(2027, 3, 15, 12, 15));
  EXPECT_EQ(ReadTimeText("11:05PM", day_ + 3600), FromLocal(2027, 3, 15, 23, 5));
}

TEST_F(TimeTextTest, TextsNotInTheFieldsFormReadAsNoTime) {
  for (const char* t : {"", "       ", "9:30AM", " 9:30", " 9-30AM", "13:00PM", " 0:30AM",
                        " 9:60AM", " 9:30XM", " 9:30am", "x9:30AM", " 9:30AMX"})
    EXPECT_EQ(ReadTimeText(t, day_), 0) << t;
}

TEST_F(TimeTextTest, FormatAndReadGoRoundEveryMinuteOfTheDay) {
  for (int m = 1; m < 24 * 60; ++m) {
    int32_t t = FromLocal(2027, 6, 1, m / 60, m % 60);
    std::string text = TimeFieldText(t);
    ASSERT_EQ(text.size(), 7u) << m;
    ASSERT_EQ(ReadTimeText(text, DayOf(t)), t) << text;
    ASSERT_EQ(NormaliseTimeText(text), text);
  }
}

TEST_F(TimeTextTest, UntimedStartShowsNothingButMidnightAlarmWindowDoes) {
  EXPECT_EQ(TimeFieldText(0), "");
  EXPECT_EQ(TimeFieldText(day_), "");
  EXPECT_EQ(TimeFieldText(day_, true), "12:00AM");
  EXPECT_EQ(TimeFieldText(day_ + 1), "12:00AM") << "a timed midnight entry lies at 00:00:01";
  EXPECT_EQ(ListTimeText(FromLocal(2027, 3, 15, 9, 5)), "9:05am");
  EXPECT_EQ(ListTimeText(FromLocal(2027, 3, 15, 9, 5), true), " 9:05am");
  EXPECT_EQ(ListTimeText(FromLocal(2027, 3, 15, 12, 0)), "12:00pm");
}

TEST_F(TimeTextTest, DatesAreMonthDayAndTwoDigitYear) {
  EXPECT_EQ(DateText(day_), "3-15-27");
  EXPECT_EQ(DateText(day_, true), " 3-15-27");
  EXPECT_EQ(DateText(FromLocal(2001, 11, 2)), "11-02-01");
  EXPECT_EQ(DateText(0), "");
  int32_t d = 0;
  ASSERT_TRUE(ParseDateText("3-15-27", &d));
  EXPECT_EQ(d, day_);
  ASSERT_TRUE(ParseDateText(" 3/15/27", &d));
  EXPECT_EQ(d, day_);
  ASSERT_TRUE(ParseDateText("3-15-27", &d, true));
  EXPECT_EQ(d, FromLocal(2027, 3, 15, 23, 59, 59));
  ASSERT_TRUE(ParseDateText("12-31-37", &d));
  EXPECT_EQ(DateText(d), "12-31-37");
  ASSERT_TRUE(ParseDateText("1-1-80", &d));
  EXPECT_EQ(d, FromLocal(1980, 1, 1));
  // A number may take four places, blanks included.
  ASSERT_TRUE(ParseDateText("  03-15-27", &d));
  EXPECT_EQ(d, day_);
  ASSERT_TRUE(ParseDateText("    ", &d));
  EXPECT_EQ(d, 0);
}

TEST_F(TimeTextTest, DatesOutsideTheCalendarOrTheYearsAreRefused) {
  int32_t d = 0;
  for (const char* t : {"2-30-99", "1-1-38", "1-1-70", "1-1-75", "12-31-79", "1-1-1999", "1-1-123",
                        "13-1-27", "0-1-27", "3-32-27", "3--15-27", "3-15", "3-15-27-", "3-15-27x",
                        "3-15-", "x", "3-15-2 7 7"}) {
    EXPECT_FALSE(ParseDateText(t, &d)) << t;
  }
  EXPECT_TRUE(ParseDateText("2-29-28", &d));
  EXPECT_FALSE(ParseDateText("2-29-27", &d));
}

TEST_F(TimeTextTest, HoursOfADaylightSavingChangeDayAreWallClockHours) {
  // 14 March 2027: 02:00 becomes 03:00, the day has 23 hours.
  int32_t change = FromLocal(2027, 3, 14);
  EXPECT_EQ(AddDays(change, 1) - change, 23 * 3600);
  int32_t nine = ReadTimeText(" 9:00AM", change);
  EXPECT_EQ(nine - change, 8 * 3600);
  EXPECT_EQ(TimeFieldText(nine), " 9:00AM");
  EXPECT_EQ(TimeOfDay(nine), 9 * 3600);
  EXPECT_EQ(DayOf(nine), change);
  EXPECT_EQ(MoveToDate(FromLocal(2027, 3, 13, 9, 0), change), nine);
  // 7 November 2027: 02:00 becomes 01:00 again, the day has 25 hours.
  int32_t back = FromLocal(2027, 11, 7);
  EXPECT_EQ(AddDays(back, 1) - back, 25 * 3600);
  EXPECT_EQ(TimeFieldText(ReadTimeText(" 5:00PM", back)), " 5:00PM");
  EXPECT_EQ(DayOf(ReadTimeText("11:59PM", back)), back);
  // What a typed time reads as, and whether its refusal is for the hour the
  // clocks skip.
  const int32_t lastDay = FromLocal(2038, 1, 18);
  const struct {
    const char* typed;
    int32_t day;
    int32_t time;
    bool skipped;
  } typed[] = {
      {"230a", change, 0, true},
      {"3a", change, change + 2 * 3600, false},
      {"230a", day_, day_ + 2 * 3600 + 30 * 60, false},
      {"noon", change, 0, false},
      // 23:00 on the last day the time value reaches lies beyond its end.
      {"10p", lastDay, lastDay + 22 * 3600, false},
      {"11p", lastDay, 0, false},
  };
  for (const auto& t : typed) {
    EXPECT_EQ(ParseTypedTime(t.typed, t.day), t.time) << t.typed;
    EXPECT_EQ(SkippedClockTime(t.typed, t.day), t.skipped) << t.typed;
  }
  // The last day of the range still fits the time value.
  int32_t d = 0;
  ASSERT_TRUE(ParseDateText("12-31-37", &d, true));
  EXPECT_EQ(ToLocal(d).hour, 23);
  EXPECT_TRUE(InDateRange(d));
  EXPECT_FALSE(InDateRange(FromLocal(1979, 12, 31)));
}

}  // namespace
