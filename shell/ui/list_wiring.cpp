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
#include "shell/window_state.h"
#include "shell/workstation_settings.h"

namespace {

WindowPlace PlaceOf(const std::optional<WindowStateRecord>& record) {
  WindowPlace place;
  if (!record) return place;
  const WindowRestore restore = RestoreWindow(*record);
  if (restore.move) {
    const WindowRect& r = restore.rect;
    place.rect = QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  place.maximised = restore.maximise;
  return place;
}

}  // namespace

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
  MessagePlaces& places = Places();
  places.list = PlaceOf(window->Settings().windows[kMessageWindowState]);
  places.view = PlaceOf(window->Settings().windows[kViewWindowState]);
  places.left = [main](PlacedWindow which, const QRect& rect, bool maximised, bool minimised) {
    if (!main) return;
    const int key = which == PlacedWindow::kList ? kMessageWindowState : kViewWindowState;
    WindowStateRecord record = main->Settings().windows[size_t(key)].value_or(WindowStateRecord());
    SaveWindowState(
        record, maximised, minimised,
        {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()});
    main->SetWindowState(key, record);
  };
  MessageWindows::Instance().mainCommand = [main](int command) {
    if (main) main->Command(command);
  };
  Services().newMessagesSeen = [main] {
    if (main) main->Alerts().PollAtOnce();
  };
}

bool ListWiring::eventFilter(QObject* watched, QEvent* event) {
  if (watched == main_ && event->type() == QEvent::Close) {
    // A view open keeps the main window from closing; the list alone
    // stays open until the program's end, so its place is taken now.
    if (TMessageListBaseClass* list = MessageWindows::Instance().List(); list && list->isVisible())
      LeavePlace(list, PlacedWindow::kList);
  }
  return QObject::eventFilter(watched, event);
}

void ListWiring::Run(int command) {
  WindowPasswordPrompt prompt(main_);
  MessageWindows::Instance().Command(main_, command, prompt);
}
