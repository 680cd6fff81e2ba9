#include "tests/stress/stress_plan.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <numeric>
#include <sstream>

#include "storage/catalogue.h"
#include "storage/lockwait.h"
#include "storage/records/message.h"

namespace {

uint32_t Mix(uint32_t seed, uint32_t i) {
  uint32_t h = seed ^ (i * 0x9E3779B9u);
  h ^= h >> 16;
  h *= 0x85EBCA6Bu;
  h ^= h >> 13;
  h *= 0xC2B2AE35u;
  h ^= h >> 16;
  return h;
}

int FromEnvironment(const char* name, int fallback, int low, int high) {
  const char* text = std::getenv(name);
  if (!text || !*text) return fallback;
  long value = std::strtol(text, nullptr, 10);
  return int(std::clamp<long>(value, low, high));
}

}  // namespace

MessageFacts StableMessage(const StressPlan& plan, int i) {
  const uint32_t h = Mix(plan.seed, uint32_t(i));
  MessageFacts f;
  f.number = uint32_t(i) + 1;
  f.folder = kStressFolders[h % kStressFolderCount];
  f.to = int((h >> 4) % kRecipientCount);
  f.time = kStressTimeBase + int32_t((h >> 8) % kStressTimeSpan);
  f.owner = 0;
  f.flags = records::message::kFlagNotViewed;
  return f;
}

std::string StableName(int i) {
  return "STABLE " + std::to_string(i);
}

bool IsStableMessageNumber(const StressPlan& plan, uint32_t number) {
  return number >= 1 && number <= uint32_t(plan.stableMessages);
}

std::vector<Entry> StableEntries(const StressPlan& plan, int x) {
  Table messages(kMessageTable);
  std::vector<Entry> entries;
  uint8_t record[records::message::kRecordSize];
  for (int i = 0; i < plan.stableMessages; ++i) {
    BuildMessage(StableMessage(plan, i), record);
    Entry entry(kEntryBufferSize);
    DbMakeEntry(messages, x, record, i, entry.data());
    entry.resize(kMessageTable.indexes[x].entryLength);
    entries.push_back(entry);
  }
  const KeyComparator compare = kMessageTable.indexes[x].compare;
  std::sort(entries.begin(), entries.end(),
            [&](const Entry& a, const Entry& b) { return compare(a.data(), b.data()) < 0; });
  return entries;
}

std::string LedgerPath(const StressPlan& plan, int workstation) {
  return plan.logDir + "workstation" + std::to_string(workstation) + ".log";
}

StressPlan PlanFromEnvironment() {
  StressPlan plan;
  plan.processes = FromEnvironment("DESKPOST_STRESS_PROCESSES", plan.processes, 1, 64);
  plan.opsPerProcess = FromEnvironment("DESKPOST_STRESS_OPS", plan.opsPerProcess, 1, 1000000);
  plan.seed = uint32_t(
      FromEnvironment("DESKPOST_STRESS_SEED", int(std::time(nullptr) & 0x7FFFFFFF), 0, 0x7FFFFFFF));
  return plan;
}

// ---- Lock waits ----

namespace {

// Lower bound (in ticks) of each granted bucket. A wait granted within its
// first tick reads 0 ticks; waits then try again every third tick.
constexpr int32_t kLower[LockHistogram::kBuckets - 1] = {0, 1, 3, 6, 12, 24, 48, 96};

}  // namespace

void LockHistogram::Add(int32_t ticks, bool granted) {
  int bucket = kBuckets - 1;
  if (granted)
    for (bucket = 0; bucket + 1 < kBuckets - 1 && ticks >= kLower[bucket + 1];) ++bucket;
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
  for (size_t i = 0; i < counts_.size(); ++i) counts_[i] += other.counts_[i];
}

long LockHistogram::Total() const {
  return std::accumulate(counts_.begin(), counts_.end(), 0L);
}

std::string LockHistogram::Table() const {
  std::string table = "  granted after        ticks       ms     waits\n";
  char line[128];
  for (int i = 0; i < kBuckets; ++i) {
    const bool gaveUp = i == kBuckets - 1, open = i == kBuckets - 2;
    const int32_t low = gaveUp ? kLockWaitTicks : kLower[i];
    const int32_t high = gaveUp || open ? low : kLower[i + 1];
    std::string ticks = std::to_string(low), ms = std::to_string(low * kTickMilliseconds);
    if (i == 0) {
      ms = "< " + std::to_string(kTickMilliseconds);
    } else if (open) {
      ticks += "+";
      ms += "+";
    } else if (!gaveUp) {
      ticks += "-" + std::to_string(high - 1);
      ms += "-" + std::to_string(high * kTickMilliseconds);
    }
    std::snprintf(line, sizeof line, "  %-16s %9s %10s %9ld\n", gaveUp ? "gave up (timeout)" : "",
                  ticks.c_str(), ms.c_str(), counts_[size_t(i)]);
    table += line;
  }
  return table;
}
