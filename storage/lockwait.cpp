#include "storage/lockwait.h"

#include <chrono>
#include <thread>

namespace {

class SystemTickSource : public TickSource {
 public:
  int32_t Now() override {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now().time_since_epoch())
                  .count();
    return int32_t(uint32_t(uint64_t(ms) / kTickMilliseconds));
  }
  // Attempts within an attempt tick are a millisecond apart, so a lock freed
  // by another workstation is taken promptly without spinning the processor.
  void Pause() override { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }
};

TickSource* source = nullptr;
LockRetryQuestion dbQuestion;
LockRetryQuestion idxQuestion;
LockWaitObserver observer;

}  // namespace

TickSource& SystemTicks() {
  static SystemTickSource ticks;
  return ticks;
}

void SetTickSource(TickSource* s) {
  source = s;
}
TickSource& Ticks() {
  return source ? *source : SystemTicks();
}

namespace {

bool WaitForLock(File& file, int64_t offset, const LockRetryQuestion& question, bool shared) {
  TickSource& ticks = Ticks();
  int32_t waited = 0;
  // A wait that is granted within its first tick reads 0 ticks, yet it was a
  // wait: what makes it one is a refused attempt, not the ticks counted.
  bool refused = false;
  for (;;) {
    int32_t start = ticks.Now();
    for (;;) {
      // Unsigned difference: the counter may wrap without any overflow here.
      int32_t elapsed = int32_t(uint32_t(ticks.Now()) - uint32_t(start));
      if (elapsed < 0) {  // the tick counter wrapped: count again from here
        start = ticks.Now();
        elapsed = 0;
      }
      if (elapsed >= kLockWaitTicks) break;
      if (elapsed % kLockAttemptEvery == 0) {
        LockResult r = shared ? file.TryLockShared(offset) : file.TryLock(offset);
        if (r == LockResult::kGranted) {
          if (observer && refused) observer(waited + elapsed, true);
          return true;
        }
        if (r != LockResult::kBusy) return false;  // not a contention: waiting will not help
        refused = true;
      }
      ticks.Pause();
    }
    waited += kLockWaitTicks;
    if (!question || !question()) {
      if (observer) observer(waited, false);
      return false;
    }
  }
}

}  // namespace

bool LockWithRetry(File& file, int64_t offset, const LockRetryQuestion& question) {
  return WaitForLock(file, offset, question, false);
}

bool LockSharedWithRetry(File& file, int64_t offset, const LockRetryQuestion& question) {
  return WaitForLock(file, offset, question, true);
}

namespace {

// Tries a transfer until it is not refused by a lock or one lock wait has
// passed, on the same attempt ticks as a lock.
template <typename Transfer>
long TransferWaiting(Transfer transfer) {
  long done = transfer();
  if (done >= 0 || !File::LastRefusedByLock()) return done;
  TickSource& ticks = Ticks();
  int32_t start = ticks.Now();
  for (;;) {
    int32_t elapsed = int32_t(uint32_t(ticks.Now()) - uint32_t(start));
    if (elapsed < 0) {  // the tick counter wrapped: count again from here
      start = ticks.Now();
      elapsed = 0;
    }
    if (elapsed >= kLockWaitTicks) return done;
    if (elapsed % kLockAttemptEvery == 0) {
      done = transfer();
      if (done >= 0 || !File::LastRefusedByLock()) return done;
    }
    ticks.Pause();
  }
}

}  // namespace

long ReadAtWaiting(File& file, int64_t offset, void* buffer, size_t length) {
  return TransferWaiting([&] { return file.ReadAt(offset, buffer, length); });
}

long WriteAtWaiting(File& file, int64_t offset, const void* buffer, size_t length) {
  return TransferWaiting([&] { return file.WriteAt(offset, buffer, length); });
}

void DbSetLockRetry(LockRetryQuestion q) {
  dbQuestion = std::move(q);
}
void IdxSetLockRetry(LockRetryQuestion q) {
  idxQuestion = std::move(q);
}
const LockRetryQuestion& DbLockRetry() {
  return dbQuestion;
}
const LockRetryQuestion& IdxLockRetry() {
  return idxQuestion;
}
void SetLockWaitObserver(LockWaitObserver o) {
  observer = std::move(o);
}
