// Appends that fail half way: a disk that fills up during the record's
// write, an index that refuses the new entry, a slot torn by a write that
// died. Whatever the append answers must be what the files hold afterwards,
// and what an index rebuild finds in them.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "storage/database.h"
#include "storage/errors.h"
#include "storage/lockwait.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

namespace {

// A small table: byte 0 mark, 1-20 name, the last byte the lock byte; X1
// and X2 both order by name, so either can be the one that refuses.
constexpr int kHeader = 512;
constexpr int kRecord = 128;
constexpr int kNameOffset = 1;
constexpr int kNameWidth = 20;

void BuildByName(const uint8_t* record, uint8_t* entry, int32_t) {
  std::memcpy(entry + 4, record + kNameOffset, kNameWidth);
}
int CompareByName(const uint8_t* a, const uint8_t* b) {
  return std::strncmp(reinterpret_cast<const char*>(a + 4), reinterpret_cast<const char*>(b + 4),
                      kNameWidth);
}
const IndexDef kIndexes[] = {{24, BuildByName, CompareByName}, {24, BuildByName, CompareByName}};
const TableDef kPeople = {kHeader, kRecord, 2, kIndexes, "PEOPLE", 3};

std::vector<uint8_t> Person(const std::string& name) {
  std::vector<uint8_t> r(kRecord, 0);
  std::memcpy(r.data() + kNameOffset, name.data(), std::min<size_t>(name.size(), kNameWidth - 1));
  return r;
}

class AppendFailureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DbSetErrorReporter(nullptr);
    DbSetLockRetry(nullptr);
    IdxSetLockRetry(nullptr);
    Table fresh(kPeople);
    ASSERT_EQ(DbCreateTable(fresh, dir.Path(), kPeople.version), 1);
    ASSERT_EQ(DbOpenTable(table, dir.Path()), 1);
  }
  void TearDown() override { DbCloseTable(table); }

  void Add(const std::string& name) {
    auto r = Person(name);
    ASSERT_EQ(DbAppendRecord(table, r.data()), 1) << name;
  }
  int64_t DataLength() { return int64_t(ReadWholeFile(dir.File("PEOPLE.DAT")).size()); }
  bool Found(int indexNumber, const std::string& name) {
    std::vector<uint8_t> key(kEntryBufferSize, 0);
    std::memcpy(key.data() + 4, name.data(), name.size());
    int exact = 0;
    DbSetCurrentIndex(table, indexNumber);
    return DbFind(table, key.data(), &exact) == 1 && exact == 1;
  }

  TempDir dir;
  Table table{kPeople};
};

TEST_F(AppendFailureTest, AFullDiskLeavesTheRecordFileAsItWasAndSaysSo) {
  Add("alice");
  Add("bob");
  const int64_t before = DataLength();
  // Room for half of the third record only.
  const int answer = WithFileSizeLimit(rlim_t(before + kRecord / 2), [&] {
    DbSetErrorReporter(TranslateEngineError);
    auto r = Person("carl");
    if (DbAppendRecord(table, r.data()) != 0) return 10;
    if (DbErrorReason() != SystemReason::kDiskFull) return 11;
    if (FormatAppError() != "Error writing file: PEOPLE (the disk is full)") return 12;
    return 0;
  });
  EXPECT_EQ(answer, 0) << "10: the append was answered as done, 11: not a full disk, "
                          "12: the message does not say the disk is full";
  EXPECT_EQ(DataLength(), before) << "a torn record was left behind";
  // With room again the next append takes the slot, and no other record
  // appears beside it.
  auto carl = Person("carl");
  int32_t number = -1;
  ASSERT_EQ(DbAppendRecord(table, carl.data(), &number), 1);
  EXPECT_EQ(number, 2);
  int32_t count = 0;
  ASSERT_EQ(DbRecordCount(table, &count), 1);
  EXPECT_EQ(count, 3);
}

TEST_F(AppendFailureTest, ATornSlotLeftByAnEarlierWriteIsCutOffWhenAFullDiskStopsTheNext) {
  Add("alice");
  {
    // A workstation died half way through writing slot 1.
    File raw;
    ASSERT_TRUE(raw.Open(dir.File("PEOPLE.DAT"), OpenMode::kShared));
    std::vector<uint8_t> half(kRecord / 2, 'x');
    ASSERT_EQ(raw.WriteAt(kHeader + kRecord, half.data(), half.size()), long(half.size()));
  }
  const int answer = WithFileSizeLimit(rlim_t(kHeader + 2 * kRecord + 10), [&] {
    auto r = Person("bob");
    return DbAppendRecord(table, r.data()) == 0 ? 0 : 1;
  });
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(DataLength(), kHeader + kRecord) << "cut back to the last whole record";
}

TEST_F(AppendFailureTest, ATornSlotPassedOverByAnAppendDoesNotBecomeARecord) {
  Add("alice");
  {
    File raw;
    ASSERT_TRUE(raw.Open(dir.File("PEOPLE.DAT"), OpenMode::kShared));
    auto torn = Person("alice");  // the same key as a record that is there
    ASSERT_EQ(raw.WriteAt(kHeader + kRecord, torn.data(), kRecord / 2), long(kRecord / 2));
  }
  auto bob = Person("bob");
  int32_t number = -1;
  ASSERT_EQ(DbAppendRecord(table, bob.data(), &number), 1);
  EXPECT_EQ(number, 2);
  std::vector<uint8_t> buffer(kRecord);
  EXPECT_EQ(DbReadRecord(table, 1, buffer.data()), 0);
  EXPECT_EQ(DbGetError(), kDbRecordDeleted) << "the torn bytes became a live record";
}

// A table of small records, so that its index files outgrow its record
// file: a limit the record file stays under can stop an index's growth.
constexpr int kSmallRecord = 32;
const TableDef kSmallPeople = {kHeader, kSmallRecord, 2, kIndexes, "SMALL", 3};

TEST(IndexAppendFailureTest, AFullDiskStoppingAnIndexSaysTheDiskIsFull) {
  DbSetErrorReporter(nullptr);
  DbSetLockRetry(nullptr);
  IdxSetLockRetry(nullptr);
  TempDir dir;
  Table fresh(kSmallPeople);
  ASSERT_EQ(DbCreateTable(fresh, dir.Path(), kSmallPeople.version), 1);
  Table table(kSmallPeople);
  ASSERT_EQ(DbOpenTable(table, dir.Path()), 1);
  const std::string index = DbIndexPath(dir.Path(), "SMALL", 1);
  auto size = [](const std::string& path) { return int64_t(std::filesystem::file_size(path)); };
  auto add = [&](int n) {
    std::vector<uint8_t> r(kSmallRecord, 0);
    const std::string name = "person" + std::to_string(1000 + n);
    std::memcpy(r.data() + kNameOffset, name.data(), name.size());
    return DbAppendRecord(table, r.data());
  };
  // Enough people for the index to have split once, so it has grown past
  // the record file.
  const int64_t empty = size(index);
  int n = 0;
  while (size(index) == empty && n < 1000) ASSERT_EQ(add(n++), 1);
  const int64_t indexLength = size(index);
  ASSERT_LT(size(dir.File("SMALL.DAT")), indexLength);
  const int answer = WithFileSizeLimit(rlim_t(indexLength), [&] {
    DbSetErrorReporter(TranslateEngineError);
    for (int i = n; i < n + 1000; ++i) {
      if (add(i)) continue;
      if (DbErrorReason() != SystemReason::kDiskFull) return 11;
      if (FormatAppError() != "Error writing file: SMALL.X1 (the disk is full)") return 12;
      return 0;
    }
    return 10;
  });
  EXPECT_EQ(answer, 0) << "10: the index grew past the limit, 11: not a full disk, "
                          "12: the message does not say the disk is full";
  DbCloseTable(table);
}

// Index number (0-based) whose file is cut in half, for each of the table's
// indexes: the record must be gone from the file's live records and from
// the indexes that took its entry before the refusal.
TEST_F(AppendFailureTest, ARecordWhoseIndexEntryIsRefusedIsLeftDeleted) {
  for (int broken = 0; broken < kPeople.indexCount; ++broken) {
    SCOPED_TRACE("index " + std::to_string(broken + 1) + " cut in half");
    DbCloseTable(table);
    Table fresh(kPeople);
    ASSERT_EQ(DbCreateTable(fresh, dir.Path(), kPeople.version), 1);
    ASSERT_EQ(DbOpenTable(table, dir.Path()), 1);
    Add("alice");
    const std::string index = DbIndexPath(dir.Path(), "PEOPLE", broken + 1);
    const int64_t length = int64_t(ReadWholeFile(index).size());
    ASSERT_EQ(truncate(index.c_str(), length / 2), 0);
    IdxForgetPageBuffer();

    auto bob = Person("bob");
    int32_t number = -1;
    ASSERT_EQ(DbAppendRecord(table, bob.data(), &number), 0) << "the cut index took the entry";
    EXPECT_NE(IdxGetError(), kIdxOk);
    ASSERT_EQ(number, 1);
    std::vector<uint8_t> buffer(kRecord);
    EXPECT_EQ(DbReadRecord(table, 1, buffer.data()), 0) << "the refused record is live";
    EXPECT_EQ(DbGetError(), kDbRecordDeleted);
    for (int x = 0; x < broken; ++x) EXPECT_FALSE(Found(x, "bob")) << "X" << x + 1 << " names it";
  }
}

}  // namespace
