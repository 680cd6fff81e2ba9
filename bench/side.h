// One database under test: our engine or SQLite in one journal mode. The
// benchmark drives every side through the same operations, so the rows of
// the table compare the same logical work.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "bench/office.h"

namespace bench {

// Rows written by a query, and the result of a sort.
struct Counted {
  bool ok = false;
  int64_t items = 0;
};

class Side {
 public:
  virtual ~Side() = default;
  virtual std::string Label() const = 0;

  // Creates the message table empty in dir (with the same two indexes),
  // replacing whatever was there.
  virtual bool Create(const std::string& dir) = 0;
  // Opens the message table in dir and, when asked, the user's work table.
  virtual bool Open(const std::string& dir, bool withWorkTable) = 0;
  virtual void Close() = 0;

  // One message, visible to every other process when the call returns.
  virtual bool Append(const MessageRecord& message) = 0;
  // Finds the message by its full X1 key and reads its record.
  virtual bool Find(const MessageRecord& message) = 0;
  // Visits every X1 entry in order (or backwards), reading what the list
  // window draws: record number, folder, kind, flags, to, from, time,
  // number, change count.
  virtual Counted Walk(bool forward) = 0;
  // Fills the work table with one person's "New" folder in X1 order, then
  // reads every row by its row number.
  virtual Counted QueryNewFolder(const std::string& person) = 0;
  // Puts the first `rows` X1 entries into the work table (not timed).
  virtual bool FillWorkTable(int32_t rows) = 0;
  // Sorts the work table by sender (case-blind), then time and number.
  virtual Counted SortWorkTable() = 0;
  // Whether the work table holds exactly `rows` rows in that order (not timed).
  virtual bool WorkTableSorted(int32_t rows) = 0;
};

enum class SideKind { kOurs, kSqliteDelete, kSqliteWal };

std::unique_ptr<Side> MakeSide(SideKind kind);
const char* SideName(SideKind kind);  // "ours", "sqlite", "sqlite-wal"
bool SideFromName(const std::string& name, SideKind* kind);

}  // namespace bench
