// The engine on a network share. A share that enforces byte-range locks on
// every read and write (SMB): bytes another workstation holds are never read
// by mistake, and where a read must touch such a byte (the append lock at
// byte 0) it waits for the lock instead of failing; simulated on the local
// disk with File::SimulateMandatoryLocks, another workstation being another
// process. Flushing: what a workstation wrote under a lock is on the server
// before the lock is released, and a flush never gives a lock up. (Closing
// a duplicate handle, the old flush, made the CIFS client release every lock
// of the file while the engine went on as the holder; tests/netfs checks the
// real client.) Watched through File::ObserveCalls on the local disk, with
// File::SimulateSmbShare standing in for the share.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "storage/database.h"
#include "storage/errors.h"
#include "storage/file.h"
#include "storage/index.h"
#include "storage/lockwait.h"
#include "tests/support/lock_holder.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kRecord = 40;

// 24-byte entries: 84 to a page, so a few hundred rows split leaves and the
// root, the updates that write whole new pages and flush half way.
void BuildByName(const uint8_t* record, uint8_t* entry, int32_t) {
  std::memcpy(entry + 4, record + 1, 20);
}
int CompareByName(const uint8_t* a, const uint8_t* b) {
  return std::memcmp(a + 4, b + 4, 20);
}
const IndexDef kByName[] = {{24, BuildByName, CompareByName}};
// A table with a header (append lock at byte 0, version at byte 4) and one
// without, whose record 0 starts on the append lock byte.
const TableDef kWithHeader = {128, kRecord, 1, kByName, "HEADED", 3};
const TableDef kHeaderless = {0, kRecord, 1, kByName, "BARE", 0};

std::vector<uint8_t> Row(const std::string& name) {
  std::vector<uint8_t> r(kRecord, 0);
  std::memcpy(r.data() + 1, name.data(), std::min<size_t>(name.size(), 20));
  return r;
}
std::vector<uint8_t> Row(int n) {
  char name[21];
  std::snprintf(name, sizeof name, "NAME%08d", n);
  return Row(name);
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

// Follows every handle's locks and writes and notes each breach of the rule
// "nothing written stays unflushed when a lock goes, and no handle is closed
// while it holds a lock".
class FlushWatch {
 public:
  FlushWatch() {
    File::ObserveCalls([this](int fd, FileCall call, int64_t offset) { Note(fd, call, offset); });
  }
  ~FlushWatch() { File::ObserveCalls(nullptr); }

  std::vector<std::string> breaches;
  int commits = 0;
  int commitsUnderLock = 0;
  int unlocks = 0;

 private:
  struct Handle {
    std::multiset<int64_t> held;
    bool unflushed = false;
  };

  void Note(int fd, FileCall call, int64_t offset) {
    Handle& h = handles_[fd];
    switch (call) {
      case FileCall::kWrite:
        h.unflushed = true;
        break;
      case FileCall::kCommit:
        h.unflushed = false;
        ++commits;
        if (!h.held.empty()) ++commitsUnderLock;
        break;
      case FileCall::kLock:
        h.held.insert(offset);
        break;
      case FileCall::kUnlock:
        ++unlocks;
        if (h.unflushed)
          breaches.push_back("lock at " + std::to_string(offset) + " released before a flush");
        if (auto it = h.held.find(offset); it != h.held.end()) h.held.erase(it);
        break;
      case FileCall::kClose:
        if (!h.held.empty()) breaches.push_back("handle closed while it held a lock");
        handles_.erase(fd);
        break;
    }
  }

  std::map<int, Handle> handles_;
};

class ShareTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DbSetErrorReporter(nullptr);
    DbSetLockRetry(nullptr);
    IdxSetLockRetry(nullptr);
  }
  void TearDown() override {
    File::SimulateMandatoryLocks(false);
    File::SimulateSmbShare(false);
  }

  // Creates the table, with three rows unless `empty`, and opens it.
  void Make(Table& t, bool empty = false) {
    Table fresh(t.headerSize == 0 ? kHeaderless : kWithHeader);
    ASSERT_EQ(DbCreateTable(fresh, dir.Path(), fresh.version), 1);
    ASSERT_EQ(DbOpenTable(t, dir.Path()), 1);
    if (empty) return;
    for (const char* name : {"ANNE", "BERT", "CARL"})
      ASSERT_EQ(DbAppendRecord(t, Row(name).data()), 1);
  }
  std::string DataPath(const Table& t) { return DbDataPath(dir.Path(), t.name); }

  // Appends, edits under the record lock, re-keys and deletes: every kind
  // of locked change the engine makes to a table and its index.
  void ChangeEverything(Table& t) {
    for (int i = 0; i < 250; ++i) ASSERT_EQ(DbAppendRecord(t, Row((i * 37) % 250).data()), 1);
    ASSERT_EQ(DbLockRecord(t, 3), 1);
    std::vector<uint8_t> edited = Row(3);
    edited[30] = 'E';
    ASSERT_EQ(DbWriteRecord(t, 3, edited.data()), 1);
    ASSERT_EQ(DbUnlockRecord(t, 3), 1);
    uint8_t old[kEntryBufferSize] = {};
    DbMakeEntry(t, 0, Row(111).data(), 3, old);
    ASSERT_EQ(DbRekeyRecord(t, old, Row(900).data()), 1);
    for (int32_t n = 100; n < 200; ++n)
      ASSERT_EQ(DbDeleteRecord(t, Row((n * 37) % 250).data(), n), 1);
  }

  TempDir dir;
};

class ShareLocksTest : public ShareTest {
 protected:
  void SetUp() override {
    ShareTest::SetUp();
    File::SimulateMandatoryLocks(true);
  }
};
using ShareFlushTest = ShareTest;

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

// Another workstation holds the append lock at byte 0 and lets it go at a
// chosen pause of the lock wait (never, when 0): whether each call succeeds
// and how many pauses it waited. Attempts come every 3 ticks, so a call that
// waits is granted at the first attempt after the release.
TEST_F(ShareLocksTest, OnlyCallsThatTouchTheAppendLockByteWaitForIt) {
  uint8_t record[kRecord];
  std::vector<uint8_t> header(kWithHeader.headerSize);
  auto holds = [&](const char* name) { return std::memcmp(record + 1, name, 4) == 0; };
  const struct {
    const char* what;
    const TableDef* def;
    long releaseAt;
    std::function<bool(Table&)> call;
    long fewest, most;  // pauses
  } cases[] = {
      {"open", &kWithHeader, 0,
       [&](Table& t) {
         DbCloseTable(t);
         return DbOpenTable(t, dir.Path()) == 1;
       },
       0, 0},
      {"read the header", &kWithHeader, 7,
       [&](Table& t) {
         return DbReadHeader(t, header.data()) == 1 &&
                header[kVersionOffset] == kWithHeader.version;
       },
       7, 7 + kLockAttemptEvery - 1},
      {"read record 0 of a table without header", &kHeaderless, 40,
       [&](Table& t) { return DbReadRecord(t, 0, record) == 1 && holds("ANNE"); }, 40,
       40 + kLockAttemptEvery - 1},
      {"write record 0", &kHeaderless, 10,
       [&](Table& t) {
         return DbWriteRecord(t, 0, Row("ANNA").data()) == 1 && DbReadRecord(t, 0, record) == 1 &&
                holds("ANNA");
       },
       10, 10 + kLockAttemptEvery - 1},
      // Held past the lock wait: the read fails after one wait.
      {"read record 0 held throughout", &kHeaderless, 0,
       [&](Table& t) { return DbReadRecord(t, 0, record) == 0 && DbGetError() == kDbReadFailed; },
       kLockWaitTicks, kLockWaitTicks},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Table t(*c.def);
    Make(t);
    LockHolder appending(DataPath(t), 0);
    ASSERT_TRUE(appending.Held());
    ReleasingTicks ticks(&appending, c.releaseAt);
    EXPECT_TRUE(c.call(t));
    EXPECT_GE(ticks.pauses, c.fewest);
    EXPECT_LE(ticks.pauses, c.most);
    DbCloseTable(t);
  }
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
    updating.Release();
    EXPECT_TRUE(LockHolder(DbIndexPath(dir.Path(), t.name, 1), kIndexLockByte).Held())
        << "the step kept the index lock";
    DbCloseTable(t);
  }
}

TEST(FileSystemOfType, NamesTheNetworkSharesByTheirMagicNumbers) {
  EXPECT_EQ(FileSystemOfType(0x6969), FileSystemKind::kNfs);
  EXPECT_EQ(FileSystemOfType(0xFF534D42), FileSystemKind::kSmb);  // cifs
  EXPECT_EQ(FileSystemOfType(0xFE534D42), FileSystemKind::kSmb);  // SMB2 and 3
  EXPECT_EQ(FileSystemOfType(0x517B), FileSystemKind::kSmb);      // smbfs
  // A 32-bit magic may come sign-extended in the long.
  EXPECT_EQ(FileSystemOfType(long(int32_t(0xFF534D42u))), FileSystemKind::kSmb);
  EXPECT_EQ(FileSystemOfType(0xEF53), FileSystemKind::kLocal);      // ext4
  EXPECT_EQ(FileSystemOfType(0x01021994), FileSystemKind::kLocal);  // tmpfs
}

// On a local disk, where every workstation reads the one page cache,
// nothing is flushed at all.
TEST_F(ShareFlushTest, OnAShareEveryChangeIsFlushedBeforeItsLockGoesAndNoLockedHandleIsClosed) {
  for (const bool share : {true, false}) {
    SCOPED_TRACE(share ? "on a share" : "on a local disk");
    File::SimulateSmbShare(share);
    Table t(kWithHeader);
    Make(t, true);
    ASSERT_EQ(t.data.OnNetworkShare(), share);
    {
      FlushWatch watch;
      ChangeEverything(t);
      if (share) {
        EXPECT_EQ(watch.breaches, std::vector<std::string>{});
        // Whole new pages of the splits are flushed inside their update.
        EXPECT_GT(watch.commitsUnderLock, 0);
        EXPECT_GT(watch.unlocks, 400);
      } else {
        EXPECT_EQ(watch.commits, 0);
      }
    }
    DbCloseTable(t);
  }
}

TEST_F(ShareFlushTest, AFlushOnAShareKeepsTheLocksOfTheHandle) {
  File::SimulateSmbShare(true);
  File holder;
  ASSERT_TRUE(holder.Open(dir.File("F.DAT"), OpenMode::kCreate));
  ASSERT_EQ(holder.TryLock(2047), LockResult::kGranted);
  ASSERT_EQ(holder.WriteAt(0, "abc", 3), 3);
  ASSERT_TRUE(holder.Flush());
  File other;
  ASSERT_TRUE(other.Open(dir.File("F.DAT"), OpenMode::kShared));
  EXPECT_EQ(other.TryLock(2047), LockResult::kBusy);
  EXPECT_TRUE(other.IsLockedElsewhere(2047));
}

}  // namespace
