// Sorting work tables: in one chunk, in several runs merged together, at and
// over the row limit, and what a failed sort leaves behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "storage/errors.h"
#include "storage/worktable.h"
#include "tests/support/temp_dir.h"

namespace {

// The user whose sort it is names the sort and merge files; the work table
// is another's, so that the names tell the two apart.
constexpr long kUser = 7;

// Rows carry a 2-byte sort key in bytes 0-1 and their original position in
// bytes 2-5; the rest is filler derived from both, so a row torn apart or
// glued from two rows shows.
std::vector<uint8_t> MakeRow(int32_t rowSize, uint16_t key, int32_t position) {
  std::vector<uint8_t> row(size_t(rowSize), 0);
  PutU16(row.data(), key);
  if (rowSize >= 6) PutI32(row.data() + 2, position);
  for (int32_t i = 6; i < rowSize; ++i) row[size_t(i)] = uint8_t(key * 31 + position + i);
  return row;
}

int CompareKeys(const uint8_t* a, const uint8_t* b) {
  return int(GetU16(a)) - int(GetU16(b));
}

// The files in the directory, by name.
std::set<std::string> Listing(const TempDir& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// Compares two files' worth of rows and names the first row that differs,
// rather than printing hundreds of kilobytes.
::testing::AssertionResult SameRows(const std::string& actual, const std::string& expected,
                                    size_t rowSize) {
  if (actual.size() != expected.size()) {
    return ::testing::AssertionFailure()
           << actual.size() << " bytes where " << expected.size() << " were expected";
  }
  for (size_t at = 0; at < actual.size(); at += rowSize) {
    if (actual.compare(at, rowSize, expected, at, rowSize) != 0) {
      return ::testing::AssertionFailure() << "row " << at / rowSize << " differs";
    }
  }
  return ::testing::AssertionSuccess();
}

class WorkSortTest : public ::testing::Test {
 protected:
  // Opens work table "W42" with count rows whose keys repeat every
  // `distinct` values, in a scrambled order.
  void MakeTable(int32_t rowSize, int32_t count, int32_t distinct) {
    work = Table("W42", rowSize);
    ASSERT_EQ(DbOpenWorkTable(work, dir.Path()), 1);
    rows.clear();
    std::string bytes;
    for (int32_t i = 0; i < count; ++i) {
      std::vector<uint8_t> row = MakeRow(rowSize, uint16_t((i * 7919) % distinct), i);
      rows.push_back(row);
      bytes.append(row.begin(), row.end());
    }
    ASSERT_EQ(work.data.WriteAt(0, bytes.data(), bytes.size()), long(bytes.size()));
  }

  // The rows as a stable sort by key would leave them.
  std::string StablySorted() const {
    std::vector<std::vector<uint8_t>> sorted = rows;
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
      return CompareKeys(a.data(), b.data()) < 0;
    });
    std::string bytes;
    for (const auto& row : sorted) bytes.append(row.begin(), row.end());
    return bytes;
  }

  std::string Unsorted() const {
    std::string bytes;
    for (const auto& row : rows) bytes.append(row.begin(), row.end());
    return bytes;
  }

  std::string WorkBytes() const { return ReadWholeFile(dir.File("W42.DAT")); }

  TempDir dir;
  Table work;
  std::vector<std::vector<uint8_t>> rows;
};

// Tables of every size the sort takes: each comes out as a stable sort by
// key would leave it (equal keys from different runs in run order, which is
// their original order), with no sort or merge file left behind.
TEST_F(WorkSortTest, EveryTableUpToTheLimitsIsSortedStablyWithNothingLost) {
  const struct {
    const char* what;
    int32_t rowSize, count, distinct;
    bool merged;  // a merge file was made along the way
  } cases[] = {
      {"empty", 99, 0, 1, false},
      {"one chunk of 63,954 bytes", 99, 646, 50, false},
      {"8 runs of at most 646 rows", 99, 5000, 300, true},
      {"exactly the row limit", 12, kMaxWorkRows, 1000, true},
      {"a hundred runs of 64 rows", 1000, 6400, 1000, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MakeTable(c.rowSize, c.count, c.distinct);
    std::vector<uint8_t> cached(size_t(c.rowSize));
    if (c.count) {
      ASSERT_EQ(DbReadCached(work, 0, cached.data()), 1);
    }
    bool sortFileSeen = false, mergeFileSeen = false;
    auto watching = [&](const uint8_t* a, const uint8_t* b) {
      sortFileSeen = sortFileSeen || FileExists(dir.File("S7.DAT"));
      mergeFileSeen = mergeFileSeen || FileExists(dir.File("M7.DAT"));
      return CompareKeys(a, b);
    };
    ASSERT_EQ(DbSortWorkTable(work, kUser, watching), 1);
    EXPECT_EQ(sortFileSeen, c.count > 0);
    EXPECT_EQ(mergeFileSeen, c.merged);
    EXPECT_TRUE(work.IsOpen());
    const std::string sorted = WorkBytes();
    EXPECT_TRUE(SameRows(sorted, StablySorted(), size_t(c.rowSize)));
    EXPECT_EQ(Listing(dir), std::set<std::string>{"W42.DAT"});
    // The list reads the sorted rows, not what the cache held before.
    if (c.count) {
      ASSERT_EQ(DbReadCached(work, 0, cached.data()), 1);
      EXPECT_EQ(std::string(cached.begin(), cached.end()), sorted.substr(0, size_t(c.rowSize)));
    }
    DbCloseWorkTable(work);
  }
}

TEST_F(WorkSortTest, AComparisonThatContradictsItselfLosesNoRows) {
  MakeTable(99, 2000, 2000);
  uint32_t state = 12345;
  auto erratic = [&](const uint8_t*, const uint8_t*) {
    state = state * 1103515245u + 12345u;
    return int((state >> 16) % 3) - 1;
  };
  ASSERT_EQ(DbSortWorkTable(work, kUser, erratic), 1);
  std::string after = WorkBytes();
  std::multiset<std::string> got, expected;
  for (size_t at = 0; at < after.size(); at += 99) got.insert(after.substr(at, 99));
  for (const auto& row : rows) expected.insert(std::string(row.begin(), row.end()));
  EXPECT_EQ(got, expected);
}

// A sort that cannot be done fails with its code and loses no rows: the
// table is left as it was (closed when a file operation failed half way),
// and no sort or merge file stays behind.
TEST_F(WorkSortTest, ASortThatCannotBeDoneLosesNoRows) {
  const struct {
    const char* what;
    int32_t rowSize, count;
    std::vector<std::string> blocked;  // paths made directories first
    int appCode;                       // or 0: the engine's code kDbOpenFailed
    std::string name;                  // the name reported
    bool open;
  } cases[] = {
      {"one row over the limit", 12, kMaxWorkRows + 1, {}, kAppMaxRecords, "", true},
      // Rows of 1,000 bytes give 64 rows a run: 6,500 rows need 102 runs.
      {"more than a hundred runs", 1000, 6500, {}, kAppMaxRecords, "", true},
      {"a part row at the end", 99, 10, {}, kAppPartialRow, "W42", true},
      {"no sort file", 99, 100, {"S7.DAT"}, 0, "S7.DAT", false},
      {"no merge file", 99, 2000, {"M7.DAT"}, 0, "M7.DAT", false},
      // The work file's name belongs to a directory with something in it,
      // which no file can be renamed over.
      {"no rename", 99, 2000, {"W42.DAT", "W42.DAT/keep"}, kAppRenameFailed, "W42.DAT", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MakeTable(c.rowSize, c.count, 10);
    if (c.appCode == kAppPartialRow) {
      ASSERT_EQ(work.data.WriteAt(10 * 99, "torn", 4), 4);
    }
    const std::string before = WorkBytes();
    for (const std::string& path : c.blocked) {
      unlink(dir.File(path).c_str());
      ASSERT_EQ(mkdir(dir.File(path).c_str(), 0755), 0);
    }
    ClearAppError();
    EXPECT_EQ(DbSortWorkTable(work, kUser, CompareKeys), 0);
    std::string name;
    if (c.appCode) {
      EXPECT_EQ(AppErrorCode(), c.appCode);
      EXPECT_EQ(AppErrorName(), c.name.empty() || c.name == "W42" ? c.name : dir.File(c.name));
    } else {
      EXPECT_EQ(DbGetError(&name), kDbOpenFailed);
      EXPECT_EQ(name, dir.File(c.name));
    }
    EXPECT_EQ(work.IsOpen(), c.open);
    if (c.appCode != kAppRenameFailed) {
      EXPECT_TRUE(SameRows(WorkBytes(), before, 99));
    }
    for (const char* temporary : {"S7.DAT", "M7.DAT"}) {
      if (c.blocked.empty() || c.blocked[0] != temporary) {
        EXPECT_FALSE(FileExists(dir.File(temporary)));
      }
    }
    DbCloseWorkTable(work);
    std::filesystem::remove_all(dir.File("S7.DAT"));
    std::filesystem::remove_all(dir.File("M7.DAT"));
    std::filesystem::remove_all(dir.File("W42.DAT"));
  }
}

}  // namespace
