// What the parent knows "MESSAGE" must hold: for each record slot, the
// message it holds or that it is deleted. Operations that returned success
// are applied as facts; the one cut short by the kill may have happened or
// not, and the files decide which.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/crash/writer_report.h"

struct OfficeModel {
  std::vector<std::optional<MessageFacts>> slots;  // nullopt: deleted
  std::set<uint32_t> numbers;                      // unique numbers issued so far

  // Applies what the writer reported done; false (with why) when a report
  // contradicts the model.
  bool Apply(const WriterReport& report, std::string* why);
};

// How the record files compared with the model.
struct Reconciliation {
  std::vector<std::string> failures;
  bool cutAppendWritten = false;  // the cut-short append left its record
  bool cutDeleteDone = false;     // the cut-short delete had marked its record
  bool cutRekeyDone = false;      // the cut-short re-key had written its record
};

// Reads every record of the table in dir and compares it with the model,
// allowing either outcome for the operation in flight; then makes the model
// what the files hold.
Reconciliation Reconcile(const std::string& dir, const std::optional<WriterOp>& inFlight,
                         OfficeModel& model);
