// Record files through the engine: opening, versions, reading deleted
// records, appends with duplicate keys, unique numbers, locks held by other
// handles and other processes, positioning and skipping.
#include "storage/database.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "storage/errors.h"
#include "storage/lockwait.h"
#include "tests/support/lock_holder.h"
#include "tests/support/temp_dir.h"

namespace {

// A small table of people: byte 0 mark, 1-20 name, 21-24 number, 25-63 spare,
// the last byte the lock byte. X1 orders by name (unique), X2 by number.
constexpr int kRecord = 64;
constexpr int kNameOffset = 1;
constexpr int kNameWidth = 20;
constexpr int kNumberOffset = 21;

void BuildByName(const uint8_t* record, uint8_t* entry, int32_t) {
  std::memcpy(entry + 4, record + kNameOffset, kNameWidth);
}
int CompareByName(const uint8_t* a, const uint8_t* b) {
  return std::strncmp(reinterpret_cast<const char*>(a + 4), reinterpret_cast<const char*>(b + 4),
                      kNameWidth);
}
void BuildByNumber(const uint8_t* record, uint8_t* entry, int32_t) {
  std::memcpy(entry + 4, record + kNumberOffset, 4);
}
int CompareByNumber(const uint8_t* a, const uint8_t* b) {
  int32_t x = GetI32(a + 4), y = GetI32(b + 4);
  return x < y ? -1 : x > y;
}

const IndexDef kPeopleIndexes[] = {{24, BuildByName, CompareByName},
                                   {8, BuildByNumber, CompareByNumber}};
const TableDef kPeople = {512, kRecord, 2, kPeopleIndexes, "PEOPLE", 7};

std::vector<uint8_t> Person(const std::string& name, int32_t number) {
  std::vector<uint8_t> r(kRecord, 0);
  std::memcpy(r.data() + kNameOffset, name.data(), std::min<size_t>(name.size(), kNameWidth - 1));
  PutI32(r.data() + kNumberOffset, number);
  return r;
}

std::vector<uint8_t> NameKey(const std::string& name) {
  std::vector<uint8_t> entry(kEntryBufferSize, 0);
  std::memcpy(entry.data() + 4, name.data(), name.size());
  return entry;
}

std::string CurrentName(Table& t) {
  return std::string(reinterpret_cast<const char*>(t.Current().currentEntry + 4));
}

class DatabaseTest : public ::testing::Test {
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

  void Add(const std::string& name, int32_t number) {
    auto r = Person(name, number);
    ASSERT_EQ(DbAppendRecord(table, r.data()), 1) << name;
  }

  std::vector<std::string> WalkNames(Table& t) {
    std::vector<std::string> names;
    EXPECT_EQ(DbFirst(t), 1);
    while (DbCurrentRecord(t) != -1) {
      names.push_back(CurrentName(t));
      if (!DbNext(t)) break;
    }
    return names;
  }

  TempDir dir;
  Table table{kPeople};
};

TEST_F(DatabaseTest, AFreshTableHasItsHeaderAndNoRecords) {
  std::string data = ReadWholeFile(dir.File("PEOPLE.DAT"));
  ASSERT_EQ(data.size(), 512u);
  EXPECT_EQ(data[4], 7);
  EXPECT_TRUE(FileExists(dir.File("PEOPLE.X1")));
  EXPECT_TRUE(FileExists(dir.File("PEOPLE.X2")));
  int32_t count = -1;
  EXPECT_EQ(DbRecordCount(table, &count), 1);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(DbFirst(table), 1);
  EXPECT_EQ(DbPositionState(table), kPosEnd);
  EXPECT_EQ(DbLast(table), 1);
  EXPECT_EQ(DbPositionState(table), kPosEnd);
}

TEST_F(DatabaseTest, ATableOfAnotherVersionIsRefusedWithItsPath) {
  DbCloseTable(table);
  File raw;
  ASSERT_TRUE(raw.Open(dir.File("PEOPLE.DAT"), OpenMode::kShared));
  uint8_t three = 3;
  raw.WriteAt(4, &three, 1);
  raw.Close();

  DbSetErrorReporter(TranslateEngineError);
  EXPECT_EQ(DbOpenTable(table, dir.Path()), 0);
  EXPECT_EQ(DbGetError(), kDbWrongVersion);
  EXPECT_EQ(AppErrorCode(), kAppWrongVersion);
  EXPECT_EQ(FormatAppError(), "Incorrect database version: " + dir.File("PEOPLE.DAT"));
  EXPECT_FALSE(table.IsOpen());
  DbSetErrorReporter(nullptr);
}

TEST_F(DatabaseTest, AMissingTableIsReportedAsAMissingFile) {
  Table other(TableDef{512, kRecord, 2, kPeopleIndexes, "NOBODY", 7});
  DbSetErrorReporter(TranslateEngineError);
  EXPECT_EQ(DbOpenTable(other, dir.Path()), 0);
  EXPECT_EQ(DbGetError(), kDbOpenFailed);
  EXPECT_EQ(AppErrorCode(), kAppNoSuchFile);
  EXPECT_EQ(AppErrorName(), dir.File("NOBODY.DAT"));
  DbSetErrorReporter(nullptr);
}

TEST_F(DatabaseTest, AMissingIndexIsReportedUnderTheTableAndIndexNumber) {
  DbCloseTable(table);
  ASSERT_EQ(unlink(dir.File("PEOPLE.X2").c_str()), 0);
  EXPECT_EQ(DbOpenTable(table, dir.Path()), 0);
  EXPECT_EQ(IdxGetError(), kIdxOpenFailed);
  EXPECT_EQ(DbErrorName(), "PEOPLE.X2");
  EXPECT_FALSE(table.IsOpen());
}

TEST_F(DatabaseTest, RecordsAreReadBackWithoutTheirLockByte) {
  Add("alice", 1);
  Add("bob", 2);
  std::vector<uint8_t> buffer(kRecord, 0xAB);
  ASSERT_EQ(DbReadRecord(table, 1, buffer.data()), 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data() + kNameOffset)), "bob");
  EXPECT_EQ(buffer[kRecord - 1], 0);
  EXPECT_EQ(DbReadRecord(table, 2, buffer.data()), 0);
  EXPECT_EQ(DbGetError(), kDbReadFailed);
}

TEST_F(DatabaseTest, ReadingADeletedRecordFailsButFillsTheBuffer) {
  Add("alice", 1);
  auto r = Person("alice", 1);
  ASSERT_EQ(DbDeleteRecord(table, r.data(), 0), 1);
  std::vector<uint8_t> buffer(kRecord, 0);
  EXPECT_EQ(DbReadRecord(table, 0, buffer.data()), 0);
  EXPECT_EQ(DbGetError(), kDbRecordDeleted);
  EXPECT_EQ(DbErrorName(), "PEOPLE");
  EXPECT_EQ(buffer[0], kDeletedMark);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data() + kNameOffset)), "alice");
  EXPECT_TRUE(WalkNames(table).empty());
}

TEST_F(DatabaseTest, ADuplicateKeyLeavesADeletedSlotAndNoStrayEntries) {
  Add("alice", 1);
  // Same number, new name: X1 takes it, X2 refuses it.
  auto clash = Person("carol", 1);
  EXPECT_EQ(DbAppendRecord(table, clash.data()), 0);
  EXPECT_EQ(IdxGetError(), kIdxDuplicate);
  EXPECT_EQ(DbErrorName(), "PEOPLE.X2");
  EXPECT_EQ(clash[0], 0) << "the caller's record keeps its own mark";
  int32_t count = 0;
  DbRecordCount(table, &count);
  EXPECT_EQ(count, 2);
  std::vector<uint8_t> buffer(kRecord);
  EXPECT_EQ(DbReadRecord(table, 1, buffer.data()), 0);
  EXPECT_EQ(DbGetError(), kDbRecordDeleted);
  // Neither index may still point at the dead slot.
  EXPECT_EQ(WalkNames(table), std::vector<std::string>{"alice"});

  // Same name: the first index refuses it.
  auto again = Person("alice", 5);
  EXPECT_EQ(DbAppendRecord(table, again.data()), 0);
  EXPECT_EQ(DbErrorName(), "PEOPLE.X1");
  DbRecordCount(table, &count);
  EXPECT_EQ(count, 3);
}

TEST_F(DatabaseTest, UniqueNumbersCountOnAfterDeletions) {
  uint32_t n = 0;
  ASSERT_EQ(GetUniqueNumber(table, &n), 1);
  EXPECT_EQ(n, 1u);
  Add("alice", int32_t(n));
  ASSERT_EQ(GetUniqueNumber(table, &n), 1);
  EXPECT_EQ(n, 2u);
  auto r = Person("alice", 1);
  ASSERT_EQ(DbDeleteRecord(table, r.data(), 0), 1);
  ASSERT_EQ(GetUniqueNumber(table, &n), 1);
  EXPECT_EQ(n, 3u);
  // Another handle sees the same counter.
  Table other(kPeople);
  ASSERT_EQ(DbOpenTable(other, dir.Path()), 1);
  ASSERT_EQ(GetUniqueNumber(other, &n), 1);
  EXPECT_EQ(n, 4u);
  DbCloseTable(other);
  std::string data = ReadWholeFile(dir.File("PEOPLE.DAT"));
  EXPECT_EQ(data[0], 4);
  EXPECT_EQ(data[4], 7) << "the version byte survives";
}

TEST_F(DatabaseTest, AnAppendAfterATornSlotKeepsRecordsAligned) {
  Add("alice", 1);
  // A workstation died half way through writing a slot.
  File raw;
  ASSERT_TRUE(raw.Open(dir.File("PEOPLE.DAT"), OpenMode::kShared));
  std::vector<uint8_t> half(kRecord / 2, 'x');
  raw.WriteAt(512 + kRecord, half.data(), half.size());
  raw.Close();
  auto r = Person("bob", 2);
  int32_t number = -1;
  ASSERT_EQ(DbAppendRecord(table, r.data(), &number), 1);
  EXPECT_EQ(number, 2);
  std::vector<uint8_t> buffer(kRecord);
  ASSERT_EQ(DbReadRecord(table, 2, buffer.data()), 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data() + kNameOffset)), "bob");
}

TEST_F(DatabaseTest, RekeyMovesTheEntryAndWritesTheRecord) {
  Add("alice", 1);
  Add("bob", 2);
  int exact = 0;
  ASSERT_EQ(DbFind(table, NameKey("alice").data(), &exact), 1);
  ASSERT_EQ(exact, 1);
  uint8_t old[kEntryBufferSize];
  DbCurrentEntry(table, old);
  auto renamed = Person("zoe", 1);
  ASSERT_EQ(DbRekeyRecord(table, old, renamed.data()), 1);
  EXPECT_EQ(WalkNames(table), (std::vector<std::string>{"bob", "zoe"}));
  std::vector<uint8_t> buffer(kRecord);
  ASSERT_EQ(DbReadRecord(table, 0, buffer.data()), 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data() + kNameOffset)), "zoe");
}

TEST_F(DatabaseTest, AFailedRekeyPutsTheOldEntryBack) {
  Add("alice", 1);
  Add("bob", 2);
  int exact = 0;
  ASSERT_EQ(DbFind(table, NameKey("alice").data(), &exact), 1);
  uint8_t old[kEntryBufferSize];
  DbCurrentEntry(table, old);
  auto clash = Person("bob", 1);
  EXPECT_EQ(DbRekeyRecord(table, old, clash.data()), 0);
  EXPECT_EQ(IdxGetError(), kIdxDuplicate);
  EXPECT_EQ(WalkNames(table), (std::vector<std::string>{"alice", "bob"}));
  std::vector<uint8_t> buffer(kRecord);
  ASSERT_EQ(DbReadRecord(table, 0, buffer.data()), 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data() + kNameOffset)), "alice");
}

TEST_F(DatabaseTest, RekeyingTheEndOfTheIndexIsRefusedAndChangesNothing) {
  Add("alice", 1);
  ASSERT_EQ(DbLast(table), 1);
  ASSERT_EQ(DbNext(table), 1);  // onto the end sentinel
  ASSERT_EQ(DbCurrentRecord(table), -1);
  uint8_t end[kEntryBufferSize];
  DbCurrentEntry(table, end);
  auto bogus = Person("bob", 2);
  EXPECT_EQ(DbRekeyRecord(table, end, bogus.data()), 0);
  EXPECT_EQ(WalkNames(table), std::vector<std::string>{"alice"});
}

TEST_F(DatabaseTest, FindLandsOnTheFirstEntryNotBelowTheKey) {
  for (const char* n : {"adam", "carl", "dora"}) Add(n, int32_t(n[0]));
  int exact = -1;
  ASSERT_EQ(DbFind(table, NameKey("b").data(), &exact), 1);
  EXPECT_EQ(exact, 0);
  EXPECT_EQ(CurrentName(table), "carl");
  ASSERT_EQ(DbFind(table, NameKey("zed").data(), &exact), 1);
  EXPECT_EQ(DbCurrentRecord(table), -1);
  EXPECT_EQ(DbPositionState(table), kPosEnd);
  ASSERT_EQ(DbLast(table), 1);
  EXPECT_EQ(CurrentName(table), "dora");
  ASSERT_EQ(DbPrev(table), 1);
  EXPECT_EQ(CurrentName(table), "carl");
}

TEST_F(DatabaseTest, TheSecondIndexWalksInItsOwnOrder) {
  Add("adam", 30);
  Add("bert", 10);
  Add("carl", 20);
  ASSERT_EQ(DbSetCurrentIndex(table, 1), 1);
  std::vector<int32_t> numbers;
  ASSERT_EQ(DbFirst(table), 1);
  while (DbCurrentRecord(table) != -1) {
    numbers.push_back(GetI32(table.Current().currentEntry + 4));
    ASSERT_EQ(DbNext(table), 1);
  }
  EXPECT_EQ(numbers, (std::vector<int32_t>{10, 20, 30}));
}

TEST_F(DatabaseTest, SkipCountsOnlyTheEntriesTheFilterShows) {
  for (int i = 0; i < 20; ++i) Add("n" + std::to_string(100 + i), i);
  // Show the even numbers only.
  EntryFilter even = [](const uint8_t* e) {
    int n = std::atoi(reinterpret_cast<const char*>(e + 5));
    return n % 2 == 0 ? 1 : 0;
  };
  ASSERT_EQ(DbFirst(table), 1);  // n100
  int32_t moved = 0;
  ASSERT_EQ(DbSkip(table, 3, &moved, even), 1);
  EXPECT_EQ(moved, 3);
  EXPECT_EQ(CurrentName(table), "n106");
  ASSERT_EQ(DbSkip(table, -2, &moved, even), 1);
  EXPECT_EQ(moved, 2);
  EXPECT_EQ(CurrentName(table), "n102");
  // Past the end: only what exists is counted, and the position comes back
  // to the last entry shown.
  ASSERT_EQ(DbSkip(table, 50, &moved, even), 1);
  EXPECT_EQ(moved, 8);
  EXPECT_EQ(CurrentName(table), "n118");
  ASSERT_EQ(DbSkip(table, -50, &moved, even), 1);
  EXPECT_EQ(moved, 9);
  EXPECT_EQ(CurrentName(table), "n100");
  // A stop answer ends the walk where it stands.
  EntryFilter stopAt110 = [](const uint8_t* e) {
    return std::atoi(reinterpret_cast<const char*>(e + 5)) >= 110 ? -1 : 1;
  };
  ASSERT_EQ(DbSkip(table, 50, &moved, stopAt110), 1);
  EXPECT_EQ(moved, 9);
  EXPECT_EQ(CurrentName(table), "n110");
}

// ---- Locks ----

class LockTest : public DatabaseTest {
 protected:
  FastTicks ticks;  // the real wait loop, run without real time
};

TEST_F(LockTest, AnAppendWaitsForTheAppendLockThenAsksToRetry) {
  Table other(kPeople);
  ASSERT_EQ(DbOpenTable(other, dir.Path()), 1);
  ASSERT_EQ(DbLockHeader(other), 1);  // another handle of this process
  int asked = 0;
  DbSetLockRetry([&] {
    ++asked;
    return false;
  });
  auto r = Person("alice", 1);
  EXPECT_EQ(DbAppendRecord(table, r.data()), 0);
  EXPECT_EQ(DbGetError(), kDbLockTimedOut);
  EXPECT_EQ(asked, 1);
  EXPECT_GE(ticks.Now(), kLockWaitTicks);
  int32_t count = -1;
  DbRecordCount(table, &count);
  EXPECT_EQ(count, 0);

  // Retry: the other handle lets go while the question is up.
  DbSetLockRetry([&] {
    ++asked;
    DbUnlockHeader(other);
    return true;
  });
  EXPECT_EQ(DbAppendRecord(table, r.data()), 1);
  EXPECT_EQ(asked, 2);
  DbCloseTable(other);
}

TEST_F(LockTest, AnotherProcessHoldingTheAppendLockBlocksUniqueNumbers) {
  LockHolder holder(dir.File("PEOPLE.DAT"), 0);
  ASSERT_TRUE(holder.Held());
  int asked = 0;
  DbSetLockRetry([&] { return ++asked < 3; });
  uint32_t n = 0;
  EXPECT_EQ(GetUniqueNumber(table, &n), 0);
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(DbGetError(), kDbLockTimedOut);
  holder.Release();
  EXPECT_EQ(GetUniqueNumber(table, &n), 1);
  EXPECT_EQ(n, 1u);
}

TEST_F(LockTest, ALockOfAKilledProcessIsReleased) {
  LockHolder holder(dir.File("PEOPLE.DAT"), 0);
  ASSERT_TRUE(holder.Held());
  holder.Kill();
  uint32_t n = 0;
  EXPECT_EQ(GetUniqueNumber(table, &n), 1);
  EXPECT_EQ(ticks.Now(), 0) << "no waiting at all";
}

TEST_F(LockTest, DeletingARecordBeingEditedElsewhereFailsAtOnceWithoutAsking) {
  Add("alice", 1);
  int asked = 0, reported = 0;
  DbSetLockRetry([&] { return ++asked, false; });
  DbSetErrorReporter([&] { ++reported; });
  SetAppError(kAppNotFound, "before");
  auto r = Person("alice", 1);
  {
    // Another handle in this process holds the record.
    Table editor(kPeople);
    ASSERT_EQ(DbOpenTable(editor, dir.Path()), 1);
    ASSERT_EQ(DbLockRecord(editor, 0), 1);
    ASSERT_EQ(DbLockRecord(editor, 0), 1);  // nesting
    IdxSetError(kIdxDuplicate);  // left over from an earlier failure
    EXPECT_EQ(DbDeleteRecord(table, r.data(), 0), 0);
    EXPECT_EQ(DbGetError(), kDbRecordLocked);
    EXPECT_EQ(AppCodeForEngineError(), kAppLockError);
    ASSERT_EQ(DbUnlockRecord(editor, 0), 1);
    EXPECT_EQ(DbDeleteRecord(table, r.data(), 0), 0) << "still held once";
    ASSERT_EQ(DbUnlockRecord(editor, 0), 1);
    DbCloseTable(editor);
  }
  {
    // Another process holds it: the slot's last byte.
    LockHolder holder(dir.File("PEOPLE.DAT"), 512 + kRecord - 1);
    ASSERT_TRUE(holder.Held());
    EXPECT_EQ(DbDeleteRecord(table, r.data(), 0), 0);
    EXPECT_EQ(DbGetError(), kDbRecordLocked);
  }
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(reported, 0);
  EXPECT_EQ(AppErrorCode(), kAppNotFound) << "the application code is left alone";
  EXPECT_EQ(ticks.Now(), 0) << "a record lock is never waited for";
  EXPECT_EQ(WalkNames(table), std::vector<std::string>{"alice"});
  EXPECT_EQ(DbDeleteRecord(table, r.data(), 0), 1);
  DbSetErrorReporter(nullptr);
}

TEST_F(LockTest, AnIndexChangeWaitsForTheIndexLockOfAnotherProcess) {
  Add("alice", 1);
  LockHolder holder(dir.File("PEOPLE.X1"), kIndexLockByte);
  ASSERT_TRUE(holder.Held());
  int asked = 0;
  IdxSetLockRetry([&] { return ++asked, false; });
  auto r = Person("bob", 2);
  EXPECT_EQ(DbAppendRecord(table, r.data()), 0);
  EXPECT_EQ(IdxGetError(), kIdxLockTimedOut);
  EXPECT_EQ(DbErrorName(), "PEOPLE.X1");
  EXPECT_EQ(asked, 1);
  holder.Release();
  auto c = Person("carl", 3);
  EXPECT_EQ(DbAppendRecord(table, c.data()), 1);
  EXPECT_EQ(WalkNames(table), (std::vector<std::string>{"alice", "carl"}));
}

// ---- Other workstations' changes seen by a walker ----

TEST_F(DatabaseTest, AWalkerContinuesAfterItsEntryIsDeletedElsewhere) {
  for (const char* n : {"adam", "bert", "carl", "dora"}) Add(n, int32_t(n[0]));
  int exact = 0;
  ASSERT_EQ(DbFind(table, NameKey("bert").data(), &exact), 1);
  Table other(kPeople);
  ASSERT_EQ(DbOpenTable(other, dir.Path()), 1);
  auto bert = Person("bert", 'b');
  ASSERT_EQ(DbDeleteRecord(other, bert.data(), 1), 1);
  auto bob = Person("bob", 200);  // inserted just after the walker's place
  ASSERT_EQ(DbAppendRecord(other, bob.data()), 1);
  DbCloseTable(other);
  ASSERT_EQ(DbNext(table), 1);
  EXPECT_EQ(CurrentName(table), "bob");
  ASSERT_EQ(DbNext(table), 1);
  EXPECT_EQ(CurrentName(table), "carl");
}

TEST_F(DatabaseTest, AWalkerSeesEveryEntryWhileAnotherHandleSplitsPages) {
  for (int i = 0; i < 400; i += 2) Add("k" + std::to_string(1000 + i), i);
  Table other(kPeople);
  ASSERT_EQ(DbOpenTable(other, dir.Path()), 1);
  std::set<std::string> expected;
  for (int i = 0; i < 400; ++i) expected.insert("k" + std::to_string(1000 + i));
  std::vector<std::string> seen;
  ASSERT_EQ(DbFirst(table), 1);
  int odd = 1;
  while (DbCurrentRecord(table) != -1) {
    seen.push_back(CurrentName(table));
    // Another workstation adds entries both behind and ahead of the walker.
    if (odd < 400) {
      auto r = Person("k" + std::to_string(1000 + odd), odd);
      ASSERT_EQ(DbAppendRecord(other, r.data()), 1);
      odd += 2;
    }
    ASSERT_EQ(DbNext(table), 1);
  }
  DbCloseTable(other);
  // Everything that existed for the whole walk was seen once, in order.
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_EQ(std::set<std::string>(seen.begin(), seen.end()).size(), seen.size());
  for (int i = 0; i < 400; i += 2)
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "k" + std::to_string(1000 + i)), 1);
}

}  // namespace
