// The to-do table and its list: carrying open items to today, done items
// staying on their day, marking done and open again, priorities compared
// as text, the 256-item limit, copies for other people, the month's marks
// and searching.
#include "data/schedule/dptodo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "data/schedule/todo_copy.h"
#include "data/schedule/todo_marks.h"
#include "tests/data/schedule/sched_office_fixture.h"

namespace {

constexpr int32_t kAlice = 5;
constexpr int32_t kBob = 6;

// The clock stands on Wednesday 10 March 2027.
class TodoTest : public TodoOpenTest<SchedDirTest> {
 protected:
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
};

TEST_F(TodoTest, OpenItemsOfEarlierDaysAreShownOnTodayAndOtherItemsOnTheirOwnDay) {
  int32_t next = At(2027, 3, 17);
  AddItem(kAlice, At(2027, 3, 7), "1", "Call the printer");
  AddItem(kAlice, today, "2", "Order paper");
  AddItem(kAlice, monday, "1", "Filed the invoices", /*done=*/true);
  AddItem(kAlice, next, "1", "Open next week");
  AddItem(kAlice, next, "2", "Done next week", /*done=*/true);
  EXPECT_EQ(List(kAlice, today), (Texts{"Call the printer", "Order paper"}));
  EXPECT_EQ(List(kAlice, At(2027, 3, 7)), Texts{});
  EXPECT_EQ(List(kAlice, monday), Texts{"Filed the invoices"});
  EXPECT_EQ(List(kAlice, next), (Texts{"Open next week", "Done next week"}));
  // Another person's items never show.
  EXPECT_EQ(List(kBob, today), Texts{});
}

TEST_F(TodoTest, MarkingACarriedItemDoneMovesItToTheShownDay) {
  int32_t number = AddItem(kAlice, monday, "1", "Call the printer");
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
  int32_t number = AddItem(kAlice, yesterday, "1", "Water the plants", /*done=*/true);
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
  AddItem(kAlice, today, "2", "Two");
  AddItem(kAlice, today, "10", "Ten");
  AddItem(kAlice, today, "1", "One");
  // A carried item of priority 1 sorts among today's by its priority,
  // after today's own "1" of an earlier text.
  AddItem(kAlice, monday, "1", "Zebra crossing");
  EXPECT_EQ(List(kAlice, today), (Texts{"One", "Zebra crossing", "Ten", "Two"}));
  // Collecting stops at the capacity and succeeds.
  EXPECT_EQ(List(kAlice, today, 3).size(), 3u);
}

TEST_F(TodoTest, AListEntryHoldsTheKeyAndTheFirst52CharactersNulTerminated) {
  std::string text(60, 'x');
  text[3] = '\r';
  int32_t number = AddItem(kAlice, today, "A", text);
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
  for (int i = 0; i < kMaxTodoItems; ++i) AddItem(kAlice, today, "1", "Item " + std::to_string(i));
  int count = 0;
  ASSERT_EQ(TodoCount(todo, today, kAlice, &count), 1);
  EXPECT_EQ(count, 256);
  TodoRecord more = TodoItem(kAlice, today, "1", "One too many");
  EXPECT_EQ(TodoAdd(todo, more), 0);
  EXPECT_EQ(AppErrorCode(), kAppMaxRecords);
  EXPECT_EQ(AppErrorName(), "");

  // Marking an item of Monday done on today would make 257.
  int32_t carried = AddItem(kAlice, monday, "1", "Carried");
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
  int32_t number = AddItem(kAlice, At(2027, 3, 12), "3", "Book the room", /*done=*/true);
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

// Copying to-do items to other people, the month's marks and searching a
// person's items.
class TodoCopyTest : public TodoOpenTest<SchedOfficeTest> {
 protected:
  int32_t Item(int32_t owner, int32_t date, const std::string& text, bool done = false,
               TodoRecord* stored = nullptr) {
    return AddItem(owner, date, "1", text, done, stored);
  }
  int Count(int32_t owner, int32_t day) {
    int count = -1;
    EXPECT_EQ(TodoCount(todo, day, owner, &count), 1);
    return count;
  }

  std::vector<std::string> told;
  std::function<void(const std::string&)> inform = [this](const std::string& t) {
    told.push_back(t);
  };
};

TEST_F(TodoCopyTest, TaggedNamesGetACopyButGroupsAndTheOwnerDoNot) {
  TodoRecord item;
  Item(alice, At(2027, 3, 15), "Plan the party", false, &item);
  ASSERT_EQ(TodoCopyToRecipients(todo, item, alice, "* - TAG",
                                 {numbers["*SALES"], bob, carol, alice}, inform),
            1)
      << FormatAppError();
  std::vector<int> counts;
  for (int32_t owner : {bob, carol, alice, numbers["*SALES"]})
    counts.push_back(Count(owner, At(2027, 3, 15)));
  EXPECT_EQ(counts, (std::vector<int>{1, 1, 1, 0}));
  EXPECT_TRUE(told.empty());
}

TEST_F(TodoCopyTest, AFullDayIsToldAndTheTaggedCopyGoesOn) {
  TodoRecord item;
  Item(alice, At(2027, 3, 15), "Plan the party", false, &item);
  for (int i = 0; i < kMaxTodoItems; ++i) Item(bob, At(2027, 3, 15), "Filler " + std::to_string(i));
  ASSERT_EQ(TodoCopyToRecipients(todo, item, alice, "* - TAG", {bob, carol}, inform), 1);
  EXPECT_EQ(told, std::vector<std::string>{"Maximum of 256 to-do items reached for BOB"});
  EXPECT_EQ(Count(carol, At(2027, 3, 15)), 1);
  told.clear();
  ASSERT_EQ(TodoCopyToRecipients(todo, item, alice, "BOB", {}, inform), 1);
  EXPECT_EQ(told, std::vector<std::string>{"Maximum of 256 to-do items reached."});
}

TEST_F(TodoCopyTest, OnlyDaysThatShowAnItemAreMarked) {
  // Today is 15 March: an open item of the 10th is carried, so the 10th
  // stays unmarked; a done one of the 11th and open ones of today and the
  // 20th mark.
  Item(alice, At(2027, 3, 10), "Carried");
  Item(alice, At(2027, 3, 11), "Done", true);
  Item(alice, At(2027, 3, 15), "Today");
  Item(alice, At(2027, 3, 20), "Coming");
  Item(bob, At(2027, 3, 12), "Bob's", true);
  // Busy days: the walk leaves a marked day for the next one, and stops at
  // the month's end.
  for (int i = 0; i < 5; ++i) {
    Item(alice, At(2027, 3, 22), "Busy " + std::to_string(i));
    Item(alice, At(2027, 3, 31), "Last " + std::to_string(i));
  }
  Item(alice, At(2027, 3, 23), "After the busy day");
  Item(alice, At(2027, 4, 1), "April");
  std::vector<bool> marked;
  ASSERT_EQ(TodoMarkMonth(todo, alice, At(2027, 3, 1), &marked), 1);
  std::vector<int> days;
  for (int d = 1; d <= 31; ++d)
    if (marked[size_t(d)]) days.push_back(d);
  EXPECT_EQ(days, (std::vector<int>{11, 15, 20, 22, 23, 31}));
  ASSERT_EQ(TodoMarkMonth(todo, alice, At(2027, 4, 1), &marked), 1);
  EXPECT_TRUE(marked[1]);
  EXPECT_FALSE(marked[31]);
}

TEST_F(TodoCopyTest, MarkingEndsCleanlyWhereTheTableEnds) {
  // The owner's items are the table's last keys: going on past a marked
  // busy day, or looking at a month after them all, meets the table's end,
  // which is no failure.
  constexpr int32_t kLast = 999;
  for (int i = 0; i < 3; ++i) Item(kLast, At(2027, 3, 20), "Busy " + std::to_string(i));
  std::vector<bool> marked;
  ASSERT_EQ(TodoMarkMonth(todo, kLast, At(2027, 3, 1), &marked), 1);
  EXPECT_TRUE(marked[20]);
  ASSERT_EQ(TodoMarkMonth(todo, kLast, At(2027, 4, 1), &marked), 1);
  EXPECT_EQ(std::count(marked.begin(), marked.end(), true), 0);
  // Stepping on from the table's last key, an open item carried to today.
  Item(kLast + 1, At(2027, 3, 10), "Carried, last of all");
  ASSERT_EQ(TodoMarkMonth(todo, kLast + 1, At(2027, 3, 1), &marked), 1);
  EXPECT_EQ(std::count(marked.begin(), marked.end(), true), 0);
}

TEST_F(TodoCopyTest, SearchIgnoresCaseAndShowsACarriedItemOnTodayAndADoneOneOnItsDay) {
  Item(alice, At(2027, 3, 9), "Licence paid", true);
  Item(alice, At(2027, 3, 10), "Renew the LICENCE\rat the office");
  Item(alice, At(2027, 3, 20), "Licence plates");
  Item(bob, At(2027, 3, 10), "licence of Bob");
  Item(alice, At(2027, 3, 11), "Water the plants");
  std::vector<TodoMatch> matches;
  ASSERT_EQ(TodoSearch(todo, alice, "licence ", nullptr, &matches), 1);
  ASSERT_EQ(matches.size(), 3u);
  EXPECT_EQ(matches[1].row, "3-10-27\t1\tRenew the LICENCE");
  EXPECT_EQ(matches[0].shownDay, At(2027, 3, 9));
  EXPECT_EQ(matches[1].shownDay, At(2027, 3, 15));
  EXPECT_EQ(matches[2].shownDay, At(2027, 3, 20));
}

}  // namespace

TEST(TodoPriorityTest, APriorityIsOneToThreeCharactersWithoutControlCharacters) {
  for (const char* taken : {"1", "10", "A-1", " 1 "})
    EXPECT_EQ(TodoPriorityProblem(taken), "") << taken;
  // A refused priority and a part of the sentence saying why.
  const std::pair<const char*, const char*> refused[] = {
      {"", "Must enter PRIORITY:"},      {"   ", "Must enter PRIORITY:"},
      {"1000", "at most 3 characters."}, {"\t1", "control character such as a tab."},
      {"1\n", "control character"},      {"\x7F", "control character"}};
  for (const auto& [priority, part] : refused)
    EXPECT_NE(TodoPriorityProblem(priority).find(part), std::string::npos)
        << "[" << priority << "]";
}
