// Another workstation holding a lock: a child process that opens a file,
// locks one byte through its own handle and keeps it until released (or
// until it is killed).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

class LockHolder {
 public:
  // Starts the child and waits until it holds the lock; Held() tells whether
  // it got it.
  LockHolder(const std::string& path, int64_t offset);
  ~LockHolder();
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;

  bool Held() const { return held_; }
  // Tells the child to let go and waits for it.
  void Release();
  // Kills the child without letting it unlock.
  void Kill();

 private:
  pid_t child_ = -1;
  int toChild_ = -1;
  bool held_ = false;
};
