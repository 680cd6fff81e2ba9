// The Take window on the main window: "&Take" (251), the kind command
// (203), the unsent question when the program closes or setup runs, and
// the time field refreshed by the main window's timer.
//
//   TakeWiring take;
//   take.Fill(hooks);                 // before the window is made
//   ...
//   take.SetMainWindow(window.get());  // once it is
#pragma once

#include <QPointer>
#include <memory>

#include "messaging/take_windows.h"
#include "shell/ui/passwords/get_password_dialog.h"
#include "shell/ui/window_hooks.h"

class DpWin;

class TakeWiring {
 public:
  // The hooks call into this object, which must outlive the main window.
  void Fill(DpWinHooks& hooks);
  void SetMainWindow(DpWin* window);
  TakeWindows& Takes() { return takes_; }

 private:
  TakeWindows takes_{nullptr};
  std::unique_ptr<WindowPasswordPrompt> passwords_;
};
