#include "data/schedule/todo_copy.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "data/local_time.h"
#include "data/office/dpname.h"
#include "data/schedule/sched_time_text.h"
#include "data/schedule/sched_update_memo.h"
#include "data/schedule/todo_marks.h"
#include "storage/errors.h"

namespace {

constexpr const char* kAllName = "* - ALL";

// Adds the copy; *full when the recipient's day holds 256 items.
int CopyFor(TodoTable& handle, const TodoRecord& item, int32_t number, bool* full) {
  *full = false;
  ClearAppError();
  if (TodoAddCopyFor(handle, item, number)) return 1;
  *full = AppErrorCode() == kAppMaxRecords;
  return 0;
}

std::string Lower(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Steps a walk on; false at the end (1018 cleared) or on a failure (*failed).
bool Advance(TodoTable& handle, TodoKey* key, bool* failed) {
  ClearAppError();
  if (TodoNext(handle, key)) return true;
  if (AppErrorCode() == kAppEndOfFile) {
    ClearAppError();
  } else {
    *failed = true;
  }
  return false;
}

// Positions at the owner's first key on or after the date; false when
// there is none.
bool FirstFrom(TodoTable& handle, int32_t owner, int32_t date, TodoKey* key, bool* failed) {
  TodoRecord probe;
  probe.SetOwner(owner);
  probe.SetDate(date);
  int32_t number = -1;
  ClearAppError();
  if (TodoFindKey(handle, TodoKeyOf(probe, 0), &number, key)) return key->Owner() == owner;
  if (AppErrorCode() == kAppEndOfFile) {
    ClearAppError();
  } else {
    *failed = true;
  }
  return false;
}

}  // namespace

int TodoCopyToRecipients(TodoTable& handle, const TodoRecord& item, int32_t owner,
                         const std::string& recipient, const std::vector<int32_t>& tagged,
                         const std::function<void(const std::string&)>& inform) {
  if (recipient == kTaggedRecipient) {
    NameTable names;
    if (!NameOpen(names)) return 0;
    NameEntry name;
    int ok = 1;
    ClearAppError();
    for (int more = NameFirst(names, &name); more; more = NameNext(names, &name)) {
      const std::string n = name.Name();
      if (std::find(tagged.begin(), tagged.end(), name.Number()) == tagged.end()) continue;
      if ((!n.empty() && n[0] == '*' && n != kAllName) || name.Number() == owner) continue;
      bool full = false;
      if (!CopyFor(handle, item, name.Number(), &full)) {
        if (!full) {
          ok = 0;
          break;
        }
        inform("Maximum of 256 to-do items reached for " + n);
      }
      ClearAppError();
    }
    if (ok && AppErrorCode() != kAppEndOfFile && AppErrorCode() != 0) ok = 0;
    if (ok) ClearAppError();
    NameClose(names);
    return ok;
  }
  NameRecord person;
  if (!NameLookup(recipient, &person)) return 0;
  if (person.Number() == owner) return 1;
  bool full = false;
  if (!CopyFor(handle, item, person.Number(), &full)) {
    if (!full) return 0;
    inform("Maximum of 256 to-do items reached.");
  }
  return 1;
}

int TodoMarkMonth(TodoTable& handle, int32_t owner, int32_t anyDay, std::vector<bool>* marked) {
  marked->assign(32, false);
  const LocalTime t = ToLocal(anyDay);
  const int32_t first = FromLocal(t.year, t.month, 1);
  const int32_t next = FromLocal(t.year, t.month + 1, 1);
  const int32_t today = Today();
  TodoKey key;
  bool failed = false;
  bool more = FirstFrom(handle, owner, first, &key, &failed);
  // A busy day (up to 256 items) is marked by its first item that shows;
  // the walk then goes on from the next day instead of through the rest.
  int32_t markedDate = INT32_MIN;
  while (more && key.Owner() == owner && key.Date() < next) {
    if (key.Date() == markedDate) {
      more = FirstFrom(handle, owner, AddDays(key.Date(), 1), &key, &failed);
      continue;
    }
    if (TodoMarksItsDay(key.Date(), key.Done(), today)) {
      (*marked)[size_t(ToLocal(key.Date()).day)] = true;
      markedDate = key.Date();
    }
    more = Advance(handle, &key, &failed);
  }
  return failed ? 0 : 1;
}

int TodoSearch(TodoTable& handle, int32_t owner, const std::string& text,
               const std::function<bool()>& keepGoing, std::vector<TodoMatch>* matches) {
  std::string wanted = text;
  while (!wanted.empty() && wanted.back() == ' ') wanted.pop_back();
  wanted = Lower(wanted);
  const int32_t today = Today();
  TodoKey key;
  bool failed = false;
  bool more = FirstFrom(handle, owner, INT32_MIN, &key, &failed);
  while (more && key.Owner() == owner) {
    if (keepGoing && !keepGoing()) return 1;
    TodoRecord item;
    if (TodoRead(handle, key.RecordNumber(), &item)) {
      const std::string body = item.Text();
      if (wanted.empty() || Lower(body).find(wanted) != std::string::npos) {
        TodoMatch match;
        match.recordNumber = key.RecordNumber();
        match.shownDay = TodoShownDay(item.Date(), item.Done(), today);
        const std::string firstLine = body.substr(0, body.find_first_of("\r\n"));
        match.row = DateText(item.Date()) + "\t" + item.Priority() + "\t" + firstLine;
        matches->push_back(match);
      }
    } else if (DbGetError() == kDbRecordDeleted) {
      DbClearError();
    } else {
      return 0;
    }
    more = Advance(handle, &key, &failed);
  }
  return failed ? 0 : 1;
}
