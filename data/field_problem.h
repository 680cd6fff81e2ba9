// A value a stored record holds in one of its fields that no record of its
// table can hold: what each table's record check answers, so that dpadmin
// check can name table, record and field for every one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "storage/records/field.h"

struct FieldProblem {
  std::string field;  // as the record layout names it, e.g. "name number"
  std::string what;   // the value and why it cannot be there
};

// The checks every table's record check is made of; each adds at most one
// problem naming the field.
namespace field_check {

// "1 to N", or "none issued yet" when the table has issued no number.
std::string NumberRange(uint32_t lastIssued);
// Whether a number is one the table has issued: 1 to lastIssued.
bool Issued(int32_t number, uint32_t lastIssued);
// The mark byte of a live record: 0.
void Mark(const uint8_t* record, Field f, std::vector<FieldProblem>* out);
// A text field holds its NUL within its width.
void Text(const uint8_t* record, Field f, const char* field, std::vector<FieldProblem>* out);
// A byte from 0 to highest.
void Byte(const uint8_t* record, Field f, const char* field, int highest,
          std::vector<FieldProblem>* out);
// The number of the person a list or folder belongs to: 0 for the common
// one (named as given in the report) or a number the name table issued.
void OwnerNumber(const uint8_t* record, Field f, const char* field, const char* common,
                 uint32_t nameLastIssued, std::vector<FieldProblem>* out);
// A unique number of the table's own: 1 to lastIssued.
void OwnNumber(const uint8_t* record, Field f, const char* field, uint32_t lastIssued,
               std::vector<FieldProblem>* out);

}  // namespace field_check
