// A to-do record as the tests add them: an owner's item on a day, with its
// priority and text, done or not.
#pragma once

#include <cstdint>
#include <string>

#include "data/schedule/dptodo.h"

inline TodoRecord TodoItem(int32_t owner, int32_t date, const std::string& priority,
                           const std::string& text, bool done = false) {
  TodoRecord r;
  r.SetOwner(owner);
  r.SetDate(date);
  r.SetPriority(priority);
  r.SetText(text);
  if (done) r.SetStatus(records::todo::kStatusDone);
  return r;
}
