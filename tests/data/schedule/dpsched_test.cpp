// The schedule table: the day-line limit, the common schedule first (the
// key order itself is the catalogue's, tested there), finding a day's run,
// deleting, and the repeat-group walks.
#include "data/schedule/dpsched.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/data/schedule/sched_fixture.h"

namespace sc = records::sched;

namespace {

constexpr int32_t kAlice = 5;
constexpr int32_t kBob = 6;

using Names = std::vector<std::string>;

class SchedTest : public SchedTableTest {
 protected:
  // Writes the entry back changed; the update's answer, with a refusal's
  // reason in the error state.
  int Update(int32_t number, SchedRecord r) {
    ClearAppError();
    return SchedUpdate(sched, number, r);
  }

  // The descriptions of (owner, day) in key order.
  std::vector<std::string> Day(int32_t owner, int32_t day) {
    std::vector<std::string> seen;
    SchedKey key;
    int32_t next = AddDays(day, 1);
    for (int ok = SchedFindFirst(sched, day, owner, &key);
         ok && key.Owner() == owner && key.Start() < next; ok = SchedNext(sched, &key))
      seen.push_back(key.Prefix());
    return seen;
  }
};

TEST_F(SchedTest, AFullDayRefusesWhatNeedsAnotherLineAndTakesEveryOtherChange) {
  for (int i = 0; i < 37; ++i) Add(Entry(kAlice, 2027, 3, 15, 8, i, "Filler " + std::to_string(i)));
  int32_t review = Add(Entry(kAlice, 2027, 3, 15, 9, 0, "Review", 11));
  int32_t dentist = Add(Entry(kAlice, 2027, 3, 15, 9, 0, "Dentist"));
  int32_t lunch = Add(Entry(kAlice, 2027, 3, 16, 9, 0, "Lunch"));
  ASSERT_EQ(Lines(kAlice, At(2027, 3, 15)), 40);
  int32_t before = RecordCount(kSchedTable);
  SchedRecord more = Entry(kAlice, 2027, 3, 15, 17, 0, "One too many");
  EXPECT_EQ(SchedAdd(sched, more), 0);
  EXPECT_EQ(AppErrorCode(), kAppMaxRecords);
  EXPECT_EQ(AppErrorName(), "");
  EXPECT_EQ(RecordCount(kSchedTable), before);
  // Another person's day and the next day are not affected.
  EXPECT_EQ(SchedAdd(sched, more = Entry(kBob, 2027, 3, 15, 17, 0, "Bob's")), 1);
  EXPECT_EQ(SchedAdd(sched, more = Entry(kAlice, 2027, 3, 16, 17, 0, "Tomorrow")), 1);
  // An update that adds an end time is refused, one without passes.
  SchedRecord record = Read(dentist);
  record.SetEnd(At(2027, 3, 15, 10, 0));
  EXPECT_EQ(Update(dentist, record), 0);
  EXPECT_EQ(AppErrorCode(), kAppMaxRecords);
  record = Read(dentist);
  record.SetDescription("Dentist, Dr Blake");
  record.SetStart(At(2027, 3, 15, 9, 30));
  EXPECT_EQ(Update(dentist, record), 1);
  EXPECT_EQ(Read(dentist).Description(), "Dentist, Dr Blake");
  EXPECT_EQ(Read(dentist).ChangeCount(), 1);
  // An entry with an end time can still be edited.
  record = Read(review);
  record.SetDescription("Review of the year");
  EXPECT_EQ(Update(review, record), 1);
  EXPECT_EQ(Lines(kAlice, At(2027, 3, 15)), 40);
  // Moving an entry onto the full day is refused.
  record = Read(lunch);
  record.SetStart(At(2027, 3, 15, 12, 0));
  EXPECT_EQ(Update(lunch, record), 0);
  EXPECT_EQ(AppErrorCode(), kAppMaxRecords);
  EXPECT_EQ(Lines(kAlice, At(2027, 3, 16)), 2);
}

TEST_F(SchedTest, TheCommonScheduleSortsBeforeEveryPersonAndIsFoundLikeAnyOwner) {
  Add(Entry(kAlice, 2027, 3, 15, 9, 0, "Alice's"));
  Add(Entry(kCommonScheduleOwner, 2027, 3, 20, 9, 0, "Office party"));
  Add(Entry(kBob, 2027, 3, 1, 9, 0, "Bob's"));
  // Searching from the lowest owner: -1 comes first, signed.
  SchedKey first;
  SchedKey lowest;
  SetFieldI32(lowest.bytes, sc::x1::kOwner, INT32_MIN);
  ASSERT_EQ(SchedFindKey(sched, lowest, nullptr, &first), 1);
  EXPECT_EQ(first.Owner(), kCommonScheduleOwner);
  EXPECT_EQ(first.Prefix(), "Office party");
  EXPECT_EQ(Day(kCommonScheduleOwner, At(2027, 3, 20)), Names{"Office party"});
}

TEST_F(SchedTest, AnyTimeWithinADateFindsThatDaysEntriesAndAnEmptyDayEndsTheSearch) {
  Add(Entry(kAlice, 2027, 3, 15, -1, 0, "All day"));
  Add(Entry(kAlice, 2027, 3, 15, 23, 59, "Late"));
  Add(Entry(kAlice, 2027, 3, 16, 0, 0, "Next day"));
  Add(Entry(kBob, 2027, 3, 14, 9, 0, "Bob's"));
  SchedKey key;
  for (int32_t day : {At(2027, 3, 14), At(2027, 3, 17)}) {
    ClearAppError();
    EXPECT_EQ(SchedFindFirst(sched, day, kAlice, &key), 0);
    EXPECT_EQ(AppErrorCode(), kAppEndOfFile);
    EXPECT_EQ(AppErrorName(), "");
  }
  EXPECT_EQ(SchedFindFirst(sched, At(2027, 3, 14), kBob + 1, &key), 0);
  EXPECT_EQ(Lines(kAlice, At(2027, 3, 14)), 0);
  ASSERT_EQ(SchedFindFirst(sched, At(2027, 3, 15, 13, 45), kAlice, &key), 1);
  EXPECT_EQ(key.Prefix(), "All day");
  EXPECT_EQ(Day(kAlice, At(2027, 3, 15)), (Names{"All day", "Late"}));
}

TEST_F(SchedTest, DeletingAnEntryAnotherWorkstationDeletedSucceeds) {
  int32_t number = Add(Entry(kAlice, 2027, 3, 15, 9, 0, "Gone soon"));
  SchedTable other;
  ASSERT_EQ(SchedOpen(other), 1);
  EXPECT_EQ(SchedRemove(other, number), 1);
  SchedClose(other);
  EXPECT_EQ(SchedRemove(sched, number), 1);
  SchedRecord record;
  EXPECT_EQ(SchedRead(sched, number, &record), 0);
  EXPECT_EQ(DbGetError(), kDbRecordDeleted);
  EXPECT_EQ(Lines(kAlice, At(2027, 3, 15)), 0);
}

TEST_F(SchedTest, AddTakesAUniqueIdOnlyWhenTheRecordHasNoneAndRefusesBadDescriptions) {
  SchedRecord a = Entry(kAlice, 2027, 3, 15, 9, 0, "First");
  SchedRecord b = Entry(kAlice, 2027, 3, 15, 10, 0, "Second");
  b.SetUniqueId(7777);
  ASSERT_EQ(SchedAdd(sched, a), 1);
  ASSERT_EQ(SchedAdd(sched, b), 1);
  EXPECT_GT(a.UniqueId(), 0);
  EXPECT_EQ(b.UniqueId(), 7777);
  // The same key again is a duplicate, told apart from other failures.
  SchedRecord again = b;
  EXPECT_EQ(SchedAdd(sched, again), 0);
  EXPECT_TRUE(SchedDuplicate());
  // A description that would read as deleted, or none, is refused.
  const int32_t records = RecordCount(kSchedTable);
  SchedRecord record = Entry(kAlice, 2027, 3, 15, 9, 0,
                             "\xff"
                             "oops");
  EXPECT_EQ(SchedAdd(sched, record), 0);
  SchedRecord empty = Entry(kAlice, 2027, 3, 15, 9, 0, "");
  EXPECT_EQ(SchedAdd(sched, empty), 0);
  EXPECT_EQ(RecordCount(kSchedTable), records);
}

class SchedGroupTest : public SchedTest {
 protected:
  // Three entries of group 900 on 15, 16 and 17 March at 9:00, and one
  // entry outside the group on the 16th.
  void SetUp() override {
    SchedTest::SetUp();
    for (int day = 15; day <= 17; ++day) {
      SchedRecord r = Entry(kAlice, 2027, 3, day, 9, 0, "Stand-up", 10);
      r.SetRepeatGroup(900);
      r.SetAlarm(At(2027, 3, day, 8, 55));
      numbers.push_back(Add(r));
    }
    Add(Entry(kAlice, 2027, 3, 16, 11, 0, "Not repeated"));
  }
  std::vector<int32_t> numbers;
};

TEST_F(SchedGroupTest, CopyingGivesEveryEntryOnceAndRemovingLeavesOtherEntriesAndCopies) {
  ASSERT_EQ(SchedCopyGroup(sched, kAlice, kBob, 900), 1);
  for (int day = 15; day <= 17; ++day)
    EXPECT_EQ(Day(kBob, At(2027, 3, day)), Names{"Stand-up"}) << day;
  SchedKey key;
  ASSERT_EQ(SchedFindFirst(sched, At(2027, 3, 16), kBob, &key), 1);
  EXPECT_EQ(key.RepeatGroup(), 900);
  EXPECT_EQ(key.End(), At(2027, 3, 16, 10, 0));
  ASSERT_EQ(SchedRemoveGroup(sched, kAlice, 900), 1);
  EXPECT_EQ(Day(kAlice, At(2027, 3, 15)), Names{});
  EXPECT_EQ(Day(kAlice, At(2027, 3, 16)), Names{"Not repeated"});
  EXPECT_EQ(Day(kBob, At(2027, 3, 17)), Names{"Stand-up"});
}

TEST_F(SchedGroupTest, RemovingFromAnEntryOnKeepsTheEarlierEntriesOfTheGroup) {
  ASSERT_EQ(SchedRemoveGroup(sched, kAlice, 900, At(2027, 3, 16, 9, 0)), 1);
  EXPECT_EQ(Day(kAlice, At(2027, 3, 15)), Names{"Stand-up"});
  EXPECT_EQ(Day(kAlice, At(2027, 3, 16)), Names{"Not repeated"});
  EXPECT_EQ(Day(kAlice, At(2027, 3, 17)), Names{});
}

TEST_F(SchedGroupTest, ChangingAGroupCarriesClockTimesAndTextButKeepsEachDate) {
  SchedRecord edited = Read(numbers[1]);
  edited.SetStart(At(2027, 3, 16, 9, 30));
  edited.SetEnd(At(2027, 3, 16, 10, 15));
  edited.SetAlarm(0);
  edited.SetDescription("Stand-up (short)");
  edited.SetNote("Room 2");
  ASSERT_EQ(SchedChangeGroup(sched, edited), 1);
  for (int i = 0; i < 3; ++i) {
    SchedRecord r = Read(numbers[size_t(i)]);
    EXPECT_EQ(EntryTimes(r) + ", " + r.Description() + ", " + r.Note(),
              "3-" + std::to_string(15 + i) + " 09:30 to 10:15 grouped, Stand-up (short), Room 2");
    EXPECT_EQ(r.ChangeCount(), 1);
  }
  EXPECT_EQ(Day(kAlice, At(2027, 3, 16)), (Names{"Stand-up (short)", "Not repeated"}));
}

TEST_F(SchedGroupTest, ChangingAGroupReachesTwoEntriesOfOneDayWhenTheFirstMovesPastTheSecond) {
  // A second entry of the group on the 15th, at 9:15: rewriting the 9:00
  // one to 14:00 moves its key past it.
  int32_t second = Add(InGroup(Entry(kAlice, 2027, 3, 15, 9, 15, "Stand-up", 10), 900));
  SchedRecord edited = Read(numbers[0]);
  edited.SetStart(At(2027, 3, 15, 14, 0));
  edited.SetEnd(At(2027, 3, 15, 15, 0));
  ASSERT_EQ(SchedChangeGroup(sched, edited), 1);
  EXPECT_EQ(Read(second).Start(), At(2027, 3, 15, 14, 0));
  EXPECT_EQ(Read(second).ChangeCount(), 1);
}

TEST_F(SchedTest, ADaylightSavingDayIsFoundAndCountedByItsLocalDate) {
  // 14 March 2027 is 23 hours long in New York; 7 November is 25.
  Add(Entry(kAlice, 2027, 3, 14, 23, 30, "Late, short day"));
  Add(Entry(kAlice, 2027, 3, 15, -1, 0, "Monday"));
  Add(Entry(kAlice, 2027, 11, 7, 23, 30, "Late, long day"));
  Add(Entry(kAlice, 2027, 11, 8, -1, 0, "Monday"));
  EXPECT_EQ(Day(kAlice, At(2027, 3, 14, 12)), Names{"Late, short day"});
  EXPECT_EQ(Day(kAlice, At(2027, 11, 7, 1, 30)), Names{"Late, long day"});
  EXPECT_EQ(Lines(kAlice, At(2027, 11, 7)), 1);
  EXPECT_EQ(Lines(kAlice, At(2027, 3, 15)), 1);
}

}  // namespace
