#include "storage/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace {
thread_local int lastErrno = 0;
bool mandatoryLocks = false;
bool simulatedSmb = false;
FileCallObserver& Observer() {
  static FileCallObserver observer;
  return observer;
}
void Observe(int fd, FileCall call, int64_t offset) {
  if (Observer()) Observer()(fd, call, offset);
}

int Remember(int result) {
  if (result < 0) lastErrno = errno;
  return result;
}

bool SetLock(int fd, int command, short type, int64_t offset, int64_t length) {
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = offset;
  lock.l_len = length;
  lock.l_pid = 0;  // required for open-file-description locks
  return Remember(fcntl(fd, command, &lock)) == 0;
}

// On a simulated SMB share: whether another handle holds a lock that the
// transfer of [offset, offset + length) must respect (writers are stopped by
// any lock, readers only by write locks). Sets errno as the share would.
bool RefusedByLock(int fd, short type, int64_t offset, size_t length) {
  if (!mandatoryLocks || length == 0) return false;
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = offset;
  lock.l_len = int64_t(length);
  if (fcntl(fd, F_OFD_GETLK, &lock) != 0 || lock.l_type == F_UNLCK) return false;
  errno = EACCES;
  lastErrno = EACCES;
  return true;
}
// f_type of the mounts (statfs): NFS, the CIFS client (SMB1) and its SMB2/3
// dialect, and the old smbfs.
constexpr long kNfsMagic = 0x6969;
constexpr long kCifsMagic = 0xFF534D42;
constexpr long kSmb2Magic = 0xFE534D42;
constexpr long kSmbfsMagic = 0x517B;

// An NFS client answers reads from pages it cached earlier, and when it
// holds no lock on a file it may write a whole cached page back around a
// small write, putting stale neighbouring bytes over what other
// workstations wrote since. Taking a lock makes it drop its cached pages
// and keeps writes to the bytes written, so on NFS every transfer runs
// under a shared lock on a byte past any data. Locks of the same handle do
// not conflict with it, and it never conflicts with another workstation.
class NfsCoherence {
 public:
  NfsCoherence(int fd, bool on) : fd_(on ? fd : -1) {
    if (fd_ >= 0 && !SetLock(fd_, F_OFD_SETLKW, F_RDLCK, File::kCoherenceByte, 1)) fd_ = -1;
  }
  ~NfsCoherence() {
    if (fd_ < 0) return;
    const int saved = errno;
    SetLock(fd_, F_OFD_SETLK, F_UNLCK, File::kCoherenceByte, 1);
    errno = saved;
  }
  NfsCoherence(const NfsCoherence&) = delete;
  NfsCoherence& operator=(const NfsCoherence&) = delete;

 private:
  int fd_;
};

}  // namespace

FileSystemKind FileSystemOfType(long statfsType) {
  // f_type is a signed long that some file systems fill from a 32-bit
  // unsigned magic: compare the low 32 bits.
  const long type = long(static_cast<unsigned long>(statfsType) & 0xFFFFFFFFul);
  switch (type) {
    case kNfsMagic:
      return FileSystemKind::kNfs;
    case kCifsMagic:
    case kSmb2Magic:
    case kSmbfsMagic:
      return FileSystemKind::kSmb;
    default:
      return FileSystemKind::kLocal;
  }
}

File::~File() {
  Close();
}

File::File(File&& other) noexcept
    : fd_(other.fd_),
      fileSystem_(other.fileSystem_),
      unflushed_(other.unflushed_),
      readOnly_(other.readOnly_) {
  other.fd_ = -1;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    fileSystem_ = other.fileSystem_;
    unflushed_ = other.unflushed_;
    readOnly_ = other.readOnly_;
    other.fd_ = -1;
  }
  return *this;
}

bool File::Open(const std::string& path, OpenMode mode) {
  Close();
  int flags = O_CLOEXEC;
  switch (mode) {
    case OpenMode::kShared:
      flags |= O_RDWR;
      break;
    case OpenMode::kReadOnly:
      flags |= O_RDONLY;
      break;
    case OpenMode::kCreate:
      flags |= O_RDWR | O_CREAT | O_TRUNC;
      break;
    case OpenMode::kCreateNew:
      flags |= O_RDWR | O_CREAT | O_EXCL;
      break;
  }
  int fd;
  do {
    fd = ::open(path.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  Remember(fd);
  fd_ = fd;
  readOnly_ = fd_ >= 0 && mode == OpenMode::kReadOnly;
  fileSystem_ = FileSystemKind::kLocal;
  struct statfs fs;
  if (fd_ >= 0 && ::fstatfs(fd_, &fs) == 0) fileSystem_ = FileSystemOfType(long(fs.f_type));
  if (fd_ >= 0 && simulatedSmb && fileSystem_ == FileSystemKind::kLocal)
    fileSystem_ = FileSystemKind::kSmb;
  return fd_ >= 0;
}

void File::Close() {
  if (fd_ >= 0) {
    Observe(fd_, FileCall::kClose, 0);
    ::close(fd_);
  }
  fd_ = -1;
  readOnly_ = false;
  fileSystem_ = FileSystemKind::kLocal;
  unflushed_ = false;
}

long File::ReadAt(int64_t offset, void* buffer, size_t length) {
  if (RefusedByLock(fd_, F_RDLCK, offset, length)) return -1;
  NfsCoherence coherent(fd_, OnNfs());
  size_t done = 0;
  while (done < length) {
    ssize_t n = ::pread(fd_, static_cast<char*>(buffer) + done, length - done, offset + done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      lastErrno = errno;
      return done > 0 ? long(done) : -1;
    }
    if (n == 0) break;
    done += size_t(n);
  }
  return long(done);
}

long File::WriteAt(int64_t offset, const void* buffer, size_t length) {
  Observe(fd_, FileCall::kWrite, offset);
  if (RefusedByLock(fd_, F_WRLCK, offset, length)) return -1;
  unflushed_ = OnNetworkShare();
  NfsCoherence coherent(fd_, OnNfs());
  size_t done = 0;
  while (done < length) {
    ssize_t n =
        ::pwrite(fd_, static_cast<const char*>(buffer) + done, length - done, offset + done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n < 0) lastErrno = errno;
      return done > 0 ? long(done) : -1;
    }
    done += size_t(n);
  }
  return long(done);
}

int64_t File::Size() {
  // The position moved does not matter: every transfer names its offset.
  const off_t end = ::lseek(fd_, 0, SEEK_END);
  if (end < 0) {
    lastErrno = errno;
    return -1;
  }
  return int64_t(end);
}

bool File::Truncate(int64_t length) {
  unflushed_ = OnNetworkShare();
  return Remember(::ftruncate(fd_, length)) == 0;
}

// Closing a duplicate of the handle, the old way to commit a file's
// buffers, must not be used here: the CIFS client takes the close of any
// descriptor of the handle as the end of the handle's byte-range locks and
// releases all of them on the server, while this process goes on believing
// it holds them. An index update that wrote a new page then went on
// unprotected, and another workstation took the index lock and met the
// update marker. fsync keeps the locks; on a local disk there is nothing to
// push, every workstation reads the same page cache.
bool File::Flush() {
  if (!OnNetworkShare()) return true;
  Observe(fd_, FileCall::kCommit, 0);
  unflushed_ = false;
  int result;
  do {
    result = ::fsync(fd_);
  } while (result < 0 && errno == EINTR);
  return Remember(result) == 0;
}

namespace {
LockResult Attempt(int fd, short type, int64_t offset, int64_t length) {
  if (SetLock(fd, F_OFD_SETLK, type, offset, length)) return LockResult::kGranted;
  switch (lastErrno) {
    case EACCES:
    case EAGAIN:
      return LockResult::kBusy;
    case EINVAL:
    case ENOLCK:
    case EOPNOTSUPP:
      return LockResult::kUnsupported;
    default:
      return LockResult::kFailed;
  }
}
}  // namespace

LockResult File::TryLock(int64_t offset, int64_t length) {
  const LockResult result = Attempt(fd_, F_WRLCK, offset, length);
  if (result == LockResult::kGranted) Observe(fd_, FileCall::kLock, offset);
  return result;
}

LockResult File::TryLockShared(int64_t offset, int64_t length) {
  const LockResult result = Attempt(fd_, F_RDLCK, offset, length);
  if (result == LockResult::kGranted) Observe(fd_, FileCall::kLock, offset);
  return result;
}

bool File::Unlock(int64_t offset, int64_t length) {
  // A failed flush is not a reason to keep the lock: the write itself was
  // answered, and the next flush or unlock tries again.
  if (unflushed_ && !Flush()) unflushed_ = true;
  Observe(fd_, FileCall::kUnlock, offset);
  return SetLock(fd_, F_OFD_SETLK, F_UNLCK, offset, length);
}

bool File::IsLockedElsewhere(int64_t offset, int64_t length) {
  struct flock lock = {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = offset;
  lock.l_len = length;
  if (Remember(fcntl(fd_, F_OFD_GETLK, &lock)) != 0) return false;
  return lock.l_type != F_UNLCK;
}

SystemReason File::LastReason() {
  return ReasonFromErrno(lastErrno);
}

bool File::LastRefusedByLock() {
  return lastErrno == EACCES;
}

void File::SimulateMandatoryLocks(bool on) {
  mandatoryLocks = on;
}

void File::SimulateSmbShare(bool on) {
  simulatedSmb = on;
}

void File::ObserveCalls(FileCallObserver observer) {
  Observer() = std::move(observer);
}

bool RefusedForWriting(SystemReason reason) {
  return reason == SystemReason::kAccessDenied;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
