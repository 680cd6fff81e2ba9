// What the stress test's parent and every workstation agree on before they
// start: the data directory, the sizes, and the "stable" records that the
// parent stores first and nobody changes afterwards. Every walk of an index
// must meet each stable entry exactly once, in order, however the other
// entries come and go around them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "storage/index_page.h"
#include "tests/support/test_messages.h"

struct StressPlan {
  std::string dir;     // the shared data directory, ending in '/'
  std::string logDir;  // where each workstation writes its ledger
  int processes = 4;
  int opsPerProcess = 1000;
  int stableMessages = 120;
  int stableNames = 6;
  uint32_t seed = 1;
};

// Folders the messages move between, as a user files and archives them.
constexpr int32_t kStressFolders[] = {1, 3, 10, 11, 12};
constexpr int kStressFolderCount = 5;
// Times of day of the messages: a range every workstation draws from, so
// that new entries land between the stable ones in both indexes.
constexpr int32_t kStressTimeBase = 700000000;
constexpr int32_t kStressTimeSpan = 40000;

// Stable message i has message number i + 1 and record number i.
MessageFacts StableMessage(const StressPlan& plan, int i);
// Stable name i has name number i + 1 and record number i.
std::string StableName(int i);
bool IsStableMessageNumber(const StressPlan& plan, uint32_t number);

// The stable entries of "MESSAGE" index x (0-based) in index order.
using Entry = std::vector<uint8_t>;
std::vector<Entry> StableEntries(const StressPlan& plan, int x);

std::string LedgerPath(const StressPlan& plan, int workstation);

// Sizes from the environment: DESKPOST_STRESS_PROCESSES,
// DESKPOST_STRESS_OPS (per workstation), DESKPOST_STRESS_SEED.
StressPlan PlanFromEnvironment();

// The bucket of the lock-wait histogram a wait falls in, as the engine's
// lock-wait observer reports it (every wait whose first attempt was refused,
// with the ticks of the real 55 ms clock it took and whether it was
// granted): the name under which a workstation counts it.
std::string LockWaitBucket(int32_t ticks, bool granted);

// One workstation, run in a child process of its own: it opens its own
// handles on the shared directory and does a random mix of what an office
// does to "MESSAGE" and "NAME", writing each success to its ledger (see
// stress_test.cpp for the line format). It waits until goFd reads
// end-of-file (every workstation has been started), then works; returns 0
// when it finished, 3 after an unexpected failure (an "E" line).
int RunWorkstation(const StressPlan& plan, int id, int goFd);
