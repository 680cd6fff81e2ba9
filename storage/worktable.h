// Work tables: a user's private, headerless tables of query results, read by
// the list windows through one process-wide 64,000-byte read cache and
// sorted by an external merge sort.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "storage/database.h"

constexpr int32_t kReadCacheSize = 64000;
constexpr int32_t kMaxWorkRows = 32000;
constexpr int32_t kMaxSortRuns = 100;
constexpr int32_t kMergeInputBytes = 100000;

// Fills a row (zeroed, work row size bytes) from the current index entry and,
// when the query filters on records, the record; 0 fails the query (code 3).
using RowWriter = std::function<int(const uint8_t* entry, const uint8_t* record, uint8_t* row)>;
// Orders two rows: negative, 0 or positive.
using RowCompare = std::function<int(const uint8_t* a, const uint8_t* b)>;

int DbOpenWorkTable(Table& work, const std::string& directory);
int DbCloseWorkTable(Table& work);

// Walks the source's current index (from its first entry, or its last when
// reverse, unless already positioned) and writes the rows the filter keeps.
// Without a writer, the index entry itself is the row. The row count is left
// in work.scratch.
int DbQuery(Table& source, Table& work, const std::string& directory, const EntryFilter& filter,
            const RowWriter& writer, bool positioned, bool filterOnRecord, bool reverse);

int DbReadCached(Table& work, int32_t row, uint8_t* buffer);
int DbWriteWorkRow(Table& work, int32_t row, const uint8_t* buffer);
// Sorts the rows in place; the temporary files are "<dir>S<n>.DAT" and
// "<dir>M<n>.DAT" with n the user number.
int DbSortWorkTable(Table& work, long userNumber, const RowCompare& compare);

// Empties the read cache (also done by open, close and row writes).
void DbForgetReadCache();
