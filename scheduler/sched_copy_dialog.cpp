#include "scheduler/sched_copy_dialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "data/office/dpmain.h"
#include "data/schedule/sched_update_memo.h"
#include "scheduler/sched_dialogs.h"
#include "storage/errors.h"
#include "storage/records/field.h"
#include "toolkit/controls/choice_controls.h"
#include "toolkit/controls/picker_controls.h"
#include "toolkit/form_builder.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

SchedCopyDialog::SchedCopyDialog(QWidget* owner, SchedTable& handle, int32_t recordNumber,
                                 const ScheduleOwner& scheduleOwner, bool sendMemoDefault)
    : TBaseDialog(owner, "Copy to:"),
      handle_(handle),
      recordNumber_(recordNumber),
      scheduleOwner_(scheduleOwner),
      picker_(this) {
  setProperty("helpAnchor", "schedule-copy");
  SchedRecord entry;
  ClearAppError();
  if (!SchedRead(handle_, recordNumber_, &entry)) {
    ShowError();
    ready_ = false;
  }
  sendMemo_ = sendMemoDefault ? 1 : 0;
  FormBuilder form(this);
  NameControl(form.Edit("Recipient:", kIdTo, 19), "To");
  QCheckBox* memo = form.CheckBox("Send notify memo to recipient(s)", kIdSendMemo);
  NameControl(memo, memo->text());
  QCheckBox* repeats = form.CheckBox("Copy repeating items", kIdCopyRepeats);
  NameControl(repeats, repeats->text());
  repeats->setEnabled(entry.RepeatGroup() != 0);
  QPushButton* to = form.Button("&To:", kIdToButton);
  form.OkCancel(this);
  auto* field = Bind<TToControl>(kIdTo, nameRecord_, tags_, kPickEverything, &picker_);
  Bind<TCheckBoxControl>(kIdSendMemo, &sendMemo_);
  Bind<TCheckBoxControl>(kIdCopyRepeats, &copyRepeats_);
  connect(to, &QPushButton::clicked, this, [this, field] {
    if (picker_.PickName(nameRecord_, tags_, kPickEverything, "")) field->TransferIn();
  });
}

void SchedCopyDialog::Ok() {
  TransferOut();
  SchedCopyRequest request;
  request.recordNumber = recordNumber_;
  request.owner = scheduleOwner_.number;
  request.recipient = FieldText(nameRecord_, records::name::kName);
  request.tagged = TagSetNumbers(tags_);
  request.sendMemo = sendMemo_ != 0;
  request.copyRepeats = copyRepeats_ != 0;
  if (request.recipient.empty()) {
    Prompter().Inform("Please select recipient(s)");
    return;
  }
  Prompter().Working(true, "Copying schedule items...");
  ClearAppError();
  const int ok = SchedCopyToRecipients(
      handle_, request, [](const std::string& text) { Prompter().Inform(FromCp1252(text)); });
  Prompter().Working(false);
  if (!ok) ShowError();
  CloseWith(1);
}
