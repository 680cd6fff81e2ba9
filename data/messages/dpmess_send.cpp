// dpmess: sending a message to one person or to a group.
#include <algorithm>

#include "data/messages/dpcc.h"
#include "data/messages/dpmess.h"
#include "data/messages/dpmess_internal.h"
#include "data/messages/dpnote.h"
#include "data/messages/message_user.h"
#include "data/office/dpname.h"
#include "storage/errors.h"

namespace msg = records::message;
namespace nm = records::name;
using namespace dpmess;

namespace {

bool IsGroupName(std::string_view name) {
  return !name.empty() && name[0] == nm::kGroupPrefix;
}

int FailInvalidName(std::string_view name) {
  SetAppError(kAppInvalidName, name);
  return 0;
}

// Stores a copy whose long-text note the copy is to own, and its send-log
// copy. *stored tells whether the copy itself went in.
int SendOwned(MessageTable& handle, MessageRecord& record, int32_t recipientNumber, bool keepLog,
              int32_t folder, bool* stored, int32_t* recordNumber = nullptr) {
  SetFieldI32(record.bytes, msg::kFolder, folder);
  *stored = MsgStore(handle, record, recipientNumber, recordNumber) != 0;
  if (!*stored) return 0;
  return keepLog ? SendLogAdd(record) : 1;
}

// The tables a group send holds open while it walks the names.
class GroupTables {
 public:
  ~GroupTables() {
    KeepAppError keep;
    if (log.open) SendLogClose(log);
    if (names.open) NameClose(names);
    if (noteBegun_) NoteEnd();
  }
  int Open(bool keepLog) {
    // Every copy's note is duplicated through one shared handle.
    if (!NoteBegin()) return 0;
    noteBegun_ = true;
    if (!NameOpen(names)) return 0;
    return keepLog ? SendLogOpen(log) : 1;
  }
  NameTable names;
  SendLogTable log;

 private:
  bool noteBegun_ = false;
};

// The walk of a group send. The record's long-text note goes to the first
// stored copy; every later copy gets a duplicate of it. *noteTaken tells
// whether a copy took the record's own note.
int GroupWalk(MessageTable& handle, MessageRecord& record, const std::vector<int32_t>& numbers,
              bool withCC, GroupSendResult* result, bool* noteTaken) {
  *noteTaken = false;
  GroupSendResult local;
  GroupSendResult& done = result ? *result : local;
  done = GroupSendResult();
  if (!HandleReady(handle) || !UserReady()) return 0;
  const std::string groupTo = record.To();
  if (!IsGroupName(groupTo)) return FailInvalidName(groupTo);
  const bool everybody = SameName(groupTo, nm::kEverybody);
  const bool keepLog = CurrentMessageUser().sendLog;
  const int32_t note = record.LongTextNote();

  GroupTables tables;
  if (!tables.Open(keepLog)) return 0;
  FirstFailure failure;

  CCList cc;
  if (withCC) {
    cc.names = &tables.names;
    cc.to = groupTo;
    cc.numbers = numbers;
    // A message to everybody keeps the single CC name "* - ALL" whatever
    // the tag set holds.
    if (cc.numbers.empty()) cc.numbers.push_back(0);
    if (CCStart(cc)) {
      SetFieldByte(record.bytes, msg::kFlags, uint8_t(record.Flags() | msg::kFlagCcList));
      done.ccTruncated = cc.truncated;
    }
    // Without a list (one recipient, or it could not be made) the copies
    // go out without CC.
  }
  const AppError ccError = CurrentAppError();

  Table& names = tables.names.table;
  int walked = DbFirst(names);
  while (walked && !AtEnd(names)) {
    NameEntry entry;
    DbCurrentEntry(names, entry.bytes);
    const std::string name = entry.Name();
    const int32_t number = entry.Number();
    const bool chosen =
        everybody || std::find(numbers.begin(), numbers.end(), number) != numbers.end();
    if (chosen && !IsGroupName(name) && !name.empty()) {
      SetFieldText(record.bytes, msg::kTo, name.c_str());
      int32_t own = note;
      bool copyOk = true;
      if (note != 0 && *noteTaken) {
        copyOk = NoteDuplicate(note, &own) != 0;
      }
      SetFieldI32(record.bytes, msg::kLongTextNote, own);
      bool stored = false;
      if (copyOk) {
        SetFieldI32(record.bytes, msg::kFolder, msg::kFolderNew);
        stored = MsgStore(handle, record, number) != 0;
        if (!stored && own != note) DropNote(own);
        copyOk = stored;
      }
      if (stored) {
        ++done.stored;
        if (note != 0) *noteTaken = true;
        if (cc.started && !CCWrite(cc, record.Number(), name)) copyOk = false;
        // A copy that was never stored gets no send-log copy: the log
        // would show a message nobody received.
        if (keepLog && !SendLogAppend(tables.log, record)) copyOk = false;
      }
      if (!copyOk) {
        failure.Note();
        ++done.failed;
      }
    }
    walked = DbNext(names);
  }
  if (!walked) failure.Note();
  {
    KeepAppError keep;
    CCEnd(cc);
  }
  if (failure.failed) return failure.Result();
  // A CC list cut at 100 names is left for the caller to show.
  if (done.ccTruncated) RestoreAppError(ccError);
  return 1;
}

}  // namespace

int MsgSendOne(MessageTable* handle, MessageRecord& record, int32_t recipientNumber, bool keepLog,
               int32_t folder, int32_t* recordNumber) {
  MessageTable own;
  MessageTable* table = handle;
  if (!table) {
    if (!MsgOpen(own)) return 0;
    table = &own;
  }
  bool stored = false;
  int ok = SendOwned(*table, record, recipientNumber, keepLog, folder, &stored, recordNumber);
  if (own.open) {
    KeepAppError keep;
    MsgClose(own);
  }
  return ok;
}

int MsgSendToName(MessageTable& handle, MessageRecord& record, std::string_view name,
                  int32_t recipientNumber) {
  if (!HandleReady(handle) || !UserReady()) return 0;
  if (name.empty() || IsGroupName(name) || !FitsField(name, msg::kTo.width))
    return FailInvalidName(name);
  SetFieldText(record.bytes, msg::kTo, std::string(name).c_str());
  const int32_t callers = record.LongTextNote();
  int32_t own = 0;
  if (callers != 0) {
    if (!NoteDuplicate(callers, &own)) return 0;
    SetFieldI32(record.bytes, msg::kLongTextNote, own);
  }
  bool stored = false;
  int ok = SendOwned(handle, record, recipientNumber, CurrentMessageUser().sendLog, msg::kFolderNew,
                     &stored);
  if (!stored && own != 0) {
    DropNote(own);
    SetFieldI32(record.bytes, msg::kLongTextNote, callers);
  }
  return ok;
}

int MsgGroupSend(MessageTable& handle, MessageRecord& record, const std::vector<int32_t>& numbers,
                 bool withCC, GroupSendResult* result) {
  bool noteTaken = false;
  return GroupWalk(handle, record, numbers, withCC, result, &noteTaken);
}

int MsgSendToGroup(MessageTable& handle, MessageRecord& record, const std::vector<int32_t>& numbers,
                   bool withCC, GroupSendResult* result) {
  if (result) *result = GroupSendResult();
  if (!HandleReady(handle) || !UserReady()) return 0;
  const std::string to = record.To();
  if (!IsGroupName(to)) return FailInvalidName(to);
  const int32_t callers = record.LongTextNote();
  int32_t own = 0;
  if (callers != 0) {
    if (!NoteDuplicate(callers, &own)) return 0;
    SetFieldI32(record.bytes, msg::kLongTextNote, own);
  }
  bool noteTaken = false;
  int ok = GroupWalk(handle, record, numbers, withCC, result, &noteTaken);
  if (own != 0 && !noteTaken) {
    // Nobody received the duplicate: it goes, and the caller's number
    // comes back into the record.
    DropNote(own);
    SetFieldI32(record.bytes, msg::kLongTextNote, callers);
  }
  return ok;
}
