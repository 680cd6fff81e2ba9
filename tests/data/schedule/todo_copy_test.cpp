// Copying to-do items to other people, the month's marks and searching a
// person's items.
#include "data/schedule/todo_copy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/data/schedule/sched_office_fixture.h"

namespace {

class TodoCopyTest : public SchedOfficeTest {
 protected:
  void SetUp() override {
    SchedOfficeTest::SetUp();
    ASSERT_EQ(TodoOpen(todo), 1);
  }
  void TearDown() override {
    if (todo.open) TodoClose(todo);
    SchedOfficeTest::TearDown();
  }
  TodoRecord Item(int32_t owner, int32_t date, const std::string& text, bool done = false) {
    TodoRecord r;
    r.SetOwner(owner);
    r.SetDate(date);
    r.SetPriority("1");
    r.SetText(text);
    if (done) r.SetStatus(records::todo::kStatusDone);
    EXPECT_EQ(TodoAdd(todo, r), 1);
    return r;
  }
  int Count(int32_t owner, int32_t day) {
    int count = -1;
    EXPECT_EQ(TodoCount(todo, day, owner, &count), 1);
    return count;
  }

  TodoTable todo;
  std::vector<std::string> told;
  std::function<void(const std::string&)> inform = [this](const std::string& t) {
    told.push_back(t);
  };
};

TEST_F(TodoCopyTest, TaggedNamesGetACopyButGroupsAndTheOwnerDoNot) {
  TodoRecord item = Item(alice, At(2027, 3, 15), "Plan the party");
  ASSERT_EQ(TodoCopyToRecipients(todo, item, alice, "* - TAG",
                                 {numbers["*SALES"], bob, carol, alice}, inform),
            1)
      << FormatAppError();
  EXPECT_EQ(Count(bob, At(2027, 3, 15)), 1);
  EXPECT_EQ(Count(carol, At(2027, 3, 15)), 1);
  EXPECT_EQ(Count(alice, At(2027, 3, 15)), 1);
  EXPECT_EQ(Count(numbers["*SALES"], At(2027, 3, 15)), 0);
  EXPECT_TRUE(told.empty());
}

TEST_F(TodoCopyTest, AFullDayIsToldAndTheTaggedCopyGoesOn) {
  TodoRecord item = Item(alice, At(2027, 3, 15), "Plan the party");
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
  // stays unmarked; a done one of the 11th and an open one of the 20th mark.
  Item(alice, At(2027, 3, 10), "Carried");
  Item(alice, At(2027, 3, 11), "Done", true);
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
  EXPECT_EQ(days, (std::vector<int>{11, 20, 22, 23, 31}));
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

TEST_F(TodoCopyTest, SearchIgnoresCaseAndShowsACarriedItemOnToday) {
  Item(alice, At(2027, 3, 10), "Renew the LICENCE\rat the office");
  Item(alice, At(2027, 3, 20), "Licence plates");
  Item(bob, At(2027, 3, 10), "licence of Bob");
  Item(alice, At(2027, 3, 11), "Water the plants");
  std::vector<TodoMatch> matches;
  ASSERT_EQ(TodoSearch(todo, alice, "licence ", nullptr, &matches), 1);
  ASSERT_EQ(matches.size(), 2u);
  EXPECT_EQ(matches[0].row, "3-10-27\t1\tRenew the LICENCE");
  EXPECT_EQ(matches[0].shownDay, At(2027, 3, 15));
  EXPECT_EQ(matches[1].shownDay, At(2027, 3, 20));
}

}  // namespace
