#include "tests/stress/lock_histogram.h"

#include <cstdio>
#include <sstream>

#include "storage/lockwait.h"

namespace {

// Lower bound (in ticks) of each granted bucket. A wait granted within its
// first tick reads 0 ticks; waits then try again every third tick.
constexpr int32_t kLower[LockHistogram::kBuckets - 1] = {0, 1, 3, 6, 12, 24, 48, 96};

}  // namespace

void LockHistogram::Add(int32_t ticks, bool granted) {
  if (!granted) {
    ++counts_[kBuckets - 1];
    return;
  }
  int bucket = 0;
  for (int i = 0; i < kBuckets - 1; ++i)
    if (ticks >= kLower[i]) bucket = i;
  ++counts_[size_t(bucket)];
}

std::string LockHistogram::Text() const {
  std::string text = "HIST";
  for (long c : counts_) text += " " + std::to_string(c);
  return text;
}

bool LockHistogram::Parse(const std::string& line) {
  std::istringstream in(line);
  std::string word;
  if (!(in >> word) || word != "HIST") return false;
  for (long& c : counts_)
    if (!(in >> c)) return false;
  return true;
}

void LockHistogram::Merge(const LockHistogram& other) {
  for (int i = 0; i < kBuckets; ++i) counts_[size_t(i)] += other.counts_[size_t(i)];
}

long LockHistogram::Total() const {
  long total = 0;
  for (long c : counts_) total += c;
  return total;
}

std::string LockHistogram::Table() const {
  std::string table = "  granted after        ticks       ms     waits\n";
  char line[128];
  for (int i = 0; i < kBuckets - 1; ++i) {
    const int32_t low = kLower[i];
    char ticks[32], ms[32];
    if (i == 0) {
      std::snprintf(ticks, sizeof ticks, "0");
      std::snprintf(ms, sizeof ms, "< %d", kTickMilliseconds);
    } else if (i + 1 < kBuckets - 1) {
      const int32_t high = kLower[i + 1] - 1;
      std::snprintf(ticks, sizeof ticks, "%d-%d", low, high);
      std::snprintf(ms, sizeof ms, "%d-%d", low * kTickMilliseconds,
                    (high + 1) * kTickMilliseconds);
    } else {
      std::snprintf(ticks, sizeof ticks, "%d+", low);
      std::snprintf(ms, sizeof ms, "%d+", low * kTickMilliseconds);
    }
    std::snprintf(line, sizeof line, "  %-16s %9s %10s %9ld\n", "", ticks, ms, counts_[size_t(i)]);
    table += line;
  }
  std::snprintf(line, sizeof line, "  %-16s %9d %10d %9ld\n", "gave up (timeout)", kLockWaitTicks,
                kLockWaitTicks * kTickMilliseconds, counts_[kBuckets - 1]);
  table += line;
  return table;
}
