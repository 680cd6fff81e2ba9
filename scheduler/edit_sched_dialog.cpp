#include "scheduler/edit_sched_dialog.h"

#include <QCheckBox>
#include <QLineEdit>

#include "data/local_time.h"
#include "data/office/dpmain.h"
#include "data/schedule/sched_time_text.h"
#include "scheduler/repeat_dialogs.h"
#include "scheduler/sched_dialogs.h"
#include "storage/errors.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/choice_controls.h"
#include "toolkit/controls/date_control.h"
#include "toolkit/controls/edit_control.h"
#include "toolkit/controls/multiline_control.h"
#include "toolkit/form_builder.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace {

void Fill(char* buffer, size_t size, const std::string& text) {
  std::snprintf(buffer, size, "%s", text.c_str());
}

}  // namespace

SchedNoteDialog::SchedNoteDialog(QWidget* owner, const std::string& note)
    : TBaseDialog(owner, "Note") {
  setProperty("helpAnchor", "schedule-entry");
  Fill(note_, sizeof note_, note);
  FormBuilder form(this);
  FieldTextEdit* edit = form.MultiLine(QString(), kIdNote, 5);
  NameControl(edit, "Note");
  form.OkCancel(this);
  Bind<TMultiLineEditControl>(kIdNote, note_, sizeof note_);
}

EditSchedDialog::EditSchedDialog(QWidget* owner, SchedTable& handle, EntrySaveContext& context,
                                 const EntryDialogSetup& setup)
    : TBaseDialog(owner, "Schedule Entry"), handle_(handle), context_(context) {
  setProperty("helpAnchor", "schedule-entry");
  context_.editing = setup.recordNumber;
  SchedRecord record;
  if (setup.recordNumber >= 0) {
    ClearAppError();
    if (!SchedRead(handle_, setup.recordNumber, &record)) {
      ShowError();
      ready_ = false;
    }
  } else if (setup.presetStart != 0) {
    record.SetStart(setup.presetStart);
  }
  Fill(start_, sizeof start_, TimeFieldText(record.Start()));
  Fill(end_, sizeof end_, TimeFieldText(record.End()));
  Fill(alarm_, sizeof alarm_, TimeFieldText(record.Alarm()));
  Fill(description_, sizeof description_, record.Description());
  note_ = record.Note();
  date_ = record.Start() != 0 ? DayOf(record.Start()) : context_.currentDay;

  const bool common = context_.owner == kCommonScheduleOwner;
  sendUpdate_ = setup.sendUpdateDefault && context_.owner != context_.user && !common;

  FormBuilder form(this);
  const struct {
    const char* label;
    int id;
    int width;
  } fields[] = {{"&Date:", kIdDate, 9},
                {"&Start:", kIdStart, 8},
                {"&End:", kIdEnd, 8},
                {"&Alarm:", kIdAlarm, 8},
                {"Des&cription:", kIdDescription, 40}};
  for (const auto& f : fields) NameControl(form.Edit(f.label, f.id, f.width), f.label);
  noteBox_ = form.CheckBox("&Note:", kIdNote);
  NameControl(noteBox_, "&Note:");
  repeatBox_ = form.CheckBox("&Repeat:", kIdRepeat);
  NameControl(repeatBox_, "&Repeat:");
  const QString memoLabel = QString("Send update memo to %1").arg(FromCp1252(context_.ownerName));
  QCheckBox* memo = form.CheckBox(memoLabel, kIdSendUpdate);
  NameControl(memo, memoLabel);
  memo->setEnabled(!common);
  form.OkCancel(this);

  Bind<TDateControl>(kIdDate, &date_);
  Bind<TTimeEditControl>(kIdStart, start_, sizeof start_);
  Bind<TTimeEditControl>(kIdEnd, end_, sizeof end_);
  Bind<TTimeEditControl>(kIdAlarm, alarm_, sizeof alarm_);
  Bind<TEditControl>(kIdDescription, description_, sizeof description_);
  Bind<TCheckBoxControl>(kIdSendUpdate, &sendUpdate_);

  noteBox_->setChecked(!note_.empty());
  hadGroup_ = record.RepeatGroup() != 0;
  repeatBox_->setChecked(hadGroup_);
  // The boxes open their dialogs; what they show follows the outcome.
  connect(noteBox_, &QCheckBox::clicked, this, [this] { EditNote(); });
  connect(repeatBox_, &QCheckBox::clicked, this, [this] { ChooseRepeat(); });
}

void EditSchedDialog::EditNote() {
  SchedNoteDialog note(this, note_);
  if (RunSchedDialog(note) == 1) {
    note_ = note.Note();
    SetModified(1);
  }
  noteBox_->setChecked(!note_.empty());
}

void EditSchedDialog::ChooseRepeat() {
  auto* start = FindControlAs<QLineEdit>(this, kIdStart);
  int32_t day = date_;
  ParseDateText(ToCp1252(FindControlAs<QLineEdit>(this, kIdDate)->text()), &day);
  if (day == 0) day = context_.currentDay;
  int32_t startTime = ReadTimeText(ToCp1252(start->text()), day);
  if (startTime == 0) startTime = day;
  const int kind = RunRepeatDialogs(this, startTime, day, CurrentRepeatRules());
  if (kind != 0) {
    repeatKind_ = kind;
    SetModified(1);
  }
  repeatBox_->setChecked(repeatKind_ != 0 || hadGroup_);
}

void EditSchedDialog::Ok() {
  // OK leaves the field being typed in: its time is normalised as when
  // any other field is left.
  for (int id : {kIdStart, kIdEnd, kIdAlarm}) {
    auto* field = static_cast<TEditControl*>(Binding(id));
    const std::string typed = ToCp1252(field->Edit()->text());
    const std::string normal = NormaliseTimeText(typed);
    if (normal != typed) field->SetTextQuietly(FromCp1252(normal));
  }
  if (!TransferOut()) {
    Prompter().Inform("Invalid date");
    return;
  }
  EntryDialogValues values;
  values.date = date_;
  values.description = description_;
  values.startText = start_;
  values.endText = end_;
  values.alarmText = alarm_;
  values.note = note_;
  values.repeatKind = repeatKind_;
  values.sendUpdate = sendUpdate_ != 0;
  int working = 0;
  context_.ask = [&working](const std::string& question) {
    const bool yes = Prompter().AskYesNo(QString::fromStdString(question));
    if (yes) {
      Prompter().Working(true, "Changing schedule items...");
      ++working;
    }
    return yes;
  };
  if (repeatKind_ != 0) {
    Prompter().Working(true, "Adding schedule items...");
    ++working;
  }
  const int closed = SchedSaveEntry(handle_, values, context_, &saved_);
  while (working-- > 0) Prompter().Working(false);
  context_.ask = nullptr;
  if (!closed) {
    if (!saved_.message.empty()) {
      Prompter().Inform(QString::fromStdString(saved_.message));
    } else {
      ShowError();
    }
    return;
  }
  // The entry is stored; a step after it that failed is told, and the
  // dialog closes all the same.
  if (!saved_.afterSave.empty()) Prompter().Inform(FromCp1252(saved_.afterSave));
  CloseWith(1);
}
