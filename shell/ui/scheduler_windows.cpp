#include "shell/ui/scheduler_windows.h"

#include "data/office/dpmain.h"
#include "data/schedule/sched_alarm.h"
#include "scheduler/sched_dialogs.h"
#include "scheduler/scheduler.h"
#include "scheduler/show_alarm_dialog.h"
#include "scheduler/todo_window.h"
#include "shell/toolbar_layout.h"

void RunSchedulerCommand(Scheduler& scheduler, PollAlert& alerts, QWidget* owner) {
  if (alerts.AlarmPending()) {
    ShowAlarmDialog alarm(owner, CurrentAlarm());
    RunSchedDialog(alarm);
    CurrentAlarm().pending = false;
    alerts.AlarmShown();
  }
  if (alerts.ScheduleChanged()) {
    alerts.ScheduleShown();
    scheduler.ShowOwner({CurrentUser().number, CurrentUser().name});
  }
  scheduler.Open();
}

SchedulerWindows::SchedulerWindows(const std::string& iniPath, PasswordPrompt& passwords)
    : scheduler_(std::make_unique<Scheduler>(iniPath, passwords)),
      todo_(std::make_unique<TodoList>(iniPath, passwords)) {}

SchedulerWindows::~SchedulerWindows() = default;

void SchedulerWindows::CloseAll() {
  scheduler_->Close();
  todo_->Close();
}

void SchedulerWindows::Install(DpWinHooks& hooks, std::function<PollAlert*()> alerts) {
  hooks.windows[kCmdScheduler] = [this, alerts] {
    PollAlert* machine = alerts ? alerts() : nullptr;
    if (machine) {
      RunSchedulerCommand(*scheduler_, *machine, nullptr);
    } else {
      scheduler_->Open();
    }
  };
  hooks.windows[kCmdTodo] = [this] { todo_->Open(); };
}
