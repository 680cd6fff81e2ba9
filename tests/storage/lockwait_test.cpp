// The lock wait: how long it waits, when it asks, and what a wrapping tick
// counter does to it.
#include "storage/lockwait.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

#include "tests/support/lock_holder.h"
#include "tests/support/temp_dir.h"

namespace {

// Counts pauses and can start just before the counter wraps.
class ScriptedTicks : public TickSource {
 public:
  explicit ScriptedTicks(int32_t start) : now_(start) { SetTickSource(this); }
  ~ScriptedTicks() override { SetTickSource(nullptr); }
  int32_t Now() override { return now_; }
  void Pause() override {
    ++pauses_;
    now_ = int32_t(uint32_t(now_) + 1);
  }
  long pauses_ = 0;

 private:
  int32_t now_;
};

class LockWaitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    File create;
    ASSERT_TRUE(create.Open(dir.File("F.DAT"), OpenMode::kCreate));
    ASSERT_TRUE(file.Open(dir.File("F.DAT"), OpenMode::kShared));
  }
  TempDir dir;
  File file;
};

// Waited for about 15 seconds, then the question decides; a tick counter
// that wraps restarts the count there, so the wait is a little longer, never
// endless.
TEST_F(LockWaitTest, AHeldByteIsWaitedForAbout15SecondsThenTheQuestionDecides) {
  LockHolder holder(dir.File("F.DAT"), 0);
  ASSERT_TRUE(holder.Held());
  {
    ScriptedTicks ticks(1000);
    int asked = 0;
    EXPECT_FALSE(LockWithRetry(file, 0, [&] { return ++asked < 2; }));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(ticks.pauses_, 2 * kLockWaitTicks);
  }
  ScriptedTicks ticks(INT_MAX - 10);
  EXPECT_FALSE(LockWithRetry(file, 0, nullptr));
  EXPECT_GE(ticks.pauses_, kLockWaitTicks);
  EXPECT_LE(ticks.pauses_, kLockWaitTicks + 11);
}

// The clock stands still; the first pause lets go of a byte that another
// handle of this process holds, as a workstation finishing its update would.
class ReleasingTicks : public TickSource {
 public:
  explicit ReleasingTicks(File& holder) : holder_(holder) { SetTickSource(this); }
  ~ReleasingTicks() override { SetTickSource(nullptr); }
  int32_t Now() override { return 500; }
  void Pause() override { holder_.Unlock(0); }

 private:
  File& holder_;
};

TEST_F(LockWaitTest, AWaitGrantedWithinItsFirstTickIsObserved) {
  File holder;
  ASSERT_TRUE(holder.Open(dir.File("F.DAT"), OpenMode::kShared));
  ASSERT_EQ(holder.TryLock(0), LockResult::kGranted);
  std::vector<std::pair<int32_t, bool>> seen;
  SetLockWaitObserver([&](int32_t ticks, bool granted) { seen.emplace_back(ticks, granted); });
  {
    ReleasingTicks ticks(holder);
    EXPECT_TRUE(LockWithRetry(file, 0, nullptr));
  }
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].first, 0);
  EXPECT_TRUE(seen[0].second);
  // A byte that is free at the first attempt is taken at once, no wait at all.
  file.Unlock(0);
  seen.clear();
  ScriptedTicks ticks(0);
  EXPECT_TRUE(LockWithRetry(file, 0, nullptr));
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(ticks.pauses_, 0);
  SetLockWaitObserver(nullptr);
}

TEST_F(LockWaitTest, TwoHandlesOfOneProcessConflict) {
  File second;
  ASSERT_TRUE(second.Open(dir.File("F.DAT"), OpenMode::kShared));
  ASSERT_EQ(file.TryLock(5), LockResult::kGranted);
  EXPECT_EQ(second.TryLock(5), LockResult::kBusy);
  EXPECT_TRUE(second.IsLockedElsewhere(5));
  EXPECT_EQ(second.TryLock(6), LockResult::kGranted) << "only the one byte is held";
  // Closing another handle of the same file does not drop the lock.
  File third;
  ASSERT_TRUE(third.Open(dir.File("F.DAT"), OpenMode::kShared));
  third.Close();
  EXPECT_EQ(second.TryLock(5), LockResult::kBusy);
  file.Close();
  EXPECT_EQ(second.TryLock(5), LockResult::kGranted);
}

}  // namespace
