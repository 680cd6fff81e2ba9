// dpadmin print: a phone list report, labels, or a person's folder of
// messages, each to a PDF file (as the printer would print it) or a text
// file (as the program exports it):
//
//   dpadmin print DIR phonelist [LIST] [--type phone|mailing|full]
//                 [--title T] --pdf FILE | --text FILE | --csv FILE
//   dpadmin print DIR labels FORMAT [LIST] [--contact] --pdf FILE | --text FILE
//   dpadmin print DIR folder USER FOLDER [--sendlog] --pdf FILE | --text FILE
#include "tools/admin_print.h"

#include <QGuiApplication>
#include <cstdio>
#include <memory>

#include "data/messages/message_user.h"
#include "data/office/datadir.h"
#include "data/phone/label_table.h"
#include "printing/line_printer.h"
#include "printing/message_print.h"
#include "printing/print_job.h"
#include "printing/report_run.h"
#include "storage/errors.h"
#include "tools/admin.h"
#include "tools/admin_office.h"

namespace msg = records::message;

namespace {

// The kinds of print, by their word after DIR.
struct Kind {
  const char* word;
  AdminPrintKind run;
};
constexpr Kind kKinds[] = {
    {"phonelist", AdminPrintPhoneList},
    {"labels", AdminPrintLabels},
    {"folder", AdminPrintFolder},
};

// Where the output goes: exactly one of --pdf, --text and (for reports)
// --csv.
struct Destination {
  std::string option;
  std::string path;
};

bool DestinationOf(const ParsedOptions& o, bool csv, Destination* d) {
  int given = 0;
  for (const char* option : {"--pdf", "--text", "--csv"}) {
    if (!o.Given(option)) continue;
    if (std::string(option) == "--csv" && !csv) continue;
    ++given;
    *d = {option, o.Value(option)};
  }
  if (given != 1 || d->path.empty()) {
    Complain(csv ? "say where the print goes: one of --pdf FILE, --text FILE, --csv FILE"
                 : "say where the print goes: one of --pdf FILE, --text FILE");
    return false;
  }
  return true;
}

void SayFailure(const FileFailure& f) {
  Complain(f.caption + " " + f.name);
}

// The list's entries, with notes for the full report.
bool ListEntries(const std::string& listArg, bool notes, std::vector<ReportEntry>* entries,
                 std::string* listName) {
  std::string name;
  if (!FileText(listArg, "LIST", &name)) return false;
  PhoneList list;
  if (!PhoneListForName(name, &list)) {
    ComplainAppError("no phone list " + listArg);
    return false;
  }
  *listName = list.name;
  std::vector<int32_t> numbers;
  if (!ListRecordNumbers(list.number, &numbers) || !ReadReportEntries(numbers, notes, entries)) {
    ComplainAppError("cannot read the phone list");
    return false;
  }
  return true;
}

// A started job onto the PDF file, or nullptr after saying why not.
std::unique_ptr<PrintJob> PdfJob(const std::string& path) {
  auto job = PrintJob::ToPdf(path);
  if (!job->Start()) {
    Complain(job->Error().toStdString());
    return nullptr;
  }
  return job;
}

int Finished(PrintJob& job, const std::string& path) {
  if (!job.End()) {
    Complain(path + ": the PDF file could not be written");
    return kExitError;
  }
  std::printf("%s: %d page%s\n", path.c_str(), job.Pages(), job.Pages() == 1 ? "" : "s");
  return kExitOk;
}

}  // namespace

int AdminPrintPhoneList(const std::vector<std::string>& args) {
  ParsedOptions o;
  if (!ParseOptions(args, {"--type", "--title", "--pdf", "--text", "--csv"}, {}, &o))
    return kExitError;
  if (o.positional.size() < 2 || o.positional.size() > 3) {
    Complain("print phonelist takes the data directory and a list (COMMON unless given)");
    return kExitError;
  }
  const std::string type = o.Value("--type", "phone");
  ReportType reportType;
  if (type == "phone") {
    reportType = ReportType::kPhoneList;
  } else if (type == "mailing") {
    reportType = ReportType::kMailingList;
  } else if (type == "full") {
    reportType = ReportType::kFullReport;
  } else {
    Complain("unknown report type " + type + ": phone, mailing or full");
    return kExitError;
  }
  Destination d;
  if (!DestinationOf(o, true, &d)) return kExitError;
  OfficeSession office;
  if (!office.Open(o.positional[0])) return kExitError;
  std::vector<ReportEntry> entries;
  std::string listName;
  if (!ListEntries(o.positional.size() == 3 ? o.positional[2] : "COMMON",
                   reportType == ReportType::kFullReport, &entries, &listName))
    return kExitProblems;
  const ReportTarget target = d.option == "--pdf"    ? ReportTarget::kPrinter
                              : d.option == "--text" ? ReportTarget::kText
                                                     : ReportTarget::kDelimited;
  std::string title;
  if (!FileText(o.Value("--title"), "--title", &title)) return kExitError;
  if (title.empty()) title = DefaultReportTitle(reportType, target, listName);
  if (target != ReportTarget::kPrinter) {
    FileFailure failure;
    if (!ExportReport(d.path, reportType, target, title, entries, &failure)) {
      SayFailure(failure);
      return kExitError;
    }
    std::printf("%s: %zu entr%s\n", d.path.c_str(), entries.size(),
                entries.size() == 1 ? "y" : "ies");
    return kExitOk;
  }
  auto job = PdfJob(d.path);
  if (!job) return kExitError;
  PrintReport(*job, reportType, title, entries);
  return Finished(*job, d.path);
}

int AdminPrintLabels(const std::vector<std::string>& args) {
  ParsedOptions o;
  if (!ParseOptions(args, {"--pdf", "--text"}, {"--contact"}, &o)) return kExitError;
  if (o.positional.size() < 3 || o.positional.size() > 4) {
    Complain("print labels takes the data directory, a label format and a list");
    return kExitError;
  }
  Destination d;
  if (!DestinationOf(o, false, &d)) return kExitError;
  OfficeSession office;
  if (!office.Open(o.positional[0])) return kExitError;
  std::vector<LabelFormat> formats;
  if (!LabelReadFormats(DataDirectory(), &formats)) {
    TranslateEngineError();
    ComplainAppError("cannot read the label formats");
    return kExitError;
  }
  std::string name;
  if (!FileText(o.positional[2], "FORMAT", &name)) return kExitError;
  const LabelFormat* format = FindLabelFormat(formats, name);
  if (!format) {
    std::string known;
    for (const LabelFormat& f : formats) known += "\n  " + Shown(f.name);
    Complain("unknown label format: " + o.positional[2] + "; LABEL.DAT holds:" + known);
    return kExitProblems;
  }
  std::vector<ReportEntry> entries;
  std::string listName;
  if (!ListEntries(o.positional.size() == 4 ? o.positional[3] : "COMMON", false, &entries,
                   &listName))
    return kExitProblems;
  const bool contact = o.Has("--contact");
  if (d.option == "--text") {
    FileFailure failure;
    if (!ExportLabels(d.path, *format, contact, entries, &failure)) {
      SayFailure(failure);
      return kExitError;
    }
    std::printf("%s: %zu label%s\n", d.path.c_str(), entries.size(),
                entries.size() == 1 ? "" : "s");
    return kExitOk;
  }
  auto job = PdfJob(d.path);
  if (!job) return kExitError;
  PrintLabelSheet(*job, *format, contact, entries);
  return Finished(*job, d.path);
}

int AdminPrintFolder(const std::vector<std::string>& args) {
  ParsedOptions o;
  if (!ParseOptions(args, {"--pdf", "--text"}, {"--sendlog"}, &o)) return kExitError;
  if (o.positional.size() != 4) {
    Complain("print folder takes the data directory, a person and a folder");
    return kExitError;
  }
  Destination d;
  if (!DestinationOf(o, false, &d)) return kExitError;
  OfficeSession office;
  if (!office.Open(o.positional[0])) return kExitError;
  NameRecord person;
  if (!office.ActAs(o.positional[2], &person)) return kExitProblems;
  const bool sendLog = o.Has("--sendlog");
  MessageCriteria criteria;
  criteria.person = CurrentMessageUser().name;
  const std::string folderArg = o.positional[3];
  if (!FolderNumber(folderArg, CurrentMessageUser().number, &criteria.folder)) return kExitProblems;
  MessageHeadingOf heading;
  heading.person = CurrentMessageUser().name;
  heading.sendLog = sendLog;
  heading.view = criteria.folder == msg::kFolderNew       ? PrintedView::kNew
                 : criteria.folder == msg::kFolderArchive ? PrintedView::kArchive
                                                          : PrintedView::kFolder;
  if (heading.view == PrintedView::kFolder && !FileText(folderArg, "FOLDER", &heading.folderName))
    return kExitError;
  if (sendLog && heading.view == PrintedView::kFolder) {
    Complain("a send log has only the new and archive folders");
    return kExitError;
  }

  PrivateWorkTable work(sendLog ? records::sendlog::x1::kLength : msg::list_row::kLength);
  if (!work.Open()) return kExitError;
  std::vector<MessageRef> refs;
  if (sendLog) {
    SendLogTable log;
    if (!SendLogOpen(log)) {
      ComplainAppError("cannot open the send log");
      return kExitError;
    }
    const bool listed = SendLogQuery(log, criteria, work.table);
    SendLogClose(log);
    if (!listed) {
      ComplainAppError("cannot list the send log");
      return kExitError;
    }
  } else {
    MessageTable messages;
    if (!MsgOpen(messages)) {
      ComplainAppError("cannot open the message table");
      return kExitError;
    }
    const bool listed = MsgQuery(messages, criteria, work.table);
    MsgClose(messages);
    if (!listed) {
      ComplainAppError("cannot list the messages");
      return kExitError;
    }
  }
  for (int32_t row = 0; row < work.table.scratch; ++row) {
    uint8_t bytes[msg::list_row::kLength] = {};
    if (!DbReadCached(work.table, row, bytes)) {
      ComplainAppError("cannot read the list");
      return kExitError;
    }
    if (sendLog) {
      SendLogEntry e;
      std::copy(bytes, bytes + records::sendlog::x1::kLength, e.bytes);
      refs.push_back({e.RecordNumber(), e.Number()});
    } else {
      MessageEntry e;
      std::copy(bytes, bytes + msg::x1::kLength, e.bytes);
      refs.push_back({e.RecordNumber(), e.Number()});
    }
  }
  if (refs.empty()) {
    Complain("No messages");
    return kExitProblems;
  }
  std::vector<std::string> warnings;
  int printed = 0;
  int status = kExitOk;
  if (d.option == "--text") {
    ExportFile file;
    if (!file.Open(d.path) || !PrintMessages(file, heading, refs, &warnings, &printed) ||
        !file.Commit()) {
      if (file.Failure().Failed())
        SayFailure(file.Failure());
      else
        ComplainAppError("cannot read the messages");
      return kExitError;
    }
    std::printf("%s: %d message%s\n", d.path.c_str(), printed, printed == 1 ? "" : "s");
  } else {
    auto job = PdfJob(d.path);
    if (!job) return kExitError;
    LinePrinter printer(*job);
    if (!PrintMessages(printer, heading, refs, &warnings, &printed))
      ComplainAppError("cannot read the messages");
    status = Finished(*job, d.path);
  }
  for (const std::string& w : warnings) Complain(w);
  return status;
}

int RunPrint(const std::vector<std::string>& args) {
  if (args.size() < 2) {
    Complain("print takes the data directory and what to print: phonelist, labels or folder");
    return kExitError;
  }
  const Kind* kind = nullptr;
  for (const Kind& k : kKinds)
    if (args[1] == k.word) kind = &k;
  if (!kind) {
    Complain("print cannot print " + args[1] + ": phonelist, labels or folder");
    return kExitError;
  }
  // The painters need the fonts of a QGuiApplication; no window shows.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "dpadmin";
  static char* argv[] = {name, nullptr};
  // Qt's notes about the session (no runtime directory, fonts) are not the
  // administrator's business; failures of ours are said by ourselves.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
      std::fprintf(stderr, "dpadmin: %s\n", text.toLocal8Bit().constData());
  });
  QGuiApplication app(argc, argv);
  return kind->run(args);
}
