// The lock wait shared by the append lock and the index lock.
//
// Time is counted in ticks of 55 ms. A waiting lock is tried whenever the
// elapsed ticks are a multiple of 3, for 271 ticks (about 15 seconds); then
// the lock-retry question is asked, and "retry" starts the wait again.
// The tick source can be replaced so that tests run the real loop quickly.
#pragma once

#include <cstdint>
#include <functional>

#include "storage/file.h"

constexpr int32_t kTickMilliseconds = 55;
constexpr int32_t kLockWaitTicks = 271;
constexpr int32_t kLockAttemptEvery = 3;

class TickSource {
 public:
  virtual ~TickSource() = default;
  // Ticks since some fixed start; may wrap.
  virtual int32_t Now() = 0;
  // Pauses briefly between lock attempts.
  virtual void Pause() = 0;
};

// The real clock: milliseconds of the monotonic clock divided by 55.
TickSource& SystemTicks();
// Replaces the tick source; nullptr restores the real clock.
void SetTickSource(TickSource* source);
TickSource& Ticks();

// Answers true to retry, false to give up.
using LockRetryQuestion = std::function<bool()>;

// Locks one byte at offset with the retry loop; false when the time ran out
// and the question (if any) declined to retry.
bool LockWithRetry(File& file, int64_t offset, const LockRetryQuestion& question);
// The same for a shared lock, what a read-only handle holds while it reads.
bool LockSharedWithRetry(File& file, int64_t offset, const LockRetryQuestion& question);

// A read or write of bytes that another workstation may hold locked (byte 0
// is the append lock, and record 0 of a table without header starts there).
// An SMB share refuses such a transfer while the lock is held; it is tried
// again on the lock wait's timing for one wait (about 15 seconds, no
// question asked). Answers as File::ReadAt / WriteAt, after the last attempt.
long ReadAtWaiting(File& file, int64_t offset, void* buffer, size_t length);
long WriteAtWaiting(File& file, int64_t offset, const void* buffer, size_t length);

// The questions asked for the append lock and for the index lock.
void DbSetLockRetry(LockRetryQuestion question);
void IdxSetLockRetry(LockRetryQuestion question);
const LockRetryQuestion& DbLockRetry();
const LockRetryQuestion& IdxLockRetry();

// Observes every lock wait that did not succeed at its first attempt
// (ticks waited, granted or not); the stress test keeps a histogram.
using LockWaitObserver = std::function<void(int32_t ticks, bool granted)>;
void SetLockWaitObserver(LockWaitObserver observer);
