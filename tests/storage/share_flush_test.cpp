// Flushing on a network share: what a workstation wrote under a lock is on
// the server before the lock is released, and a flush never gives a lock
// up. (Closing a duplicate handle, the old flush, made the CIFS client
// release every lock of the file while the engine went on as the holder;
// tests/netfs checks the real client.) Watched through File::ObserveCalls on
// the local disk, with File::SimulateSmbShare standing in for the share.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "storage/database.h"
#include "storage/errors.h"
#include "storage/file.h"
#include "storage/index.h"
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
const TableDef kPeople = {128, kRecord, 1, kByName, "PEOPLE", 2};

std::vector<uint8_t> Row(int n) {
  std::vector<uint8_t> r(kRecord, 0);
  std::snprintf(reinterpret_cast<char*>(r.data() + 1), 21, "NAME%08d", n);
  return r;
}

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

class ShareFlushTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DbSetErrorReporter(nullptr);
    DbSetLockRetry(nullptr);
    IdxSetLockRetry(nullptr);
  }
  void TearDown() override { File::SimulateSmbShare(false); }

  void MakeTable() {
    Table fresh(kPeople);
    ASSERT_EQ(DbCreateTable(fresh, dir.Path(), kPeople.version), 1);
  }

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

TEST_F(ShareFlushTest, OnAShareEveryChangeIsFlushedBeforeItsLockGoesAndNoLockedHandleIsClosed) {
  File::SimulateSmbShare(true);
  MakeTable();
  Table t(kPeople);
  ASSERT_EQ(DbOpenTable(t, dir.Path()), 1);
  ASSERT_TRUE(t.data.OnNetworkShare());
  {
    FlushWatch watch;
    ChangeEverything(t);
    EXPECT_EQ(watch.breaches, std::vector<std::string>{});
    // Whole new pages of the splits are flushed inside their update.
    EXPECT_GT(watch.commitsUnderLock, 0);
    EXPECT_GT(watch.unlocks, 400);
  }
  DbCloseTable(t);
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

TEST_F(ShareFlushTest, AnEditWrittenUnderTheRecordLockIsFlushedWhenTheLockGoes) {
  File::SimulateSmbShare(true);
  MakeTable();
  Table t(kPeople);
  ASSERT_EQ(DbOpenTable(t, dir.Path()), 1);
  ASSERT_EQ(DbAppendRecord(t, Row(1).data()), 1);
  std::vector<FileCall> calls;
  File::ObserveCalls([&](int, FileCall call, int64_t) { calls.push_back(call); });
  ASSERT_EQ(DbLockRecord(t, 0), 1);
  ASSERT_EQ(DbWriteRecord(t, 0, Row(2).data()), 1);
  ASSERT_EQ(DbUnlockRecord(t, 0), 1);
  File::ObserveCalls(nullptr);
  EXPECT_EQ(calls, (std::vector<FileCall>{FileCall::kLock, FileCall::kWrite, FileCall::kCommit,
                                          FileCall::kUnlock}));
  DbCloseTable(t);
}

TEST_F(ShareFlushTest, OnALocalDiskNothingIsFlushed) {
  MakeTable();
  Table t(kPeople);
  ASSERT_EQ(DbOpenTable(t, dir.Path()), 1);
  ASSERT_FALSE(t.data.OnNetworkShare());
  FlushWatch watch;
  ChangeEverything(t);
  EXPECT_EQ(watch.commits, 0);
  DbCloseTable(t);
}

}  // namespace
