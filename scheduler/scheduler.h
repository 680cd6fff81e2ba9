// The scheduler: whose schedule is shown, at which day, in which layout,
// for the whole run of the program, and the one window that shows it
// (DAY_SCHED, WEEK_VIEW or MONTH_VIEW, scheduler/sched_view.h).
//
// The first opening reads the options of the INI file and the default
// schedule; opening while no window exists asks the owner's password for
// the schedule area. Switching the layout destroys the window and makes
// the other one at the same day and owner.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>
#include <string>
#include <vector>

#include "data/office/passwords.h"
#include "data/schedule/dpsched.h"
#include "scheduler/sched_options.h"
#include "toolkit/window_placement.h"

class SchedView;
class QWidget;

// The layouts, by the numbers of their buttons.
constexpr int kViewDay = 270;
constexpr int kViewWeek = 271;
constexpr int kViewMonth = 272;

class Scheduler : public QObject {
  Q_OBJECT
 public:
  Scheduler(std::string iniPath, PasswordPrompt& passwords);
  ~Scheduler() override;

  // The "&Scheduler" command: opens the window in the current layout, or
  // brings it to the front. False when nothing opened (the password check
  // refused, today lies outside 1980 to 2037, the table cannot be opened).
  bool Open();
  // "&Day", "&Week", "&Month": reopens in that layout.
  void SwitchView(int kind);
  // Closes the window (as its Close button does).
  void Close();

  // The open window, or nullptr.
  SchedView* Window() const;
  int View() const { return view_; }
  int32_t CurrentDay() const { return currentDay_; }
  void SetCurrentDay(int32_t day) { currentDay_ = day; }
  const ScheduleOwner& Owner() const { return owner_; }
  void SetOwner(const ScheduleOwner& owner) {
    owner_ = owner;
    ownerSet_ = true;
  }
  // Shows the owner's schedule: in the open window at once, else when it
  // opens.
  void ShowOwner(const ScheduleOwner& owner);
  SchedOptions& Options() { return options_; }
  PasswordPrompt& Passwords() { return passwords_; }
  const std::string& IniPath() const { return iniPath_; }
  // The table while the window is open (the alarm search uses it then).
  SchedTable* OpenTable();
  // Where the window opens; every window gives its placement back when it
  // closes (the SchedState record).
  WindowPlacement& Placement() { return placement_; }
  // Gives the open window's placement back without closing it (the
  // program ending with the window open).
  void KeepOpenPlacement();

 private:
  SchedView* Make(int kind);
  // The window goes once the event that closed it is over.
  void Retire();

  std::string iniPath_;
  PasswordPrompt& passwords_;
  SchedOptions options_;
  bool optionsRead_ = false;
  bool ownerSet_ = false;
  int view_ = kViewDay;
  int32_t currentDay_ = 0;
  ScheduleOwner owner_;
  WindowPlacement placement_;
  SchedView* window_ = nullptr;  // owned
  std::vector<QPointer<SchedView>> retired_;
};
