#include "shell/ui/list_wiring.h"

#include <QEvent>

#include "messaging/message_services.h"
#include "messaging/message_windows.h"
#include "messaging/window_places.h"
#include "printing/print_job.h"
#include "shell/toolbar_layout.h"
#include "shell/ui/command_ids.h"
#include "shell/ui/dpwin.h"
#include "shell/ui/passwords/get_password_dialog.h"
#include "shell/ui/placement_records.h"
#include "shell/workstation_settings.h"

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
  Places() = MessagePlaces();
}

void ListWiring::SetMainWindow(DpWin* window) {
  main_ = window;
  QPointer<DpWin> main(window);
  window->installEventFilter(this);
  BindPlacement(*window, kMessageWindowState, Places().list);
  BindPlacement(*window, kViewWindowState, Places().view);
  MessageWindows::Instance().mainCommand = [main](int command) {
    if (main) main->Command(command);
  };
  Services().newMessagesSeen = [main] {
    if (main) main->Alerts().PollAtOnce();
  };
}

bool ListWiring::eventFilter(QObject* watched, QEvent* event) {
  // The type is asked first: while the main window is being destroyed its
  // QPointer must not be read as a DpWin any more.
  if (event->type() == QEvent::Close && watched == main_) {
    // A view open keeps the main window from closing; the list alone
    // stays open until the program's end, so its place is taken now.
    if (TMessageListBaseClass* list = MessageWindows::Instance().List(); list && list->isVisible())
      KeepPlacement(*list, Places().list);
  }
  return QObject::eventFilter(watched, event);
}

void ListWiring::Run(int command) {
  WindowPasswordPrompt prompt(main_);
  MessageWindows::Instance().Command(main_, command, prompt);
}
