// An index that cannot grow: the disk fills up (here: the file may grow no
// further) just when an insert must split pages. The append is answered as
// failed with a message that says the disk is full, and the index stays as
// it was: every record stored before is found, no update is left half done,
// and with room again the next append goes in.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "storage/database.h"
#include "storage/errors.h"
#include "storage/lockwait.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

namespace {

// Small records with wide keys, so the index file outgrows the record file
// and meets the limit first.
constexpr int kRecord = 24;
constexpr int kNameOffset = 1;
constexpr int kNameWidth = 20;
constexpr int kEntry = 70;

void BuildWide(const uint8_t* record, uint8_t* entry, int32_t) {
  std::memcpy(entry + 4, record + kNameOffset, kNameWidth);
}
int CompareWide(const uint8_t* a, const uint8_t* b) {
  return std::memcmp(a + 4, b + 4, kEntry - 4);
}
const IndexDef kIndexes[] = {{kEntry, BuildWide, CompareWide}};
const TableDef kWide = {0, kRecord, 1, kIndexes, "WIDE", 0};

std::string NameOf(int i) {
  char name[kNameWidth];
  std::snprintf(name, sizeof name, "item %06d", i);
  return name;
}

std::vector<uint8_t> Item(int i) {
  std::vector<uint8_t> r(kRecord, 0);
  const std::string name = NameOf(i);
  std::memcpy(r.data() + kNameOffset, name.data(), name.size());
  return r;
}

class IndexFullDiskTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    DbSetErrorReporter(nullptr);
    DbSetLockRetry(nullptr);
    IdxSetLockRetry(nullptr);
    Table fresh(kWide);
    ASSERT_EQ(DbCreateTable(fresh, dir.Path(), 0), 1);
    ASSERT_EQ(DbOpenTable(table, dir.Path()), 1);
  }
  void TearDown() override { DbCloseTable(table); }

  int64_t IndexLength() { return int64_t(ReadWholeFile(dir.File("WIDE.X1")).size()); }
  // The names the index holds, in order, read through a fresh handle as
  // another workstation would.
  std::vector<std::string> Listed() {
    Table other(kWide);
    std::vector<std::string> names;
    if (DbOpenTable(other, dir.Path()) != 1) return {"(the table does not open)"};
    int ok = DbFirst(other);
    while (ok && other.Current().positionState != kPosEnd) {
      std::vector<uint8_t> record(kRecord);
      if (DbReadRecord(other, other.Current().currentRecord, record.data()) != 1) {
        names.push_back("(a listed record cannot be read)");
        break;
      }
      names.emplace_back(reinterpret_cast<const char*>(record.data() + kNameOffset));
      ok = DbNext(other);
    }
    if (!ok) names.push_back("(the walk failed)");
    DbCloseTable(other);
    return names;
  }

  TempDir dir;
  Table table{kWide};
};

// Items stored before the disk fills: none (the first split moves the root
// down) or enough for a tree whose leaves split one at a time.
INSTANTIATE_TEST_SUITE_P(Stored, IndexFullDiskTest, ::testing::Values(0, 200));

TEST_P(IndexFullDiskTest, AnInsertThatFindsNoRoomLeavesTheIndexAsItWasAndSaysTheDiskIsFull) {
  const int stored = GetParam();
  for (int i = 0; i < stored; ++i) {
    auto r = Item(i);
    ASSERT_EQ(DbAppendRecord(table, r.data()), 1);
  }
  const int64_t before = IndexLength();
  // Appends until one fails; answers how many went in, or a negative fault.
  const int added = WithFileSizeLimit(rlim_t(before), [&] {
    DbSetErrorReporter(TranslateEngineError);
    for (int i = stored; i < stored + 2000; ++i) {
      auto r = Item(i);
      if (DbAppendRecord(table, r.data()) == 1) continue;
      if (FormatAppError() != "Error writing file: WIDE.X1 (the disk is full)") return 250;
      return i - stored;
    }
    return 251;
  });
  ASSERT_LT(added, 250) << (added == 250 ? "the message does not say the disk is full"
                                         : "the index never needed a new page");
  EXPECT_EQ(IndexLength(), before) << "pages reserved for the insert were left behind";
  const int live = stored + added;
  std::vector<std::string> expected;
  for (int i = 0; i < live; ++i) expected.push_back(NameOf(i));
  EXPECT_EQ(Listed(), expected);
  // The record whose entry found no room is not a record any more.
  std::vector<uint8_t> buffer(kRecord);
  EXPECT_EQ(DbReadRecord(table, live, buffer.data()), 0);
  EXPECT_EQ(DbGetError(), kDbRecordDeleted);
  // With room again, the item goes in and the tree grows as it should.
  auto again = Item(live);
  ASSERT_EQ(DbAppendRecord(table, again.data()), 1);
  expected.push_back(NameOf(live));
  EXPECT_EQ(Listed(), expected);
  EXPECT_GT(IndexLength(), before);
}

}  // namespace
