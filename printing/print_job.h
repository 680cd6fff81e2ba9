// The print job: one document on the printer (or a PDF file) at a time,
// with the abort box "Printing..." whose Cancel stops it, and the printer
// settings chosen with "P&rinter setup..." (command 617), kept for the run.
//
// Everything that prints draws through a job: the line printer of message
// slips, reports and labels (line_printer.h), the phone list pages, and
// the page templates, whose handlers get the job's painter and ask for
// the next page through NewPage:
//
//   PrintJob job = ...;
//   if (!job.Start(owner)) { Prompter().Inform(job.Error()); return; }
//   job.Draw([&](QPainter& p, const std::function<bool()>& newPage) { ... });
//   job.End();
//
// The system's print dialog is never opened by feature code: it goes
// through PrintDialogs(), which tests replace with ScriptedPrintDialogs.
#pragma once

#include <QPointer>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <string>

class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QWidget;

class PrintDialogService {
 public:
  virtual ~PrintDialogService() = default;
  // "P&rinter setup...": the system's print dialog on the settings; true
  // when the user accepted them.
  virtual bool SetupPrinter(QWidget* owner, QPrinter& printer) = 0;
  // "Print to PDF": the file a print goes to while this machine has no
  // printer (or PDF was chosen); empty for Cancel.
  virtual QString PdfFileName(QWidget* owner, const QString& suggested) = 0;
};

// The service in use: the installed one, else the system's dialogs.
PrintDialogService& PrintDialogs();
// Installs a service (nullptr: back to the system's). The caller keeps it
// alive while installed.
void SetPrintDialogs(PrintDialogService* service);

// The printer settings of the run: the default printer until Printer setup
// chose another (or a PDF file).
QPrinter& PrinterSettings();
// Command 617: the print dialog on the settings of the run.
bool PrinterSetup(QWidget* owner);
// Drops the settings (the main window going).
void FreePrinterSettings();

class PrintJob {
 public:
  // A job onto a PDF file, letter size: the tests, dpadmin, "Print to PDF".
  static std::unique_ptr<PrintJob> ToPdf(const std::string& path);
  // A job onto the printer of the run. Without a usable printer the job
  // goes to a PDF file chosen through PrintDialogs(); nullptr when that was
  // cancelled.
  static std::unique_ptr<PrintJob> ToPrinter(QWidget* owner);
  // A job onto the printer of the run, started with its abort box: what
  // every Print command does. nullptr when a job is running already (with
  // a beep), when the choice of a PDF file was cancelled, or when the
  // device could not be opened (*error then says so).
  static std::unique_ptr<PrintJob> StartOnPrinter(QWidget* owner, QString* error);

  ~PrintJob();
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;

  // Whether a job is open in this process: a second print is refused.
  static bool Running();

  // Opens the device and starts the document "DPDESK" on its first page;
  // with an owner the abort box shows. False with Error() set: "Error
  // opening printer:\nDevice = %s,%s,%s", or a job already running.
  bool Start(QWidget* owner = nullptr);
  const QString& Error() const { return error_; }

  QPainter& Painter();
  // The printable area in the painter's units (device pixels) and their
  // resolution.
  QRect PageRect() const;
  int Dpi() const;
  // Ends the page and starts the next; false after Cancel or a failure.
  bool NewPage();
  int Pages() const { return pages_; }

  // The abort procedure: lets the abort box see its Cancel; false once
  // the job was cancelled.
  bool KeepGoing();
  // What the abort box's "Cancel" does.
  void Cancel();
  bool Cancelled() const { return cancelled_; }
  QWidget* AbortBox() const;

  // Runs a page drawer (a template's handlers, the phone list pages) on
  // the job: it draws onto the painter and calls newPage between pages.
  using PageDrawer = std::function<bool(QPainter&, const std::function<bool()>& newPage)>;
  bool Draw(const PageDrawer& drawer);

  // Ends the document, closes the abort box and releases the device. True
  // when the document was finished (not cancelled, nothing failed).
  bool End();

 private:
  PrintJob(QPagedPaintDevice* device, std::unique_ptr<QPagedPaintDevice> owned, QString device3);
  QPagedPaintDevice* device_;
  std::unique_ptr<QPagedPaintDevice> owned_;
  std::unique_ptr<QPainter> painter_;
  QString deviceText_;  // "device,driver,port" for the messages
  QString error_;
  QPointer<QWidget> abortBox_;
  int pages_ = 0;
  bool started_ = false;
  bool cancelled_ = false;
  bool failed_ = false;
};
