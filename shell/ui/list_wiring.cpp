#include "shell/ui/list_wiring.h"

#include "messaging/message_services.h"
#include "messaging/message_windows.h"
#include "printing/print_job.h"
#include "shell/toolbar_layout.h"
#include "shell/ui/command_ids.h"
#include "shell/ui/dpwin.h"
#include "shell/ui/passwords/get_password_dialog.h"

void ListWiring::Fill(DpWinHooks& hooks) {
  for (int command :
       {kCmdView, 600, 601, 602, 603, 604, 605, 606, 614, 615, 616, 620, 621, 638, 639})
    hooks.windows[command] = [this, command] { Run(command); };
  hooks.windows[kCmdPrinterSetup] = [this] { PrinterSetup(main_); };
  hooks.openMessage = [this](const MessageEntry& entry) {
    MessageWindows::Instance().OpenUrgent(main_, entry);
  };
}

ListWiring::~ListWiring() {
  // The printer chosen for the run goes with the main window.
  FreePrinterSettings();
}

void ListWiring::SetMainWindow(DpWin* window) {
  main_ = window;
  QPointer<DpWin> main(window);
  MessageWindows::Instance().mainCommand = [main](int command) {
    if (main) main->Command(command);
  };
  Services().newMessagesSeen = [main] {
    if (main) main->Alerts().PollAtOnce();
  };
}

void ListWiring::Run(int command) {
  WindowPasswordPrompt prompt(main_);
  MessageWindows::Instance().Command(main_, command, prompt);
}
