#include "data/messages/name_carry.h"

#include <cstring>
#include <string>
#include <vector>

#include "data/messages/dpcc.h"
#include "data/messages/dpmess.h"
#include "storage/errors.h"
#include "storage/records/cc.h"
#include "storage/records/keys.h"
#include "storage/records/message.h"

namespace msg = records::message;
namespace slog = records::sendlog;
namespace cr = records::cc;

namespace {

// Where a table keeps the name: in the record, and in its X1 entry.
struct NameField {
  Field record;
  Field entry;
};

// The record numbers whose X1 entry names the person. They are gathered
// first and changed afterwards, since every change moves its entry within
// the very index the walk follows.
int Gather(Table& table, NameField field, std::string_view name, std::vector<int32_t>* found) {
  if (!DbSetCurrentIndex(table, 0) || !DbFirst(table)) return 0;
  uint8_t entry[kEntryBufferSize];
  while (!AtEnd(table)) {
    DbCurrentEntry(table, entry);
    if (SameName(FieldText(entry, field.entry), name))
      found->push_back(FieldI32(entry, kEntryRecordNumber));
    if (!DbNext(table)) return 0;
  }
  return 1;
}

// One record, under its lock: read as stored now, and re-keyed with the new
// name when it still names the person. A record deleted or changed to
// another name meanwhile needs nothing.
int CarryOne(Table& table, NameField field, int32_t recordNumber, std::string_view oldName,
             std::string_view newName) {
  if (!DbLockRecord(table, recordNumber)) {
    DbSetLockedError();
    return FailRecordLocked(table.name + " record " + std::to_string(recordNumber));
  }
  std::vector<uint8_t> stored(size_t(table.recordSize));
  int ok = 1;
  if (!DbReadRecord(table, recordNumber, stored.data())) {
    if (DbGetError() == kDbRecordDeleted) {
      DbClearError();
    } else {
      ok = 0;
    }
  } else if (SameName(FieldText(stored.data(), field.record), oldName)) {
    std::vector<uint8_t> changed = stored;
    SetFieldText(changed.data(), field.record, std::string(newName).c_str());
    uint8_t old[kEntryBufferSize];
    DbMakeEntry(table, 0, stored.data(), recordNumber, old);
    ok = DbSetCurrentIndex(table, 0) && DbRekeyRecord(table, old, changed.data());
  }
  DbUnlockRecord(table, recordNumber);
  return ok;
}

int CarryTable(TableHandle& handle, NameField field, std::string_view oldName,
               std::string_view newName) {
  if (!HandleOpen(handle)) return 0;
  std::vector<int32_t> found;
  int ok = Gather(handle.table, field, oldName, &found);
  for (size_t i = 0; ok && i < found.size(); ++i)
    ok = CarryOne(handle.table, field, found[i], oldName, newName);
  // A failed close after a failure is not what the caller should see.
  const AppError kept = CurrentAppError();
  int closed = HandleClose(handle);
  if (!ok) {
    RestoreAppError(kept);
    return 0;
  }
  return closed;
}

}  // namespace

int CarryNameInMessages(std::string_view oldName, std::string_view newName) {
  if (!FitsField(newName, msg::kTo.width) || !FitsField(newName, cr::kName.width)) {
    SetAppError(kAppInvalidName, newName);
    return 0;
  }
  MessageTable messages;
  SendLogTable sendLog;
  CCTable cc;
  return CarryTable(messages, {msg::kTo, msg::x1::kTo}, oldName, newName) &&
         CarryTable(sendLog, {msg::kTo, slog::x1::kTo}, oldName, newName) &&
         CarryTable(cc, {cr::kName, cr::x1::kName}, oldName, newName);
}
