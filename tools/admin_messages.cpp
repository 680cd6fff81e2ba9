// dpadmin messages and flags: what a person would find in their message
// list, and what their flag file tells their workstation.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "data/messages/dpfolder.h"
#include "data/messages/dpmess.h"
#include "data/messages/message_user.h"
#include "data/office/datadir.h"
#include "data/office/flags.h"
#include "storage/errors.h"
#include "storage/worktable.h"
#include "tools/admin.h"
#include "tools/admin_office.h"

namespace {

namespace msg = records::message;

}  // namespace

bool FolderNumber(const std::string& given, int32_t owner, int32_t* folder) {
  if (given == "new") {
    *folder = msg::kFolderNew;
    return true;
  }
  if (given == "archive") {
    *folder = msg::kFolderArchive;
    return true;
  }
  char* end = nullptr;
  const long number = std::strtol(given.c_str(), &end, 10);
  if (!given.empty() && *end == '\0' && number > 0 && number <= INT32_MAX) {
    FolderTable folders;
    const bool found = FolderOpen(folders) && FolderOfPerson(folders, owner, int32_t(number));
    if (!found) ComplainAppError("no folder " + given + " of this person");
    if (folders.open) FolderClose(folders);
    if (found) *folder = int32_t(number);
    return found;
  }
  std::string name;
  if (!FileText(given, "--folder", &name)) return false;
  FolderTable folders;
  FolderEntry entry;
  const bool found = FolderOpen(folders) && FolderFind(folders, owner, name, &entry);
  if (!found) ComplainAppError("no folder " + given + " of this person");
  if (folders.open) FolderClose(folders);
  if (found) *folder = entry.Number();
  return found;
}

namespace {

// One line per message: number, time, kind, marks, who from, and its text.
void PrintMessage(const MessageRecord& r) {
  std::string marks;
  if (r.Flags() & msg::kFlagNotViewed) marks += " new";
  if (r.Flags() & msg::kFlagUrgent) marks += " urgent";
  if (r.Flags() & msg::kFlagCcList) marks += " cc";
  if (r.LongTextNote() != 0) marks += " long";
  std::string what;
  switch (r.Kind()) {
    case msg::kKindPhone: {
      const std::string company = FieldText(r.bytes, msg::kCompany);
      const std::string phone = FieldText(r.bytes, msg::kPhone);
      what = "phone from " + r.From();
      if (!company.empty()) what += " (" + company + ")";
      if (!phone.empty()) what += " " + phone;
      what += ": " + FieldText(r.bytes, msg::kPhoneText);
      break;
    }
    case msg::kKindMemo:
      what = "memo from " + r.From() + ": " + FieldText(r.bytes, msg::kMemoText);
      break;
    case msg::kKindEmail:
      what = "e-mail from " + FieldText(r.bytes, msg::kSenderAddress) + ": " +
             FieldText(r.bytes, msg::kSubject);
      break;
    default:
      what = "unknown kind";
  }
  for (char& c : what)
    if (c == '\r' || c == '\n') c = ' ';
  std::printf("%8d  %-17s%s  %s\n", r.Number(), ShownTime(r.Time()).c_str(), marks.c_str(),
              Shown(what).c_str());
}

}  // namespace

int RunMessages(const std::vector<std::string>& args) {
  ParsedOptions o;
  if (!ParseOptions(args, {"--folder"}, {"--newest-first"}, &o)) return kExitError;
  if (o.positional.size() != 2) {
    Complain("messages takes the data directory and a person's name");
    return kExitError;
  }
  OfficeSession office;
  if (!office.Open(o.positional[0])) return kExitError;
  if (!office.ActAs(o.positional[1])) return kExitProblems;
  MessageCriteria criteria;
  criteria.person = CurrentMessageUser().name;
  criteria.newestFirst = o.Has("--newest-first");
  if (!FolderNumber(o.Value("--folder", "new"), CurrentMessageUser().number, &criteria.folder))
    return kExitProblems;

  PrivateWorkTable work;
  if (!work.Open()) return kExitError;
  MessageTable messages;
  if (!MsgOpen(messages)) {
    ComplainAppError("cannot open the message table");
    return kExitError;
  }
  int status = kExitOk;
  if (!MsgQuery(messages, criteria, work.table)) {
    ComplainAppError("cannot list the messages");
    status = kExitError;
  }
  for (int32_t row = 0; status == kExitOk && row < work.table.scratch; ++row) {
    uint8_t bytes[msg::list_row::kLength];
    MessageEntry entry;
    MessageRecord record;
    if (!DbReadCached(work.table, row, bytes)) {
      ComplainAppError("cannot read the list");
      status = kExitError;
      break;
    }
    std::copy(bytes, bytes + msg::x1::kLength, entry.bytes);
    // A message deleted since the list was made is passed over.
    if (MsgRead(messages, entry.RecordNumber(), &record) && record.Number() == entry.Number())
      PrintMessage(record);
  }
  MsgClose(messages);
  return status;
}

int RunFlags(const std::vector<std::string>& args) {
  if (args.size() != 2) {
    Complain("flags takes the data directory and a person's name");
    return kExitError;
  }
  OfficeSession office;
  if (!office.Open(args[0])) return kExitError;
  if (!office.ActAs(args[1])) return kExitProblems;
  const std::string path = FlagFilePath(DataDirectory(), CurrentMessageUser().number);
  const int value = GetFlagValue(path);
  std::string meaning;
  if (value & kFlagNewMessage) meaning += ", new message";
  if (value & kFlagUrgentMessage) meaning += ", urgent message";
  if (value & kFlagScheduleChanged) meaning += ", schedule changed";
  std::printf("%d%s\n", value,
              value == 0 ? " (nothing waiting)" : (" (" + meaning.substr(2) + ")").c_str());
  return kExitOk;
}
