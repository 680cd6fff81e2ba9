#include "bench/rows.h"

#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <vector>

#include "storage/lockwait.h"

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Seconds(const timeval& t) {
  return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

// Processor time (user and system) of this process or of its waited-for children.
double ProcessorSeconds(int who) {
  struct rusage usage = {};
  getrusage(who, &usage);
  return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

// Wall-clock and processor time of one row of this process.
struct Stopwatch {
  Clock::time_point wall = Clock::now();
  double processor = ProcessorSeconds(RUSAGE_SELF);
  void Stop(Timing& t) const {
    t.seconds = Since(wall);
    t.cpuSeconds = ProcessorSeconds(RUSAGE_SELF) - processor;
  }
};

Timing Failed(const Side& side, const char* row) {
  std::fprintf(stderr, "%s: %s failed\n", side.Label().c_str(), row);
  Timing t;
  t.ran = true;
  return t;
}

Timing AppendAll(Side& side, const Office& office) {
  Timing t;
  t.ran = true;
  const Stopwatch watch;
  for (const MessageRecord& m : office.messages)
    if (!side.Append(m)) return Failed(side, "append");
  watch.Stop(t);
  t.operations = int64_t(office.messages.size());
  t.ok = true;
  return t;
}

Timing FindAll(Side& side, const Office& office, int32_t finds) {
  const std::vector<int32_t> order = Shuffled(int32_t(office.messages.size()), kFindOrderSeed);
  Timing t;
  t.ran = true;
  const Stopwatch watch;
  for (int32_t i = 0; i < finds; ++i)
    if (!side.Find(office.messages[size_t(order[size_t(i) % order.size()])]))
      return Failed(side, "find");
  watch.Stop(t);
  t.operations = finds;
  t.ok = true;
  return t;
}

Timing Timed(const Side& side, const char* row, int64_t expected, auto&& run) {
  const Stopwatch watch;
  Counted c = run();
  Timing t;
  t.ran = true;
  watch.Stop(t);
  if (!c.ok || c.items != expected) {
    std::fprintf(stderr, "%s: %s gave %lld of %lld items\n", side.Label().c_str(), row,
                 (long long)c.items, (long long)expected);
    t.ok = false;
    return t;
  }
  t.operations = c.items;
  t.ok = true;
  return t;
}

}  // namespace

Timing SideResults::Walk() const {
  Timing t;
  t.ran = walkForward.ran && walkBackward.ran;
  t.ok = walkForward.ok && walkBackward.ok;
  t.operations = walkForward.operations + walkBackward.operations;
  t.seconds = walkForward.seconds + walkBackward.seconds;
  t.cpuSeconds = walkForward.cpuSeconds + walkBackward.cpuSeconds;
  return t;
}

SideResults RunSide(SideKind kind, const std::string& dir, const std::string& concurrentDir,
                    const Office& office, const Sizes& sizes) {
  SideResults r;
  if (!sizes.concurrentOnly) {
    std::unique_ptr<Side> side = MakeSide(kind);
    if (!side->Create(dir) || !side->Open(dir, true)) {
      r.append = Failed(*side, "opening");
      return r;
    }
    const int64_t all = int64_t(office.messages.size());
    r.append = AppendAll(*side, office);
    if (r.append.ok) {
      r.find = FindAll(*side, office, sizes.finds);
      r.walkForward = Timed(*side, "walk forward", all, [&] { return side->Walk(true); });
      r.walkBackward = Timed(*side, "walk backward", all, [&] { return side->Walk(false); });
      r.query = Timed(*side, "query", office.newForFirst,
                      [&] { return side->QueryNewFolder(office.people[0]); });
      if (side->FillWorkTable(sizes.sortRows)) {
        r.sort = Timed(*side, "sort", sizes.sortRows, [&] { return side->SortWorkTable(); });
        if (r.sort.ok && !side->WorkTableSorted(sizes.sortRows)) {
          std::fprintf(stderr, "%s: sorted rows out of order\n", side->Label().c_str());
          r.sort.ok = false;
        }
      } else {
        Failed(*side, "filling the work table");
      }
    }
    side->Close();
  }
  r.concurrent = RunConcurrent(kind, concurrentDir, office, sizes);
  return r;
}

Timing RunConcurrent(SideKind kind, const std::string& dir, const Office& office,
                     const Sizes& sizes) {
  Timing t;
  t.ran = true;
  if (int64_t(sizes.processes) * sizes.perProcess > int64_t(office.messages.size())) return t;
  if (!MakeSide(kind)->Create(dir)) return t;
  int ready[2], go[2];
  if (pipe(ready) != 0 || pipe(go) != 0) return t;
  // The appenders count their lock waits into memory shared with this process.
  struct WaitCounts {
    std::atomic<int64_t> waits{0};
    std::atomic<int64_t> longWaits{0};
    std::atomic<int64_t> pauses{0};
    std::atomic<int64_t> pausedMicroseconds{0};
  };
  void* shared =
      mmap(nullptr, sizeof(WaitCounts), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (shared == MAP_FAILED) return t;
  WaitCounts* counts = new (shared) WaitCounts;
  std::fflush(nullptr);
  std::vector<pid_t> children;
  for (int32_t p = 0; p < sizes.processes; ++p) {
    pid_t pid = fork();
    if (pid < 0) break;
    if (pid == 0) {
      close(ready[0]);
      close(go[1]);
      SetLockWaitObserver([counts](int32_t ticks, bool) {
        counts->waits += 1;
        if (ticks > 0) counts->longWaits += 1;
      });
      struct CountingTicks : TickSource {
        WaitCounts* counts;
        int32_t Now() override { return SystemTicks().Now(); }
        void Pause() override {
          const auto before = Clock::now();
          SystemTicks().Pause();
          counts->pauses += 1;
          counts->pausedMicroseconds +=
              std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - before).count();
        }
      };
      static CountingTicks ticks;
      ticks.counts = counts;
      SetTickSource(&ticks);
      std::unique_ptr<Side> side = MakeSide(kind);
      bool ok = side->Open(dir, false);
      char byte = ok ? 1 : 0;
      if (write(ready[1], &byte, 1) != 1) _exit(2);
      // The parent closes its end of "go" to start everybody at once.
      if (read(go[0], &byte, 1) != 0) _exit(2);
      for (int32_t i = 0; ok && i < sizes.perProcess; ++i)
        ok = side->Append(office.messages[size_t(p) * size_t(sizes.perProcess) + size_t(i)]);
      side->Close();
      _exit(ok ? 0 : 1);
    }
    children.push_back(pid);
  }
  close(ready[1]);
  close(go[0]);
  bool allReady = children.size() == size_t(sizes.processes);
  for (size_t i = 0; i < children.size(); ++i) {
    char byte = 0;
    if (read(ready[0], &byte, 1) != 1 || byte != 1) allReady = false;
  }
  const auto start = Clock::now();
  close(go[1]);
  bool allDone = allReady;
  for (pid_t pid : children) {
    int status = 0;
    struct rusage usage = {};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
      allDone = false;
    t.cpuSeconds += Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  }
  t.seconds = Since(start);
  close(ready[0]);
  if (kind == SideKind::kOurs) {
    t.lockWaits = counts->waits;
    t.longLockWaits = counts->longWaits;
    t.lockPauses = counts->pauses;
    t.pausedSeconds = double(counts->pausedMicroseconds) / 1e6;
  }
  munmap(shared, sizeof(WaitCounts));
  if (!allDone) {
    std::fprintf(stderr, "%s: a concurrent appender failed\n", SideName(kind));
    t.ok = false;
    return t;
  }
  t.operations = int64_t(sizes.processes) * sizes.perProcess;
  t.ok = true;
  return t;
}

}  // namespace bench
