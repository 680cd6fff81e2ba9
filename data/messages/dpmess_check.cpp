// The values a message record's fields can hold, for dpadmin check.
#include <cstring>

#include "data/messages/dpmess.h"

namespace msg = records::message;

namespace {

void CheckNote(const uint8_t* record, Field f, const char* field, std::vector<FieldProblem>* out) {
  if (const int32_t note = FieldI32(record, f); note < 0)
    out->push_back({field, std::to_string(note) + ", neither 0 (none) nor a note number"});
}

// A tick box of a phone message: empty, or "><" and its NUL.
void CheckTick(const uint8_t* record, Field f, const char* field, std::vector<FieldProblem>* out) {
  const uint8_t* at = record + f.offset;
  if (at[0] == 0 || std::memcmp(at, msg::kTicked, size_t(f.width)) == 0) return;
  std::string shown;
  for (int i = 0; i < f.width && at[i] != 0; ++i) shown += char(at[i]);
  out->push_back({field, "\"" + shown + "\", neither empty nor \"><\""});
}

}  // namespace

std::vector<FieldProblem> MessageRecordProblems(const MessageRecord& record, uint32_t lastIssued,
                                                const std::set<int32_t>* notes) {
  std::vector<FieldProblem> out;
  const uint8_t* bytes = record.bytes;
  field_check::Mark(bytes, msg::kMark, &out);
  const uint8_t kind = record.Kind();
  if (kind != msg::kKindPhone && kind != msg::kKindMemo && kind != msg::kKindEmail)
    out.push_back({"kind", std::to_string(kind) + ", not 'P', 'M' or 'E'"});
  if (const int32_t folder = record.Folder(); folder < 1)
    out.push_back(
        {"folder", std::to_string(folder) + ", neither 1 (new), 3 (archive) nor a folder number"});
  if (const int32_t number = record.Number(); !field_check::Issued(number, lastIssued))
    out.push_back({"message number", std::to_string(number) +
                                         ", not a number the message table issued (" +
                                         field_check::NumberRange(lastIssued) + ")"});
  const int allFlags = msg::kFlagCcList | msg::kFlagNotViewed | msg::kFlagUrgent;
  if (const int flags = record.Flags(); (flags & ~allFlags) != 0)
    out.push_back({"flags", std::to_string(flags) + ", not made of 1, 2 and 4"});
  field_check::Text(bytes, msg::kTo, "to", &out);
  if (bytes[msg::kTo.offset] == 0) out.push_back({"to", "empty"});
  field_check::Text(bytes, msg::kFrom, "from", &out);
  CheckNote(bytes, msg::kLogNote, "log note", &out);
  CheckNote(bytes, msg::kAttachedNote, "attached note", &out);
  CheckNote(bytes, msg::kLongTextNote, "long-text note", &out);
  if (const int32_t note = record.LongTextNote(); notes && note > 0 && !notes->count(note))
    out.push_back({"long-text note", std::to_string(note) + ", a note that does not exist"});
  if (kind == msg::kKindPhone) {
    field_check::Text(bytes, msg::kCompany, "company", &out);
    field_check::Text(bytes, msg::kPhone, "phone", &out);
    field_check::Text(bytes, msg::kExtension, "extension", &out);
    field_check::Text(bytes, msg::kPhoneText, "text", &out);
    field_check::Text(bytes, msg::kBy, "by", &out);
    CheckTick(bytes, msg::kRush, "Rush", &out);
    CheckTick(bytes, msg::kCallBack, "Call back", &out);
    CheckTick(bytes, msg::kReturnedCall, "Returned call", &out);
    CheckTick(bytes, msg::kWillCall, "Will call", &out);
  } else if (kind == msg::kKindMemo) {
    field_check::Text(bytes, msg::kMemoText, "text", &out);
  } else if (kind == msg::kKindEmail) {
    field_check::Text(bytes, msg::kSenderAddress, "sender address", &out);
    field_check::Text(bytes, msg::kSubject, "subject", &out);
    field_check::Text(bytes, msg::kRawStem, "raw e-mail file", &out);
  }
  return out;
}
