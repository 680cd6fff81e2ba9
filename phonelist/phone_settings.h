// What the phone list windows take from the workstation and the user: the
// delete right, the dialing settings, the "All Caps" option, where the list
// window stood, the password prompt of the access checks, and the roads out
// of the program (the telephony URL, the modem's device and its time-out).
// The program fills them once the user is started; tests fill their own.
#pragma once

#include <QUrl>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "data/office/passwords.h"
#include "data/phone/phone_dial.h"
#include "toolkit/accessible_names.h"
#include "toolkit/window_placement.h"

class TBaseDialog;

// What the Take window holds when a new entry is opened, for "Use message
// info?" and "Use email info?".
struct TakeWindowInfo {
  bool email = false;
  std::string from;  // single-byte text
  std::string company;
  std::string phone;
  std::string address;  // an e-mail's address
};

struct PhoneListSettings {
  bool phoneDelete = true;  // the workstation's PhoneDelete right
  DialSettings dial;
  bool allCaps = false;  // the user's "All Caps" option
  // The list window's placement, kept in the PhoneState record of the INI
  // file; its spare value says whether the detail pane is shown.
  WindowPlacement placement;
  // The access checks' password questions; nullptr: a password that is
  // needed is refused.
  PasswordPrompt* passwords = nullptr;
  // Hands a tel: URL to the desktop (the telephony path); false when
  // nothing took it.
  std::function<bool(const QUrl&)> openUrl;
  // How long the modem has to answer the dial command.
  int modemAnswerMs = 5000;
  // The Take window's content, when one is open.
  std::function<std::optional<TakeWindowInfo>()> takeWindow;
};

// The settings in force (process-wide, as the current list is).
PhoneListSettings& PhoneSettings();

// Opens one of the phone list's dialogs modally, through the toolkit's
// dialog runner (toolkit/names/name_dialog_runner.h): tests install one
// runner there and drive the name picker and these dialogs in one script.
int RunPhoneDialog(TBaseDialog& dialog);
