// Work tables: rows read through the process-wide read cache, rows written
// in place, and queries that fill a work table from an indexed table.
#include "storage/worktable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "storage/database.h"
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

TEST_F(WorkTableCacheTest, OpeningInAMissingDirectoryFailsWithThePath) {
  Table lost("W8", kRow);
  std::string missing = dir.Path() + "nowhere/";
  EXPECT_EQ(DbOpenWorkTable(lost, missing), 0);
  std::string name;
  EXPECT_EQ(DbGetError(&name), kDbOpenFailed);
  EXPECT_EQ(name, missing + "W8.DAT");
}

TEST_F(WorkTableCacheTest, RowsNearACachedRowComeFromTheCacheAndAFarRowRefillsIt) {
  ASSERT_EQ(CachedVersion(work, 10), 1);
  RewriteBehindCache(path, 20, 2);
  RewriteBehindCache(path, 1500, 2);
  // Row 20 lies in the window that row 10 brought in: no second read.
  EXPECT_EQ(CachedVersion(work, 20), 1);
  EXPECT_EQ(CachedVersion(work, 0), 1);
  EXPECT_EQ(CachedVersion(work, kWindowRows - 1), 1);
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

// A work table is this workstation's alone: opening one (again) starts it
// empty, and nothing cached from before is read back.
TEST_F(WorkTableCacheTest, OpeningStartsAnEmptyTable) {
  ASSERT_EQ(CachedVersion(work, 5), 1);
  ASSERT_EQ(DbCloseWorkTable(work), 1);
  EXPECT_FALSE(work.IsOpen());
  ASSERT_EQ(DbOpenWorkTable(work, dir.Path()), 1);
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(ReadWholeFile(path).size(), 0u);
  EXPECT_EQ(CachedVersion(work, 5), -1);
}

// ---- Queries ----

// A small indexed table: byte 0 the deletion mark, bytes 1-4 a number,
// bytes 5-12 a word, the last byte the lock byte. X1 orders by number.
constexpr int32_t kRecord = 24;
constexpr int kNumberOffset = 1;
constexpr int kWordOffset = 5;
constexpr int kWordWidth = 8;
constexpr uint16_t kEntry = 8;  // record number + number

void BuildByNumber(const uint8_t* record, uint8_t* entry, int32_t) {
  std::memcpy(entry + 4, record + kNumberOffset, 4);
}
int CompareByNumber(const uint8_t* a, const uint8_t* b) {
  int32_t x = GetI32(a + 4), y = GetI32(b + 4);
  return x < y ? -1 : x > y;
}
const IndexDef kNumberIndex = {kEntry, BuildByNumber, CompareByNumber};
const TableDef kNumbers = {16, kRecord, 1, &kNumberIndex, "NUMBERS", 0};

int32_t EntryNumber(const uint8_t* entry) {
  return GetI32(entry + 4);
}
int32_t RecordNumberField(const uint8_t* record) {
  return GetI32(record + kNumberOffset);
}
std::string RecordWord(const uint8_t* record) {
  return std::string(reinterpret_cast<const char*>(record + kWordOffset),
                     strnlen(reinterpret_cast<const char*>(record + kWordOffset), kWordWidth));
}

class WorkTableQueryTest : public ::testing::Test {
 protected:
  // A table holding the numbers [0, count), appended in a scrambled order
  // so that index order and record order differ; number n has the word
  // "odd" or "even".
  void MakeSource(int32_t count) {
    ASSERT_EQ(DbCreateTable(source, dir.Path(), 0), 1);
    ASSERT_EQ(DbOpenTable(source, dir.Path()), 1);
    for (int32_t i = 0; i < count; ++i) {
      int32_t n = (i * 7) % count;
      uint8_t record[kRecord] = {};
      PutI32(record + kNumberOffset, n);
      std::strcpy(reinterpret_cast<char*>(record + kWordOffset), n % 2 ? "odd" : "even");
      ASSERT_EQ(DbAppendRecord(source, record), 1);
    }
  }

  // The numbers held by the rows of a work table of index entries.
  std::vector<int32_t> EntryRows() {
    std::vector<int32_t> numbers;
    std::string bytes = ReadWholeFile(dir.File("Wa7.DAT"));
    EXPECT_EQ(bytes.size() % kEntry, 0u);
    for (size_t at = 0; at + kEntry <= bytes.size(); at += kEntry) {
      numbers.push_back(EntryNumber(reinterpret_cast<const uint8_t*>(bytes.data() + at)));
    }
    return numbers;
  }

  static std::vector<int32_t> Range(int32_t from, int32_t to, int32_t step = 1) {
    std::vector<int32_t> numbers;
    for (int32_t n = from; step > 0 ? n < to : n > to; n += step) numbers.push_back(n);
    return numbers;
  }

  TempDir dir;
  Table source{kNumbers};
  Table entries{"Wa7", kEntry};
};

TEST_F(WorkTableQueryTest, AQueryThatSelectsNothingLeavesAnEmptyWorkTable) {
  MakeSource(0);
  ASSERT_EQ(DbQuery(source, entries, dir.Path(), nullptr, nullptr, false, false, false), 1);
  EXPECT_TRUE(entries.IsOpen());
  EXPECT_EQ(entries.scratch, 0);
  EXPECT_TRUE(FileExists(dir.File("Wa7.DAT")));
  EXPECT_EQ(ReadWholeFile(dir.File("Wa7.DAT")).size(), 0u);
  // Reverse on an empty index finds nothing either.
  ASSERT_EQ(DbQuery(source, entries, dir.Path(), nullptr, nullptr, false, false, true), 1);
  EXPECT_EQ(entries.scratch, 0);
}

// Without a writer each row is the index entry, in the order of the walk:
// from the first entry or from where the caller found number 25, forwards
// or backwards, as far as the filter lets it.
TEST_F(WorkTableQueryTest, EachRowIsTheIndexEntryInTheOrderOfTheWalk) {
  MakeSource(40);
  const EntryFilter evenBelowThirty = [](const uint8_t* entry) {
    const int32_t n = EntryNumber(entry);
    return n >= 30 ? -1 : n % 2 == 0 ? 1 : 0;
  };
  const struct {
    EntryFilter filter;
    bool positioned, reverse;
    std::vector<int32_t> rows;
  } cases[] = {
      {nullptr, false, false, Range(0, 40)},     {evenBelowThirty, false, false, Range(0, 30, 2)},
      {nullptr, false, true, Range(39, -1, -1)}, {nullptr, true, false, Range(25, 40)},
      {nullptr, true, true, Range(25, -1, -1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.positioned << c.reverse << bool(c.filter));
    uint8_t key[kEntryBufferSize] = {};
    PutI32(key + 4, 25);
    int exact = 0;
    ASSERT_EQ(DbFind(source, key, &exact), 1);
    ASSERT_EQ(
        DbQuery(source, entries, dir.Path(), c.filter, nullptr, c.positioned, false, c.reverse), 1);
    EXPECT_EQ(entries.scratch, int32_t(c.rows.size()));
    EXPECT_EQ(EntryRows(), c.rows);
  }
  // The record number leads each row, as it leads the entry.
  uint8_t row[kEntry];
  ASSERT_EQ(DbReadCached(entries, 3, row), 1);
  uint8_t record[kRecord];
  ASSERT_EQ(DbReadRecord(source, GetI32(row), record), 1);
  EXPECT_EQ(RecordNumberField(record), 22);
}

TEST_F(WorkTableQueryTest, AShorterQueryLeavesNoStaleRowsBehind) {
  MakeSource(40);
  ASSERT_EQ(DbQuery(source, entries, dir.Path(), nullptr, nullptr, false, false, false), 1);
  uint8_t row[kEntry];
  ASSERT_EQ(DbReadCached(entries, 35, row), 1);
  auto belowTen = [](const uint8_t* entry) { return EntryNumber(entry) < 10 ? 1 : 0; };
  ASSERT_EQ(DbQuery(source, entries, dir.Path(), belowTen, nullptr, false, false, false), 1);
  EXPECT_EQ(entries.scratch, 10);
  EXPECT_EQ(EntryRows(), Range(0, 10));
  // The list sees the end where the new rows end, not the old cached rows.
  EXPECT_EQ(DbReadCached(entries, 35, row), 0);
  ASSERT_EQ(DbReadCached(entries, 9, row), 1);
  EXPECT_EQ(EntryNumber(row), 9);
}

TEST_F(WorkTableQueryTest, AFilterOnRecordsSeesTheRecordAndSoDoesTheWriter) {
  MakeSource(40);
  Table words("Wc7", 12);
  auto odd = [](const uint8_t* record) { return RecordWord(record) == "odd" ? 1 : 0; };
  auto writer = [](const uint8_t* entry, const uint8_t* record, uint8_t* row) {
    if (record == nullptr) return 0;
    PutI32(row, EntryNumber(entry));
    std::memcpy(row + 4, record + kWordOffset, 3);
    return 1;
  };
  ASSERT_EQ(DbQuery(source, words, dir.Path(), odd, writer, false, true, false), 1);
  EXPECT_EQ(words.scratch, 20);
  std::string bytes = ReadWholeFile(dir.File("Wc7.DAT"));
  ASSERT_EQ(bytes.size(), 20u * 12);
  for (int32_t i = 0; i < 20; ++i) {
    const uint8_t* row = reinterpret_cast<const uint8_t*>(bytes.data()) + i * 12;
    EXPECT_EQ(GetI32(row), 2 * i + 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(row + 4), 3), "odd");
    // The writer starts from a zeroed row every time.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(row + 7), 5), std::string(5, '\0'));
  }
}

TEST_F(WorkTableQueryTest, ARecordDeletedElsewhereDuringTheQueryIsPassedOver) {
  MakeSource(40);
  // Another workstation's delete has removed nothing from the index yet but
  // has marked the slot of number 6 (the moment between its two steps).
  File other;
  ASSERT_TRUE(other.Open(dir.File("NUMBERS.DAT"), OpenMode::kShared));
  int32_t slotOfSix = -1;
  for (int32_t i = 0; i < 40; ++i)
    if ((i * 7) % 40 == 6) slotOfSix = i;
  uint8_t mark = kDeletedMark;
  ASSERT_EQ(other.WriteAt(16 + int64_t(slotOfSix) * kRecord, &mark, 1), 1);
  auto all = [](const uint8_t*) { return 1; };
  ASSERT_EQ(DbQuery(source, entries, dir.Path(), all, nullptr, false, true, false), 1);
  EXPECT_EQ(entries.scratch, 39);
  std::vector<int32_t> expected = Range(0, 40);
  expected.erase(expected.begin() + 6);
  EXPECT_EQ(EntryRows(), expected);
}

TEST_F(WorkTableQueryTest, AWriterThatAnswersNoFailsTheQueryWithAWriteError) {
  MakeSource(40);
  ASSERT_EQ(DbQuery(source, entries, dir.Path(), nullptr, nullptr, false, false, false), 1);
  auto refuseAtTwenty = [](const uint8_t* entry, const uint8_t*, uint8_t* row) {
    if (EntryNumber(entry) == 20) return 0;
    std::memcpy(row, entry, kEntry);
    return 1;
  };
  EXPECT_EQ(DbQuery(source, entries, dir.Path(), nullptr, refuseAtTwenty, false, false, false), 0);
  std::string name;
  EXPECT_EQ(DbGetError(&name), kDbWriteFailed);
  EXPECT_EQ(name, "Wa7");
  // Neither the rows before the failure nor the previous query's rows
  // remain to be taken for a result.
  EXPECT_EQ(entries.scratch, 0);
  EXPECT_EQ(EntryRows(), std::vector<int32_t>{});
}

TEST_F(WorkTableQueryTest, ManyRowsComeOutWhole) {
  // 3,000 rows of 99 bytes take several write buffers.
  MakeSource(3000);
  Table messages("W7", kRow);
  auto writer = [](const uint8_t* entry, const uint8_t*, uint8_t* row) {
    std::memset(row, 0x5A, kRow);
    PutI32(row, EntryNumber(entry));
    return 1;
  };
  ASSERT_EQ(DbQuery(source, messages, dir.Path(), nullptr, writer, false, false, false), 1);
  EXPECT_EQ(messages.scratch, 3000);
  std::string bytes = ReadWholeFile(dir.File("W7.DAT"));
  ASSERT_EQ(bytes.size(), 3000u * kRow);
  for (int32_t i = 0; i < 3000; ++i) {
    const uint8_t* row = reinterpret_cast<const uint8_t*>(bytes.data()) + size_t(i) * kRow;
    ASSERT_EQ(GetI32(row), i);
    ASSERT_EQ(row[kRow - 1], 0x5A);
  }
}

TEST_F(WorkTableQueryTest, AQueryAfterASortRewritesTheSortedTable) {
  MakeSource(40);
  ASSERT_EQ(DbQuery(source, entries, dir.Path(), nullptr, nullptr, false, false, false), 1);
  auto descending = [](const uint8_t* a, const uint8_t* b) { return CompareByNumber(b, a); };
  ASSERT_EQ(DbSortWorkTable(entries, 7, descending), 1);
  EXPECT_EQ(EntryRows(), Range(39, -1, -1));
  auto belowFive = [](const uint8_t* entry) { return EntryNumber(entry) < 5 ? 1 : -1; };
  ASSERT_EQ(DbQuery(source, entries, dir.Path(), belowFive, nullptr, false, false, false), 1);
  EXPECT_EQ(EntryRows(), Range(0, 5));
}

}  // namespace
