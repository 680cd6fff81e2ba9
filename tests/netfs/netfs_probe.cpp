// One workstation's part in the network-share checks, run inside a guest by
// tests/netfs/run-checks.sh. Each command prints what it saw, one fact a
// line, and exits 0 when that is what a sound share gives.
//
//   hold DIR REC SECONDS MARK   lock MESSAGE record REC for editing, create
//                               MARK, keep it until MARK is gone or time is up
//   contend DIR REC             read, edit and delete record REC held elsewhere
//   bench DIR N                 N locked appends and N finds on a table of its own
//   flag-set DIR USER           set the new-message flag of USER
//   flag-wait DIR USER SECONDS  poll USER's flag file until it shows a message
//   lost DIR USER SECONDS       poll until the share is reported lost, then start up
//   open DIR                    start-up's opening of the data directory
//   flush-lock FILE1 FILE2      the same file through two mounts: a lock held
//                               through FILE1 still stops FILE2 after the
//                               engine's flush (and after closing a duplicate
//                               handle, which some clients take as an unlock)
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "data/office/datadir.h"
#include "data/office/dpmain.h"
#include "data/office/flags.h"
#include "storage/catalogue.h"
#include "storage/database.h"
#include "storage/errors.h"
#include "storage/file.h"
#include "storage/records/message.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string Dir(const char* arg) {
  std::string d = arg;
  if (d.empty() || d.back() != '/') d += '/';
  return d;
}

int Hold(const std::string& dir, int32_t rec, int seconds, const std::string& mark) {
  Table t(kMessageTable);
  if (!DbOpenTable(t, dir)) return std::printf("open failed %d\n", DbGetError()), 1;
  if (!DbLockRecord(t, rec)) return std::printf("lock failed\n"), 1;
  FILE* f = std::fopen(mark.c_str(), "w");
  if (f) std::fclose(f);
  std::printf("held %d\n", rec);
  std::fflush(stdout);
  const auto start = Clock::now();
  while (FileExists(mark) && MsSince(start) < seconds * 1000.0)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  DbUnlockRecord(t, rec);
  DbCloseTable(t);
  std::printf("released\n");
  return 0;
}

int Contend(const std::string& dir, int32_t rec) {
  Table t(kMessageTable);
  if (!DbOpenTable(t, dir)) return std::printf("open failed %d\n", DbGetError()), 1;
  std::vector<uint8_t> record(size_t(t.recordSize));
  auto start = Clock::now();
  const int read = DbReadRecord(t, rec, record.data());
  std::printf("read %d in %.1f ms\n", read, MsSince(start));
  start = Clock::now();
  int edit = DbLockRecord(t, rec);
  if (edit) DbUnlockRecord(t, rec);
  std::printf("edit lock %d in %.1f ms\n", edit, MsSince(start));
  start = Clock::now();
  const int deleted = DbDeleteRecord(t, record.data(), rec);
  const int code = deleted ? 0 : DbGetError();
  std::printf("delete %d code %d in %.1f ms\n", deleted, code, MsSince(start));
  DbCloseTable(t);
  return read == 1 && edit == 0 && deleted == 0 && code == kDbRecordLocked ? 0 : 1;
}

// A table of its own: 64-byte records, one index on a 12-byte key.
void BuildKey(const uint8_t* record, uint8_t* entry, int32_t) {
  std::memcpy(entry + 4, record + 1, 12);
}
int CompareKey(const uint8_t* a, const uint8_t* b) {
  return std::memcmp(a + 4, b + 4, 12);
}
const IndexDef kBenchIndex[] = {{16, BuildKey, CompareKey}};
const TableDef kBench = {128, 64, 1, kBenchIndex, "NETBENCH", 1};

int Bench(const std::string& dir, int n) {
  Table t(kBench);
  if (!DbCreateTable(t, dir, kBench.version) || !DbOpenTable(t, dir))
    return std::printf("bench table failed %d\n", DbGetError()), 1;
  uint8_t record[64] = {};
  auto start = Clock::now();
  for (int i = 0; i < n; ++i) {
    std::snprintf(reinterpret_cast<char*>(record + 1), 13, "K%010d", (i * 7919) % 100000);
    if (!DbAppendRecord(t, record)) return std::printf("append failed %d\n", DbGetError()), 1;
  }
  std::printf("append %.2f ms each\n", MsSince(start) / n);
  start = Clock::now();
  for (int i = 0; i < n; ++i) {
    uint8_t entry[kEntryBufferSize] = {};
    std::snprintf(reinterpret_cast<char*>(entry + 4), 13, "K%010d", (i * 7919) % 100000);
    int exact = 0;
    if (!DbFind(t, entry, &exact) || !exact) return std::printf("find failed\n"), 1;
  }
  std::printf("find %.2f ms each\n", MsSince(start) / n);
  DbCloseTable(t);
  return 0;
}

int FlagSet(const std::string& dir, int32_t user) {
  SetDataDirectory(dir);
  const int ok = SetFlag(kFlagNewMessage, true, user);
  std::printf("flag set %d\n", ok);
  return ok ? 0 : 1;
}

int FlagWait(const std::string& dir, int32_t user, int seconds) {
  const std::string path = FlagFilePath(dir, user);
  const auto start = Clock::now();
  while (MsSince(start) < seconds * 1000.0) {
    if (GetFlagValue(path) & kFlagNewMessage) {
      std::printf("flag seen after %.0f ms of polling\n", MsSince(start));
      return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::printf("flag not seen\n");
  return 1;
}

int Lost(const std::string& dir, int32_t user, int seconds) {
  const std::string path = FlagFilePath(dir, user);
  const auto start = Clock::now();
  while (MsSince(start) < seconds * 1000.0) {
    if (GetFlagValue(path) == 0) {
      const SystemReason why = FlagFailure(path);
      if (why != SystemReason::kNone && why != SystemReason::kNotFound) {
        std::printf("share lost seen by the poll after %.0f ms (reason %d)\n", MsSince(start),
                    int(why));
        const auto opening = Clock::now();
        const int opened = OpenDataDirectory(dir);
        std::printf("start-up answers %d, code %d, after %.0f ms\n", opened,
                    opened ? 0 : AppErrorCode(), MsSince(opening));
        return opened ? 1 : 0;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  std::printf("share loss not seen\n");
  return 1;
}

int Open(const std::string& dir) {
  const int opened = OpenDataDirectory(dir);
  if (opened) {
    std::printf("start-up opens the directory\n");
    CloseDataDirectory();
    return 0;
  }
  std::printf("start-up refuses, code %d: %s\n", AppErrorCode(), FormatAppError().c_str());
  return 1;
}

const char* Verdict(LockResult r) {
  return r == LockResult::kGranted ? "granted" : r == LockResult::kBusy ? "busy" : "failed";
}

// The other client's attempt on the byte: "busy" while the holder keeps it.
LockResult OtherTries(File& other, int64_t byte) {
  const LockResult r = other.TryLock(byte);
  if (r == LockResult::kGranted) other.Unlock(byte);
  return r;
}

int FlushLock(const std::string& path1, const std::string& path2) {
  constexpr int64_t kByte = 2047;
  File holder, other;
  if (!holder.Open(path1, OpenMode::kCreate) || !other.Open(path2, OpenMode::kShared))
    return std::printf("open failed\n"), 1;
  if (holder.TryLock(kByte) != LockResult::kGranted) return std::printf("lock failed\n"), 1;
  const LockResult before = OtherTries(other, kByte);
  holder.WriteAt(0, "x", 1);
  holder.Flush();
  const LockResult afterFlush = OtherTries(other, kByte);
  ::close(::dup(holder.Descriptor()));
  const LockResult afterDupClose = OtherTries(other, kByte);
  std::printf("other client before %s, after the engine's flush %s, after closing a duplicate %s\n",
              Verdict(before), Verdict(afterFlush), Verdict(afterDupClose));
  // Whether a write reaches the server by itself: read back at once through
  // the other mount, before any flush.
  holder.WriteAt(32, "unflushed", 9);
  char seen[9] = {};
  const bool writeThrough =
      other.ReadAt(32, seen, 9) == 9 && std::memcmp(seen, "unflushed", 9) == 0;
  std::printf("a write seen through the other mount before any flush: %s\n",
              writeThrough ? "yes" : "no");
  // What a flush costs after a record-sized write, both ways.
  constexpr int kRounds = 20;
  auto start = Clock::now();
  for (int i = 0; i < kRounds; ++i) {
    holder.WriteAt(64, "record", 6);
    holder.Flush();
  }
  const double engine = MsSince(start) / kRounds;
  start = Clock::now();
  for (int i = 0; i < kRounds; ++i) {
    holder.WriteAt(64, "record", 6);
    ::close(::dup(holder.Descriptor()));
  }
  std::printf("write and flush %.2f ms, write and close a duplicate %.2f ms\n", engine,
              MsSince(start) / kRounds);
  return before == LockResult::kBusy && afterFlush == LockResult::kBusy ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IOLBF, 0);
  const std::string what = argc > 1 ? argv[1] : "";
  if (what == "hold" && argc == 6)
    return Hold(Dir(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), argv[5]);
  if (what == "contend" && argc == 4) return Contend(Dir(argv[2]), std::atoi(argv[3]));
  if (what == "bench" && argc == 4) return Bench(Dir(argv[2]), std::atoi(argv[3]));
  if (what == "flag-set" && argc == 4) return FlagSet(Dir(argv[2]), std::atoi(argv[3]));
  if (what == "flag-wait" && argc == 5)
    return FlagWait(Dir(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
  if (what == "lost" && argc == 5)
    return Lost(Dir(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
  if (what == "open" && argc == 3) return Open(Dir(argv[2]));
  if (what == "flush-lock" && argc == 4) return FlushLock(argv[2], argv[3]);
  std::fprintf(stderr, "usage: see the top of netfs_probe.cpp\n");
  return 2;
}
