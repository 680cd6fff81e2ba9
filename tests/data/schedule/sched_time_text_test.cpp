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

// Out-of-range hours and minutes wrap; texts that are no time stay as typed.
TEST_F(TimeTextTest, TypedTimesBecomeTheFieldsFormAndOtherTextsStayAsTyped) {
  const std::pair<const char*, const char*> cases[] = {
      {"8", " 8:00AM"},       {"130", " 1:30PM"},       {"1730", " 5:30PM"},
      {"0", "12:00AM"},       {"9p", " 9:00PM"},        {"9:30AM", " 9:30AM"},
      {"9:30 am", " 9:30AM"}, {" 9 : 30 p", " 9:30PM"}, {"930p", " 9:30PM"},
      {"14:00", " 2:00PM"},   {"12", "12:00PM"},        {"12a", "12:00AM"},
      {"12:30am", "12:30AM"}, {"7", " 7:00AM"},         {"6", " 6:00PM"},
      {"11:59", "11:59AM"},   {"12:75", "12:15PM"},     {"25", " 1:00PM"},
      {"24", "12:00AM"},      {"24:30", "12:30AM"},     {"0030", "12:30AM"}};
  for (const auto& [typed, shown] : cases) EXPECT_EQ(NormaliseTimeText(typed), shown) << typed;
  for (const char* t : {"1:2:3", ":30", "noon", "12345", "123:45", "12:345", "   ", ""})
    EXPECT_EQ(NormaliseTimeText(t), t) << t;
}

TEST_F(TimeTextTest, FieldTextIsReadOnTheEntrysDateAndOtherTextsAsNoTime) {
  EXPECT_EQ(ReadTimeText(" 9:30AM", day_), FromLocal(2027, 3, 15, 9, 30));
  EXPECT_EQ(ReadTimeText(" 9:30PM", day_), FromLocal(2027, 3, 15, 21, 30));
  EXPECT_EQ(ReadTimeText("12:00AM", day_), day_);
  EXPECT_EQ(ReadTimeText("12:15PM", day_), FromLocal(2027, 3, 15, 12, 15));
  EXPECT_EQ(ReadTimeText("11:05PM", day_ + 3600), FromLocal(2027, 3, 15, 23, 5));
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

TEST_F(TimeTextTest, DatesAreMonthDayAndTwoDigitYearWithinTheCalendarAndTheYears) {
  EXPECT_EQ(DateText(day_), "3-15-27");
  EXPECT_EQ(DateText(day_, true), " 3-15-27");
  EXPECT_EQ(DateText(FromLocal(2001, 11, 2)), "11-02-01");
  EXPECT_EQ(DateText(FromLocal(2037, 12, 31)), "12-31-37");
  EXPECT_EQ(DateText(0), "");
  // What a typed date reads as; a number may take four places, blanks
  // included.
  const std::pair<const char*, int32_t> cases[] = {{"3-15-27", day_},
                                                   {" 3/15/27", day_},
                                                   {"  03-15-27", day_},
                                                   {"    ", 0},
                                                   {"12-31-37", FromLocal(2037, 12, 31)},
                                                   {"1-1-80", FromLocal(1980, 1, 1)},
                                                   {"2-29-28", FromLocal(2028, 2, 29)}};
  for (const auto& [typed, day] : cases) {
    int32_t d = -1;
    EXPECT_TRUE(ParseDateText(typed, &d)) << typed;
    EXPECT_EQ(d, day) << typed;
  }
  for (const char* t : {"2-29-27", "2-30-99", "1-1-38", "1-1-70", "1-1-75", "12-31-79", "1-1-1999",
                        "1-1-123", "13-1-27", "0-1-27", "3-32-27", "3--15-27", "3-15", "3-15-27-",
                        "3-15-27x", "3-15-", "x", "3-15-2 7 7"}) {
    int32_t d = 0;
    EXPECT_FALSE(ParseDateText(t, &d)) << t;
  }
  int32_t d = 0;
  ASSERT_TRUE(ParseDateText("3-15-27", &d, true));
  EXPECT_EQ(d, FromLocal(2027, 3, 15, 23, 59, 59));
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
      {"159a", change, change + 3600 + 59 * 60, false},
      {"2a", change, 0, true},
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
