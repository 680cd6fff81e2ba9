// The external merge sort of a work table.
//
// The rows are sorted in chunks of at most 64,000 bytes, each chunk written
// as one sorted run to the S file; more than one run is merged into the M
// file with at most 100,000 bytes of run input in memory. The result then
// takes the work table's name.
//
// Sort file "<dir>S<user>.DAT": run i at i * chunk bytes, chunk = chunk rows
// x row size (the last run shorter). Merge file "<dir>M<user>.DAT": the
// sorted rows.
//
// The work table's own file is only replaced by the finished result (one
// rename), so a sort that fails at any earlier point leaves every row where
// it was.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "storage/check.h"
#include "storage/worktable.h"

namespace {

std::string SortFilePath(const std::string& directory, char kind, long userNumber) {
  return directory + kind + std::to_string(userNumber) + ".DAT";
}

// Memory for the sort; nullptr when the system has none to give.
std::unique_ptr<uint8_t[]> Allocate(size_t bytes) {
  return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[bytes > 0 ? bytes : 1]);
}

// The temporary files of one sort; whatever is still here when the sort
// ends is closed and deleted, so no S or M file outlives a sort.
struct SortFiles {
  std::string sortPath;
  std::string mergePath;
  File sort;
  File merge;

  ~SortFiles() {
    sort.Close();
    merge.Close();
    std::remove(sortPath.c_str());
    std::remove(mergePath.c_str());
  }
};

// Orders rows[0..count) by compare, keeping equal rows in their order. A
// bottom-up merge over row numbers: it stays inside its arrays whatever the
// comparison answers.
void SortRows(uint8_t* rows, int32_t count, int32_t rowSize, const RowCompare& compare,
              uint8_t* scratch) {
  std::vector<int32_t> order(static_cast<size_t>(count));
  std::vector<int32_t> other(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) order[size_t(i)] = i;
  auto row = [&](int32_t i) { return rows + size_t(i) * size_t(rowSize); };
  for (int32_t width = 1; width < count; width *= 2) {
    for (int32_t lo = 0; lo < count; lo += 2 * width) {
      int32_t mid = std::min(lo + width, count);
      int32_t hi = std::min(lo + 2 * width, count);
      int32_t a = lo, b = mid, out = lo;
      while (a < mid && b < hi) {
        // The right side wins only when strictly smaller: ties keep order.
        if (compare(row(order[size_t(b)]), row(order[size_t(a)])) < 0) {
          other[size_t(out++)] = order[size_t(b++)];
        } else {
          other[size_t(out++)] = order[size_t(a++)];
        }
      }
      while (a < mid) other[size_t(out++)] = order[size_t(a++)];
      while (b < hi) other[size_t(out++)] = order[size_t(b++)];
    }
    order.swap(other);
  }
  for (int32_t i = 0; i < count; ++i) {
    std::memcpy(scratch + size_t(i) * size_t(rowSize), row(order[size_t(i)]), size_t(rowSize));
  }
  std::memcpy(rows, scratch, size_t(count) * size_t(rowSize));
}

// One run of the S file being merged: its byte range and a buffer of its
// next rows.
struct Run {
  int64_t next = 0;  // file offset of the first row not yet in the buffer
  int64_t end = 0;   // end of this run in the file
  std::unique_ptr<uint8_t[]> buffer;
  int32_t held = 0;  // rows in the buffer
  int32_t at = 0;    // current row in the buffer
  bool HasRow() const { return at < held; }
};

// Reads the run's next rows into its buffer; a read failure is reported
// under the name "Sort".
bool FillRun(File& file, Run& run, int32_t bufferRows, int32_t rowSize) {
  run.held = 0;
  run.at = 0;
  int64_t want = std::min<int64_t>(int64_t(bufferRows) * rowSize, run.end - run.next);
  if (want <= 0) return true;
  long got = file.ReadAt(run.next, run.buffer.get(), size_t(want));
  if (got != want) {
    DbSetError(kDbReadFailed, "Sort");
    return false;
  }
  run.next += want;
  run.held = int32_t(want / rowSize);
  return true;
}

// Merges the runs of the S file into the M file.
bool MergeRuns(SortFiles& files, int32_t runs, int32_t chunkRows, int32_t rowSize,
               int64_t totalBytes, const RowCompare& compare) {
  const int64_t chunkBytes = int64_t(chunkRows) * rowSize;
  const int32_t bufferRows = std::min(chunkRows, std::max(1, (kMergeInputBytes / runs) / rowSize));
  std::vector<Run> run(static_cast<size_t>(runs));
  auto output = Allocate(size_t(chunkBytes));
  if (!output) {
    SetAppError(kAppNoMemory, "");
    return false;
  }
  for (int32_t i = 0; i < runs; ++i) {
    Run& r = run[size_t(i)];
    r.next = int64_t(i) * chunkBytes;
    r.end = std::min(r.next + chunkBytes, totalBytes);
    r.buffer = Allocate(size_t(bufferRows) * size_t(rowSize));
    if (!r.buffer) {
      SetAppError(kAppNoMemory, "");
      return false;
    }
    if (!FillRun(files.sort, r, bufferRows, rowSize)) return false;
  }
  if (!files.merge.Open(files.mergePath, OpenMode::kCreate)) {
    DbSetError(kDbOpenFailed, files.mergePath);
    return false;
  }
  int64_t written = 0;
  int32_t outRows = 0;
  auto writeOutput = [&]() {
    int64_t bytes = int64_t(outRows) * rowSize;
    if (files.merge.WriteAt(written, output.get(), size_t(bytes)) != bytes) {
      DbSetError(kDbWriteFailed, files.mergePath);
      return false;
    }
    written += bytes;
    outRows = 0;
    return true;
  };
  for (;;) {
    // The smallest current row; on a tie the lower-numbered run wins.
    int32_t best = -1;
    const uint8_t* bestRow = nullptr;
    for (int32_t i = 0; i < runs; ++i) {
      Run& r = run[size_t(i)];
      if (!r.HasRow()) continue;
      const uint8_t* candidate = r.buffer.get() + size_t(r.at) * size_t(rowSize);
      if (best < 0 || compare(candidate, bestRow) < 0) {
        best = i;
        bestRow = candidate;
      }
    }
    if (best < 0) break;
    std::memcpy(output.get() + size_t(outRows) * size_t(rowSize), bestRow, size_t(rowSize));
    ++outRows;
    Run& r = run[size_t(best)];
    if (++r.at == r.held && !FillRun(files.sort, r, bufferRows, rowSize)) return false;
    if (outRows == chunkRows && !writeOutput()) return false;
  }
  if (outRows > 0 && !writeOutput()) return false;
  if (written != totalBytes) {
    // Every row must come out of the merge exactly once.
    SetAppError(kAppSortError, files.mergePath);
    return false;
  }
  return true;
}

}  // namespace

int DbSortWorkTable(Table& work, long userNumber, const RowCompare& compare) {
  if (!DP_CHECK(work.IsOpen() && work.headerSize == 0 && work.recordSize > 0 && compare)) {
    return 0;
  }
  const int32_t rowSize = work.recordSize;
  const int64_t size = work.data.Size();
  if (size < 0) {
    DbSetError(kDbReadFailed, work.name);
    return 0;
  }
  // A trailing part row would be dropped without a word by a one-chunk sort
  // and lost with the rename, so it is refused before anything is written.
  if (size % rowSize != 0) {
    SetAppError(kAppPartialRow, work.name);
    return 0;
  }
  const int64_t count = size / rowSize;
  if (count > kMaxWorkRows) {
    SetAppError(kAppMaxRecords, "");
    return 0;
  }
  // A run holds at most 64,000 bytes (and at least one row).
  int32_t chunkRows = int32_t(count);
  if (count * rowSize > kReadCacheSize) chunkRows = std::max(1, kReadCacheSize / rowSize);
  const int32_t runsNeeded = chunkRows > 0 ? int32_t((count + chunkRows - 1) / chunkRows) : 0;
  // Refused before anything is written, like too many rows.
  if (runsNeeded > kMaxSortRuns) {
    SetAppError(kAppMaxRecords, "");
    return 0;
  }
  const int64_t chunkBytes = int64_t(chunkRows) * rowSize;
  auto chunk = Allocate(size_t(chunkBytes));
  auto scratch = Allocate(size_t(chunkBytes));
  if (!chunk || !scratch) {
    SetAppError(kAppNoMemory, "");
    return 0;
  }

  // From here on a failure leaves the work table closed, its file untouched.
  auto fail = [&work]() {
    DbCloseWorkTable(work);
    return 0;
  };
  SortFiles files;
  files.sortPath = SortFilePath(work.directory, 'S', userNumber);
  files.mergePath = SortFilePath(work.directory, 'M', userNumber);
  if (!files.sort.Open(files.sortPath, OpenMode::kCreate)) {
    DbSetError(kDbOpenFailed, files.sortPath);
    return fail();
  }
  int64_t offset = 0;
  int32_t runs = 0;
  while (chunkBytes > 0) {
    long got = work.data.ReadAt(offset, chunk.get(), size_t(chunkBytes));
    if (got < 0) {
      DbSetError(kDbReadFailed, work.name);
      return fail();
    }
    if (got == 0) break;
    if (got % rowSize != 0) {
      SetAppError(kAppPartialRow, work.name);
      return fail();
    }
    SortRows(chunk.get(), int32_t(got / rowSize), rowSize, compare, scratch.get());
    if (files.sort.WriteAt(offset, chunk.get(), size_t(got)) != got) {
      DbSetError(kDbWriteFailed, files.sortPath);
      return fail();
    }
    offset += got;
    ++runs;
    if (got < chunkBytes) break;
  }
  // The file changed size under the sort: better refuse than lose rows.
  if (offset != size) {
    SetAppError(kAppSortError, work.name);
    return fail();
  }
  chunk.reset();
  scratch.reset();

  File* result = &files.sort;
  std::string* resultPath = &files.sortPath;
  if (runs > 1) {
    if (!MergeRuns(files, runs, chunkRows, rowSize, size, compare)) return fail();
    files.sort.Close();
    std::remove(files.sortPath.c_str());
    result = &files.merge;
    resultPath = &files.mergePath;
  }
  if (!result->Flush()) {
    DbSetError(kDbWriteFailed, *resultPath);
    return fail();
  }
  result->Close();

  // The rename replaces the work file in one step, so until it succeeds the
  // unsorted rows are still there under the work table's name.
  DbCloseWorkTable(work);
  const std::string workPath = DbDataPath(work.directory, work.name);
  if (std::rename(resultPath->c_str(), workPath.c_str()) != 0) {
    SetAppError(kAppRenameFailed, workPath);
    return 0;
  }
  if (!work.data.Open(workPath, OpenMode::kShared)) {
    DbSetError(kDbOpenFailed, workPath);
    return 0;
  }
  return 1;
}
