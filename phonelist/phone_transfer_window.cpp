#include "phonelist/phone_transfer_window.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/cp1252.h"
#include "data/office/dpmain.h"
#include "data/phone/phone_transfer.h"
#include "phonelist/phone_settings.h"
#include "toolkit/control_id.h"
#include "toolkit/desktop.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace {

constexpr char kImportCaption[] = "Import PhoneList";
constexpr char kExportCaption[] = "Export PhoneList";
constexpr char kImportFilter[] =
    "Phone lists (*.csv *.vcf *.vcard);;CSV files (*.csv);;vCards (*.vcf *.vcard);;All files (*)";

// Where the last file was chosen, so the next dialog starts there.
QString& LastFolder() {
  static QString folder = QDir::homePath();
  return folder;
}

QString Utf8(const std::string& text) {
  return QString::fromStdString(text);
}

QString Entries(int n) {
  return n == 1 ? QString("1 entry") : QString("%1 entries").arg(n);
}

struct ExportFormat {
  const char* choice;
  PhoneFileFormat format;
  const char* extension;
  const char* filter;
};
constexpr ExportFormat kFormats[] = {
    {"CSV file (comma-separated values)", PhoneFileFormat::kCsv, ".csv", "CSV files (*.csv)"},
    {"vCard 3.0 file", PhoneFileFormat::kVCard30, ".vcf", "vCards (*.vcf)"},
    {"vCard 4.0 file", PhoneFileFormat::kVCard40, ".vcf", "vCards (*.vcf)"},
};

int& LastFormat() {
  static int format = 0;
  return format;
}

}  // namespace

PhoneImportSummaryDialog::PhoneImportSummaryDialog(QWidget* owner, const QString& summary,
                                                   const QStringList& details)
    : TBaseDialog(owner, kImportCaption) {
  auto* layout = new QVBoxLayout(this);
  summary_ = new QLabel(summary, this);
  SetControlId(summary_, kIdSummary);
  summary_->setWordWrap(true);
  layout->addWidget(summary_);
  auto* label = new QLabel("&Details:", this);
  layout->addWidget(label);
  details_ = new QPlainTextEdit(this);
  SetControlId(details_, kIdDetails);
  details_->setReadOnly(true);
  details_->setPlainText(details.join('\n'));
  details_->setMinimumSize(560, 180);
  label->setBuddy(details_);
  details_->setAccessibleName("Details");
  layout->addWidget(details_, 1);
  auto* ok = new QPushButton("OK", this);
  SetControlId(ok, kIdOk);
  ok->setDefault(true);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  layout->addLayout(row);
  connect(ok, &QPushButton::clicked, this, [this] { CloseWith(1); });
  ok->setFocus();
}

QString PhoneImportSummaryDialog::Summary() const {
  return summary_->text();
}

QString PhoneImportSummaryDialog::Details() const {
  return details_->toPlainText();
}

bool ImportPhoneListFile(QWidget* owner, PhoneTable& phones, int32_t list) {
  const QString path = Desktop().OpenFileName(kImportCaption, LastFolder(), kImportFilter);
  if (path.isEmpty()) return false;
  LastFolder() = QFileInfo(path).absolutePath();
  const QString name = QFileInfo(path).fileName();
  std::string text, reason;
  if (!ReadFileWhole(path.toStdString(), &text, &reason)) {
    Prompter().Inform(
        QString("Nothing was imported: %1 cannot be read (%2).").arg(name, Utf8(reason)),
        kImportCaption);
    return false;
  }
  PhoneImportPlan plan = PhoneImportReadFile(path.toStdString(), text, list);
  if (!plan.notPhoneList.empty()) {
    Prompter().Inform(QString("Nothing was imported: %1 is not a phone list of CSV or vCard "
                              "text (%2).")
                          .arg(name, Utf8(plan.notPhoneList)),
                      kImportCaption);
    return false;
  }
  if (plan.rows.empty() && plan.refused.empty()) {
    Prompter().Inform(QString("Nothing was imported: %1 holds no entries.").arg(name),
                      kImportCaption);
    return false;
  }

  // The details by line: what was refused while reading, then, as the
  // entries go in, duplicates and what a card held beyond the entry.
  std::vector<std::pair<int, QString>> details;
  for (const PhoneImportLine& l : plan.skippedColumns)
    details.emplace_back(l.line, QString("line %1: %2").arg(l.line).arg(Utf8(l.text)));
  for (const PhoneImportLine& l : plan.refused)
    details.emplace_back(l.line, QString("line %1: refused: %2").arg(l.line).arg(Utf8(l.text)));
  int added = 0;
  int refused = int(plan.refused.size());
  int stoppedAt = 0;  // the line an engine failure or Cancel stopped at
  QString stopReason;
  const int total = int(plan.rows.size());
  ProgressStep step{kImportCaption, "Importing", 0, total, true, false};
  for (int i = 0; i < total; ++i) {
    step.done = i;
    if (!Prompter().Progress(step)) {
      stoppedAt = plan.rows[i].line;
      stopReason = "cancelled";
      break;
    }
    PhoneImportPlan::Row& row = plan.rows[i];
    bool duplicate = false;
    const int result = PhoneImportAdd(phones, row.record, &reason, &duplicate);
    const QString who = FromCp1252(row.record.Listname());
    if (result == 1) {
      ++added;
      for (const std::string& note : row.notes)
        details.emplace_back(row.line,
                             QString("line %1: %2: %3").arg(row.line).arg(who, Utf8(note)));
    } else if (result == 0) {
      ++refused;
      details.emplace_back(row.line,
                           QString("line %1: refused: %2").arg(row.line).arg(Utf8(reason)));
    } else {
      stoppedAt = row.line;
      stopReason = Utf8(reason);
      break;
    }
  }
  step.done = total;
  step.finished = true;
  if (stoppedAt == 0 || stopReason != "cancelled") Prompter().Progress(step);
  std::stable_sort(details.begin(), details.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });

  QString summary = QString("%1 imported").arg(Entries(added));
  if (refused > 0) summary += QString(", %1 refused").arg(refused);
  QStringList lines;
  for (const auto& d : details) lines << d.second;
  if (stoppedAt > 0) {
    const QString what =
        stopReason == "cancelled"
            ? QString("Import cancelled at line %1").arg(stoppedAt)
            : QString("Import stopped at line %1: %2").arg(stoppedAt).arg(stopReason);
    summary = what + ". " + summary + "; the entries from line " + QString::number(stoppedAt) +
              " on were not imported";
    lines << QString("line %1 and after: not imported (%2)")
                 .arg(stoppedAt)
                 .arg(stopReason == "cancelled" ? QString("cancelled") : stopReason);
  }
  if (lines.isEmpty()) {
    Prompter().Inform(summary + ".", kImportCaption);
  } else {
    PhoneImportSummaryDialog dialog(owner, summary + ": see details", lines);
    RunPhoneDialog(dialog);
  }
  return added > 0;
}

void ExportPhoneListFile(QWidget* owner, PhoneTable& phones, int32_t list) {
  (void)owner;
  QStringList choices;
  for (const ExportFormat& f : kFormats) choices << f.choice;
  const int chosen = Prompter().PickList(kExportCaption, choices, LastFormat());
  if (chosen < 0 || chosen >= int(std::size(kFormats))) return;
  LastFormat() = chosen;
  const ExportFormat& format = kFormats[chosen];
  const QString suggested =
      QDir(LastFolder()).filePath(FromCp1252(PhoneCurrentList().name).trimmed() + format.extension);
  const QString path =
      Desktop().SaveFileName(kExportCaption, suggested, QString(format.filter) + ";;All files (*)");
  if (path.isEmpty()) return;
  LastFolder() = QFileInfo(path).absolutePath();
  std::string text;
  int count = 0;
  Prompter().Working(true, "Exporting...");
  const int read = PhoneExportText(phones, list, format.format, &text, &count);
  Prompter().Working(false);
  if (!read) {
    ShowError();
    return;
  }
  std::string reason;
  if (!WriteFileWhole(path.toStdString(), text, &reason)) {
    Prompter().Inform(QString("The PhoneList was not exported: %1 cannot be written (%2).")
                          .arg(QDir::toNativeSeparators(path), Utf8(reason)),
                      kExportCaption);
    return;
  }
  Prompter().Flash(QString("%1 exported to %2.").arg(Entries(count), QFileInfo(path).fileName()));
}
