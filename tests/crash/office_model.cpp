#include "tests/crash/office_model.h"

#include <cstring>

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
