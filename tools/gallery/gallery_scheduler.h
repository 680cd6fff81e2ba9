// The scheduler's and the to-do list's windows for the gallery: the day
// view with preset hours and overlapping entries, the week and month
// views, every dialog, the alarm window and the to-do layouts, on a small
// office in a scratch directory with the clock standing on a Tuesday
// morning.
#pragma once

#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data/office/passwords.h"
#include "data/schedule/dpsched.h"
#include "data/schedule/dptodo.h"
#include "data/schedule/sched_alarm.h"
#include "data/schedule/sched_entry_save.h"
#include "data/schedule/sched_repeat.h"

class QWidget;
class Scheduler;
class TodoList;
class TBaseDialog;

class GalleryScheduler {
 public:
  GalleryScheduler();
  ~GalleryScheduler();
  std::vector<std::pair<const char*, QWidget*>> Windows();
  void Close();

 private:
  QTemporaryDir dir_;
  NoPasswords passwords_;
  std::unique_ptr<Scheduler> day_;
  std::unique_ptr<Scheduler> week_;
  std::unique_ptr<Scheduler> month_;
  std::unique_ptr<TodoList> todoDay_;
  std::unique_ptr<TodoList> todoWeek_;
  std::unique_ptr<TodoList> todoMonth_;
  SchedTable table_;
  TodoTable todoTable_;
  EntrySaveContext context_;
  RepeatRules rules_;
  AlarmState alarm_;
  std::vector<std::pair<const char*, std::unique_ptr<TBaseDialog>>> dialogs_;
};
