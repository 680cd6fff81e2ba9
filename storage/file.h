// One open file of the shared data directory, and every system call the
// engine makes on it: positioned reads and writes, size, truncation,
// flushing and byte-range locks.
//
// Locks are open-file-description locks: they belong to this handle, so two
// handles in one process conflict exactly as two workstations do, and
// closing one handle never drops a lock held through another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "storage/errors.h"

enum class OpenMode {
  kShared,    // existing file, read and write, shared with everybody
  kReadOnly,  // existing file, read only
  kCreate,    // create or truncate, read and write
  // Create a file that must not exist yet, read and write: the file is
  // taken only by whoever made it.
  kCreateNew,
};

enum class LockResult { kGranted, kBusy, kUnsupported, kFailed };

// Where a file lies, by the file system's type (statfs f_type).
enum class FileSystemKind { kLocal, kSmb, kNfs };
FileSystemKind FileSystemOfType(long statfsType);

// The calls a test may watch (File::ObserveCalls): which descriptor, and the
// offset of locks, unlocks and writes.
enum class FileCall { kWrite, kLock, kUnlock, kCommit, kClose };
using FileCallObserver = std::function<void(int descriptor, FileCall call, int64_t offset)>;

class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens the file; on failure errno tells why (see LastReason()).
  bool Open(const std::string& path, OpenMode mode);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  // Opened read only: a read-only share, where a handle holds shared locks
  // only and every change is refused before it is tried.
  bool ReadOnly() const { return readOnly_; }
  int Descriptor() const { return fd_; }

  // Reads or writes at an offset; the byte count moved, or -1. A short count
  // is returned as it is: the caller decides whether it is an error.
  long ReadAt(int64_t offset, void* buffer, size_t length);
  long WriteAt(int64_t offset, const void* buffer, size_t length);
  // The file's length, or -1. Asked of the end of the file, not of its
  // attributes: an SMB client may answer fstat from a stale cache.
  int64_t Size();
  bool Truncate(int64_t length);
  // Makes what was written reach the server, keeping every lock the handle
  // holds: fsync on a network share, nothing on a local disk, where every
  // workstation reads the same page cache.
  bool Flush();

  // One attempt at a write lock on [offset, offset + length).
  LockResult TryLock(int64_t offset, int64_t length = 1);
  // One attempt at a shared (read) lock, the only kind a read-only handle
  // can hold.
  LockResult TryLockShared(int64_t offset, int64_t length = 1);
  // On a network share, what was written through the handle since its last
  // flush is flushed first: another workstation that takes the lock next
  // reads it from the server.
  bool Unlock(int64_t offset, int64_t length = 1);
  // Whether another handle holds a lock over the range (F_OFD_GETLK).
  bool IsLockedElsewhere(int64_t offset, int64_t length = 1);

  // The reason of the last failed call on any File, from errno.
  static SystemReason LastReason();
  // Whether the last failed read or write was refused because another
  // handle holds a lock over some of its bytes: SMB shares enforce byte-range
  // locks on reads and writes (EACCES), and waiting may help.
  static bool LastRefusedByLock();

  // Makes every File of this process behave as on such a share: a read or
  // write touching a byte that another handle holds is refused with EACCES.
  // For tests on a local disk.
  static void SimulateMandatoryLocks(bool on);

  // Whether the file lies on an NFS share (see ReadAt in file.cpp).
  bool OnNfs() const { return fileSystem_ == FileSystemKind::kNfs; }
  bool OnNetworkShare() const { return fileSystem_ != FileSystemKind::kLocal; }

  // For tests: every File opened afterwards takes its files for SMB files
  // (their flushes commit through fsync).
  static void SimulateSmbShare(bool on);
  // For tests: the observer sees every write, lock, unlock, commit and close
  // of every File (none when empty).
  static void ObserveCalls(FileCallObserver observer);
  // The byte far past any data that every transfer on NFS locks shared;
  // no workstation ever locks it for writing.
  static constexpr int64_t kCoherenceByte = INT64_C(0x7FFFFFFFFFFFFF00);

 private:
  int fd_ = -1;
  FileSystemKind fileSystem_ = FileSystemKind::kLocal;
  bool unflushed_ = false;  // written on a network share since the last flush
  bool readOnly_ = false;
};

// Whether an open for reading and writing failed because the file may only
// be read here (a read-only share, or no write permission): the engine then
// opens it read only.
bool RefusedForWriting(SystemReason reason);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
