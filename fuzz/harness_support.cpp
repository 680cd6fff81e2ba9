#include "fuzz/harness_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "storage/check.h"
#include "storage/errors.h"
#include "storage/file.h"
#include "storage/index_keep.h"
#include "storage/lockwait.h"

namespace harness {

namespace {

// Lock waits count ticks that pass at every pause, so a lock another handle
// keeps gives up at once instead of after 15 seconds: a lock left held shows
// up as a failure (and as a fault in the checks), not as a slow input.
class InstantTicks : public TickSource {
 public:
  int32_t Now() override { return now_; }
  void Pause() override { ++now_; }

 private:
  int32_t now_ = 0;
};

// One directory per process, removed when the process ends.
class Scratch {
 public:
  Scratch() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/deskpost-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern + "/";
  }
  ~Scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

Input::Input(const uint8_t* data, size_t size, size_t scriptBytes)
    : data_(data),
      size_(size),
      filesSize_(size > scriptBytes ? size - scriptBytes : 0),
      next_(filesSize_) {}

uint8_t Input::Byte() {
  return next_ < size_ ? data_[next_++] : 0;
}

uint16_t Input::U16() {
  uint16_t low = Byte();
  return uint16_t(low | Byte() << 8);
}

uint32_t Input::U32() {
  uint32_t low = U16();
  return low | uint32_t(U16()) << 16;
}

const std::string& BeginInput() {
  static Scratch scratch;
  static InstantTicks ticks;
  static bool once = [] {
    SetCheckHandler([](const char*, unsigned) {});
    SetTickSource(&ticks);
    DbSetErrorReporter(nullptr);
    DbSetLockRetry(nullptr);
    IdxSetLockRetry(nullptr);
    // Room for a few kept index pages only, so that pages are given up and
    // taken back all the time, as in the engine's own tests.
    index_keep::SetLimit(3);
    return true;
  }();
  (void)once;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(scratch.Path(), ignored))
    std::filesystem::remove_all(entry.path(), ignored);
  // Another input's handles are gone; what the page buffer holds is theirs.
  IdxForgetPageBuffer();
  DbClearError();
  IdxSetError(kIdxOk);
  return scratch.Path();
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  File file;
  if (!file.Open(path, OpenMode::kCreate)) throw std::runtime_error("cannot create " + path);
  if (size > 0 && file.WriteAt(0, data, size) != long(size))
    throw std::runtime_error("cannot write " + path);
}

int64_t FileLength(const std::string& path) {
  File file;
  if (!file.Open(path, OpenMode::kReadOnly)) return -1;
  return file.Size();
}

bool LockHeld(const std::string& path, int64_t offset, int64_t length) {
  File probe;
  if (!probe.Open(path, OpenMode::kShared)) return false;
  return probe.IsLockedElsewhere(offset, length);
}

bool IsIndexCode(int code) {
  switch (code) {
    case kIdxOpenFailed:
    case kIdxShortRead:
    case kIdxShortWrite:
    case kIdxSeekFailed:
    case kIdxLockTimedOut:
    case kIdxCorrupt:
    case kIdxDuplicate:
    case kIdxNotFound:
      return true;
  }
  return false;
}

bool FailedWithCode() {
  switch (DbGetError()) {
    case kDbOk:
      return IsIndexCode(IdxGetError());
    case kDbOpenFailed:
    case kDbReadFailed:
    case kDbWriteFailed:
    case kDbSeekFailed:
    case kDbNoMemory:
    case kDbLockTimedOut:
    case kDbRecordDeleted:
    case kDbRecordLocked:
    case kDbWrongVersion:
      return true;
  }
  return false;
}

unsigned ChecksFailed() {
  return CheckFailureCount();
}

}  // namespace harness
