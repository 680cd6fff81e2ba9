// dpmess: the records and entries, opening the tables, storing a copy,
// the send-log copy, and the changes a list or a view makes to a stored
// message: moving, touching, deleting, marking viewed.
#include "data/messages/dpmess.h"

#include <climits>
#include <cstring>
#include <span>

#include "data/clock.h"
#include "data/messages/dpmess_internal.h"
#include "data/messages/dpnote.h"
#include "data/messages/email_file.h"
#include "data/messages/message_user.h"
#include "data/office/flags.h"
#include "storage/check.h"
#include "storage/errors.h"
#include "storage/records/keys.h"

namespace msg = records::message;
namespace slog = records::sendlog;

// ---- Records and entries ----

uint8_t MessageRecord::Kind() const {
  return FieldByte(bytes, msg::kKind);
}
int32_t MessageRecord::Folder() const {
  return FieldI32(bytes, msg::kFolder);
}
int32_t MessageRecord::Number() const {
  return FieldI32(bytes, msg::kNumber);
}
uint8_t MessageRecord::Flags() const {
  return FieldByte(bytes, msg::kFlags);
}
std::string MessageRecord::To() const {
  return FieldText(bytes, msg::kTo);
}
std::string MessageRecord::From() const {
  return FieldText(bytes, msg::kFrom);
}
int32_t MessageRecord::Time() const {
  return FieldI32(bytes, msg::kTime);
}
int32_t MessageRecord::Sender() const {
  return FieldI32(bytes, msg::kSender);
}
int32_t MessageRecord::ViewedTime() const {
  return FieldI32(bytes, msg::kViewedTime);
}
int32_t MessageRecord::Viewer() const {
  return FieldI32(bytes, msg::kViewer);
}
int32_t MessageRecord::LongTextNote() const {
  return FieldI32(bytes, msg::kLongTextNote);
}
uint16_t MessageRecord::ChangeCount() const {
  return FieldU16(bytes, msg::kChangeCount);
}

int32_t MessageEntry::RecordNumber() const {
  return FieldI32(bytes, kEntryRecordNumber);
}
int32_t MessageEntry::Folder() const {
  return FieldI32(bytes, msg::x1::kFolder);
}
uint8_t MessageEntry::Kind() const {
  return FieldByte(bytes, msg::x1::kKind);
}
uint8_t MessageEntry::Flags() const {
  return FieldByte(bytes, msg::x1::kFlags);
}
std::string MessageEntry::To() const {
  return FieldText(bytes, msg::x1::kTo);
}
std::string MessageEntry::From() const {
  return FieldText(bytes, msg::x1::kFrom);
}
int32_t MessageEntry::Time() const {
  return FieldI32(bytes, msg::x1::kTime);
}
int32_t MessageEntry::Number() const {
  return FieldI32(bytes, msg::x1::kNumber);
}
uint16_t MessageEntry::ChangeCount() const {
  return FieldU16(bytes, msg::x1::kChangeCount);
}

int32_t SendLogEntry::RecordNumber() const {
  return FieldI32(bytes, kEntryRecordNumber);
}
int32_t SendLogEntry::Folder() const {
  return FieldI32(bytes, slog::x1::kFolder);
}
int32_t SendLogEntry::Sender() const {
  return FieldI32(bytes, slog::x1::kSender);
}
int32_t SendLogEntry::Time() const {
  return FieldI32(bytes, slog::x1::kTime);
}
int32_t SendLogEntry::Number() const {
  return FieldI32(bytes, slog::x1::kNumber);
}
std::string SendLogEntry::To() const {
  return FieldText(bytes, slog::x1::kTo);
}
int32_t SendLogEntry::ViewedTime() const {
  return FieldI32(bytes, slog::x1::kViewedTime);
}
uint8_t SendLogEntry::Kind() const {
  return FieldByte(bytes, slog::x1::kKind);
}
uint8_t SendLogEntry::Flags() const {
  return FieldByte(bytes, slog::x1::kFlags);
}

MessageEntry MessageEntryOf(const MessageRecord& record, int32_t recordNumber) {
  uint8_t entry[kEntryBufferSize] = {};
  BuildMessageX1(record.bytes, entry, recordNumber);
  SetFieldI32(entry, kEntryRecordNumber, recordNumber);
  MessageEntry out;
  std::memcpy(out.bytes, entry, sizeof out.bytes);
  return out;
}

SendLogEntry SendLogEntryOf(const MessageRecord& record, int32_t recordNumber) {
  uint8_t entry[kEntryBufferSize] = {};
  BuildSendLogX1(record.bytes, entry, recordNumber);
  SetFieldI32(entry, kEntryRecordNumber, recordNumber);
  SendLogEntry out;
  std::memcpy(out.bytes, entry, sizeof out.bytes);
  return out;
}

// ---- Shared helpers ----

namespace dpmess {

void FirstFailure::Note() {
  if (failed) return;
  failed = true;
  error = CurrentAppError();
  engineCode = DbGetError();
}

int FirstFailure::Result() const {
  if (!failed) return 1;
  RestoreAppError(error);
  return 0;
}

KeepAppError::KeepAppError() : kept_(CurrentAppError()) {}
KeepAppError::~KeepAppError() {
  RestoreAppError(kept_);
}

RecordLock::RecordLock(Table& table, int32_t recordNumber)
    : table_(table), recordNumber_(recordNumber) {
  held_ = DbLockRecord(table, recordNumber) != 0;
  // Refused by another workstation: engine code 9 and nothing else, so
  // the caller can tell "in use" from a failure it has to show.
  if (!held_) DbSetLockedError();
}
RecordLock::~RecordLock() {
  if (held_) DbUnlockRecord(table_, recordNumber_);
}

int ReadStored(Table& table, int32_t recordNumber, int32_t messageNumber, bool allowGone,
               MessageRecord* record, bool* gone) {
  *gone = false;
  if (recordNumber < 0) return FailStaleEntry(table);
  const AppError kept = CurrentAppError();
  if (!DbReadRecord(table, recordNumber, record->bytes)) {
    if (!allowGone || DbGetError() != kDbRecordDeleted) return 0;
    // Deleted meanwhile: done, and nothing to report.
    DbClearError();
    RestoreAppError(kept);
    *gone = true;
    return 1;
  }
  if (record->Number() != messageNumber) return FailStaleEntry(table);
  return 1;
}

int Rekey(Table& table, const MessageRecord& stored, int32_t recordNumber,
          const MessageRecord& changed) {
  if (!DbSetCurrentIndex(table, 0)) return 0;
  uint8_t old[kEntryBufferSize];
  DbMakeEntry(table, 0, stored.bytes, recordNumber, old);
  return DbRekeyRecord(table, old, changed.bytes);
}

void DropNote(int32_t number) {
  if (number == 0) return;
  // A clean-up after a failure: the failure is what the caller shows.
  KeepAppError keep;
  NoteTable notes;
  if (!NoteOpen(notes)) return;
  NoteDelete(notes, number);
  NoteClose(notes);
}

int SendLogAppend(SendLogTable& handle, const MessageRecord& record) {
  if (!HandleReady(handle)) return 0;
  MessageRecord copy = record;
  int32_t note = record.LongTextNote();
  int32_t own = 0;
  if (note != 0) {
    if (!NoteDuplicate(note, &own)) return 0;
    SetFieldI32(copy.bytes, msg::kLongTextNote, own);
  }
  if (DbAppendRecord(handle.table, copy.bytes)) return 1;
  DropNote(own);
  return 0;
}

bool UserReady() {
  const MessageUser& user = CurrentMessageUser();
  return DP_CHECK(user.number != 0 && !user.name.empty());
}

}  // namespace dpmess

using namespace dpmess;

namespace {

constexpr const char* kMessageName = "MESSAGE";

bool ValidKind(uint8_t kind) {
  return kind == msg::kKindPhone || kind == msg::kKindMemo || kind == msg::kKindEmail;
}

// A message number; 0 would read as "none" in the CC table, so a counter
// that wrapped passes it.
int TakeNumber(Table& table, int32_t* number) {
  uint32_t taken = 0;
  do {
    if (!GetUniqueNumber(table, &taken)) return 0;
  } while (taken == 0);
  *number = int32_t(taken);
  return 1;
}

int MoveToFolder(Table& table, int32_t recordNumber, int32_t messageNumber, int32_t folder) {
  RecordLock lock(table, recordNumber);
  if (!lock.Held()) return 0;
  MessageRecord stored;
  bool gone = false;
  if (!ReadStored(table, recordNumber, messageNumber, true, &stored, &gone)) return 0;
  if (gone) return 1;
  MessageRecord moved = stored;
  SetFieldI32(moved.bytes, msg::kFolder, folder);
  SetFieldByte(moved.bytes, msg::kFlags, uint8_t(stored.Flags() & ~msg::kFlagNotViewed));
  return Rekey(table, stored, recordNumber, moved);
}

int Delete(Table& table, int32_t recordNumber, int32_t messageNumber, bool sendLog) {
  MessageRecord stored;
  {
    RecordLock lock(table, recordNumber);
    if (!lock.Held()) return 0;
    bool gone = false;
    if (!ReadStored(table, recordNumber, messageNumber, true, &stored, &gone)) return 0;
    if (gone) return 1;
    if (!DbDeleteRecord(table, stored.bytes, recordNumber)) return 0;
  }
  // The message is gone; what hangs off it goes too, every part tried
  // even when one fails.
  FirstFailure failure;
  if (stored.Kind() == msg::kKindEmail &&
      !EmailDeleteFiles(std::span<const uint8_t, msg::kRecordSize>(stored.bytes),
                        EmailFilePath(stored.Number(), sendLog)))
    failure.Note();
  if (stored.LongTextNote() != 0) {
    NoteTable notes;
    if (!NoteOpen(notes)) {
      failure.Note();
    } else {
      if (!NoteDelete(notes, stored.LongTextNote())) failure.Note();
      NoteClose(notes);
    }
  }
  return failure.Result();
}

// Stores a change to a message (stored is the record as read under the
// lock): the change count raised, re-keyed in X1.
int Touch(Table& table, int32_t recordNumber, const MessageRecord& stored, MessageRecord& record) {
  if (!DP_CHECK(record.Number() == stored.Number() && record.Time() == stored.Time())) {
    SetAppError(kAppWriteError, kMessageName);
    return 0;
  }
  SetFieldU16(record.bytes, msg::kChangeCount, uint16_t(stored.ChangeCount() + 1));
  return Rekey(table, stored, recordNumber, record);
}

// The sender's send-log copy of a message that has just been viewed: found
// by its key (folder, sender, time, number). The copy was stored in the
// folder the message was sent into and may have been archived since, so
// each of those folders is tried. A copy that is not there (the sender
// deleted it) needs nothing.
int UpdateSendLogCopy(const MessageRecord& viewed) {
  SendLogTable log;
  if (!SendLogOpen(log)) return 0;
  Table& table = log.table;
  int ok = DbSetCurrentIndex(table, 0);
  const int32_t folders[] = {viewed.Folder(), msg::kFolderNew, msg::kFolderArchive};
  for (size_t i = 0; ok && i < sizeof folders / sizeof folders[0]; ++i) {
    if (i > 0 && folders[i] == folders[0]) continue;
    MessageRecord key = viewed;
    SetFieldI32(key.bytes, msg::kFolder, folders[i]);
    uint8_t probe[kEntryBufferSize];
    DbMakeEntry(table, 0, key.bytes, 0, probe);
    int exact = 0;
    if (!DbFind(table, probe, &exact)) {
      ok = 0;
      break;
    }
    if (!exact) continue;
    int32_t recordNumber = DbCurrentRecord(table);
    MessageRecord stored;
    bool gone = false;
    if (!ReadStored(table, recordNumber, viewed.Number(), true, &stored, &gone)) {
      ok = 0;
      break;
    }
    if (gone || stored.Sender() != viewed.Sender()) continue;
    MessageRecord copy = stored;
    SetFieldI32(copy.bytes, msg::kViewedTime, viewed.ViewedTime());
    SetFieldI32(copy.bytes, msg::kViewer, viewed.Viewer());
    ok = Rekey(table, stored, recordNumber, copy);
    break;
  }
  KeepAppError keep;
  SendLogClose(log);
  if (ok) return 1;
  return 0;
}

int MarkViewed(MessageTable& handle, const MessageEntry& entry, MessageRecord* record,
               bool* changed, bool clearFlags) {
  if (changed) *changed = false;
  if (!HandleReady(handle) || !UserReady()) return 0;
  const MessageUser& user = CurrentMessageUser();
  Table& table = handle.table;
  const int32_t recordNumber = entry.RecordNumber();
  MessageRecord stored;
  bool stamped = false;
  {
    RecordLock lock(table, recordNumber);
    if (!lock.Held()) return 0;
    bool gone = false;
    if (!ReadStored(table, recordNumber, entry.Number(), false, &stored, &gone)) return 0;
    MessageRecord updated = stored;
    stamped =
        stored.Sender() != 0 && stored.ViewedTime() == 0 && !SameName(stored.To(), kMailServerName);
    if (stamped) {
      SetFieldI32(updated.bytes, msg::kViewedTime, ClockNow());
      SetFieldI32(updated.bytes, msg::kViewer, user.number);
    }
    const uint8_t seen = msg::kFlagNotViewed | msg::kFlagUrgent;
    bool cleared = clearFlags && SameName(stored.To(), user.name) && (stored.Flags() & seen) != 0;
    if (cleared) SetFieldByte(updated.bytes, msg::kFlags, uint8_t(stored.Flags() & ~seen));
    if (!stamped && !cleared) {
      *record = stored;
      return 1;
    }
    if (!Touch(table, recordNumber, stored, updated)) return 0;
    *record = updated;
    if (changed) *changed = true;
  }
  // The message itself is stored first: a copy in the send log must never
  // claim a viewing that did not happen.
  if (stamped) return UpdateSendLogCopy(*record);
  return 1;
}

}  // namespace

// ---- Opening ----

int MsgOpen(MessageTable& handle) {
  return HandleOpen(handle);
}
int MsgClose(MessageTable& handle) {
  return HandleClose(handle);
}
int SendLogOpen(SendLogTable& handle) {
  return HandleOpen(handle);
}
int SendLogClose(SendLogTable& handle) {
  return HandleClose(handle);
}

// ---- Storing ----

int MsgStore(MessageTable& handle, MessageRecord& record, int32_t recipientNumber,
             int32_t* recordNumber) {
  if (!HandleReady(handle)) return 0;
  if (!DP_CHECK(ValidKind(record.Kind())) || !UserReady()) {
    SetAppError(kAppInvalidName, "MsgStore");
    return 0;
  }
  const MessageUser& user = CurrentMessageUser();
  int32_t number = 0;
  if (!TakeNumber(handle.table, &number)) return 0;
  SetFieldI32(record.bytes, msg::kNumber, number);
  SetFieldByte(record.bytes, msg::kFlags, uint8_t(record.Flags() | msg::kFlagNotViewed));
  SetFieldI32(record.bytes, msg::kViewedTime, 0);
  SetFieldI32(record.bytes, msg::kViewer, 0);
  SetFieldI32(record.bytes, msg::kSender, user.number);
  if (record.Time() == 0) SetFieldI32(record.bytes, msg::kTime, ClockNow());
  if (!DbAppendRecord(handle.table, record.bytes, recordNumber)) return 0;
  if (!SameName(record.To(), user.name)) {
    // The copy is stored; a flag that cannot be raised is found at the
    // recipient's next refresh, like a bit lost to two senders at once.
    KeepAppError keep;
    bool urgent = (record.Flags() & msg::kFlagUrgent) != 0;
    SetFlag(urgent ? kFlagUrgentMessage : kFlagNewMessage, true, recipientNumber);
  }
  return 1;
}

int SendLogAdd(const MessageRecord& record) {
  SendLogTable log;
  if (!SendLogOpen(log)) return 0;
  int ok = SendLogAppend(log, record);
  KeepAppError keep;
  SendLogClose(log);
  return ok;
}

// ---- Changing ----

int MsgMoveToFolder(MessageTable& handle, const MessageEntry& entry, int32_t folder) {
  if (!HandleReady(handle)) return 0;
  return MoveToFolder(handle.table, entry.RecordNumber(), entry.Number(), folder);
}

int SendLogMoveToFolder(SendLogTable& handle, const SendLogEntry& entry, int32_t folder) {
  if (!HandleReady(handle)) return 0;
  return MoveToFolder(handle.table, entry.RecordNumber(), entry.Number(), folder);
}

int MsgTouch(MessageTable& handle, const MessageEntry& entry, MessageRecord& record) {
  if (!HandleReady(handle)) return 0;
  Table& table = handle.table;
  RecordLock lock(table, entry.RecordNumber());
  if (!lock.Held()) return 0;
  MessageRecord stored;
  bool gone = false;
  if (!ReadStored(table, entry.RecordNumber(), entry.Number(), false, &stored, &gone)) return 0;
  return Touch(table, entry.RecordNumber(), stored, record);
}

int MsgDelete(MessageTable& handle, const MessageEntry& entry) {
  if (!HandleReady(handle)) return 0;
  return Delete(handle.table, entry.RecordNumber(), entry.Number(), false);
}

int SendLogDelete(SendLogTable& handle, const SendLogEntry& entry) {
  if (!HandleReady(handle)) return 0;
  return Delete(handle.table, entry.RecordNumber(), entry.Number(), true);
}

// ---- Reading ----

int MsgRead(MessageTable& handle, int32_t recordNumber, MessageRecord* record) {
  if (!HandleReady(handle)) return 0;
  return DbReadRecord(handle.table, recordNumber, record->bytes);
}

int MsgWrite(MessageTable& handle, int32_t recordNumber, const MessageRecord& record) {
  if (!HandleReady(handle)) return 0;
  Table& table = handle.table;
  MessageRecord stored;
  if (!DbReadRecord(table, recordNumber, stored.bytes)) return 0;
  // An in-place write leaves the indexes as they are, so it may not
  // change anything they hold.
  for (int i = 0; i < int(table.indexes.size()); ++i) {
    uint8_t before[kEntryBufferSize];
    uint8_t after[kEntryBufferSize];
    DbMakeEntry(table, i, stored.bytes, recordNumber, before);
    DbMakeEntry(table, i, record.bytes, recordNumber, after);
    if (!DP_CHECK(std::memcmp(before, after, table.indexes[size_t(i)].entryLength) == 0)) {
      SetAppError(kAppWriteError, kMessageName);
      return 0;
    }
  }
  return DbWriteRecord(table, recordNumber, record.bytes);
}

int MsgFindFirst(MessageTable& handle, int32_t folder, std::string_view name, MessageEntry* entry) {
  if (!HandleReady(handle)) return 0;
  Table& table = handle.table;
  std::string text(name);
  auto notFound = [&] {
    SetAppError(kAppNotFound, text);
    return 0;
  };
  if (!FitsField(name, msg::kTo.width)) return notFound();
  if (!DbSetCurrentIndex(table, 0)) return 0;
  uint8_t key[kEntryBufferSize] = {};
  SetFieldI32(key, msg::x1::kFolder, folder);
  SetFieldText(key, msg::x1::kTo, text.c_str());
  SetFieldI32(key, msg::x1::kTime, INT32_MIN);
  SetFieldI32(key, msg::x1::kNumber, INT32_MIN);
  int exact = 0;
  if (!DbFind(table, key, &exact)) return 0;
  if (AtEnd(table)) return notFound();
  MessageEntry found;
  DbCurrentEntry(table, found.bytes);
  if (found.Folder() != folder || !SameName(found.To(), name)) return notFound();
  if (entry) *entry = found;
  return 1;
}

int MsgFindInFolder(MessageTable& handle, int32_t folder, MessageEntry* entry) {
  if (!HandleReady(handle)) return 0;
  Table& table = handle.table;
  if (!DbSetCurrentIndex(table, 0)) return 0;
  // The smallest key of the folder: an empty name, the earliest time and
  // number.
  uint8_t key[kEntryBufferSize] = {};
  SetFieldI32(key, msg::x1::kFolder, folder);
  SetFieldI32(key, msg::x1::kTime, INT32_MIN);
  SetFieldI32(key, msg::x1::kNumber, INT32_MIN);
  int exact = 0;
  if (!DbFind(table, key, &exact)) return 0;
  MessageEntry found;
  if (AtEnd(table) || !DbCurrentEntry(table, found.bytes) || found.Folder() != folder) {
    SetAppError(kAppNotFound, std::to_string(folder));
    return 0;
  }
  if (entry) *entry = found;
  return 1;
}

// ---- Viewing ----

int MsgMarkViewed(MessageTable& handle, const MessageEntry& entry, MessageRecord* record,
                  bool* changed) {
  return MarkViewed(handle, entry, record, changed, true);
}

int MsgStampViewed(MessageTable& handle, const MessageEntry& entry, MessageRecord* record,
                   bool* changed) {
  return MarkViewed(handle, entry, record, changed, false);
}

int MsgStampSent(const MessageRecord& record, int32_t when) {
  MessageRecord sent = record;
  SetFieldI32(sent.bytes, msg::kViewedTime, when);
  SetFieldI32(sent.bytes, msg::kViewer, kMailServerNumber);
  return UpdateSendLogCopy(sent);
}
