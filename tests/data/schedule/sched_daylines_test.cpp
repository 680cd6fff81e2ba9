// The day view's lines: order, end lines, brackets and overlap flags,
// preset slots, the 40-line day, and days of a daylight-saving change.
#include "data/schedule/sched_daylines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/schedule/sched_time_text.h"
#include "tests/data/schedule/sched_fixture.h"

namespace {

constexpr int32_t kAnne = 7;

class DayLinesTest : public SchedTableTest {
 protected:
  int32_t AddAt(int hour, int minute, const std::string& text, int endHour = -1,
                int endMinute = 0) {
    SchedRecord r = Entry(kAnne, 2027, 3, 15, hour, minute, text);
    if (endHour >= 0) r.SetEnd(At(2027, 3, 15, endHour, endMinute));
    return Add(r);
  }

  std::vector<DayLine> Build(const PresetHours* presets = nullptr, int* slots = nullptr,
                             int32_t day = 0) {
    std::vector<DayLine> lines;
    EXPECT_EQ(
        SchedBuildDayLines(sched, day ? day : At(2027, 3, 15, 13), kAnne, presets, &lines, slots),
        1);
    return lines;
  }

  // The lines as the day view shows them, one a line: the Time column,
  // the bracket, "!" for an overlap, and the description ("-" for a slot,
  // "end" for an end line), for comparing whole days at a glance.
  static std::string Show(const std::vector<DayLine>& lines) {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
      const DayLine& l = lines[i];
      char bracket = l.bracket == kBracketTop      ? 'T'
                     : l.bracket == kBracketBar    ? '|'
                     : l.bracket == kBracketBottom ? 'L'
                                                   : ' ';
      out += DayLineTimeText(lines, i) + bracket + (l.overlap ? "!" : "") +
             (l.IsSlot()      ? "-"
              : l.IsEndLine() ? "end"
                              : l.description) +
             "\n";
    }
    return out;
  }
};

TEST_F(DayLinesTest, ASecondBracketTurnsBarsIntoACornerAndMarksOverlaps) {
  int32_t board = AddAt(10, 0, "Board", 12);
  AddAt(11, 0, "Call Lang");
  // An entry inside another gets a bar without overlap.
  EXPECT_EQ(Show(Build()),
            "10:00amTBoard\n"
            "11:00am|Call Lang\n"
            "12:00pmLend\n");
  int32_t review = AddAt(10, 30, "Review", 11, 30);
  std::vector<DayLine> lines = Build();
  EXPECT_EQ(Show(lines),
            "10:00amTBoard\n"
            "10:30amTReview\n"
            "11:00am|!Call Lang\n"
            "11:30amL!end\n"
            "12:00pmLend\n");
  EXPECT_EQ(lines[3].endOf, review);
  EXPECT_EQ(lines[4].endOf, board);
  EXPECT_EQ(lines[0].end, At(2027, 3, 15, 12));
  EXPECT_EQ(lines[3].end, 0);
  EXPECT_EQ(lines[3].description, "");
}

TEST_F(DayLinesTest, LinesFollowTimeThenTheWholeDescription) {
  // Equal first 19 characters: the index orders them by unique id (zebra
  // first), the day view by the whole text.
  Add(Entry(kAnne, 2027, 3, 15, 9, 0, "Quarterly planning: zebra"));
  Add(Entry(kAnne, 2027, 3, 15, 9, 0, "Quarterly planning: apple"));
  Add(Entry(kAnne, 2027, 3, 15, 8, 0, "Early"));
  Add(Entry(kAnne, 2027, 3, 15, -1, 0, "All day"));
  std::vector<DayLine> lines = Build();
  EXPECT_EQ(Show(lines),
            " All day\n"
            " 8:00am Early\n"
            " 9:00am Quarterly planning: apple\n"
            " Quarterly planning: zebra\n");
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(IsUntimedLine(lines[0]));
}

TEST_F(DayLinesTest, AnEndLineGoesBeforeEntriesStartingAtItsTime) {
  AddAt(9, 0, "Standup", 10);
  AddAt(10, 0, "Next");
  EXPECT_EQ(Show(Build()),
            " 9:00amTStandup\n"
            "10:00amLend\n"
            " Next\n");
}

TEST_F(DayLinesTest, PresetHoursFillTheWorkingDayAroundTheEntries) {
  AddAt(9, 0, "Dentist");
  PresetHours hours{8, 17};
  int slots = -1;
  std::vector<DayLine> lines = Build(&hours, &slots);
  EXPECT_EQ(Show(lines),
            " 8:00am -\n 9:00am Dentist\n10:00am -\n11:00am -\n12:00pm -\n 1:00pm -\n"
            " 2:00pm -\n 3:00pm -\n 4:00pm -\n 5:00pm -\n");
  EXPECT_EQ(slots, 9);
  ASSERT_EQ(lines.size(), 10u);
  for (int h = 8; h <= 17; ++h) EXPECT_EQ(lines[size_t(h - 8)].time, At(2027, 3, 15, h)) << h;
}

TEST_F(DayLinesTest, MidnightSlotStandsWhereATimedMidnightEntryIs) {
  Add(Entry(kAnne, 2027, 3, 15, -1, 0, "Untimed"));
  PresetHours hours{0, 1};
  std::vector<DayLine> lines = Build(&hours);
  EXPECT_EQ(Show(lines), " Untimed\n12:00am -\n 1:00am -\n");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1].time, At(2027, 3, 15, 0, 0, 1));
}

TEST_F(DayLinesTest, PresetOptionsOutOfRangeAreTamed) {
  EXPECT_EQ(PresetHoursFromOptions(30, 40).first, 8);
  EXPECT_EQ(PresetHoursFromOptions(30, 40).last, 23);
  EXPECT_EQ(PresetHoursFromOptions(9, 5).last, 9);
  EXPECT_EQ(PresetHoursFromOptions(7, 18).first, 7);
}

TEST_F(DayLinesTest, AFullDayShowsEveryLineTheLimitsLet) {
  // 39 lines, then an entry with an end time: the day holds 41 lines.
  for (int i = 0; i < 39; ++i) AddAt(7, i + 1, "Filler " + std::to_string(i));
  AddAt(20, 30, "Late", 21, 30);
  std::vector<DayLine> lines = Build();
  ASSERT_EQ(lines.size(), 41u);
  EXPECT_EQ(lines[39].bracket, kBracketTop);
  EXPECT_EQ(lines[40].bracket, kBracketBottom);
  PresetHours hours{0, 23};
  int slots = 0;
  lines = Build(&hours, &slots);
  EXPECT_EQ(lines.size(), 64u) << "no hour is taken, but only 23 of 24 slots fit";
  EXPECT_EQ(slots, 23);
}

TEST_F(DayLinesTest, OtherPeoplesEntriesAndOtherDaysStayOut) {
  AddAt(9, 0, "Mine");
  Add(Entry(kAnne + 1, 2027, 3, 15, 9, 0, "Someone else's"));
  Add(Entry(kAnne, 2027, 3, 16, 0, 0, "Tomorrow"));
  Add(Entry(kCommonScheduleOwner, 2027, 3, 15, 9, 0, "Office"));
  std::vector<DayLine> lines = Build();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].description, "Mine");
  std::vector<DayLine> office;
  ASSERT_EQ(SchedBuildDayLines(sched, At(2027, 3, 15), kCommonScheduleOwner, nullptr, &office), 1);
  ASSERT_EQ(office.size(), 1u);
  EXPECT_EQ(office[0].description, "Office");
  EXPECT_TRUE(Build(nullptr, nullptr, At(2027, 3, 17)).empty());
}

TEST_F(DayLinesTest, SlotsOnADaylightSavingDayAreWallClockHours) {
  // 14 March 2027: 02:00 becomes 03:00.
  Add(Entry(kAnne, 2027, 3, 14, 9, 0, "Brunch"));
  PresetHours hours{1, 10};
  int slots = 0;
  std::vector<DayLine> lines = Build(&hours, &slots, At(2027, 3, 14));
  // No 2 o'clock on that day: hours 1 and 3 to 10, nine in all.
  EXPECT_EQ(Show(lines),
            " 1:00am -\n 3:00am -\n 4:00am -\n 5:00am -\n 6:00am -\n 7:00am -\n 8:00am -\n"
            " 9:00am Brunch\n10:00am -\n");
  EXPECT_EQ(slots, 8);
}

}  // namespace
