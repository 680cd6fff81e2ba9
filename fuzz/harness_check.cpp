// The check target: dpadmin's check and reindex over a table whose record
// file and index files are the input's bytes. Both read hostile files
// straight from disk, without the engine's page checks in between.
//
// Beyond "no crash": both end with one of dpadmin's exit statuses, leave no
// lock held, and a reindex that reports success leaves every index of the
// table checking clean with one entry per live record it kept.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "fuzz/harness.h"
#include "fuzz/harness_support.h"
#include "storage/catalogue.h"
#include "storage/index.h"
#include "storage/index_page.h"
#include "tools/admin.h"
#include "tools/index_walk.h"
#include "tools/record_scan.h"

namespace {

using harness::Input;

constexpr size_t kScriptBytes = 16;

// Sends what dpadmin prints to /dev/null while it lives: a hostile file
// gives hundreds of problem lines.
class Quiet {
 public:
  Quiet() {
    std::fflush(stdout);
    std::fflush(stderr);
    out_ = dup(1);
    err_ = dup(2);
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
      dup2(null, 1);
      dup2(null, 2);
      close(null);
    }
  }
  ~Quiet() {
    std::fflush(stdout);
    std::fflush(stderr);
    Restore(out_, 1);
    Restore(err_, 2);
  }
  Quiet(const Quiet&) = delete;
  Quiet& operator=(const Quiet&) = delete;

 private:
  static void Restore(int saved, int fd) {
    if (saved < 0) return;
    dup2(saved, fd);
    close(saved);
  }
  int out_;
  int err_;
};

bool IsExitStatus(int status) {
  return status == kExitOk || status == kExitProblems || status == kExitError;
}

}  // namespace

std::string RunCheckInput(const uint8_t* data, size_t size) {
  const std::string& dir = harness::BeginInput();
  Input in(data, size, kScriptBytes);
  const TableDef& def = *CatalogueTables()[in.Byte() % kCatalogueSize];
  const uint8_t flags = in.Byte();

  // The record file, then each index, take their share of the file bytes;
  // an index whose flag bit is set is left missing.
  const uint8_t* files = in.Files();
  size_t left = in.FilesSize();
  size_t cut = in.U16() % (left + 1);
  harness::WriteFile(DbDataPath(dir, def.name), files, cut);
  files += cut;
  left -= cut;
  for (int x = 0; x < def.indexCount; ++x) {
    cut = x + 1 < def.indexCount ? in.U16() % (left + 1) : left;
    if (!(flags & (1 << x))) harness::WriteFile(DbIndexPath(dir, def.name, x + 1), files, cut);
    files += cut;
    left -= cut;
  }
  // The mark of a data directory, unless the table is CAT itself.
  if (!FileExists(dir + "CAT.DAT")) harness::WriteFile(dir + "DP.EXE", nullptr, 0);

  harness::Verdict verdict;
  const std::vector<std::string> args = {dir, def.name};
  int checked;
  int rebuilt;
  {
    Quiet quiet;
    checked = RunCheck(args);
    rebuilt = RunReindex(args);
  }
  if (!IsExitStatus(checked)) verdict.Fault("check ended with " + std::to_string(checked));
  if (!IsExitStatus(rebuilt)) verdict.Fault("reindex ended with " + std::to_string(rebuilt));
  if (harness::LockHeld(DbDataPath(dir, def.name), 0, 0))
    verdict.Fault("a lock on the record file was left held");
  for (int x = 0; x < def.indexCount; ++x)
    if (harness::LockHeld(DbIndexPath(dir, def.name, x + 1), 0, 0))
      verdict.Fault("a lock on index " + std::to_string(x + 1) + " was left held");
  if (rebuilt == kExitError) return verdict.Text();

  // Reindex succeeded: the live records, less those whose keys collided,
  // are exactly what every index holds now.
  File records;
  if (!records.Open(DbDataPath(dir, def.name), OpenMode::kReadOnly)) {
    verdict.Fault("the record file is gone after a reindex");
    return verdict.Text();
  }
  int32_t live = 0;
  RecordScan scan;
  ScanRecords(
      records, def, [&](int32_t, const uint8_t*, bool deleted) { live += deleted ? 0 : 1; }, &scan);
  for (int x = 0; x < def.indexCount; ++x) {
    const std::string name = "index " + std::to_string(x + 1);
    File file;
    if (!file.Open(DbIndexPath(dir, def.name, x + 1), OpenMode::kReadOnly)) {
      verdict.Fault(name + " is missing after a reindex");
      continue;
    }
    IndexWalk walk;
    WalkIndex(file, def.indexes[x], &walk);
    if (!walk.problems.empty())
      verdict.Fault(name + " does not check clean after a reindex: " + walk.problems.front());
    else if (rebuilt == kExitOk && walk.entries.size() != size_t(live))
      verdict.Fault(name + " holds " + std::to_string(walk.entries.size()) + " entries for " +
                    std::to_string(live) + " live records after a reindex");
    Index index(def.indexes[x]);
    if (!IdxOpen(index, DbIndexPath(dir, def.name, x + 1)))
      verdict.Fault(name + " does not open after a reindex (code " + std::to_string(IdxGetError()) +
                    ")");
    IdxClose(index);
  }
  return verdict.Text();
}
