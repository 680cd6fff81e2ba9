#include "scheduler/sched_print.h"

#include "data/local_time.h"
#include "data/office/datadir.h"
#include "printing/print_job.h"
#include "printing/schedule_print.h"
#include "scheduler/sched_dialogs.h"
#include "toolkit/controls/date_control.h"
#include "toolkit/form_builder.h"
#include "toolkit/prompts.h"

PrintDatesDialog::PrintDatesDialog(QWidget* owner, int32_t day)
    : TBaseDialog(owner, "Print Weekly"),
      from_(PrintWeekMonday(day)),
      to_(AddDays(PrintWeekMonday(day), 6)) {
  setObjectName("GET_DATES");
  FormBuilder form(this);
  NameControl(form.Edit("Print from:", kIdFrom, 9), "Print from:");
  NameControl(form.Edit("to:", kIdTo, 9), "to:");
  form.OkCancel(this);
  Bind<TDateControl>(kIdFrom, &from_);
  Bind<TDateControl>(kIdTo, &to_);
}

void PrintDatesDialog::Ok() {
  if (!TransferOut() || from_ == 0 || to_ == 0) {
    Prompter().Inform("Invalid date.");
    return;
  }
  // A range that ends before it starts would print an empty document.
  if (to_ < from_) {
    Prompter().Inform("The last date must not be before the first.");
    return;
  }
  CloseWith(1);
}

namespace {

// Runs the print on the job of the run; the failure, when there is one,
// is said, unless the user stopped the print with the abort box.
bool RunPrint(QWidget* owner, const SchedPrintRequest& request, SchedPage page, int32_t from,
              int32_t to) {
  QString error;
  auto job = PrintJob::StartOnPrinter(owner, &error);
  if (!job) {
    if (!error.isEmpty()) Prompter().Inform(error);
    return false;
  }
  ScheduleRequest r;
  r.dataDirectory = DataDirectory();
  r.owner = request.owner;
  r.ownerName = request.ownerName;
  r.day = request.day;
  r.today = Today();
  r.presets = request.presets;
  PrintOutcome outcome;
  job->Draw([&](QPainter& painter, const std::function<bool()>& newPage) {
    PrintTarget target;
    target.painter = &painter;
    target.page = QRectF(job->PageRect());
    target.newPage = newPage;
    if (page == SchedPage::kWeekly) {
      outcome = PrintWeeklySchedule(target, r, from, to);
    } else if (page == SchedPage::kMonthly) {
      outcome = PrintMonthlySchedule(target, r);
    } else {
      outcome = PrintDailySchedule(target, r);
    }
    return outcome.ok;
  });
  const bool cancelled = job->Cancelled();
  const bool ended = job->End();
  if (!outcome.ok && !cancelled) Prompter().Inform(QString::fromStdString(outcome.message));
  return outcome.ok && ended;
}

}  // namespace

bool PrintSchedulePage(QWidget* owner, const SchedPrintRequest& request, SchedPage page) {
  int32_t from = 0, to = 0;
  if (page == SchedPage::kWeekly) {
    PrintDatesDialog dates(owner, request.day);
    if (RunSchedDialog(dates) != 1) return false;
    from = dates.From();
    to = dates.To();
  }
  return RunPrint(owner, request, page, from, to);
}

bool PrintSchedule(QWidget* owner, const SchedPrintRequest& request, SchedPage shown) {
  // The texts carry their trailing blanks, as the list has always shown.
  const int choice =
      Prompter().PickList("Print Schedule", {"DAILY  ", "WEEKLY ", "MONTHLY"}, int(shown));
  if (choice < 0 || choice > 2) return false;
  return PrintSchedulePage(owner, request, SchedPage(choice));
}
