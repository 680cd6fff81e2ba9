#include "shell/view_urgent.h"

#include "data/office/flags.h"
#include "storage/errors.h"

namespace msg = records::message;

int TakeUrgentMessage(MessageTable& handle, std::string_view userName, int32_t userNumber,
                      UrgentMessages* result) {
  *result = UrgentMessages();
  SetFlag(kFlagUrgentMessage, false, userNumber);
  MessageEntry entry;
  if (!MsgFindFirst(handle, msg::kFolderNew, userName, &entry)) {
    if (AppErrorCode() != kAppNotFound) return 0;
    ClearAppError();
    return 1;
  }
  // The in-box entries of one person lie together in X1, by time: walk
  // them until the second urgent one.
  Table& table = handle.table;
  for (;;) {
    if (entry.Flags() & msg::kFlagUrgent) {
      if (result->found) {
        result->more = true;
        break;
      }
      result->found = true;
      result->entry = entry;
    }
    if (!DbNext(table)) return 0;
    if (AtEnd(table)) break;
    DbCurrentEntry(table, entry.bytes);
    if (entry.Folder() != msg::kFolderNew || !SameName(entry.To(), userName)) break;
  }
  if (result->more) SetFlag(kFlagUrgentMessage, true, userNumber);
  return 1;
}

int ChooseView(PollAlert& alerts, MessageTable& handle, std::string_view userName,
               int32_t userNumber, ViewChoice* choice) {
  *choice = ViewChoice();
  if (alerts.Level() < 2) return 1;
  UrgentMessages urgent;
  const int ok = TakeUrgentMessage(handle, userName, userNumber, &urgent);
  alerts.PollAtOnce();
  if (!ok) return 0;
  if (urgent.found) {
    choice->action = ViewAction::kOpenMessage;
    choice->entry = urgent.entry;
  }
  return 1;
}
