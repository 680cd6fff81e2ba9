#include "tests/crash/office_model.h"

#include <cstring>
#include <sstream>

#include "storage/catalogue.h"
#include "storage/records/message.h"

namespace msg = records::message;

bool OfficeModel::Apply(const WriterReport& report, std::string* why) {
  for (uint32_t n : report.numbers) {
    if (!numbers.empty() && n <= *numbers.rbegin()) {
      *why = "unique number " + std::to_string(n) + " issued again";
      return false;
    }
    numbers.insert(n);
  }
  for (const WriterOp& op : report.completed) {
    const std::string rec = "record " + std::to_string(op.record);
    if (op.kind == 'A') {
      // The model is reconciled with the files before every run, so an
      // append that returned took the next slot.
      if (op.record != int32_t(slots.size())) {
        *why = "an append returned " + rec + ", expected " + std::to_string(slots.size());
        return false;
      }
      slots.push_back(op.facts);
      continue;
    }
    if (op.record < 0 || size_t(op.record) >= slots.size() || !slots[size_t(op.record)]) {
      *why = std::string(1, op.kind) + " of " + rec + ", which is not live";
      return false;
    }
    if (op.kind == 'D') {
      slots[size_t(op.record)].reset();
    } else {
      slots[size_t(op.record)]->folder = op.folder;
      slots[size_t(op.record)]->flags = op.flags;
    }
  }
  return true;
}

Reconciliation Reconcile(const std::string& dir, const std::optional<WriterOp>& inFlight,
                         OfficeModel& model) {
  Reconciliation r;
  Table messages(kMessageTable);
  if (!DbOpenTable(messages, dir)) {
    r.failures.push_back("MESSAGE does not open");
    return r;
  }
  int32_t count = 0;
  DbRecordCount(messages, &count);
  const int32_t known = int32_t(model.slots.size());
  const bool cutAppend = inFlight && inFlight->kind == 'A';
  if (count != known && !(cutAppend && count == known + 1))
    r.failures.push_back("MESSAGE.DAT holds " + std::to_string(count) + " records, expected " +
                         std::to_string(known));
  uint8_t record[msg::kRecordSize];
  for (int32_t n = 0; n < count; ++n) {
    const std::string rec = "record " + std::to_string(n);
    const bool live = DbReadRecord(messages, n, record) == 1;
    MessageFacts read;
    const bool sound = live && ReadMessageFacts(record, &read);
    if (live && !sound) {
      r.failures.push_back(rec + " is not a sound message");
      continue;
    }
    if (n >= known) {
      // Only the append that was cut short can have left a record here.
      if (!cutAppend || !live || FactsText(read) != FactsText(inFlight->facts)) {
        r.failures.push_back(rec + " was never appended");
        continue;
      }
      r.cutAppendWritten = true;
      model.slots.push_back(read);
      continue;
    }
    std::optional<MessageFacts>& want = model.slots[size_t(n)];
    const bool cut = inFlight && inFlight->kind != 'A' && inFlight->record == n;
    if (cut && inFlight->kind == 'D' && !live && want) {
      r.cutDeleteDone = true;
      want.reset();
      continue;
    }
    if (cut && inFlight->kind == 'R' && live && want && read.folder == inFlight->folder &&
        read.flags == inFlight->flags) {
      r.cutRekeyDone = true;
      want = read;
    }
    if (!want) {
      if (live) r.failures.push_back(rec + " was deleted and is back: " + FactsText(read));
      continue;
    }
    if (!live) {
      r.failures.push_back(rec + " (message " + std::to_string(want->number) + ") is lost");
      continue;
    }
    if (FactsText(read) != FactsText(*want))
      r.failures.push_back(rec + " holds " + FactsText(read) + ", expected " + FactsText(*want));
  }
  // Numbers issued by the cut-short append's GetUniqueNumber were reported.
  std::vector<uint8_t> header(size_t(messages.headerSize));
  if (DbReadHeader(messages, header.data()) && !model.numbers.empty() &&
      FieldU32(header.data(), kHeaderUniqueNumber) < *model.numbers.rbegin())
    r.failures.push_back("the header's unique number went back");
  DbCloseTable(messages);
  return r;
}

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
