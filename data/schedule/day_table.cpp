#include "data/schedule/day_table.h"

namespace day_table {

int FailEnd() {
  SetAppError(kAppEndOfFile, "");
  return 0;
}

int FailFull() {
  SetAppError(kAppMaxRecords, "");
  return 0;
}

int FailedWrite(std::string_view recordName) {
  if (IdxGetError() == kIdxDuplicate && DbGetError() == kDbOk)
    SetAppError(kAppDuplicate, recordName);
  return 0;
}

int DeleteStored(Table& table, const uint8_t* record, int32_t recordNumber,
                 std::string_view tableName) {
  if (DbDeleteRecord(table, record, recordNumber)) return 1;
  if (DbGetError() == kDbRecordLocked) return FailRecordLocked(tableName);
  return 0;
}

int Rewrite(Table& table, int32_t recordNumber, const uint8_t* oldKey, const uint8_t* record,
            std::string_view tableName, std::string_view recordName) {
  if (!DbLockRecord(table, recordNumber)) {
    DbSetLockedError();
    return FailRecordLocked(tableName);
  }
  int ok = DbSetCurrentIndex(table, 0) && DbRekeyRecord(table, oldKey, record);
  if (!ok) FailedWrite(recordName);
  DbUnlockRecord(table, recordNumber);
  return ok;
}

}  // namespace day_table
