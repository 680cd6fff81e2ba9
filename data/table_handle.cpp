#include "data/table_handle.h"

#include "data/office/datadir.h"
#include "storage/check.h"
#include "storage/errors.h"
#include "storage/text_compare.h"

int HandleOpen(TableHandle& handle) {
  if (!DP_CHECK(!handle.open)) return 0;
  if (!DataOpenTable(handle.table)) return 0;
  handle.open = true;
  return 1;
}

int HandleClose(TableHandle& handle) {
  if (!DP_CHECK(handle.open)) return 0;
  handle.open = false;
  return DataCloseTable(handle.table);
}

bool HandleReady(TableHandle& handle) {
  return DP_CHECK(handle.open) && DP_CHECK(handle.table.IsOpen());
}

bool AtEnd(Table& table) {
  return DbPositionState(table) == kPosEnd || DbCurrentRecord(table) < 0;
}

bool BeforeFirst(Table& table) {
  int32_t state = DbPositionState(table);
  return state == kPosBeforeFirst || state == kPosEnd;
}

int FailEndOfFile(const Table& table) {
  SetAppError(kAppEndOfFile, table.name);
  return 0;
}

int FailBeginningOfFile(const Table& table) {
  SetAppError(kAppBeginningOfFile, table.name);
  return 0;
}

int FailStaleEntry(const Table& table) {
  SetAppError(kAppIndexCorrupt, table.name + ".X" + std::to_string(table.currentIndex + 1));
  return 0;
}

int FailRecordLocked(std::string_view name) {
  SetAppError(kAppLockError, name);
  return 0;
}

bool FitsField(std::string_view text, int width) {
  return text.size() < size_t(width) && text.find('\0') == std::string_view::npos;
}

bool SameName(std::string_view a, std::string_view b) {
  return StrICmp(std::string(a).c_str(), std::string(b).c_str()) == 0;
}
