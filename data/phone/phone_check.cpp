// The values a phone list entry's fields can hold, for dpadmin check.
#include "data/phone/dpphone.h"
#include "data/phone/phone_csv.h"

namespace ph = records::phone;

std::vector<FieldProblem> PhoneRecordProblems(const PhoneRecord& record, uint32_t lastIssued,
                                              uint32_t nameLastIssued) {
  std::vector<FieldProblem> out;
  if (record.bytes[ph::kListname.offset] == 0) out.push_back({"Listname", "empty"});
  // The text fields, named by the entry dialog's labels.
  const PhoneCsvColumn* columns = PhoneCsvColumns();
  for (int i = 0; i < kPhoneCsvColumnCount; ++i)
    field_check::Text(record.bytes, columns[i].field, columns[i].label, &out);
  if (const int32_t note = record.Note(); note < 0)
    out.push_back({"note number", std::to_string(note) + ", neither 0 (none) nor a note number"});
  field_check::OwnNumber(record.bytes, ph::kEntryNumber, "entry number", lastIssued, &out);
  static_assert(ph::kCommonList == 0);
  field_check::OwnerNumber(record.bytes, ph::kList, "list number", "COMMON", nameLastIssued, &out);
  return out;
}
