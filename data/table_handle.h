// What every table module of the office data shares: a handle that is the
// engine's table plus an "open" flag, and the position tests of a walk.
//
// Each module opens its table in the data directory, uses it and closes it
// again; every operation first checks that its handle is open, so a table
// used before it was opened is reported as a failed internal check instead
// of touching a closed file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "storage/database.h"

struct TableHandle {
  explicit TableHandle(const TableDef& def) : table(def) {}
  Table table;
  bool open = false;
};

// Opens the table in the data directory (counted as an open table).
int HandleOpen(TableHandle& handle);
// Closes it; closing a handle that is not open is a failed check.
int HandleClose(TableHandle& handle);
// The internal check that opens every operation.
bool HandleReady(TableHandle& handle);

// Whether the current index stands on no entry: on the end sentinel, or
// nowhere yet (just opened, or a search that found nothing).
bool AtEnd(Table& table);
// Whether a backward step went past the first entry (or the index is empty).
bool BeforeFirst(Table& table);

// Sets application error 1018 "End of file" under the table's name.
int FailEndOfFile(const Table& table);
// Sets application error 1028 "Reached beginning of file".
int FailBeginningOfFile(const Table& table);
// Sets application error 1015 "Index is corrupt, please reindex" under
// "<table>.X<n>": an index entry that names a record which does not carry
// that key.
int FailStaleEntry(const Table& table);
// A delete refused because another workstation holds the record: the
// engine leaves its code 9 and nothing else, so the caller has nothing to
// show; this adds application error 1012 "Error locking file" with the name.
int FailRecordLocked(std::string_view name);

// True when a text (bytes in the office's single-byte code page) fits a
// fixed-width NUL-terminated field of that width: width - 1 bytes at most,
// and no NUL inside.
bool FitsField(std::string_view text, int width);
// Case-blind equality of two names, as the indexes compare them.
bool SameName(std::string_view a, std::string_view b);
