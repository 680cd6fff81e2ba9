// Index files on real files: the empty index, growth by root move-down and
// splits, deletion with key rewrites and freed pages, the update marker,
// corrupt files, the index lock between handles and processes, and walkers
// that keep their place while other handles change the tree.
#include "storage/index.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "storage/check.h"
#include "storage/errors.h"
#include "storage/lockwait.h"
#include "tests/support/lock_holder.h"
#include "tests/support/temp_dir.h"

namespace {

// Test entries: a record number, an 8-byte big-endian key (so byte order is
// key order) and filler up to the entry length.
template <int Length>
int CompareKeyBytes(const uint8_t* a, const uint8_t* b) {
  return std::memcmp(a + 4, b + 4, Length - 4);
}
int AlwaysBelow(const uint8_t*, const uint8_t*) {
  return -1;
}
int AlwaysAbove(const uint8_t*, const uint8_t*) {
  return 1;
}

IndexDef DefFor(int length) {
  switch (length) {
    case 12:
      return {12, nullptr, CompareKeyBytes<12>};
    case 62:
      return {62, nullptr, CompareKeyBytes<62>};
    case 74:
      return {74, nullptr, CompareKeyBytes<74>};
  }
  return {0, nullptr, nullptr};
}

using Entry = std::array<uint8_t, kEntryBufferSize>;

int32_t RecordOf(uint64_t key) {
  return int32_t(key % 1000003u);
}

Entry MakeEntry(uint64_t key, int length) {
  Entry e{};
  PutI32(e.data(), RecordOf(key));
  for (int i = 0; i < 8; ++i) e[size_t(4 + i)] = uint8_t(key >> (56 - 8 * i));
  for (int i = 12; i < length; ++i) e[size_t(i)] = uint8_t((key + uint64_t(i)) & 0x7F);
  return e;
}

uint64_t KeyOf(const uint8_t* entry) {
  uint64_t key = 0;
  for (int i = 0; i < 8; ++i) key = key << 8 | entry[4 + i];
  return key;
}

bool IsSentinelKey(const uint8_t* entry, int length) {
  for (int i = 4; i < length; ++i)
    if (entry[i] != 0xFF) return false;
  return true;
}

// ---- Reading and patching the file behind the engine's back ----

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::string s = ReadWholeFile(path);
  return std::vector<uint8_t>(s.begin(), s.end());
}

void WriteBytes(const std::string& path, int64_t offset, const void* data, size_t length) {
  File f;
  ASSERT_TRUE(f.Open(path, OpenMode::kShared));
  ASSERT_EQ(f.WriteAt(offset, data, length), long(length));
}
void PokeU32(const std::string& path, int64_t offset, uint32_t v) {
  uint8_t b[4];
  PutU32(b, v);
  WriteBytes(path, offset, b, 4);
}
void PokeU16(const std::string& path, int64_t offset, uint16_t v) {
  uint8_t b[2];
  PutU16(b, v);
  WriteBytes(path, offset, b, 2);
}
void PokeByte(const std::string& path, int64_t offset, uint8_t v) {
  WriteBytes(path, offset, &v, 1);
}
void ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  File f;
  ASSERT_TRUE(f.Open(path, OpenMode::kCreate));
  ASSERT_EQ(f.WriteAt(0, bytes.data(), bytes.size()), long(bytes.size()));
}

const uint8_t* PageAt(const std::vector<uint8_t>& bytes, uint32_t page) {
  return bytes.data() + size_t(page) * kPageSize;
}

// ---- A structural check of a whole index file ----

struct Shape {
  std::string error;  // empty when the file is sound
  int levels = 0;
  std::vector<uint64_t> keys;                       // leaf entries in order, sentinel left out
  std::vector<std::vector<uint32_t>> pagesByLevel;  // each level's pages in key order
  std::vector<uint32_t> freePages;                  // in free-list order
  uint32_t pageCount = 0;
};

Shape Inspect(const std::string& path, int length) {
  const KeyComparator compare = DefFor(length).compare;
  const int max = MaxEntriesPerPage(length);
  const std::vector<uint8_t> bytes = FileBytes(path);
  Shape s;
  auto fail = [&s](const std::string& why) {
    if (s.error.empty()) s.error = why;
    return false;
  };
  if (bytes.size() < size_t(kPageSize) || bytes.size() % kPageSize != 0) {
    fail("file length " + std::to_string(bytes.size()));
    return s;
  }
  s.pageCount = uint32_t(bytes.size() / kPageSize);
  if (PagePrev(PageAt(bytes, 0)) == kCounterUpdating) fail("update marker in the counter");
  std::vector<int> use(s.pageCount, 0);  // 1 in the tree, 2 free
  int leafLevel = -1;
  std::function<bool(uint32_t, int)> visit = [&](uint32_t n, int level) -> bool {
    const std::string at = "page " + std::to_string(n) + ": ";
    if (n >= s.pageCount) return fail(at + "beyond the file");
    if (use[n]) return fail(at + "reached twice");
    use[n] = 1;
    if (level >= kMaxTreeDepth) return fail(at + "too deep");
    if (int(s.pagesByLevel.size()) <= level) s.pagesByLevel.resize(size_t(level) + 1);
    s.pagesByLevel[size_t(level)].push_back(n);
    const uint8_t* p = PageAt(bytes, n);
    const int count = PageCount(p);
    if (count < 1 || count > max) return fail(at + "count " + std::to_string(count));
    for (int i = 0; i < count; ++i) {
      const uint8_t* e = PageEntry(p, i, length);
      if (IsSentinelKey(e, length)) {
        if (i != count - 1) return fail(at + "sentinel before the last slot");
      } else if (i > 0 && compare(PageEntry(p, i - 1, length), e) >= 0) {
        return fail(at + "entries out of order");
      }
    }
    if (PageKind(p) == kPageLeaf) {
      if (leafLevel >= 0 && leafLevel != level) return fail(at + "leaves at different depths");
      leafLevel = level;
      for (int i = 0; i < count; ++i) {
        const uint8_t* e = PageEntry(p, i, length);
        if (!IsSentinelKey(e, length)) s.keys.push_back(KeyOf(e));
      }
      return true;
    }
    if (PageKind(p) != kPageBranch) return fail(at + "kind " + std::to_string(PageKind(p)));
    for (int i = 0; i < count; ++i) {
      const uint8_t* e = PageEntry(p, i, length);
      const uint32_t child = GetU32(e);
      if (!visit(child, level + 1)) return false;
      const uint8_t* c = PageAt(bytes, child);
      const uint8_t* greatest = PageEntry(c, PageCount(c) - 1, length);
      if (std::memcmp(e + 4, greatest + 4, size_t(length - 4)) != 0)
        return fail(at + "key of entry " + std::to_string(i) + " is not its child's greatest");
    }
    return true;
  };
  if (!visit(0, 0)) return s;
  s.levels = int(s.pagesByLevel.size());
  const std::vector<uint32_t>& leaves = s.pagesByLevel.back();
  const uint8_t* lastLeaf = PageAt(bytes, leaves.back());
  const uint8_t* sentinel = PageEntry(lastLeaf, PageCount(lastLeaf) - 1, length);
  for (int i = 0; i < length; ++i)
    if (sentinel[i] != 0xFF) fail("the last entry is not the sentinel");
  // Every level below the root is one chain of pages in key order.
  for (size_t level = 1; level < s.pagesByLevel.size(); ++level) {
    const std::vector<uint32_t>& pages = s.pagesByLevel[level];
    for (size_t i = 0; i < pages.size(); ++i) {
      const uint8_t* p = PageAt(bytes, pages[i]);
      if (PagePrev(p) != (i > 0 ? pages[i - 1] : kNoPage))
        fail("page " + std::to_string(pages[i]) + ": previous link");
      if (PageNext(p) != (i + 1 < pages.size() ? pages[i + 1] : kNoPage))
        fail("page " + std::to_string(pages[i]) + ": next link");
    }
  }
  for (uint32_t f = PageNext(PageAt(bytes, 0)); f != kNoPage; f = PageNext(PageAt(bytes, f))) {
    if (f == 0 || f >= s.pageCount || use[f]) {
      fail("free list reaches page " + std::to_string(f));
      break;
    }
    if (PageKind(PageAt(bytes, f)) != kPageFree) fail("free page " + std::to_string(f) + " kind");
    use[f] = 2;
    s.freePages.push_back(f);
  }
  for (uint32_t n = 1; n < s.pageCount; ++n)
    if (!use[n]) fail("page " + std::to_string(n) + " is lost");
  return s;
}

// ---- A hand-built index file ----

class PageImage {
 public:
  explicit PageImage(int length) : length_(length) {}
  // Sets page n: kind, links, entries (number, key); a key of ~0 is the sentinel key.
  void Set(uint32_t n, uint8_t kind, uint32_t prev, uint32_t next,
           const std::vector<std::pair<uint32_t, uint64_t>>& entries) {
    if (bytes_.size() < size_t(n + 1) * kPageSize) bytes_.resize(size_t(n + 1) * kPageSize, 0);
    uint8_t* p = bytes_.data() + size_t(n) * kPageSize;
    std::memset(p, 0, kIndexLockByte);
    p[kPageKindOffset] = kind;
    PutU32(p + kPagePrevOffset, prev);
    PutU32(p + kPageNextOffset, next);
    PutU16(p + kPageCountOffset, uint16_t(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
      uint8_t* e = PageEntry(p, int(i), length_);
      if (entries[i].second == ~uint64_t(0)) {
        std::memset(e, 0xFF, size_t(length_));
      } else {
        Entry made = MakeEntry(entries[i].second, length_);
        std::memcpy(e, made.data(), size_t(length_));
      }
      PutU32(e, entries[i].first);
    }
  }
  void Save(const std::string& path) { ReplaceFile(path, bytes_); }

 private:
  int length_;
  std::vector<uint8_t> bytes_;
};

constexpr uint64_t kSentinelKey = ~uint64_t(0);

// ---- The fixture ----

class IndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    IdxSetLockRetry(nullptr);
    checksAtStart_ = CheckFailureCount();
    SetCheckHandler([](const char*, unsigned) {});
  }
  void TearDown() override {
    SetCheckHandler(nullptr);
    IdxSetLockRetry(nullptr);
    if (expectedChecks_ >= 0) {
      EXPECT_EQ(CheckFailureCount() - checksAtStart_, unsigned(expectedChecks_));
    }
  }

  // Creates the index file and opens `index` on it.
  void Start(int length) {
    length_ = length;
    index = Index(DefFor(length));
    ASSERT_EQ(IdxCreate(index, path), 1);
    ASSERT_EQ(IdxOpen(index, path), 1);
  }
  // Another handle on the same file, as another workstation would have.
  Index OpenOther() {
    Index other(DefFor(length_));
    EXPECT_EQ(IdxOpen(other, path), 1);
    return other;
  }

  // 1, or the index code of the failure.
  int Insert(Index& ix, uint64_t key) {
    Entry e = MakeEntry(key, length_);
    return IdxInsert(ix, e.data()) ? 1 : -IdxGetError();
  }
  int Remove(Index& ix, uint64_t key) {
    Entry e = MakeEntry(key, length_);
    return IdxDelete(ix, e.data()) ? 1 : -IdxGetError();
  }
  int Find(Index& ix, uint64_t key, int* exact) {
    Entry e = MakeEntry(key, length_);
    return IdxSearch(ix, e.data(), exact);
  }
  void InsertAll(Index& ix, const std::vector<uint64_t>& keys) {
    for (uint64_t k : keys) ASSERT_EQ(Insert(ix, k), 1) << "key " << k;
  }
  // The first and last entries, as the record engine positions on them.
  int First(Index& ix) {
    KeyComparator own = ix.compare;
    ix.compare = AlwaysBelow;
    Entry probe{};
    int exact = 0;
    int ok = IdxSearch(ix, probe.data(), &exact);
    ix.compare = own;
    return ok;
  }
  int Last(Index& ix) {
    KeyComparator own = ix.compare;
    ix.compare = AlwaysAbove;
    Entry probe{};
    int exact = 0;
    int ok = IdxSearch(ix, probe.data(), &exact);
    ix.compare = own;
    return ok && IdxPrev(ix);
  }
  uint64_t Current(const Index& ix) { return KeyOf(ix.currentEntry); }

  // Every entry from the first onwards; fails the test on an error or a walk
  // that does not end.
  std::vector<uint64_t> WalkForward(Index& ix, size_t bound = 1000000) {
    std::vector<uint64_t> seen;
    EXPECT_EQ(First(ix), 1);
    while (ix.positionState != kPosEnd) {
      seen.push_back(Current(ix));
      if (seen.size() > bound) {
        ADD_FAILURE() << "walk does not end";
        break;
      }
      if (!IdxNext(ix)) {
        ADD_FAILURE() << "Next failed with " << IdxGetError();
        break;
      }
    }
    return seen;
  }
  std::vector<uint64_t> WalkBackward(Index& ix, size_t bound = 1000000) {
    std::vector<uint64_t> seen;
    EXPECT_EQ(Last(ix), 1);
    while (ix.positionState != kPosEnd) {
      seen.push_back(Current(ix));
      if (seen.size() > bound) {
        ADD_FAILURE() << "walk does not end";
        break;
      }
      if (!IdxPrev(ix)) {
        ADD_FAILURE() << "Prev failed with " << IdxGetError();
        break;
      }
      if (ix.positionState == kPosBeforeFirst) break;
    }
    return seen;
  }

  void ExpectSound() {
    Shape s = Inspect(path, length_);
    EXPECT_EQ(s.error, "");
  }
  uint32_t Counter() { return PagePrev(FileBytes(path).data()); }
  // Reopens the file after it was changed behind the engine's back.
  int Reopen() {
    IdxClose(index);
    IdxForgetPageBuffer();
    return IdxOpen(index, path);
  }

  TempDir dir;
  std::string path = dir.File("TEST.X1");
  int length_ = 12;
  Index index;
  int expectedChecks_ = 0;  // -1: not counted
  unsigned checksAtStart_ = 0;
};

std::vector<uint64_t> Shuffled(uint64_t from, uint64_t to, uint64_t step, unsigned seed) {
  std::vector<uint64_t> keys;
  for (uint64_t k = from; k <= to; k += step) keys.push_back(k);
  std::mt19937 rng(seed);
  std::shuffle(keys.begin(), keys.end(), rng);
  return keys;
}

std::vector<uint64_t> Sorted(std::vector<uint64_t> keys) {
  std::sort(keys.begin(), keys.end());
  return keys;
}

// ---- The empty index ----

TEST_F(IndexTest, ACreatedIndexIsPageZeroHoldingOnlyTheSentinel) {
  Start(12);
  std::vector<uint8_t> bytes = FileBytes(path);
  ASSERT_EQ(bytes.size(), size_t(kPageSize));
  EXPECT_EQ(PageKind(bytes.data()), kPageLeaf);
  EXPECT_EQ(PagePrev(bytes.data()), 0u);       // change counter
  EXPECT_EQ(PageNext(bytes.data()), kNoPage);  // free-list head
  EXPECT_EQ(PageCount(bytes.data()), 1);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(bytes[size_t(kPageEntriesOffset + i)], 0xFF);
  for (size_t i = kPageEntriesOffset + 12; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], 0) << i;
}

TEST_F(IndexTest, AFreshIndexPositionsOnTheEndFromEitherSide) {
  Start(12);
  ASSERT_EQ(First(index), 1);
  EXPECT_EQ(index.positionState, kPosEnd);
  EXPECT_EQ(index.currentRecord, -1);
  ASSERT_EQ(IdxPrev(index), 1);
  EXPECT_EQ(index.positionState, kPosEnd);
  ASSERT_EQ(IdxNext(index), 1);
  EXPECT_EQ(index.positionState, kPosEnd);
  EXPECT_EQ(index.currentRecord, -1);
  ASSERT_EQ(Last(index), 1);
  EXPECT_EQ(index.positionState, kPosEnd);
}

TEST_F(IndexTest, PositionStatesMarkTheFirstTheLastAndTheEnd) {
  Start(12);
  InsertAll(index, {30, 10, 20});
  ASSERT_EQ(First(index), 1);
  EXPECT_EQ(Current(index), 10u);
  EXPECT_EQ(index.currentRecord, RecordOf(10));
  ASSERT_EQ(IdxPrev(index), 1);
  EXPECT_EQ(index.positionState, kPosBeforeFirst);
  EXPECT_EQ(Current(index), 10u);  // the entry stays
  ASSERT_EQ(IdxNext(index), 1);
  EXPECT_EQ(Current(index), 20u);
  EXPECT_EQ(index.positionState, kPosOrdinary);
  ASSERT_EQ(IdxNext(index), 1);
  EXPECT_EQ(Current(index), 30u);
  EXPECT_EQ(index.positionState, kPosLastReal);
  ASSERT_EQ(IdxNext(index), 1);
  EXPECT_EQ(index.positionState, kPosEnd);
  EXPECT_EQ(index.currentRecord, -1);
  ASSERT_EQ(IdxNext(index), 1);
  EXPECT_EQ(index.positionState, kPosEnd);
  ASSERT_EQ(IdxPrev(index), 1);
  EXPECT_EQ(Current(index), 30u);
}

TEST_F(IndexTest, ASearchStopsAtTheFirstEntryNotBelowTheKey) {
  Start(12);
  InsertAll(index, {10, 20, 30});
  int exact = -1;
  ASSERT_EQ(Find(index, 20, &exact), 1);
  EXPECT_EQ(exact, 1);
  EXPECT_EQ(Current(index), 20u);
  ASSERT_EQ(Find(index, 21, &exact), 1);
  EXPECT_EQ(exact, 0);
  EXPECT_EQ(Current(index), 30u);
  ASSERT_EQ(Find(index, 31, &exact), 1);
  EXPECT_EQ(exact, 0);
  EXPECT_EQ(index.positionState, kPosEnd);
}

// ---- Growth ----

class IndexLengthTest : public IndexTest, public ::testing::WithParamInterface<int> {};
INSTANTIATE_TEST_SUITE_P(EntryLengths, IndexLengthTest, ::testing::Values(12, 62, 74));

TEST_P(IndexLengthTest, TheSentinelTakesASlotSoPageZeroFillsOneEntryEarly) {
  Start(GetParam());
  const int max = MaxEntriesPerPage(GetParam());
  std::vector<uint64_t> keys = Shuffled(1, uint64_t(max), 1, 7);
  // max - 1 entries and the sentinel fill page 0.
  InsertAll(index, std::vector<uint64_t>(keys.begin(), keys.end() - 1));
  std::vector<uint8_t> bytes = FileBytes(path);
  ASSERT_EQ(bytes.size(), size_t(kPageSize));
  EXPECT_EQ(PageCount(bytes.data()), max);
  // The next insert moves the root down to page 1 and splits it.
  ASSERT_EQ(Insert(index, keys.back()), 1);
  bytes = FileBytes(path);
  ASSERT_EQ(bytes.size(), size_t(3 * kPageSize));
  EXPECT_EQ(PageKind(bytes.data()), kPageBranch);
  ASSERT_EQ(PageCount(bytes.data()), 2);
  EXPECT_TRUE(IsSentinelKey(PageEntry(bytes.data(), 1, GetParam()), GetParam()));
  std::set<uint32_t> children = {GetU32(PageEntry(bytes.data(), 0, GetParam())),
                                 GetU32(PageEntry(bytes.data(), 1, GetParam()))};
  EXPECT_EQ(children, (std::set<uint32_t>{1, 2}));
  ExpectSound();
  EXPECT_EQ(WalkForward(index), Sorted(keys));
}

TEST_P(IndexLengthTest, RandomInsertsBuildADeepTreeThatWalksAndSearchesInOrder) {
  Start(GetParam());
  const uint64_t n = GetParam() == 12 ? 3000 : 2500;
  std::vector<uint64_t> keys = Shuffled(2, 2 * n, 2, 11);
  InsertAll(index, keys);
  Shape s = Inspect(path, GetParam());
  ASSERT_EQ(s.error, "");
  EXPECT_GE(s.levels, GetParam() == 12 ? 2 : 3);
  EXPECT_EQ(s.keys, Sorted(keys));
  EXPECT_EQ(WalkForward(index), Sorted(keys));
  std::vector<uint64_t> backward = Sorted(keys);
  std::reverse(backward.begin(), backward.end());
  EXPECT_EQ(WalkBackward(index), backward);
  for (uint64_t k : keys) {
    int exact = 0;
    ASSERT_EQ(Find(index, k, &exact), 1);
    ASSERT_EQ(exact, 1) << k;
    ASSERT_EQ(index.currentRecord, RecordOf(k));
    ASSERT_EQ(Find(index, k - 1, &exact), 1);  // the odd key before it lands on it
    ASSERT_EQ(exact, 0);
    ASSERT_EQ(Current(index), k);
  }
}

TEST_F(IndexTest, AscendingAndDescendingInsertsReachFourLevels) {
  Start(74);
  std::vector<uint64_t> keys;
  // Ascending inserts always go just before the sentinel and leave half-full
  // pages behind; descending ones fill the gaps from the top.
  for (uint64_t k = 1; k <= 5000; ++k) keys.push_back(k * 4);
  for (uint64_t k = 5000; k >= 3000; --k) keys.push_back(k * 4 + 2);
  InsertAll(index, keys);
  Shape s = Inspect(path, 74);
  ASSERT_EQ(s.error, "");
  EXPECT_EQ(s.levels, 4);
  EXPECT_EQ(WalkForward(index), Sorted(keys));
}

TEST_F(IndexTest, EveryUpdateAdvancesTheChangeCounterByOne) {
  Start(12);
  ASSERT_EQ(Counter(), 0u);
  ASSERT_EQ(Insert(index, 5), 1);
  EXPECT_EQ(Counter(), 1u);
  ASSERT_EQ(Insert(index, 6), 1);
  ASSERT_EQ(Remove(index, 5), 1);
  EXPECT_EQ(Counter(), 3u);
}

TEST_F(IndexTest, PageZeroWritesNeverTouchTheLockByte) {
  Start(62);
  PokeByte(path, kIndexLockByte, 0xA5);
  // Fill page 0, move the root, split the root branch, delete back down.
  std::vector<uint64_t> keys = Shuffled(1, 3000, 1, 3);
  InsertAll(index, keys);
  ASSERT_GE(Inspect(path, 62).levels, 3);
  for (size_t i = 0; i < keys.size(); i += 2) ASSERT_EQ(Remove(index, keys[i]), 1);
  EXPECT_EQ(FileBytes(path)[kIndexLockByte], 0xA5);
  ExpectSound();
}

// ---- Deletion ----

TEST_F(IndexTest, DeletingTheGreatestEntryOfALeafRewritesTheKeysAboveIt) {
  Start(62);
  std::vector<uint64_t> keys;
  for (uint64_t k = 1; k <= 2000; ++k) keys.push_back(k);
  InsertAll(index, keys);
  std::vector<uint8_t> bytes = FileBytes(path);
  ASSERT_EQ(Inspect(path, 62).levels, 3);
  // A leaf that is the last child of a branch that is not the root's last child.
  const uint32_t branch = GetU32(PageEntry(bytes.data(), 0, 62));
  const uint8_t* b = PageAt(bytes, branch);
  const uint32_t leaf = GetU32(PageEntry(b, PageCount(b) - 1, 62));
  const uint8_t* l = PageAt(bytes, leaf);
  const uint64_t greatest = KeyOf(PageEntry(l, PageCount(l) - 1, 62));
  const uint64_t below = KeyOf(PageEntry(l, PageCount(l) - 2, 62));
  ASSERT_EQ(KeyOf(PageEntry(bytes.data(), 0, 62)), greatest);

  ASSERT_EQ(Remove(index, greatest), 1);
  bytes = FileBytes(path);
  b = PageAt(bytes, branch);
  EXPECT_EQ(KeyOf(PageEntry(b, PageCount(b) - 1, 62)), below);
  EXPECT_EQ(KeyOf(PageEntry(bytes.data(), 0, 62)), below);
  ExpectSound();
  int exact = 1;
  ASSERT_EQ(Find(index, greatest, &exact), 1);
  EXPECT_EQ(exact, 0);
  EXPECT_EQ(Current(index), greatest + 1);
}

TEST_F(IndexTest, AnEmptiedLeafGoesOnTheFreeListAndTheNextSplitTakesItBack) {
  Start(12);
  std::vector<uint64_t> keys;
  for (uint64_t k = 1; k <= 1000; ++k) keys.push_back(k * 100);
  InsertAll(index, keys);
  Shape before = Inspect(path, 12);
  ASSERT_EQ(before.error, "");
  const std::vector<uint32_t> leaves = before.pagesByLevel.back();
  ASSERT_GE(leaves.size(), 5u);
  const size_t size = FileBytes(path).size();
  // Empty the second and third leaves.
  std::set<uint32_t> emptied = {leaves[1], leaves[2]};
  std::vector<uint64_t> gone;
  for (uint64_t k : keys) {
    int exact = 0;
    ASSERT_EQ(Find(index, k, &exact), 1);
    if (emptied.count(index.page)) gone.push_back(k);
  }
  for (uint64_t k : gone) ASSERT_EQ(Remove(index, k), 1);
  Shape freed = Inspect(path, 12);
  ASSERT_EQ(freed.error, "");
  EXPECT_EQ(std::set<uint32_t>(freed.freePages.begin(), freed.freePages.end()), emptied);
  EXPECT_EQ(FileBytes(path).size(), size);
  // Fill the gaps of the first leaf until both pages are back in the tree;
  // the file does not grow meanwhile.
  uint64_t gap = 1;
  while (!Inspect(path, 12).freePages.empty()) {
    ASSERT_LT(gap, 100000u);
    if (gap % 100 != 0) {
      ASSERT_EQ(Insert(index, gap), 1);
    }
    ++gap;
    ASSERT_EQ(FileBytes(path).size(), size);
  }
  ExpectSound();
  EXPECT_EQ(PageNext(FileBytes(path).data()), kNoPage);
  // With the free list used up, a split appends a page.
  while (FileBytes(path).size() == size) {
    ASSERT_LT(gap, 100000u);
    if (gap % 100 != 0) {
      ASSERT_EQ(Insert(index, gap), 1);
    }
    ++gap;
  }
  EXPECT_EQ(FileBytes(path).size(), size + kPageSize);
  ExpectSound();
}

TEST_F(IndexTest, DeletingEverythingLeavesAWalkableEmptyIndex) {
  Start(62);
  std::vector<uint64_t> keys = Shuffled(1, 1500, 1, 5);
  InsertAll(index, keys);
  std::shuffle(keys.begin(), keys.end(), std::mt19937(6));
  for (uint64_t k : keys) ASSERT_EQ(Remove(index, k), 1);
  Shape s = Inspect(path, 62);
  ASSERT_EQ(s.error, "");
  EXPECT_TRUE(s.keys.empty());
  EXPECT_EQ(WalkForward(index), std::vector<uint64_t>{});
  EXPECT_EQ(WalkBackward(index), std::vector<uint64_t>{});
  // Everything can come back, taking the freed pages first.
  const size_t size = FileBytes(path).size();
  InsertAll(index, keys);
  EXPECT_EQ(FileBytes(path).size(), size);
  EXPECT_EQ(WalkForward(index), Sorted(keys));
  ExpectSound();
}

TEST_F(IndexTest, InsertingAStoredEntryFailsWith8AndChangesNothing) {
  Start(12);
  InsertAll(index, Shuffled(1, 800, 1, 2));
  const std::vector<uint8_t> before = FileBytes(path);
  EXPECT_EQ(Insert(index, 400), -kIdxDuplicate);
  Entry sameKey = MakeEntry(401, 12);
  PutI32(sameKey.data(), 999999);  // another record with the same key
  EXPECT_EQ(IdxInsert(index, sameKey.data()), 0);
  EXPECT_EQ(IdxGetError(), kIdxDuplicate);
  EXPECT_EQ(FileBytes(path), before);
}

TEST_F(IndexTest, DeletingAMissingEntryFailsWith9AndTheSentinelIsNeverDeleted) {
  Start(12);
  InsertAll(index, Shuffled(2, 800, 2, 2));
  const std::vector<uint8_t> before = FileBytes(path);
  EXPECT_EQ(Remove(index, 401), -kIdxNotFound);
  EXPECT_EQ(FileBytes(path), before);
  Entry sentinel;
  sentinel.fill(0xFF);
  EXPECT_EQ(IdxDelete(index, sentinel.data()), 1);
  EXPECT_EQ(FileBytes(path), before);
  EXPECT_EQ(IdxInsert(index, sentinel.data()), 0);
  EXPECT_EQ(IdxGetError(), kIdxDuplicate);
  EXPECT_EQ(FileBytes(path), before);
}

TEST_F(IndexTest, RandomInsertsAndDeletesKeepTheTreeSound) {
  for (int length : {12, 62}) {
    SCOPED_TRACE(length);
    Start(length);
    std::set<uint64_t> model;
    std::mt19937 rng{unsigned(length)};
    std::uniform_int_distribution<uint64_t> pick(1, 2500);
    for (int op = 1; op <= 6000; ++op) {
      const uint64_t k = pick(rng);
      // Deletes outweigh inserts in the second half, so pages empty again.
      const bool add = (rng() % 100) < (op <= 3000 ? 65u : 35u);
      if (add) {
        ASSERT_EQ(Insert(index, k), model.insert(k).second ? 1 : -kIdxDuplicate);
      } else {
        ASSERT_EQ(Remove(index, k), model.erase(k) ? 1 : -kIdxNotFound);
      }
      if (op % 1000 == 0) {
        Shape s = Inspect(path, length);
        ASSERT_EQ(s.error, "") << "after " << op;
        const std::vector<uint64_t> expected(model.begin(), model.end());
        ASSERT_EQ(s.keys, expected);
        ASSERT_EQ(WalkForward(index), expected);
        ASSERT_EQ(WalkBackward(index), std::vector<uint64_t>(model.rbegin(), model.rend()));
      }
    }
    IdxClose(index);
  }
}

// ---- The update marker and corrupt files ----

TEST_F(IndexTest, AnIndexLeftInTheMiddleOfAnUpdateCannotBeOpened) {
  Start(12);
  InsertAll(index, {1, 2, 3});
  PokeU32(path, kPagePrevOffset, kCounterUpdating);
  IdxForgetPageBuffer();
  // A handle that is already open sees the marker under the lock.
  int exact = 0;
  EXPECT_EQ(Find(index, 2, &exact), 0);
  EXPECT_EQ(IdxGetError(), kIdxCorrupt);
  EXPECT_EQ(Insert(index, 4), -kIdxCorrupt);
  IdxClose(index);
  Index again(DefFor(12));
  EXPECT_EQ(IdxOpen(again, path), 0);
  EXPECT_EQ(IdxGetError(), kIdxCorrupt);
  EXPECT_FALSE(again.file.IsOpen());
}

class CorruptIndexTest : public IndexTest {
 protected:
  // A two-level index with leaves of about 84 entries: keys 10, 20, ... 10000.
  void SetUp() override {
    IndexTest::SetUp();
    Start(12);
    std::vector<uint64_t> keys;
    for (uint64_t k = 1; k <= 1000; ++k) keys.push_back(k * 10);
    InsertAll(index, keys);
    Shape s = Inspect(path, 12);
    ASSERT_EQ(s.error, "");
    ASSERT_EQ(s.levels, 2);
    leaves = s.pagesByLevel[1];
    ASSERT_GE(leaves.size(), 4u);
    IdxClose(index);
    IdxForgetPageBuffer();
  }
  int64_t At(uint32_t page, int offset) { return int64_t(page) * kPageSize + offset; }
  // A key held by the given leaf.
  uint64_t KeyIn(uint32_t leaf) { return KeyOf(PageEntry(PageAt(FileBytes(path), leaf), 0, 12)); }
  // Opens, searches for the key and expects code 7.
  void ExpectSearchCorrupt(uint64_t key) {
    ASSERT_EQ(IdxOpen(index, path), 1);
    int exact = 0;
    EXPECT_EQ(Find(index, key, &exact), 0);
    EXPECT_EQ(IdxGetError(), kIdxCorrupt);
    EXPECT_EQ(Insert(index, key + 1), -kIdxCorrupt);
    EXPECT_EQ(Remove(index, key), -kIdxCorrupt);
  }
  std::vector<uint32_t> leaves;
};

TEST_F(CorruptIndexTest, APageZeroOfUnknownKindIsRefusedAtOpen) {
  PokeByte(path, 0, 7);
  EXPECT_EQ(IdxOpen(index, path), 0);
  EXPECT_EQ(IdxGetError(), kIdxCorrupt);
}

TEST_F(CorruptIndexTest, AnEmptyOrTruncatedFileIsCorrupt) {
  ReplaceFile(path, {});
  EXPECT_EQ(IdxOpen(index, path), 0);
  EXPECT_EQ(IdxGetError(), kIdxCorrupt);
  ReplaceFile(path, std::vector<uint8_t>(100, 0));
  EXPECT_EQ(IdxOpen(index, path), 0);
  EXPECT_EQ(IdxGetError(), kIdxCorrupt);
}

TEST_F(CorruptIndexTest, ALeafCountAboveTheMaximumIsCorrupt) {
  const uint64_t key = KeyIn(leaves[1]);
  PokeU16(path, At(leaves[1], kPageCountOffset), uint16_t(MaxEntriesPerPage(12) + 1));
  ExpectSearchCorrupt(key);
}

TEST_F(CorruptIndexTest, AnEmptyLeafInTheTreeIsCorrupt) {
  const uint64_t key = KeyIn(leaves[1]);
  PokeU16(path, At(leaves[1], kPageCountOffset), 0);
  ExpectSearchCorrupt(key);
}

TEST_F(CorruptIndexTest, ANextLinkOfZeroIsCorrupt) {
  const uint64_t key = KeyIn(leaves[1]);
  PokeU32(path, At(leaves[1], kPageNextOffset), 0);
  ExpectSearchCorrupt(key);
}

TEST_F(CorruptIndexTest, ALinkToItselfIsCorrupt) {
  const uint64_t key = KeyIn(leaves[1]);
  PokeU32(path, At(leaves[1], kPageNextOffset), leaves[1]);
  ExpectSearchCorrupt(key);
  IdxClose(index);
  PokeU32(path, At(leaves[1], kPageNextOffset), leaves[2]);
  PokeU32(path, At(leaves[1], kPagePrevOffset), leaves[1]);
  ExpectSearchCorrupt(key);
}

TEST_F(CorruptIndexTest, AChildBeyondTheEndOfTheFileIsCorrupt) {
  PokeU32(path, At(0, kPageEntriesOffset), 5000);  // the first leaf's entry in the root
  ExpectSearchCorrupt(10);
}

TEST_F(CorruptIndexTest, ASentinelBeforeTheLastSlotIsCorrupt) {
  const uint64_t key = KeyIn(leaves[1]);
  uint8_t ff[12];
  std::memset(ff, 0xFF, sizeof ff);
  WriteBytes(path, At(leaves[1], kPageEntriesOffset + 12 * 3), ff, sizeof ff);
  ExpectSearchCorrupt(key);
}

TEST_F(CorruptIndexTest, AWalkIntoAFreePageFailsWith7) {
  PokeByte(path, At(leaves[1], kPageKindOffset), kPageFree);
  ASSERT_EQ(IdxOpen(index, path), 1);
  ASSERT_EQ(First(index), 1);
  int code = 0;
  for (int step = 0; step < 2000 && code == 0; ++step)
    if (!IdxNext(index)) code = IdxGetError();
  EXPECT_EQ(code, kIdxCorrupt);
}

TEST_F(CorruptIndexTest, ALoopInTheLeafChainEndsTheWalkWith7) {
  // The third leaf leads back to the first, which links back to it.
  PokeU32(path, At(leaves[2], kPageNextOffset), leaves[0]);
  PokeU32(path, At(leaves[0], kPagePrevOffset), leaves[2]);
  ASSERT_EQ(IdxOpen(index, path), 1);
  ASSERT_EQ(First(index), 1);
  int code = 0;
  for (int step = 0; step < 5000 && code == 0; ++step)
    if (!IdxNext(index)) code = IdxGetError();
  EXPECT_EQ(code, kIdxCorrupt);
  // Backwards, the first leaf's claimed predecessor holds greater keys.
  ASSERT_EQ(First(index), 1);
  EXPECT_EQ(IdxPrev(index), 0);
  EXPECT_EQ(IdxGetError(), kIdxCorrupt);
}

TEST_F(CorruptIndexTest, UnsortedEntriesCannotMakeAWalkGoRound) {
  // A loop leads from the second leaf back to the first, whose first entry
  // is greater than anything in the second: only the order inside the page
  // gives the loop away.
  PokeU32(path, At(leaves[1], kPageNextOffset), leaves[0]);
  PokeU32(path, At(leaves[0], kPagePrevOffset), leaves[1]);
  Entry big = MakeEntry(99999, 12);
  WriteBytes(path, At(leaves[0], kPageEntriesOffset), big.data(), 12);
  ASSERT_EQ(IdxOpen(index, path), 1);
  int exact = 0;
  ASSERT_EQ(Find(index, KeyIn(leaves[1]), &exact), 1);
  int code = 0;
  for (int step = 0; step < 5000 && code == 0; ++step)
    if (!IdxNext(index)) code = IdxGetError();
  EXPECT_EQ(code, kIdxCorrupt);
}

TEST_F(CorruptIndexTest, ABranchThatLeadsDeeperThanFiveLevelsIsCorrupt) {
  expectedChecks_ = -1;
  // The root's first child becomes a branch that names itself.
  PageImage image(12);
  image.Set(0, kPageBranch, 0, kNoPage, {{1, kSentinelKey}});
  image.Set(1, kPageBranch, kNoPage, kNoPage, {{1, kSentinelKey}});
  image.Save(path);
  const unsigned before = CheckFailureCount();
  ExpectSearchCorrupt(5);
  EXPECT_GT(CheckFailureCount(), before);
}

TEST_F(CorruptIndexTest, AFreeListNamingALivePageIsCorrupt) {
  PokeU32(path, At(0, kPageNextOffset), leaves[1]);
  ASSERT_EQ(IdxOpen(index, path), 1);
  // Fill a leaf until it splits and needs a page.
  int result = 1;
  for (uint64_t k = 1; k < 10 && result == 1; ++k) result = Insert(index, k);
  for (uint64_t k = 11; k < 20 && result == 1; ++k) result = Insert(index, k);
  for (uint64_t g = 21; g < 1000 && result == 1; ++g)
    if (g % 10) result = Insert(index, g);
  EXPECT_EQ(result, -kIdxCorrupt);
}

TEST_F(CorruptIndexTest, RandomDamageNeverCrashesOrWalksForever) {
  expectedChecks_ = -1;
  // Add some free pages to the picture.
  ASSERT_EQ(IdxOpen(index, path), 1);
  for (uint64_t k = 2000; k <= 3500; k += 10) ASSERT_EQ(Remove(index, k), 1);
  IdxClose(index);
  const std::vector<uint8_t> sound = FileBytes(path);
  const size_t pages = sound.size() / kPageSize;
  std::mt19937 rng(20240501);
  const std::set<int> codes = {kIdxShortRead, kIdxShortWrite, kIdxSeekFailed,
                               kIdxCorrupt,   kIdxDuplicate,  kIdxNotFound};
  auto acceptable = [&](int result) { return result == 1 || codes.count(IdxGetError()) == 1; };
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8_t> bytes = sound;
    const int flips = 1 + int(rng() % 6);
    for (int i = 0; i < flips; ++i) {
      // Mostly headers and early entries, where the structure lives.
      const size_t page = rng() % pages;
      const size_t offset = (rng() % 3 == 0) ? rng() % kPageSize : rng() % 40;
      if (page == 0 && offset == size_t(kIndexLockByte)) continue;
      bytes[page * kPageSize + offset] = uint8_t(rng());
    }
    ReplaceFile(path, bytes);
    IdxForgetPageBuffer();
    if (!IdxOpen(index, path)) {
      EXPECT_TRUE(codes.count(IdxGetError())) << IdxGetError();
      continue;
    }
    const size_t bound = pages * size_t(MaxEntriesPerPage(12)) + 5;
    int exact = 0;
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(acceptable(Find(index, rng() % 11000, &exact)));
    if (First(index)) {
      size_t steps = 0;
      int ok = 1;
      while (ok && index.positionState != kPosEnd && steps++ <= bound) ok = IdxNext(index);
      EXPECT_LE(steps, bound) << "round " << round;
      EXPECT_TRUE(acceptable(ok));
    }
    if (Last(index)) {
      size_t steps = 0;
      int ok = 1;
      while (ok && index.positionState != kPosBeforeFirst && index.positionState != kPosEnd &&
             steps++ <= bound)
        ok = IdxPrev(index);
      EXPECT_LE(steps, bound) << "round " << round;
      EXPECT_TRUE(acceptable(ok));
    }
    for (int i = 0; i < 5; ++i) {
      const uint64_t k = rng() % 11000;
      EXPECT_TRUE(acceptable(Insert(index, k) == 1));
      EXPECT_TRUE(acceptable(Remove(index, k * 10 % 11000) == 1));
    }
    IdxClose(index);
  }
}

TEST_F(IndexTest, ATreeAtTheDepthLimitRefusesToGrowAndStaysUsable) {
  expectedChecks_ = 1;
  // Five levels whose rightmost path is full all the way down; the other
  // children are never visited by the searches below.
  const int length = 74;
  const int max = MaxEntriesPerPage(length);
  PageImage image(length);
  for (uint32_t level = 0; level < 4; ++level) {
    std::vector<std::pair<uint32_t, uint64_t>> entries;
    for (int i = 0; i < max - 1; ++i) entries.push_back({5, uint64_t(i + 1)});
    entries.push_back({level + 1, kSentinelKey});
    image.Set(level, kPageBranch, level == 0 ? 0 : kNoPage, kNoPage, entries);
  }
  std::vector<std::pair<uint32_t, uint64_t>> leafEntries;
  for (int i = 0; i < max - 1; ++i) leafEntries.push_back({7, uint64_t(100 + i)});
  leafEntries.push_back({kNoPage, kSentinelKey});
  image.Set(4, kPageLeaf, kNoPage, kNoPage, leafEntries);
  image.Set(5, kPageLeaf, kNoPage, kNoPage, {{1, 1}, {1, kSentinelKey}});
  image.Save(path);
  length_ = length;
  index = Index(DefFor(length));
  ASSERT_EQ(IdxOpen(index, path), 1);
  int exact = 0;
  ASSERT_EQ(Find(index, 105, &exact), 1);
  EXPECT_EQ(exact, 1);
  const std::vector<uint8_t> before = FileBytes(path);
  EXPECT_EQ(Insert(index, 500), -kIdxCorrupt);
  EXPECT_EQ(FileBytes(path), before);
  // Room elsewhere is still usable: deleting makes room in the full leaf.
  ASSERT_EQ(Remove(index, 105), 1);
  EXPECT_EQ(Insert(index, 500), 1);
}

// ---- The index lock ----

TEST_F(IndexTest, AnUpdateWaitsForTheIndexLockThenAsksAndCancelFailsWith6) {
  FastTicks ticks;
  Start(12);
  InsertAll(index, {1, 2, 3});
  ASSERT_EQ(First(index), 1);
  File otherWorkstation;
  ASSERT_TRUE(otherWorkstation.Open(path, OpenMode::kShared));
  ASSERT_EQ(otherWorkstation.TryLock(kIndexLockByte), LockResult::kGranted);
  const std::vector<uint8_t> before = FileBytes(path);
  int asked = 0;
  IdxSetLockRetry([&] {
    ++asked;
    return false;
  });
  EXPECT_EQ(Insert(index, 4), -kIdxLockTimedOut);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(Remove(index, 2), -kIdxLockTimedOut);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(FileBytes(path), before);
  // On a local disk a walker's step reads page 0's counter without the
  // lock: nothing has changed, so it steps on without being asked.
  EXPECT_EQ(IdxNext(index), 1);
  EXPECT_EQ(asked, 2);

  // Retry: the other workstation lets go while the question is up.
  asked = 0;
  IdxSetLockRetry([&] {
    ++asked;
    otherWorkstation.Unlock(kIndexLockByte);
    return true;
  });
  EXPECT_EQ(Insert(index, 4), 1);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(WalkForward(index), (std::vector<uint64_t>{1, 2, 3, 4}));
}

TEST_F(IndexTest, TwoHandlesInOneProcessShareTheLockLikeTwoWorkstations) {
  FastTicks ticks;
  Start(12);
  Index other = OpenOther();
  int asked = 0;
  IdxSetLockRetry([&] {
    ++asked;
    return false;
  });
  // Between operations neither handle holds the lock.
  ASSERT_EQ(Insert(index, 1), 1);
  ASSERT_EQ(Insert(other, 2), 1);
  EXPECT_EQ(asked, 0);
  EXPECT_FALSE(other.file.IsLockedElsewhere(kIndexLockByte));
  EXPECT_EQ(WalkForward(other), (std::vector<uint64_t>{1, 2}));
}

TEST_F(IndexTest, AnotherProcessHoldingTheIndexLockMakesAnInsertWait) {
  FastTicks ticks;
  Start(12);
  InsertAll(index, {1, 2});
  LockHolder holder(path, kIndexLockByte);
  ASSERT_TRUE(holder.Held());
  const std::vector<uint8_t> before = FileBytes(path);
  IdxSetLockRetry([] { return false; });
  EXPECT_EQ(Insert(index, 3), -kIdxLockTimedOut);
  EXPECT_EQ(FileBytes(path), before);
  int asked = 0;
  IdxSetLockRetry([&] {
    ++asked;
    holder.Release();
    return true;
  });
  EXPECT_EQ(Insert(index, 3), 1);
  EXPECT_EQ(asked, 1);
}

TEST_F(IndexTest, OpeningWaitsForTheLockToo) {
  FastTicks ticks;
  Start(12);
  IdxClose(index);
  LockHolder holder(path, kIndexLockByte);
  ASSERT_TRUE(holder.Held());
  IdxSetLockRetry([] { return false; });
  Index again(DefFor(12));
  EXPECT_EQ(IdxOpen(again, path), 0);
  EXPECT_EQ(IdxGetError(), kIdxLockTimedOut);
  EXPECT_FALSE(again.file.IsOpen());
}

// ---- Walkers and other handles ----

TEST_F(IndexTest, AWalkerWhoseEntryIsDeletedElsewhereContinuesWithItsSuccessor) {
  Start(12);
  InsertAll(index, Shuffled(10, 3000, 10, 4));
  Index other = OpenOther();
  int exact = 0;
  ASSERT_EQ(Find(index, 500, &exact), 1);
  ASSERT_EQ(Remove(other, 500), 1);
  ASSERT_EQ(IdxNext(index), 1);
  EXPECT_EQ(Current(index), 510u);
  // Backwards likewise: the entry before the deleted one comes next.
  ASSERT_EQ(Remove(other, 510), 1);
  ASSERT_EQ(IdxPrev(index), 1);
  EXPECT_EQ(Current(index), 490u);
}

TEST_F(IndexTest, AnEntryInsertedJustAheadOfAWalkerIsSeenNext) {
  Start(12);
  InsertAll(index, Shuffled(10, 3000, 10, 4));
  Index other = OpenOther();
  int exact = 0;
  ASSERT_EQ(Find(index, 500, &exact), 1);
  ASSERT_EQ(Insert(other, 505), 1);
  ASSERT_EQ(IdxNext(index), 1);
  EXPECT_EQ(Current(index), 505u);
  ASSERT_EQ(Insert(other, 502), 1);
  ASSERT_EQ(IdxPrev(index), 1);
  EXPECT_EQ(Current(index), 502u);
}

TEST_F(IndexTest, AWalkerKeepsItsPlaceAcrossItsOwnUpdates) {
  Start(12);
  InsertAll(index, Shuffled(10, 3000, 10, 4));
  int exact = 0;
  ASSERT_EQ(Find(index, 500, &exact), 1);
  Entry mine;
  std::memcpy(mine.data(), index.currentEntry, mine.size());
  // Deleting its own entry leaves the walker between the neighbours.
  ASSERT_EQ(IdxDelete(index, mine.data()), 1);
  ASSERT_EQ(IdxNext(index), 1);
  EXPECT_EQ(Current(index), 510u);
  // After an insert the walker stands on the new entry.
  ASSERT_EQ(Insert(index, 515), 1);
  ASSERT_EQ(IdxNext(index), 1);
  EXPECT_EQ(Current(index), 520u);
  ASSERT_EQ(Insert(index, 517), 1);
  ASSERT_EQ(IdxPrev(index), 1);
  EXPECT_EQ(Current(index), 515u);
}

// Another handle inserts and deletes after every step of a walker, now and
// then deleting a whole run of entries so that pages empty and are freed.
// The walker sees only entries that exist, in order, each once, and every
// entry that stayed ahead of it.
TEST_F(IndexTest, AWalkerSeesEveryEntryOnceWhileAnotherHandleSplitsAndFreesPages) {
  for (int length : {12, 62}) {
    SCOPED_TRACE(length);
    Start(length);
    std::vector<uint64_t> keys;
    for (uint64_t k = 10; k <= 10000; k += 10) keys.push_back(k);
    InsertAll(index, keys);
    Index other = OpenOther();
    std::set<uint64_t> present(keys.begin(), keys.end());
    std::set<uint64_t> mustSee = present;  // ahead of the walker and never deleted
    std::mt19937 rng{unsigned(length)};
    std::vector<uint64_t> seen;
    bool pagesFreed = false;
    ASSERT_EQ(First(index), 1);
    while (index.positionState != kPosEnd) {
      const uint64_t at = Current(index);
      ASSERT_TRUE(present.count(at)) << "walked onto " << at << ", which is not stored";
      seen.push_back(at);
      ASSERT_LT(seen.size(), 100000u);
      auto remove = [&](uint64_t k) {
        ASSERT_EQ(Remove(other, k), 1);
        present.erase(k);
        mustSee.erase(k);
      };
      for (int i = 0; i < 3; ++i) {
        const uint64_t k = 1 + rng() % 10000;
        if (present.count(k)) {
          remove(k);  // the walker's own entry included
        } else {
          ASSERT_EQ(Insert(other, k), 1);
          present.insert(k);
          if (k > at) mustSee.insert(k);
        }
      }
      if (seen.size() % 40 == 0) {
        auto from = present.lower_bound(1 + rng() % 10000);
        std::vector<uint64_t> run;
        for (; from != present.end() && run.size() < 200; ++from) run.push_back(*from);
        for (uint64_t k : run) remove(k);
        pagesFreed = pagesFreed || !Inspect(path, length).freePages.empty();
      }
      ASSERT_EQ(IdxNext(index), 1);
    }
    EXPECT_TRUE(pagesFreed);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end());
    std::set<uint64_t> seenSet(seen.begin(), seen.end());
    for (uint64_t k : mustSee) ASSERT_TRUE(seenSet.count(k)) << "missed " << k;
    ExpectSound();
    IdxClose(other);
    IdxClose(index);
  }
}

TEST_F(IndexTest, AWalkerNoticesChangesMadeByAnotherProcess) {
  Start(12);
  InsertAll(index, Shuffled(10, 3000, 10, 4));
  int exact = 0;
  ASSERT_EQ(Find(index, 500, &exact), 1);
  ASSERT_EQ(IdxNext(index), 1);  // on 510, its page in the buffer
  pid_t child = fork();
  if (child == 0) {
    Index other(DefFor(12));
    bool ok = IdxOpen(other, path) && Remove(other, 510) == 1 && Remove(other, 520) == 1 &&
              Insert(other, 525) == 1;
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_EQ(IdxNext(index), 1);
  EXPECT_EQ(Current(index), 525u);
  ASSERT_EQ(IdxNext(index), 1);
  EXPECT_EQ(Current(index), 530u);
}

}  // namespace
