#include "bench/syscalls.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "bench/office.h"
#include "storage/catalogue.h"
#include "storage/file.h"
#include "storage/index_page.h"

namespace bench {
namespace {

constexpr uint32_t kExtraSeed = 2025;
constexpr int kMostAppends = 5000;
constexpr int kWarmAppends = 2000;

// Starts a program with its input and output on /dev/null (error output on
// `errorFd` when given); its process id, or -1. Descriptors without
// close-on-exec stay open in it.
pid_t Start(const std::vector<std::string>& args, int errorFd = -1) {
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid != 0) return pid;
  int null = open("/dev/null", O_RDWR);
  if (null >= 0) {
    dup2(null, 0);
    dup2(null, 1);
    dup2(errorFd >= 0 ? errorFd : null, 2);
  }
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execvp(argv[0], argv.data());
  _exit(127);
}

// Waits for a started program; true when it exited with 0.
bool Finished(pid_t pid) {
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

// Reads `strace -c` output: the calls column of every system call.
std::map<std::string, long> ReadSummary(const std::string& path) {
  std::map<std::string, long> calls;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string s; words >> s;) w.push_back(s);
    if (w.size() < 5 || w[0] == "%" || w[0][0] == '-' || w.back() == "total") continue;
    calls[w.back()] = std::atol(w[3].c_str());
  }
  return calls;
}

// Runs the counting mode, lets it warm up untraced, then attaches
// `strace -c` for the counted operations alone.
std::map<std::string, long> Traced(const std::string& self, SideKind kind, const std::string& op,
                                   const std::string& dir, int operations, int messages, bool* ok) {
  std::map<std::string, long> calls;
  const std::string out = dir + "strace-" + op + "-" + std::to_string(operations) + ".txt";
  int ready[2], go[2], said[2];
  if (pipe(ready) != 0 || pipe(go) != 0 || pipe(said) != 0) {
    *ok = false;
    return calls;
  }
  const pid_t mode =
      Start({self, "--count-calls", SideName(kind), op, dir, std::to_string(operations),
             std::to_string(messages), std::to_string(ready[1]), std::to_string(go[0])});
  close(ready[1]);
  close(go[0]);
  char byte = 0;
  pid_t tracer = -1;
  if (mode > 0 && read(ready[0], &byte, 1) == 1) {
    tracer = Start({"strace", "-c", "-o", out, "-p", std::to_string(mode)}, said[1]);
    close(said[1]);
    // strace says on its error output when it is attached.
    std::string told;
    char c;
    while (told.find("attached") == std::string::npos && read(said[0], &c, 1) == 1) told += c;
    if (told.find("attached") == std::string::npos) *ok = false;
  } else {
    close(said[1]);
    *ok = false;
  }
  if (write(go[1], "g", 1) != 1) *ok = false;
  close(go[1]);
  *ok = Finished(mode) && *ok;
  // Whatever else strace says goes nowhere; then it writes its summary.
  char rest[256];
  while (read(said[0], rest, sizeof rest) > 0) {
  }
  *ok = Finished(tracer) && *ok;
  close(said[0]);
  close(ready[0]);
  calls = ReadSummary(out);
  std::remove(out.c_str());
  return calls;
}

// Levels of an index, root included: down the first entry of every branch.
int Levels(const std::string& path) {
  File file;
  if (!file.Open(path, OpenMode::kReadOnly)) return 0;
  uint8_t page[kPageSize];
  uint32_t n = 0;
  for (int level = 1; level <= kMaxTreeDepth; ++level) {
    const long want = n == 0 ? kIndexLockByte : kPageSize;
    if (file.ReadAt(int64_t(n) * kPageSize, page, size_t(want)) != want) return 0;
    if (PageKind(page) == kPageLeaf) return level;
    if (PageKind(page) != kPageBranch || PageCount(page) == 0) return 0;
    n = GetU32(PageEntry(page, 0, 4));  // the child number leads every entry
  }
  return 0;
}

}  // namespace

bool StraceAvailable() {
  return Finished(Start({"strace", "-V"}));
}

CallCounts CountCalls(const std::string& self, SideKind kind, const std::string& op,
                      const std::string& dir, int operations, int messages) {
  CallCounts c;
  bool ok = true;
  auto idle = Traced(self, kind, op, dir, 0, messages, &ok);
  auto busy = Traced(self, kind, op, dir, operations, messages, &ok);
  if (!ok || busy.empty()) return c;
  long total = 0;
  for (const auto& [name, n] : busy) {
    const long extra = n - (idle.count(name) ? idle[name] : 0);
    if (extra <= 0) continue;
    total += extra;
    c.byCall.emplace_back(name, double(extra) / operations);
  }
  std::sort(c.byCall.begin(), c.byCall.end(),
            [](const auto& a, const auto& b) { return a.second > b.second; });
  c.perOperation = double(total) / operations;
  c.ok = true;
  return c;
}

int CountingMode(int argc, char** argv) {
  SideKind kind;
  if (argc != 9 || !SideFromName(argv[2], &kind)) return 2;
  const std::string op = argv[3];
  const std::string dir = argv[4];
  const int operations = std::atoi(argv[5]);
  const int messages = std::atoi(argv[6]);
  const int ready = std::atoi(argv[7]);
  const int go = std::atoi(argv[8]);
  if (operations < 0 || operations > kMostAppends) return 2;
  // Both runs first warm up as the timed rows are warm (every message found
  // once, or a batch of appends) before strace is attached, and make the
  // same messages, so that the difference between the runs is the counted
  // operations alone. The runs append messages of their own numbers.
  const bool append = op == "append";
  const int32_t firstNew = messages + 1 + (operations > 0 ? kWarmAppends : 0);
  const Office office = append ? MakeOffice(kWarmAppends + kMostAppends, firstNew, kExtraSeed)
                               : MakeOffice(messages, 1, kOfficeSeed);
  const std::vector<int32_t> order = Shuffled(int32_t(office.messages.size()), kFindOrderSeed);
  std::unique_ptr<Side> side = MakeSide(kind);
  if (!side->Open(dir, false)) return 1;
  const int warmUp = append ? kWarmAppends : messages;
  // Warm: say so, and wait until strace is attached.
  auto warm = [&] {
    char byte = 0;
    return write(ready, "r", 1) == 1 && read(go, &byte, 1) == 1;
  };
  for (int i = 0; i < warmUp + operations; ++i) {
    if (i == warmUp && !warm()) return 1;
    const bool ok = append ? side->Append(office.messages[size_t(i)])
                           : side->Find(office.messages[size_t(order[size_t(i) % order.size()])]);
    if (!ok) return 1;
  }
  if (operations == 0 && !warm()) return 1;
  side->Close();
  return 0;
}

// The least the file format allows, counted call by call:
//   append, record file: lock byte 0, learn the end (fstat), write the slot,
//     flush (dup + close), unlock                                    = 6
//   append, each index: lock byte 2047, read the pages from the root to
//     the leaf (or, with pages kept, page 0's counter alone), write the
//     update marker, write the leaf, write the new counter, flush
//     (dup + close), unlock                                          = 7 + reads
//   find: lock, read root to leaf (or the counter), unlock, read the
//     record                                                         = 3 + reads
// Splits and re-keyed parents add writes now and then; they are left out.
FormatMinimum MinimumCalls(const std::string& dir) {
  FormatMinimum m;
  m.x1Levels = Levels(DbIndexPath(dir, kMessageTable.name, 1));
  m.x2Levels = Levels(DbIndexPath(dir, kMessageTable.name, 2));
  m.appendReadingPages = 6 + (7 + m.x1Levels) + (7 + m.x2Levels);
  m.appendCached = 6 + (7 + 1) + (7 + 1);
  m.findReadingPages = 3 + m.x1Levels;
  m.findCached = 3 + 1;
  return m;
}

}  // namespace bench
