// A histogram of lock waits in ticks of the real 55 ms clock, as the
// engine's lock-wait observer reports them: every wait whose first attempt
// was refused, with the ticks it took and whether it was granted.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class LockHistogram {
 public:
  static constexpr int kBuckets = 9;  // 8 ranges of ticks, then waits that gave up

  void Add(int32_t ticks, bool granted);
  // "HIST c0 c1 ... c8" and back.
  std::string Text() const;
  bool Parse(const std::string& line);
  void Merge(const LockHistogram& other);
  long Total() const;
  // A table with the tick and millisecond range of each bucket.
  std::string Table() const;

 private:
  std::array<long, kBuckets> counts_{};
};
