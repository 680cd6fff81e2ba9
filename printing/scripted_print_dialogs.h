// The print dialogs of a test: Printer setup and "Print to PDF" answer
// from a script and record that they were asked, so no test opens the
// system's dialog or sits in its loop.
#pragma once

#include <QPrinter>
#include <QString>
#include <deque>

#include "printing/print_job.h"

class ScriptedPrintDialogs : public PrintDialogService {
 public:
  ScriptedPrintDialogs() { SetPrintDialogs(this); }
  ~ScriptedPrintDialogs() override { SetPrintDialogs(nullptr); }

  // Printer setup's next answer: the settings print to this PDF file
  // (accepted), or an empty path for Cancel.
  void AnswerSetup(const QString& pdfPath) { setups_.push_back(pdfPath); }
  // "Print to PDF"'s next answer; empty for Cancel.
  void AnswerPdf(const QString& path) { pdfs_.push_back(path); }
  int SetupsAsked() const { return setupsAsked_; }
  int PdfsAsked() const { return pdfsAsked_; }

  bool SetupPrinter(QWidget*, QPrinter& printer) override {
    ++setupsAsked_;
    const QString path = Next(setups_);
    if (path.isEmpty()) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    return true;
  }
  QString PdfFileName(QWidget*, const QString&) override {
    ++pdfsAsked_;
    return Next(pdfs_);
  }

 private:
  static QString Next(std::deque<QString>& answers) {
    if (answers.empty()) return QString();
    QString a = answers.front();
    answers.pop_front();
    return a;
  }
  std::deque<QString> setups_;
  std::deque<QString> pdfs_;
  int setupsAsked_ = 0;
  int pdfsAsked_ = 0;
};
