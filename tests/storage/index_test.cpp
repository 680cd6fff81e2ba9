// Index files on real files: the empty index, growth by root move-down and
// splits, deletion with key rewrites and freed pages, the update marker,
// corrupt files, the index lock between handles and processes, walkers
// that keep their place while other handles change the tree, and pages kept
// between operations, which must still show every change another
// workstation (or another handle of this process) makes.
#include "storage/index.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "storage/check.h"
#include "storage/errors.h"
#include "storage/index_keep.h"
#include "storage/le.h"
#include "storage/lockwait.h"
#include "storage/records/keys.h"
#include "tests/support/lock_holder.h"
#include "tests/support/temp_dir.h"
#include "tools/index_walk.h"

namespace {

// Index entries: a record number, an 8-byte big-endian key (so byte order is
// key order) and filler, which follows from the key, up to the entry length.
using Entry = std::array<uint8_t, kEntryBufferSize>;
constexpr uint64_t kSentinelKey = ~uint64_t(0);

inline int CompareKeys(const uint8_t* a, const uint8_t* b) {
  return std::memcmp(a + 4, b + 4, 8);
}
// Comparators that put a search before the first or past the last entry.
inline int AlwaysBelow(const uint8_t*, const uint8_t*) {
  return -1;
}
inline int AlwaysAbove(const uint8_t*, const uint8_t*) {
  return 1;
}
inline IndexDef DefFor(int length) {
  return {uint16_t(length), nullptr, CompareKeys};
}

inline int32_t RecordOf(uint64_t key) {
  return int32_t(key % 1000003u);
}

inline Entry MakeEntry(uint64_t key, int length = 12) {
  Entry e{};
  if (key == kSentinelKey) {
    std::memset(e.data(), 0xFF, size_t(length));
    return e;
  }
  PutI32(e.data(), RecordOf(key));
  for (int i = 0; i < 8; ++i) e[size_t(4 + i)] = uint8_t(key >> (56 - 8 * i));
  for (int i = 12; i < length; ++i) e[size_t(i)] = uint8_t((key + uint64_t(i)) & 0x7F);
  return e;
}

inline uint64_t KeyOf(const uint8_t* entry) {
  uint64_t key = 0;
  for (int i = 0; i < 8; ++i) key = key << 8 | entry[4 + i];
  return key;
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
// Writes a little-endian value of `width` bytes.
void Poke(const std::string& path, int64_t offset, uint32_t v, int width = 4) {
  uint8_t b[4];
  PutU32(b, v);
  WriteBytes(path, offset, b, size_t(width));
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

// What the administrator's check finds in the file (empty when it is
// sound), and where its leaves and free pages are.
struct Shape {
  std::string error;
  int levels = 0;
  std::vector<uint64_t> keys;       // leaf entries in order, sentinel left out
  std::vector<uint32_t> leaves;     // in key order
  std::vector<uint32_t> freePages;  // in free-list order
};

Shape Inspect(const std::string& path, int length) {
  Shape s;
  File file;
  EXPECT_TRUE(file.Open(path, OpenMode::kReadOnly));
  IndexWalk walk;
  WalkIndex(file, DefFor(length), &walk);
  for (const std::string& problem : walk.problems) s.error += problem + "; ";
  if (!walk.readable || !walk.problems.empty()) return s;
  s.levels = walk.depth;
  for (const auto& entry : walk.entries) s.keys.push_back(KeyOf(entry.data()));
  const std::vector<uint8_t> bytes = FileBytes(path);
  uint32_t n = 0;
  while (PageKind(PageAt(bytes, n)) == kPageBranch)
    n = GetU32(PageEntry(PageAt(bytes, n), 0, length));
  for (; n != kNoPage && s.leaves.size() < bytes.size(); n = PageNext(PageAt(bytes, n)))
    s.leaves.push_back(n);
  for (n = PageNext(bytes.data()); n != kNoPage; n = PageNext(PageAt(bytes, n)))
    s.freePages.push_back(n);
  return s;
}

// A hand-built index file: per page its kind, links and entries (number,
// key; kSentinelKey for the sentinel key).
using PageEntries = std::vector<std::pair<uint32_t, uint64_t>>;
struct PageImage {
  int length;
  std::vector<uint8_t> bytes;
  void Set(uint32_t n, uint8_t kind, uint32_t prev, uint32_t next, const PageEntries& entries) {
    if (bytes.size() < size_t(n + 1) * kPageSize) bytes.resize(size_t(n + 1) * kPageSize, 0);
    uint8_t* p = bytes.data() + size_t(n) * kPageSize;
    p[kPageKindOffset] = kind;
    PutU32(p + kPagePrevOffset, prev);
    PutU32(p + kPageNextOffset, next);
    PutU16(p + kPageCountOffset, uint16_t(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
      Entry made = MakeEntry(entries[i].second, length);
      PutU32(made.data(), entries[i].first);
      std::memcpy(PageEntry(p, int(i), length), made.data(), size_t(length));
    }
  }
};

// Keys from `from` to `to` by `step`, shuffled by `seed` unless it is 0.
std::vector<uint64_t> Keys(uint64_t from, uint64_t to, uint64_t step, unsigned seed = 0) {
  std::vector<uint64_t> keys;
  for (uint64_t k = from; k <= to; k += step) keys.push_back(k);
  if (seed) std::shuffle(keys.begin(), keys.end(), std::mt19937(seed));
  return keys;
}

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

  // Creates the index file, opens `index` on it and inserts `keys`.
  void Start(int length, const std::vector<uint64_t>& keys = {}) {
    length_ = length;
    index = Index(DefFor(length));
    ASSERT_EQ(IdxCreate(index, path), 1);
    ASSERT_EQ(IdxOpen(index, path), 1);
    InsertAll(index, keys);
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
  // Whether a search lands on the key exactly (1 or 0), or the index code
  // of the failure.
  int Find(Index& ix, uint64_t key) {
    Entry e = MakeEntry(key, length_);
    int exact = 0;
    return IdxSearch(ix, e.data(), &exact) ? exact : -IdxGetError();
  }
  void InsertAll(Index& ix, const std::vector<uint64_t>& keys) {
    for (uint64_t k : keys) ASSERT_EQ(Insert(ix, k), 1) << "key " << k;
  }
  // The first and last entries, as the record engine positions on them.
  int Position(Index& ix, KeyComparator probe) {
    KeyComparator own = ix.compare;
    ix.compare = probe;
    Entry any{};
    int exact = 0;
    int ok = IdxSearch(ix, any.data(), &exact);
    ix.compare = own;
    return ok;
  }
  int First(Index& ix) { return Position(ix, AlwaysBelow); }
  int Last(Index& ix) { return Position(ix, AlwaysAbove) && IdxPrev(ix); }
  uint64_t Current(const Index& ix) { return KeyOf(ix.currentEntry); }

  // Every entry from the first onwards (or from the last backwards); fails
  // the test on an error or a walk that does not end.
  std::vector<uint64_t> Walk(Index& ix, bool forward = true) {
    std::vector<uint64_t> seen;
    EXPECT_EQ(forward ? First(ix) : Last(ix), 1);
    while (ix.positionState != kPosEnd && ix.positionState != kPosBeforeFirst) {
      seen.push_back(Current(ix));
      if (seen.size() > 1000000) {
        ADD_FAILURE() << "walk does not end";
        break;
      }
      if (!(forward ? IdxNext(ix) : IdxPrev(ix))) {
        ADD_FAILURE() << "step failed with " << IdxGetError();
        break;
      }
    }
    return seen;
  }
  // Walks both ways and expects exactly these keys.
  void ExpectWalks(Index& ix, std::vector<uint64_t> keys) {
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(Walk(ix), keys);
    std::reverse(keys.begin(), keys.end());
    EXPECT_EQ(Walk(ix, false), keys);
  }

  void ExpectSound() { EXPECT_EQ(Inspect(path, length_).error, ""); }
  // The file is sound and holds exactly these keys; its shape.
  Shape ExpectHolds(std::vector<uint64_t> keys) {
    Shape s = Inspect(path, length_);
    EXPECT_EQ(s.error, "");
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(s.keys, keys);
    return s;
  }
  // Runs `work` in a child process with its own handle on the index, as
  // another workstation; true when the child reports success.
  bool OtherWorkstation(const std::function<bool(Index&)>& work) {
    const pid_t pid = fork();
    if (pid == 0) {
      Index ix(DefFor(length_));
      _exit(IdxOpen(ix, path) == 1 && work(ix) ? 0 : 1);
    }
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
  }
  uint32_t Counter() { return PagePrev(FileBytes(path).data()); }

  TempDir dir;
  std::string path = dir.File("TEST.X1");
  int length_ = 12;
  Index index;
  int expectedChecks_ = 0;  // -1: not counted
  unsigned checksAtStart_ = 0;
};

// ---- The empty index and positions ----

TEST_F(IndexTest, ACreatedIndexIsPageZeroHoldingOnlyTheSentinelAndWalksToTheEnd) {
  Start(12);
  std::vector<uint8_t> bytes = FileBytes(path);
  ASSERT_EQ(bytes.size(), size_t(kPageSize));
  EXPECT_EQ(PageKind(bytes.data()), kPageLeaf);
  EXPECT_EQ(PagePrev(bytes.data()), 0u);       // change counter
  EXPECT_EQ(PageNext(bytes.data()), kNoPage);  // free-list head
  EXPECT_EQ(PageCount(bytes.data()), 1);
  EXPECT_TRUE(IsSentinel(bytes.data() + kPageEntriesOffset, 12));
  for (size_t i = kPageEntriesOffset + 12; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], 0) << i;
  // From either side a fresh index stands on the end.
  for (auto step : {&IdxPrev, &IdxNext}) {
    ASSERT_EQ(First(index), 1);
    EXPECT_EQ(index.positionState, kPosEnd);
    ASSERT_EQ(step(index), 1);
    EXPECT_EQ(index.positionState, kPosEnd);
    EXPECT_EQ(index.currentRecord, -1);
  }
  ASSERT_EQ(Last(index), 1);
  EXPECT_EQ(index.positionState, kPosEnd);
}

TEST_F(IndexTest, PositionStatesMarkTheFirstTheLastAndTheEnd) {
  Start(12, {30, 10, 20});
  ASSERT_EQ(First(index), 1);
  EXPECT_EQ(index.currentRecord, RecordOf(10));
  struct Step {
    int (*move)(Index&);
    uint64_t key;  // 0: on the end
    int32_t state;
  };
  const Step steps[] = {{IdxPrev, 10, kPosBeforeFirst},  // the entry stays
                        {IdxNext, 20, kPosOrdinary},    {IdxNext, 30, kPosLastReal},
                        {IdxNext, 0, kPosEnd},          {IdxNext, 0, kPosEnd},
                        {IdxPrev, 30, kPosOrdinary}};
  for (const Step& s : steps) {
    ASSERT_EQ(s.move(index), 1);
    EXPECT_EQ(index.positionState, s.state);
    if (s.key) {
      EXPECT_EQ(Current(index), s.key);
    }
    EXPECT_EQ(index.currentRecord, s.key ? RecordOf(s.key) : -1);
  }
}

TEST_F(IndexTest, ASearchStopsAtTheFirstEntryNotBelowTheKey) {
  Start(12, {10, 20, 30});
  const struct {
    uint64_t key;
    int exact;
    uint64_t landsOn;  // 0: the end
  } cases[] = {{20, 1, 20}, {21, 0, 30}, {31, 0, 0}, {1, 0, 10}};
  for (const auto& c : cases) {
    EXPECT_EQ(Find(index, c.key), c.exact) << c.key;
    if (c.landsOn) {
      EXPECT_EQ(Current(index), c.landsOn) << c.key;
    }
    EXPECT_EQ(index.positionState == kPosEnd, c.landsOn == 0) << c.key;
  }
}

// ---- Growth ----

class IndexLengthTest : public IndexTest, public ::testing::WithParamInterface<int> {};
INSTANTIATE_TEST_SUITE_P(EntryLengths, IndexLengthTest, ::testing::Values(12, 62, 74));

TEST_P(IndexLengthTest, TheSentinelTakesASlotSoPageZeroFillsOneEntryEarly) {
  const int length = GetParam();
  Start(length);
  const int max = MaxEntriesPerPage(length);
  std::vector<uint64_t> keys = Keys(1, uint64_t(max), 1, 7);
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
  EXPECT_TRUE(IsSentinelKey(PageEntry(bytes.data(), 1, length), length));
  std::set<uint32_t> children = {GetU32(PageEntry(bytes.data(), 0, length)),
                                 GetU32(PageEntry(bytes.data(), 1, length))};
  EXPECT_EQ(children, (std::set<uint32_t>{1, 2}));
  ExpectSound();
  ExpectWalks(index, keys);
}

TEST_P(IndexLengthTest, RandomInsertsBuildADeepTreeThatWalksAndSearchesInOrder) {
  const int length = GetParam();
  const uint64_t n = length == 12 ? 3000 : 2500;
  std::vector<uint64_t> keys = Keys(2, 2 * n, 2, 11);
  Start(length, keys);
  EXPECT_GE(ExpectHolds(keys).levels, length == 12 ? 2 : 3);
  ExpectWalks(index, keys);
  for (uint64_t k : keys) {
    ASSERT_EQ(Find(index, k), 1) << k;
    ASSERT_EQ(index.currentRecord, RecordOf(k));
    ASSERT_EQ(Find(index, k - 1), 0);  // the odd key before it lands on it
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
  EXPECT_EQ(ExpectHolds(keys).levels, 4);
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(Walk(index), keys);
}

TEST_F(IndexTest, EveryUpdateAdvancesTheChangeCounterAndNeverTouchesTheLockByte) {
  Start(62);
  Poke(path, kIndexLockByte, 0xA5, 1);
  ASSERT_EQ(Insert(index, 5), 1);
  EXPECT_EQ(Counter(), 1u);
  ASSERT_EQ(Remove(index, 5), 1);
  EXPECT_EQ(Counter(), 2u);
  // Fill page 0, move the root, split the root branch, delete back down.
  std::vector<uint64_t> keys = Keys(1, 3000, 1, 3);
  InsertAll(index, keys);
  ASSERT_GE(Inspect(path, 62).levels, 3);
  for (size_t i = 0; i < keys.size(); i += 2) ASSERT_EQ(Remove(index, keys[i]), 1);
  EXPECT_EQ(Counter(), 2u + keys.size() + (keys.size() + 1) / 2);
  EXPECT_EQ(FileBytes(path)[kIndexLockByte], 0xA5);
  ExpectSound();
}

// ---- Deletion ----

TEST_F(IndexTest, DeletingTheGreatestEntryOfALeafRewritesTheKeysAboveIt) {
  const std::vector<uint64_t> keys = Keys(1, 2000, 1);
  Start(62, keys);
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
  EXPECT_EQ(Find(index, greatest), 0);
  EXPECT_EQ(Current(index), greatest + 1);
}

TEST_F(IndexTest, AnEmptiedLeafGoesOnTheFreeListAndTheNextSplitTakesItBack) {
  const std::vector<uint64_t> keys = Keys(100, 100000, 100);
  Start(12, keys);
  const std::vector<uint32_t> leaves = ExpectHolds(keys).leaves;
  ASSERT_GE(leaves.size(), 5u);
  const size_t size = FileBytes(path).size();
  // Empty the second and third leaves.
  std::set<uint32_t> emptied = {leaves[1], leaves[2]};
  std::vector<uint64_t> gone;
  for (uint64_t k : keys) {
    ASSERT_EQ(Find(index, k), 1);
    if (emptied.count(index.page)) gone.push_back(k);
  }
  for (uint64_t k : gone) ASSERT_EQ(Remove(index, k), 1);
  Shape freed = Inspect(path, 12);
  EXPECT_EQ(freed.error, "");
  EXPECT_EQ(std::set<uint32_t>(freed.freePages.begin(), freed.freePages.end()), emptied);
  EXPECT_EQ(FileBytes(path).size(), size);
  // Fill the gaps of the first leaf until both pages are back in the tree;
  // the file does not grow meanwhile. With the free list used up, a split
  // appends a page.
  uint64_t gap = 1;
  auto fillUntil = [&](const std::function<bool()>& done) {
    while (!done()) {
      ASSERT_LT(gap, 100000u);
      if (gap % 100 != 0) {
        ASSERT_EQ(Insert(index, gap), 1);
      }
      ++gap;
    }
  };
  fillUntil([&] {
    EXPECT_EQ(FileBytes(path).size(), size);
    return Inspect(path, 12).freePages.empty();
  });
  ExpectSound();
  EXPECT_EQ(PageNext(FileBytes(path).data()), kNoPage);
  fillUntil([&] { return FileBytes(path).size() != size; });
  EXPECT_EQ(FileBytes(path).size(), size + kPageSize);
  ExpectSound();
}

TEST_F(IndexTest, DeletingEverythingLeavesAWalkableEmptyIndex) {
  std::vector<uint64_t> keys = Keys(1, 1500, 1, 5);
  Start(62, keys);
  std::shuffle(keys.begin(), keys.end(), std::mt19937(6));
  for (uint64_t k : keys) ASSERT_EQ(Remove(index, k), 1);
  ExpectHolds({});
  ExpectWalks(index, {});
  // Everything can come back, taking the freed pages first.
  const size_t size = FileBytes(path).size();
  InsertAll(index, keys);
  EXPECT_EQ(FileBytes(path).size(), size);
  ExpectWalks(index, keys);
  ExpectSound();
}

TEST_F(IndexTest, RefusedUpdatesFailWithTheirCodeAndChangeNothing) {
  Start(12, Keys(2, 800, 2, 2));
  const std::vector<uint8_t> before = FileBytes(path);
  Entry sameKey = MakeEntry(402, 12);
  PutI32(sameKey.data(), 999999);  // another record with the same key
  const Entry sentinel = MakeEntry(kSentinelKey, 12);
  const struct {
    const char* what;
    int (*update)(Index&, const uint8_t*);
    Entry entry;
    int code;  // 0: succeeds without doing anything
  } cases[] = {
      {"a stored entry", IdxInsert, MakeEntry(400, 12), kIdxDuplicate},
      {"a stored key of another record", IdxInsert, sameKey, kIdxDuplicate},
      {"the sentinel", IdxInsert, sentinel, kIdxDuplicate},
      {"a missing entry", IdxDelete, MakeEntry(401, 12), kIdxNotFound},
      {"the sentinel", IdxDelete, sentinel, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.update(index, c.entry.data()), c.code ? 0 : 1);
    if (c.code) {
      EXPECT_EQ(IdxGetError(), c.code);
    }
    EXPECT_EQ(FileBytes(path), before);
  }
}

// A closed index is a broken precondition: every call fails through a check
// with the open failure's code, never as a success.
TEST_F(IndexTest, EveryCallOnAClosedIndexFails) {
  Start(12, {1, 2, 3});
  IdxClose(index);
  const Entry entry = MakeEntry(2, 12);
  int exact = 0;
  const struct {
    const char* what;
    std::function<int()> call;
  } cases[] = {
      {"search", [&] { return IdxSearch(index, entry.data(), &exact); }},
      {"insert", [&] { return IdxInsert(index, entry.data()); }},
      {"delete", [&] { return IdxDelete(index, entry.data()); }},
      {"next", [&] { return IdxNext(index); }},
      {"previous", [&] { return IdxPrev(index); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    IdxSetError(0);
    EXPECT_EQ(c.call(), 0);
    EXPECT_EQ(IdxGetError(), kIdxOpenFailed);
  }
  expectedChecks_ = int(std::size(cases));
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
      if ((rng() % 100) < (op <= 3000 ? 65u : 35u)) {
        ASSERT_EQ(Insert(index, k), model.insert(k).second ? 1 : -kIdxDuplicate);
      } else {
        ASSERT_EQ(Remove(index, k), model.erase(k) ? 1 : -kIdxNotFound);
      }
      if (op % 1000 == 0) {
        SCOPED_TRACE(op);
        const std::vector<uint64_t> keys(model.begin(), model.end());
        ExpectHolds(keys);
        ExpectWalks(index, keys);
      }
    }
    IdxClose(index);
  }
}

// ---- The update marker and corrupt files ----

// Another workstation died inside an update: the counter keeps the marker.
TEST_F(IndexTest, AnIndexLeftInTheMiddleOfAnUpdateCannotBeOpened) {
  const std::vector<uint64_t> keys = Keys(10, 10000, 10, 1);
  Start(12, keys);
  for (uint64_t k : keys) ASSERT_EQ(Find(index, k), 1);  // every page kept
  Poke(path, kPagePrevOffset, kCounterUpdating);
  // A handle that is already open sees the marker under the lock, though
  // it keeps the pages.
  EXPECT_EQ(Find(index, 5000), -kIdxCorrupt);
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
    InsertAll(index, Keys(10, 10000, 10));
    Shape s = Inspect(path, 12);
    ASSERT_EQ(s.error, "");
    ASSERT_EQ(s.levels, 2);
    leaves = s.leaves;
    ASSERT_GE(leaves.size(), 4u);
    IdxClose(index);
    IdxForgetPageBuffer();
    sound = FileBytes(path);
  }
  // Puts the sound file back.
  void Restore() {
    ReplaceFile(path, sound);
    IdxForgetPageBuffer();
  }
  static int64_t At(uint32_t page, int offset) { return int64_t(page) * kPageSize + offset; }
  // The keys the given leaf holds.
  std::vector<uint64_t> KeysIn(uint32_t leaf) {
    const std::vector<uint8_t> bytes = FileBytes(path);
    std::vector<uint64_t> keys;
    for (int i = 0; i < PageCount(PageAt(bytes, leaf)); ++i)
      keys.push_back(KeyOf(PageEntry(PageAt(bytes, leaf), i, 12)));
    return keys;
  }
  uint64_t KeyIn(uint32_t leaf) { return KeysIn(leaf)[0]; }
  // Steps from the current place until a step fails; its code.
  int StepUntilFailure(int (*step)(Index&)) {
    for (int i = 0; i < 5000; ++i)
      if (!step(index)) return IdxGetError();
    return 0;
  }
  std::vector<uint32_t> leaves;
  std::vector<uint8_t> sound;
};

TEST_F(CorruptIndexTest, AFileThatIsNoIndexIsRefusedAtOpen) {
  std::vector<uint8_t> unknownKind(kPageSize, 0);
  unknownKind[kPageKindOffset] = 7;
  for (const auto& bytes : {std::vector<uint8_t>{}, std::vector<uint8_t>(100, 0), unknownKind}) {
    ReplaceFile(path, bytes);
    EXPECT_EQ(IdxOpen(index, path), 0);
    EXPECT_EQ(IdxGetError(), kIdxCorrupt);
  }
}

// Damage on the path of a search: the search, an insert and a delete there
// all fail with code 7.
TEST_F(CorruptIndexTest, DamageOnTheSearchPathFailsEveryOperationWith7) {
  const uint32_t leaf = leaves[1];
  const struct {
    const char* what;
    int64_t offset;
    uint32_t value;
    int width;  // 0: a sentinel entry written there
  } cases[] = {
      {"a leaf count above the maximum", At(leaf, kPageCountOffset),
       uint32_t(MaxEntriesPerPage(12) + 1), 2},
      {"an empty leaf in the tree", At(leaf, kPageCountOffset), 0, 2},
      {"a next link of zero", At(leaf, kPageNextOffset), 0, 4},
      {"a next link to itself", At(leaf, kPageNextOffset), leaf, 4},
      {"a previous link to itself", At(leaf, kPagePrevOffset), leaf, 4},
      {"a child beyond the end of the file", At(0, kPageEntriesOffset), 5000, 4},
      {"a leaf of a branch's kind", At(leaf, kPageKindOffset), kPageBranch, 1},
      {"a sentinel before the last slot", At(leaf, kPageEntriesOffset + 12 * 3), 0, 0},
  };
  const Entry sentinel = MakeEntry(kSentinelKey, 12);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Restore();
    const uint64_t key = c.offset < kPageSize ? 10 : KeyIn(leaf);
    if (c.width)
      Poke(path, c.offset, c.value, c.width);
    else
      WriteBytes(path, c.offset, sentinel.data(), 12);
    ASSERT_EQ(IdxOpen(index, path), 1);
    EXPECT_EQ(Find(index, key), -kIdxCorrupt);
    EXPECT_EQ(Insert(index, key + 1), -kIdxCorrupt);
    EXPECT_EQ(Remove(index, key), -kIdxCorrupt);
    IdxClose(index);
  }
}

// Damage a walk meets only when it gets there: it ends with code 7 and
// never goes round for ever.
TEST_F(CorruptIndexTest, AWalkIntoDamageEndsWith7) {
  const Entry big = MakeEntry(99999, 12);
  // The third leaf leads back to the first, which links back to it;
  // backwards, the first leaf's claimed predecessor holds greater keys.
  const auto loop = [&] {
    Poke(path, At(leaves[2], kPageNextOffset), leaves[0]);
    Poke(path, At(leaves[0], kPagePrevOffset), leaves[2]);
  };
  const struct {
    const char* what;
    std::function<void()> damage;
    uint64_t from;  // where the walk starts; 0: the first entry
    int (*step)(Index&);
  } cases[] = {
      {"a free page in the chain",
       [&] { Poke(path, At(leaves[1], kPageKindOffset), kPageFree, 1); }, 0, IdxNext},
      {"a loop in the leaf chain", loop, 0, IdxNext},
      {"a loop walked backwards", loop, 0, IdxPrev},
      // The first leaf's first entry is greater than anything in the second:
      // only the order inside the page gives the loop away.
      {"unsorted entries in a loop",
       [&] {
         Poke(path, At(leaves[1], kPageNextOffset), leaves[0]);
         Poke(path, At(leaves[0], kPagePrevOffset), leaves[1]);
         WriteBytes(path, At(leaves[0], kPageEntriesOffset), big.data(), 12);
       },
       1, IdxNext},
  };
  // On a share each step takes the index lock: the failure outlives its
  // release.
  for (const bool share : {false, true}) {
    File::SimulateSmbShare(share);
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (share ? " on a share" : ""));
      Restore();
      c.damage();
      ASSERT_EQ(IdxOpen(index, path), 1);
      ASSERT_EQ(c.from ? Find(index, KeyIn(leaves[1])) : First(index), 1);
      EXPECT_EQ(StepUntilFailure(c.step), kIdxCorrupt);
      IdxClose(index);
    }
  }
  File::SimulateSmbShare(false);
}

// An emptied leaf is linked out of its chain only when its neighbours link
// back to it.
TEST_F(CorruptIndexTest, EmptyingALeafWhoseNeighbourDoesNotLinkBackIsCorrupt) {
  const std::pair<uint32_t, int> damaged[] = {{leaves[2], kPagePrevOffset},
                                              {leaves[0], kPageNextOffset}};
  for (const auto& [neighbour, offset] : damaged) {
    SCOPED_TRACE(offset);
    Restore();
    const std::vector<uint64_t> keys = KeysIn(leaves[1]);
    Poke(path, At(neighbour, offset), leaves[3]);
    ASSERT_EQ(IdxOpen(index, path), 1);
    for (size_t i = 0; i + 1 < keys.size(); ++i) ASSERT_EQ(Remove(index, keys[i]), 1);
    EXPECT_EQ(Remove(index, keys.back()), -kIdxCorrupt);
    IdxClose(index);
  }
}

TEST_F(CorruptIndexTest, ABranchThatLeadsDeeperThanFiveLevelsIsCorrupt) {
  expectedChecks_ = -1;
  // The root's first child becomes a branch that names itself.
  PageImage image{12, {}};
  image.Set(0, kPageBranch, 0, kNoPage, {{1, kSentinelKey}});
  image.Set(1, kPageBranch, kNoPage, kNoPage, {{1, kSentinelKey}});
  ReplaceFile(path, image.bytes);
  const unsigned before = CheckFailureCount();
  ASSERT_EQ(IdxOpen(index, path), 1);
  EXPECT_EQ(Find(index, 5), -kIdxCorrupt);
  EXPECT_GT(CheckFailureCount(), before);
}

TEST_F(CorruptIndexTest, AFreeListNamingALivePageIsCorrupt) {
  Poke(path, At(0, kPageNextOffset), leaves[1]);
  ASSERT_EQ(IdxOpen(index, path), 1);
  // Fill a leaf until it splits and needs a page.
  int result = 1;
  for (uint64_t g = 1; g < 1000 && result == 1; ++g)
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
  const size_t bound = pages * size_t(MaxEntriesPerPage(12)) + 5;
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
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
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(acceptable(Find(index, rng() % 11000) >= 0));
    for (bool forward : {true, false}) {
      if (!(forward ? First(index) : Last(index))) continue;
      size_t steps = 0;
      int ok = 1;
      while (ok && index.positionState != kPosBeforeFirst && index.positionState != kPosEnd &&
             steps++ <= bound)
        ok = forward ? IdxNext(index) : IdxPrev(index);
      EXPECT_LE(steps, bound);
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
  PageImage image{length, {}};
  for (uint32_t level = 0; level < 4; ++level) {
    PageEntries entries;
    for (int i = 0; i < max - 1; ++i) entries.push_back({5, uint64_t(i + 1)});
    entries.push_back({level + 1, kSentinelKey});
    image.Set(level, kPageBranch, level == 0 ? 0 : kNoPage, kNoPage, entries);
  }
  PageEntries leafEntries;
  for (int i = 0; i < max - 1; ++i) leafEntries.push_back({7, uint64_t(100 + i)});
  leafEntries.push_back({kNoPage, kSentinelKey});
  image.Set(4, kPageLeaf, kNoPage, kNoPage, leafEntries);
  image.Set(5, kPageLeaf, kNoPage, kNoPage, {{1, 1}, {1, kSentinelKey}});
  ReplaceFile(path, image.bytes);
  length_ = length;
  index = Index(DefFor(length));
  ASSERT_EQ(IdxOpen(index, path), 1);
  ASSERT_EQ(Find(index, 105), 1);
  const std::vector<uint8_t> before = FileBytes(path);
  EXPECT_EQ(Insert(index, 500), -kIdxCorrupt);
  EXPECT_EQ(FileBytes(path), before);
  // Room elsewhere is still usable: deleting makes room in the full leaf.
  ASSERT_EQ(Remove(index, 105), 1);
  EXPECT_EQ(Insert(index, 500), 1);
}

// ---- The index lock ----

// The other workstation is a second handle of this process or another
// process; either way every update and open waits for it, asks,
// and on "cancel" fails with 6 and changes nothing.
TEST_F(IndexTest, EveryOperationWaitsForTheIndexLockThenAsksAndCancelFailsWith6) {
  FastTicks ticks;
  for (bool otherProcess : {false, true}) {
    SCOPED_TRACE(otherProcess ? "another process" : "another handle");
    Start(12, {1, 2, 3});
    ASSERT_EQ(First(index), 1);
    File otherHandle;
    std::unique_ptr<LockHolder> holder;
    if (otherProcess) {
      holder = std::make_unique<LockHolder>(path, kIndexLockByte);
      ASSERT_TRUE(holder->Held());
    } else {
      ASSERT_TRUE(otherHandle.Open(path, OpenMode::kShared));
      ASSERT_EQ(otherHandle.TryLock(kIndexLockByte), LockResult::kGranted);
    }
    const std::vector<uint8_t> before = FileBytes(path);
    int asked = 0;
    IdxSetLockRetry([&] { return ++asked, false; });
    EXPECT_EQ(Insert(index, 4), -kIdxLockTimedOut);
    EXPECT_EQ(Remove(index, 2), -kIdxLockTimedOut);
    // On a local disk a walker's step reads page 0's counter without the
    // lock: nothing has changed, so it steps on without being asked.
    EXPECT_EQ(IdxNext(index), 1);
    Index again(DefFor(12));
    EXPECT_EQ(IdxOpen(again, path), 0);
    EXPECT_EQ(IdxGetError(), kIdxLockTimedOut);
    EXPECT_FALSE(again.file.IsOpen());
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(FileBytes(path), before);

    // Retry: the other workstation lets go while the question is up.
    asked = 0;
    IdxSetLockRetry([&] {
      ++asked;
      if (holder)
        holder->Release();
      else
        otherHandle.Unlock(kIndexLockByte);
      return true;
    });
    EXPECT_EQ(Insert(index, 4), 1);
    EXPECT_EQ(asked, 1);
    ExpectWalks(index, {1, 2, 3, 4});
    IdxClose(index);
  }
}

// ---- Walkers and other handles ----

// A walker on 500 of 10, 20, ... 3000; a change by its own handle, another
// handle or another process, then one step: where it lands.
TEST_F(IndexTest, AWalkerKeepsItsPlaceAcrossChangesOfAnyHandle) {
  enum By { kOther, kOwn, kOtherProcess };
  const struct {
    const char* what;
    By by;
    std::vector<std::pair<bool, uint64_t>> changes;  // insert?, key
    int (*step)(Index&);
    uint64_t landsOn;
  } cases[] = {
      {"its entry deleted elsewhere, forward", kOther, {{false, 500}}, IdxNext, 510},
      {"its entry deleted elsewhere, backward", kOther, {{false, 500}}, IdxPrev, 490},
      {"next entry deleted elsewhere", kOther, {{false, 500}, {false, 510}}, IdxNext, 520},
      {"inserted just ahead elsewhere", kOther, {{true, 505}}, IdxNext, 505},
      {"inserted just behind elsewhere", kOther, {{true, 495}}, IdxPrev, 495},
      {"its own entry deleted, forward", kOwn, {{false, 500}}, IdxNext, 510},
      {"its own entry deleted, backward", kOwn, {{false, 500}}, IdxPrev, 490},
      // After an insert of its own the walker stands on the new entry.
      {"its own insert, forward", kOwn, {{true, 515}}, IdxNext, 520},
      {"its own insert, backward", kOwn, {{true, 517}}, IdxPrev, 510},
      // Another process's writes never reach this process's page buffer.
      {"changed by another process", kOtherProcess, {{false, 510}, {false, 520}, {true, 525}},
       IdxNext, 525},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Start(12, Keys(10, 3000, 10, 4));
    Index other = OpenOther();
    ASSERT_EQ(Find(index, 500), 1);
    const auto change = [&](Index& by) {
      for (const auto& [insert, key] : c.changes)
        if ((insert ? Insert(by, key) : Remove(by, key)) != 1) return false;
      return true;
    };
    ASSERT_TRUE(c.by == kOtherProcess ? OtherWorkstation(change)
                                      : change(c.by == kOwn ? index : other));
    ASSERT_EQ(c.step(index), 1);
    EXPECT_EQ(Current(index), c.landsOn);
    IdxClose(other);
    IdxClose(index);
  }
}

// Another handle inserts and deletes after every step of a walker, now and
// then deleting a whole run of entries so that pages empty and are freed.
// The walker sees only entries that exist, in order, each once, and every
// entry that stayed ahead of it.
TEST_F(IndexTest, AWalkerSeesEveryEntryOnceWhileAnotherHandleSplitsAndFreesPages) {
  for (int length : {12, 62}) {
    SCOPED_TRACE(length);
    const std::vector<uint64_t> keys = Keys(10, 10000, 10);
    Start(length, keys);
    Index other = OpenOther();
    std::set<uint64_t> present(keys.begin(), keys.end());
    std::set<uint64_t> mustSee = present;  // ahead of the walker and never deleted
    std::mt19937 rng{unsigned(length)};
    std::vector<uint64_t> seen;
    bool pagesFreed = false;
    auto remove = [&](uint64_t k) {
      ASSERT_EQ(Remove(other, k), 1);
      present.erase(k);
      mustSee.erase(k);
    };
    ASSERT_EQ(First(index), 1);
    while (index.positionState != kPosEnd) {
      const uint64_t at = Current(index);
      ASSERT_TRUE(present.count(at)) << "walked onto " << at << ", which is not stored";
      seen.push_back(at);
      ASSERT_LT(seen.size(), 100000u);
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
        std::vector<uint64_t> run;
        for (auto from = present.lower_bound(1 + rng() % 10000);
             from != present.end() && run.size() < 200; ++from)
          run.push_back(*from);
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

// Tests and tools that change a file behind the engine's back without
// touching its counter forget the page buffer; a walker then reads its page
// afresh.
TEST_F(IndexTest, AfterThePageBufferIsForgottenAWalkerReadsItsPageAfresh) {
  Start(12, {10, 20, 30});
  ASSERT_EQ(First(index), 1);
  const Entry changed = MakeEntry(25, 12);
  WriteBytes(path, kPageEntriesOffset + 12, changed.data(), 12);
  IdxForgetPageBuffer();
  ASSERT_EQ(IdxNext(index), 1);
  EXPECT_EQ(Current(index), 25u);
}

// Handles on different files share one page buffer; a walker must never
// take another file's page of the same number for its own.
TEST_F(IndexTest, WalkersOnTwoFilesKeepTheirOwnPages) {
  Start(12, {10, 20, 30});
  Index second(DefFor(12));
  const std::string secondPath = dir.File("TEST.X2");
  ASSERT_EQ(IdxCreate(second, secondPath), 1);
  ASSERT_EQ(IdxOpen(second, secondPath), 1);
  InsertAll(second, {15, 25, 35});
  ASSERT_EQ(First(index), 1);
  ASSERT_EQ(First(second), 1);
  for (uint64_t expected : {20, 30}) {
    ASSERT_EQ(IdxNext(index), 1);
    EXPECT_EQ(Current(index), expected);
    ASSERT_EQ(IdxNext(second), 1);
    EXPECT_EQ(Current(second), expected + 5);
  }
  IdxClose(second);
}

// ---- Pages kept between operations ----

class IndexKeepTest : public IndexTest {
 protected:
  void SetUp() override {
    IndexTest::SetUp();
    Start(12);
  }
  void TearDown() override {
    IdxClose(index);
    IdxForgetPageBuffer();
    index_keep::SetLimit(0);
    IndexTest::TearDown();
  }
  // Keys 10, 20, ... so that others can go in between; searched once
  // each, so this process keeps every page.
  void FillAndTouch(uint64_t count) {
    for (uint64_t k = 1; k <= count; ++k) {
      ASSERT_EQ(Insert(index, k * 10), 1) << k;
      model.insert(k * 10);
    }
    for (uint64_t k : model) ASSERT_EQ(Find(index, k), 1) << k;
  }
  // Inserts the key when it is not stored, else deletes it, through ix.
  void Toggle(Index& ix, uint64_t k) {
    if (model.erase(k)) {
      ASSERT_EQ(Remove(ix, k), 1) << k;
    } else {
      ASSERT_EQ(Insert(ix, k), 1) << k;
      model.insert(k);
    }
  }
  // The file, read afresh through a new handle, holds exactly the model.
  void ExpectFileHoldsModel() {
    Index fresh = OpenOther();
    EXPECT_EQ(Walk(fresh), std::vector<uint64_t>(model.begin(), model.end()));
    IdxClose(fresh);
  }
  std::set<uint64_t> model;
};

TEST_F(IndexKeepTest, SplitsAndFreedPagesOfAnotherWorkstationAreFollowed) {
  FillAndTouch(1000);
  // The other workstation empties a run of leaves (they go on the free list)
  // and then grows the tree elsewhere, so that splits take those pages back.
  const std::vector<uint64_t> gone = Keys(2000, 4000, 10);
  std::vector<uint64_t> added;
  for (uint64_t k = 7001; k <= 7009; ++k)
    for (uint64_t j = 0; j < 40; ++j) added.push_back(k * 1000 + j);
  ASSERT_TRUE(OtherWorkstation([&](Index& ix) {
    for (uint64_t k : gone)
      if (Remove(ix, k) != 1) return false;
    for (uint64_t k : added)
      if (Insert(ix, k) != 1) return false;
    return true;
  }));
  for (uint64_t k : gone) model.erase(k);
  model.insert(added.begin(), added.end());
  for (uint64_t k = 10; k <= 10000; k += 5) EXPECT_EQ(Find(index, k), int(model.count(k))) << k;
  for (uint64_t k = 7001 * 1000 - 1; k <= 7009 * 1000 + 40; ++k)
    EXPECT_EQ(Find(index, k), int(model.count(k))) << k;
  // This process's own changes are built on the pages as they now stand.
  for (uint64_t k = 2005; k <= 4005; k += 10) Toggle(index, k);
  ExpectFileHoldsModel();
}

// Random inserts and deletes through two handles, with room for a handful of
// pages: every operation gives pages up and reads others back, and a page
// taken back must be the one the file holds. A process that starts afresh
// reads the same.
TEST_F(IndexKeepTest, PagesGivenUpAndTakenBackStayTrue) {
  index_keep::SetLimit(5);
  Index other = OpenOther();
  std::mt19937 rng(5);
  std::uniform_int_distribution<uint64_t> keys(1, 30000);
  for (int i = 0; i < 30000; ++i) {
    Toggle(i % 7 == 0 ? other : index, keys(rng));
    const uint64_t probe = keys(rng);
    ASSERT_EQ(Find(index, probe), int(model.count(probe))) << probe;
  }
  IdxClose(other);
  index_keep::SetLimit(0);
  ExpectFileHoldsModel();
  ASSERT_TRUE(OtherWorkstation([&](Index& ix) {
    for (uint64_t k = 1; k <= 30000; ++k)
      if (Find(ix, k) != int(model.count(k))) return false;
    return true;
  }));
}

}  // namespace
