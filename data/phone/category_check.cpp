// The values category and assignment records can hold, for dpadmin check.
#include "data/phone/phone_category.h"

namespace ct = records::cat;
namespace lc = records::lc;

std::vector<FieldProblem> CategoryRecordProblems(const CategoryRecord& record, uint32_t lastIssued,
                                                 uint32_t nameLastIssued) {
  std::vector<FieldProblem> out;
  field_check::Text(record.bytes, ct::kName, "name", &out);
  if (record.bytes[ct::kName.offset] == 0) out.push_back({"name", "empty"});
  field_check::OwnNumber(record.bytes, ct::kNumber, "category number", lastIssued, &out);
  field_check::OwnerNumber(record.bytes, ct::kList, "list number", "COMMON", nameLastIssued, &out);
  return out;
}

std::vector<FieldProblem> AssignmentRecordProblems(const uint8_t (&record)[lc::kRecordSize],
                                                   uint32_t phoneLastIssued,
                                                   uint32_t categoryLastIssued) {
  std::vector<FieldProblem> out;
  field_check::Mark(record, lc::kMark, &out);
  if (const int32_t entry = FieldI32(record, lc::kEntryNumber);
      !field_check::Issued(entry, phoneLastIssued))
    out.push_back({"entry number", std::to_string(entry) +
                                       ", not a number the phone table issued (" +
                                       field_check::NumberRange(phoneLastIssued) + ")"});
  if (const int32_t category = FieldI32(record, lc::kCategory);
      !field_check::Issued(category, categoryLastIssued))
    out.push_back({"category number", std::to_string(category) +
                                          ", not a number the category table issued (" +
                                          field_check::NumberRange(categoryLastIssued) + ")"});
  return out;
}
