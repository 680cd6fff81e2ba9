// The lock wait: how long it waits, when it asks, and what a wrapping tick
// counter does to it.
#include "storage/lockwait.h"

#include <gtest/gtest.h>

#include <climits>

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

TEST_F(LockWaitTest, AFreeByteIsTakenAtOnce) {
  ScriptedTicks ticks(0);
  EXPECT_TRUE(LockWithRetry(file, 0, nullptr));
  EXPECT_EQ(ticks.pauses_, 0);
}

TEST_F(LockWaitTest, AHeldByteIsWaitedForAbout15SecondsThenTheQuestionDecides) {
  LockHolder holder(dir.File("F.DAT"), 0);
  ASSERT_TRUE(holder.Held());
  ScriptedTicks ticks(1000);
  int asked = 0;
  EXPECT_FALSE(LockWithRetry(file, 0, [&] { return ++asked < 2; }));
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(ticks.pauses_, 2 * kLockWaitTicks);
}

TEST_F(LockWaitTest, AWrappingTickCounterStillEndsTheWait) {
  LockHolder holder(dir.File("F.DAT"), 0);
  ASSERT_TRUE(holder.Held());
  ScriptedTicks ticks(INT_MAX - 10);
  EXPECT_FALSE(LockWithRetry(file, 0, nullptr));
  // The count restarts at the wrap, so the wait is a little longer, never endless.
  EXPECT_GE(ticks.pauses_, kLockWaitTicks);
  EXPECT_LE(ticks.pauses_, kLockWaitTicks + 11);
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
