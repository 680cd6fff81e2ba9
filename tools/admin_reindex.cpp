// dpadmin reindex: rebuilds a table's index files from its record file, the
// cure for "Index is corrupt, please reindex".
//
// Each index is built by the engine in a file of its own beside the old one
// (NAME.X1.new) and then copied into the old file in place. Other
// workstations may hold the old file open; a rename would leave their
// handles writing to a file nobody reads any more. The copy runs under the
// table's append lock and the index's own lock, like any change to the
// index:
//   1. page 0's change counter is set to 0xFFFFFFFF, so a copy cut short
//      leaves a file that refuses to open, as any interrupted update does;
//   2. pages 1 to n are copied and the file is cut to the new length;
//   3. page 0 is written last, without its lock byte, with a counter above
//      the old one, so that walkers elsewhere notice the change and find
//      their place again.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include "storage/catalogue.h"
#include "storage/index.h"
#include "storage/index_page.h"
#include "tools/admin.h"
#include "tools/index_walk.h"
#include "tools/record_format.h"
#include "tools/record_scan.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Result {
  bool failed = false;
  int leftOut = 0;
};

// The counter the rebuilt file starts with: one above the old. An update
// cut short has put its marker over the old counter, so how far it had come
// is lost; a fixed new start (1) would repeat a counter that workstations
// keeping the table open may have seen already, next to a root page that
// may read the same, and they would go on trusting index pages they read
// before the rebuild (a search misses entries, an insert writes back a page
// without them). A random start is a counter none of them is likely to have
// seen.
uint32_t NextCounter(uint32_t old) {
  if (old == kCounterUpdating) {
    std::random_device random;
    uint32_t start;
    do {
      start = uint32_t(random());
    } while (start == kCounterUpdating);
    return start;
  }
  uint32_t next = old + 1;
  return next == kCounterUpdating ? 0 : next;
}

bool CopyInPlace(File& old, File& fresh, const std::string& name) {
  uint8_t page[kPageSize];
  uint32_t oldCounter = kCounterUpdating;
  if (old.ReadAt(0, page, kPageSize - 1) == kPageSize - 1) oldCounter = PagePrev(page);

  uint8_t marker[4];
  PutU32(marker, kCounterUpdating);
  if (old.WriteAt(kPagePrevOffset, marker, sizeof marker) != long(sizeof marker) || !old.Flush()) {
    Complain(name + ": cannot write: " + std::strerror(errno));
    return false;
  }
  const int64_t size = fresh.Size();
  if (size < kPageSize || size % kPageSize != 0) {
    Complain(name + ".new: rebuilt file has an odd length " + std::to_string(size));
    return false;
  }
  for (int64_t p = 1; p < size / kPageSize; ++p) {
    if (fresh.ReadAt(p * kPageSize, page, kPageSize) != kPageSize ||
        old.WriteAt(p * kPageSize, page, kPageSize) != kPageSize) {
      Complain(name + ": cannot copy page " + std::to_string(p) + ": " + std::strerror(errno));
      return false;
    }
  }
  if (!old.Truncate(size)) {
    Complain(name + ": cannot set its length: " + std::strerror(errno));
    return false;
  }
  // Page 0 without byte 2047: that byte is the index lock, held right now.
  if (fresh.ReadAt(0, page, kPageSize - 1) != kPageSize - 1) {
    Complain(name + ".new: cannot read page 0");
    return false;
  }
  PutU32(page + kPagePrevOffset, NextCounter(oldCounter));
  if (old.WriteAt(0, page, kPageSize - 1) != kPageSize - 1 || !old.Flush()) {
    Complain(name + ": cannot write page 0: " + std::strerror(errno));
    return false;
  }
  return true;
}

// Builds index x of the table from the entries of its live records into
// tempPath. Entries whose key another record already holds are reported and
// left out.
bool BuildIndex(const TableDef& def, int x, const std::vector<Bytes>& entries,
                const std::string& tempPath, Result& result) {
  const std::string name = IndexFileName(def, x + 1);
  Index index(def.indexes[x]);
  if (!IdxCreate(index, tempPath) || !IdxOpen(index, tempPath)) {
    Complain(tempPath + ": cannot create (index code " + std::to_string(IdxGetError()) + ")");
    IdxClose(index);
    return false;
  }
  for (const Bytes& e : entries) {
    uint8_t entry[kEntryBufferSize] = {};
    std::memcpy(entry, e.data(), e.size());
    if (IdxInsert(index, entry)) continue;
    if (IdxGetError() != kIdxDuplicate) {
      Complain(tempPath + ": the engine refused record " + std::to_string(GetI32(entry)) +
               " (index code " + std::to_string(IdxGetError()) + ")");
      IdxClose(index);
      return false;
    }
    uint8_t probe[kEntryBufferSize] = {};
    std::memcpy(probe, e.data(), e.size());
    int exact = 0;
    std::string holder = "another record";
    if (IdxSearch(index, probe, &exact) && exact)
      holder = "record " + std::to_string(index.currentRecord);
    std::printf("%s: record %d left out: its key %s is already taken by %s\n", name.c_str(),
                GetI32(entry), ("(" + DescribeEntry(def, x, entry) + ")").c_str(), holder.c_str());
    ++result.leftOut;
  }
  IdxClose(index);
  return true;
}

void ReindexTable(const std::string& dir, const TableDef& def, Result& result) {
  const std::string dataName = DataFileName(def);
  File data;
  if (!data.Open(DbDataPath(dir, def.name), OpenMode::kShared)) {
    Complain(DbDataPath(dir, def.name) + ": cannot open: " + std::strerror(errno));
    result.failed = true;
    return;
  }
  // Lock order as in the engine: the append lock, then each index in turn.
  if (!LockByte(data, 0)) {
    Complain(dataName + ": another workstation holds the append lock; try again later");
    result.failed = true;
    return;
  }
  std::vector<File> olds(size_t(def.indexCount));
  for (int x = 0; x < def.indexCount; ++x) {
    const std::string path = DbIndexPath(dir, def.name, x + 1);
    if (!FileExists(path)) continue;
    if (!olds[size_t(x)].Open(path, OpenMode::kShared)) {
      Complain(path + ": cannot open: " + std::strerror(errno));
      result.failed = true;
      return;
    }
    if (!LockByte(olds[size_t(x)], kIndexLockByte)) {
      Complain(IndexFileName(def, x + 1) +
               ": another workstation holds the index lock; try again later");
      result.failed = true;
      return;
    }
  }

  // Bytes after the last whole record are what is left of a write that died
  // (a full disk, a crash): no index names them, and an append passes over
  // them. Under the append lock nobody is appending, so they are cut off
  // here, where check tells the administrator to come.
  const int64_t length = data.Size();
  if (length > def.headerSize && (length - def.headerSize) % def.recordSize != 0) {
    const int64_t rest = (length - def.headerSize) % def.recordSize;
    if (!data.Truncate(length - rest)) {
      Complain(dataName + ": cannot cut off the " + std::to_string(rest) +
               " bytes left over: " + std::strerror(errno));
      result.failed = true;
      return;
    }
    std::printf("%s: cut off %lld bytes left over from a write cut short\n", dataName.c_str(),
                static_cast<long long>(rest));
  }

  std::vector<std::vector<Bytes>> entries(size_t(def.indexCount));
  int32_t live = 0;
  RecordScan scan;
  bool read = ScanRecords(
      data, def,
      [&](int32_t n, const uint8_t* record, bool deleted) {
        if (deleted) return;
        ++live;
        for (int x = 0; x < def.indexCount; ++x)
          entries[size_t(x)].push_back(BuildEntry(def, x, record, n));
      },
      &scan);
  for (const std::string& p : scan.problems) Complain(dataName + ": " + p);
  if (!read || scan.versionWrong) {
    Complain(dataName + ": not reindexed");
    result.failed = true;
    return;
  }

  for (int x = 0; x < def.indexCount; ++x) {
    const std::string name = IndexFileName(def, x + 1);
    const std::string path = DbIndexPath(dir, def.name, x + 1);
    const std::string tempPath = path + ".new";
    int leftBefore = result.leftOut;
    bool ok = BuildIndex(def, x, entries[size_t(x)], tempPath, result);
    File fresh;
    if (ok && !fresh.Open(tempPath, OpenMode::kReadOnly)) {
      Complain(tempPath + ": cannot open: " + std::strerror(errno));
      ok = false;
    }
    // The engine's work is checked like any index before it replaces one.
    if (ok) {
      IndexWalk walk;
      WalkIndex(fresh, def.indexes[x], &walk);
      size_t want = entries[size_t(x)].size() - size_t(result.leftOut - leftBefore);
      if (!walk.problems.empty() || walk.entries.size() != want) {
        Complain(tempPath + ": the rebuilt index does not check clean" +
                 (walk.problems.empty() ? "" : ": " + walk.problems.front()));
        ok = false;
      }
    }
    if (ok) {
      if (olds[size_t(x)].IsOpen()) {
        ok = CopyInPlace(olds[size_t(x)], fresh, name);
      } else {
        // Nobody can have a missing file open: the new one takes its name.
        fresh.Close();
        std::error_code ec;
        std::filesystem::rename(tempPath, path, ec);
        if (ec) {
          Complain(tempPath + ": cannot rename: " + ec.message());
          ok = false;
        }
      }
    }
    fresh.Close();
    std::error_code ignored;
    std::filesystem::remove(tempPath, ignored);
    if (!ok) {
      Complain(name + ": not reindexed");
      result.failed = true;
      continue;
    }
    std::printf("%s: rebuilt with %zu entries from %d records\n", name.c_str(),
                entries[size_t(x)].size() - size_t(result.leftOut - leftBefore), live);
  }
  // Closing the files releases the locks.
}

}  // namespace

int RunReindex(const std::vector<std::string>& args) {
  if (args.size() != 2) {
    Complain("reindex needs a directory and a table: dpadmin reindex DIR TABLE|--all");
    return kExitError;
  }
  const std::string dir = WithSlash(args[0]);
  if (!RequireDataDirectory(dir)) return kExitError;
  std::vector<const TableDef*> tables;
  if (args[1] == "--all") {
    for (int i = 0; i < kCatalogueSize; ++i) tables.push_back(CatalogueTables()[i]);
  } else {
    const TableDef* def = RequireTable(args[1]);
    if (!def) return kExitError;
    tables.push_back(def);
  }
  Result result;
  for (const TableDef* def : tables) ReindexTable(dir, *def, result);
  if (result.failed) return kExitError;
  if (result.leftOut > 0) {
    std::printf("%d record%s left out of the indexes: their keys collide\n", result.leftOut,
                result.leftOut == 1 ? "" : "s");
    return kExitProblems;
  }
  return kExitOk;
}
