#include "shell/ui/phone_list_wiring.h"

#include <QEvent>

#include "data/office/dpmain.h"
#include "data/office/profile.h"
#include "data/phone/dpphone.h"
#include "data/phone/phone_dial.h"
#include "phonelist/phone_entry_points.h"
#include "phonelist/phone_list_window.h"
#include "phonelist/phone_settings.h"
#include "shell/ui/command_ids.h"
#include "shell/ui/dpwin.h"
#include "shell/ui/passwords/get_password_dialog.h"
#include "shell/ui/placement_records.h"
#include "shell/workstation_settings.h"
#include "toolkit/desktop.h"

namespace {

constexpr size_t kMaxDevicePath = 255;

}  // namespace

PhoneListWiring::PhoneListWiring() = default;

PhoneListWiring::~PhoneListWiring() {
  ClosePhoneListWindow();
  PhoneSettings().passwords = nullptr;
}

void PhoneListWiring::AddHooks(DpWinHooks& hooks) {
  hooks.windows[kCmdPhoneList] = [this] { OpenPhoneListWindow(window_); };
  hooks.windows[kCmdSelectList] = [this] { SelectPhoneList(window_, true); };
  hooks.windows[kCmdPhoneSearch] = [this] { SearchPhoneList(window_, 0); };
  hooks.windows[kCmdPhoneReports] = [this] { SearchPhoneList(window_, 2); };
  hooks.windows[kCmdPhoneLabels] = [this] { SearchPhoneList(window_, 1); };
}

void PhoneListWiring::Start(DpWin& window, const std::string& iniPath) {
  window_ = &window;
  window.installEventFilter(this);
  passwords_ = std::make_unique<WindowPasswordPrompt>(&window);
  const UserState& user = CurrentUser();
  const WorkstationSettings& ws = window.Settings();

  PhoneSetCurrentList({user.phoneListOwnerNumber, user.phoneListOwner});
  for (int port = 1; port <= kDialPorts; ++port) {
    const std::string key = "Com" + std::to_string(port) + "Device";
    const std::string device =
        ProfileGetString(iniPath, "DESKpost", key, DialPortDevice(port), kMaxDevicePath);
    if (!device.empty()) SetDialPortDevice(port, device);
  }

  PhoneListSettings& s = PhoneSettings();
  s.phoneDelete = ws.phoneDelete;
  s.dial = DialSettingsOf(user.record, ws.useTapi);
  s.allCaps = user.dialogOption != 0;
  s.passwords = passwords_.get();
  s.openUrl = [](const QUrl& url) { return Desktop().OpenUrl(url); };
  BindPlacement(window, kPhoneWindowState, s.placement);
}

bool PhoneListWiring::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && event->type() == QEvent::Close) {
    TPhoneListClass* list = PhoneListWindow();
    if (list && !list->Busy()) ClosePhoneListWindow();
  }
  return QObject::eventFilter(watched, event);
}
