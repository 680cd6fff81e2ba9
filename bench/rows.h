// The rows of the benchmark, run on one side.
#pragma once

#include <cstdint>
#include <string>

#include "bench/office.h"
#include "bench/side.h"

namespace bench {

struct Sizes {
  int32_t messages = 100000;    // row 1, and the table rows 2-5 work on
  int32_t finds = 100000;       // row 2
  int32_t sortRows = 32000;     // row 5
  int32_t processes = 4;        // row 6
  int32_t perProcess = 10000;   // row 6: appends by each process
  bool concurrentOnly = false;  // row 6 alone (for measuring the lock wait)
};

struct Timing {
  bool ran = false;  // false for a side left out of this run
  bool ok = false;
  int64_t operations = 0;
  double seconds = 0;
  double cpuSeconds = 0;  // processor time (row 6: of all the appenders together)
  // Row 6 on our engine: lock takes whose first attempt was refused, and
  // how many of those waited past the tick they began in.
  int64_t lockWaits = -1;
  int64_t longLockWaits = 0;
  int64_t lockPauses = 0;    // pauses between attempts, and through ticks without one
  double pausedSeconds = 0;  // their length, all appenders together
  double PerSecond() const { return ok && seconds > 0 ? double(operations) / seconds : 0; }
  double CpuMicroseconds() const {
    return ok && operations > 0 ? 1e6 * cpuSeconds / double(operations) : 0;
  }
};

struct SideResults {
  Timing append, find, walkForward, walkBackward, query, sort, concurrent;
  Timing Walk() const;  // forward and backward together
};

// Runs rows 1-5 on a fresh table in dir, then row 6 on another fresh table
// in concurrentDir. Failures are reported on stderr and leave ok false.
SideResults RunSide(SideKind kind, const std::string& dir, const std::string& concurrentDir,
                    const Office& office, const Sizes& sizes);

// Row 6 alone: `processes` processes append `perProcess` messages each at
// the same time; the timing runs from the common start to the last exit.
Timing RunConcurrent(SideKind kind, const std::string& dir, const Office& office,
                     const Sizes& sizes);

}  // namespace bench
