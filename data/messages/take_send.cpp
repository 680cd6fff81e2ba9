#include "data/messages/take_send.h"

#include <algorithm>

#include "data/messages/dpmess_internal.h"
#include "data/messages/dpnote.h"
#include "data/messages/message_user.h"
#include "storage/errors.h"

namespace msg = records::message;

namespace {

constexpr char kAll[] = "* - ALL";

bool IsBlank(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

// The long text goes into the record's own note before anything is sent,
// so every copy can be given a duplicate of it.
int StoreLongText(MessageRecord& record, const std::string& longText) {
  int32_t note = record.LongTextNote();
  if (longText.empty()) {
    if (note == 0) return 1;
    NoteTable notes;
    if (!NoteOpen(notes)) return 0;
    int ok = NoteDelete(notes, note);
    NoteClose(notes);
    if (ok) SetFieldI32(record.bytes, msg::kLongTextNote, 0);
    return ok;
  }
  if (note == 0) {
    if (!NoteNew(&note)) return 0;
    SetFieldI32(record.bytes, msg::kLongTextNote, note);
  }
  return NoteWrite(note, longText);
}

}  // namespace

std::string TakeGatherText(MessageRecord& record, std::string_view text) {
  const bool phone = record.Kind() == msg::kKindPhone;
  const Field field = phone ? msg::kPhoneText : msg::kMemoText;
  const size_t keep = phone ? kPhoneTextInRecord : kMemoTextInRecord;
  SetFieldText(record.bytes, field, std::string(text.substr(0, keep)).c_str());
  return text.size() > keep ? std::string(text) : std::string();
}

void TakeGatherFrom(MessageRecord& record) {
  if (record.Kind() != msg::kKindPhone || !IsBlank(record.From())) return;
  const std::string company = FieldText(record.bytes, msg::kCompany);
  SetFieldText(record.bytes, msg::kFrom, company.substr(0, kPhoneFromFromCompany).c_str());
}

int TakeSend(MessageRecord& record, const std::string& longText, const TakeRecipients& recipients,
             int32_t folder, const AskAttachCC& askCC, GroupSendResult* result) {
  if (result) *result = GroupSendResult();
  if (recipients.to.empty()) {
    SetAppError(kAppInvalidName, recipients.to);
    return 0;
  }
  if (!StoreLongText(record, longText)) return 0;
  SetFieldText(record.bytes, msg::kTo, recipients.to.c_str());
  SetFieldI32(record.bytes, msg::kTime, 0);
  if (recipients.to[0] != '*') {
    const int ok =
        MsgSendOne(nullptr, record, recipients.number, CurrentMessageUser().sendLog, folder);
    if (ok && result) result->stored = 1;
    return ok;
  }
  const bool ask = recipients.to == kAll || recipients.tags.size() >= 2;
  const bool withCC = ask && askCC && askCC();
  MessageTable table;
  if (!MsgOpen(table)) return 0;
  int ok = MsgGroupSend(table, record, recipients.tags, withCC, result);
  dpmess::KeepAppError keep;
  MsgClose(table);
  return ok;
}

int StoreMessageLongText(MessageRecord& record, const std::string& longText) {
  return StoreLongText(record, longText);
}
