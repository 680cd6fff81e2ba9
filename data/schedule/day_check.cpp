// The values the fields of schedule and to-do records can hold, for dpadmin
// check.
#include "data/schedule/dpsched.h"
#include "data/schedule/dptodo.h"

namespace sc = records::sched;
namespace td = records::todo;

namespace {

// Two times of one date lie less than a day apart, 25 hours on the day the
// clocks go back.
constexpr int64_t kLongestDay = 25 * 3600;

void CheckOwner(int32_t owner, uint32_t nameLastIssued, std::vector<FieldProblem>* out) {
  if (owner != sc::kCommonOwner && !field_check::Issued(owner, nameLastIssued))
    out->push_back({"owner", std::to_string(owner) +
                                 ", neither -1 (COMMON) nor a number the name table issued (" +
                                 field_check::NumberRange(nameLastIssued) + ")"});
}

}  // namespace

std::vector<FieldProblem> SchedRecordProblems(const SchedRecord& record, uint32_t lastIssued,
                                              uint32_t nameLastIssued) {
  std::vector<FieldProblem> out;
  field_check::Text(record.bytes, sc::kDescription, "description", &out);
  if (record.bytes[sc::kDescription.offset] == 0) out.push_back({"description", "empty"});
  CheckOwner(record.Owner(), nameLastIssued, &out);
  const int64_t start = record.Start();
  if (const int64_t end = record.End(); end != 0 && (end <= start || end - start >= kLongestDay))
    out.push_back({"end", std::to_string(end) + ", neither 0 (none) nor later than the start (" +
                              std::to_string(start) + ") on its date"});
  if (const int64_t alarm = record.Alarm();
      alarm != 0 && (alarm <= start - kLongestDay || alarm >= start + kLongestDay))
    out.push_back({"alarm", std::to_string(alarm) +
                                ", neither 0 (none) nor on the date of the start (" +
                                std::to_string(start) + ")"});
  field_check::Text(record.bytes, sc::kNote, "note", &out);
  if (const int32_t group = record.RepeatGroup();
      group != 0 && !field_check::Issued(group, lastIssued))
    out.push_back({"repeat group", std::to_string(group) +
                                       ", neither 0 (none) nor a number the table issued (" +
                                       field_check::NumberRange(lastIssued) + ")"});
  field_check::OwnNumber(record.bytes, sc::kUniqueId, "unique id", lastIssued, &out);
  return out;
}

std::vector<FieldProblem> TodoRecordProblems(const TodoRecord& record, uint32_t lastIssued,
                                             uint32_t nameLastIssued) {
  std::vector<FieldProblem> out;
  field_check::Text(record.bytes, td::kText, "text", &out);
  CheckOwner(record.Owner(), nameLastIssued, &out);
  field_check::Text(record.bytes, td::kPriority, "priority", &out);
  if (record.bytes[td::kPriority.offset] == 0) out.push_back({"priority", "empty"});
  field_check::OwnNumber(record.bytes, td::kUniqueId, "unique id", lastIssued, &out);
  return out;
}
