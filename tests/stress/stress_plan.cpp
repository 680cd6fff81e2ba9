#include "tests/stress/stress_plan.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

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

std::string LockWaitBucket(int32_t ticks, bool granted) {
  // Lower bounds in ticks: a wait granted within its first tick reads 0
  // ticks; waits then try again every third tick.
  constexpr int32_t kLower[] = {0, 1, 3, 6, 12, 24, 48, 96, kLockWaitTicks};
  if (!granted) return "lock waits 9: gave up (timeout)";
  int b = 0;
  while (b < 7 && ticks >= kLower[b + 1]) ++b;
  auto range = [&](int32_t scale) {
    return std::to_string(kLower[b] * scale) +
           (b == 7 ? "+" : "-" + std::to_string(kLower[b + 1] * scale - (scale == 1)));
  };
  return "lock waits " + std::to_string(b + 1) + ": granted after " + range(1) + " ticks (" +
         range(kTickMilliseconds) + " ms)";
}
