// bench/engine: the same logical work on our record engine and on SQLite, in
// one run, as operations per second. Not a test: it measures.
//
//   engine [--quick] [--dir DIR] [--keep] [--no-strace] [--only SIDE]
//          [--concurrent-only]
//
// --only runs one side (ours, sqlite, sqlite-wal) and --concurrent-only row 6
// alone, for profiling.
//
// Rows: append, find, walk, query, sort, concurrent (see rows.h). SQLite runs
// at the visibility our engine gives: autocommit, one statement per
// operation, journal_mode=DELETE, synchronous=OFF; WAL with
// synchronous=NORMAL is printed for reference. The output ends with one
// "RATIO <row> <ours / SQLite>" line per row for scripts.
#include <sqlite3.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/office.h"
#include "bench/rows.h"
#include "bench/syscalls.h"

namespace bench {
namespace {

constexpr int kCountedOperations = 2000;

struct Options {
  bool quick = false;
  bool keep = false;
  bool countCalls = true;
  bool concurrentOnly = false;
  std::string only;  // run one side alone (for profiling)
  std::string dir;
};

std::string CpuModel() {
  std::ifstream in("/proc/cpuinfo");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("model name", 0) == 0) {
      auto colon = line.find(':');
      return colon == std::string::npos ? line : line.substr(colon + 2);
    }
  return "unknown";
}

std::string FileSystem(const std::string& dir) {
  struct statfs fs;
  if (statfs(dir.c_str(), &fs) != 0) return "?";
  switch (fs.f_type) {
    case 0xEF53:
      return "ext4";
    case 0x01021994:
      return "tmpfs";
    case 0x6969:
      return "nfs";
    case 0x58465342:
      return "xfs";
    case 0x9123683E:
      return "btrfs";
    case 0x794C7630:
      return "overlayfs";
    default:
      return "other";
  }
}

std::string SelfPath() {
  std::error_code e;
  auto p = std::filesystem::read_symlink("/proc/self/exe", e);
  return e ? std::string() : p.string();
}

std::string Ratio(const Timing& ours, const Timing& theirs) {
  if (!ours.ok || !theirs.ok || theirs.PerSecond() <= 0) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", ours.PerSecond() / theirs.PerSecond());
  return text;
}

std::string Rate(const Timing& t) {
  if (!t.ran) return "-";
  if (!t.ok) return "failed";
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", t.PerSecond());
  return text;
}

void PrintRow(const char* row, const std::string& work, const Timing& ours, const Timing& lite,
              const Timing& wal) {
  std::printf("%-12s %-44s %11s %11s %7s %11s %7s\n", row, work.c_str(), Rate(ours).c_str(),
              Rate(lite).c_str(), Ratio(ours, lite).c_str(), Rate(wal).c_str(),
              Ratio(ours, wal).c_str());
}

std::string CpuRatio(const Timing& ours, const Timing& theirs) {
  if (ours.CpuMicroseconds() <= 0 || theirs.CpuMicroseconds() <= 0) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", theirs.CpuMicroseconds() / ours.CpuMicroseconds());
  return text;
}

std::string Cpu(const Timing& t) {
  if (!t.ran) return "-";
  if (!t.ok) return "failed";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", t.CpuMicroseconds());
  return text;
}

void PrintCpuRow(const char* row, const Timing& ours, const Timing& lite, const Timing& wal) {
  std::printf("%-12s %11s %11s %7s %11s %7s\n", row, Cpu(ours).c_str(), Cpu(lite).c_str(),
              CpuRatio(ours, lite).c_str(), Cpu(wal).c_str(), CpuRatio(ours, wal).c_str());
}

std::string Describe(const char* format, long a, long b = 0) {
  char text[96];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

void PrintCalls(const char* label, const CallCounts& c) {
  if (!c.ok) {
    std::printf("  %-18s could not be counted\n", label);
    return;
  }
  std::printf("  %-18s %5.1f:", label, c.perOperation);
  int shown = 0;
  for (const auto& [name, n] : c.byCall) {
    if (n < 0.05 || shown++ == 8) break;
    std::printf(" %s %.1f", name.c_str(), n);
  }
  std::printf("\n");
}

int Main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--count-calls") == 0) return CountingMode(argc, argv);
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--quick") {
      o.quick = true;
    } else if (a == "--keep") {
      o.keep = true;
    } else if (a == "--concurrent-only") {
      o.concurrentOnly = true;
    } else if (a == "--no-strace") {
      o.countCalls = false;
    } else if (a == "--only" && i + 1 < argc) {
      o.only = argv[++i];
    } else if (a == "--dir" && i + 1 < argc) {
      o.dir = argv[++i];
    } else {
      std::fprintf(stderr,
                   "usage: %s [--quick] [--dir DIR] [--keep] [--no-strace] [--only SIDE]\n"
                   "       [--concurrent-only]\n",
                   argv[0]);
      return 2;
    }
  }
  Sizes sizes;
  sizes.concurrentOnly = o.concurrentOnly;
  if (o.concurrentOnly) o.countCalls = false;
  if (o.quick) {
    sizes.messages /= 10;
    sizes.finds /= 10;
    sizes.sortRows /= 10;
    sizes.perProcess /= 10;
  }
  bool madeDir = false;
  if (o.dir.empty()) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/deskpost-bench-XXXXXX";
    if (!mkdtemp(pattern.data())) {
      std::perror("mkdtemp");
      return 1;
    }
    o.dir = pattern;
    madeDir = true;
  }
  if (o.dir.back() != '/') o.dir += '/';

  const Office office = MakeOffice(sizes.messages, 1, kOfficeSeed);
  std::printf("DESKpost record engine against SQLite %s (%s sizes)\n", sqlite3_libversion(),
              o.quick ? "quick: a tenth of the" : "full");
  std::printf("machine: %ld processors, %s; files in %s (%s)\n", sysconf(_SC_NPROCESSORS_ONLN),
              CpuModel().c_str(), o.dir.c_str(), FileSystem(o.dir).c_str());
  std::printf(
      "SQLite: autocommit, one statement per operation, journal_mode=DELETE, "
      "synchronous=OFF;\n        WAL = journal_mode=WAL, synchronous=NORMAL (reference)\n");
  std::fflush(stdout);

  const SideKind kinds[] = {SideKind::kOurs, SideKind::kSqliteDelete, SideKind::kSqliteWal};
  SideResults results[3];
  for (int k = 0; k < 3; ++k) {
    const std::string name = SideName(kinds[k]);
    if (!o.only.empty() && o.only != name) continue;
    const std::string dir = o.dir + name + "/";
    const std::string concurrentDir = o.dir + name + "-concurrent/";
    std::filesystem::create_directories(dir);
    std::filesystem::create_directories(concurrentDir);
    results[k] = RunSide(kinds[k], dir, concurrentDir, office, sizes);
  }
  const SideResults& ours = results[0];
  const SideResults& lite = results[1];
  const SideResults& wal = results[2];

  std::printf("\n%-12s %-44s %11s %11s %7s %11s %7s\n", "row", "work (operations)", "ours/s",
              "SQLite/s", "ratio", "WAL/s", "ratio");
  PrintRow("append", Describe("%ld messages, both indexes", sizes.messages), ours.append,
           lite.append, wal.append);
  PrintRow("find", Describe("%ld exact finds by X1 key, record read", sizes.finds), ours.find,
           lite.find, wal.find);
  PrintRow("walk", Describe("%ld X1 entries forward, %ld backward", sizes.messages, sizes.messages),
           ours.Walk(), lite.Walk(), wal.Walk());
  PrintRow("  forward", "", ours.walkForward, lite.walkForward, wal.walkForward);
  PrintRow("  backward", "", ours.walkBackward, lite.walkBackward, wal.walkBackward);
  PrintRow("query", Describe("New folder, %ld rows, each row read back", office.newForFirst),
           ours.query, lite.query, wal.query);
  PrintRow("sort", Describe("%ld rows of 99 bytes, by sender", sizes.sortRows), ours.sort,
           lite.sort, wal.sort);
  PrintRow("concurrent", Describe("%ld processes x %ld appends", sizes.processes, sizes.perProcess),
           ours.concurrent, lite.concurrent, wal.concurrent);

  std::printf(
      "\nprocessor time per operation in microseconds, user + system (steadier than the "
      "rates\nabove on a busy machine); ratio = operations per processor second, ours / "
      "theirs\n");
  std::printf("%-12s %11s %11s %7s %11s %7s\n", "row", "ours", "SQLite", "ratio", "WAL", "ratio");
  PrintCpuRow("append", ours.append, lite.append, wal.append);
  PrintCpuRow("find", ours.find, lite.find, wal.find);
  PrintCpuRow("walk", ours.Walk(), lite.Walk(), wal.Walk());
  PrintCpuRow("query", ours.query, lite.query, wal.query);
  PrintCpuRow("sort", ours.sort, lite.sort, wal.sort);
  PrintCpuRow("concurrent", ours.concurrent, lite.concurrent, wal.concurrent);
  std::printf("concurrent: processors kept busy (processor time / wall time):");
  for (const SideResults* r : {&ours, &lite, &wal}) {
    const Timing& c = r->concurrent;
    if (c.ok && c.seconds > 0)
      std::printf(" %s %.2f", r == &ours ? "ours" : (r == &lite ? "SQLite" : "WAL"),
                  c.cpuSeconds / c.seconds);
  }
  std::printf("\n");
  if (ours.concurrent.lockWaits >= 0)
    std::printf(
        "concurrent, ours: %lld pauses in lock waits, %.1f s of the appenders' %.1f s; "
        "%lld waits went past their first 55 ms tick\n",
        (long long)ours.concurrent.lockPauses, ours.concurrent.pausedSeconds,
        double(sizes.processes) * ours.concurrent.seconds,
        (long long)ours.concurrent.longLockWaits);
  std::printf("\nsystem calls per operation");
  if (!o.countCalls) {
    std::printf(": not counted in this run\n");
  } else if (!StraceAvailable()) {
    std::printf(": strace is not installed, so they were not counted\n");
  } else {
    const std::string self = SelfPath();
    std::printf(" (strace -c over %d operations, by call)\n", kCountedOperations);
    const FormatMinimum m = MinimumCalls(o.dir + SideName(SideKind::kOurs) + "/");
    for (const char* op : {"find", "append"}) {
      const bool append = std::strcmp(op, "append") == 0;
      std::printf(
          "%s: least the format needs %d reading every page (X1 %d levels, X2 %d), %d "
          "with pages kept\n",
          op, append ? m.appendReadingPages : m.findReadingPages, m.x1Levels, m.x2Levels,
          append ? m.appendCached : m.findCached);
      for (int k = 0; k < 3; ++k) {
        if (!o.only.empty() && o.only != SideName(kinds[k])) continue;
        const std::string dir = o.dir + SideName(kinds[k]) + "/";
        PrintCalls(SideName(kinds[k]),
                   CountCalls(self, kinds[k], op, dir, kCountedOperations, sizes.messages));
      }
    }
  }

  std::printf("\n");
  std::printf("RATIO append %s\n", Ratio(ours.append, lite.append).c_str());
  std::printf("RATIO find %s\n", Ratio(ours.find, lite.find).c_str());
  std::printf("RATIO walk %s\n", Ratio(ours.Walk(), lite.Walk()).c_str());
  std::printf("RATIO query %s\n", Ratio(ours.query, lite.query).c_str());
  std::printf("RATIO sort %s\n", Ratio(ours.sort, lite.sort).c_str());
  std::printf("RATIO concurrent %s\n", Ratio(ours.concurrent, lite.concurrent).c_str());

  if (madeDir && !o.keep) {
    std::error_code ignored;
    std::filesystem::remove_all(o.dir, ignored);
  }
  const bool allOk = ours.append.ok && ours.find.ok && ours.Walk().ok && ours.query.ok &&
                     ours.sort.ok && ours.concurrent.ok;
  return allOk ? 0 : 1;
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) {
  return bench::Main(argc, argv);
}
