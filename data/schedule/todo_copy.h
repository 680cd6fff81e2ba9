// Copying a to-do item into other people's lists, and the to-do list's
// month: which days of the calendar are marked, and searching a person's
// items.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/schedule/dptodo.h"

// Copies the item to one person (by name) or, for "* - TAG", to each
// tagged name in the name table's order: groups are passed over (the entry
// "* - ALL" is not), and so is the list's owner. A full day is told through
// inform ("Maximum of 256 to-do items reached." for one person, "... for
// %s" with the name for the tagged ones, the copy going on with the next
// name); any other failure ends the copy with 0 and the application error.
int TodoCopyToRecipients(TodoTable& handle, const TodoRecord& item, int32_t owner,
                         const std::string& recipient, const std::vector<int32_t>& tagged,
                         const std::function<void(const std::string&)>& inform);

// Marks the days of a month (given by any day of it; days 1 to 31 of the
// answer) that show an item by the carrying rule: a done item marks its
// date, an open one only when dated today or later.
int TodoMarkMonth(TodoTable& handle, int32_t owner, int32_t anyDay, std::vector<bool>* marked);

// One match of a search: the day the item is shown on (today for an open
// item of an earlier day), its record number, and its row ("%s\t%s\t%s":
// date, priority and the text's first line).
struct TodoMatch {
  int32_t recordNumber = -1;
  int32_t shownDay = 0;
  std::string row;
};
// The owner's items whose text holds the text, without regard to case (an
// empty text finds all), in key order; keepGoing is asked before each.
int TodoSearch(TodoTable& handle, int32_t owner, const std::string& text,
               const std::function<bool()>& keepGoing, std::vector<TodoMatch>* matches);
