#include "printing/print_job.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kPdfDpi = 300;

class SystemPrintDialogs : public PrintDialogService {
 public:
  bool SetupPrinter(QWidget* owner, QPrinter& printer) override {
    QPrintDialog dialog(&printer, owner);
    dialog.setWindowTitle("Print Setup");
    return dialog.exec() == QDialog::Accepted;
  }
  QString PdfFileName(QWidget* owner, const QString& suggested) override {
    return QFileDialog::getSaveFileName(owner, "Print to PDF", suggested, "PDF files (*.pdf)");
  }
};

PrintDialogService* g_dialogs = nullptr;
std::unique_ptr<QPrinter> g_printer;
bool g_running = false;

// Whether the settings name a printer (or a file) a document can go to.
bool Usable(const QPrinter& printer) {
  if (printer.outputFormat() == QPrinter::PdfFormat) return !printer.outputFileName().isEmpty();
  return printer.isValid() && !printer.printerName().isEmpty();
}

}  // namespace

PrintDialogService& PrintDialogs() {
  static SystemPrintDialogs system;
  return g_dialogs ? *g_dialogs : system;
}

void SetPrintDialogs(PrintDialogService* service) {
  g_dialogs = service;
}

QPrinter& PrinterSettings() {
  if (!g_printer) g_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *g_printer;
}

bool PrinterSetup(QWidget* owner) {
  return PrintDialogs().SetupPrinter(owner, PrinterSettings());
}

void FreePrinterSettings() {
  g_printer.reset();
}

PrintJob::PrintJob(QPagedPaintDevice* device, std::unique_ptr<QPagedPaintDevice> owned,
                   QString deviceText)
    : device_(device), owned_(std::move(owned)), deviceText_(std::move(deviceText)) {}

PrintJob::~PrintJob() {
  End();
}

std::unique_ptr<PrintJob> PrintJob::ToPdf(const std::string& path) {
  auto writer = std::make_unique<QPdfWriter>(QString::fromStdString(path));
  writer->setResolution(kPdfDpi);
  writer->setPageSize(QPageSize(QPageSize::Letter));
  writer->setPageMargins(QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch);
  writer->setTitle("DPDESK");
  writer->setCreator("DESKpost");
  QPagedPaintDevice* device = writer.get();
  return std::unique_ptr<PrintJob>(
      new PrintJob(device, std::move(writer), "PDF,DESKpost," + QString::fromStdString(path)));
}

std::unique_ptr<PrintJob> PrintJob::ToPrinter(QWidget* owner) {
  QPrinter& printer = PrinterSettings();
  if (!Usable(printer)) {
    const QString file = PrintDialogs().PdfFileName(owner, "DPDESK.pdf");
    if (file.isEmpty()) return nullptr;
    return ToPdf(file.toStdString());
  }
  printer.setDocName("DPDESK");
  const QString port = printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName()
                                                                     : printer.printerName();
  return std::unique_ptr<PrintJob>(
      new PrintJob(&printer, nullptr, printer.printerName() + ",DESKpost," + port));
}

std::unique_ptr<PrintJob> PrintJob::StartOnPrinter(QWidget* owner, QString* error) {
  error->clear();
  if (g_running) {
    QApplication::beep();
    return nullptr;
  }
  std::unique_ptr<PrintJob> job = ToPrinter(owner);
  if (job && !job->Start(owner)) {
    *error = job->Error();
    return nullptr;
  }
  return job;
}

bool PrintJob::Running() {
  return g_running;
}

bool PrintJob::Start(QWidget* owner) {
  error_.clear();
  if (started_ || g_running) {
    error_ = "A print is running already.";
    return false;
  }
  painter_ = std::make_unique<QPainter>();
  if (!painter_->begin(device_)) {
    painter_.reset();
    error_ = "Error opening printer:\nDevice = " + deviceText_;
    return false;
  }
  started_ = true;
  g_running = true;
  pages_ = 1;
  if (owner && qobject_cast<QApplication*>(QCoreApplication::instance())) {
    auto* box = new QDialog(owner);
    box->setObjectName("ABORTDLG");
    box->setWindowTitle("DESKpost");
    box->setWindowModality(Qt::ApplicationModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(new QLabel("Printing...", box));
    auto* cancel = new QPushButton("Cancel", box);
    cancel->setAccessibleName("Cancel");
    layout->addWidget(cancel);
    QObject::connect(cancel, &QPushButton::clicked, box, [this] { Cancel(); });
    box->show();
    abortBox_ = box;
  }
  return true;
}

QPainter& PrintJob::Painter() {
  return *painter_;
}

QRect PrintJob::PageRect() const {
  return QRect(0, 0, device_->width(), device_->height());
}

int PrintJob::Dpi() const {
  return device_->logicalDpiY();
}

bool PrintJob::NewPage() {
  if (!started_ || !KeepGoing()) return false;
  if (!device_->newPage()) {
    failed_ = true;
    return false;
  }
  ++pages_;
  return true;
}

bool PrintJob::KeepGoing() {
  if (abortBox_) QCoreApplication::processEvents();
  return !cancelled_ && !failed_;
}

void PrintJob::Cancel() {
  cancelled_ = true;
}

QWidget* PrintJob::AbortBox() const {
  return abortBox_;
}

bool PrintJob::Draw(const PageDrawer& drawer) {
  if (!started_) return false;
  const bool drawn = drawer(*painter_, [this] { return NewPage(); });
  if (!drawn) failed_ = failed_ || !cancelled_;
  return drawn && KeepGoing();
}

bool PrintJob::End() {
  if (!started_) return false;
  started_ = false;
  g_running = false;
  if (cancelled_) {
    // What was drawn goes no further: a printer drops the document, a PDF
    // writer is given nothing more to say.
    if (auto* printer = dynamic_cast<QPrinter*>(device_)) printer->abort();
  }
  const bool ended = painter_->end();
  painter_.reset();
  if (abortBox_) abortBox_->close();
  owned_.reset();
  return ended && !cancelled_ && !failed_;
}
