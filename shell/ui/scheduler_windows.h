// The main window's Scheduler (254) and To-do list (255) commands. The
// Scheduler command shows a pending alarm first (SHOWALARM), and after
// someone else changed the user's schedule it opens on the user's own
// schedule and stops the Scheduler button's blink.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "data/office/passwords.h"
#include "shell/poll_alert.h"
#include "shell/ui/window_hooks.h"

class Scheduler;
class TodoList;

// The Scheduler command: the pending alarm, then the schedule.
void RunSchedulerCommand(Scheduler& scheduler, PollAlert& alerts, QWidget* owner);

class SchedulerWindows {
 public:
  SchedulerWindows(const std::string& iniPath, PasswordPrompt& passwords);
  ~SchedulerWindows();
  // Adds the commands; alerts gives the main window's alert machine once
  // the window exists.
  void Install(DpWinHooks& hooks, std::function<PollAlert*()> alerts);
  Scheduler& Schedule() { return *scheduler_; }
  TodoList& Todo() { return *todo_; }
  // Closes the windows (and their tables), as the program ends.
  void CloseAll();

 private:
  std::unique_ptr<Scheduler> scheduler_;
  std::unique_ptr<TodoList> todo_;
};
