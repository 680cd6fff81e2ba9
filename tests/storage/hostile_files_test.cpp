// Hostile files: the inputs the fuzz targets were started from and every
// input with which they once found a fault, replayed through the targets'
// own harness code (fuzz/harness.h). Each must now pass: the engine fails
// with its error codes instead of crashing, hanging or misreporting.
// New findings go to fuzz/regressions/<target>/ under a name that says what
// went wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/harness.h"
#include "storage/catalogue.h"
#include "storage/database.h"
#include "storage/file.h"
#include "storage/index.h"
#include "storage/index_page.h"
#include "tests/support/temp_dir.h"
#include "tools/index_walk.h"

namespace {

namespace fs = std::filesystem;
using Harness = std::string (*)(const uint8_t*, size_t);

std::vector<fs::path> SavedInputs(const std::string& target) {
  std::vector<fs::path> files;
  for (const char* kind : {"corpus", "regressions"}) {
    const fs::path dir = fs::path(DESKPOST_FUZZ_DIR) / kind / target;
    if (!fs::is_directory(dir)) continue;
    for (const auto& entry : fs::directory_iterator(dir))
      if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Each fuzz target's saved inputs, through its harness.
TEST(HostileFiles, SavedInputsAreHandledCleanly) {
  const std::pair<const char*, Harness> targets[] = {{"index", RunIndexInput},
                                                     {"records", RunRecordsInput},
                                                     {"vcard", RunVCardInput},
                                                     {"check", RunCheckInput},
                                                     {"ics", RunIcsInput}};
  for (const auto& [target, run] : targets) {
    const std::vector<fs::path> files = SavedInputs(target);
    EXPECT_FALSE(files.empty()) << "no saved inputs for " << target;
    for (const fs::path& file : files) {
      const std::string bytes = ReadWholeFile(file);
      EXPECT_EQ(run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "")
          << target << ": " << file.filename();
    }
  }
}

// An empty table. A handle that has not moved since it was opened is
// nowhere: stepping forward left it so instead of reporting the end, and a
// skip whose filter hid that nothing went on for ever. The list windows
// scroll with a filter; the step back to the nearest shown entry never
// reached the beginning, and a skip backwards counted the end as entries
// moved over.
TEST(HostileFiles, SkippingOverAnEmptyTableEndsAtOnce) {
  TempDir dir;
  FastTicks ticks;
  Table t(kNameTable);
  ASSERT_TRUE(DbCreateTable(t, dir.Path(), kNameTable.version));
  ASSERT_TRUE(DbOpenTable(t, dir.Path()));
  int32_t moved = -1;
  ASSERT_TRUE(DbSkip(t, 2, &moved, [](const uint8_t*) { return 0; }));
  EXPECT_EQ(moved, 0);
  EXPECT_EQ(DbPositionState(t), kPosEnd);
  DbCloseTable(t);
  ASSERT_TRUE(DbOpenTable(t, dir.Path()));
  ASSERT_TRUE(DbNext(t));
  EXPECT_EQ(DbPositionState(t), kPosEnd);
  EXPECT_EQ(DbCurrentRecord(t), -1);
  const EntryFilter showAll = [](const uint8_t*) { return 1; };
  for (int32_t count : {3, -3}) {
    for (const EntryFilter& filter : {EntryFilter(), showAll}) {
      ASSERT_TRUE(DbFirst(t));
      moved = -1;
      ASSERT_TRUE(DbSkip(t, count, &moved, filter)) << count;
      EXPECT_EQ(moved, 0) << count;
      EXPECT_EQ(DbPositionState(t), kPosEnd) << count;
    }
  }
  DbCloseTable(t);
}

// A record file longer than record numbers can count (here a sparse one of
// 21 GB of 10-byte slots): the count stops at the greatest record number
// instead of wrapping round, an append is refused, and the last record's
// lock byte is where it belongs.
TEST(HostileFiles, ARecordFileLongerThanRecordNumbersCanCount) {
  TempDir dir;
  FastTicks ticks;
  Table t(kLcTable);
  ASSERT_TRUE(DbCreateTable(t, dir.Path(), kLcTable.version));
  const int64_t slots = int64_t(INT32_MAX) + 3;
  {
    File data;
    ASSERT_TRUE(data.Open(DbDataPath(dir.Path(), "LC"), OpenMode::kShared));
    ASSERT_TRUE(data.Truncate(slots * kLcTable.recordSize));
  }
  ASSERT_TRUE(DbOpenTable(t, dir.Path()));
  int32_t count = 0;
  ASSERT_TRUE(DbRecordCount(t, &count));
  EXPECT_EQ(count, INT32_MAX);

  std::vector<uint8_t> record(size_t(kLcTable.recordSize), 0);
  EXPECT_FALSE(DbAppendRecord(t, record.data()));
  EXPECT_EQ(DbGetError(), kDbWriteFailed);

  ASSERT_TRUE(DbLockRecord(t, INT32_MAX));
  File other;
  ASSERT_TRUE(other.Open(DbDataPath(dir.Path(), "LC"), OpenMode::kShared));
  EXPECT_TRUE(other.IsLockedElsewhere((int64_t(INT32_MAX) + 1) * kLcTable.recordSize - 1));
  ASSERT_TRUE(DbUnlockRecord(t, INT32_MAX));
  EXPECT_FALSE(other.IsLockedElsewhere(0, 0));
  DbCloseTable(t);
}

// dpadmin's walker on an index file made huge and sparse (2 TB of pages
// that nothing names) lists the first unused pages and counts the rest,
// instead of keeping a byte per page and a line per page.
TEST(HostileFiles, CheckingAHugeSparseIndexTakesNoLongerThanASmallOne) {
  TempDir dir;
  const std::string path = dir.File("NAME.X1");
  Index index(kNameTable.indexes[0]);
  ASSERT_TRUE(IdxCreate(index, path));
  File file;
  ASSERT_TRUE(file.Open(path, OpenMode::kShared));
  const int64_t pages = int64_t(1) << 30;
  ASSERT_TRUE(file.Truncate(pages * kPageSize));

  IndexWalk walk;
  WalkIndex(file, kNameTable.indexes[0], &walk);
  EXPECT_TRUE(walk.readable);
  EXPECT_EQ(walk.pageCount, uint32_t(pages));
  ASSERT_FALSE(walk.problems.empty());
  EXPECT_EQ(walk.problems.front(), "page 1 is neither in the tree nor on the free list");
  EXPECT_EQ(walk.problems.back(), std::to_string(pages - 1 - 200) + " more problems not shown");
}

}  // namespace
