#include "scheduler/scheduler.h"

#include "data/clock.h"
#include "data/local_time.h"
#include "data/office/dpmain.h"
#include "data/schedule/sched_time_text.h"
#include "scheduler/day_sched_view.h"
#include "scheduler/month_view.h"
#include "scheduler/week_view.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

Scheduler::Scheduler(std::string iniPath, PasswordPrompt& passwords)
    : iniPath_(std::move(iniPath)), passwords_(passwords) {}

Scheduler::~Scheduler() {
  Retire();
  for (auto& old : retired_) delete old.data();
}

SchedView* Scheduler::Window() const {
  return window_ && window_->IsOpen() ? window_ : nullptr;
}

SchedTable* Scheduler::OpenTable() {
  return Window() && window_->Table().open ? &window_->Table() : nullptr;
}

void Scheduler::Retire() {
  if (!window_) return;
  SchedView* old = window_;
  window_ = nullptr;
  old->CloseWindow();
  old->deleteLater();
  retired_.push_back(old);
}

bool Scheduler::Open() {
  if (!optionsRead_) {
    optionsRead_ = true;
    options_ = ReadSchedOptions(iniPath_);
    if (!ownerSet_) {
      owner_ = {CurrentUser().number, CurrentUser().name};
      std::string message;
      if (!DefaultScheduleOwner(options_.defaultSchedule, &owner_, &message))
        Prompter().Inform(FromCp1252(message));
      ownerSet_ = true;
    }
  }
  if (Window()) {
    window_->raise();
    window_->activateWindow();
    return true;
  }
  Retire();
  if (owner_.number != kCommonScheduleOwner && !CheckArea(owner_.name, kAreaScheduler, passwords_))
    return false;
  return Make(view_) != nullptr;
}

SchedView* Scheduler::Make(int kind) {
  if (!InDateRange(ClockNow())) {
    Prompter().Inform("Date must be between 1980 and 2037.");
    return nullptr;
  }
  if (currentDay_ == 0) currentDay_ = Today();
  view_ = kind;
  SchedView* view = nullptr;
  if (kind == kViewWeek) {
    view = new WeekSchedView(*this);
  } else if (kind == kViewMonth) {
    view = new MonthSchedView(*this);
  } else {
    view = new DaySchedView(*this);
  }
  if (!view->Start()) {
    delete view;
    return nullptr;
  }
  window_ = view;
  return view;
}

void Scheduler::SwitchView(int kind) {
  Retire();
  Make(kind);
}

void Scheduler::ShowOwner(const ScheduleOwner& owner) {
  SetOwner(owner);
  if (SchedView* view = Window()) view->ShowOwner();
}

void Scheduler::KeepOpenPlacement() {
  if (SchedView* view = Window()) KeepPlacement(*view, placement_);
}

void Scheduler::Close() {
  if (window_) window_->CloseWindow();
}
