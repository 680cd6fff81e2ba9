#include "data/messages/dpcc.h"

#include <algorithm>
#include <new>

#include "storage/check.h"
#include "storage/errors.h"

namespace cr = records::cc;
namespace nm = records::name;

namespace {

constexpr const char* kTableName = "CC";
constexpr const char* kStartName = "DPStartCC";

bool Chosen(const CCList& list, int32_t number) {
  return std::find(list.numbers.begin(), list.numbers.end(), number) != list.numbers.end();
}

// Walks the name table in name order and keeps the chosen persons.
int Collect(CCList& list) {
  Table& names = list.names->table;
  if (!DbFirst(names)) return 0;
  NameEntry entry;
  while (!AtEnd(names)) {
    DbCurrentEntry(names, entry.bytes);
    std::string name = entry.Name();
    if (Chosen(list, entry.Number()) && !name.empty() && name[0] != nm::kGroupPrefix) {
      if (list.recipients.size() == size_t(kMaxCCNames)) {
        list.truncated = true;
        break;
      }
      list.recipients.push_back(name);
    }
    if (!DbNext(names)) return 0;
  }
  return 1;
}

// Positions on or after the first entry of the message; *found tells
// whether that entry belongs to it.
int Belongs(CCTable& handle, int32_t messageNumber, CCEntry* entry, bool* found) {
  CCEntry current;
  *found = false;
  if (AtEnd(handle.table)) return 1;
  DbCurrentEntry(handle.table, current.bytes);
  if (current.MessageNumber() != messageNumber) return 1;
  *found = true;
  if (entry) *entry = current;
  return 1;
}

}  // namespace

int32_t CCEntry::RecordNumber() const {
  return FieldI32(bytes, kEntryRecordNumber);
}
int32_t CCEntry::MessageNumber() const {
  return FieldI32(bytes, cr::x1::kMessageNumber);
}
std::string CCEntry::Name() const {
  return FieldText(bytes, cr::x1::kName);
}

int CCOpen(CCTable& handle) {
  return HandleOpen(handle);
}

int CCClose(CCTable& handle) {
  return HandleClose(handle);
}

int CCStart(CCList& list) {
  if (!DP_CHECK(list.names != nullptr) || !HandleReady(*list.names) ||
      !DP_CHECK(!list.to.empty()) || !DP_CHECK(!list.numbers.empty()) || !DP_CHECK(!list.started))
    return 0;
  list.recipients.clear();
  list.truncated = false;
  try {
    list.recipients.reserve(size_t(kMaxCCNames));
  } catch (const std::bad_alloc&) {
    SetAppError(kAppNoMemory, kStartName);
    return 0;
  }
  bool everybody = SameName(list.to, nm::kEverybody);
  if (everybody) {
    list.recipients.push_back(nm::kEverybody);
  } else if (!Collect(list)) {
    list.recipients.clear();
    return 0;
  }
  if (!everybody && list.recipients.size() < 2) {
    // A message to one person has no CC list.
    list.recipients.clear();
    ClearAppError();
    return 0;
  }
  if (!CCOpen(list.cc)) {
    list.recipients.clear();
    return 0;
  }
  list.started = true;
  if (list.truncated) SetAppError(kAppMaxRecords, list.to);
  return 1;
}

int CCWrite(CCList& list, int32_t messageNumber, std::string_view recipient) {
  if (!list.started) return 1;
  if (!HandleReady(list.cc)) return 0;
  for (const std::string& name : list.recipients) {
    if (SameName(name, recipient)) continue;
    uint8_t record[cr::kRecordSize] = {};
    SetFieldI32(record, cr::kMessageNumber, messageNumber);
    SetFieldText(record, cr::kName, name.c_str());
    if (!DbAppendRecord(list.cc.table, record)) return 0;
  }
  return 1;
}

int CCEnd(CCList& list) {
  list.recipients.clear();
  list.recipients.shrink_to_fit();
  list.started = false;
  if (list.cc.open) return CCClose(list.cc);
  return 1;
}

int CCFind(CCTable& handle, int32_t messageNumber, CCEntry* entry) {
  if (!HandleReady(handle)) return 0;
  // The empty name sorts before every name of the message.
  uint8_t key[kEntryBufferSize] = {};
  SetFieldI32(key, cr::x1::kMessageNumber, messageNumber);
  int exact = 0;
  if (!DbFind(handle.table, key, &exact)) return 0;
  bool found = false;
  Belongs(handle, messageNumber, entry, &found);
  if (found) return 1;
  SetAppError(kAppNotFound, kTableName);
  return 0;
}

int CCNext(CCTable& handle, int32_t messageNumber, CCEntry* entry) {
  if (!HandleReady(handle)) return 0;
  if (!DbNext(handle.table)) return 0;
  bool found = false;
  Belongs(handle, messageNumber, entry, &found);
  if (found) return 1;
  return FailEndOfFile(handle.table);
}

int CCReadNames(int32_t messageNumber, std::vector<std::string>* names) {
  names->clear();
  ClearAppError();
  CCTable handle;
  if (!CCOpen(handle)) return 0;
  CCEntry entry;
  int ok = CCFind(handle, messageNumber, &entry);
  while (ok && names->size() < size_t(kMaxCCNames)) {
    names->push_back(entry.Name());
    ok = CCNext(handle, messageNumber, &entry);
  }
  // Running out of the message's entries is the ordinary end.
  int code = AppErrorCode();
  bool ended = ok || code == kAppNotFound || code == kAppEndOfFile;
  if (ended) ClearAppError();
  CCClose(handle);
  return ended ? 1 : 0;
}
