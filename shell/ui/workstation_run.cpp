#include "shell/ui/workstation_run.h"

#include <QApplication>

#include "shell/ui/about/about_box.h"
#include "shell/ui/about/help_page.h"
#include "shell/ui/command_ids.h"
#include "shell/ui/dpwin.h"
#include "shell/ui/list_wiring.h"
#include "shell/ui/options/options_wiring.h"
#include "shell/ui/passwords/get_password_dialog.h"
#include "shell/ui/passwords/master_password_dialog.h"
#include "shell/ui/passwords/name_picker_chooser.h"
#include "shell/ui/passwords/password_menu.h"
#include "shell/ui/passwords/phone_password_dialog.h"
#include "shell/ui/passwords/user_password_dialog.h"
#include "shell/ui/scheduler_windows.h"
#include "shell/ui/phone_list_wiring.h"
#include "shell/ui/screenshots.h"
#include "shell/ui/session.h"
#include "shell/ui/sound_player.h"
#include "shell/ui/startup/run_setup.h"
#include "shell/ui/startup/startup_windows.h"
#include "shell/ui/take_wiring.h"
#include "shell/ui/terminate_close.h"
#include "shell/ui/trace.h"
#include "toolkit/help.h"

int RunWorkstation(const std::string& iniPath) {
  SetHelpPage(HelpPagePath());  // F1 in every window opens its section
  // The start-up's boxes, NAME_ERROR and its launcher of the setup program,
  // for the whole run.
  StartupWindows startupWindows;

  DpWinHooks hooks;
  hooks.password = [](QWidget* owner, int command) {
    WindowPasswordPrompt prompt(owner);
    if (command == kCmdPasswordMaster) RunMasterPassword(owner, prompt);
    if (command == kCmdPasswordPhone) RunPhonePassword(owner, prompt);
    if (command == kCmdPasswordUser)
      RunUserPassword(owner, prompt, NamePickerChooser(owner, prompt));
  };
  hooks.masterPasswordSet = PasswordManagementEnabled;
  hooks.about = ShowAbout;
  hooks.help = [](QWidget*) { OpenHelp(); };
  hooks.runSetup = [](const std::string& ini) { StartSetupProgram(ini); };
  TakeWiring take;
  take.Fill(hooks);
  ListWiring lists;
  lists.Fill(hooks);

  // The scheduler and the to-do list, for the whole run.
  WindowPasswordPrompt windowPasswords(nullptr);
  SchedulerWindows schedulerWindows(iniPath, windowPasswords);
  DpWin* mainWindow = nullptr;
  schedulerWindows.Install(hooks,
                           [&mainWindow] { return mainWindow ? &mainWindow->Alerts() : nullptr; });
  PhoneListWiring phoneList;
  phoneList.AddHooks(hooks);
  OptionsWiring options(iniPath);
  options.Install(
      hooks, [&mainWindow]() -> QWidget* { return mainWindow; },
      [&mainWindow] { return mainWindow ? &mainWindow->Alerts() : nullptr; },
      &schedulerWindows.Schedule());

  Session session(iniPath, hooks);
  // A failed start-up has shown its box.
  if (!session.Start()) {
    Trace("exit " + std::to_string(kExitStartFailed));
    return kExitStartFailed;
  }
  std::unique_ptr<SoundPlayer> sound = MakeDesktopSoundPlayer();
  std::unique_ptr<DpWin> window = session.OpenWindow(*sound);
  take.SetMainWindow(window.get());
  mainWindow = window.get();
  lists.SetMainWindow(window.get());
  phoneList.Start(*window, iniPath);
  schedulerWindows.Start(*window);
  QObject::connect(window.get(), &DpWin::finished, qApp,
                   [](int code) { QCoreApplication::exit(code); });
  CloseOnTerminate(window.get());
  const QString shots = qEnvironmentVariable("DESKPOST_SCREENSHOT_DIR");
  window->Start();
  if (!shots.isEmpty()) TakeScreenshots(*window, shots);
  // The first poll may already have found the share gone.
  const int exitCode = window->ExitCode() >= 0 ? window->ExitCode() : QApplication::exec();
  // Their tables close before the user stops.
  schedulerWindows.CloseAll();
  return exitCode;
}
