// bench/sched_views: how long the scheduler's windows take over a busy
// schedule, against the bare data-layer work they are built on, in the
// same run. A measuring program, not a test: CTest never runs it.
//
//   month   the month view of a person with 5,000 entries in the year, from
//           opening to painted, against the bare month loader and the day
//           lines of every day of that month
//   week    the week view stepping forward twenty weeks, against the bare
//           week loader over the same weeks
//   todo    the to-do window over 256 items on a day, opened and painted,
//           against the bare collection of that day
#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <optional>

#include "data/clock.h"
#include "data/local_time.h"
#include "data/office/datadir.h"
#include "data/office/dpname.h"
#include "data/office/empty_office.h"
#include "data/schedule/dptodo.h"
#include "data/schedule/sched_calendar.h"
#include "scheduler/month_view.h"
#include "scheduler/scheduler.h"
#include "scheduler/todo_window.h"
#include "scheduler/week_view.h"
#include "storage/catalogue.h"
#include "storage/errors.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/";
  CreateEmptyOffice(path);
  SetDataDirectory(path);
  DbSetErrorReporter(TranslateEngineError);
  const int32_t now = FromLocal(2027, 3, 16, 9, 0);
  SetClock([now] { return now; });
  NameTable names;
  NameEntry anne;
  NameOpen(names);
  NameAdd(names, "ANNE");
  NameFind(names, "ANNE", &anne);
  NameClose(names);
  const int32_t owner = anne.Number();

  // 5,000 entries over 2027: about 14 a day, within the 40 lines of a day.
  SchedTable sched;
  SchedOpen(sched);
  for (int i = 0; i < 5000; ++i) {
    SchedRecord r;
    r.SetOwner(owner);
    r.SetStart(FromLocal(2027, 1, 1 + i % 365, 7 + (i / 365) % 12, (i * 7) % 60));
    r.SetDescription("Entry " + std::to_string(i));
    SchedAdd(sched, r);
  }
  TodoTable todo;
  TodoOpen(todo);
  for (int i = 0; i < 256; ++i) {
    TodoRecord r;
    r.SetOwner(owner);
    r.SetDate(FromLocal(2027, 3, 16));
    r.SetPriority(std::to_string(1 + i % 9));
    r.SetText("To-do item " + std::to_string(i));
    TodoAdd(todo, r);
  }

  const int rounds = 5;
  // ---- month ----
  double bare = 0;
  for (int n = 0; n < rounds; ++n) {
    const auto t0 = Clock::now();
    MonthView month;
    SchedLoadMonth(sched, now, owner, &month);
    for (int d = 1; d <= 31; ++d) {
      std::vector<DayLine> lines;
      SchedBuildDayLines(sched, FromLocal(2027, 3, d), owner, nullptr, &lines);
    }
    bare += Ms(t0);
  }
  NoPasswords passwords;
  double window = 0;
  for (int n = 0; n < rounds; ++n) {
    Scheduler scheduler("", passwords);
    scheduler.SetOwner({owner, "ANNE"});
    scheduler.SetCurrentDay(now);
    scheduler.Open();  // the day view: opened, not timed
    const auto t0 = Clock::now();
    scheduler.SwitchView(kViewMonth);
    scheduler.Window()->grab();
    window += Ms(t0);
    scheduler.Close();
  }
  std::printf("month view, 5000 entries a year: window %.1f ms, bare %.1f ms, ratio %.2f\n",
              window / rounds, bare / rounds, window / bare);

  // ---- week ----
  bare = 0;
  window = 0;
  for (int n = 0; n < rounds; ++n) {
    const auto t0 = Clock::now();
    for (int w = 0; w < 20; ++w) {
      WeekView week;
      SchedLoadWeek(sched, AddDays(now, 7 * w), owner, PresetHours(), &week);
    }
    bare += Ms(t0);
    Scheduler scheduler("", passwords);
    scheduler.SetOwner({owner, "ANNE"});
    scheduler.SetCurrentDay(now);
    scheduler.Open();
    scheduler.SwitchView(kViewWeek);
    auto* view = static_cast<WeekSchedView*>(scheduler.Window());
    const auto t1 = Clock::now();
    for (int w = 0; w < 20; ++w) {
      view->MoveTo(AddDays(scheduler.CurrentDay(), 7));
      view->grab();
    }
    window += Ms(t1);
    scheduler.Close();
  }
  std::printf("week view, twenty weeks forward: window %.1f ms, bare %.1f ms, ratio %.2f\n",
              window / rounds, bare / rounds, window / bare);

  // ---- to-do ----
  bare = 0;
  window = 0;
  for (int n = 0; n < rounds; ++n) {
    const auto t0 = Clock::now();
    std::vector<TodoListEntry> items;
    TodoCollect(todo, now, owner, true, kMaxTodoItems, &items);
    bare += Ms(t0);
    TodoList list("", passwords);
    list.SetOwner({owner, "ANNE"});
    list.SetCurrentDay(DayOf(now));
    const auto t1 = Clock::now();
    list.Open();
    list.Window()->grab();
    window += Ms(t1);
    list.Close();
  }
  std::printf("to-do day, 256 items: window %.1f ms, bare %.1f ms, ratio %.2f\n", window / rounds,
              bare / rounds, window / bare);
  SchedClose(sched);
  TodoClose(todo);
  SetClock(nullptr);
  SetDataDirectory("");
  return 0;
}
