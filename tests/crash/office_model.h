// What the parent learns from the lines a writer sent before it died: the
// operations that returned success, in order, and the one that was running
// (announced, never reported done) when the kill came; and what it knows
// "MESSAGE" must hold: for each record slot, the message it holds or that it
// is deleted. Operations that returned success are applied as facts; the one
// cut short by the kill may have happened or not, and the files decide which.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/support/test_messages.h"

struct WriterOp {
  char kind = 0;        // 'A' append, 'D' delete, 'R' re-key, 'N' GetUniqueNumber
  int32_t record = -1;  // unknown (-1) for an append that never returned
  MessageFacts facts;   // append: the record written
  int32_t folder = 0;   // re-key: the new folder and flags
  uint8_t flags = 0;
};

struct WriterReport {
  bool ready = false;
  bool done = false;
  long doneMicros = 0;
  std::vector<uint32_t> numbers;  // from GetUniqueNumber, in order
  std::vector<WriterOp> completed;
  std::optional<WriterOp> inFlight;
  std::vector<std::string> failures;  // "E" lines and lines that make no sense
};

WriterReport ParseWriterReport(const std::string& text);

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
