// bench/phone_report: a phone list report of many entries printed to PDF
// (pages a second), and the same report written comma-delimited against
// the phone list's CSV export of the same entries, in the same run. A
// measuring program, not a test.
//
//   phone_report [entries]     (10000 when not given)
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "data/office/datadir.h"
#include "data/office/empty_office.h"
#include "data/phone/dpphone.h"
#include "data/phone/phone_csv.h"
#include "printing/print_job.h"
#include "printing/report_run.h"
#include "storage/catalogue.h"
#include "storage/records/phone.h"

namespace ph = records::phone;

namespace {

double Ms(const QElapsedTimer& t) {
  return double(t.nsecsElapsed()) / 1e6;
}

// Names spread over the alphabet, so the pages carry letter headings.
std::string Name(int i) {
  char text[40];
  std::snprintf(text, sizeof text, "%c%c%c SURNAME %05d, FIRST", 'A' + i % 26, 'A' + (i / 26) % 26,
                'A' + (i / 676) % 26, i);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/";
  CreateCatalogueTables(path);
  SetDataDirectory(path);

  QElapsedTimer t;
  t.start();
  PhoneTable phones;
  PhoneOpen(phones);
  for (int i = 0; i < count; ++i) {
    PhoneRecord r;
    r.SetText(ph::kListname, Name(i));
    r.SetText(ph::kCompany, "Company " + std::to_string(i % 997) + " Ltd");
    r.SetText(ph::kContact, "Contact Person " + std::to_string(i));
    r.SetText(ph::kPhone1, "617-555-" + std::to_string(1000 + i % 9000));
    if (i % 3 == 0) r.SetText(ph::kExt1, std::to_string(i % 100));
    if (i % 2 == 0) r.SetText(ph::kFax, "617-555-9" + std::to_string(100 + i % 900));
    PhoneAdd(phones, r);
  }
  PhoneClose(phones);
  std::printf("filled %d entries in %.0f ms\n", count, Ms(t));

  t.restart();
  std::vector<int32_t> numbers;
  std::vector<ReportEntry> entries;
  if (!ListRecordNumbers(0, &numbers) || !ReadReportEntries(numbers, false, &entries)) {
    std::fprintf(stderr, "cannot read the list\n");
    return 2;
  }
  std::printf("read %zu entries in Listname order in %.0f ms\n", entries.size(), Ms(t));

  // The report on phone list pages, to PDF.
  const std::string pdf = path + "report.pdf";
  t.restart();
  auto job = PrintJob::ToPdf(pdf);
  if (!job->Start()) return 2;
  PrintReport(*job, ReportType::kPhoneList, "COMMON's PhoneList", entries);
  const int pages = job->Pages();
  job->End();
  const double pdfMs = Ms(t);
  std::ifstream size(pdf, std::ios::binary | std::ios::ate);
  std::printf("PDF report: %d pages in %.0f ms, %.1f pages/s, %.1f entries/ms, %lld bytes\n", pages,
              pdfMs, pages * 1000.0 / pdfMs, entries.size() / pdfMs, (long long)size.tellg());

  // Comma-delimited, against the CSV export of the same entries, three
  // rounds each, alternating; the best of each counts.
  double delimitedBest = 1e18;
  double csvBest = 1e18;
  for (int round = 0; round < 3; ++round) {
    t.restart();
    FileFailure failure;
    if (!ExportReport(path + "report.csv", ReportType::kPhoneList, ReportTarget::kDelimited, "",
                      entries, &failure))
      return 2;
    delimitedBest = std::min(delimitedBest, Ms(t));
    t.restart();
    {
      std::string text = PhoneCsvHeaderLine();
      for (const ReportEntry& e : entries) text += PhoneCsvEntryLine(e.record);
      std::ofstream out(path + "export.csv", std::ios::binary | std::ios::trunc);
      out << text;
    }
    csvBest = std::min(csvBest, Ms(t));
  }
  std::printf("comma-delimited report: %.1f ms; CSV export of the same entries: %.1f ms (%.2fx)\n",
              delimitedBest, csvBest, delimitedBest / csvBest);
  return 0;
}
