// Work tables: opening and closing them, filling them by a query, and the
// process-wide read cache through which the list windows read their rows.
//
// Work file "<dir><NAME>.DAT", headerless, no indexes:
//   offset              size       content
//   n * row size        row size   row n (n = 0, 1, 2, ...)
//
// A work row is read and written whole: nobody else may write a user's work
// table, so there is no lock byte to keep clear of.
#include "storage/worktable.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "storage/check.h"

namespace {

// One window of consecutive rows of one work table. The table is remembered
// by path and row size, so a work table reopened with another row size (the
// message list's "Wc" holds 99- or 49-byte rows) never sees old bytes.
struct ReadCache {
  std::unique_ptr<uint8_t[]> bytes;  // kReadCacheSize bytes, made at first use
  std::string path;
  int32_t rowSize = 0;
  int32_t first = -1;  // row numbers held, both -1 when empty
  int32_t last = -1;
};

ReadCache& Cache() {
  static ReadCache cache;
  return cache;
}

bool CacheHolds(const Table& work) {
  const ReadCache& cache = Cache();
  return cache.first >= 0 && cache.rowSize == work.recordSize &&
         cache.path == DbDataPath(work.directory, work.name);
}

// Query rows are gathered here and written in one call per buffer.
constexpr size_t kQueryWriteBuffer = 64 * 1024;

}  // namespace

void DbForgetReadCache() {
  ReadCache& cache = Cache();
  cache.path.clear();
  cache.rowSize = 0;
  cache.first = -1;
  cache.last = -1;
}

int DbOpenWorkTable(Table& work, const std::string& directory) {
  DbForgetReadCache();
  if (!DP_CHECK(work.recordSize > 0 && work.headerSize == 0 && work.indexes.empty())) return 0;
  work.directory = directory;
  std::string path = DbDataPath(directory, work.name);
  if (!work.data.Open(path, OpenMode::kCreate)) {
    DbSetError(kDbOpenFailed, path);
    return 0;
  }
  work.scratch = -1;
  work.lockDepth = 0;
  work.lockedRecord = -1;
  work.reserved = 0;
  work.currentIndex = 0;
  return 1;
}

int DbCloseWorkTable(Table& work) {
  work.data.Close();
  DbForgetReadCache();
  return 1;
}

int DbReadCached(Table& work, int32_t row, uint8_t* buffer) {
  if (!DP_CHECK(work.IsOpen() && work.recordSize > 0 && work.recordSize <= kReadCacheSize)) {
    return 0;
  }
  ReadCache& cache = Cache();
  if (!CacheHolds(work)) DbForgetReadCache();
  // A negative row lies outside the table just as a row past the end does.
  if (row < 0) return 0;
  const int32_t rowSize = work.recordSize;
  if (row < cache.first || row > cache.last) {
    if (!cache.bytes) {
      cache.bytes.reset(new (std::nothrow) uint8_t[kReadCacheSize]);
      if (!cache.bytes) {
        DbSetError(kDbNoMemory, work.name);
        return 0;
      }
    }
    DbForgetReadCache();
    const int32_t windowRows = kReadCacheSize / rowSize;
    const int32_t first = std::max(0, row - windowRows / 2);
    long got = work.data.ReadAt(int64_t(first) * rowSize, cache.bytes.get(),
                                size_t(windowRows) * size_t(rowSize));
    if (got < 0) {
      DbSetError(kDbReadFailed, work.name);
      return 0;
    }
    if (got < rowSize) return 0;  // nothing at or after first: the row is past the end
    cache.path = DbDataPath(work.directory, work.name);
    cache.rowSize = rowSize;
    cache.first = first;
    cache.last = first + int32_t(got / rowSize) - 1;
    // Past the end: the caller's end of the list, not an error.
    if (row > cache.last) return 0;
  }
  std::memcpy(buffer, cache.bytes.get() + size_t(row - cache.first) * size_t(rowSize),
              size_t(rowSize));
  return 1;
}

int DbWriteWorkRow(Table& work, int32_t row, const uint8_t* buffer) {
  if (!DP_CHECK(work.IsOpen() && work.recordSize > 0 && row >= 0)) return 0;
  DbForgetReadCache();
  long put = work.data.WriteAt(int64_t(row) * work.recordSize, buffer, size_t(work.recordSize));
  if (put != work.recordSize) {
    DbSetError(kDbWriteFailed, work.name);
    return 0;
  }
  return 1;
}

namespace {

// The rows of a running query, gathered and written a buffer at a time.
class RowSink {
 public:
  explicit RowSink(Table& work) : work_(work) {}

  // Makes the buffer; false when there is no memory for it.
  bool Reserve() {
    try {
      buffer_.resize(std::max(kQueryWriteBuffer, size_t(work_.recordSize)));
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  }

  bool Add(const uint8_t* row) {
    const size_t rowSize = size_t(work_.recordSize);
    if (used_ + rowSize > buffer_.size() && !Flush()) return false;
    std::memcpy(buffer_.data() + used_, row, rowSize);
    used_ += rowSize;
    return true;
  }

  bool Flush() {
    if (used_ == 0) return true;
    if (work_.data.WriteAt(offset_, buffer_.data(), used_) != long(used_)) {
      DbSetError(kDbWriteFailed, work_.name);
      return false;
    }
    offset_ += int64_t(used_);
    used_ = 0;
    return true;
  }

  int64_t Offset() const { return offset_; }

 private:
  Table& work_;
  std::vector<uint8_t> buffer_;
  size_t used_ = 0;
  int64_t offset_ = 0;  // where the next buffer goes in the work file
};

// The walk of a query; 1 when it ran to its end, 0 on a failure (error set).
int WalkSource(Table& source, Table& work, RowSink& sink, const EntryFilter& filter,
               const RowWriter& writer, bool filterOnRecord, bool reverse, int32_t* rows) {
  std::vector<uint8_t> record;
  std::vector<uint8_t> row;
  try {
    record.resize(size_t(source.recordSize));
    row.resize(size_t(work.recordSize));
  } catch (const std::bad_alloc&) {
    record.clear();
  }
  if (record.empty() || !sink.Reserve()) {
    DbSetError(kDbNoMemory, "QUERY");
    return 0;
  }
  uint8_t entry[kEntryBufferSize] = {};
  // The record is read whenever the caller asked for records: the filter
  // and the row writer both expect it.
  const bool readRecord = filterOnRecord && (filter || writer);
  do {
    const int32_t recordNumber = DbCurrentRecord(source);
    if (recordNumber == -1) break;  // the end sentinel
    if (!DbCurrentEntry(source, entry)) return 0;
    bool gone = false;
    if (readRecord && !DbReadRecord(source, recordNumber, record.data())) {
      // Another workstation deleted the record between our step to its entry
      // and the read: its keys are already gone, so it is no longer part of
      // the table and is passed over rather than failing the whole list.
      if (DbGetError() != kDbRecordDeleted) return 0;
      DbClearError();
      gone = true;
    }
    int keep = gone ? 0 : 1;
    if (filter && !gone) {
      int answer = filter(filterOnRecord ? record.data() : entry);
      if (answer < 0) break;
      keep = answer;
    }
    if (keep) {
      if (writer) {
        std::fill(row.begin(), row.end(), uint8_t(0));
        if (!writer(entry, filterOnRecord ? record.data() : nullptr, row.data())) {
          DbSetError(kDbWriteFailed, work.name);
          return 0;
        }
        if (!sink.Add(row.data())) return 0;
      } else if (!sink.Add(entry)) {
        return 0;
      }
      ++*rows;
    }
    if (!(reverse ? DbPrev(source) : DbNext(source))) return 0;
  } while (DbPositionState(source) != kPosBeforeFirst);
  return sink.Flush() ? 1 : 0;
}

}  // namespace

int DbQuery(Table& source, Table& work, const std::string& directory, const EntryFilter& filter,
            const RowWriter& writer, bool positioned, bool filterOnRecord, bool reverse) {
  if (!DP_CHECK(source.IsOpen() && source.currentIndex >= 0 &&
                size_t(source.currentIndex) < source.indexes.size())) {
    return 0;
  }
  // Without a row writer the index entry itself is the row.
  if (!DP_CHECK(work.recordSize > 0 &&
                (writer || work.recordSize == source.Current().entryLength))) {
    return 0;
  }
  if (work.IsOpen()) {
    DbForgetReadCache();
  } else if (!DbOpenWorkTable(work, directory)) {
    return 0;
  }
  RowSink sink(work);
  int32_t rows = 0;
  const bool started = positioned || (reverse ? DbLast(source) : DbFirst(source));
  if (!started || !WalkSource(source, work, sink, filter, writer, filterOnRecord, reverse, &rows)) {
    // A half-written work table would show new rows followed by stale
    // ones; an empty one is honest.
    work.data.Truncate(0);
    work.scratch = 0;
    DbForgetReadCache();
    return 0;
  }
  // Rows of an earlier, longer query end here.
  if (!work.data.Truncate(sink.Offset()) || !work.data.Flush()) {
    DbSetError(kDbWriteFailed, work.name);
    return 0;
  }
  DbForgetReadCache();
  work.scratch = rows;
  return 1;
}
