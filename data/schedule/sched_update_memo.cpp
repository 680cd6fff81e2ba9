#include "data/schedule/sched_update_memo.h"

#include <algorithm>

#include "data/messages/dpmess.h"
#include "data/messages/message_user.h"
#include "data/office/dpname.h"
#include "data/schedule/sched_time_text.h"
#include "storage/errors.h"
#include "storage/records/message.h"

namespace msg = records::message;

namespace {

constexpr const char* kAllName = "* - ALL";

int Full() {
  return AppErrorCode() == kAppMaxRecords;
}

// One copy for one recipient: the whole group or the entry alone. 1 when
// made; 0 with *full for a full day, 0 for anything else.
int CopyFor(SchedTable& handle, const SchedRecord& entry, int32_t from, int32_t to, bool withGroup,
            bool* full) {
  *full = false;
  ClearAppError();
  int ok = withGroup ? SchedCopyGroup(handle, from, to, entry.RepeatGroup())
                     : SchedAddCopyFor(handle, entry, to);
  if (!ok) *full = Full();
  return ok;
}

}  // namespace

std::string UpdateMemoText(const SchedRecord& entry, bool repeating) {
  std::string text = "Automatic notification of schedule update:\r\r";
  text += "Date: " + DateText(entry.Start(), true) + "\r";
  if (entry.End() != 0)
    text += "Time: " + TimeFieldText(entry.Start()) + " - " + TimeFieldText(entry.End()) + "\r";
  else
    text += "Time: " + TimeFieldText(entry.Start()) + "\r";
  if (entry.Alarm() != 0) text += "Alarm set for: " + TimeFieldText(entry.Alarm(), true) + "\r";
  text += entry.Description();
  std::string note = entry.Note();
  if (!note.empty()) text += "\r\r" + note;
  if (entry.RepeatGroup() != 0 || repeating) text += "\r\r*This item also has repeating items.";
  return text;
}

int SendUpdateMemo(const SchedRecord& entry, bool repeating, std::string_view toName,
                   int32_t toNumber) {
  if (toNumber == kCommonScheduleOwner) return 1;
  MessageRecord memo;
  SetFieldByte(memo.bytes, msg::kKind, msg::kKindMemo);
  SetFieldText(memo.bytes, msg::kTo, std::string(toName).c_str());
  SetFieldText(memo.bytes, msg::kFrom, CurrentMessageUser().name.c_str());
  SetFieldText(memo.bytes, msg::kMemoText, UpdateMemoText(entry, repeating).c_str());
  return MsgSendOne(nullptr, memo, toNumber, true, msg::kFolderNew);
}

int SchedCopyToRecipients(SchedTable& handle, const SchedCopyRequest& request,
                          const std::function<void(const std::string&)>& inform) {
  if (request.recipient.empty()) {
    inform("Please select recipient(s)");
    return 1;
  }
  SchedRecord entry;
  if (!SchedRead(handle, request.recordNumber, &entry)) return 0;
  const bool withGroup = request.copyRepeats && entry.RepeatGroup() != 0;
  // Without its repeating items the copy stands alone.
  if (!withGroup) entry.SetRepeatGroup(0);
  const int32_t owner = request.owner;

  if (request.recipient == kTaggedRecipient) {
    NameTable names;
    if (!NameOpen(names)) return 0;
    NameEntry name;
    int ok = 1;
    ClearAppError();
    for (int more = NameFirst(names, &name); more; more = NameNext(names, &name)) {
      const std::string n = name.Name();
      const bool all = n == kAllName;
      if (std::find(request.tagged.begin(), request.tagged.end(), name.Number()) ==
          request.tagged.end())
        continue;
      if ((!n.empty() && n[0] == '*' && !all) || name.Number() == owner) continue;
      bool full = false;
      if (!CopyFor(handle, entry, owner, name.Number(), withGroup, &full)) {
        if (!full) {
          ok = 0;
          break;
        }
        inform("Maximum of 40 schedule items reached for " + n);
        continue;
      }
      if (request.sendMemo && !all && !SendUpdateMemo(entry, withGroup, n, name.Number())) {
        ok = 0;
        break;
      }
    }
    if (ok && AppErrorCode() != kAppEndOfFile && AppErrorCode() != 0) ok = 0;
    if (ok) ClearAppError();
    NameClose(names);
    return ok;
  }

  int32_t number = kCommonScheduleOwner;
  std::string toName = request.recipient;
  if (request.recipient != kCommonScheduleName) {
    NameRecord person;
    if (!NameLookup(request.recipient, &person)) return 0;
    number = person.Number();
    toName = person.Name();
  }
  if (number == owner) return 1;
  bool full = false;
  if (!CopyFor(handle, entry, owner, number, withGroup, &full)) {
    if (!full) return 0;
    inform("Maximum of 40 schedule items reached.");
    return 1;
  }
  if (request.sendMemo && toName != kAllName)
    return SendUpdateMemo(entry, withGroup, toName, number);
  return 1;
}
