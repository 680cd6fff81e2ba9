// The main window's Scheduler (254) and To-do list (255) commands. The
// Scheduler command shows a pending alarm first (SHOWALARM), and after
// someone else changed the user's schedule it opens on the user's own
// schedule and stops the Scheduler button's blink.
//
// The two windows open where the window state records SchedState and
// TodoState put them, and give their placement back to the main window's
// settings whenever they close, and when the main window closes while
// they are open, so the records written at the end are up to date.
#pragma once

#include <QObject>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "data/office/passwords.h"
#include "shell/poll_alert.h"
#include "shell/ui/window_hooks.h"

class DpWin;
class Scheduler;
class TodoList;

// The Scheduler command: the pending alarm, then the schedule.
void RunSchedulerCommand(Scheduler& scheduler, PollAlert& alerts, QWidget* owner);

class SchedulerWindows : public QObject {
  Q_OBJECT
 public:
  SchedulerWindows(const std::string& iniPath, PasswordPrompt& passwords);
  ~SchedulerWindows() override;
  // Adds the commands; alerts gives the main window's alert machine once
  // the window exists.
  void Install(DpWinHooks& hooks, std::function<PollAlert*()> alerts);
  // Once the main window exists: the placements of its settings.
  void Start(DpWin& window);
  Scheduler& Schedule() { return *scheduler_; }
  TodoList& Todo() { return *todo_; }
  // Closes the windows (and their tables), as the program ends.
  void CloseAll();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::unique_ptr<Scheduler> scheduler_;
  std::unique_ptr<TodoList> todo_;
  DpWin* window_ = nullptr;
};
