#include "data/office/flags.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>

#include "data/office/datadir.h"
#include "storage/check.h"

namespace {

// Paths whose last examination failed, with the reason.
std::map<std::string, SystemReason>& Failures() {
  static std::map<std::string, SystemReason> failures;
  return failures;
}

int ValueOfSize(int64_t size) {
  return size > kMaxFlagFileSize ? 1 : int(size) + 1;
}

}  // namespace

std::string FlagFilePath(const std::string& directory, int32_t userNumber) {
  return directory + std::to_string(userNumber) + ".nam";
}

int GetFlagValue(const std::string& flagPath) {
  auto failed = Failures().find(flagPath);
  // Until the file is back only an existence test is made: that is all a
  // poll costs while nobody has news for the user.
  if (failed != Failures().end() && ::access(flagPath.c_str(), F_OK) != 0) {
    // The reason is kept up to date: a missing file is no news, an access
    // error means the share is gone.
    failed->second = ReasonFromErrno(errno);
    return 0;
  }
  struct stat st;
  if (::stat(flagPath.c_str(), &st) != 0) {
    Failures()[flagPath] = ReasonFromErrno(errno);
    return 0;
  }
  if (failed != Failures().end()) Failures().erase(failed);
  return ValueOfSize(st.st_size);
}

SystemReason FlagFailure(const std::string& flagPath) {
  auto failed = Failures().find(flagPath);
  return failed == Failures().end() ? SystemReason::kNone : failed->second;
}

int SetFlag(int bit, bool set, int32_t userNumber) {
  if (!DP_CHECK(bit > 0 && bit < 256 && !DataDirectory().empty())) {
    SetAppError(kAppInvalidName, "SetFlag");
    return 0;
  }
  const std::string path = FlagFilePath(DataDirectory(), userNumber);
  int value = GetFlagValue(path);
  if (set) {
    value |= bit;
  } else {
    int clear = bit;
    // A message seen is no longer urgent either.
    if (bit & kFlagNewMessage) clear |= kFlagUrgentMessage;
    value &= ~clear;
  }
  if (value == 0) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
      SetAppError(AppCodeForWriteFailure(ReasonFromErrno(errno)), path);
      return 0;
    }
    return 1;
  }
  // The file is brought to its new length in one step rather than emptied
  // and refilled: a workstation polling in between would otherwise read an
  // empty file as "new message".
  int fd;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    SetAppError(AppCodeForOpenFailure(ReasonFromErrno(errno)), path);
    return 0;
  }
  int result = 1;
  static const char zeros[256] = {};
  if (::ftruncate(fd, value - 1) != 0 || ::pwrite(fd, zeros, size_t(value - 1), 0) != value - 1) {
    SetAppError(AppCodeForWriteFailure(ReasonFromErrno(errno)), path);
    result = 0;
  }
  if (::close(fd) != 0 && result) {
    SetAppError(AppCodeForWriteFailure(ReasonFromErrno(errno)), path);
    result = 0;
  }
  return result;
}
