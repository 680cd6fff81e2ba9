// What the parent learns from the lines a writer sent before it died: the
// operations that returned success, in order, and the one that was running
// (announced, never reported done) when the kill came.
#pragma once

#include <cstdint>
#include <optional>
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
