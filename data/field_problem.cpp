#include "data/field_problem.h"

#include <cstring>

namespace field_check {

std::string NumberRange(uint32_t lastIssued) {
  return lastIssued == 0 ? "none issued yet" : "1 to " + std::to_string(lastIssued);
}

bool Issued(int32_t number, uint32_t lastIssued) {
  return number > 0 && uint32_t(number) <= lastIssued;
}

void Mark(const uint8_t* record, Field f, std::vector<FieldProblem>* out) {
  if (const int mark = FieldByte(record, f); mark != 0)
    out->push_back({"mark", std::to_string(mark) + ", not 0 (or 255 for deleted)"});
}

void Text(const uint8_t* record, Field f, const char* field, std::vector<FieldProblem>* out) {
  if (std::memchr(record + f.offset, 0, size_t(f.width)) == nullptr)
    out->push_back({field, "no NUL within its " + std::to_string(f.width) + " bytes"});
}

void Byte(const uint8_t* record, Field f, const char* field, int highest,
          std::vector<FieldProblem>* out) {
  const int v = FieldByte(record, f);
  if (v > highest)
    out->push_back({field, std::to_string(v) + ", not 0 to " + std::to_string(highest)});
}

void OwnerNumber(const uint8_t* record, Field f, const char* field, const char* common,
                 uint32_t nameLastIssued, std::vector<FieldProblem>* out) {
  const int32_t owner = FieldI32(record, f);
  if (owner != 0 && !Issued(owner, nameLastIssued))
    out->push_back({field, std::to_string(owner) + ", neither 0 (" + common +
                               ") nor a number the name table issued (" +
                               NumberRange(nameLastIssued) + ")"});
}

void OwnNumber(const uint8_t* record, Field f, const char* field, uint32_t lastIssued,
               std::vector<FieldProblem>* out) {
  const int32_t number = FieldI32(record, f);
  if (!Issued(number, lastIssued))
    out->push_back({field, std::to_string(number) + ", not a number the table issued (" +
                               NumberRange(lastIssued) + ")"});
}

}  // namespace field_check
