// The to-do table and its list: carrying open items to today, done items
// staying on their day, marking done and open again, priorities compared
// as text, and the 256-item limit.
#include "data/schedule/dptodo.h"

#include <gtest/gtest.h>

#include <vector>

#include "data/schedule/todo_marks.h"
#include "tests/data/schedule/sched_fixture.h"

namespace {

constexpr int32_t kAlice = 5;
constexpr int32_t kBob = 6;

// The clock stands on Wednesday 10 March 2027.
class TodoTest : public SchedDirTest {
 protected:
  void SetUp() override {
    SchedDirTest::SetUp();
    ASSERT_EQ(TodoOpen(todo), 1);
  }
  void TearDown() override {
    if (todo.open) TodoClose(todo);
    SchedDirTest::TearDown();
  }

  int32_t Add(int32_t owner, int32_t date, const std::string& priority, const std::string& text,
              bool done = false) {
    TodoRecord r;
    r.SetOwner(owner);
    r.SetDate(date);
    r.SetPriority(priority);
    r.SetText(text);
    if (done) r.SetStatus(records::todo::kStatusDone);
    int32_t number = -1;
    EXPECT_EQ(TodoAdd(todo, r, &number), 1) << text;
    return number;
  }

  // The texts the list shows for a day, carrying when the day is today.
  std::vector<std::string> List(int32_t owner, int32_t day, int capacity = kMaxTodoItems) {
    std::vector<TodoListEntry> entries;
    EXPECT_EQ(TodoCollect(todo, day, owner, day == Today(), capacity, &entries), 1);
    std::vector<std::string> texts;
    for (const TodoListEntry& e : entries) texts.push_back(e.Text());
    return texts;
  }

  using Texts = std::vector<std::string>;
  int32_t today = At(2027, 3, 10);
  int32_t monday = At(2027, 3, 8);
  int32_t yesterday = At(2027, 3, 9);
  TodoTable todo;
};

TEST_F(TodoTest, OpenItemsOfEarlierDaysAreShownOnTodayAndOtherItemsOnTheirOwnDay) {
  int32_t next = At(2027, 3, 17);
  Add(kAlice, At(2027, 3, 7), "1", "Call the printer");
  Add(kAlice, today, "2", "Order paper");
  Add(kAlice, monday, "1", "Filed the invoices", /*done=*/true);
  Add(kAlice, next, "1", "Open next week");
  Add(kAlice, next, "2", "Done next week", /*done=*/true);
  EXPECT_EQ(List(kAlice, today), (Texts{"Call the printer", "Order paper"}));
  EXPECT_EQ(List(kAlice, At(2027, 3, 7)), Texts{});
  EXPECT_EQ(List(kAlice, monday), Texts{"Filed the invoices"});
  EXPECT_EQ(List(kAlice, next), (Texts{"Open next week", "Done next week"}));
  // Another person's items never show.
  EXPECT_EQ(List(kBob, today), Texts{});
}

TEST_F(TodoTest, MarkingACarriedItemDoneMovesItToTheShownDay) {
  int32_t number = Add(kAlice, monday, "1", "Call the printer");
  TodoRecord record;
  ASSERT_EQ(TodoToggleDone(todo, number, today, &record), 1);
  EXPECT_TRUE(record.Done());
  EXPECT_EQ(record.Date(), today);
  EXPECT_EQ(List(kAlice, today), Texts{"Call the printer"});
  EXPECT_EQ(List(kAlice, monday), Texts{});
  // Tomorrow the done item is not carried along.
  StandOn(2027, 3, 11);
  EXPECT_EQ(List(kAlice, At(2027, 3, 11)), Texts{});
  EXPECT_EQ(List(kAlice, today), Texts{"Call the printer"});
}

TEST_F(TodoTest, OpeningADoneItemOfYesterdayAgainCarriesItToToday) {
  int32_t number = Add(kAlice, yesterday, "1", "Water the plants", /*done=*/true);
  ASSERT_EQ(List(kAlice, yesterday), Texts{"Water the plants"});
  TodoRecord record;
  ASSERT_EQ(TodoToggleDone(todo, number, yesterday, &record), 1);
  EXPECT_FALSE(record.Done());
  EXPECT_EQ(record.Status(), ' ');
  EXPECT_EQ(record.Date(), yesterday);
  EXPECT_EQ(List(kAlice, yesterday), Texts{});
  EXPECT_EQ(List(kAlice, today), Texts{"Water the plants"});
}

TEST_F(TodoTest, PrioritiesCompareAsText) {
  Add(kAlice, today, "2", "Two");
  Add(kAlice, today, "10", "Ten");
  Add(kAlice, today, "1", "One");
  // A carried item of priority 1 sorts among today's by its priority,
  // after today's own "1" of an earlier text.
  Add(kAlice, monday, "1", "Zebra crossing");
  EXPECT_EQ(List(kAlice, today), (Texts{"One", "Zebra crossing", "Ten", "Two"}));
  // Collecting stops at the capacity and succeeds.
  EXPECT_EQ(List(kAlice, today, 3).size(), 3u);
}

TEST_F(TodoTest, AListEntryHoldsTheKeyAndTheFirst52CharactersNulTerminated) {
  std::string text(60, 'x');
  text[3] = '\r';
  int32_t number = Add(kAlice, today, "A", text);
  std::vector<TodoListEntry> entries;
  ASSERT_EQ(TodoCollect(todo, today, kAlice, true, 256, &entries), 1);
  ASSERT_EQ(entries.size(), 1u);
  static_assert(sizeof(TodoListEntry) == 100);
  EXPECT_EQ(entries[0].RecordNumber(), number);
  EXPECT_EQ(entries[0].Key().Priority(), "A");
  EXPECT_EQ(entries[0].Key().Prefix(), "xxx");
  EXPECT_EQ(entries[0].Text(), text.substr(0, 52));
  EXPECT_EQ(entries[0].bytes[99], 0);
}

TEST_F(TodoTest, ADayOf256ItemsRefusesAnotherAndAnItemMovingIn) {
  for (int i = 0; i < kMaxTodoItems; ++i) Add(kAlice, today, "1", "Item " + std::to_string(i));
  int count = 0;
  ASSERT_EQ(TodoCount(todo, today, kAlice, &count), 1);
  EXPECT_EQ(count, 256);
  TodoRecord more;
  more.SetOwner(kAlice);
  more.SetDate(today);
  more.SetPriority("1");
  more.SetText("One too many");
  EXPECT_EQ(TodoAdd(todo, more), 0);
  EXPECT_EQ(AppErrorCode(), kAppMaxRecords);
  EXPECT_EQ(AppErrorName(), "");

  // Marking an item of Monday done on today would make 257.
  int32_t carried = Add(kAlice, monday, "1", "Carried");
  EXPECT_EQ(TodoMarkDone(todo, carried, today), 0);
  EXPECT_EQ(AppErrorCode(), kAppMaxRecords);
  // The full list still collects: 256 of today and the carried item are
  // more than a list holds, so it stops at 256.
  EXPECT_EQ(List(kAlice, today).size(), 256u);

  // An item of the full day can still be edited in place.
  TodoKey key;
  ASSERT_EQ(TodoFindFirst(todo, today, kAlice, &key), 1);
  TodoRecord record;
  ASSERT_EQ(TodoRead(todo, key.RecordNumber(), &record), 1);
  record.SetPriority("2");
  EXPECT_EQ(TodoUpdate(todo, key.RecordNumber(), record), 1);
}

TEST_F(TodoTest, ACopyForAnotherPersonKeepsDatePriorityStatusAndText) {
  int32_t number = Add(kAlice, At(2027, 3, 12), "3", "Book the room", /*done=*/true);
  TodoRecord record;
  ASSERT_EQ(TodoRead(todo, number, &record), 1);
  ASSERT_EQ(TodoAddCopyFor(todo, record, kBob), 1);
  TodoKey key;
  ASSERT_EQ(TodoFindFirst(todo, At(2027, 3, 12, 15), kBob, &key), 1);
  EXPECT_EQ(key.Priority(), "3");
  EXPECT_TRUE(key.Done());
  EXPECT_EQ(key.Prefix(), "Book the room");
  EXPECT_NE(key.UniqueId(), record.UniqueId());
  // Removing an item twice succeeds.
  EXPECT_EQ(TodoRemove(todo, number), 1);
  EXPECT_EQ(TodoRemove(todo, number), 1);
  EXPECT_EQ(List(kAlice, At(2027, 3, 12)), Texts{});
}

TEST(TodoCarrying, TheShownDayAndTheCalendarMarkFollowTheCarryingRule) {
  const int32_t today = 1000000, past = 900000, later = 1100000;
  EXPECT_EQ(TodoShownDay(past, false, today), today);
  EXPECT_EQ(TodoShownDay(past, true, today), past);
  EXPECT_EQ(TodoShownDay(later, false, today), later);
  EXPECT_FALSE(TodoMarksItsDay(past, false, today));
  EXPECT_TRUE(TodoMarksItsDay(past, true, today));
  EXPECT_TRUE(TodoMarksItsDay(today, false, today));
}

}  // namespace

TEST(TodoPriorityTest, APriorityIsOneToThreeCharactersWithoutControlCharacters) {
  struct Case {
    std::string priority;
    std::string problem;  // a part of the sentence; empty when taken
  };
  const Case cases[] = {
      {"1", ""},
      {"10", ""},
      {"A-1", ""},
      {" 1 ", ""},
      {"", "Must enter PRIORITY:"},
      {"   ", "Must enter PRIORITY:"},
      {"1000", "at most 3 characters."},
      {"\t1", "control character such as a tab."},
      {"1\n", "control character"},
      {"\x7F", "control character"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("[" + c.priority + "]");
    const std::string problem = TodoPriorityProblem(c.priority);
    if (c.problem.empty())
      EXPECT_EQ(problem, "");
    else
      EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
  }
}
