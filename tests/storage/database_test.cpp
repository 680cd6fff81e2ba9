// Record files through the engine: opening, versions, reading deleted
// records, appends with duplicate keys, unique numbers, locks held by other
// handles and other processes, positioning and skipping; and appends that
// fail half way (a disk that fills up, an index that refuses the entry, a
// slot torn by a write that died), after which the files hold what the
// append answered.
#include "storage/database.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "storage/check.h"
#include "storage/errors.h"
#include "storage/lockwait.h"
#include "tests/support/file_size_limit.h"
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

int Append(Table& t, const std::string& name, int32_t number, int32_t* at = nullptr) {
  return DbAppendRecord(t, Person(name, number).data(), at);
}

std::vector<uint8_t> NameKey(const std::string& name) {
  std::vector<uint8_t> entry(kEntryBufferSize, 0);
  std::memcpy(entry.data() + 4, name.data(), name.size());
  return entry;
}

std::string NameIn(const uint8_t* bytes) {
  return std::string(reinterpret_cast<const char*>(bytes));
}
std::string CurrentName(Table& t) {
  return NameIn(t.Current().currentEntry + 4);
}

class DatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DbSetErrorReporter(nullptr);
    DbSetLockRetry(nullptr);
    IdxSetLockRetry(nullptr);
    Recreate();
  }
  void TearDown() override {
    DbCloseTable(table);
    DbSetErrorReporter(nullptr);
  }

  // A new table, opened, holding `names` as numbers 1, 2, ...
  void Recreate(std::initializer_list<const char*> names = {}) {
    DbCloseTable(table);
    Table fresh(kPeople);
    ASSERT_EQ(DbCreateTable(fresh, dir.Path(), kPeople.version), 1);
    ASSERT_EQ(DbOpenTable(table, dir.Path()), 1);
    int32_t number = 0;
    for (const char* name : names) Add(name, ++number);
  }
  // Writes into the record file behind the engine's back.
  void WriteRaw(int64_t offset, const std::vector<uint8_t>& bytes) {
    File raw;
    ASSERT_TRUE(raw.Open(dir.File("PEOPLE.DAT"), OpenMode::kShared));
    ASSERT_EQ(raw.WriteAt(offset, bytes.data(), bytes.size()), long(bytes.size()));
  }
  int64_t DataLength() { return int64_t(ReadWholeFile(dir.File("PEOPLE.DAT")).size()); }

  void Add(const std::string& name, int32_t number) {
    ASSERT_EQ(Append(table, name, number), 1) << name;
  }
  int Delete(Table& t, const std::string& name, int32_t number, int32_t recordNumber) {
    auto r = Person(name, number);
    return DbDeleteRecord(t, r.data(), recordNumber);
  }
  // The name in record n, or "" when it cannot be read.
  std::string ReadName(int32_t n) {
    std::vector<uint8_t> buffer(kRecord, 0xAB);
    return DbReadRecord(table, n, buffer.data()) ? NameIn(buffer.data() + kNameOffset) : "";
  }
  int32_t Count() {
    int32_t count = -1;
    EXPECT_EQ(DbRecordCount(table, &count), 1);
    return count;
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
  EXPECT_EQ(Count(), 0);
  for (auto edge : {&DbFirst, &DbLast}) {
    EXPECT_EQ(edge(table), 1);
    EXPECT_EQ(DbPositionState(table), kPosEnd);
  }
}

TEST_F(DatabaseTest, ATableOfAnotherVersionIsRefusedWithItsPath) {
  DbCloseTable(table);
  WriteRaw(4, {3});
  DbSetErrorReporter(TranslateEngineError);
  EXPECT_EQ(DbOpenTable(table, dir.Path()), 0);
  EXPECT_EQ(DbGetError(), kDbWrongVersion);
  EXPECT_EQ(FormatAppError(), "Incorrect database version: " + dir.File("PEOPLE.DAT"));
  EXPECT_FALSE(table.IsOpen());
}

TEST_F(DatabaseTest, AMissingTableOrIndexIsReportedUnderItsFile) {
  Table other(TableDef{512, kRecord, 2, kPeopleIndexes, "NOBODY", 7});
  DbSetErrorReporter(TranslateEngineError);
  EXPECT_EQ(DbOpenTable(other, dir.Path()), 0);
  EXPECT_EQ(DbGetError(), kDbOpenFailed);
  EXPECT_EQ(AppErrorCode(), kAppNoSuchFile);
  EXPECT_EQ(AppErrorName(), dir.File("NOBODY.DAT"));
  DbSetErrorReporter(nullptr);
  DbCloseTable(table);
  ASSERT_EQ(unlink(dir.File("PEOPLE.X2").c_str()), 0);
  EXPECT_EQ(DbOpenTable(table, dir.Path()), 0);
  EXPECT_EQ(IdxGetError(), kIdxOpenFailed);
  EXPECT_EQ(DbErrorName(), "PEOPLE.X2");
  EXPECT_FALSE(table.IsOpen());
  // A definition whose header could not be read is refused before any file is made.
  SetCheckHandler([](const char*, unsigned) {});
  Table bad(TableDef{kMaxHeaderSize + 1, kRecord, 2, kPeopleIndexes, "BAD", 0});
  EXPECT_EQ(DbCreateTable(bad, dir.Path(), 0), 0);
  SetCheckHandler(nullptr);
  EXPECT_FALSE(FileExists(dir.File("BAD.DAT")));
  Table largest(TableDef{kMaxHeaderSize, kRecord, 2, kPeopleIndexes, "LARGEST", 0});
  EXPECT_EQ(DbCreateTable(largest, dir.Path(), 0), 1);
  // A data file cut short before its version byte cannot be read.
  DbCloseTable(table);
  ASSERT_EQ(::truncate(dir.File("PEOPLE.DAT").c_str(), 2), 0);
  DbSetError(kDbOk, "");
  EXPECT_EQ(DbOpenTable(table, dir.Path()), 0);
  EXPECT_EQ(DbGetError(), kDbReadFailed);
  EXPECT_EQ(DbErrorName(), dir.File("PEOPLE.DAT"));
  EXPECT_FALSE(table.IsOpen());
}

// The header's write lands on a file the system refuses to write (as a
// share that went away would): the write is reported failed, not done.
TEST_F(DatabaseTest, AHeaderWriteTheFileRefusesFails) {
  std::vector<uint8_t> header(512, 0);
  ASSERT_EQ(DbReadHeader(table, header.data()), 1);
  const int readOnly = ::open(dir.File("PEOPLE.DAT").c_str(), O_RDONLY);
  ASSERT_GE(readOnly, 0);
  ASSERT_GE(::dup2(readOnly, table.data.Descriptor()), 0);
  ::close(readOnly);
  header[100] = 1;
  EXPECT_EQ(DbWriteHeader(table, header.data()), 0);
  EXPECT_EQ(DbGetError(), kDbWriteFailed);
  EXPECT_EQ(DbErrorName(), "PEOPLE");
}

// A table only readable here (a read-only share; as root, whom permissions
// do not stop, the child runs as nobody) opens for reading and refuses
// every change as a failed write before it takes a lock.
TEST_F(DatabaseTest, ATableThisWorkstationMayNotWriteRefusesChangesAsWrites) {
  Add("alice", 1);
  DbCloseTable(table);
  for (const char* file : {"PEOPLE.DAT", "PEOPLE.X1", "PEOPLE.X2"})
    ASSERT_EQ(::chmod(dir.File(file).c_str(), 0444), 0);
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0555), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    Table readable(kPeople);
    if (!DbOpenTable(readable, dir.Path()) || !readable.data.ReadOnly()) ::_exit(3);
    if (WalkNames(readable) != std::vector<std::string>{"alice"}) ::_exit(4);
    std::vector<uint8_t> header(512, 0);
    if (!DbReadHeader(readable, header.data())) ::_exit(5);
    const auto refused = [](int result) { return result == 0 && DbGetError() == kDbWriteFailed; };
    if (!refused(DbLockHeader(readable))) ::_exit(6);
    if (!refused(DbWriteHeader(readable, header.data()))) ::_exit(7);
    if (!refused(Append(readable, "bob", 2))) ::_exit(8);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ::chmod(dir.Path().c_str(), 0700);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// A closed handle is a broken precondition: every call fails through a
// check and leaves the error state alone.
TEST_F(DatabaseTest, CallsOnAClosedTableFailThroughChecks) {
  DbCloseTable(table);
  const unsigned before = CheckFailureCount();
  SetCheckHandler([](const char*, unsigned) {});
  DbSetError(kDbOk, "");
  std::vector<uint8_t> buffer(kRecord);
  int32_t count = 7;
  uint32_t number = 0;
  // Evaluated in order, as braced lists are.
  const std::vector<int> results = {DbRecordCount(table, &count),
                                    DbReadRecord(table, 0, buffer.data()),
                                    DbAppendRecord(table, buffer.data()),
                                    DbDeleteRecord(table, buffer.data(), 0),
                                    GetUniqueNumber(table, &number),
                                    DbFirst(table),
                                    DbLast(table),
                                    DbNext(table),
                                    DbPrev(table),
                                    DbCurrentEntry(table, buffer.data()),
                                    DbReadHeader(table, buffer.data()),
                                    DbWriteHeader(table, buffer.data()),
                                    DbLockHeader(table)};
  EXPECT_EQ(results, std::vector<int>(results.size(), 0));
  EXPECT_EQ(count, 0);
  EXPECT_EQ(DbGetError(), kDbOk);
  EXPECT_GE(CheckFailureCount() - before, 13u);
  // A table without a header has no unique-number counter to take from.
  Table bare(TableDef{0, kRecord, 2, kPeopleIndexes, "BARE", 0});
  ASSERT_EQ(DbCreateTable(bare, dir.Path(), 0), 1);
  ASSERT_EQ(DbOpenTable(bare, dir.Path()), 1);
  const unsigned beforeBare = CheckFailureCount();
  EXPECT_EQ(GetUniqueNumber(bare, &number), 0);
  EXPECT_EQ(CheckFailureCount(), beforeBare + 1);
  DbCloseTable(bare);
  SetCheckHandler(nullptr);
}

TEST_F(DatabaseTest, RecordsAreReadBackWithoutTheirLockByteAndDeletedOnesFail) {
  Recreate({"alice", "bob"});
  std::vector<uint8_t> buffer(kRecord, 0xAB);
  ASSERT_EQ(DbReadRecord(table, 1, buffer.data()), 1);
  EXPECT_EQ(NameIn(buffer.data() + kNameOffset), "bob");
  EXPECT_EQ(buffer[kRecord - 1], 0);
  for (int32_t beyond : {2, -1}) {
    EXPECT_EQ(DbReadRecord(table, beyond, buffer.data()), 0);
    EXPECT_EQ(DbGetError(), beyond < 0 ? kDbSeekFailed : kDbReadFailed);
  }
  // A deleted record fails to read but fills the buffer.
  ASSERT_EQ(Delete(table, "alice", 1, 0), 1);
  EXPECT_EQ(DbReadRecord(table, 0, buffer.data()), 0);
  EXPECT_EQ(DbGetError(), kDbRecordDeleted);
  EXPECT_EQ(DbErrorName(), "PEOPLE");
  EXPECT_EQ(buffer[0], kDeletedMark);
  EXPECT_EQ(NameIn(buffer.data() + kNameOffset), "alice");
  EXPECT_EQ(WalkNames(table), std::vector<std::string>{"bob"});
  // Deleting it again finds no entries.
  EXPECT_EQ(Delete(table, "alice", 1, 0), 0);
  EXPECT_EQ(IdxGetError(), kIdxNotFound);
  EXPECT_EQ(DbErrorName(), "PEOPLE.X1");
}

TEST_F(DatabaseTest, ADuplicateKeyLeavesADeletedSlotAndNoStrayEntries) {
  Add("alice", 1);
  // Same number, new name: X1 takes it, X2 refuses it.
  auto clash = Person("carol", 1);
  EXPECT_EQ(DbAppendRecord(table, clash.data()), 0);
  EXPECT_EQ(IdxGetError(), kIdxDuplicate);
  EXPECT_EQ(DbErrorName(), "PEOPLE.X2");
  EXPECT_EQ(clash[0], 0) << "the caller's record keeps its own mark";
  EXPECT_EQ(Count(), 2);
  EXPECT_EQ(ReadName(1), "");
  EXPECT_EQ(DbGetError(), kDbRecordDeleted);
  // Neither index may still point at the dead slot.
  EXPECT_EQ(WalkNames(table), std::vector<std::string>{"alice"});
  ASSERT_EQ(DbSetCurrentIndex(table, 1), 1);
  ASSERT_EQ(DbFirst(table), 1);
  EXPECT_EQ(DbCurrentRecord(table), 0);
  ASSERT_EQ(DbNext(table), 1);
  EXPECT_EQ(DbCurrentRecord(table), -1);
  ASSERT_EQ(DbSetCurrentIndex(table, 0), 1);
  // Same name: the first index refuses it.
  EXPECT_EQ(Append(table, "alice", 5), 0);
  EXPECT_EQ(DbErrorName(), "PEOPLE.X1");
  EXPECT_EQ(Count(), 3);
}

TEST_F(DatabaseTest, UniqueNumbersCountOnAfterDeletionsAndAcrossHandles) {
  uint32_t n = 0;
  ASSERT_EQ(GetUniqueNumber(table, &n), 1);
  EXPECT_EQ(n, 1u);
  Add("alice", int32_t(n));
  ASSERT_EQ(GetUniqueNumber(table, &n), 1);
  EXPECT_EQ(n, 2u);
  ASSERT_EQ(Delete(table, "alice", 1, 0), 1);
  ASSERT_EQ(GetUniqueNumber(table, &n), 1);
  EXPECT_EQ(n, 3u);
  Table other(kPeople);
  ASSERT_EQ(DbOpenTable(other, dir.Path()), 1);
  ASSERT_EQ(GetUniqueNumber(other, &n), 1);
  EXPECT_EQ(n, 4u);
  DbCloseTable(other);
  std::string data = ReadWholeFile(dir.File("PEOPLE.DAT"));
  EXPECT_EQ(data[0], 4);
  EXPECT_EQ(data[4], 7) << "the version byte survives";
}

// A workstation died part way through writing a slot (half of it, or its
// first byte alone), with the key of a record that is there: the next
// append passes over it, keeps records aligned, and the torn bytes do not
// become a record.
TEST_F(DatabaseTest, AnAppendAfterATornSlotKeepsRecordsAligned) {
  Add("alice", 1);
  int32_t expected = 2;
  for (size_t torn : {size_t(kRecord / 2), size_t(1)}) {
    SCOPED_TRACE(torn);
    auto alice = Person("alice", 1);
    WriteRaw(512 + int64_t(expected - 1) * kRecord, {alice.begin(), alice.begin() + long(torn)});
    int32_t number = -1;
    ASSERT_EQ(Append(table, "bob" + std::to_string(expected), expected, &number), 1);
    EXPECT_EQ(number, expected);
    EXPECT_EQ(ReadName(expected), "bob" + std::to_string(expected));
    EXPECT_EQ(ReadName(expected - 1), "") << "the torn bytes became a live record";
    EXPECT_EQ(DbGetError(), kDbRecordDeleted);
    expected += 2;
  }
}

// Re-keying record 0 (alice) from its X1 entry: where the entry ends up and
// what the record holds afterwards.
TEST_F(DatabaseTest, RekeyMovesTheEntryOrPutsTheOldOneBack) {
  const struct {
    const char* what;
    std::string newName;
    bool fromEnd;  // the old entry is the end sentinel
    int result;
    std::vector<std::string> walk;
    std::string record0;
  } cases[] = {
      {"a new name", "zoe", false, 1, {"bob", "zoe"}, "zoe"},
      {"a name taken", "bob", false, 0, {"alice", "bob"}, "alice"},
      {"from the end of the index", "carl", true, 0, {"alice", "bob"}, "alice"},
  };
  SetCheckHandler([](const char*, unsigned) {});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Recreate({"alice", "bob"});
    int exact = 0;
    ASSERT_EQ(DbFind(table, NameKey(c.fromEnd ? "zz" : "alice").data(), &exact), 1);
    uint8_t old[kEntryBufferSize];
    DbCurrentEntry(table, old);
    auto renamed = Person(c.newName, 1);
    EXPECT_EQ(DbRekeyRecord(table, old, renamed.data()), c.result);
    if (c.newName == "bob") {
      EXPECT_EQ(IdxGetError(), kIdxDuplicate);
      EXPECT_EQ(DbErrorName(), "PEOPLE.X1");
    }
    EXPECT_EQ(WalkNames(table), c.walk);
    EXPECT_EQ(ReadName(0), c.record0);
  }
  SetCheckHandler(nullptr);
}

TEST_F(DatabaseTest, FindLandsOnTheFirstEntryNotBelowTheKey) {
  for (const char* n : {"adam", "carl", "dora"}) Add(n, int32_t(n[0]));
  int exact = -1;
  ASSERT_EQ(DbFind(table, NameKey("b").data(), &exact), 1);
  EXPECT_EQ(exact, 0);
  EXPECT_EQ(CurrentName(table), "carl");
  ASSERT_EQ(DbFind(table, NameKey("carl").data(), &exact), 1);
  EXPECT_EQ(exact, 1);
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
  auto numberOf = [](const uint8_t* e) { return std::atoi(reinterpret_cast<const char*>(e + 5)); };
  const EntryFilter even = [&](const uint8_t* e) { return numberOf(e) % 2 == 0 ? 1 : 0; };
  const EntryFilter stopAt110 = [&](const uint8_t* e) { return numberOf(e) >= 110 ? -1 : 1; };
  const EntryFilter stopBelow104 = [&](const uint8_t* e) { return numberOf(e) < 104 ? -1 : 1; };
  ASSERT_EQ(DbFirst(table), 1);  // n100
  const struct {
    int32_t count;
    EntryFilter filter;
    int32_t moved;
    std::string landsOn;
  } steps[] = {
      {3, even, 3, "n106"},
      {-2, even, 2, "n102"},
      // Past the end: only what exists is counted, and the position comes
      // back to the last entry shown.
      {50, even, 8, "n118"},
      {-50, even, 9, "n100"},
      // A stop answer ends the walk where it stands.
      {50, stopAt110, 9, "n110"},
      {-50, stopBelow104, 6, "n103"},
      {-50, nullptr, 3, "n100"},
      {2, nullptr, 2, "n102"},
      {-1, nullptr, 1, "n101"},
  };
  for (const auto& s : steps) {
    int32_t moved = -1;
    ASSERT_EQ(DbSkip(table, s.count, &moved, s.filter), 1);
    EXPECT_EQ(moved, s.moved) << s.count;
    EXPECT_EQ(CurrentName(table), s.landsOn) << s.count;
  }
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
  EXPECT_EQ(Append(table, "alice", 1), 0);
  EXPECT_EQ(DbGetError(), kDbLockTimedOut);
  EXPECT_EQ(asked, 1);
  EXPECT_GE(ticks.Now(), kLockWaitTicks);
  EXPECT_EQ(Count(), 0);

  // Retry: the other handle lets go while the question is up.
  DbSetLockRetry([&] {
    ++asked;
    DbUnlockHeader(other);
    return true;
  });
  EXPECT_EQ(Append(table, "alice", 1), 1);
  EXPECT_EQ(asked, 2);
  // Once an append has returned, the other handle appends without waiting.
  const int32_t waited = ticks.Now();
  EXPECT_EQ(Append(other, "bob", 2), 1);
  EXPECT_EQ(ticks.Now(), waited);
  DbCloseTable(other);
}

// Another process holds the append lock: unique numbers wait for it, ask,
// and come at once when it lets go, also by being killed.
TEST_F(LockTest, AnotherProcessHoldingTheAppendLockBlocksUniqueNumbers) {
  for (const bool killed : {false, true}) {
    SCOPED_TRACE(killed ? "killed" : "released");
    LockHolder holder(dir.File("PEOPLE.DAT"), 0);
    ASSERT_TRUE(holder.Held());
    int asked = 0;
    DbSetLockRetry([&] { return ++asked < 3; });
    uint32_t n = 0;
    EXPECT_EQ(GetUniqueNumber(table, &n), 0);
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(DbGetError(), kDbLockTimedOut);
    killed ? holder.Kill() : holder.Release();
    const int32_t waited = ticks.Now();
    EXPECT_EQ(GetUniqueNumber(table, &n), 1);
    EXPECT_EQ(n, killed ? 2u : 1u);
    EXPECT_EQ(ticks.Now(), waited) << "no waiting at all";
  }
}

TEST_F(LockTest, DeletingARecordBeingEditedElsewhereFailsAtOnceWithoutAsking) {
  Add("alice", 1);
  int asked = 0, reported = 0;
  DbSetLockRetry([&] { return ++asked, false; });
  DbSetErrorReporter([&] { ++reported; });
  SetAppError(kAppNotFound, "before");
  {
    // Another handle in this process holds the record.
    Table editor(kPeople);
    ASSERT_EQ(DbOpenTable(editor, dir.Path()), 1);
    EXPECT_EQ(DbUnlockRecord(editor, 0), 0) << "nothing held yet";
    ASSERT_EQ(DbLockRecord(editor, 0), 1);
    ASSERT_EQ(DbLockRecord(editor, 0), 1);  // nesting
    IdxSetError(kIdxDuplicate);             // left over from an earlier failure
    EXPECT_EQ(Delete(table, "alice", 1, 0), 0);
    EXPECT_EQ(DbGetError(), kDbRecordLocked);
    EXPECT_EQ(AppCodeForEngineError(), kAppLockError);
    ASSERT_EQ(DbUnlockRecord(editor, 0), 1);
    EXPECT_EQ(Delete(table, "alice", 1, 0), 0) << "still held once";
    ASSERT_EQ(DbUnlockRecord(editor, 0), 1);
    EXPECT_EQ(DbUnlockRecord(editor, 0), 0) << "no longer held";
    DbCloseTable(editor);
  }
  {
    // Another process holds it: the slot's last byte.
    LockHolder holder(dir.File("PEOPLE.DAT"), 512 + kRecord - 1);
    ASSERT_TRUE(holder.Held());
    EXPECT_EQ(Delete(table, "alice", 1, 0), 0);
    EXPECT_EQ(DbGetError(), kDbRecordLocked);
  }
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(reported, 0);
  EXPECT_EQ(AppErrorCode(), kAppNotFound) << "the application code is left alone";
  EXPECT_EQ(ticks.Now(), 0) << "a record lock is never waited for";
  EXPECT_EQ(WalkNames(table), std::vector<std::string>{"alice"});
  EXPECT_EQ(Delete(table, "alice", 1, 0), 1);
}

// ---- Appends that fail half way ----

// A full disk stops the third record half way, also after a slot torn by an
// earlier write that died: the file is cut back to the last whole record,
// the failure says the disk is full, and with room again the next append
// takes the slot and no other record appears beside it.
TEST_F(DatabaseTest, AFullDiskLeavesTheRecordFileAsItWasAndSaysSo) {
  for (const bool torn : {false, true}) {
    SCOPED_TRACE(torn ? "after a torn slot" : "");
    Recreate({"alice", "bob"});
    const int64_t before = DataLength();
    if (torn) WriteRaw(before, std::vector<uint8_t>(kRecord / 2, 'x'));
    const int answer = WithFileSizeLimit(rlim_t(before + kRecord / 2 + (torn ? 10 : 0)), [&] {
      DbSetErrorReporter(TranslateEngineError);
      if (Append(table, "carl", 3) != 0) return 10;
      if (DbErrorReason() != SystemReason::kDiskFull) return 11;
      if (FormatAppError() != "Error writing file: PEOPLE (the disk is full)") return 12;
      return 0;
    });
    EXPECT_EQ(answer, 0) << "10: the append was answered as done, 11: not a full disk, "
                            "12: the message does not say the disk is full";
    EXPECT_EQ(DataLength(), before) << "a torn record was left behind";
    int32_t number = -1;
    ASSERT_EQ(Append(table, "carl", 3, &number), 1);
    EXPECT_EQ(number, 2);
    EXPECT_EQ(Count(), 3);
  }
}

// Small records, so that the index files outgrow the record file: a limit
// the record file stays under can stop an index's growth.
TEST_F(DatabaseTest, AFullDiskStoppingAnIndexSaysTheDiskIsFull) {
  const TableDef smallPeople = {512, 32, 2, kPeopleIndexes, "SMALL", 7};
  Table fresh(smallPeople), small(smallPeople);
  ASSERT_EQ(DbCreateTable(fresh, dir.Path(), 7), 1);
  ASSERT_EQ(DbOpenTable(small, dir.Path()), 1);
  const std::string index = DbIndexPath(dir.Path(), "SMALL", 1);
  auto size = [](const std::string& path) { return int64_t(std::filesystem::file_size(path)); };
  auto add = [&](int n) { return Append(small, "person" + std::to_string(1000 + n), n); };
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
  DbCloseTable(small);
}

// Each index in turn cut in half, so that it refuses the new entry: the
// record is gone from the file's live records and from the index that took
// its entry before the refusal.
TEST_F(DatabaseTest, ARecordWhoseIndexEntryIsRefusedIsLeftDeleted) {
  for (int broken = 1; broken <= kPeople.indexCount; ++broken) {
    SCOPED_TRACE("X" + std::to_string(broken) + " cut in half");
    Recreate({"alice"});
    const std::string index = DbIndexPath(dir.Path(), "PEOPLE", broken);
    ASSERT_EQ(truncate(index.c_str(), int64_t(ReadWholeFile(index).size()) / 2), 0);
    IdxForgetPageBuffer();
    int32_t number = -1;
    ASSERT_EQ(Append(table, "bob", 2, &number), 0) << "the cut index took the entry";
    EXPECT_NE(IdxGetError(), kIdxOk);
    ASSERT_EQ(number, 1);
    EXPECT_EQ(ReadName(1), "") << "the refused record is live";
    EXPECT_EQ(DbGetError(), kDbRecordDeleted);
    if (broken == 2) {
      EXPECT_EQ(WalkNames(table), std::vector<std::string>{"alice"}) << "X1 names it";
    }
  }
}

}  // namespace
