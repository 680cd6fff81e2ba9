// The shared window office for the scheduler and to-do windows' tests: the
// people ANNE, BOB and CAROL, ANNE signed in with a workstation INI file,
// New York's time zone, the day's clock the test sets, schedule entries
// made and read as another workstation would, and every dialog the windows
// open (the scheduler's own and the name picker) answered from DialogSteps;
// and the grids read as the view and a screen reader read them.
#pragma once

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QTableView>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/schedule/dpsched.h"
#include "data/schedule/sched_alarm.h"
#include "scheduler/day_sched_view.h"
#include "scheduler/sched_dialogs.h"
#include "scheduler/scheduler.h"
#include "tests/support/window_office.h"
#include "toolkit/names/name_dialog_runner.h"
#include "toolkit/scripted_prompts.h"

class SchedOffice : public WindowOffice {
 public:
  SchedOffice() : WindowOffice({"ANNE", "BOB", "CAROL"}, "America/New_York") {
    // ANNE's workstation starts with the INI file as it is written.
    if (ok) WriteIni(iniLines);
    ok = ok && Start("ANNE", Ini());
    DbClearError();
    ClearAppError();
  }
  ~SchedOffice() { CurrentAlarm() = AlarmState(); }

  void StandOn(int year, int month, int day, int hour, int minute = 0) {
    now = FromLocal(year, month, day, hour, minute);
  }
  static int32_t At(int year, int month, int day, int hour = 0, int minute = 0) {
    return FromLocal(year, month, day, hour, minute);
  }

  std::string Ini() const { return config.File("DPDESK.INI"); }
  void WriteIni(const std::string& lines) {
    iniLines = lines;
    std::ofstream(Ini(), std::ios::trunc) << "[DESKpost]\nPath=" << dir.Path() << "\n" << lines;
  }

  // The memo texts in the person's in-box.
  std::vector<std::string> MemosTo(const std::string& name) {
    std::vector<std::string> out;
    for (const MessageRecord& r : Messages())
      if (r.To() == name && r.Kind() == records::message::kKindMemo)
        out.push_back(FieldText(r.bytes, records::message::kMemoText));
    DbClearError();
    ClearAppError();
    return out;
  }

  // The descriptions of the owner's entries on a day, in key order.
  std::vector<std::string> Day(int32_t owner, int32_t day) {
    std::vector<std::string> out;
    SchedTable handle;
    if (!SchedOpen(handle)) return out;
    SchedKey key;
    if (SchedFindFirst(handle, day, owner, &key)) {
      do {
        if (key.Owner() != owner || DayOf(key.Start()) != DayOf(day)) break;
        SchedRecord r;
        if (SchedRead(handle, key.RecordNumber(), &r)) out.push_back(r.Description());
      } while (SchedNext(handle, &key));
    }
    SchedClose(handle);
    ClearAppError();
    DbClearError();
    return out;
  }
  int32_t Add(SchedRecord r) {
    SchedTable handle;
    int32_t number = -1;
    if (SchedOpen(handle)) {
      SchedAdd(handle, r, &number);
      SchedClose(handle);
    }
    return number;
  }
  static SchedRecord Entry(int32_t owner, int32_t start, const std::string& text, int32_t end = 0,
                           int32_t alarm = 0) {
    SchedRecord r;
    r.SetOwner(owner);
    r.SetStart(start);
    r.SetEnd(end);
    r.SetAlarm(alarm);
    r.SetDescription(text);
    return r;
  }

  TempDir config;
  std::string iniLines;
};

class DialogSteps : public DialogQueue {
 public:
  DialogSteps() : DialogQueue({SetSchedDialogRunner, SetNameDialogRunner}) {}
};

using ScriptedPasswordAnswers = ScriptedPasswords;

// What every scheduler window test keeps: the office, the scripted prompts,
// the dialogs' steps, the password answers and the scheduler opened, made
// afresh for each test function and let go in the reverse order. A test
// class takes it as a second base beside QObject.
template <class Prompts = ScriptedPrompts>
class SchedWindowSet {
 protected:
  // False when the office could not be made.
  bool MakeSet() {
    office = std::make_unique<SchedOffice>();
    if (!office->ok) return false;
    prompts = std::make_unique<Prompts>();
    dialogs = std::make_unique<DialogSteps>();
    passwords = std::make_unique<ScriptedPasswordAnswers>();
    return true;
  }
  void DropSet() {
    scheduler.reset();
    dialogs.reset();
    passwords.reset();
    prompts.reset();
    office.reset();
  }
  int32_t Anne() { return office->numbers["ANNE"]; }
  int32_t Bob() { return office->numbers["BOB"]; }
  // The signed-in person's scheduler opened in a layout: its window, or
  // null.
  template <class View = DaySchedView>
  View* OpenView(int kind = kViewDay) {
    scheduler = std::make_unique<Scheduler>(office->Ini(), *passwords);
    if (!scheduler->Open()) return nullptr;
    if (kind != kViewDay) scheduler->SwitchView(kind);
    return qobject_cast<View*>(scheduler->Window());
  }
  bool Asked(const QString& text) {
    for (const auto& q : prompts->Questions())
      if (q.text == text) return true;
    return false;
  }

  std::unique_ptr<SchedOffice> office;
  std::unique_ptr<Prompts> prompts;
  std::unique_ptr<DialogSteps> dialogs;
  std::unique_ptr<ScriptedPasswordAnswers> passwords;
  std::unique_ptr<Scheduler> scheduler;
};

// What a grid's cell or heading holds for a role, read through its model.
inline QString GridCell(const QAbstractItemView* grid, int row, int column,
                        int role = Qt::DisplayRole) {
  return grid->model()->index(row, column).data(role).toString();
}
inline QStringList GridColumn(const QAbstractItemView* grid, int column) {
  QStringList out;
  for (int r = 0; r < grid->model()->rowCount(); ++r) out << GridCell(grid, r, column);
  return out;
}
inline QString GridHeading(const QAbstractItemView* grid, int column) {
  return grid->model()->headerData(column, Qt::Horizontal).toString();
}

// A grid in a window widened past its minimum: the width its columns take
// against what its viewport offers, equal when no empty strip is left on
// the right.
inline std::pair<int, int> ColumnsAgainstViewport(QTableView* grid) {
  QWidget* window = grid->window();
  window->resize(window->minimumWidth() + 300, window->minimumHeight());
  window->show();
  QCoreApplication::processEvents();
  int columns = 0;
  for (int c = 0; c < grid->model()->columnCount(); ++c) columns += grid->columnWidth(c);
  return {columns, grid->viewport()->width()};
}
