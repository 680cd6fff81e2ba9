// "I&mport..." and "E&xport..." of the phone list window: the current list
// from and to a CSV file (the columns dpadmin reads and writes) or vCards.
//
// Import asks for a file through the desktop's open dialog, reads it whole
// (a file that is no phone list imports nothing and says why), adds its
// entries under a progress box that can be cancelled, and ends with a
// summary: "212 entries imported, 3 refused: see details", the details
// naming each refused line and its reason, and what a card held that an
// entry does not. Export asks for the format and the file name and writes
// the file beside that name first, so a failure never leaves half a file.
#pragma once

#include <QString>
#include <QStringList>

#include "data/phone/dpphone.h"
#include "toolkit/base_dialog.h"

class QLabel;
class QPlainTextEdit;

// The summary of an import ("Import PhoneList"): the sentence, the details
// one line each, and OK.
class PhoneImportSummaryDialog : public TBaseDialog {
  Q_OBJECT

 public:
  static constexpr int kIdSummary = 101;
  static constexpr int kIdDetails = 102;

  PhoneImportSummaryDialog(QWidget* owner, const QString& summary, const QStringList& details);

  QString Summary() const;
  QString Details() const;

 private:
  QLabel* summary_ = nullptr;
  QPlainTextEdit* details_ = nullptr;
};

// Imports a file the user chooses into the list through the open table;
// false when nothing was added (the caller then need not re-read its list).
bool ImportPhoneListFile(QWidget* owner, PhoneTable& phones, int32_t list);
// Exports the list through the open table to a file the user chooses.
void ExportPhoneListFile(QWidget* owner, PhoneTable& phones, int32_t list);
