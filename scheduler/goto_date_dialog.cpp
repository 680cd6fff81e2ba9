#include "scheduler/goto_date_dialog.h"

#include <QPushButton>

#include "data/local_time.h"
#include "scheduler/sched_dialogs.h"
#include "toolkit/controls/date_control.h"
#include "toolkit/form_builder.h"
#include "toolkit/prompts.h"

GotoDateDialog::GotoDateDialog(QWidget* owner, int32_t currentDay)
    : TBaseDialog(owner, "Go to date"), day_(currentDay) {
  setProperty("helpAnchor", "go-to-date");
  FormBuilder form(this);
  NameControl(form.Edit("Go to:", kIdDate, 9), "Go to:");
  QPushButton* today = form.Button("&Today", kIdToday);
  form.OkCancel(this);
  Bind<TDateControl>(kIdDate, &day_);
  connect(today, &QPushButton::clicked, this, [this] {
    day_ = Today();
    CloseWith(1);
  });
}

void GotoDateDialog::Ok() {
  if (!TransferOut() || day_ == 0) {
    Prompter().Inform("Invalid date");
    return;
  }
  CloseWith(1);
}
