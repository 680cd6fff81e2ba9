// The values the fields of folder, note and CC records can hold, for
// dpadmin check.
#include "data/messages/dpcc.h"
#include "data/messages/dpfolder.h"
#include "data/messages/dpnote.h"

namespace fo = records::folder;
namespace nt = records::note;
namespace cc = records::cc;

std::vector<FieldProblem> FolderRecordProblems(const FolderRecord& record, uint32_t lastIssued,
                                               uint32_t nameLastIssued) {
  std::vector<FieldProblem> out;
  field_check::Text(record.bytes, fo::kName, "name", &out);
  static_assert(fo::kCommonOwner == 0);
  field_check::OwnerNumber(record.bytes, fo::kOwner, "owner", "common", nameLastIssued, &out);
  field_check::OwnNumber(record.bytes, fo::kNumber, "folder number", lastIssued, &out);
  return out;
}

std::vector<FieldProblem> NoteRecordProblems(const uint8_t (&record)[nt::kRecordSize],
                                             uint32_t lastIssued) {
  std::vector<FieldProblem> out;
  field_check::Byte(record, nt::kPart, "part number", nt::kMaxParts - 1, &out);
  field_check::OwnNumber(record, nt::kNumber, "note number", lastIssued, &out);
  return out;
}

std::vector<FieldProblem> CcRecordProblems(const uint8_t (&record)[cc::kRecordSize],
                                           uint32_t messageLastIssued) {
  std::vector<FieldProblem> out;
  if (const int32_t number = FieldI32(record, cc::kMessageNumber);
      !field_check::Issued(number, messageLastIssued))
    out.push_back({"message number", std::to_string(number) +
                                         ", not a number the message table issued (" +
                                         field_check::NumberRange(messageLastIssued) + ")"});
  field_check::Text(record, cc::kName, "name", &out);
  if (record[cc::kName.offset] == 0) out.push_back({"name", "empty"});
  return out;
}
