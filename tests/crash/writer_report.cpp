#include "tests/crash/writer_report.h"

#include <sstream>

WriterReport ParseWriterReport(const std::string& text) {
  WriterReport r;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string tag;
    words >> tag;
    auto fail = [&](const char* why) { r.failures.push_back(std::string(why) + ": " + line); };
    if (tag == "READY") {
      r.ready = true;
    } else if (tag == "DONE") {
      r.done = true;
      words >> r.doneMicros;
    } else if (tag == "U") {
      uint32_t n = 0;
      words >> n;
      r.numbers.push_back(n);
      if (!r.inFlight || r.inFlight->kind != 'N') fail("a unique number nobody asked for");
      r.inFlight.reset();
    } else if (tag == "A?" || tag == "D?" || tag == "R?" || tag == "N?") {
      if (r.inFlight) fail("announced while another operation was running");
      WriterOp op;
      op.kind = tag[0];
      if (op.kind == 'A') {
        std::string rest;
        std::getline(words, rest);
        if (!ParseFacts(rest, &op.facts)) fail("unreadable facts");
      } else {
        words >> op.record;
        if (op.kind == 'R') {
          int flags = 0;
          words >> op.folder >> flags;
          op.flags = uint8_t(flags);
        }
      }
      r.inFlight = op;
    } else if (tag == "A" || tag == "D" || tag == "R") {
      int32_t n = -1;
      words >> n;
      if (!r.inFlight || r.inFlight->kind != tag[0] || (tag != "A" && r.inFlight->record != n)) {
        fail("reports an operation it did not announce");
        continue;
      }
      r.inFlight->record = n;
      r.completed.push_back(*r.inFlight);
      r.inFlight.reset();
    } else if (tag == "E") {
      r.failures.push_back(line.substr(2));
    } else {
      fail("unknown line");
    }
  }
  return r;
}
