#include "phonelist/phone_print.h"

#include <QDir>
#include <cstring>

#include "data/messages/dpnote.h"
#include "data/office/datadir.h"
#include "data/office/dpmain.h"
#include "phonelist/phone_settings.h"
#include "printing/print_job.h"
#include "printing/report_run.h"
#include "storage/errors.h"
#include "toolkit/accessible_names.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/choice_controls.h"
#include "toolkit/controls/edit_control.h"
#include "toolkit/form_builder.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace {

const char* const kReportTypes[] = {"Phone list", "Mailing list", "Full report"};
const char* const kSelections[] = {"All", "Tagged", "Not Tagged"};
const char* const kReportTargets[] = {"Printer", "ASCII file", "ASCII delimited"};
const char* const kLabelTargets[] = {"Printer", "ASCII file"};

constexpr char kNoFileName[] = "Please provide filename for export.";

bool Blank(const char* text) {
  for (; *text; ++text)
    if (*text != ' ') return false;
  return true;
}

// The file a name stands for: a name without a folder in the home folder.
std::string ExportPath(const char* fileName) {
  const QString name = FromCp1252(fileName).trimmed();
  return QDir::isAbsolutePath(name) ? name.toStdString()
                                    : QDir::home().filePath(name).toStdString();
}

void SayFailure(const FileFailure& f) {
  Prompter().Inform(FromCp1252(f.name), FromCp1252(f.caption));
}

// The entries of the rows the selection takes, read afresh.
bool Entries(const std::vector<ResultRow>& rows, int32_t selection, bool notes,
             std::vector<ReportEntry>* entries) {
  std::vector<int32_t> numbers;
  for (const ResultRow& r : rows)
    if (SelectionTakes(ReportSelection(selection), r.tagged)) numbers.push_back(r.recordNumber);
  if (!ReadReportEntries(numbers, notes, entries)) {
    ShowError();
    return false;
  }
  return true;
}

// A started job on the printer of the run, or nullptr (cancelled, a job
// running, or the failure said).
std::unique_ptr<PrintJob> StartJob(QWidget* owner) {
  QString error;
  auto job = PrintJob::StartOnPrinter(owner, &error);
  if (!job && !error.isEmpty()) Prompter().Inform(error);
  return job;
}

}  // namespace

ReportSettings& PhoneReportSettings() {
  static ReportSettings settings;
  return settings;
}

LabelSettings& PhoneLabelSettings() {
  static LabelSettings settings;
  return settings;
}

TReportSetupClass::TReportSetupClass(QWidget* owner, ReportSettings* settings)
    : TBaseDialog(owner, "Report Setup"), settings_(settings), b_(*settings) {
  setProperty("helpAnchor", "phone-reports");
  setObjectName("REPORT");
  FormBuilder form(this);
  form.Combo("Report type:", kIdType);
  Bind<TComboControl>(kIdType, kReportTypes, 3, &b_.type);
  form.Combo("Selections:", kIdSelection);
  Bind<TComboControl>(kIdSelection, kSelections, 3, &b_.selection);
  form.Combo("Print to:", kIdPrintTo);
  Bind<TComboControl>(kIdPrintTo, kReportTargets, 3, &b_.target);
  form.Edit("File name:", kIdFileName, 37);
  Bind<TEditControl>(kIdFileName, b_.fileName, sizeof b_.fileName);
  form.Edit("Title:", kIdTitle, 37);
  Bind<TEditControl>(kIdTitle, b_.title, sizeof b_.title);
  form.OkCancel(this);
  NameControlsByLabels(this);
}

void TReportSetupClass::Ok() {
  if (!TransferOut()) return;
  if (b_.target != int32_t(ReportTarget::kPrinter) && Blank(b_.fileName)) {
    Prompter().Inform(kNoFileName);
    return;
  }
  *settings_ = b_;
  CloseWith(1);
}

TLabelSetupClass::TLabelSetupClass(QWidget* owner, const std::vector<LabelFormat>& formats,
                                   LabelSettings* settings)
    : TBaseDialog(owner, "Label Setup"), settings_(settings), b_(*settings) {
  setProperty("helpAnchor", "phone-labels");
  setObjectName("LABEL");
  for (const LabelFormat& f : formats) names_.push_back(f.name);
  for (const std::string& n : names_) nameTexts_.push_back(n.c_str());
  if (b_.format < 0 || b_.format >= int32_t(names_.size())) b_.format = 0;
  FormBuilder form(this);
  form.Combo("Label type:", kIdType);
  Bind<TComboControl>(kIdType, nameTexts_.data(), int(nameTexts_.size()), &b_.format);
  form.Combo("Selections:", kIdSelection);
  Bind<TComboControl>(kIdSelection, kSelections, 3, &b_.selection);
  form.Combo("Print to:", kIdPrintTo);
  Bind<TComboControl>(kIdPrintTo, kLabelTargets, 2, &b_.target);
  form.Edit("File name:", kIdFileName, 37);
  Bind<TEditControl>(kIdFileName, b_.fileName, sizeof b_.fileName);
  form.CheckBox("Include contact:", kIdContact);
  Bind<TCheckBoxControl>(kIdContact, &b_.contact);
  form.OkCancel(this);
  NameControlsByLabels(this);
}

void TLabelSetupClass::Ok() {
  if (!TransferOut()) return;
  if (b_.target != 0 && Blank(b_.fileName)) {
    Prompter().Inform(kNoFileName);
    return;
  }
  *settings_ = b_;
  CloseWith(1);
}

bool RunPhoneReport(QWidget* owner, const ReportSettings& s, const std::vector<ResultRow>& rows) {
  const ReportType type = ReportType(s.type);
  const ReportTarget target = ReportTarget(s.target);
  std::vector<ReportEntry> entries;
  if (!Entries(rows, s.selection, type == ReportType::kFullReport, &entries)) return false;
  std::string title = s.title;
  if (Blank(title.c_str())) title = DefaultReportTitle(type, target, PhoneCurrentList().name);
  if (target != ReportTarget::kPrinter) {
    FileFailure failure;
    Prompter().Working(true);
    const bool ok = ExportReport(ExportPath(s.fileName), type, target, title, entries, &failure);
    Prompter().Working(false);
    if (!ok) SayFailure(failure);
    return ok;
  }
  auto job = StartJob(owner);
  if (!job) return false;
  PrintReport(*job, type, title, entries);
  return job->End();
}

bool RunPhoneLabels(QWidget* owner, const LabelSettings& s, const LabelFormat& format,
                    const std::vector<ResultRow>& rows) {
  std::vector<ReportEntry> entries;
  if (!Entries(rows, s.selection, false, &entries)) return false;
  if (s.target != 0) {
    FileFailure failure;
    const bool ok = ExportLabels(ExportPath(s.fileName), format, s.contact != 0, entries, &failure);
    if (!ok) SayFailure(failure);
    return ok;
  }
  auto job = StartJob(owner);
  if (!job) return false;
  PrintLabelSheet(*job, format, s.contact != 0, entries);
  return job->End();
}

bool PrintPhoneReport(QWidget* owner, const std::vector<ResultRow>& rows) {
  TReportSetupClass dialog(owner, &PhoneReportSettings());
  if (RunPhoneDialog(dialog) != 1) return false;
  return RunPhoneReport(owner, PhoneReportSettings(), rows);
}

bool PrintPhoneLabels(QWidget* owner, const std::vector<ResultRow>& rows) {
  std::vector<LabelFormat> formats;
  if (!LabelReadFormats(DataDirectory(), &formats)) {
    if (AppErrorCode() == 0) TranslateEngineError();
    ShowError();
    return false;
  }
  if (formats.empty()) {
    Prompter().Inform("No label formats in LABEL.DAT.");
    return false;
  }
  TLabelSetupClass dialog(owner, formats, &PhoneLabelSettings());
  if (RunPhoneDialog(dialog) != 1) return false;
  const LabelSettings& s = PhoneLabelSettings();
  return RunPhoneLabels(owner, s, formats[size_t(s.format)], rows);
}

bool PrintPhoneEntry(QWidget* owner, const PhoneRecord& entry) {
  ReportEntry e;
  e.record = entry;
  if (entry.Note() != 0 && !NoteRead(entry.Note(), &e.note)) e.note.clear();
  auto job = StartJob(owner);
  if (!job) return false;
  PrintReport(
      *job, ReportType::kFullReport,
      DefaultReportTitle(ReportType::kFullReport, ReportTarget::kPrinter, PhoneCurrentList().name),
      {e});
  return job->End();
}
