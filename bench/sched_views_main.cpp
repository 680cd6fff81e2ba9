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
//
// Each case runs the bare work and the window in turn, 15 times, and
// reports the medians side by side: a slow moment of the machine then
// weighs on both alike.
//
//   sched_views [--only month|week|todo] [--rounds N]
// runs one case, or more times, as a profiler wants it.
#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/median.h"
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

// The window's time, and within it the painting: what the window does
// beyond painting is the part its own code decides.
void Report(const char* what, const std::vector<double>& window,
            const std::vector<double>& painting, const std::vector<double>& bare) {
  std::vector<double> unpainted;
  for (size_t i = 0; i < window.size(); ++i) unpainted.push_back(window[i] - painting[i]);
  const double w = bench::Median(window), p = bench::Median(painting), b = bench::Median(bare);
  std::printf("%s: window %.2f ms (painting %.2f ms), bare %.2f ms, ratio %.2f (%.2f unpainted)\n",
              what, w, p, b, w / b, bench::Median(unpainted) / b);
}

// ANNE's scheduler, opened on the day view at the day: where a switch of
// view starts from.
std::unique_ptr<Scheduler> OpenedOnTheDay(const std::string& ini, PasswordPrompt& passwords,
                                          int32_t owner, int32_t day) {
  auto scheduler = std::make_unique<Scheduler>(ini, passwords);
  scheduler->SetOwner({owner, "ANNE"});
  scheduler->SetCurrentDay(day);
  scheduler->Open();
  return scheduler;
}

double Painted(QWidget* window) {
  const auto t0 = Clock::now();
  window->grab();
  return Ms(t0);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::string only;
  int rounds = 15;
  for (int i = 1; i < argc; i += 2) {
    const std::string option = argv[i];
    const bool valued = i + 1 < argc;
    if (valued && option == "--only") {
      only = argv[i + 1];
    } else if (valued && option == "--rounds") {
      rounds = std::max(1, std::atoi(argv[i + 1]));
    } else {
      std::fprintf(stderr, "usage: sched_views [--only month|week|todo] [--rounds N]\n");
      return 2;
    }
  }
  const auto wanted = [&only](const char* what) { return only.empty() || only == what; };
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

  // The workstation's settings, as a person's scheduler has them: closing
  // a view writes a setting only when it changed.
  const std::string ini = path + "DPDESK.INI";
  NoPasswords passwords;
  // ---- month ----
  {
    std::vector<double> bare, window, painting;
    for (int n = 0; wanted("month") && n < rounds; ++n) {
      auto t0 = Clock::now();
      MonthView month;
      SchedLoadMonth(sched, now, owner, &month);
      for (int d = 1; d <= 31; ++d) {
        std::vector<DayLine> lines;
        SchedBuildDayLines(sched, FromLocal(2027, 3, d), owner, nullptr, &lines);
      }
      bare.push_back(Ms(t0));
      auto scheduler = OpenedOnTheDay(ini, passwords, owner, now);  // not timed
      t0 = Clock::now();
      scheduler->SwitchView(kViewMonth);
      painting.push_back(Painted(scheduler->Window()));
      window.push_back(Ms(t0));
      scheduler->Close();
    }
    if (wanted("month")) Report("month view, 5000 entries a year", window, painting, bare);
  }

  // ---- week ----
  {
    std::vector<double> bare, window, painting;
    for (int n = 0; wanted("week") && n < rounds; ++n) {
      auto t0 = Clock::now();
      for (int w = 0; w < 20; ++w) {
        WeekView week;
        SchedLoadWeek(sched, AddDays(now, 7 * w), owner, PresetHours(), &week);
      }
      bare.push_back(Ms(t0));
      auto scheduler = OpenedOnTheDay(ini, passwords, owner, now);
      scheduler->SwitchView(kViewWeek);
      auto* view = static_cast<WeekSchedView*>(scheduler->Window());
      t0 = Clock::now();
      double painted = 0;
      for (int w = 0; w < 20; ++w) {
        view->MoveTo(AddDays(scheduler->CurrentDay(), 7));
        painted += Painted(view);
      }
      window.push_back(Ms(t0));
      painting.push_back(painted);
      scheduler->Close();
    }
    if (wanted("week")) Report("week view, twenty weeks forward", window, painting, bare);
  }

  // ---- to-do ----
  {
    std::vector<double> bare, window, painting;
    for (int n = 0; wanted("todo") && n < rounds; ++n) {
      auto t0 = Clock::now();
      std::vector<TodoListEntry> items;
      TodoCollect(todo, now, owner, true, kMaxTodoItems, &items);
      bare.push_back(Ms(t0));
      TodoList list(ini, passwords);
      list.SetOwner({owner, "ANNE"});
      list.SetCurrentDay(DayOf(now));
      t0 = Clock::now();
      list.Open();
      painting.push_back(Painted(list.Window()));
      window.push_back(Ms(t0));
      list.Close();
    }
    if (wanted("todo")) Report("to-do day, 256 items", window, painting, bare);
  }
  SchedClose(sched);
  TodoClose(todo);
  SetClock(nullptr);
  SetDataDirectory("");
  return 0;
}
