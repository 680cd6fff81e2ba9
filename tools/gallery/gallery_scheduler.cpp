#include "tools/gallery/gallery_scheduler.h"

#include "data/clock.h"
#include "data/local_time.h"
#include "data/office/datadir.h"
#include "data/office/dpname.h"
#include "data/office/empty_office.h"
#include "data/schedule/sched_time_text.h"
#include "scheduler/day_sched_view.h"
#include "scheduler/edit_sched_dialog.h"
#include "scheduler/edit_todo_dialog.h"
#include "scheduler/goto_date_dialog.h"
#include "scheduler/repeat_dialogs.h"
#include "scheduler/sched_copy_dialog.h"
#include "scheduler/sched_print.h"
#include "scheduler/sched_search.h"
#include "scheduler/scheduler.h"
#include "scheduler/show_alarm_dialog.h"
#include "scheduler/todo_window.h"
#include "storage/catalogue.h"

namespace {

int32_t At(int day, int hour = 0, int minute = 0) {
  return FromLocal(2027, 3, day, hour, minute);
}

}  // namespace

GalleryScheduler::GalleryScheduler() {
  const std::string path = dir_.path().toStdString() + "/";
  CreateEmptyOffice(path);
  SetDataDirectory(path);
  const int32_t now = At(16, 9, 10);
  SetClock([now] { return now; });
  NameTable names;
  NameEntry anne;
  if (!NameOpen(names)) return;
  for (const char* n : {"ANNE", "BOB", "CAROL"}) NameAdd(names, n);
  NameFind(names, "ANNE", &anne);
  NameClose(names);
  const int32_t owner = anne.Number();

  if (!SchedOpen(table_) || !TodoOpen(todoTable_)) return;
  auto add = [&](int day, int h, int m, const char* text, int endH = -1, int endM = 0,
                 int alarmM = -1) {
    SchedRecord r;
    r.SetOwner(owner);
    r.SetStart(h < 0 ? At(day) : At(day, h, m));
    if (endH >= 0) r.SetEnd(At(day, endH, endM));
    if (alarmM >= 0) r.SetAlarm(At(day, h, alarmM));
    r.SetDescription(text);
    if (std::string(text) == "Team meeting") r.SetNote("Bring the budget figures.");
    int32_t number = -1;
    SchedAdd(table_, r, &number);
    return number;
  };
  add(16, -1, 0, "Office closed at 4");
  const int32_t meeting = add(16, 10, 0, "Team meeting", 12, 0, 55);
  add(16, 10, 30, "Call the printer", 11, 30);
  add(16, 11, 0, "Coffee with Bob");
  add(16, 14, 0, "Interview: new receptionist");
  add(15, 9, 0, "Stand-up");
  add(17, 9, 0, "Stand-up");
  add(18, 13, 0, "Lunch at the caf\xE9");
  for (int i = 0; i < 6; ++i) add(22, 8 + i, 0, "Training day");
  auto item = [&](int day, const char* priority, const char* text, bool done) {
    TodoRecord r;
    r.SetOwner(owner);
    r.SetDate(At(day));
    r.SetPriority(priority);
    r.SetText(text);
    if (done) r.SetStatus(records::todo::kStatusDone);
    TodoAdd(todoTable_, r);
  };
  item(12, "1", "Send the quarterly report", false);
  item(16, "2", "Order printer paper", false);
  item(16, "1", "Call the bank", true);
  item(18, "3", "Book the training room", false);

  const ScheduleOwner anneOwner{owner, "ANNE"};
  auto open = [&](std::unique_ptr<Scheduler>& s, int kind) {
    s = std::make_unique<Scheduler>("", passwords_);
    s->SetOwner(anneOwner);
    s->SetCurrentDay(At(16));
    s->Open();
    s->Options().usePresets = true;
    if (kind != kViewDay) s->SwitchView(kind);
    if (s->Window()) s->Window()->Reload();
  };
  open(day_, kViewDay);
  if (auto* view = qobject_cast<DaySchedView*>(day_->Window())) view->SelectRecord(meeting);
  open(week_, kViewWeek);
  open(month_, kViewMonth);
  auto openTodo = [&](std::unique_ptr<TodoList>& t, int kind) {
    t = std::make_unique<TodoList>("", passwords_);
    t->SetOwner(anneOwner);
    t->SetCurrentDay(At(16));
    t->Open();
    if (kind != kViewDay) t->SwitchView(kind);
  };
  openTodo(todoDay_, kViewDay);
  openTodo(todoWeek_, kViewWeek);
  openTodo(todoMonth_, kViewMonth);

  context_.owner = owner;
  context_.ownerName = "ANNE";
  context_.user = owner + 1;  // as BOB edits ANNE's schedule
  context_.currentDay = At(16);
  EntryDialogSetup setup;
  setup.recordNumber = meeting;
  dialogs_.emplace_back("edit-schedule",
                        std::make_unique<EditSchedDialog>(nullptr, table_, context_, setup));
  dialogs_.emplace_back("schedule-note",
                        std::make_unique<SchedNoteDialog>(nullptr, "Bring the budget figures."));
  const int32_t start = At(16, 10);
  dialogs_.emplace_back("repeat-daily",
                        std::make_unique<RepeatDailyDialog>(nullptr, start, At(16), rules_));
  dialogs_.emplace_back("repeat-weekly",
                        std::make_unique<RepeatWeeklyDialog>(nullptr, start, At(16), rules_));
  dialogs_.emplace_back("repeat-monthly",
                        std::make_unique<RepeatMonthlyDialog>(nullptr, start, At(16), rules_));
  dialogs_.emplace_back("repeat-yearly",
                        std::make_unique<RepeatYearlyDialog>(nullptr, start, At(16), rules_));
  dialogs_.emplace_back("go-to-date", std::make_unique<GotoDateDialog>(nullptr, At(16)));
  auto search = std::make_unique<SchedSearchDialog>(nullptr, table_, owner);
  SchedSearchDialog* searchDialog = search.get();
  dialogs_.emplace_back("search-schedule", std::move(search));
  dialogs_.emplace_back("copy-schedule", std::make_unique<SchedCopyDialog>(nullptr, table_, meeting,
                                                                           anneOwner, true));
  dialogs_.emplace_back("print-weekly", std::make_unique<PrintDatesDialog>(nullptr, At(16)));
  SchedFindNextAlarm(&table_, owner, &alarm_);
  dialogs_.emplace_back("alarm", std::make_unique<ShowAlarmDialog>(nullptr, alarm_));
  dialogs_.emplace_back("edit-todo",
                        std::make_unique<EditTodoDialog>(nullptr, todoTable_, -1, owner, At(16)));
  for (auto& [name, dialog] : dialogs_) {
    dialog->OpenModeless();
    dialog->hide();
  }
  (void)searchDialog;
}

GalleryScheduler::~GalleryScheduler() {
  Close();
  dialogs_.clear();
  day_.reset();
  week_.reset();
  month_.reset();
  todoDay_.reset();
  todoWeek_.reset();
  todoMonth_.reset();
  if (table_.open) SchedClose(table_);
  if (todoTable_.open) TodoClose(todoTable_);
  SetClock(nullptr);
}

std::vector<std::pair<const char*, QWidget*>> GalleryScheduler::Windows() {
  std::vector<std::pair<const char*, QWidget*>> windows;
  const std::pair<const char*, Scheduler*> views[] = {{"schedule-day", day_.get()},
                                                      {"schedule-week", week_.get()},
                                                      {"schedule-month", month_.get()}};
  for (const auto& [name, s] : views)
    if (s && s->Window()) windows.emplace_back(name, s->Window());
  const std::pair<const char*, TodoList*> todos[] = {{"todo-day", todoDay_.get()},
                                                     {"todo-week", todoWeek_.get()},
                                                     {"todo-month", todoMonth_.get()}};
  for (const auto& [name, t] : todos)
    if (t && t->Window()) windows.emplace_back(name, t->Window());
  for (auto& [name, dialog] : dialogs_) windows.emplace_back(name, dialog.get());
  return windows;
}

void GalleryScheduler::Close() {
  for (auto& [name, dialog] : dialogs_)
    if (dialog->IsOpen()) dialog->CloseWith(0);
  for (Scheduler* s : {day_.get(), week_.get(), month_.get()})
    if (s) s->Close();
  for (TodoList* t : {todoDay_.get(), todoWeek_.get(), todoMonth_.get()})
    if (t) t->Close();
}
