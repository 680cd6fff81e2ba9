// dpmess: filling a message list or a send-log list into a work table.
//
// A list walks one index in time order from where its view begins: X1 of
// "MESSAGE" (folder, to, time) for a folder, X2 (time) for every folder,
// X1 of "SENDLOG" (folder, sender, time) for a send log. Without text
// criteria a folder's list is drawn from the index entries alone; with
// them (or across every folder) each record is read and its texts, long
// text note or e-mail body are searched.
#include <climits>
#include <cstring>
#include <new>

#include "data/messages/dpmess.h"
#include "data/messages/dpmess_internal.h"
#include "data/messages/dpnote.h"
#include "data/messages/email_file.h"
#include "data/messages/message_user.h"
#include "data/office/datadir.h"
#include "storage/check.h"
#include "storage/errors.h"
#include "storage/records/name.h"

namespace msg = records::message;
namespace slog = records::sendlog;
namespace nm = records::name;
using namespace dpmess;

namespace {

constexpr int kMessageX1 = 0;
constexpr int kMessageX2 = 1;
constexpr int kSendLogX1 = 0;

char Fold(char c) {
  return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

std::string_view TrimRight(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return s.substr(0, n);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

bool ContainsNoCase(std::string_view field, std::string_view part) {
  if (part.size() > field.size()) return false;
  for (size_t at = 0; at + part.size() <= field.size(); ++at)
    if (EqualNoCase(field.substr(at, part.size()), part)) return true;
  return false;
}

bool Blank(std::string_view s) {
  return TrimRight(s).empty();
}

bool Everybody(const std::string& person) {
  return person.empty() || person[0] == nm::kGroupPrefix;
}

bool KindIncluded(uint8_t kind, const MessageCriteria& c) {
  return (kind == msg::kKindPhone && c.phone) || (kind == msg::kKindMemo && c.memo) ||
         (kind == msg::kKindEmail && c.email);
}

bool InRange(int32_t time, const MessageCriteria& c) {
  return (c.start == 0 || time >= c.start) && (c.end == 0 || time <= c.end);
}

// Whether a walk in time order has gone past the range: the rest of the
// walk lies outside it too.
bool PastRange(int32_t time, const MessageCriteria& c) {
  return c.newestFirst ? (c.start != 0 && time < c.start) : (c.end != 0 && time > c.end);
}

bool HasTextCriteria(const MessageCriteria& c) {
  return !Blank(c.fromText) || !Blank(c.companyText) || !Blank(c.phoneText) || !Blank(c.text);
}

// A to name that sorts after every stored name, so that a backward walk of
// a folder's every recipient starts after the folder's last entry whatever
// bytes the names hold.
void SetAfterEveryName(uint8_t* key, Field to) {
  std::memset(key + to.offset, 0xFF, size_t(to.width - 1));
  key[to.End() - 1] = 0;
}

// The state of one running list: the criteria and what went wrong inside
// a filter, which can only stop the walk.
class Search {
 public:
  Search(const MessageCriteria& criteria, bool sendLog)
      : c_(criteria), sendLog_(sendLog), everybody_(Everybody(criteria.person)) {}

  const MessageCriteria& Criteria() const { return c_; }
  bool AllRecipients() const { return everybody_; }
  bool Failed() const { return failure_.failed; }
  int Fail() const { return failure_.Result(); }

  // Whether the record's texts match; on a failure (no memory) the walk
  // is to stop.
  bool TextsMatch(const MessageRecord& r) {
    const uint8_t* b = r.bytes;
    switch (r.Kind()) {
      case msg::kKindPhone:
        return Match(c_.fromText, r.From()) && Match(c_.companyText, FieldText(b, msg::kCompany)) &&
               Match(c_.phoneText, FieldText(b, msg::kPhone)) &&
               (Blank(c_.text) || Match(c_.text, WholeText(r, msg::kPhoneText)));
      case msg::kKindMemo:
        return Match(c_.fromText, r.From()) &&
               (Blank(c_.text) || Match(c_.text, WholeText(r, msg::kMemoText)));
      case msg::kKindEmail:
        // The text is looked for in the subject and then in the body.
        return Match(c_.fromText, FieldText(b, msg::kSenderAddress)) &&
               (Blank(c_.text) || Match(c_.text, FieldText(b, msg::kSubject)) ||
                Match(c_.text, Body(r)));
      default:
        return false;
    }
  }

  bool Match(std::string_view criterion, std::string_view field) const {
    return MessageTextMatches(criterion, field, c_.exact);
  }

 private:
  // The whole text of a phone message or memo: its long-text note when it
  // has one, else the record's field.
  std::string WholeText(const MessageRecord& r, Field field) {
    std::string text;
    if (r.LongTextNote() != 0) {
      try {
        KeepAppError keep;
        if (NoteRead(r.LongTextNote(), &text, kMaxNoteText)) return text;
      } catch (const std::bad_alloc&) {
        NoMemory();
        return std::string();
      }
    }
    // A note that cannot be read leaves the text the record shows.
    return FieldText(r.bytes, field);
  }

  // The body of an e-mail's file, as much of it as a view shows; a file
  // that cannot be read has no text to match.
  std::string Body(const MessageRecord& r) {
    std::string body;
    try {
      KeepAppError keep;
      if (!EmailReadBody(EmailFilePath(r.Number(), sendLog_), &body, kEmailBodyLimit, nullptr))
        body.clear();
    } catch (const std::bad_alloc&) {
      NoMemory();
      body.clear();
    }
    return body;
  }

  void NoMemory() {
    SetAppError(kAppNoMemory, "QUERY");
    failure_.Note();
  }

  const MessageCriteria& c_;
  const bool sendLog_;
  const bool everybody_;
  FirstFailure failure_;
};

// Runs the query from the position the caller set up. nothing: the
// positioning showed that no entry can qualify. A failure inside a filter
// leaves an empty work table.
int RunQuery(Table& source, Table& work, Search& search, const EntryFilter& filter,
             const RowWriter& writer, bool positioned, bool onRecords, bool nothing) {
  // Text searches read notes through one handle.
  const bool notes = onRecords && HasTextCriteria(search.Criteria());
  if (notes && !NoteBegin()) return 0;
  EntryFilter walk = filter;
  if (nothing) walk = [](const uint8_t*) { return -1; };
  int ok = DbQuery(source, work, DataDirectory(), walk, writer, positioned, onRecords,
                   search.Criteria().newestFirst);
  if (notes) {
    KeepAppError keep;
    NoteEnd();
  }
  if (!ok) return 0;
  if (search.Failed()) {
    work.data.Truncate(0);
    work.scratch = 0;
    DbForgetReadCache();
    return search.Fail();
  }
  return 1;
}

// Searches the current index for the key; a backward walk starts one entry
// before it. *nothing when no entry lies before it.
int Position(Table& table, const uint8_t* key, bool newestFirst, bool* nothing) {
  *nothing = false;
  int exact = 0;
  if (!DbFind(table, key, &exact)) return 0;
  if (!newestFirst) return 1;
  if (!DbPrev(table)) return 0;
  *nothing = DbPositionState(table) == kPosBeforeFirst;
  return 1;
}

// A folder's messages for every recipient come from X1 grouped by
// recipient; a list is read in time order, so they are sorted by time (and
// message number). A list too long to sort keeps the index's order.
int SortByTime(Table& work, bool newestFirst) {
  if (work.scratch < 2 || work.scratch > kMaxWorkRows) return 1;
  auto order = [newestFirst](const uint8_t* a, const uint8_t* b) {
    int32_t ta = FieldI32(a, msg::x1::kTime), tb = FieldI32(b, msg::x1::kTime);
    int32_t na = FieldI32(a, msg::x1::kNumber), nb = FieldI32(b, msg::x1::kNumber);
    int r = ta != tb ? (ta < tb ? -1 : 1) : (na != nb ? (na < nb ? -1 : 1) : 0);
    return newestFirst ? -r : r;
  };
  int32_t rows = work.scratch;
  if (!DbSortWorkTable(work, CurrentMessageUser().number, order)) return 0;
  work.scratch = rows;
  return 1;
}

}  // namespace

bool MessageTextMatches(std::string_view criterion, std::string_view field, bool exact) {
  std::string_view wanted = TrimRight(criterion);
  if (wanted.empty()) return true;
  std::string_view have = TrimRight(field);
  return exact ? EqualNoCase(have, wanted) : ContainsNoCase(have, wanted);
}

int MsgQuery(MessageTable& handle, const MessageCriteria& criteria, Table& work,
             const EntryFilter& listFilter) {
  if (!HandleReady(handle)) return 0;
  if (!DP_CHECK(work.recordSize == msg::list_row::kLength)) return 0;
  Table& table = handle.table;
  Search search(criteria, false);
  const MessageCriteria& c = criteria;
  const bool byFolder = c.folder != 0;
  const bool everybody = search.AllRecipients();
  const bool onRecords = !byFolder || HasTextCriteria(c) || c.sender != 0;
  // Within a folder and one recipient the walk is in time order too.
  const bool timeOrdered = !byFolder || !everybody;

  // Positioning.
  uint8_t key[kEntryBufferSize] = {};
  bool positioned = false;
  bool nothing = false;
  if (byFolder) {
    if (!DbSetCurrentIndex(table, kMessageX1)) return 0;
    SetFieldI32(key, msg::x1::kFolder, c.folder);
    if (c.newestFirst) {
      if (everybody) {
        SetAfterEveryName(key, msg::x1::kTo);
      } else {
        SetFieldText(key, msg::x1::kTo, c.person.c_str());
      }
      SetFieldI32(key, msg::x1::kTime, everybody || c.end == 0 ? INT32_MAX : c.end);
      SetFieldI32(key, msg::x1::kNumber, INT32_MAX);
    } else {
      if (!everybody) SetFieldText(key, msg::x1::kTo, c.person.c_str());
      SetFieldI32(key, msg::x1::kTime, everybody || c.start == 0 ? INT32_MIN : c.start);
      SetFieldI32(key, msg::x1::kNumber, INT32_MIN);
    }
    if (!Position(table, key, c.newestFirst, &nothing)) return 0;
    positioned = true;
  } else {
    if (!DbSetCurrentIndex(table, kMessageX2)) return 0;
    if (c.start != 0 || c.end != 0) {
      if (c.newestFirst) {
        SetFieldI32(key, msg::x2::kTime, c.end == 0 ? INT32_MAX : c.end);
        SetFieldI32(key, msg::x2::kNumber, INT32_MAX);
      } else {
        SetFieldI32(key, msg::x2::kTime, c.start == 0 ? INT32_MIN : c.start);
        SetFieldI32(key, msg::x2::kNumber, INT32_MIN);
      }
      if (!Position(table, key, c.newestFirst, &nothing)) return 0;
      positioned = true;
    }
  }

  // The entry, its folder, recipient, time and kind: common to both modes.
  // -1 ends the walk, 0 hides, 1 keeps.
  auto judge = [&](int32_t folder, const std::string& to, int32_t time, uint8_t kind) {
    if (byFolder && folder != c.folder) return -1;
    if (!everybody && !SameName(to, c.person)) return byFolder ? -1 : 0;
    if (!InRange(time, c)) return timeOrdered && PastRange(time, c) ? -1 : 0;
    return KindIncluded(kind, c) ? 1 : 0;
  };

  if (!onRecords) {
    EntryFilter filter = [&](const uint8_t* data) {
      MessageEntry entry;
      std::memcpy(entry.bytes, data, sizeof entry.bytes);
      int answer = judge(entry.Folder(), entry.To(), entry.Time(), entry.Kind());
      if (answer == 1 && listFilter) answer = listFilter(entry.bytes);
      return answer;
    };
    RowWriter writer = [](const uint8_t* entry, const uint8_t*, uint8_t* row) {
      std::memcpy(row, entry, msg::x1::kLength);
      return 1;
    };
    if (!RunQuery(table, work, search, filter, writer, positioned, false, nothing)) return 0;
    return byFolder && everybody ? SortByTime(work, c.newestFirst) : 1;
  }

  // Record mode: the row is the X1 entry made from the record, whichever
  // index is walked.
  EntryFilter filter = [&](const uint8_t* data) {
    MessageRecord r;
    std::memcpy(r.bytes, data, sizeof r.bytes);
    int answer = judge(r.Folder(), r.To(), r.Time(), r.Kind());
    if (answer != 1) return answer;
    if (c.sender != 0 && r.Sender() != c.sender) return 0;
    if (!search.TextsMatch(r)) return search.Failed() ? -1 : 0;
    if (listFilter) {
      uint8_t entry[kEntryBufferSize];
      DbMakeEntry(table, kMessageX1, r.bytes, DbCurrentRecord(table), entry);
      return listFilter(entry);
    }
    return 1;
  };
  RowWriter writer = [&](const uint8_t* entry, const uint8_t* record, uint8_t* row) {
    uint8_t built[kEntryBufferSize];
    DbMakeEntry(table, kMessageX1, record, FieldI32(entry, kEntryRecordNumber), built);
    std::memcpy(row, built, msg::x1::kLength);
    return 1;
  };
  if (!RunQuery(table, work, search, filter, writer, positioned, true, nothing)) return 0;
  return byFolder && everybody ? SortByTime(work, c.newestFirst) : 1;
}

int SendLogQuery(SendLogTable& handle, const MessageCriteria& criteria, Table& work,
                 const EntryFilter& listFilter) {
  if (!HandleReady(handle)) return 0;
  if (!DP_CHECK(work.recordSize == slog::kListRowLength)) return 0;
  Table& table = handle.table;
  Search search(criteria, true);
  const MessageCriteria& c = criteria;
  const int32_t sender = c.sender != 0 ? c.sender : CurrentMessageUser().number;
  const bool byFolder = c.folder != 0;
  const bool onRecords = HasTextCriteria(c);

  if (!DbSetCurrentIndex(table, kSendLogX1)) return 0;
  bool positioned = false;
  bool nothing = false;
  if (byFolder) {
    uint8_t key[kEntryBufferSize] = {};
    SetFieldI32(key, slog::x1::kFolder, c.folder);
    SetFieldI32(key, slog::x1::kSender, sender);
    if (c.newestFirst) {
      SetFieldI32(key, slog::x1::kTime, c.end == 0 ? INT32_MAX : c.end);
      SetFieldI32(key, slog::x1::kNumber, INT32_MAX);
    } else {
      SetFieldI32(key, slog::x1::kTime, c.start == 0 ? INT32_MIN : c.start);
      SetFieldI32(key, slog::x1::kNumber, INT32_MIN);
    }
    if (!Position(table, key, c.newestFirst, &nothing)) return 0;
    positioned = true;
  }

  // Within (folder, sender) the walk is in time order; across folders the
  // other senders' copies are passed over.
  auto judge = [&](int32_t folder, int32_t from, int32_t time, uint8_t kind,
                   const std::string& to) {
    if (byFolder && (folder != c.folder || from != sender)) return -1;
    if (from != sender) return 0;
    if (!InRange(time, c)) return byFolder && PastRange(time, c) ? -1 : 0;
    if (!KindIncluded(kind, c)) return 0;
    return search.Match(c.toText, to) ? 1 : 0;
  };

  EntryFilter filter;
  if (!onRecords) {
    filter = [&](const uint8_t* data) {
      SendLogEntry entry;
      std::memcpy(entry.bytes, data, sizeof entry.bytes);
      int answer = judge(entry.Folder(), entry.Sender(), entry.Time(), entry.Kind(), entry.To());
      if (answer == 1 && listFilter) answer = listFilter(entry.bytes);
      return answer;
    };
  } else {
    filter = [&](const uint8_t* data) {
      MessageRecord r;
      std::memcpy(r.bytes, data, sizeof r.bytes);
      int answer = judge(r.Folder(), r.Sender(), r.Time(), r.Kind(), r.To());
      if (answer != 1) return answer;
      if (!search.TextsMatch(r)) return search.Failed() ? -1 : 0;
      if (listFilter) {
        uint8_t entry[kEntryBufferSize];
        DbMakeEntry(table, kSendLogX1, r.bytes, DbCurrentRecord(table), entry);
        return listFilter(entry);
      }
      return 1;
    };
  }
  // The rows are the index entries themselves.
  return RunQuery(table, work, search, filter, nullptr, positioned, onRecords, nothing);
}
