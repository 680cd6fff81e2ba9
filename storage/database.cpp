#include "storage/database.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include "storage/check.h"
#include "storage/lockwait.h"

namespace {

int64_t SlotOffset(const Table& t, int32_t recordNumber) {
  return int64_t(t.headerSize) + int64_t(recordNumber) * t.recordSize;
}

// The index number (1-based) under which an index failure is reported.
int ReportIndex(Table& t, int indexNumber) {
  DbReportIndexError(t.name, indexNumber + 1);
  return 0;
}

bool Usable(const Table& t) {
  return DP_CHECK(t.IsOpen()) && DP_CHECK(t.headerSize >= 0 && t.headerSize <= kMaxHeaderSize) &&
         DP_CHECK(t.recordSize > 1);
}

// A table opened read only (a read-only share) refuses every change as
// access denied before it takes any lock, so no change is half made and
// the message says why.
bool Writable(const Table& t) {
  if (!t.data.ReadOnly()) return true;
  errno = EROFS;
  DbSetError(kDbWriteFailed, t.name);
  return false;
}

bool HasCurrentIndex(const Table& t) {
  return Usable(t) && DP_CHECK(t.currentIndex >= 0 && size_t(t.currentIndex) < t.indexes.size());
}

void CloseAll(Table& t) {
  t.data.Close();
  for (Index& index : t.indexes) IdxClose(index);
}

// Writes a copy of the record with its deletion mark set.
int MarkDeleted(Table& t, const uint8_t* record, int32_t recordNumber) {
  std::vector<uint8_t> copy(record, record + t.recordSize);
  copy[0] = kDeletedMark;
  return DbWriteRecord(t, recordNumber, copy.data());
}

int AlwaysBelow(const uint8_t*, const uint8_t*) {
  return -1;
}
int AlwaysAbove(const uint8_t*, const uint8_t*) {
  return 1;
}

// Searches the current index with a comparator that places the searched
// entry before (or after) every stored one, restoring the index's own.
int SearchEdge(Table& t, KeyComparator edge) {
  Index& index = t.Current();
  KeyComparator own = index.compare;
  index.compare = edge;
  uint8_t probe[kEntryBufferSize] = {};
  int exact = 0;
  int ok = IdxSearch(index, probe, &exact);
  index.compare = own;
  return ok;
}

}  // namespace

Table::Table(const TableDef& def)
    : headerSize(def.headerSize), recordSize(def.recordSize), name(def.name), version(def.version) {
  for (int i = 0; i < def.indexCount; ++i) indexes.emplace_back(def.indexes[i]);
}

Table::Table(std::string workName, int32_t rowSize)
    : headerSize(0), recordSize(rowSize), name(std::move(workName)) {}

std::string DbDataPath(const std::string& directory, const std::string& name) {
  return directory + name + ".DAT";
}

std::string DbIndexPath(const std::string& directory, const std::string& name, int indexNumber) {
  return directory + name + ".X" + std::to_string(indexNumber);
}

int DbCreateTable(Table& t, const std::string& directory, uint8_t version) {
  if (!DP_CHECK(t.headerSize >= 0 && t.headerSize <= kMaxHeaderSize)) return 0;
  std::string path = DbDataPath(directory, t.name);
  File file;
  if (!file.Open(path, OpenMode::kCreate)) {
    DbSetError(kDbOpenFailed, path);
    return 0;
  }
  if (t.headerSize != 0) {
    std::vector<uint8_t> header(size_t(t.headerSize), 0);
    if (version != 0 && t.headerSize > kVersionOffset) header[kVersionOffset] = version;
    if (file.WriteAt(0, header.data(), header.size()) != long(header.size())) {
      DbSetError(kDbWriteFailed, t.name);
      return 0;
    }
    file.Flush();
  }
  file.Close();
  for (size_t i = 0; i < t.indexes.size(); ++i) {
    if (!IdxCreate(t.indexes[i], DbIndexPath(directory, t.name, int(i) + 1)))
      return ReportIndex(t, int(i));
    IdxClose(t.indexes[i]);
  }
  return 1;
}

int DbOpenTable(Table& t, const std::string& directory) {
  if (!DP_CHECK(!t.IsOpen())) return 0;
  std::string path = DbDataPath(directory, t.name);
  if (!t.data.Open(path, OpenMode::kShared) &&
      !(RefusedForWriting(File::LastReason()) && t.data.Open(path, OpenMode::kReadOnly))) {
    DbSetError(kDbOpenFailed, path);
    return 0;
  }
  if (t.version != 0) {
    // Only the version byte is read: byte 0 is the append lock, which
    // another workstation may hold, and a share with mandatory locks
    // refuses to read a held byte.
    uint8_t version = 0;
    if (ReadAtWaiting(t.data, kVersionOffset, &version, 1) != 1) {
      CloseAll(t);
      DbSetError(kDbReadFailed, path);
      return 0;
    }
    if (version != t.version) {
      CloseAll(t);
      DbSetError(kDbWrongVersion, path);
      return 0;
    }
  }
  t.lockDepth = 0;
  t.lockedRecord = -1;
  t.reserved = 0;
  t.scratch = -1;
  t.currentIndex = 0;
  t.directory = directory;
  for (size_t i = 0; i < t.indexes.size(); ++i) {
    if (!IdxOpen(t.indexes[i], DbIndexPath(directory, t.name, int(i) + 1))) {
      ReportIndex(t, int(i));
      CloseAll(t);
      return 0;
    }
  }
  return 1;
}

int DbCloseTable(Table& t) {
  CloseAll(t);
  t.lockDepth = 0;
  t.lockedRecord = -1;
  return 1;
}

int DbRecordCount(Table& t, int32_t* count) {
  *count = 0;
  if (!Usable(t)) return 0;
  int64_t size = t.data.Size();
  if (size < 0) {
    DbSetError(kDbReadFailed, t.name);
    return 0;
  }
  // Record numbers stop at INT32_MAX: slots of a longer file cannot be
  // reached, so they are not counted.
  if (size > t.headerSize)
    *count = int32_t(std::min<int64_t>((size - t.headerSize) / t.recordSize, INT32_MAX));
  return 1;
}

int DbReadRecord(Table& t, int32_t recordNumber, uint8_t* buffer) {
  if (!Usable(t)) return 0;
  if (recordNumber < 0) {
    DbSetError(kDbSeekFailed, t.name);
    return 0;
  }
  size_t length = size_t(t.recordSize - 1);
  // Record 0 of a table without header starts on the append lock byte.
  if (ReadAtWaiting(t.data, SlotOffset(t, recordNumber), buffer, length) != long(length)) {
    DbSetError(kDbReadFailed, t.name);
    return 0;
  }
  buffer[length] = 0;
  if (buffer[0] == kDeletedMark) {
    DbSetError(kDbRecordDeleted, t.name);
    return 0;
  }
  return 1;
}

int DbWriteRecord(Table& t, int32_t recordNumber, const uint8_t* buffer) {
  if (!Usable(t) || !Writable(t)) return 0;
  size_t length = size_t(t.recordSize - 1);
  if (recordNumber < 0 ||
      WriteAtWaiting(t.data, SlotOffset(t, recordNumber), buffer, length) != long(length)) {
    DbSetError(kDbWriteFailed, t.name);
    return 0;
  }
  return 1;
}

int DbAppendRecord(Table& t, const uint8_t* record, int32_t* recordNumberOut) {
  if (!Usable(t) || !Writable(t)) return 0;
  if (!DbLockHeader(t)) return 0;
  int64_t end = t.data.Size();
  if (end < 0) {
    DbSetError(kDbSeekFailed, t.name);
    DbUnlockHeader(t);
    return 0;
  }
  // A slot cut short (a write that died half way) is passed over, so that
  // every record keeps its place at header + n * record size. Its first
  // byte gets the deletion mark: once the new record fills the gap behind
  // it, the slot is a whole one, and the bytes of the write that died must
  // not come back as a record that no index names.
  int64_t body = end > t.headerSize ? end - t.headerSize : 0;
  int64_t slot = (body + t.recordSize - 1) / t.recordSize;
  // A file that already holds the greatest record number takes no more.
  if (slot > INT32_MAX) {
    DbSetError(kDbWriteFailed, t.name);
    DbUnlockHeader(t);
    return 0;
  }
  int32_t recordNumber = int32_t(slot);
  if (body % t.recordSize != 0) {
    const uint8_t mark = kDeletedMark;
    if (t.data.WriteAt(SlotOffset(t, recordNumber - 1), &mark, 1) != 1) {
      DbSetError(kDbWriteFailed, t.name);
      DbUnlockHeader(t);
      return 0;
    }
  }
  if (t.data.WriteAt(SlotOffset(t, recordNumber), record, size_t(t.recordSize)) !=
      long(t.recordSize)) {
    // A full disk (or a failing one) may have taken part of the slot: the
    // file is cut back to its last whole record, still under the append
    // lock, so no torn record is left behind for a later append to turn
    // into a whole one. Nobody else appends while the lock is held, so the
    // bytes cut off are only those of writes that died.
    const int reason = errno;
    t.data.Truncate(end > t.headerSize ? SlotOffset(t, int32_t(body / t.recordSize)) : end);
    errno = reason;
    DbSetError(kDbWriteFailed, t.name);
    DbUnlockHeader(t);
    return 0;
  }
  t.data.Flush();
  DbUnlockHeader(t);
  if (recordNumberOut) *recordNumberOut = recordNumber;

  uint8_t entry[kEntryBufferSize];
  for (size_t i = 0; i < t.indexes.size(); ++i) {
    DbMakeEntry(t, int(i), record, recordNumber, entry);
    if (IdxInsert(t.indexes[i], entry)) continue;
    // The append is answered as failed, so the record must not stay: not
    // reachable through the indexes that took it before the failure (they
    // would point at a deleted slot), and marked deleted so that a rebuild
    // of the indexes does not bring back a record its writer was told was
    // never stored.
    int code = IdxGetError();
    for (size_t j = 0; j < i; ++j) {
      uint8_t taken[kEntryBufferSize];
      DbMakeEntry(t, int(j), record, recordNumber, taken);
      IdxDelete(t.indexes[j], taken);
    }
    MarkDeleted(t, record, recordNumber);
    IdxSetError(code);
    return ReportIndex(t, int(i));
  }
  return 1;
}

int DbDeleteRecord(Table& t, const uint8_t* record, int32_t recordNumber) {
  DbClearError();
  if (!Usable(t) || !Writable(t)) return 0;
  if (!DbLockRecord(t, recordNumber)) {
    DbSetLockedError();
    return 0;
  }
  uint8_t entry[kEntryBufferSize];
  for (size_t i = 0; i < t.indexes.size(); ++i) {
    DbMakeEntry(t, int(i), record, recordNumber, entry);
    if (!IdxDelete(t.indexes[i], entry)) {
      ReportIndex(t, int(i));
      DbUnlockRecord(t, recordNumber);
      return 0;
    }
  }
  int ok = MarkDeleted(t, record, recordNumber);
  DbUnlockRecord(t, recordNumber);
  return ok;
}

int DbRekeyRecord(Table& t, const uint8_t* oldEntry, const uint8_t* newRecord) {
  if (!HasCurrentIndex(t) || !Writable(t)) return 0;
  Index& index = t.Current();
  uint8_t old[kEntryBufferSize] = {};
  std::memcpy(old, oldEntry, index.entryLength);
  int32_t recordNumber = GetI32(old);
  // The end sentinel (record number -1) stands for no record at all.
  if (!DP_CHECK(recordNumber >= 0)) return 0;
  uint8_t fresh[kEntryBufferSize];
  DbMakeEntry(t, t.currentIndex, newRecord, recordNumber, fresh);
  if (!IdxDelete(index, old)) return ReportIndex(t, t.currentIndex);
  if (IdxInsert(index, fresh)) return DbWriteRecord(t, recordNumber, newRecord);
  int code = IdxGetError();
  ReportIndex(t, t.currentIndex);
  IdxInsert(index, old);
  IdxSetError(code);
  return 0;
}

int DbReadHeader(Table& t, uint8_t* buffer) {
  if (!Usable(t)) return 0;
  // Read without the append lock, the header waits for whoever holds it.
  if (ReadAtWaiting(t.data, 0, buffer, size_t(t.headerSize)) != long(t.headerSize)) {
    DbSetError(kDbReadFailed, t.name);
    return 0;
  }
  return 1;
}

int DbWriteHeader(Table& t, const uint8_t* buffer) {
  if (!Usable(t) || !Writable(t)) return 0;
  if (t.data.WriteAt(0, buffer, size_t(t.headerSize)) != long(t.headerSize)) {
    DbSetError(kDbWriteFailed, t.name);
    return 0;
  }
  t.data.Flush();
  return 1;
}

int DbLockHeader(Table& t) {
  if (!Usable(t) || !Writable(t)) return 0;
  if (LockWithRetry(t.data, 0, DbLockRetry())) return 1;
  DbSetError(kDbLockTimedOut, t.name);
  return 0;
}

int DbUnlockHeader(Table& t) {
  if (!Usable(t)) return 0;
  return t.data.Unlock(0) ? 1 : 0;
}

int DbLockRecord(Table& t, int32_t recordNumber) {
  if (!Usable(t) || !Writable(t)) return 0;
  if (t.lockDepth > 0) {
    // One record per handle: nesting on another record would pretend to
    // hold a lock that nobody took.
    if (!DP_CHECK(recordNumber == t.lockedRecord)) return 0;
    ++t.lockDepth;
    return 1;
  }
  if (recordNumber < 0) return 0;
  int64_t lockByte = SlotOffset(t, recordNumber) + t.recordSize - 1;
  if (t.data.TryLock(lockByte) != LockResult::kGranted) return 0;
  t.lockDepth = 1;
  t.lockedRecord = recordNumber;
  return 1;
}

int DbUnlockRecord(Table& t, int32_t recordNumber) {
  if (!Usable(t)) return 0;
  (void)recordNumber;  // the handle knows which record it holds
  if (t.lockDepth <= 0) return 0;
  if (--t.lockDepth >= 1) return 1;
  t.lockDepth = 0;
  int64_t lockByte = SlotOffset(t, t.lockedRecord) + t.recordSize - 1;
  t.lockedRecord = -1;
  return t.data.Unlock(lockByte) ? 1 : 0;
}

int DbFind(Table& t, const uint8_t* keyEntry, int* exact) {
  if (!HasCurrentIndex(t)) return 0;
  Index& index = t.Current();
  uint8_t probe[kEntryBufferSize] = {};
  std::memcpy(probe, keyEntry, index.entryLength);
  int found = 0;
  if (!IdxSearch(index, probe, &found)) return ReportIndex(t, t.currentIndex);
  if (exact) *exact = found;
  return 1;
}

int DbFirst(Table& t) {
  if (!HasCurrentIndex(t)) return 0;
  if (!SearchEdge(t, AlwaysBelow)) return ReportIndex(t, t.currentIndex);
  return 1;
}

int DbLast(Table& t) {
  if (!HasCurrentIndex(t)) return 0;
  if (!SearchEdge(t, AlwaysAbove) || !IdxPrev(t.Current())) return ReportIndex(t, t.currentIndex);
  return 1;
}

int DbNext(Table& t) {
  if (!HasCurrentIndex(t)) return 0;
  if (!IdxNext(t.Current())) return ReportIndex(t, t.currentIndex);
  return 1;
}

int DbPrev(Table& t) {
  if (!HasCurrentIndex(t)) return 0;
  if (!IdxPrev(t.Current())) return ReportIndex(t, t.currentIndex);
  return 1;
}

int DbSkip(Table& t, int32_t count, int32_t* moved, const EntryFilter& filter) {
  if (moved) *moved = 0;
  if (!HasCurrentIndex(t)) return 0;
  Index& index = t.Current();
  int32_t counted = 0;
  if (count >= 1) {
    while (counted < count) {
      if (!DbNext(t)) return 0;
      if (index.positionState == kPosEnd) break;
      if (filter) {
        int answer = filter(index.currentEntry);
        if (answer < 0) break;
        if (answer == 0) continue;
      }
      ++counted;
    }
    // Come back to the nearest entry the filter shows (the sentinel is never
    // shown: it is no entry of the table).
    while (filter && index.positionState != kPosBeforeFirst) {
      if (index.positionState != kPosEnd) {
        int answer = filter(index.currentEntry);
        if (answer != 0) break;
      }
      if (!DbPrev(t)) return 0;
      // Stepping back from the end of an empty index stays at the end.
      if (index.positionState == kPosEnd) break;
    }
  } else {
    while (counted < -count) {
      if (!DbPrev(t)) return 0;
      // An empty index answers a step back with the end, not the beginning.
      if (index.positionState == kPosBeforeFirst || index.positionState == kPosEnd) break;
      if (filter) {
        int answer = filter(index.currentEntry);
        if (answer < 0) break;
        if (answer == 0) continue;
      }
      ++counted;
    }
    while (filter && index.positionState != kPosEnd) {
      int answer = filter(index.currentEntry);
      if (answer != 0) break;
      if (!DbNext(t)) return 0;
    }
  }
  if (moved) *moved = counted;
  return 1;
}

int DbCurrentEntry(Table& t, uint8_t* buffer) {
  if (!HasCurrentIndex(t)) return 0;
  std::memcpy(buffer, t.Current().currentEntry, t.Current().entryLength);
  return 1;
}

int GetUniqueNumber(Table& t, uint32_t* number) {
  if (!Usable(t) || !DP_CHECK(t.headerSize >= 4)) return 0;
  std::vector<uint8_t> header(size_t(t.headerSize));
  if (!DbLockHeader(t)) return 0;
  if (!DbReadHeader(t, header.data())) {
    DbUnlockHeader(t);
    return 0;
  }
  uint32_t next = GetU32(header.data()) + 1;
  PutU32(header.data(), next);
  int ok = DbWriteHeader(t, header.data());
  DbUnlockHeader(t);
  if (ok && number) *number = next;
  return ok;
}

void DbMakeEntry(const Table& t, int indexNumber, const uint8_t* record, int32_t recordNumber,
                 uint8_t* entry) {
  std::memset(entry, 0, kEntryBufferSize);
  const Index& index = t.indexes[size_t(indexNumber)];
  index.build(record, entry, recordNumber);
  PutI32(entry, recordNumber);
}

int DbSetCurrentIndex(Table& t, int indexNumber) {
  if (!DP_CHECK(indexNumber >= 0 && size_t(indexNumber) < t.indexes.size())) return 0;
  t.currentIndex = indexNumber;
  return 1;
}

int32_t DbCurrentRecord(Table& t) {
  return HasCurrentIndex(t) ? t.Current().currentRecord : -1;
}

int32_t DbPositionState(Table& t) {
  return HasCurrentIndex(t) ? t.Current().positionState : kPosEnd;
}
