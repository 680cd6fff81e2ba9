// The main window's phone list commands: View List (253, and the toolbar
// button), Select List (628), Search... (607), Reports (608) and Labels
// (609) open the phone list windows; the last two search, then print the
// results as a report or labels. Once the user is started the phone list takes the user's
// default list, dialing settings and "All Caps" option, the workstation's
// PhoneDelete and UseTAPI keys, the modem devices behind COM1 to COM4
// (Com1Device to Com4Device in the INI file) and the PhoneState placement,
// which goes back into the main window's settings whenever the phone list
// window closes.
#pragma once

#include <QObject>
#include <memory>
#include <string>

#include "shell/ui/window_hooks.h"

class DpWin;
class WindowPasswordPrompt;

class PhoneListWiring : public QObject {
  Q_OBJECT

 public:
  PhoneListWiring();
  ~PhoneListWiring() override;

  void AddHooks(DpWinHooks& hooks);
  // After the user's start and the main window's making.
  void Start(DpWin& window, const std::string& iniPath);

 protected:
  // The main window closing closes the phone list window first, so its
  // placement is among the settings written.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  DpWin* window_ = nullptr;
  std::unique_ptr<WindowPasswordPrompt> passwords_;
};
