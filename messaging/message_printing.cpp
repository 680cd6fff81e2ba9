#include "messaging/message_printing.h"

#include "data/office/dpmain.h"
#include "printing/line_printer.h"
#include "printing/print_job.h"
#include "storage/errors.h"
#include "toolkit/prompts.h"

MessageHeadingOf PrintHeadingOf(const ListRequest& request) {
  MessageHeadingOf h;
  h.sendLog = request.sendLog;
  h.person = request.ownerName;
  h.folderName = request.folderName;
  if (request.search || request.view == kViewAllFolders) {
    h.view = PrintedView::kSearch;
  } else if (request.view == kViewArchive) {
    h.view = PrintedView::kArchive;
  } else if (request.view == kViewFolder) {
    h.view = PrintedView::kFolder;
  } else {
    h.view = PrintedView::kNew;
  }
  return h;
}

bool PrintMessageRows(QWidget* owner, const ListRequest& request,
                      const std::vector<MessageRef>& messages) {
  QString error;
  auto job = PrintJob::StartOnPrinter(owner, &error);
  if (!job) {
    if (!error.isEmpty()) Prompter().Inform(error);
    return false;
  }
  std::vector<std::string> warnings;
  int ok = 1;
  {
    LinePrinter printer(*job);
    ClearAppError();
    ok = PrintMessages(printer, PrintHeadingOf(request), messages, &warnings);
  }
  const bool ended = job->End();
  if (!ok && AppErrorCode() != 0) ShowError();
  for (const std::string& w : warnings) Prompter().Inform(QString::fromStdString(w));
  return ok && ended;
}
