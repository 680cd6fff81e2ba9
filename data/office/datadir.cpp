#include "data/office/datadir.h"

#include <cerrno>

#include "storage/check.h"

namespace {

struct DataDirState {
  std::string directory;
  int openTables = 0;
};

DataDirState& State() {
  static DataDirState state;
  return state;
}

}  // namespace

void SetDataDirectory(const std::string& directory) {
  std::string& d = State().directory;
  d = directory;
  if (!d.empty() && d.back() != '/') d += '/';
}

const std::string& DataDirectory() {
  return State().directory;
}

int DataOpenTable(Table& table) {
  // Opening before the start-up named the directory would look for the
  // table in the working directory.
  if (!DP_CHECK(!State().directory.empty())) {
    errno = ENOENT;
    DbSetError(kDbOpenFailed, table.name);
    return 0;
  }
  if (!DbOpenTable(table, State().directory)) return 0;
  CountTableOpened();
  return 1;
}

int DataCloseTable(Table& table) {
  bool wasOpen = table.IsOpen();
  int ok = DbCloseTable(table);
  if (wasOpen) CountTableClosed();
  return ok;
}

int OpenTableCount() {
  return State().openTables;
}

void CountTableOpened() {
  ++State().openTables;
}

void CountTableClosed() {
  // More closes than opens means a module closed something twice.
  if (DP_CHECK(State().openTables > 0)) --State().openTables;
}
