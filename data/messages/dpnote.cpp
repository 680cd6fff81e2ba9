#include "data/messages/dpnote.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "storage/check.h"
#include "storage/errors.h"

namespace nt = records::note;

namespace {

constexpr const char* kTableName = "NOTE";
// The name under which a part that contradicts its index entry is reported.
constexpr const char* kIndexName = "NOTE.IDX";

struct SharedNote {
  NoteTable handle;
  int depth = 0;
};

SharedNote& Shared() {
  static SharedNote shared;
  return shared;
}

// The note table for one operation: the shared handle while a group send
// runs, else one opened for the operation and closed after it.
class NoteUse {
 public:
  NoteUse() {
    if (Shared().depth > 0) {
      table_ = &Shared().handle;
    } else if (NoteOpen(own_)) {
      table_ = &own_;
    }
  }
  ~NoteUse() {
    if (own_.open) NoteClose(own_);
  }
  NoteUse(const NoteUse&) = delete;
  NoteUse& operator=(const NoteUse&) = delete;

  bool Ready() const { return table_ != nullptr && HandleReady(*table_); }
  NoteTable& Handle() { return *table_; }

 private:
  NoteTable own_;
  NoteTable* table_ = nullptr;
};

struct Part {
  uint8_t bytes[nt::kRecordSize] = {};
};

int FailNotFound() {
  SetAppError(kAppNotFound, kTableName);
  return 0;
}

int FailCorrupt() {
  SetAppError(kAppIndexCorrupt, kIndexName);
  return 0;
}

// Searches (number, part) exactly; *recordNumber is -1 when it is absent.
int FindPart(NoteTable& handle, int32_t number, int part, int32_t* recordNumber) {
  *recordNumber = -1;
  uint8_t key[kEntryBufferSize] = {};
  SetFieldI32(key, nt::x1::kNumber, number);
  SetFieldByte(key, nt::x1::kPart, uint8_t(part));
  int exact = 0;
  if (!DbFind(handle.table, key, &exact)) return 0;
  if (exact) *recordNumber = DbCurrentRecord(handle.table);
  return 1;
}

// The record of the note's first part; not found when the note has none.
int FindNote(NoteTable& handle, int32_t number, int32_t* recordNumber) {
  if (!FindPart(handle, number, 0, recordNumber)) return 0;
  return *recordNumber < 0 ? FailNotFound() : 1;
}

// Reads a part and checks that it is the one its entry names.
int ReadPart(NoteTable& handle, int32_t recordNumber, int32_t number, int part, Part* record) {
  if (!DbReadRecord(handle.table, recordNumber, record->bytes)) return 0;
  if (FieldI32(record->bytes, nt::kNumber) != number || FieldByte(record->bytes, nt::kPart) != part)
    return FailCorrupt();
  return 1;
}

// A part holding the text's bytes from offset on (zero-padded).
Part MakePart(int32_t number, int part, std::string_view text, size_t offset) {
  Part record;
  SetFieldByte(record.bytes, nt::kPart, uint8_t(part));
  SetFieldI32(record.bytes, nt::kNumber, number);
  if (offset < text.size()) {
    size_t n = std::min(text.size() - offset, size_t(nt::kText.width));
    std::memcpy(record.bytes + nt::kText.offset, text.data() + offset, n);
  }
  return record;
}

int DeletePart(NoteTable& handle, const Part& record, int32_t recordNumber) {
  if (DbDeleteRecord(handle.table, record.bytes, recordNumber)) return 1;
  if (DbGetError() == kDbRecordLocked) return FailRecordLocked(kTableName);
  return 0;
}

int DeleteNote(NoteTable& handle, int32_t number) {
  struct Found {
    int32_t recordNumber;
    Part record;
  };
  // Every part slot is looked at, so a part left behind a gap goes too.
  std::vector<Found> parts;
  for (int part = 0; part < nt::kMaxParts; ++part) {
    int32_t recordNumber = -1;
    if (!FindPart(handle, number, part, &recordNumber)) return 0;
    if (recordNumber < 0) continue;
    Found found{recordNumber, {}};
    if (!ReadPart(handle, recordNumber, number, part, &found.record)) return 0;
    parts.push_back(found);
  }
  // A part another workstation holds refuses the delete before any part
  // goes: a delete that fails leaves the note whole, to read or delete
  // again. The handle holds one record lock at a time, so each is tried.
  for (const Found& found : parts) {
    DbClearError();
    if (!DbLockRecord(handle.table, found.recordNumber)) {
      // A table that refuses changes (a read-only share) has said why.
      if (DbGetError() != kDbOk) return 0;
      DbSetLockedError();
      return FailRecordLocked(kTableName);
    }
    DbUnlockRecord(handle.table, found.recordNumber);
  }
  // The last part first: should a part be taken between the try and its
  // delete, the note keeps its beginning.
  for (auto found = parts.rbegin(); found != parts.rend(); ++found)
    if (!DeletePart(handle, found->record, found->recordNumber)) return 0;
  return 1;
}

// A new note number; 0 means "no note", so a counter that wrapped passes it.
int TakeNumber(NoteTable& handle, int32_t* number) {
  uint32_t taken = 0;
  do {
    if (!GetUniqueNumber(handle.table, &taken)) return 0;
  } while (taken == 0);
  *number = int32_t(taken);
  return 1;
}

}  // namespace

int NoteOpen(NoteTable& handle) {
  return HandleOpen(handle);
}

int NoteClose(NoteTable& handle) {
  return HandleClose(handle);
}

int NoteNew(int32_t* number) {
  NoteUse use;
  if (!use.Ready()) return 0;
  int32_t taken = 0;
  if (!TakeNumber(use.Handle(), &taken)) return 0;
  Part empty = MakePart(taken, 0, {}, 0);
  if (!DbAppendRecord(use.Handle().table, empty.bytes)) return 0;
  *number = taken;
  return 1;
}

int NoteReadBytes(int32_t number, std::string* bytes, int size) {
  bytes->clear();
  if (!DP_CHECK(size >= 0 && size <= kMaxNoteText)) return 0;
  if (number == 0) return FailNotFound();
  NoteUse use;
  if (!use.Ready()) return 0;
  NoteTable& handle = use.Handle();
  int32_t recordNumber = -1;
  if (!FindNote(handle, number, &recordNumber)) return 0;
  std::string read;
  for (int part = 0; part < nt::kMaxParts && int(read.size()) < size; ++part) {
    uint8_t entry[kEntryBufferSize] = {};
    DbCurrentEntry(handle.table, entry);
    // The walk ends at the next note, at the end, or at a missing part.
    if (AtEnd(handle.table) || FieldI32(entry, nt::x1::kNumber) != number ||
        FieldByte(entry, nt::x1::kPart) != part)
      break;
    Part record;
    if (!ReadPart(handle, FieldI32(entry, kEntryRecordNumber), number, part, &record)) return 0;
    size_t n = std::min(size_t(size) - read.size(), size_t(nt::kText.width));
    read.append(reinterpret_cast<const char*>(record.bytes + nt::kText.offset), n);
    if (!DbNext(handle.table)) return 0;
  }
  *bytes = std::move(read);
  return 1;
}

int NoteRead(int32_t number, std::string* text, int size) {
  if (!NoteReadBytes(number, text, size)) return 0;
  text->resize(std::min(text->size(), text->find('\0')));
  return 1;
}

int NoteWrite(int32_t number, std::string_view text) {
  if (number == 0) return FailNotFound();
  if (text.size() > size_t(kMaxNoteText)) {
    SetAppError(kAppMaxRecords, kTableName);
    return 0;
  }
  NoteUse use;
  if (!use.Ready()) return 0;
  NoteTable& handle = use.Handle();
  int32_t first = -1;
  if (!FindNote(handle, number, &first)) return 0;
  for (int part = 0; part < nt::kMaxParts; ++part) {
    size_t offset = size_t(part) * nt::kText.width;
    bool needed = part == 0 || offset < text.size();
    int32_t recordNumber = -1;
    if (!FindPart(handle, number, part, &recordNumber)) return 0;
    if (recordNumber >= 0) {
      // Check the slot before changing it: an entry pointing at another
      // note's part must not get that part overwritten or deleted.
      Part stored;
      if (!ReadPart(handle, recordNumber, number, part, &stored)) return 0;
      if (needed) {
        Part record = MakePart(number, part, text, offset);
        if (!DbWriteRecord(handle.table, recordNumber, record.bytes)) return 0;
      } else if (!DeletePart(handle, stored, recordNumber)) {
        return 0;
      }
    } else if (needed) {
      Part record = MakePart(number, part, text, offset);
      if (!DbAppendRecord(handle.table, record.bytes)) return 0;
    }
  }
  return 1;
}

int NoteDelete(NoteTable& handle, int32_t number) {
  if (!HandleReady(handle)) return 0;
  if (number == 0) return 1;
  return DeleteNote(handle, number);
}

int NoteDuplicate(int32_t number, int32_t* newNumber) {
  if (number == 0) return FailNotFound();
  NoteUse use;
  if (!use.Ready()) return 0;
  NoteTable& handle = use.Handle();
  int32_t recordNumber = -1;
  if (!FindNote(handle, number, &recordNumber)) return 0;
  int32_t copy = 0;
  if (!TakeNumber(handle, &copy)) return 0;
  for (int part = 0; part < nt::kMaxParts && recordNumber >= 0; ++part) {
    Part record;
    bool ok = ReadPart(handle, recordNumber, number, part, &record);
    if (ok) {
      SetFieldI32(record.bytes, nt::kNumber, copy);
      ok = DbAppendRecord(handle.table, record.bytes) &&
           (part + 1 == nt::kMaxParts || FindPart(handle, number, part + 1, &recordNumber));
    }
    if (!ok) {
      // No half copy is left behind; the error of the failure is kept.
      const AppError kept = CurrentAppError();
      DeleteNote(handle, copy);
      RestoreAppError(kept);
      return 0;
    }
  }
  *newNumber = copy;
  return 1;
}

int NoteBegin() {
  SharedNote& shared = Shared();
  if (shared.depth == 0 && !NoteOpen(shared.handle)) return 0;
  ++shared.depth;
  return 1;
}

int NoteEnd() {
  SharedNote& shared = Shared();
  if (!DP_CHECK(shared.depth > 0)) return 0;
  if (--shared.depth > 0) return 1;
  return NoteClose(shared.handle);
}

bool NoteBegun() {
  return Shared().depth > 0;
}
