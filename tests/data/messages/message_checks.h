// Checks the message tests share: a refused call with its application error
// in one line, and a table's live records read back through the engine.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/messages/dpmess.h"
#include "storage/database.h"
#include "storage/errors.h"

// The recipients of records, in order.
inline std::vector<std::string> ToNames(const std::vector<MessageRecord>& records) {
  std::vector<std::string> names;
  for (const MessageRecord& r : records) names.push_back(r.To());
  return names;
}

// Every live record of a table of the directory, in record order; the
// errors the deleted ones leave are cleared.
inline std::vector<MessageRecord> LiveRecords(const std::string& directory, const TableDef& def) {
  std::vector<MessageRecord> out;
  Table t(def);
  int32_t count = 0;
  if (DbOpenTable(t, directory) && DbRecordCount(t, &count)) {
    for (int32_t i = 0; i < count; ++i) {
      MessageRecord r;
      if (DbReadRecord(t, i, r.bytes)) out.push_back(r);
    }
  }
  DbClearError();
  ClearAppError();
  DbCloseTable(t);
  return out;
}
