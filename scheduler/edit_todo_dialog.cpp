#include "scheduler/edit_todo_dialog.h"

#include <cstdio>

#include "data/office/dpmain.h"
#include "scheduler/sched_dialogs.h"
#include "storage/errors.h"
#include "toolkit/controls/edit_control.h"
#include "toolkit/controls/multiline_control.h"
#include "toolkit/form_builder.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace {

constexpr const char* kDuplicate = "Duplicate entry.";
constexpr const char* kFull = "Maximum of 256 to-do items reached.";

// Tells why an add or update was refused; an engine error goes to the
// shared error box.
void TellRefusal() {
  if (TodoDuplicate() || AppErrorCode() == kAppDuplicate) {
    Prompter().Inform(kDuplicate);
  } else if (AppErrorCode() == kAppMaxRecords) {
    Prompter().Inform(kFull);
  } else {
    ShowError();
  }
}

}  // namespace

EditTodoDialog::EditTodoDialog(QWidget* owner, TodoTable& handle, int32_t recordNumber,
                               int32_t listOwner, int32_t day)
    : TBaseDialog(owner, "To-do Entry"),
      handle_(handle),
      recordNumber_(recordNumber),
      listOwner_(listOwner),
      day_(day) {
  setProperty("helpAnchor", "todo-item");
  if (recordNumber_ >= 0) {
    ClearAppError();
    if (!TodoRead(handle_, recordNumber_, &saved_)) {
      ShowError();
      ready_ = false;
    }
    std::snprintf(priority_, sizeof priority_, "%s", saved_.Priority().c_str());
    std::snprintf(text_, sizeof text_, "%s", saved_.Text().c_str());
  }
  FormBuilder form(this);
  NameControl(form.Edit("Priority:", kIdPriority, 4), "Priority:");
  NameControl(form.MultiLine("&Text:", kIdText, 5), "&Text:");
  form.OkCancel(this);
  Bind<TEditControl>(kIdPriority, priority_, sizeof priority_);
  Bind<TMultiLineEditControl>(kIdText, text_, sizeof text_);
}

void EditTodoDialog::Ok() {
  TransferOut();
  const std::string problem = TodoPriorityProblem(priority_);
  if (!problem.empty()) {
    Prompter().Inform(FromCp1252(problem));
    return;
  }
  TodoRecord record;
  bool adding = recordNumber_ < 0;
  if (!adding) {
    ClearAppError();
    if (!TodoRead(handle_, recordNumber_, &record)) {
      if (DbGetError() != kDbRecordDeleted) {
        ShowError();
        return;
      }
      DbClearError();
      record = saved_;  // deleted meanwhile: the save becomes an add
      record.SetUniqueId(0);
      adding = true;
    }
  } else {
    record.SetOwner(listOwner_);
    record.SetDate(day_);
  }
  record.SetPriority(priority_);
  record.SetText(text_);
  ClearAppError();
  if (adding) {
    if (!TodoAdd(handle_, record)) {
      TellRefusal();
      return;
    }
  } else if (!TodoUpdate(handle_, recordNumber_, record)) {
    if (TodoDuplicate() || AppErrorCode() == kAppDuplicate) {
      // The item is as it was: the dialog closes as after a save.
      Prompter().Inform(kDuplicate);
      CloseWith(1);
      return;
    }
    record.SetUniqueId(0);
    ClearAppError();
    if (!TodoAdd(handle_, record)) {
      TellRefusal();
      return;
    }
  }
  saved_ = record;
  CloseWith(1);
}
