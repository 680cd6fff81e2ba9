// Test helpers: a fresh temporary directory per test and a tick source that
// runs the real lock wait loop in a fraction of a second.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "storage/lockwait.h"

// A directory made for one test and removed with everything in it. Path()
// ends in '/', as the engine expects of a data directory.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// Each Pause() advances time by one tick, so a full 271-tick lock wait takes
// 271 attempts' worth of pauses and no real time. Installed for the lifetime
// of the object.
class FastTicks : public TickSource {
 public:
  FastTicks();
  ~FastTicks() override;
  int32_t Now() override { return now_; }
  void Pause() override { ++now_; }

 private:
  std::atomic<int32_t> now_{0};
};

// Reads a whole file into a string (empty when missing).
std::string ReadWholeFile(const std::string& path);
