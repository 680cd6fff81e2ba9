// What the fuzz harnesses share: reading the choices of an input, the
// scratch directory its files are written to, and the checks made after
// every engine call (error codes, locks left held).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "storage/database.h"

namespace harness {

// An input is file bytes followed by a script: the last kScriptBytes bytes
// (all of a shorter input) choose what to do, the bytes before them are the
// files. A fixed script length keeps page boundaries of the file part where
// the seeds put them.
class Input {
 public:
  Input(const uint8_t* data, size_t size, size_t scriptBytes);
  // The file part.
  const uint8_t* Files() const { return data_; }
  size_t FilesSize() const { return filesSize_; }
  // The next script byte; 0 once the script is used up.
  uint8_t Byte();
  uint16_t U16();
  uint32_t U32();
  bool ScriptLeft() const { return next_ < size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t filesSize_;
  size_t next_;
};

// Sets up the process once (quiet internal checks, a clock that makes lock
// waits instant) and empties the scratch directory for a new input. Returns
// the directory, ending in '/'.
const std::string& BeginInput();

void WriteFile(const std::string& path, const uint8_t* data, size_t size);
int64_t FileLength(const std::string& path);

// True when some handle holds a lock on [offset, offset + length) of the
// file (length 0: to the end and beyond).
bool LockHeld(const std::string& path, int64_t offset, int64_t length);

// The index codes of a failed index call, and the engine's codes of a failed
// table call (engine code 0 means an index failure with its index code).
bool IsIndexCode(int code);
bool FailedWithCode();
// Internal checks that failed since the process started.
unsigned ChecksFailed();

// Collects the first thing that went wrong.
class Verdict {
 public:
  void Fault(const std::string& what) {
    if (text_.empty()) text_ = what;
  }
  bool Failed() const { return !text_.empty(); }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace harness
