// Index pages kept between operations: a process that keeps pages must
// still see every change another workstation (or another handle of its own)
// makes, and its own updates must leave the file exactly as if every page
// had been read from it.
#include "storage/index_keep.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <random>
#include <set>
#include <vector>

#include "storage/errors.h"
#include "storage/index.h"
#include "storage/lockwait.h"
#include "tests/storage/index_entries.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kLength = 12;  // record number and an 8-byte big-endian key

const IndexDef kDef = DefFor(kLength);

bool Insert(Index& ix, uint64_t key) {
  Entry e = MakeEntry(key);
  return IdxInsert(ix, e.data()) == 1;
}
bool Remove(Index& ix, uint64_t key) {
  Entry e = MakeEntry(key);
  return IdxDelete(ix, e.data()) == 1;
}
// Whether a search finds the key exactly (a failed search counts as not).
bool Has(Index& ix, uint64_t key) {
  Entry e = MakeEntry(key);
  int exact = 0;
  return IdxSearch(ix, e.data(), &exact) == 1 && exact == 1;
}
// The key a search for `key` lands on (the first not below it).
uint64_t LandsOn(Index& ix, uint64_t key) {
  Entry e = MakeEntry(key);
  int exact = 0;
  EXPECT_EQ(IdxSearch(ix, e.data(), &exact), 1);
  return KeyOf(ix.currentEntry);
}

// Every key from the first entry to the end, stepping with Next.
std::vector<uint64_t> WalkAll(Index& ix) {
  std::vector<uint64_t> keys;
  KeyComparator own = ix.compare;
  ix.compare = AlwaysBelow;
  Entry probe{};
  int exact = 0;
  const int ok = IdxSearch(ix, probe.data(), &exact);
  ix.compare = own;
  EXPECT_EQ(ok, 1);
  while (ok && ix.positionState != kPosEnd && keys.size() < 1000000) {
    keys.push_back(KeyOf(ix.currentEntry));
    if (!IdxNext(ix)) {
      ADD_FAILURE() << "Next failed with " << IdxGetError();
      break;
    }
  }
  return keys;
}

// Runs `work` in a child process with its own handle on the index, as
// another workstation; true when the child reports success.
bool OtherWorkstation(const std::string& path, const std::function<bool(Index&)>& work) {
  pid_t pid = fork();
  if (pid == 0) {
    Index ix(kDef);
    bool ok = IdxOpen(ix, path) == 1 && work(ix);
    IdxClose(ix);
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

class IndexKeepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    IdxSetLockRetry(nullptr);
    ASSERT_EQ(IdxCreate(index, path), 1);
    ASSERT_EQ(IdxOpen(index, path), 1);
  }
  void TearDown() override {
    IdxClose(index);
    IdxForgetPageBuffer();
    index_keep::SetLimit(0);
  }

  // Keys 10, 20, ... so that others can go in between; about twelve leaves.
  void Fill(uint64_t count) {
    for (uint64_t k = 1; k <= count; ++k) {
      ASSERT_TRUE(Insert(index, k * 10)) << k;
      model.insert(k * 10);
    }
  }
  // Searches every key once, so this process keeps every page.
  void TouchEverything() {
    for (uint64_t k : model) ASSERT_TRUE(Has(index, k)) << k;
  }
  // The file, read afresh through a new handle, holds exactly the model.
  void ExpectFileHoldsModel() {
    Index fresh(kDef);
    ASSERT_EQ(IdxOpen(fresh, path), 1);
    std::vector<uint64_t> expected(model.begin(), model.end());
    EXPECT_EQ(WalkAll(fresh), expected);
    IdxClose(fresh);
  }

  TempDir dir;
  std::string path = dir.File("KEEP.X1");
  Index index{kDef};
  std::set<uint64_t> model;
};

TEST_F(IndexKeepTest, ASearchSeesAnEntryAnotherWorkstationChangedInALeafThisProcessKeeps) {
  Fill(1000);
  TouchEverything();
  // Only a leaf and page 0's counter change: the root's entries stay as they were.
  ASSERT_TRUE(
      OtherWorkstation(path, [](Index& ix) { return Remove(ix, 5000) && Insert(ix, 5001); }));
  EXPECT_FALSE(Has(index, 5000));
  EXPECT_EQ(LandsOn(index, 5000), 5001u);
  EXPECT_TRUE(Has(index, 5001));
}

TEST_F(IndexKeepTest, SplitsAndFreedPagesOfAnotherWorkstationAreFollowed) {
  Fill(1000);
  TouchEverything();
  // The other workstation empties a run of leaves (they go on the free list)
  // and then grows the tree elsewhere, so that splits take those pages back.
  ASSERT_TRUE(OtherWorkstation(path, [](Index& ix) {
    for (uint64_t k = 2000; k <= 4000; k += 10)
      if (!Remove(ix, k)) return false;
    for (uint64_t k = 7001; k <= 7009; ++k)
      for (uint64_t j = 0; j < 40; ++j)
        if (!Insert(ix, k * 1000 + j)) return false;
    return true;
  }));
  for (uint64_t k = 2000; k <= 4000; k += 10) model.erase(k);
  for (uint64_t k = 7001; k <= 7009; ++k)
    for (uint64_t j = 0; j < 40; ++j) model.insert(k * 1000 + j);
  for (uint64_t k = 10; k <= 10000; k += 5) EXPECT_EQ(Has(index, k), model.count(k) == 1) << k;
  for (uint64_t k = 7001 * 1000 - 1; k <= 7009 * 1000 + 40; ++k)
    EXPECT_EQ(Has(index, k), model.count(k) == 1) << k;
  // This process's own changes are built on the pages as they now stand.
  for (uint64_t k = 2005; k <= 4005; k += 10) {
    ASSERT_TRUE(Insert(index, k)) << k;
    model.insert(k);
  }
  ExpectFileHoldsModel();
}

TEST_F(IndexKeepTest, OwnUpdatesLeaveTheFileAsIfEveryPageHadBeenRead) {
  // Random inserts and deletes through one handle: root moves, splits,
  // emptied leaves and reused pages, all on kept pages.
  std::mt19937 rng(11);
  std::uniform_int_distribution<uint64_t> keys(1, 20000);
  for (int i = 0; i < 20000; ++i) {
    const uint64_t k = keys(rng);
    if (model.count(k)) {
      ASSERT_TRUE(Remove(index, k)) << k;
      model.erase(k);
    } else {
      ASSERT_TRUE(Insert(index, k)) << k;
      model.insert(k);
    }
    if (i % 97 == 0) {
      ASSERT_TRUE(Has(index, *model.begin()));
    }
  }
  ExpectFileHoldsModel();
  // And a process that starts afresh reads the same.
  ASSERT_TRUE(OtherWorkstation(path, [this](Index& ix) {
    for (uint64_t k = 1; k <= 20000; ++k)
      if (Has(ix, k) != (model.count(k) == 1)) return false;
    return true;
  }));
}

TEST_F(IndexKeepTest, PagesGivenUpAndTakenBackStayTrue) {
  // Room for a handful of pages: every operation gives pages up and reads
  // others back, and a page taken back must be the one the file holds.
  index_keep::SetLimit(5);
  Index other(kDef);
  ASSERT_EQ(IdxOpen(other, path), 1);
  std::mt19937 rng(5);
  std::uniform_int_distribution<uint64_t> keys(1, 30000);
  for (int i = 0; i < 30000; ++i) {
    const uint64_t k = keys(rng);
    Index& ix = i % 7 == 0 ? other : index;
    if (model.count(k)) {
      ASSERT_TRUE(Remove(ix, k)) << k;
      model.erase(k);
    } else {
      ASSERT_TRUE(Insert(ix, k)) << k;
      model.insert(k);
    }
    const uint64_t probe = keys(rng);
    ASSERT_EQ(Has(index, probe), model.count(probe) == 1) << probe;
  }
  IdxClose(other);
  index_keep::SetLimit(0);
  ExpectFileHoldsModel();
}

TEST_F(IndexKeepTest, TwoHandlesOfOneProcessSeeEachOthersChanges) {
  Fill(500);
  Index other(kDef);
  ASSERT_EQ(IdxOpen(other, path), 1);
  for (uint64_t k = 1; k <= 600; ++k) {
    Index& writer = k % 2 ? index : other;
    Index& reader = k % 2 ? other : index;
    ASSERT_TRUE(Insert(writer, k * 10 + 5)) << k;
    ASSERT_TRUE(Has(reader, k * 10 + 5)) << k;
    if (k % 3 == 0 && k <= 500) {
      ASSERT_TRUE(Remove(reader, k * 10)) << k;
      ASSERT_FALSE(Has(writer, k * 10)) << k;
    }
  }
  IdxClose(other);
}

TEST_F(IndexKeepTest, AnInterruptedUpdateElsewhereIsSeenThoughPagesAreKept) {
  Fill(1000);
  TouchEverything();
  // Another workstation dies inside an update: the counter keeps the marker.
  File raw;
  ASSERT_TRUE(raw.Open(path, OpenMode::kShared));
  uint8_t marker[4];
  PutU32(marker, kCounterUpdating);
  ASSERT_EQ(raw.WriteAt(kPagePrevOffset, marker, sizeof marker), long(sizeof marker));
  raw.Close();
  int exact = 0;
  Entry e = MakeEntry(5000);
  EXPECT_EQ(IdxSearch(index, e.data(), &exact), 0);
  EXPECT_EQ(IdxGetError(), kIdxCorrupt);
  EXPECT_FALSE(Insert(index, 5005));
  EXPECT_EQ(IdxGetError(), kIdxCorrupt);
}

}  // namespace
