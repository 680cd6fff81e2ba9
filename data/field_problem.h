// A value a stored record holds in one of its fields that no record of its
// table can hold: what each table's record check answers, so that dpadmin
// check can name table, record and field for every one.
#pragma once

#include <string>

struct FieldProblem {
  std::string field;  // as the record layout names it, e.g. "name number"
  std::string what;   // the value and why it cannot be there
};
