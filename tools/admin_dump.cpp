// dpadmin dump: shows a table as it lies on disk: the header, each record on
// a line of its own, then each index's entries in index order.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "storage/catalogue.h"
#include "tools/admin.h"
#include "tools/index_walk.h"
#include "tools/record_format.h"
#include "tools/record_scan.h"

int RunDump(const std::vector<std::string>& args) {
  std::vector<std::string> plain;
  bool all = false;
  for (const std::string& a : args) {
    if (a == "--all")
      all = true;
    else
      plain.push_back(a);
  }
  if (plain.size() != 2) {
    Complain("dump needs a directory and a table: dpadmin dump DIR TABLE [--all]");
    return kExitError;
  }
  const std::string dir = WithSlash(plain[0]);
  if (!RequireDataDirectory(dir)) return kExitError;
  const TableDef* found = RequireTable(plain[1]);
  if (!found) return kExitError;
  const TableDef& def = *found;

  const std::string dataName = DataFileName(def);
  const std::string dataPath = DbDataPath(dir, def.name);
  File data;
  if (!data.Open(dataPath, OpenMode::kReadOnly)) {
    Complain(dataPath + ": cannot open: " + std::strerror(errno));
    return kExitError;
  }
  bool problems = false;
  RecordScan scan;
  int32_t deleted = 0;
  // The header line comes first, but its counts are known only after the
  // scan: the records are gathered first.
  std::vector<std::string> lines;
  bool read = ScanRecords(
      data, def,
      [&](int32_t n, const uint8_t* record, bool isDeleted) {
        if (isDeleted) ++deleted;
        if (isDeleted && !all) return;
        lines.push_back("record " + std::to_string(n) + (isDeleted ? " (deleted)" : "") + ": " +
                        DescribeRecord(def, record));
      },
      &scan);
  for (const std::string& p : scan.problems) {
    Complain(dataName + ": " + p);
    problems = true;
  }
  if (!read) return kExitError;
  std::printf("%s: header %d bytes, records %d bytes, %d slots (%d deleted)", dataName.c_str(),
              def.headerSize, def.recordSize, scan.count, deleted);
  if (scan.version >= 0) std::printf(", unique number %u, version %d", scan.unique, scan.version);
  std::printf("\n");
  for (const std::string& line : lines) std::printf("%s\n", line.c_str());

  for (int x = 0; x < def.indexCount; ++x) {
    const std::string name = IndexFileName(def, x + 1);
    File index;
    if (!index.Open(DbIndexPath(dir, def.name, x + 1), OpenMode::kReadOnly)) {
      Complain(name + ": cannot open: " + std::strerror(errno));
      problems = true;
      continue;
    }
    IndexWalk walk;
    WalkIndex(index, def.indexes[x], &walk);
    for (const std::string& p : walk.problems) Complain(name + ": " + p);
    if (!walk.problems.empty()) problems = true;
    std::printf("%s: %zu entries, %u pages, depth %d, change counter %u\n", name.c_str(),
                walk.entries.size(), walk.pageCount, walk.depth, walk.counter);
    for (const auto& entry : walk.entries)
      std::printf("  record %d: %s\n", GetI32(entry.data()),
                  DescribeEntry(def, x, entry.data()).c_str());
  }
  return problems ? kExitProblems : kExitOk;
}
