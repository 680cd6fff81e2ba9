#include "data/phone/phone_category.h"

#include <climits>
#include <cstring>

#include "storage/errors.h"
#include "storage/text_compare.h"

namespace ct = records::cat;
namespace lc = records::lc;

namespace {

std::string TrimRight(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return std::string(text);
}

bool ValidName(const std::string& name) {
  return !name.empty() && static_cast<unsigned char>(name[0]) != kDeletedMark &&
         FitsField(name, ct::kName.width);
}

int FailInvalid(std::string_view name) {
  SetAppError(kAppInvalidName, name);
  return 0;
}

int FailNotFound(std::string_view name) {
  SetAppError(kAppNotFound, name);
  return 0;
}

// Positions "CAT" X1 at (list, name); *exact when that category exists.
int SeekCategory(CategoryTable& handle, int32_t list, std::string_view name, bool* exact) {
  *exact = false;
  if (!DbSetCurrentIndex(handle.table, 0)) return 0;
  uint8_t key[kEntryBufferSize] = {};
  SetFieldI32(key, ct::x1::kList, list);
  SetFieldText(key, ct::x1::kName, std::string(name).c_str());
  int found = 0;
  if (!DbFind(handle.table, key, &found)) return 0;
  *exact = found != 0 && !AtEnd(handle.table) && FitsField(name, ct::kName.width);
  return 1;
}

// Positions "LC" X1 at (entry, category).
int SeekAssignment(AssignmentTable& handle, int32_t entryNumber, int32_t category, bool* exact) {
  *exact = false;
  if (!DbSetCurrentIndex(handle.table, 0)) return 0;
  uint8_t key[kEntryBufferSize] = {};
  SetFieldI32(key, lc::x1::kEntryNumber, entryNumber);
  SetFieldI32(key, lc::x1::kCategory, category);
  int found = 0;
  if (!DbFind(handle.table, key, &found)) return 0;
  *exact = found != 0 && !AtEnd(handle.table);
  return 1;
}

// The current "CAT" entry when it belongs to the list.
int InList(CategoryTable& handle, int32_t list, CategoryEntry* entry) {
  CategoryEntry landed;
  if (AtEnd(handle.table) || !DbCurrentEntry(handle.table, landed.bytes) || landed.List() != list)
    return FailEndOfFile(handle.table);
  if (entry) *entry = landed;
  return 1;
}

}  // namespace

std::string CategoryRecord::Name() const {
  return FieldText(bytes, ct::kName);
}
int32_t CategoryRecord::Number() const {
  return FieldI32(bytes, ct::kNumber);
}
int32_t CategoryRecord::List() const {
  return FieldI32(bytes, ct::kList);
}

int32_t CategoryEntry::RecordNumber() const {
  return FieldI32(bytes, kEntryRecordNumber);
}
int32_t CategoryEntry::List() const {
  return FieldI32(bytes, ct::x1::kList);
}
std::string CategoryEntry::Name() const {
  return FieldText(bytes, ct::x1::kName);
}
int32_t CategoryEntry::Number() const {
  return FieldI32(bytes, ct::x1::kNumber);
}

void CategorySet::Clear() {
  std::memset(slots_, 0, sizeof slots_);
}
bool CategorySet::Empty() const {
  return Count() == 0;
}
int CategorySet::Count() const {
  int n = 0;
  for (int32_t s : slots_) n += s != 0;
  return n;
}
bool CategorySet::Contains(int32_t category) const {
  if (category == 0) return false;
  for (int32_t s : slots_)
    if (s == category) return true;
  return false;
}
bool CategorySet::Add(int32_t category) {
  if (category == 0) return false;
  if (Contains(category)) return true;
  for (int i = 0; i < kCapacity; ++i) {
    if (slots_[i] == 0) {
      slots_[i] = category;
      return true;
    }
  }
  return false;
}
void CategorySet::Remove(int32_t category) {
  for (int32_t& s : slots_)
    if (s == category) s = 0;
}

int CategoryOpen(CategoryTable& handle) {
  return HandleOpen(handle);
}
int CategoryClose(CategoryTable& handle) {
  return HandleClose(handle);
}
int AssignmentOpen(AssignmentTable& handle) {
  return HandleOpen(handle);
}
int AssignmentClose(AssignmentTable& handle) {
  return HandleClose(handle);
}

int CategoryAdd(CategoryTable& handle, int32_t list, std::string_view name, CategoryRecord* added) {
  if (!HandleReady(handle)) return 0;
  const std::string trimmed = TrimRight(name);
  if (!ValidName(trimmed)) return FailInvalid(trimmed);
  bool exists = false;
  if (!SeekCategory(handle, list, trimmed, &exists)) return 0;
  if (exists) {
    SetAppError(kAppDuplicate, trimmed);
    return 0;
  }
  CategoryRecord record;
  SetFieldText(record.bytes, ct::kName, trimmed.c_str());
  SetFieldI32(record.bytes, ct::kList, list);
  uint32_t number = 0;
  if (!GetUniqueNumber(handle.table, &number)) return 0;
  SetFieldU32(record.bytes, ct::kNumber, number);
  if (!DbAppendRecord(handle.table, record.bytes)) {
    if (IdxGetError() == kIdxDuplicate) SetAppError(kAppDuplicate, trimmed);
    return 0;
  }
  if (added) *added = record;
  return 1;
}

int CategoryFind(CategoryTable& handle, int32_t list, std::string_view name, CategoryEntry* entry) {
  if (!HandleReady(handle)) return 0;
  const std::string trimmed = TrimRight(name);
  bool exists = false;
  if (!SeekCategory(handle, list, trimmed, &exists)) return 0;
  if (!exists) return FailNotFound(trimmed);
  if (entry) DbCurrentEntry(handle.table, entry->bytes);
  return 1;
}

int CategoryFindPrefix(CategoryTable& handle, int32_t list, std::string_view prefix,
                       CategoryEntry* entry) {
  if (!HandleReady(handle)) return 0;
  bool exact = false;
  std::string wanted(prefix.substr(0, size_t(kMaxCategoryNameLength)));
  if (!SeekCategory(handle, list, wanted, &exact)) return 0;
  CategoryEntry landed;
  if (!InList(handle, list, &landed)) return FailNotFound(wanted);
  std::string name = landed.Name();
  if (name.size() < wanted.size() || StrICmp(name.substr(0, wanted.size()).c_str(), wanted.c_str()))
    return FailNotFound(wanted);
  if (entry) *entry = landed;
  return 1;
}

int CategoryRename(CategoryTable& handle, int32_t list, std::string_view oldName,
                   std::string_view newName) {
  if (!HandleReady(handle)) return 0;
  const std::string renamed = TrimRight(newName);
  if (!ValidName(renamed)) return FailInvalid(renamed);
  bool taken = false;
  if (!SeekCategory(handle, list, renamed, &taken)) return 0;
  CategoryEntry other;
  if (taken) DbCurrentEntry(handle.table, other.bytes);
  CategoryEntry old;
  if (!CategoryFind(handle, list, oldName, &old)) return 0;
  if (taken && other.RecordNumber() != old.RecordNumber()) {
    SetAppError(kAppDuplicate, renamed);
    return 0;
  }
  CategoryRecord record;
  if (!DbReadRecord(handle.table, old.RecordNumber(), record.bytes)) return 0;
  if (record.Number() != old.Number()) return FailStaleEntry(handle.table);
  SetFieldText(record.bytes, ct::kName, renamed.c_str());
  if (!DbRekeyRecord(handle.table, old.bytes, record.bytes)) {
    if (IdxGetError() == kIdxDuplicate) SetAppError(kAppDuplicate, renamed);
    return 0;
  }
  return 1;
}

int CategoryDelete(CategoryTable& handle, int32_t list, std::string_view name) {
  if (!HandleReady(handle)) return 0;
  CategoryEntry entry;
  if (!CategoryFind(handle, list, name, &entry)) return 0;
  CategoryRecord record;
  if (!DbReadRecord(handle.table, entry.RecordNumber(), record.bytes)) return 0;
  if (!DbDeleteRecord(handle.table, record.bytes, entry.RecordNumber())) {
    if (DbGetError() == kDbRecordLocked) return FailRecordLocked(name);
    return 0;
  }
  return 1;
}

int CategoryFirstOfList(CategoryTable& handle, int32_t list, CategoryEntry* entry) {
  if (!HandleReady(handle)) return 0;
  bool exact = false;
  if (!SeekCategory(handle, list, "", &exact)) return 0;
  return InList(handle, list, entry);
}

int CategoryNextInList(CategoryTable& handle, int32_t list, CategoryEntry* entry) {
  if (!HandleReady(handle)) return 0;
  if (!DbSetCurrentIndex(handle.table, 0) || !DbNext(handle.table)) return 0;
  return InList(handle, list, entry);
}

int CategoryLoadSet(AssignmentTable& handle, int32_t entryNumber, CategorySet* set) {
  set->Clear();
  if (!HandleReady(handle)) return 0;
  bool exact = false;
  if (!SeekAssignment(handle, entryNumber, INT32_MIN, &exact)) return 0;
  Table& table = handle.table;
  for (int loaded = 0; loaded < CategorySet::kCapacity && !AtEnd(table); ++loaded) {
    uint8_t entry[kEntryBufferSize] = {};
    if (!DbCurrentEntry(table, entry)) return 0;
    if (FieldI32(entry, lc::x1::kEntryNumber) != entryNumber) break;
    set->Add(FieldI32(entry, lc::x1::kCategory));
    if (!DbNext(table)) return 0;
  }
  return 1;
}

int CategoryAssigned(AssignmentTable& handle, int32_t entryNumber, int32_t category,
                     bool* assigned) {
  if (!HandleReady(handle)) return 0;
  return SeekAssignment(handle, entryNumber, category, assigned);
}

int CategoryToggle(AssignmentTable& handle, int32_t entryNumber, int32_t category,
                   CategorySet* set) {
  if (!HandleReady(handle)) return 0;
  Table& table = handle.table;
  if (set->Contains(category)) {
    set->Remove(category);
    bool exists = false;
    if (!SeekAssignment(handle, entryNumber, category, &exists)) return 0;
    if (!exists) return 1;  // already gone, from another workstation
    uint8_t entry[kEntryBufferSize] = {};
    if (!DbCurrentEntry(table, entry)) return 0;
    const int32_t recordNumber = FieldI32(entry, kEntryRecordNumber);
    uint8_t record[lc::kRecordSize] = {};
    if (!DbReadRecord(table, recordNumber, record)) {
      if (DbGetError() != kDbRecordDeleted) return 0;
      DbClearError();
      ClearAppError();
      return 1;
    }
    if (!DbDeleteRecord(table, record, recordNumber)) {
      if (DbGetError() == kDbRecordLocked) return FailRecordLocked(table.name);
      return 0;
    }
    return 1;
  }
  if (!set->Add(category)) {
    SetAppError(kAppMaxRecords, table.name);
    return 0;
  }
  bool exists = false;
  if (!SeekAssignment(handle, entryNumber, category, &exists)) {
    set->Remove(category);
    return 0;
  }
  if (exists) return 1;  // beyond the 255 loaded, or from another workstation
  uint8_t record[lc::kRecordSize] = {};
  SetFieldByte(record, lc::kMark, 0);
  SetFieldI32(record, lc::kEntryNumber, entryNumber);
  SetFieldI32(record, lc::kCategory, category);
  if (!DbAppendRecord(table, record)) {
    // Assigned meanwhile by another workstation: what the user asked for
    // is true.
    if (IdxGetError() == kIdxDuplicate) {
      DbClearError();
      ClearAppError();
      return 1;
    }
    set->Remove(category);
    return 0;
  }
  return 1;
}
