// The phone list's printing: REPORT ("Report Setup") and LABEL ("Label
// Setup"), opened by the search result list's "&Print" (labels in mode 1,
// reports otherwise), and the entry dialog's "P&rint" of one entry. The
// chosen settings last for the run. Reports go to the printer (phone list
// pages), a text file or a comma-delimited file; labels to the printer or
// a text file. A file name without a folder is taken in the home folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/phone/label_table.h"
#include "printing/phone_report.h"
#include "toolkit/base_dialog.h"

// The rows of a search result as printing takes them.
struct ResultRow {
  int32_t recordNumber = 0;
  bool tagged = false;
};

struct ReportSettings {
  int32_t type = 0;       // ReportType
  int32_t selection = 0;  // ReportSelection
  int32_t target = 0;     // ReportTarget
  char fileName[38] = {};
  char title[38] = {};
};
struct LabelSettings {
  int32_t format = 0;  // the row of LABEL.DAT
  int32_t selection = 0;
  int32_t target = 0;  // 0 printer, 1 text file
  char fileName[38] = {};
  uint8_t contact = 0;
};
// The settings of the run.
ReportSettings& PhoneReportSettings();
LabelSettings& PhoneLabelSettings();

class TReportSetupClass : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdType = 161;
  static constexpr int kIdPrintTo = 162;
  static constexpr int kIdSelection = 163;
  static constexpr int kIdFileName = 164;
  static constexpr int kIdTitle = 165;

  TReportSetupClass(QWidget* owner, ReportSettings* settings);
  // A file output needs a file name: "Please provide filename for export.".
  void Ok() override;

 private:
  ReportSettings* settings_;
  ReportSettings b_;
};

class TLabelSetupClass : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdType = 161;
  static constexpr int kIdPrintTo = 162;
  static constexpr int kIdSelection = 163;
  static constexpr int kIdFileName = 164;
  static constexpr int kIdContact = 109;

  TLabelSetupClass(QWidget* owner, const std::vector<LabelFormat>& formats,
                   LabelSettings* settings);
  void Ok() override;

 private:
  LabelSettings* settings_;
  LabelSettings b_;
  std::vector<std::string> names_;
  std::vector<const char*> nameTexts_;
};

// REPORT, then the report of the rows the selection takes; false when
// cancelled or failed (said).
bool PrintPhoneReport(QWidget* owner, const std::vector<ResultRow>& rows);
// LABEL (after reading LABEL.DAT: a file that cannot be read is said and
// nothing opens), then the labels.
bool PrintPhoneLabels(QWidget* owner, const std::vector<ResultRow>& rows);
// The report or labels by settings already chosen.
bool RunPhoneReport(QWidget* owner, const ReportSettings& settings,
                    const std::vector<ResultRow>& rows);
bool RunPhoneLabels(QWidget* owner, const LabelSettings& settings, const LabelFormat& format,
                    const std::vector<ResultRow>& rows);
// The entry dialog's "P&rint": the entry alone in the full report's layout
// on the printer, titled "%s's PhoneList" for the current list.
bool PrintPhoneEntry(QWidget* owner, const PhoneRecord& entry);
