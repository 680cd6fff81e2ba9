// The engine on a share that enforces byte-range locks on every read and
// write (SMB): bytes another workstation holds are never read by mistake,
// and where a read must touch such a byte (the append lock at byte 0) it
// waits for the lock instead of failing. Simulated on the local disk with
// File::SimulateMandatoryLocks; another workstation is another process.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "storage/database.h"
#include "storage/errors.h"
#include "storage/file.h"
#include "storage/index.h"
#include "storage/lockwait.h"
#include "tests/support/lock_holder.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kRecord = 32;

void BuildByName(const uint8_t* record, uint8_t* entry, int32_t) {
  std::memcpy(entry + 4, record + 1, 16);
}
int CompareByName(const uint8_t* a, const uint8_t* b) {
  return std::memcmp(a + 4, b + 4, 16);
}
const IndexDef kByName[] = {{20, BuildByName, CompareByName}};
// A table with a header (append lock at byte 0, version at byte 4) and one
// without, whose record 0 starts on the append lock byte.
const TableDef kWithHeader = {128, kRecord, 1, kByName, "HEADED", 3};
const TableDef kHeaderless = {0, kRecord, 1, kByName, "BARE", 0};

std::vector<uint8_t> Row(const char* name) {
  std::vector<uint8_t> r(kRecord, 0);
  std::memcpy(r.data() + 1, name, std::strlen(name));
  return r;
}

// Counts pauses of the lock wait and lets another workstation go at a
// chosen pause (never, when 0).
class ReleasingTicks : public TickSource {
 public:
  ReleasingTicks(LockHolder* holder, long releaseAt) : holder_(holder), releaseAt_(releaseAt) {
    SetTickSource(this);
  }
  ~ReleasingTicks() override { SetTickSource(nullptr); }
  int32_t Now() override { return now_; }
  void Pause() override {
    ++now_;
    if (++pauses == releaseAt_) holder_->Release();
  }
  long pauses = 0;

 private:
  LockHolder* holder_;
  long releaseAt_;
  int32_t now_ = 0;
};

class ShareLocksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DbSetErrorReporter(nullptr);
    DbSetLockRetry(nullptr);
    IdxSetLockRetry(nullptr);
    File::SimulateMandatoryLocks(true);
  }
  void TearDown() override {
    File::SimulateMandatoryLocks(false);
    File::SimulateSmbShare(false);
  }

  // Creates the table with three rows and opens it.
  void Make(Table& t) {
    Table fresh(t.headerSize == 0 ? kHeaderless : kWithHeader);
    ASSERT_EQ(DbCreateTable(fresh, dir.Path(), fresh.version), 1);
    ASSERT_EQ(DbOpenTable(t, dir.Path()), 1);
    for (const char* name : {"ANNE", "BERT", "CARL"})
      ASSERT_EQ(DbAppendRecord(t, Row(name).data()), 1);
  }
  std::string DataPath(const Table& t) { return DbDataPath(dir.Path(), t.name); }

  TempDir dir;
};

TEST_F(ShareLocksTest, TheSimulatedShareRefusesReadingAByteAnotherHandleHolds) {
  File create;
  ASSERT_TRUE(create.Open(dir.File("F.DAT"), OpenMode::kCreate));
  ASSERT_EQ(create.WriteAt(0, "abcdef", 6), 6);
  LockHolder holder(dir.File("F.DAT"), 0);
  ASSERT_TRUE(holder.Held());
  char got[6];
  EXPECT_EQ(create.ReadAt(0, got, 6), -1);
  EXPECT_TRUE(File::LastRefusedByLock());
  EXPECT_EQ(create.ReadAt(1, got, 5), 5);
  EXPECT_EQ(create.WriteAt(0, "x", 1), -1);
}

TEST_F(ShareLocksTest, ATableOpensAtOnceWhileAnotherWorkstationAppends) {
  Table t(kWithHeader);
  Make(t);
  DbCloseTable(t);
  LockHolder appending(DataPath(t), 0);
  ASSERT_TRUE(appending.Held());
  ReleasingTicks ticks(&appending, 0);
  EXPECT_EQ(DbOpenTable(t, dir.Path()), 1);
  EXPECT_EQ(ticks.pauses, 0);
  DbCloseTable(t);
}

TEST_F(ShareLocksTest, RecordZeroOfATableWithoutHeaderIsReadOnceTheAppendEndsElsewhere) {
  Table t(kHeaderless);
  Make(t);
  LockHolder appending(DataPath(t), 0);
  ASSERT_TRUE(appending.Held());
  ReleasingTicks ticks(&appending, 40);
  uint8_t record[kRecord];
  ASSERT_EQ(DbReadRecord(t, 0, record), 1);
  EXPECT_EQ(std::memcmp(record + 1, "ANNE", 4), 0);
  // Taken at the first attempt after the release (attempts every 3 ticks).
  EXPECT_GE(ticks.pauses, 40);
  EXPECT_LT(ticks.pauses, 40 + kLockAttemptEvery);
  DbCloseTable(t);
}

TEST_F(ShareLocksTest, RecordZeroIsWrittenOnceTheAppendEndsElsewhere) {
  Table t(kHeaderless);
  Make(t);
  LockHolder appending(DataPath(t), 0);
  ASSERT_TRUE(appending.Held());
  ReleasingTicks ticks(&appending, 10);
  ASSERT_EQ(DbWriteRecord(t, 0, Row("ANNA").data()), 1);
  uint8_t record[kRecord];
  ASSERT_EQ(DbReadRecord(t, 0, record), 1);
  EXPECT_EQ(std::memcmp(record + 1, "ANNA", 4), 0);
  DbCloseTable(t);
}

TEST_F(ShareLocksTest, AnAppendLockHeldPastTheLockWaitFailsTheReadAfterOneWait) {
  Table t(kHeaderless);
  Make(t);
  LockHolder stuck(DataPath(t), 0);
  ASSERT_TRUE(stuck.Held());
  ReleasingTicks ticks(&stuck, 0);
  uint8_t record[kRecord];
  EXPECT_EQ(DbReadRecord(t, 0, record), 0);
  EXPECT_EQ(DbGetError(), kDbReadFailed);
  EXPECT_EQ(ticks.pauses, kLockWaitTicks);
  DbCloseTable(t);
}

TEST_F(ShareLocksTest, TheHeaderIsReadOnceTheAppendEndsElsewhere) {
  Table t(kWithHeader);
  Make(t);
  LockHolder appending(DataPath(t), 0);
  ASSERT_TRUE(appending.Held());
  ReleasingTicks ticks(&appending, 7);
  std::vector<uint8_t> header(kWithHeader.headerSize);
  EXPECT_EQ(DbReadHeader(t, header.data()), 1);
  EXPECT_EQ(header[kVersionOffset], kWithHeader.version);
  DbCloseTable(t);
}

TEST_F(ShareLocksTest, ARecordHeldForEditingIsReadAtOnceButNotDeleted) {
  for (const TableDef* def : {&kWithHeader, &kHeaderless}) {
    Table t(*def);
    Make(t);
    const int64_t lockByte = int64_t(def->headerSize) + 1 * kRecord + kRecord - 1;
    LockHolder editing(DataPath(t), lockByte);
    ASSERT_TRUE(editing.Held());
    ReleasingTicks ticks(&editing, 0);
    uint8_t record[kRecord];
    ASSERT_EQ(DbReadRecord(t, 1, record), 1) << def->name;
    EXPECT_EQ(std::memcmp(record + 1, "BERT", 4), 0);
    EXPECT_EQ(ticks.pauses, 0);
    EXPECT_EQ(DbDeleteRecord(t, record, 1), 0);
    EXPECT_EQ(DbGetError(), kDbRecordLocked);
    DbCloseTable(t);
  }
}

// Another workstation holds the index lock but has not yet changed page 0's
// counter. On a share a step waits for the lock, so that the client reads
// the pages afresh; on a local disk, where every workstation reads the one
// page cache, the unchanged counter vouches for the page and the step goes
// on at once.
TEST_F(ShareLocksTest, AWalkStepWaitsForTheIndexLockOnlyOnAShare) {
  for (const bool share : {true, false}) {
    File::SimulateSmbShare(share);
    Table t(kWithHeader);
    Make(t);
    ASSERT_EQ(DbFirst(t), 1);
    LockHolder updating(DbIndexPath(dir.Path(), t.name, 1), kIndexLockByte);
    ASSERT_TRUE(updating.Held());
    ReleasingTicks ticks(&updating, 12);
    ASSERT_EQ(DbNext(t), 1) << share;
    EXPECT_EQ(std::memcmp(t.Current().currentEntry + 4, "BERT", 4), 0) << share;
    if (share) {
      EXPECT_GE(ticks.pauses, 12);
      EXPECT_LT(ticks.pauses, 12 + kLockAttemptEvery);
    } else {
      EXPECT_EQ(ticks.pauses, 0);
    }
    DbCloseTable(t);
  }
}

}  // namespace
