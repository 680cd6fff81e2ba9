// Work tables: rows read through the process-wide read cache, rows written
// in place, and queries that fill a work table from an indexed table.
#include "storage/worktable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "storage/errors.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int32_t kRow = 99;  // a message list row
// Rows in one cache window of 99-byte rows.
constexpr int32_t kWindowRows = kReadCacheSize / kRow;

// A row that tells which row it is and which version of it was written.
std::vector<uint8_t> MakeRow(int32_t row, uint8_t version) {
  std::vector<uint8_t> bytes(kRow, version);
  PutI32(bytes.data(), row);
  return bytes;
}

// Writes rows [0, count) as version 1, straight into the file.
void FillWorkFile(const std::string& path, int32_t count) {
  File file;
  ASSERT_TRUE(file.Open(path, OpenMode::kCreate));
  std::vector<uint8_t> all;
  for (int32_t i = 0; i < count; ++i) {
    std::vector<uint8_t> row = MakeRow(i, 1);
    all.insert(all.end(), row.begin(), row.end());
  }
  ASSERT_EQ(file.WriteAt(0, all.data(), all.size()), long(all.size()));
}

// Changes a row behind the engine's back, as if the cache were not there.
void RewriteBehindCache(const std::string& path, int32_t row, uint8_t version) {
  File file;
  ASSERT_TRUE(file.Open(path, OpenMode::kShared));
  std::vector<uint8_t> bytes = MakeRow(row, version);
  ASSERT_EQ(file.WriteAt(int64_t(row) * kRow, bytes.data(), bytes.size()), long(kRow));
}

// The version byte of a row read through the cache, or -1 when the read fails.
int CachedVersion(Table& work, int32_t row) {
  std::vector<uint8_t> buffer(kRow, 0);
  if (!DbReadCached(work, row, buffer.data())) return -1;
  EXPECT_EQ(GetI32(buffer.data()), row);
  return buffer[kRow - 1];
}

class WorkTableCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(DbOpenWorkTable(work, dir.Path()), 1);
    FillWorkFile(path, 2000);
  }

  TempDir dir;
  Table work{"W7", kRow};
  std::string path = dir.File("W7.DAT");
};

TEST_F(WorkTableCacheTest, OpeningCreatesTheWorkFileEmpty) {
  Table fresh("Wc7", kRow);
  FillWorkFile(dir.File("Wc7.DAT"), 10);
  ASSERT_EQ(DbOpenWorkTable(fresh, dir.Path()), 1);
  EXPECT_TRUE(FileExists(dir.File("Wc7.DAT")));
  EXPECT_EQ(ReadWholeFile(dir.File("Wc7.DAT")).size(), 0u);
  EXPECT_EQ(CachedVersion(fresh, 0), -1);
}

TEST_F(WorkTableCacheTest, OpeningInAMissingDirectoryFailsWithThePath) {
  Table lost("W8", kRow);
  std::string missing = dir.Path() + "nowhere/";
  EXPECT_EQ(DbOpenWorkTable(lost, missing), 0);
  std::string name;
  EXPECT_EQ(DbGetError(&name), kDbOpenFailed);
  EXPECT_EQ(name, missing + "W8.DAT");
}

TEST_F(WorkTableCacheTest, RowsNearACachedRowComeFromTheCache) {
  ASSERT_EQ(CachedVersion(work, 10), 1);
  RewriteBehindCache(path, 20, 2);
  // Row 20 lies in the window that row 10 brought in: no second read.
  EXPECT_EQ(CachedVersion(work, 20), 1);
  EXPECT_EQ(CachedVersion(work, 0), 1);
  EXPECT_EQ(CachedVersion(work, kWindowRows - 1), 1);
}

TEST_F(WorkTableCacheTest, AFarRowRefillsTheWindowAroundIt) {
  ASSERT_EQ(CachedVersion(work, 10), 1);
  RewriteBehindCache(path, 1500, 2);
  RewriteBehindCache(path, 20, 2);
  EXPECT_EQ(CachedVersion(work, 1500), 2);
  // The new window is centred on row 1500, so rows a little before it are
  // there too and row 20 has to be read again.
  RewriteBehindCache(path, 1500 - kWindowRows / 2, 3);
  EXPECT_EQ(CachedVersion(work, 1500 - kWindowRows / 2), 1);
  EXPECT_EQ(CachedVersion(work, 20), 2);
}

TEST_F(WorkTableCacheTest, ARowPastTheEndFailsWithoutTouchingTheErrorState) {
  DbSetError(kDbSeekFailed, "earlier");
  SetAppError(kAppNotFound, "earlier");
  EXPECT_EQ(CachedVersion(work, 1999), 1);
  EXPECT_EQ(CachedVersion(work, 2000), -1);   // just past the cached window's end
  EXPECT_EQ(CachedVersion(work, 50000), -1);  // nothing at all to read there
  EXPECT_EQ(CachedVersion(work, -1), -1);
  std::string name;
  EXPECT_EQ(DbGetError(&name), kDbSeekFailed);
  EXPECT_EQ(name, "earlier");
  EXPECT_EQ(AppErrorCode(), kAppNotFound);
  EXPECT_EQ(AppErrorName(), "earlier");
  // The failures did not spoil the cache for rows that exist.
  EXPECT_EQ(CachedVersion(work, 0), 1);
}

TEST_F(WorkTableCacheTest, ReadingAnotherWorkTableForgetsTheCache) {
  Table other("Wa7", kRow);
  ASSERT_EQ(DbOpenWorkTable(other, dir.Path()), 1);
  FillWorkFile(dir.File("Wa7.DAT"), 5);
  // Opening the other table empties the cache, so fill it again from W7.
  ASSERT_EQ(CachedVersion(work, 5), 1);
  RewriteBehindCache(path, 5, 2);
  ASSERT_EQ(CachedVersion(other, 0), 1);
  EXPECT_EQ(CachedVersion(work, 5), 2);
}

TEST_F(WorkTableCacheTest, AWrittenRowIsReadBackAtOnce) {
  ASSERT_EQ(CachedVersion(work, 5), 1);
  std::vector<uint8_t> row = MakeRow(5, 9);
  ASSERT_EQ(DbWriteWorkRow(work, 5, row.data()), 1);
  EXPECT_EQ(CachedVersion(work, 5), 9);
  // The whole row went to the file, its last byte included.
  std::string bytes = ReadWholeFile(path);
  EXPECT_EQ(uint8_t(bytes[5 * kRow + kRow - 1]), 9);
}

TEST_F(WorkTableCacheTest, ClosingAndReopeningStartsAnEmptyTable) {
  ASSERT_EQ(CachedVersion(work, 5), 1);
  ASSERT_EQ(DbCloseWorkTable(work), 1);
  EXPECT_FALSE(work.IsOpen());
  ASSERT_EQ(DbOpenWorkTable(work, dir.Path()), 1);
  EXPECT_EQ(CachedVersion(work, 5), -1);
}

}  // namespace
