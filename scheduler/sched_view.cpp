#include "scheduler/sched_view.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>

#include "data/local_time.h"
#include "data/office/dpmain.h"
#include "data/office/name_picking.h"
#include "data/schedule/sched_alarm.h"
#include "data/schedule/sched_time_text.h"
#include "scheduler/edit_sched_dialog.h"
#include "scheduler/goto_date_dialog.h"
#include "scheduler/sched_copy_dialog.h"
#include "scheduler/sched_dialogs.h"
#include "scheduler/sched_print.h"
#include "scheduler/sched_search.h"
#include "scheduler/sched_view_ics.h"
#include "scheduler/scheduler.h"
#include "storage/errors.h"
#include "toolkit/control_id.h"
#include "toolkit/names/name_picker.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace {

struct CommandButton {
  int id;
  const char* label;
};
const CommandButton kCommands[] = {
    {kViewDay, "&Day"},
    {kViewWeek, "&Week"},
    {kViewMonth, "&Month"},
    {SchedView::kIdToday, "&Today"},
    {SchedView::kIdGoTo, "&Go to"},
    {SchedView::kIdName, "&Name"},
    {SchedView::kIdAdd, "&Add"},
    {SchedView::kIdEdit, "&Edit"},
    {SchedView::kIdDelete, "De&lete"},
    {SchedView::kIdCopy, "&Copy"},
    {SchedView::kIdSearch, "&Search"},
    {SchedView::kIdPrint, "&Print"},
    {SchedView::kIdClose, "Close"},
};

}  // namespace

SchedView::SchedView(Scheduler& scheduler, const QString& resourceName)
    : TBaseDialog(nullptr), scheduler_(scheduler) {
  setObjectName(resourceName);
  layout_ = new QVBoxLayout(this);
  commands_ = new QHBoxLayout;
  for (const auto& c : kCommands) {
    auto* b = new QPushButton(c.label, this);
    b->setAutoDefault(false);
    SetControlId(b, c.id);
    NameControl(b, c.label);
    commands_->addWidget(b);
    buttons_[c.id] = b;
    const int id = c.id;
    connect(b, &QPushButton::clicked, this, [this, id] { Command(id); });
  }
  commands_->addStretch();
  layout_->addLayout(commands_);
  AddCalendarMenu(this, layout_);
  setWindowTitle(QString("Schedule for:  %1").arg(FromCp1252(scheduler_.Owner().name)));
}

SchedView::~SchedView() {
  if (table_.open) SchedClose(table_);
}

QPushButton* SchedView::Button(int id) const {
  auto it = buttons_.find(id);
  return it == buttons_.end() ? nullptr : it->second;
}

bool SchedView::Start() {
  ClearAppError();
  if (!SchedOpen(table_)) {
    ShowError();
    return false;
  }
  buttons_[kIdCopy]->setVisible(CopyOffered());
  PlaceWindow(*this, scheduler_.Placement());
  OpenModeless();
  if (!Reload()) {
    // The day the scheduler stood on cannot be shown: today can.
    scheduler_.SetCurrentDay(Today());
    Reload();
  }
  return true;
}

void SchedView::CloseWindow() {
  if (!IsOpen()) return;
  Closing();
  KeepPlacement(*this, scheduler_.Placement());
  if (table_.open) SchedClose(table_);
  CloseWith(0);
}

void SchedView::reject() {
  CloseWindow();
}

void SchedView::changeEvent(QEvent* event) {
  TBaseDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && IsOpen() &&
      scheduler_.Options().autoRefresh && table_.open) {
    const int32_t selected = SelectedRecord();
    if (Reload() && selected >= 0) SelectRecord(selected);
  }
}

void SchedView::WatchEntryKeys(QWidget* list) {
  list->installEventFilter(this);
}

bool SchedView::EntryKey(const QKeyEvent& event) {
  if (event.modifiers() & ~Qt::KeypadModifier) return false;
  if (event.key() == Qt::Key_Insert) {
    AddEntry();
    return true;
  }
  if (event.key() == Qt::Key_Delete) {
    // As the button does: nothing while no entry is selected.
    if (buttons_[kIdDelete]->isEnabled()) DeleteSelected();
    return true;
  }
  return false;
}

bool SchedView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && EntryKey(*static_cast<QKeyEvent*>(event))) return true;
  return TBaseDialog::eventFilter(watched, event);
}

void SchedView::keyPressEvent(QKeyEvent* event) {
  if (EntryKey(*event)) return;
  TBaseDialog::keyPressEvent(event);
}

void SchedView::EnableEntryCommands() {
  const bool entry = SelectedRecord() >= 0;
  buttons_[kIdDelete]->setEnabled(entry);
  buttons_[kIdCopy]->setEnabled(entry);
  buttons_[kIdEdit]->setEnabled(entry || SelectedSlotTime() != 0);
}

void SchedView::Command(int id) {
  switch (id) {
    case kViewDay:
    case kViewWeek:
    case kViewMonth:
      scheduler_.SwitchView(id);
      return;
    case kIdToday:
      MoveTo(Today());
      return;
    case kIdGoTo:
      GoToDate();
      return;
    case kIdName:
      ChooseOwner();
      return;
    case kIdAdd:
      AddEntry();
      return;
    case kIdEdit:
      EditSelected();
      return;
    case kIdDelete:
      DeleteSelected();
      return;
    case kIdCopy:
      CopySelected();
      return;
    case kIdSearch:
      Search();
      return;
    case kIdPrint:
      Print();
      return;
    case kIdClose:
      CloseWindow();
      return;
    default:
      return;
  }
}

bool SchedView::MoveTo(int32_t day) {
  const int32_t old = scheduler_.CurrentDay();
  scheduler_.SetCurrentDay(DayOf(day));
  if (Reload()) return true;
  scheduler_.SetCurrentDay(old);
  Reload();
  return false;
}

void SchedView::Refresh(int32_t select) {
  Reload();
  if (select >= 0) SelectRecord(select);
}

namespace {

EntrySaveContext ContextFor(Scheduler& scheduler) {
  EntrySaveContext context;
  context.owner = scheduler.Owner().number;
  context.ownerName = scheduler.Owner().name;
  context.user = CurrentUser().number;
  context.currentDay = scheduler.CurrentDay();
  return context;
}

}  // namespace

void SchedView::AddEntry(int32_t presetStart) {
  EntrySaveContext context = ContextFor(scheduler_);
  EntryDialogSetup setup;
  setup.presetStart = presetStart;
  setup.sendUpdateDefault = scheduler_.Options().sendUpdate;
  EditSchedDialog dialog(this, table_, context, setup);
  if (!dialog.Ready() || RunSchedDialog(dialog) != 1) return;
  scheduler_.SetCurrentDay(context.currentDay);
  Refresh(dialog.Saved().recordNumber);
}

void SchedView::EditSelected() {
  const int32_t record = SelectedRecord();
  if (record < 0) {
    const int32_t slot = SelectedSlotTime();
    if (slot != 0) AddEntry(slot);
    return;
  }
  EntrySaveContext context = ContextFor(scheduler_);
  EntryDialogSetup setup;
  setup.recordNumber = record;
  setup.sendUpdateDefault = scheduler_.Options().sendUpdate;
  EditSchedDialog dialog(this, table_, context, setup);
  if (!dialog.Ready() || RunSchedDialog(dialog) != 1) return;
  scheduler_.SetCurrentDay(context.currentDay);
  Refresh(dialog.Saved().recordNumber);
}

void SchedView::DeleteSelected() {
  if (!scheduler_.Options().schedDelete) {
    Prompter().Inform(kNoAccessRights);
    return;
  }
  const int32_t number = SelectedRecord();
  if (number < 0) {
    Prompter().Inform("No entry selected.");
    return;
  }
  SchedRecord entry;
  ClearAppError();
  if (!SchedRead(table_, number, &entry)) {
    // Another workstation deleted it: there is nothing left to delete.
    if (DbGetError() == kDbRecordDeleted) {
      DbClearError();
      Refresh(-1);
      return;
    }
    ShowError();
    return;
  }
  int choice = 0;  // just this one
  if (entry.RepeatGroup() != 0) {
    choice = Prompter().PickList("Delete Repeating Item",
                                 {"Just this one", "All", "This one and later ones"}, 0);
    if (choice < 0) return;
  }
  if (!Prompter().AskYesNo("Are you sure?")) return;
  ClearAppError();
  int ok = 1;
  if (choice == 0) {
    ok = SchedRemove(table_, number);
  } else {
    Prompter().Working(true, "Deleting schedule items...");
    ok = SchedRemoveGroup(table_, entry.Owner(), entry.RepeatGroup(),
                          choice == 2 ? entry.Start() : INT32_MIN);
    Prompter().Working(false);
  }
  if (!ok) ShowError();
  SchedFindNextAlarm(&table_, CurrentUser().number, &CurrentAlarm());
  Refresh(-1);
}

void SchedView::CopySelected() {
  const int32_t number = SelectedRecord();
  if (number < 0) return;
  SchedCopyDialog dialog(this, table_, number, scheduler_.Owner(), scheduler_.Options().sendUpdate);
  if (dialog.Ready()) RunSchedDialog(dialog);
}

void SchedView::ChooseOwner() {
  NamePickRequest request;
  request.mode = kPickOwnerOrCommon;
  request.passwordArea = kAreaScheduler;
  request.startEmpty = true;
  if (SelectName(this, request, scheduler_.Passwords()) == 0) return;
  const std::string name = request.slot.Name();
  if (name.empty()) return;
  ScheduleOwner owner{request.slot.Number(), name};
  if (NameIsEverybody(name) || name == kCommonScheduleName)
    owner = {kCommonScheduleOwner, kCommonScheduleName};
  scheduler_.SetOwner(owner);
  ShowOwner();
}

void SchedView::ShowOwner() {
  setWindowTitle(QString("Schedule for:  %1").arg(FromCp1252(scheduler_.Owner().name)));
  Refresh(-1);
}

void SchedView::GoToDate() {
  GotoDateDialog dialog(this, scheduler_.CurrentDay());
  if (RunSchedDialog(dialog) == 1) MoveTo(dialog.Day());
}

void SchedView::Search() {
  SchedSearchDialog dialog(this, table_, scheduler_.Owner().number);
  if (RunSchedDialog(dialog) != 1) return;
  if (MoveTo(dialog.ChosenDay())) SelectRecord(dialog.ChosenRecord());
}

void SchedView::Print() {
  SchedPrintRequest request;
  request.owner = scheduler_.Owner().number;
  request.ownerName = scheduler_.Owner().name;
  request.day = scheduler_.CurrentDay();
  request.presets = scheduler_.Options().presets;
  const int view = scheduler_.View();
  PrintSchedule(this, request,
                view == kViewWeek    ? SchedPage::kWeekly
                : view == kViewMonth ? SchedPage::kMonthly
                                     : SchedPage::kDaily);
}
