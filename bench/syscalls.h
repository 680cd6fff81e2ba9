// System calls per operation: this program runs its own counting mode, lets
// it warm up, attaches `strace -c` to it and lets it do n operations (and,
// for the baseline, none), and takes the difference, so opening the tables,
// the warm-up and closing do not count.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "bench/side.h"

namespace bench {

struct CallCounts {
  bool ok = false;
  double perOperation = 0;
  std::vector<std::pair<std::string, double>> byCall;  // most frequent first
};

bool StraceAvailable();

// op is "append" or "find"; dir holds the side's table with `messages`
// messages (appends add new ones numbered after them).
CallCounts CountCalls(const std::string& self, SideKind kind, const std::string& op,
                      const std::string& dir, int operations, int messages);

// The counting mode: engine --count-calls SIDE OP DIR N MESSAGES READY GO; it
// writes a byte to descriptor READY when warm and reads one from GO before
// the counted operations.
int CountingMode(int argc, char** argv);

// What the file format itself needs, given the depth (levels, root
// included) of each "MESSAGE" index.
struct FormatMinimum {
  int x1Levels = 0;
  int x2Levels = 0;
  int appendReadingPages = 0;  // every level read from disk
  int appendCached = 0;        // pages kept while page 0's counter is unchanged
  int findReadingPages = 0;
  int findCached = 0;
};
FormatMinimum MinimumCalls(const std::string& dir);

}  // namespace bench
