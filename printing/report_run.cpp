#include "printing/report_run.h"

#include "data/clock.h"
#include "data/local_time.h"
#include "data/messages/dpnote.h"
#include "printing/labels.h"
#include "printing/line_printer.h"
#include "printing/phone_pages.h"
#include "printing/print_job.h"

int ListRecordNumbers(int32_t list, std::vector<int32_t>* recordNumbers) {
  recordNumbers->clear();
  PhoneTable phones;
  if (!PhoneOpen(phones)) return 0;
  PhoneEntry entry;
  int ok = PhoneFirstOfList(phones, list, &entry);
  while (ok) {
    recordNumbers->push_back(entry.RecordNumber());
    ok = PhoneNextInList(phones, list, &entry);
  }
  // The walk ends at the list's end (1018); anything else failed.
  const bool ended = AppErrorCode() == kAppEndOfFile;
  if (ended) ClearAppError();
  PhoneClose(phones);
  return ended ? 1 : 0;
}

int ReadReportEntries(const std::vector<int32_t>& recordNumbers, bool withNotes,
                      std::vector<ReportEntry>* entries) {
  entries->clear();
  entries->reserve(recordNumbers.size());
  PhoneTable phones;
  if (!PhoneOpen(phones)) return 0;
  int ok = 1;
  for (int32_t n : recordNumbers) {
    ReportEntry e;
    if (!PhoneRead(phones, n, &e.record)) {
      if (AppErrorCode() == kAppRecordDeleted || AppErrorCode() == kAppNotFound) {
        ClearAppError();
        continue;
      }
      ok = 0;
      break;
    }
    if (withNotes && e.record.Note() != 0 && !NoteRead(e.record.Note(), &e.note)) e.note.clear();
    entries->push_back(std::move(e));
  }
  PhoneClose(phones);
  return ok;
}

std::string ReportDate() {
  return LocalDateText(ToLocal(ClockNow()));
}

bool WriteReport(TextOutput& out, ReportType type, ReportTarget target, const std::string& title,
                 const std::vector<ReportEntry>& entries) {
  if (target == ReportTarget::kDelimited) {
    std::string chunk;
    for (const ReportEntry& e : entries) {
      chunk += DelimitedLine(type, e.record);
      if (chunk.size() > 1 << 16) {
        if (!out.Output(chunk)) return false;
        chunk.clear();
      }
    }
    return chunk.empty() || out.Output(chunk);
  }
  TextReport report(out, type, title, ReportDate());
  for (const ReportEntry& e : entries)
    if (!report.Add(e)) return false;
  return report.Finish();
}

bool ExportReport(const std::string& path, ReportType type, ReportTarget target,
                  const std::string& title, const std::vector<ReportEntry>& entries,
                  FileFailure* failure) {
  ExportFile file;
  const bool ok =
      file.Open(path) && WriteReport(file, type, target, title, entries) && file.Commit();
  if (!ok) *failure = file.Failure();
  return ok;
}

bool PrintReport(PrintJob& job, ReportType type, const std::string& title,
                 const std::vector<ReportEntry>& entries) {
  size_t next = 0;
  return PrintPhoneListPages(job, title, [&](ReportLines* lines) {
    if (next >= entries.size()) return false;
    *lines = ReportLinesOf(type, entries[next++]);
    return true;
  });
}

namespace {

std::vector<PhoneRecord> Records(const std::vector<ReportEntry>& entries) {
  std::vector<PhoneRecord> records;
  records.reserve(entries.size());
  for (const ReportEntry& e : entries) records.push_back(e.record);
  return records;
}

}  // namespace

bool ExportLabels(const std::string& path, const LabelFormat& format, bool includeContact,
                  const std::vector<ReportEntry>& entries, FileFailure* failure) {
  ExportFile file;
  const bool ok = file.Open(path) && PrintLabels(file, format, includeContact, Records(entries)) &&
                  file.Commit();
  if (!ok) *failure = file.Failure();
  return ok;
}

bool PrintLabelSheet(PrintJob& job, const LabelFormat& format, bool includeContact,
                     const std::vector<ReportEntry>& entries) {
  LinePrinter printer(job);
  return PrintLabels(printer, format, includeContact, Records(entries));
}
