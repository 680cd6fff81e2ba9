// The main window's Options command (610): the user's record is read again
// from the name table (a failure is shown and nothing opens), the dialog
// runs, and what OK wrote takes effect at once: the Take button's default
// kind, the list order, the send log and "All Caps" through the user's
// settings, the Sound and Notify options in the alert machine, the modem
// settings and the default list in the phone list, the default schedule,
// preset hours and update-memo default in the scheduler.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "shell/options.h"
#include "shell/ui/options/options_dialog.h"
#include "shell/ui/window_hooks.h"

class PollAlert;
class Scheduler;

// The settings written by the options, handed to the running program.
// alerts and scheduler may be null (not made yet).
void ApplyOptions(const NameRecord& person, const WorkstationOptions& workstation,
                  PollAlert* alerts, Scheduler* scheduler);

class OptionsWiring {
 public:
  explicit OptionsWiring(std::string iniPath);

  // Adds command 610. owner gives the main window (or null), alerts its
  // alert machine once it exists.
  void Install(DpWinHooks& hooks, std::function<QWidget*()> owner,
               std::function<PollAlert*()> alerts, Scheduler* scheduler);

  // The opening checks: the record read again and the default folder's
  // name; nullptr after the error was shown.
  std::unique_ptr<OptionsDialog> Open(QWidget* owner);

  // How the dialog runs once open: modal, unless a test drives it.
  std::function<void(OptionsDialog&)> run;
  OptionsChoosers choosers;

 private:
  std::string iniPath_;
};
